#include "host/request_parser.h"

#include <boost/beast/core/string.hpp>

#include <algorithm>
#include <array>
#include <vector>

#include "host/request_target.h"

namespace host {
namespace {

namespace http = boost::beast::http;

std::vector<std::string_view> ValuesOf(const asp::HeaderList& fields, std::string_view name) {
  std::vector<std::string_view> values;
  for (const auto& [key, value] : fields)
    if (boost::beast::iequals(key, name)) values.push_back(value);
  return values;
}

// host = IP-literal / IPv4address / reg-name, then an optional port: the
// characters they are made of.
bool IsHostValue(std::string_view value) {
  return std::all_of(value.begin(), value.end(), [](unsigned char c) {
    return std::isalnum(c) || std::string_view("-._~!$&'()*+,;=:[]%").find(static_cast<char>(c)) != std::string_view::npos;
  });
}

// "http://host:port/path?q" -> "/path?q", with "host:port" its authority;
// another target is left as it is.
std::string OriginForm(std::string_view target, std::string* authority, bool* absolute) {
  for (std::string_view scheme : {"http://", "https://"}) {
    if (target.size() < scheme.size() || !boost::beast::iequals(target.substr(0, scheme.size()), scheme)) continue;
    std::string_view rest = target.substr(scheme.size());
    size_t path = rest.find_first_of("/?");
    *absolute = true;
    *authority = std::string(rest.substr(0, path));
    if (path == std::string_view::npos) return "/";
    return rest[path] == '?' ? "/" + std::string(rest.substr(path)) : std::string(rest.substr(path));
  }
  return std::string(target);
}

// What one string holds beyond its own bytes in the object: nothing while it
// fits inside, else its block and the allocator's word.
uint64_t StringMemory(const std::string& text) {
  static const size_t kInside = std::string().capacity();
  return text.capacity() <= kInside ? 0 : text.capacity() + 1 + 2 * sizeof(void*);
}

// The transfer codings of a request, in order: 0 when they frame the body as
// RFC 9112 allows and the server can read it, else the status to refuse it.
int TransferCodingRefusal(const std::vector<std::string_view>& values) {
  constexpr std::array<std::string_view, 7> kKnown{"chunked", "identity", "gzip", "x-gzip",
                                                  "deflate", "compress", "x-compress"};
  std::vector<std::string> codings;
  for (std::string_view value : values) {
    while (!value.empty()) {
      size_t comma = value.find(',');
      std::string_view element = TrimBlanks(value.substr(0, comma));
      value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
      if (element.empty()) continue;
      std::string name(TrimBlanks(element.substr(0, element.find(';'))));
      std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
      if (std::find(kKnown.begin(), kKnown.end(), name) == kKnown.end()) return 501;
      codings.push_back(std::move(name));
    }
  }
  // Without chunked last, the end of the body cannot be known.
  if (codings.empty() || codings.back() != "chunked" || std::count(codings.begin(), codings.end(), "chunked") != 1)
    return 400;
  return codings.size() == 1 ? 0 : 501;  // the server undoes no other coding
}

}  // namespace

uint64_t HeldMemory(const RequestHead& head) {
  uint64_t bytes = sizeof head + StringMemory(head.method) + StringMemory(head.target) +
                   head.fields.capacity() * sizeof(asp::HeaderList::value_type);
  for (const auto& [name, value] : head.fields) bytes += StringMemory(name) + StringMemory(value);
  return bytes;
}

RequestParser::RequestParser(const RequestLimits& limits) : limits_(limits) {
  parser_.owner = this;
  parser_.header_limit(static_cast<std::uint32_t>(limits_.max_head_bytes));
  parser_.body_limit(limits_.max_body_bytes);
}

RequestParser::Step RequestParser::Refuse(int status) {
  refusal_ = status;
  return Step::kRefused;
}

RequestParser::Step RequestParser::RefuseLargeHead(std::string_view received) {
  carried_ = ReadCarriedCookies(received.substr(skipped_));
  return Refuse(431);
}

bool RequestParser::LinePastLimit(std::string_view received, size_t length) const {
  if (length <= limits_.max_line_bytes) return false;
  // A Cookie line is bounded by the head's limit alone.
  return in_request_line_ || !boost::beast::iequals(received.substr(line_start_, 7), "Cookie:");
}

RequestParser::Step RequestParser::ScanLines(std::string_view received) {
  for (; scanned_ < received.size(); ++scanned_) {
    char c = received[scanned_];
    if (scanned_ == line_start_ && !in_request_line_ && (c == ' ' || c == '\t'))
      return Refuse(400);  // a folded header line
    if (c != '\n') continue;
    size_t length = scanned_ - line_start_;
    if (length > 0 && received[scanned_ - 1] == '\r') --length;
    if (LinePastLimit(received, length)) return Refuse(in_request_line_ ? 414 : 400);
    line_start_ = scanned_ + 1;
    if (length == 0 && in_request_line_) {  // a client may send blank lines between requests
      skipped_ = line_start_;
      if (skipped_ > limits_.max_head_bytes) return Refuse(400);
      continue;
    }
    bool blank = length == 0 && !in_request_line_;
    if (blank) {
      head_bytes_ = ++scanned_;
      return Step::kDone;
    }
    if (!in_request_line_ && ++fields_ > limits_.max_fields) return Refuse(431);
    in_request_line_ = false;
    if (head_bytes_ = scanned_ + 1 - skipped_; head_bytes_ > limits_.max_head_bytes) return RefuseLargeHead(received);
  }
  // The line so far, but a CR that may end it.
  if (scanned_ > line_start_ && LinePastLimit(received, scanned_ - line_start_ - 1))
    return Refuse(in_request_line_ ? 414 : 400);
  if (scanned_ - skipped_ > limits_.max_head_bytes) return RefuseLargeHead(received);
  return Step::kNeedMore;
}

RequestParser::Step RequestParser::ReadHead(std::string_view received) {
  if (refusal_) return Step::kRefused;
  Step lines = ScanLines(received);
  if (lines != Step::kDone) return lines;
  return CheckHead(received.substr(skipped_, head_bytes_ - skipped_));
}

int RequestParser::StatusOfParseError(const boost::beast::error_code& error, std::string_view raw_head) const {
  if (error == http::error::header_limit) return 431;
  if (error == http::error::body_limit) return 413;
  if (error == http::error::bad_content_length) {
    // A length beside chunked is a framing conflict, whatever its digits.
    if (!ValuesOf(head_.fields, "Transfer-Encoding").empty()) return 400;
    // A length of digits only that is past any number: too large, not malformed.
    for (const auto& value : ValuesOf(head_.fields, "Content-Length"))
      if (!value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos) return 413;
    // The field that failed is not among those kept: find it in the head.
    size_t at = 0;
    while ((at = raw_head.find('\n', at)) != std::string_view::npos) {
      std::string_view line = raw_head.substr(++at);
      line = line.substr(0, line.find('\r'));
      size_t colon = line.find(':');
      if (colon == std::string_view::npos || !boost::beast::iequals(line.substr(0, colon), "Content-Length")) continue;
      std::string_view value = TrimBlanks(line.substr(colon + 1));
      if (!value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos) return 413;
    }
  }
  return 400;
}

RequestParser::Step RequestParser::CheckHead(std::string_view raw_head) {
  head_.fields.reserve(fields_);  // what the head holds is what it needs
  boost::beast::error_code error;
  parser_.put(boost::asio::const_buffer(raw_head.data(), raw_head.size()), error);
  if (error) return Refuse(StatusOfParseError(error, raw_head));
  if (!parser_.is_header_done()) return Refuse(400);

  std::vector<std::string_view> hosts = ValuesOf(head_.fields, "Host");
  if (hosts.size() > 1 || (head_.version == 11 && hosts.empty())) return Refuse(400);
  if (!hosts.empty() && !IsHostValue(hosts.front())) return Refuse(400);
  if (absolute_form_) {
    // The target names the host, whatever the Host field says (RFC 9112, 3.2.2).
    if (authority_.empty() || !IsHostValue(authority_)) return Refuse(400);
    auto host = std::find_if(head_.fields.begin(), head_.fields.end(),
                             [](const auto& field) { return boost::beast::iequals(field.first, "Host"); });
    if (host == head_.fields.end()) head_.fields.emplace_back("Host", authority_);
    else host->second = authority_;
  }

  std::vector<std::string_view> codings = ValuesOf(head_.fields, "Transfer-Encoding");
  if (!codings.empty()) {
    if (head_.version == 10) return Refuse(400);
    if (int status = TransferCodingRefusal(codings)) return Refuse(status);
  }

  std::vector<std::string_view> expect = ValuesOf(head_.fields, "Expect");
  if (!expect.empty()) {
    if (expect.size() > 1 || !boost::beast::iequals(TrimBlanks(expect.front()), "100-continue")) return Refuse(417);
    expects_continue_ = head_.version == 11 && HasBody();
  }
  return Step::kDone;
}

RequestHead RequestParser::TakeHead() {
  RequestHead taken;
  taken.method = head_.method;
  taken.version = head_.version;
  std::swap(taken.target, head_.target);
  std::swap(taken.fields, head_.fields);
  return taken;
}

bool RequestParser::HasBody() const { return parser_.is_header_done() && !parser_.is_done(); }

bool RequestParser::KeepAlive() const { return !end_connection_ && parser_.is_header_done() && parser_.keep_alive(); }

RequestParser::Step RequestParser::ReadBody(std::string_view received, size_t& used, const Deliver& deliver) {
  used = 0;
  if (refusal_) return Step::kRefused;
  if (parser_.is_done()) return Step::kDone;
  if (received.empty()) return Step::kNeedMore;
  parser_.eager(true);
  deliver_ = &deliver;
  received_end_ = received.data() + received.size();
  boost::beast::error_code error;
  uint64_t body_before = body_delivered_;
  used = parser_.put(boost::asio::const_buffer(received.data(), received.size()), error);
  deliver_ = nullptr;
  framing_used_ += used - (body_delivered_ - body_before);
  if (framing_used_ > limits_.max_framing_bytes + body_delivered_) return Refuse(400);
  if (error == http::error::need_more) {
    if (received.size() - used >= limits_.max_framing_bytes) return Refuse(400);  // a chunk line without end
    return Step::kNeedMore;
  }
  if (error) return Refuse(error == http::error::body_limit ? 413 : 400);
  return parser_.is_done() ? Step::kDone : Step::kNeedMore;
}

void RequestParser::Parser::on_request_impl(http::verb, boost::beast::string_view method, boost::beast::string_view target,
                                            int version, boost::beast::error_code&) {
  owner->head_.method = std::string(method);
  owner->head_.target = OriginForm(target, &owner->authority_, &owner->absolute_form_);
  owner->head_.version = version;
}

void RequestParser::Parser::on_field_impl(http::field, boost::beast::string_view name, boost::beast::string_view value,
                                          boost::beast::error_code& error) {
  if (!is_header_done()) {
    owner->head_.fields.emplace_back(std::string(name), std::string(value));
    return;
  }
  // Trailer fields come after the body: nothing reads them, but one folded
  // over two lines is refused as a folded header line is. The parser joins
  // folded lines, so the received bytes tell: the line after the field's
  // first starts with a blank.
  std::string_view rest(name.data(), static_cast<size_t>(owner->received_end_ - name.data()));
  size_t line_end = rest.find('\n');
  if (line_end != std::string_view::npos && line_end + 1 < rest.size() &&
      (rest[line_end + 1] == ' ' || rest[line_end + 1] == '\t'))
    error = http::error::bad_value;
}

void RequestParser::Parser::on_chunk_header_impl(std::uint64_t, boost::beast::string_view extensions,
                                                 boost::beast::error_code& error) {
  // The parser takes any byte inside a quoted extension value; a control
  // character there (a bare LF, a NUL) is how one reader's line ends where
  // another's does not.
  for (unsigned char c : extensions)
    if ((c < 0x20 && c != '\t') || c == 0x7F) error = http::error::bad_chunk_extension;
}

size_t RequestParser::Parser::on_body_impl(boost::beast::string_view body, boost::beast::error_code&) {
  owner->body_delivered_ += body.size();
  if (owner->deliver_) (*owner->deliver_)(body);
  return body.size();
}

size_t RequestParser::Parser::on_chunk_body_impl(std::uint64_t, boost::beast::string_view body, boost::beast::error_code& error) {
  return on_body_impl(body, error);
}

}  // namespace host
