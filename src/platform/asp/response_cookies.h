#pragma once
// Response.Cookies: the cookies a response sets, each with a value or
// sub-keys, and its Expires, Path, Domain, Secure, HttpOnly and SameSite
// attributes.
#include <memory>
#include <optional>

#include "platform/asp/ordered_names.h"
#include "platform/com/object.h"

namespace asp {

using vb::String;
using vb::StringView;
using vb::Variant;

// What cookie changes depend on: they raise once the headers are sent, and
// are dropped once the response has ended.
struct HeaderState {
  bool sent = false;
  bool ended = false;
  // True when a change may go ahead; raises ASP 0156 after the headers left.
  bool AllowChange() const;
};

// Texts that go into header lines (header names and values, content type,
// charset, addresses, cookie names, values and attributes) hold one line:
// raises 5 on a CR or LF, so that no value can end its header and start
// another.
void RequireOneLine(StringView text);

class ResponseCookie : public com::Dispatch<ResponseCookie> {
 public:
  ResponseCookie(String name, std::shared_ptr<const HeaderState> state)
      : name_(std::move(name)), state_(std::move(state)) {}

  static const com::MemberTable<ResponseCookie>& Members();
  String TypeName() const override { return u"IWriteCookie"; }

  const String& Name() const { return name_; }
  // Setting the value drops the sub-keys; setting a sub-key drops the value.
  void SetValue(String value);
  void SetKey(StringView key, String value);
  const String& Value() const { return value_; }
  String Key(StringView key) const;
  bool HasKeys() const { return !keys_.empty(); }
  void SetExpires(vb::Date when);
  void SetPath(String path);
  void SetDomain(String domain);
  void SetSecure(bool secure);
  // Kept from the page's scripts (document.cookie) when true.
  void SetHttpOnly(bool http_only);
  // "Strict", "Lax" or "None" (any letter case, written as named here), or ""
  // for none; anything else raises 5.
  void SetSameSite(StringView same_site);

  // The Set-Cookie header value:
  // "name=v; expires=...; domain=...; path=/; secure; HttpOnly; SameSite=Lax",
  // the value (or each key and value) URL-encoded.
  String HeaderValue() const;

 private:
  String name_;
  std::shared_ptr<const HeaderState> state_;
  String value_;
  OrderedNames<String> keys_;
  std::optional<vb::Date> expires_;
  String path_ = u"/";
  String domain_;
  bool secure_ = false;
  bool http_only_ = false;
  String same_site_;
};

class ResponseCookies : public com::Dispatch<ResponseCookies> {
 public:
  explicit ResponseCookies(std::shared_ptr<const HeaderState> state) : state_(std::move(state)) {}

  static const com::MemberTable<ResponseCookies>& Members();
  String TypeName() const override { return u"IRequestDictionary"; }

  // The cookie of that name, added when new (as reading Response.Cookies(name) does).
  std::shared_ptr<ResponseCookie> Item(StringView name);
  // The cookie, or nullptr when the response sets none of that name.
  std::shared_ptr<ResponseCookie> Find(StringView name) const;
  size_t Count() const { return cookies_.size(); }
  std::vector<std::shared_ptr<ResponseCookie>> All() const;

  // Cookies(name[, key]) read, and Cookies(name[, key]) = value (the value last).
  Variant Get(com::ArgList& args);
  void Let(com::ArgList& args);

 private:
  std::shared_ptr<const HeaderState> state_;
  OrderedNames<std::shared_ptr<ResponseCookie>> cookies_;
};

}  // namespace asp
