#pragma once
// The Response object. Output is buffered (Buffer is True by default) in the
// server's code page and goes to the sink at Flush, or at the end of the
// request. Headers can change until they are sent with the first Flush; after
// that a change raises ASP 0156. A header text holding CR or LF raises 5
// (RequireOneLine).
//
// End marks the response ended and nothing else: it does not unwind the
// caller, which returns by itself after testing Ended(). Once ended, the
// response is frozen: writes, header and cookie changes are dropped, and the
// end of the request sends what was written before End.
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/asp/response_cookies.h"
#include "platform/asp/response_sink.h"

namespace asp {

class Response : public com::Dispatch<Response> {
 public:
  explicit Response(std::shared_ptr<ResponseSink> sink);

  static const com::MemberTable<Response>& Members();
  String TypeName() const override { return u"IResponse"; }

  void Write(StringView text);
  void BinaryWrite(std::string_view bytes);
  bool Buffer() const { return buffer_; }
  void SetBuffer(bool buffer);
  void Clear();
  void Flush();
  // Flushes, then sends `length` bytes of the open file from `offset` as the
  // body's next bytes (see ResponseSink::SendFileRange).
  void SendFileRange(int descriptor, uint64_t offset, uint64_t length);
  void End();
  // 302 with a Location header and a short page; ends the response.
  void Redirect(StringView url);
  const String& ContentType() const { return content_type_; }
  void SetContentType(String type);
  const String& Charset() const { return charset_; }
  void SetCharset(String charset);
  const String& Status() const { return status_; }
  void SetStatus(String status);  // "404 Not Found"; error 5 without a three-digit code
  void AddHeader(StringView name, StringView value);
  void AppendToLog(StringView text);
  void SetExpires(int32_t minutes);        // from now; 0 or less: already expired
  void SetExpiresAbsolute(vb::Date when);  // server local time
  const String& CacheControl() const { return cache_control_; }
  void SetCacheControl(String value);
  ResponseCookies& Cookies() { return *cookies_; }
  bool IsClientConnected() const { return sink_->IsClientConnected(); }

  // For the host and tests.
  bool Ended() const { return state_->ended; }
  bool HeadersSent() const { return state_->sent; }
  // Every header as it is (or will be) sent: Content-Type (with "; charset="),
  // Expires, Cache-Control, Location, the added headers, one Set-Cookie per cookie.
  TextHeaderList Headers() const;
  // The first header of that name, in any letter case.
  std::optional<String> Header(StringView name) const;
  // Body bytes written and not yet sent.
  const std::string& Buffered() const { return buffered_; }
  const std::vector<String>& Log() const { return log_; }
  // The end of the request: sends the headers if they are still here, and the
  // buffered body.
  void Complete();

 private:
  void SendPending();
  bool AllowHeaderChange() const { return state_->AllowChange(); }

  std::shared_ptr<ResponseSink> sink_;
  std::shared_ptr<HeaderState> state_ = std::make_shared<HeaderState>();
  std::shared_ptr<ResponseCookies> cookies_;
  bool buffer_ = true;
  std::string buffered_;
  String status_ = u"200 OK";
  String content_type_ = u"text/html";
  String charset_;
  String cache_control_ = u"private";
  std::optional<std::time_t> expires_at_;
  Variant expires_minutes_;
  Variant expires_absolute_;
  String location_;
  TextHeaderList added_headers_;
  std::vector<String> log_;
};

}  // namespace asp
