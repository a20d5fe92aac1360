#include "platform/asp/response.h"

#include "platform/asp/asp_errors.h"
#include "platform/asp/http_date.h"
#include "platform/asp/member_args.h"
#include "platform/asp/text_codec.h"
#include "platform/asp/url_encoding.h"

namespace asp {
namespace {

// A VB string handed to BinaryWrite carries its bytes two to a character.
std::string BytesOfArgument(const Variant& value) {
  Variant v = com::ValueOf(value);
  if (v.IsEmpty() || v.IsNull()) return {};
  if (v.IsArray() && v.As<vb::Array>().IsBytes()) {
    const auto& bytes = v.As<vb::Array>().Bytes();
    return std::string(bytes.begin(), bytes.end());
  }
  if (v.IsString()) {
    std::string bytes;
    for (char16_t c : v.As<String>()) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
  }
  vb::Raise(vb::kTypeMismatch);
}

}  // namespace

Response::Response(std::shared_ptr<ResponseSink> sink)
    : sink_(sink ? std::move(sink) : std::make_shared<MemorySink>()),
      cookies_(std::make_shared<ResponseCookies>(state_)) {}

// Late-bound handlers for members that take one text, or nothing.
template <auto Member>
Variant WithText(Response& self, com::ArgList& args) {
  (self.*Member)(ArgText(args[0]));
  return {};
}

template <auto Member>
Variant WithoutArguments(Response& self, com::ArgList&) {
  (self.*Member)();
  return {};
}

const com::MemberTable<Response>& Response::Members() {
  using Self = Response;
  using Args = com::ArgList;
  static const com::MemberTable<Self> table{
      {u"Write", com::kGet, 1, 1, &WithText<&Self::Write>},
      {u"BinaryWrite", com::kGet, 1, 1,
       [](Self& self, Args& args) {
         self.BinaryWrite(BytesOfArgument(args[0]));
         return Variant();
       }},
      {u"Buffer", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.buffer_; }},
      {u"Buffer", com::kLet, 1, 1,
       [](Self& self, Args& args) {
         self.SetBuffer(vb::CBool(com::ValueOf(args[0])));
         return Variant();
       }},
      {u"Clear", com::kGet, 0, 0, &WithoutArguments<&Self::Clear>},
      {u"Flush", com::kGet, 0, 0, &WithoutArguments<&Self::Flush>},
      {u"End", com::kGet, 0, 0, &WithoutArguments<&Self::End>},
      {u"Redirect", com::kGet, 1, 1, &WithText<&Self::Redirect>},
      {u"ContentType", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.content_type_; }},
      {u"ContentType", com::kLet, 1, 1, &WithText<&Self::SetContentType>},
      {u"Charset", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.charset_; }},
      {u"Charset", com::kLet, 1, 1, &WithText<&Self::SetCharset>},
      {u"Status", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.status_; }},
      {u"Status", com::kLet, 1, 1, &WithText<&Self::SetStatus>},
      {u"AddHeader", com::kGet, 2, 2,
       [](Self& self, Args& args) {
         self.AddHeader(ArgText(args[0]), ArgText(args[1]));
         return Variant();
       }},
      {u"AppendToLog", com::kGet, 1, 1, &WithText<&Self::AppendToLog>},
      {u"Expires", com::kGet, 0, 0, [](Self& self, Args&) { return self.expires_minutes_; }},
      {u"Expires", com::kLet, 1, 1,
       [](Self& self, Args& args) {
         self.SetExpires(vb::CLng(com::ValueOf(args[0])));
         return Variant();
       }},
      {u"ExpiresAbsolute", com::kGet, 0, 0, [](Self& self, Args&) { return self.expires_absolute_; }},
      {u"ExpiresAbsolute", com::kLet, 1, 1,
       [](Self& self, Args& args) {
         self.SetExpiresAbsolute(vb::CDate(com::ValueOf(args[0])));
         return Variant();
       }},
      {u"CacheControl", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.cache_control_; }},
      {u"CacheControl", com::kLet, 1, 1, &WithText<&Self::SetCacheControl>},
      // Response.Cookies gives the collection, Response.Cookies("x") a cookie.
      {u"Cookies", com::kGet, 0, 2,
       [](Self& self, Args& args) -> Variant {
         if (args.IsMissing(0)) return Variant(self.cookies_);
         return self.cookies_->Get(args);
       }},
      {u"Cookies", com::kLet, 2, 3,
       [](Self& self, Args& args) {
         self.cookies_->Let(args);
         return Variant();
       }},
      {u"IsClientConnected", com::kGet, 0, 0,
       [](Self& self, Args&) -> Variant { return self.IsClientConnected(); }},
  };
  return table;
}

void Response::Write(StringView text) {
  if (Ended()) return;
  buffered_ += EncodeText(text);
  if (!buffer_) SendPending();
}

void Response::BinaryWrite(std::string_view bytes) {
  if (Ended()) return;
  buffered_.append(bytes);
  if (!buffer_) SendPending();
}

void Response::SetBuffer(bool buffer) {
  if (!AllowHeaderChange()) return;
  buffer_ = buffer;
}

void Response::Clear() {
  if (Ended()) return;
  if (!buffer_) RaiseBufferingOff();
  buffered_.clear();
}

void Response::Flush() {
  if (Ended()) return;
  if (!buffer_) RaiseBufferingOff();
  SendPending();
}

void Response::SendFileRange(int descriptor, uint64_t offset, uint64_t length) {
  if (Ended()) return;
  SendPending();
  sink_->SendFileRange(descriptor, offset, length);
}

void Response::End() { state_->ended = true; }

void Response::Redirect(StringView url) {
  RequireOneLine(url);
  if (!AllowHeaderChange()) return;
  buffered_.clear();
  status_ = u"302 Object moved";
  location_ = String(url);
  Write(u"<head><title>Object moved</title></head>\r\n<body><h1>Object Moved</h1>This object may be found <a HREF=\"" +
        HtmlEncode(url) + u"\">here</a>.</body>\r\n");
  End();
}

void Response::SetContentType(String type) {
  RequireOneLine(type);
  if (AllowHeaderChange()) content_type_ = std::move(type);
}

void Response::SetCharset(String charset) {
  RequireOneLine(charset);
  if (AllowHeaderChange()) charset_ = std::move(charset);
}

void Response::SetStatus(String status) {
  RequireOneLine(status);
  if (!AllowHeaderChange()) return;
  bool coded = status.size() >= 3;
  for (size_t i = 0; i < 3 && coded; ++i) coded = status[i] >= u'0' && status[i] <= u'9';
  if (!coded || (status.size() > 3 && status[3] != u' ')) vb::Raise(vb::kInvalidProcedureCall);
  status_ = std::move(status);
}

void Response::AddHeader(StringView name, StringView value) {
  RequireOneLine(name);
  RequireOneLine(value);
  if (AllowHeaderChange()) added_headers_.emplace_back(String(name), String(value));
}

void Response::AppendToLog(StringView text) {
  if (!Ended()) log_.emplace_back(text);
}

void Response::SetExpires(int32_t minutes) {
  if (!AllowHeaderChange()) return;
  expires_minutes_ = minutes;
  // IIS sends an expiry in the past for 0 and negative values, so that
  // proxies do not keep the page either.
  std::time_t now = std::time(nullptr);
  expires_at_ = minutes > 0 ? now + static_cast<std::time_t>(minutes) * 60 : now - 60;
}

void Response::SetExpiresAbsolute(vb::Date when) {
  if (!AllowHeaderChange()) return;
  expires_absolute_ = when;
  expires_at_ = TimeOfLocalDate(when);
}

void Response::SetCacheControl(String value) {
  RequireOneLine(value);
  if (AllowHeaderChange()) cache_control_ = std::move(value);
}

TextHeaderList Response::Headers() const {
  TextHeaderList headers;
  headers.emplace_back(u"Content-Type",
                       charset_.empty() ? content_type_ : content_type_ + u"; charset=" + charset_);
  if (expires_at_) headers.emplace_back(u"Expires", HttpDate(*expires_at_));
  if (!cache_control_.empty()) headers.emplace_back(u"Cache-Control", cache_control_);
  if (!location_.empty()) headers.emplace_back(u"Location", location_);
  headers.insert(headers.end(), added_headers_.begin(), added_headers_.end());
  for (const auto& cookie : cookies_->All()) headers.emplace_back(u"Set-Cookie", cookie->HeaderValue());
  return headers;
}

std::optional<String> Response::Header(StringView name) const {
  for (auto& [key, value] : Headers())
    if (vb::EqualsNoCase(key, name)) return value;
  return std::nullopt;
}

void Response::SendPending() {
  if (!state_->sent) {
    state_->sent = true;
    sink_->SendHead({status_, Headers()});
  }
  // The buffer keeps its room: a page that flushes block after block
  // writes each into the memory the last one used.
  sink_->SendBody(buffered_);
  buffered_.clear();
}

void Response::Complete() {
  if (state_->sent) return SendPending();
  state_->sent = true;
  std::string body;
  body.swap(buffered_);
  sink_->SendWhole({status_, Headers()}, body);
}

}  // namespace asp
