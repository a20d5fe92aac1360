#pragma once
// Multipart bodies built the way browsers and curl build them, and upload
// requests over them.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/asp/context.h"
#include "platform/text/ansi.h"
#include "support/cut_off_body.h"

namespace upload_test {

// The boundary shapes of the clients that send uploads.
inline constexpr std::string_view kChromeBoundary = "----WebKitFormBoundary7MA4YWxkTrZu0gW";
inline constexpr std::string_view kFirefoxBoundary = "---------------------------9051914041544843365972754266";
inline constexpr std::string_view kCurlBoundary = "------------------------d74496d66958873e";

class MultipartBody {
 public:
  explicit MultipartBody(std::string_view boundary = kChromeBoundary) : boundary_(boundary) {}

  // A text field; `value` as bytes (code page 936 for Chinese text).
  MultipartBody& Field(std::string_view name, std::string_view value) {
    Open() += "Content-Disposition: form-data; name=\"" + std::string(name) + "\"\r\n\r\n";
    body_ += value;
    body_ += "\r\n";
    return *this;
  }
  // A file; `file_name` as the client sends it ("" for an input left empty).
  MultipartBody& File(std::string_view name, std::string_view file_name, std::string_view data,
                      std::string_view type = "application/octet-stream") {
    Open() += "Content-Disposition: form-data; name=\"" + std::string(name) + "\"; filename=\"" +
              std::string(file_name) + "\"\r\nContent-Type: " + std::string(type) + "\r\n\r\n";
    body_ += data;
    body_ += "\r\n";
    return *this;
  }
  // Any bytes as one part (headers, blank line and data as given).
  MultipartBody& RawPart(std::string_view part) {
    Open() += part;
    body_ += "\r\n";
    return *this;
  }

  std::string Bytes() const { return body_ + "--" + boundary_ + "--\r\n"; }
  std::string Unclosed() const { return body_; }
  std::string ContentType() const { return "multipart/form-data; boundary=" + boundary_; }
  const std::string& Boundary() const { return boundary_; }

 private:
  std::string& Open() {
    body_ += "--" + boundary_ + "\r\n";
    return body_;
  }

  std::string boundary_;
  std::string body_;
};

struct RequestOptions {
  std::string method = "POST";
  std::string content_type;  // "" for none
  vb::String server_software = u"Microsoft-IIS/6.0";
  uint64_t declared_length = 0;  // more than the body: the client goes away early
};

inline std::unique_ptr<asp::Context> UploadRequest(std::string body, RequestOptions options) {
  asp::Connection c;
  c.request.method = options.method;
  c.request.target = "/qe/upload.asp";
  if (!options.content_type.empty()) c.request.headers.emplace_back("Content-Type", options.content_type);
  c.request.server_software = options.server_software;
  uint64_t declared = std::max<uint64_t>(options.declared_length, body.size());
  c.request.headers.emplace_back("Content-Length", std::to_string(declared));
  c.body = std::make_unique<qe_test::CutOffBody>(std::move(body), declared);
  return std::make_unique<asp::Context>(std::move(c));
}

inline std::unique_ptr<asp::Context> UploadRequest(const MultipartBody& body) {
  return UploadRequest(body.Bytes(), {.content_type = body.ContentType()});
}

inline std::string Ansi(std::u16string_view text) { return text::EncodeAnsi(text); }

}  // namespace upload_test
