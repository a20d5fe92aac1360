#pragma once
// One HTTP/1.1 request read off a connection, as RFC 9112 reads it: the head
// first, whole and bounded, then the body by its framing (a length or chunks).
// Anything the server cannot frame without guessing is refused with the
// status to answer before the connection closes: a server that guesses where
// a request ends answers a smuggled second one.
#include <boost/beast/http/basic_parser.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "host/carried_cookies.h"
#include "platform/asp/request_info.h"

namespace host {

struct RequestLimits {
  size_t max_head_bytes = 64 * 1024;  // request line and headers: 431 past it
  // One line of the head: 414 for the request line, 400 for a header. A
  // Cookie field may take the head's whole room: a browser sends every
  // cookie the host holds in one line, and another port of the host can set
  // them (three of 4 KB pass 8 KiB).
  size_t max_line_bytes = 8 * 1024;
  uint64_t max_body_bytes = asp::kDefaultMaxBodyBytes;  // 413 past it
  // Chunk lines (sizes with their extensions) and trailers: what the server
  // holds at once while it reads a chunked body; also how far the framing of
  // a body may outgrow the body itself.
  size_t max_framing_bytes = 64 * 1024;
  // Header fields of a head: 431 past them. Each field costs the server its
  // strings whatever its length, so many empty ones would cost far more than
  // their bytes.
  size_t max_fields = 100;
};

struct RequestHead {
  std::string method;
  std::string target;  // origin form, "/qe/index.asp?a=1": an absolute-form target is cut to it
  int version = 11;    // 10 or 11
  // As they came, in order; an absolute-form target's authority stands in
  // for the Host field's value (the target names the host).
  asp::HeaderList fields;
};

// The memory a parsed head holds, its strings and their bookkeeping.
uint64_t HeldMemory(const RequestHead& head);

class RequestParser {
 public:
  enum class Step { kNeedMore, kDone, kRefused };

  explicit RequestParser(const RequestLimits& limits);

  // The head, from `received`: all the connection received since the end of
  // the previous request. Blank lines before the request line are skipped.
  // kDone once the head is whole and acceptable, with HeadBytes() its length
  // in `received`; kNeedMore leaves `received` to be given again, longer.
  Step ReadHead(std::string_view received);
  size_t HeadBytes() const { return head_bytes_; }
  const RequestHead& Head() const { return head_; }
  // The fields and the target, moved out: what the connection keeps of the
  // head afterwards is its method, version and framing.
  RequestHead TakeHead();

  // What the head says of the body and the connection.
  bool HasBody() const;
  bool KeepAlive() const;
  bool ExpectsContinue() const { return expects_continue_; }
  // The body's declared length; none for chunks.
  std::optional<uint64_t> ContentLength() const {
    auto length = parser_.content_length();
    return length ? std::optional<uint64_t>(*length) : std::nullopt;
  }
  // The connection ends after this request's answer (its body is not read).
  void EndConnectionAfter() { end_connection_ = true; }

  // The body, from the bytes after the head: what it used of `received`;
  // body bytes go to `deliver` as they are decoded. Done() at its end.
  using Deliver = std::function<void(std::string_view)>;
  Step ReadBody(std::string_view received, size_t& used, const Deliver& deliver);
  bool Done() const { return parser_.is_done(); }

  // The status to answer a refused request with (400, 413, 414, 431, 501...).
  int Refusal() const { return refusal_; }
  // A head refused for its size: the cookies it carried, as far as it came
  // (none for another refusal). Taken once.
  CarriedCookies TakeCarriedCookies() { return std::exchange(carried_, {}); }

 private:
  class Parser : public boost::beast::http::basic_parser<true> {
   public:
    RequestParser* owner = nullptr;

   private:
    void on_request_impl(boost::beast::http::verb, boost::beast::string_view method, boost::beast::string_view target, int version,
                         boost::beast::error_code&) override;
    void on_response_impl(int, boost::beast::string_view, int, boost::beast::error_code&) override {}
    void on_field_impl(boost::beast::http::field, boost::beast::string_view name, boost::beast::string_view value,
                       boost::beast::error_code&) override;
    void on_header_impl(boost::beast::error_code&) override {}
    void on_body_init_impl(const boost::optional<std::uint64_t>&, boost::beast::error_code&) override {}
    size_t on_body_impl(boost::beast::string_view body, boost::beast::error_code&) override;
    void on_chunk_header_impl(std::uint64_t, boost::beast::string_view extensions, boost::beast::error_code&) override;
    size_t on_chunk_body_impl(std::uint64_t, boost::beast::string_view body, boost::beast::error_code&) override;
    void on_finish_impl(boost::beast::error_code&) override {}
  };

  Step Refuse(int status);
  Step RefuseLargeHead(std::string_view received);
  // Whether the line being scanned, `length` bytes of it, is past its limit.
  bool LinePastLimit(std::string_view received, size_t length) const;
  // The lines of the head so far, from where the last call stopped: their
  // lengths and obsolete line folding. kDone once the blank line that ends
  // the head was seen.
  Step ScanLines(std::string_view received);
  Step CheckHead(std::string_view raw_head);
  int StatusOfParseError(const boost::beast::error_code& error, std::string_view raw_head) const;

  RequestLimits limits_;
  Parser parser_;
  RequestHead head_;
  size_t skipped_ = 0;  // blank lines before the request line
  size_t scanned_ = 0;  // how far ScanLines has read
  size_t line_start_ = 0;
  size_t fields_ = 0;  // header lines seen
  bool in_request_line_ = true;
  std::string authority_;  // of an absolute-form target
  bool absolute_form_ = false;
  size_t head_bytes_ = 0;
  bool expects_continue_ = false;
  bool end_connection_ = false;
  int refusal_ = 0;
  CarriedCookies carried_;
  const Deliver* deliver_ = nullptr;
  const char* received_end_ = nullptr;  // of the bytes being parsed
  uint64_t body_delivered_ = 0;
  uint64_t framing_used_ = 0;  // bytes of the body's framing, not of the body
};

}  // namespace host
