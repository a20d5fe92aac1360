#include "platform/asp/request.h"

#include <algorithm>
#include <cctype>

#include "platform/asp/asp_errors.h"
#include "platform/asp/member_args.h"
#include "platform/asp/server_variables.h"
#include "platform/asp/url_encoding.h"

namespace asp {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::shared_ptr<RequestCollection> CollectionOf(std::string_view raw_bytes) {
  const bool utf8 = ReadsAsUtf8(raw_bytes);
  auto collection = std::make_shared<RequestCollection>(std::string(raw_bytes), utf8 && IsUtf8Text(raw_bytes));
  for (auto& [name, value] : ParseUrlEncoded(raw_bytes, utf8)) collection->Add(name, std::move(value));
  return collection;
}

}  // namespace

std::vector<String> FormValues(const Variant& request, StringView name) {
  auto object = std::dynamic_pointer_cast<Request>(request.GetObject());
  if (!object) return {};
  return object->Form().Values(name);
}

void FormFieldCount::Add(std::string_view bytes) {
  // A field begins at a byte other than "&" that follows "&" (or the start).
  size_t at = 0;
  while (at < bytes.size()) {
    size_t separator = std::min(bytes.find('&', at), bytes.size());
    if (separator > at && !in_field_) ++fields_;
    in_field_ = separator == bytes.size() ? in_field_ || separator > at : false;
    at = separator + 1;
  }
}

bool IsFormContentType(std::string_view content_type) {
  std::string_view type = TrimBlanks(content_type.substr(0, content_type.find(';')));
  constexpr std::string_view kForm = "application/x-www-form-urlencoded";
  return type.size() == kForm.size() &&
         std::equal(type.begin(), type.end(), kForm.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

std::shared_ptr<RequestCollection> ParseCookies(const RequestInfo& info) {
  std::string all;
  for (const auto& [name, value] : info.headers) {
    if (name.size() != 6 || !vb::EqualsNoCase(DecodeText(name), u"Cookie")) continue;
    if (!all.empty()) all += "; ";
    all += value;
  }
  auto cookies = std::make_shared<RequestCollection>(DecodeText(all));
  size_t start = 0;
  while (start < all.size()) {
    size_t end = std::min(all.find(';', start), all.size());
    std::string_view piece = TrimBlanks(std::string_view(all).substr(start, end - start));
    start = end + 1;
    if (piece.empty()) continue;
    size_t eq = piece.find('=');
    std::string_view name = piece.substr(0, eq);
    std::string_view raw = eq == std::string_view::npos ? std::string_view() : piece.substr(eq + 1);
    // A value with sub-keys reads as its raw text, so that the keys stay apart.
    bool has_keys = raw.find_first_of("&=") != std::string_view::npos;
    cookies->AddCookie(UrlDecode(TrimBlanks(name)), has_keys ? DecodeText(raw) : UrlDecode(raw),
                       std::string(raw));
  }
  return cookies;
}

Request::Request(RequestInfo info, std::unique_ptr<BodySource> body)
    : info_(std::move(info)), body_(body ? std::move(body) : std::make_unique<MemoryBody>()) {
  query_ = CollectionOf(TargetQuery(info_));
  cookies_ = ParseCookies(info_);
  certificate_ = std::make_shared<RequestCollection>();
  for (const auto& [name, value] : info_.client_certificate) certificate_->Add(name, value);
  server_variables_ = BuildServerVariables(info_, body_->Length());
}

const com::MemberTable<Request>& Request::Members() {
  using Self = Request;
  static const auto item = [](Self& self, com::ArgList& args) -> Variant {
    return self.Item(ArgText(args[0]));
  };
  // Request.Form gives the collection; Request.Form("x") its item.
  static const auto collection = [](Self& self, com::ArgList& args, StringView name) -> Variant {
    std::shared_ptr<RequestCollection> c = self.CollectionByName(name);
    if (args.IsMissing(0)) return Variant(c);
    return c->Invoke(u"", com::CallType::Get, args);
  };
  static const com::MemberTable<Self> table{
      {u"", com::kGet, 1, 1, item},
      {u"Item", com::kGet, 1, 1, item},
      {u"QueryString", com::kGet, 0, 2,
       [](Self& self, com::ArgList& args) { return collection(self, args, u"QueryString"); }},
      {u"Form", com::kGet, 0, 2,
       [](Self& self, com::ArgList& args) { return collection(self, args, u"Form"); }},
      {u"Cookies", com::kGet, 0, 2,
       [](Self& self, com::ArgList& args) { return collection(self, args, u"Cookies"); }},
      {u"ClientCertificate", com::kGet, 0, 2,
       [](Self& self, com::ArgList& args) { return collection(self, args, u"ClientCertificate"); }},
      {u"ServerVariables", com::kGet, 0, 2,
       [](Self& self, com::ArgList& args) { return collection(self, args, u"ServerVariables"); }},
      {u"TotalBytes", com::kGet, 0, 0,
       [](Self& self, com::ArgList&) -> Variant {
         uint64_t n = self.TotalBytes();
         if (n <= static_cast<uint64_t>(INT32_MAX)) return static_cast<int32_t>(n);
         return static_cast<double>(n);
       }},
      {u"BinaryRead", com::kGet, 1, 1,
       [](Self& self, com::ArgList& args) -> Variant {
         Variant& count = args[0];
         double wanted = vb::CDbl(com::ValueOf(count));
         if (!(wanted >= 0)) vb::Raise(vb::kInvalidProcedureCall);
         // More than the body holds reads the rest; keep the conversion in range.
         uint64_t n = wanted < 0x1p63 ? static_cast<uint64_t>(wanted) : UINT64_MAX;
         std::string bytes = self.BinaryRead(n);
         count = static_cast<int32_t>(bytes.size());
         return vb::Array::OfBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
       }},
  };
  return table;
}

std::shared_ptr<RequestCollection> Request::CollectionByName(StringView name) {
  if (name == u"QueryString") return query_;
  if (name == u"Form") return FormCollection();
  if (name == u"Cookies") return cookies_;
  if (name == u"ClientCertificate") return certificate_;
  return server_variables_;
}

String Request::Item(StringView name) {
  if (query_->Has(name)) return query_->Item(name);
  if (body_use_ != BodyUse::BinaryRead) {
    std::shared_ptr<RequestCollection> form = FormCollection();
    if (form->Has(name)) return form->Item(name);
  }
  for (auto* c : {cookies_.get(), certificate_.get(), server_variables_.get()})
    if (c->Has(name)) return c->Item(name);
  return {};
}

void Request::CheckBodySize() const {
  if (body_->Length() > info_.max_body_bytes) RaiseBodyTooLarge(body_->Length(), info_.max_body_bytes);
}

std::shared_ptr<RequestCollection> Request::FormCollection() {
  if (form_) return form_;
  if (body_use_ == BodyUse::BinaryRead) RaiseFormAfterBinaryRead();
  const std::string* type = FindHeader(info_, "Content-Type");
  if (!type || !IsFormContentType(*type)) {
    form_ = std::make_shared<RequestCollection>();
    return form_;
  }
  CheckBodySize();
  if (body_->Length() > info_.max_form_bytes) RaiseBodyTooLarge(body_->Length(), info_.max_form_bytes);
  body_use_ = BodyUse::Form;
  std::string bytes = ReadAllBody();
  FormFieldCount fields;
  fields.Add(bytes);
  if (fields.Fields() > info_.max_form_fields) RaiseTooManyFormFields(fields.Fields(), info_.max_form_fields);
  form_ = CollectionOf(bytes);
  return form_;
}

std::string Request::ReadAllBody() {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(Remaining()));
  uint8_t block[16384];
  while (bytes_read_ < body_->Length()) {
    size_t n = body_->Read(block, static_cast<size_t>(std::min<uint64_t>(sizeof block, body_->Length() - bytes_read_)));
    if (n == 0) break;
    bytes.append(reinterpret_cast<const char*>(block), n);
    bytes_read_ += n;
  }
  return bytes;
}

std::string Request::BinaryRead(uint64_t count) {
  std::string bytes(static_cast<size_t>(std::min(count, Remaining())), '\0');
  bytes.resize(BinaryRead(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()));
  return bytes;
}

size_t Request::BinaryRead(uint8_t* out, size_t count) {
  if (body_use_ == BodyUse::Form) RaiseBinaryReadAfterForm();
  CheckBodySize();
  body_use_ = BodyUse::BinaryRead;
  size_t wanted = static_cast<size_t>(std::min<uint64_t>(count, Remaining()));
  size_t filled = 0;
  while (filled < wanted) {
    size_t n = body_->Read(out + filled, wanted - filled);
    if (n == 0) break;
    filled += n;
  }
  bytes_read_ += filled;
  return filled;
}

}  // namespace asp
