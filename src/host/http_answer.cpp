#include "host/http_answer.h"

#include <boost/beast/core/string.hpp>

#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/asp/text_codec.h"

namespace host {
namespace {

// The server frames the response itself.
bool IsFraming(std::string_view name) {
  for (std::string_view framing : {"Content-Length", "Transfer-Encoding", "Connection", "Keep-Alive"})
    if (boost::beast::iequals(name, framing)) return true;
  return false;
}

bool IsToken(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return c > 0x20 && c < 0x7F && std::string_view(":()\",;<>@[]\\/?={}").find(static_cast<char>(c)) ==
                                       std::string_view::npos;
  });
}

bool IsFieldText(std::string_view value) {
  return std::none_of(value.begin(), value.end(), [](unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; });
}

std::optional<uint64_t> LengthValue(std::string_view text) {
  uint64_t length = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return length;
}

constexpr std::pair<std::string_view, std::string_view> kGuards[] = {
    {"X-Content-Type-Options", "nosniff"},
    {"X-Frame-Options", "SAMEORIGIN"},
    {"Content-Security-Policy", "frame-ancestors 'self'"},
};

std::string Guards() {
  std::string text;
  for (const auto& [name, value] : kGuards) text.append(name).append(": ").append(value).append("\r\n");
  return text;
}

}  // namespace

std::string_view GuardFields() {
  static const std::string text = Guards();
  return text;
}

std::string_view ReasonPhrase(int status) {
  switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 206: return "Partial Content";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 416: return "Range Not Satisfiable";
    case 417: return "Expectation Failed";
    case 421: return "Misdirected Request";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}

std::string StatusAnswer(int status, bool close, bool head_only, const std::vector<std::string>& set_cookies) {
  std::string text = std::to_string(status) + " " + std::string(ReasonPhrase(status)) + "\n";
  std::string answer = "HTTP/1.1 " + text.substr(0, text.size() - 1) +
                       "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(text.size()) + "\r\n" +
                       std::string(GuardFields());
  for (const std::string& cookie : set_cookies) answer.append("Set-Cookie: ").append(cookie).append("\r\n");
  if (close) answer += "Connection: close\r\n";
  answer += "\r\n";
  if (!head_only) answer += text;
  return answer;
}

PageHead::PageHead(const asp::ResponseHead& head) {
  std::string status_text = asp::EncodeText(head.status);
  int code = 0;
  auto [end, error] = std::from_chars(status_text.data(), status_text.data() + std::min<size_t>(3, status_text.size()), code);
  bool readable = error == std::errc() && end == status_text.data() + 3 && code >= 200 && code <= 599 &&
                  (status_text.size() == 3 || status_text[3] == ' ') && IsFieldText(status_text);
  if (!readable) {
    code = 500;
    status_text = "500 " + std::string(ReasonPhrase(500));
  } else if (status_text.size() <= 4) {
    status_text = std::to_string(code) + " " + std::string(ReasonPhrase(code));
  }
  status = code;
  status_line = "HTTP/1.1 " + status_text + "\r\n";
  for (const auto& [text_name, text_value] : head.headers) {
    std::string name = asp::EncodeText(text_name), value = asp::EncodeText(text_value);
    if (!IsToken(name) || !IsFieldText(value)) continue;
    if (boost::beast::iequals(name, "Content-Length")) {
      if (!page_length) page_length = LengthValue(value);
      continue;
    }
    if (IsFraming(name)) continue;
    fields.append(name).append(": ").append(value).append("\r\n");
  }
  for (const auto& [guard, value] : kGuards) {
    bool own = std::any_of(head.headers.begin(), head.headers.end(), [&, guard = guard](const auto& header) {
      return boost::beast::iequals(asp::EncodeText(header.first), guard);
    });
    if (!own) fields.append(guard).append(": ").append(value).append("\r\n");
  }
}

std::string PageHead::Text(BodyFraming framing, uint64_t length, bool close, bool http11) const {
  std::string text = status_line + fields;
  if (framing == BodyFraming::kLength) text += "Content-Length: " + std::to_string(length) + "\r\n";
  if (framing == BodyFraming::kChunked) text += "Transfer-Encoding: chunked\r\n";
  if (close) text += "Connection: close\r\n";
  else if (!http11) text += "Connection: keep-alive\r\n";
  text += "\r\n";
  return text;
}

}  // namespace host
