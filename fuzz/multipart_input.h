#pragma once
// Fuzz input as an upload request: either the bytes as the body itself, or
// (mode bit 0) pieces separated by 0x01, each made a part of a well-formed
// body, so that runs reach past the framing into headers, names and data.
// A piece starting with "f" is a file part: its file name runs to the first
// 0x02, its data follow; any other piece is a field whose value it is.
// Mode bit 1 cuts the body short by the next input byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/asp/context.h"

namespace fuzz_upload {

inline void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

inline std::string BodyOf(std::string_view input) {
  if (input.empty()) return {};
  uint8_t mode = static_cast<uint8_t>(input[0]);
  input.remove_prefix(1);
  size_t cut = 0;
  if ((mode & 2) && !input.empty()) {
    cut = static_cast<uint8_t>(input[0]);
    input.remove_prefix(1);
  }
  std::string body;
  if (!(mode & 1)) {
    body = std::string(input);
  } else {
    size_t start = 0;
    int n = 0;
    while (start <= input.size()) {
      size_t end = std::min(input.find('\x01', start), input.size());
      std::string_view piece = input.substr(start, end - start);
      body += "--b\r\nContent-Disposition: form-data; name=\"p" + std::to_string(n++ % 3) + "\"";
      if (piece.starts_with("f")) {
        size_t name_end = std::min(piece.find('\x02'), piece.size());
        body += "; filename=\"" + std::string(piece.substr(1, name_end - 1)) + "\"\r\nContent-Type: image/x\r\n\r\n";
        body += piece.substr(std::min(name_end + 1, piece.size()));
      } else {
        body += "\r\n\r\n";
        body += piece;
      }
      body += "\r\n";
      start = end + 1;
    }
    body += "--b--\r\n";
  }
  if (cut > 0 && cut < body.size()) body.resize(body.size() - cut);
  return body;
}

inline std::unique_ptr<asp::Context> RequestOf(std::string body) {
  asp::Connection c;
  c.request.method = "POST";
  c.request.headers = {{"Content-Type", "multipart/form-data; boundary=b"}};
  c.body = std::make_unique<asp::MemoryBody>(std::move(body));
  return std::make_unique<asp::Context>(std::move(c));
}

}  // namespace fuzz_upload
