#pragma once
// The Request object: the query string, form, cookies, client certificate and
// server variables of one request, and its body through BinaryRead.
//
// The body goes one way only: reading Request.Form (of a form body) takes it,
// and BinaryRead afterwards raises ASP 0206; BinaryRead takes it, and
// Request.Form afterwards raises ASP 0207. A body that is not a form
// (multipart uploads) is not taken by Request.Form, which is then empty, and
// Request(name) after BinaryRead passes over the form instead of raising, so
// an upload page can still read its query string by the short form.
#include <memory>
#include <string>
#include <vector>

#include "platform/asp/body_source.h"
#include "platform/asp/request_collection.h"
#include "platform/asp/request_info.h"

namespace asp {

class Request : public com::Dispatch<Request> {
 public:
  Request(RequestInfo info, std::unique_ptr<BodySource> body);

  static const com::MemberTable<Request>& Members();
  String TypeName() const override { return u"IRequest"; }

  const RequestInfo& Info() const { return info_; }

  RequestCollection& QueryString() { return *query_; }
  RequestCollection& Form() { return *FormCollection(); }
  RequestCollection& Cookies() { return *cookies_; }
  RequestCollection& ClientCertificate() { return *certificate_; }
  RequestCollection& ServerVariables() { return *server_variables_; }

  // Request(name): the first of QueryString, Form, Cookies, ClientCertificate
  // and ServerVariables that holds the name; "" when none does.
  String Item(StringView name);

  // The declared body length.
  uint64_t TotalBytes() const { return body_->Length(); }
  // Up to `count` next body bytes (fewer at the end of the body).
  std::string BinaryRead(uint64_t count);
  // The same into the caller's buffer, so that a large body is copied once;
  // returns the count delivered (fewer than `count` at the end of the body or
  // when the client has gone).
  size_t BinaryRead(uint8_t* out, size_t count);

 private:
  enum class BodyUse { None, Form, BinaryRead };

  std::shared_ptr<RequestCollection> FormCollection();
  std::shared_ptr<RequestCollection> CollectionByName(StringView name);
  void CheckBodySize() const;
  uint64_t Remaining() const { return body_->Length() - bytes_read_; }
  std::string ReadAllBody();

  RequestInfo info_;
  std::unique_ptr<BodySource> body_;
  BodyUse body_use_ = BodyUse::None;
  uint64_t bytes_read_ = 0;
  std::shared_ptr<RequestCollection> query_;
  std::shared_ptr<RequestCollection> form_;
  std::shared_ptr<RequestCollection> cookies_;
  std::shared_ptr<RequestCollection> certificate_;
  std::shared_ptr<RequestCollection> server_variables_;
};

// Request.Form(name)'s values one by one, as the browser sent them (the
// joined text hides a value that holds ", "); none when the field is absent
// or the variant holds no Request of ours.
std::vector<String> FormValues(const Variant& request, StringView name);

// The fields of a URL-encoded body (non-empty pieces between "&"), counted
// as its bytes come, in pieces of any size.
class FormFieldCount {
 public:
  void Add(std::string_view bytes);
  uint64_t Fields() const { return fields_; }

 private:
  uint64_t fields_ = 0;
  bool in_field_ = false;
};

// Whether a Content-Type names a form body (application/x-www-form-urlencoded).
bool IsFormContentType(std::string_view content_type);

// The Cookie header(s) as Request.Cookies: "a=1; KesraQe=UserName=x&PassWord=y".
std::shared_ptr<RequestCollection> ParseCookies(const RequestInfo& info);

}  // namespace asp
