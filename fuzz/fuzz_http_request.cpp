// Requests as a client may send them, in pieces of any size: reading them
// never crashes, never reads past what arrived, refuses with a status the
// server answers (the cookie names it carries fit a Set-Cookie field), and
// delivers no more body than the limit allows.
//
// Input: the first byte sets the size of the pieces (1 to 256); the rest is
// what the connection receives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/request_parser.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

bool IsRefusal(int status) {
  for (int known : {400, 408, 413, 414, 417, 431, 501})
    if (status == known) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = static_cast<size_t>(data[0]) + 1;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  host::RequestLimits limits;
  limits.max_head_bytes = 2048;
  limits.max_line_bytes = 512;
  limits.max_body_bytes = 4096;
  limits.max_framing_bytes = 1024;

  // Up to three requests one after another, as on a kept connection.
  std::string received;
  size_t fed = 0;
  auto feed = [&] {
    size_t n = std::min(piece, input.size() - fed);
    received.append(input.substr(fed, n));
    fed += n;
    return n > 0;
  };
  for (int request = 0; request < 3; ++request) {
    host::RequestParser parser(limits);
    host::RequestParser::Step step;
    while ((step = parser.ReadHead(received)) == host::RequestParser::Step::kNeedMore)
      if (!feed()) return 0;
    if (step == host::RequestParser::Step::kRefused) {
      Check(IsRefusal(parser.Refusal()), "a refusal the server answers");
      // Its answer writes them back into Set-Cookie fields.
      for (const std::string& name : parser.TakeCarriedCookies().names)
        Check(!name.empty() && name.find_first_of("\r\n;=") == std::string::npos, "a cookie name a field can carry");
      return 0;
    }
    Check(parser.HeadBytes() <= received.size(), "the head within what arrived");
    Check(parser.Head().version == 10 || parser.Head().version == 11, "HTTP/1.0 or 1.1");
    received.erase(0, parser.HeadBytes());
    uint64_t body = 0;
    host::RequestParser::Deliver deliver = [&](std::string_view bytes) { body += bytes.size(); };
    for (;;) {
      size_t used = 0;
      step = parser.ReadBody(received, used, deliver);
      Check(used <= received.size(), "the body within what arrived");
      received.erase(0, used);
      Check(body <= limits.max_body_bytes, "no more body than the limit");
      if (step == host::RequestParser::Step::kRefused) {
        Check(IsRefusal(parser.Refusal()), "a refusal the server answers");
        return 0;
      }
      if (step == host::RequestParser::Step::kDone) break;
      if (!feed()) return 0;
    }
  }
  return 0;
}
