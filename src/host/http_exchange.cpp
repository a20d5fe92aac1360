#include "host/http_exchange.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/asp/http_date.h"
#include "platform/asp/text_codec.h"

namespace host {
namespace {

constexpr size_t kSendPiece = 64 * 1024;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// httplib adds the peer's and its own addresses to the headers it read; they
// are no headers of the request.
bool IsAddedByServer(std::string_view name) {
  for (std::string_view added : {"REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR", "LOCAL_PORT"})
    if (SameName(name, added)) return true;
  return false;
}

// The server frames the response itself.
bool IsFraming(std::string_view name) {
  for (std::string_view framing : {"Content-Length", "Transfer-Encoding", "Connection", "Keep-Alive"})
    if (SameName(name, framing)) return true;
  return false;
}

bool IsToken(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return c > 0x20 && c < 0x7F && c != ':' && c != '(' && c != ')' && c != '"' && c != ',' && c != ';';
  });
}

bool IsHeaderValue(std::string_view value) {
  return std::none_of(value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

int StatusCode(const vb::String& status) {
  if (status.size() < 3) return 500;
  int code = 0;
  for (int i = 0; i < 3; ++i) {
    if (status[i] < u'0' || status[i] > u'9') return 500;
    code = code * 10 + (status[i] - u'0');
  }
  return code >= 100 && code <= 599 ? code : 500;
}

}  // namespace

std::string_view ReasonPhrase(int status) {
  switch (status) {
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}

asp::RequestInfo RequestInfoOf(const httplib::Request& request, const vb::String& page, uint64_t max_body_bytes) {
  asp::RequestInfo info;
  info.method = request.method;
  info.target = request.target;
  info.protocol = request.version;
  for (const auto& [name, value] : request.headers)
    if (!IsAddedByServer(name)) info.headers.emplace_back(name, value);
  info.remote_addr = request.remote_addr;
  info.local_addr = request.local_addr;
  info.server_port = request.local_port;
  info.site_root = u"C:\\";
  info.page = page;
  info.max_body_bytes = max_body_bytes;
  return info;
}

void SendStatus(httplib::Response& response, int status) {
  response.status = status;
  response.set_content(std::to_string(status) + " " + std::string(ReasonPhrase(status)) + "\n", "text/plain");
}

void SendPageAnswer(httplib::Response& response, PageAnswer answer) {
  response.status = StatusCode(answer.head.status);
  std::string content_type = "text/html";
  for (const auto& [text_name, text_value] : answer.head.headers) {
    std::string name = asp::EncodeText(text_name), value = asp::EncodeText(text_value);
    if (!IsToken(name) || !IsHeaderValue(value) || IsFraming(name)) continue;
    if (SameName(name, "Content-Type")) content_type = value;
    else response.headers.emplace(std::move(name), std::move(value));
  }
  std::shared_ptr<Spool> body = std::move(answer.body);
  if (body->InMemory()) {
    response.body = std::move(body->Memory());
    response.set_header("Content-Type", content_type);
    return;
  }
  response.set_content_provider(body->Size(), content_type,
                                [body](size_t offset, size_t length, httplib::DataSink& sink) {
                                  std::array<char, kSendPiece> piece;
                                  size_t n = body->ReadAt(offset, piece.data(), std::min(length, piece.size()));
                                  return n > 0 && sink.write(piece.data(), n);
                                });
}

void SendStaticFile(const httplib::Request& request, httplib::Response& response, const StaticFile& file) {
  std::string modified = asp::EncodeText(asp::HttpDate(file.modified));
  if (request.get_header_value("If-Modified-Since") == modified) {
    response.status = 304;
    return;
  }
  std::shared_ptr<std::FILE> handle(std::fopen(file.host_path.c_str(), "rb"), [](std::FILE* f) {
    if (f) std::fclose(f);
  });
  if (!handle) return SendStatus(response, 404);
  response.set_header("Last-Modified", modified);
  if (file.size == 0) {
    response.set_content("", std::string(file.content_type));
    return;
  }
  response.set_content_provider(
      file.size, std::string(file.content_type), [handle](size_t offset, size_t length, httplib::DataSink& sink) {
        std::array<char, kSendPiece> piece;
        ssize_t n = ::pread(::fileno(handle.get()), piece.data(), std::min(length, piece.size()),
                            static_cast<off_t>(offset));
        return n > 0 && sink.write(piece.data(), static_cast<size_t>(n));
      });
}

}  // namespace host
