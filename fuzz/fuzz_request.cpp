// Requests as a client may send them: whatever the query, cookies, headers and
// form body hold, reading them through the Request object never crashes and
// keeps every value within what was sent.
//
// Input: four pieces separated by 0x00 bytes: the query, the Cookie header, a
// header value (sent as Referer), and the urlencoded body.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/asp/context.h"
#include "platform/asp/url_encoding.h"

namespace {

std::vector<std::string> Pieces(std::string_view data) {
  std::vector<std::string> out(4);
  size_t k = 0;
  for (char c : data) {
    if (c == '\0' && k < 3) ++k;
    else out[k].push_back(c);
  }
  return out;
}

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// Every value of a collection, by position and by name.
void ReadAll(const vb::Variant& collection, size_t sent_bytes) {
  int32_t count = vb::CLng(com::Call(collection, u"Count"));
  for (int32_t i = 1; i <= count; ++i) {
    vb::String key = vb::CStr(com::Call(collection, u"Key", i));
    vb::String value = vb::CStr(com::ValueOf(com::Call(collection, u"Item", i)));
    vb::String by_name = vb::CStr(com::ValueOf(com::Call(collection, u"Item", key)));
    // Repeated names join their values with ", ": never longer than what was sent plus the joints.
    Check(key.size() <= sent_bytes, "key longer than the request");
    Check(by_name.size() <= sent_bytes * 3 + 2, "value longer than the request");
    (void)value;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto pieces = Pieces(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const auto& p : pieces)
    if (p.find_first_of("\r\n") != std::string::npos) return 0;  // not a header a server would pass on

  asp::RequestSpec request_spec;
  request_spec.url = u"/qe/index.asp?" + vb::FromUtf8(pieces[0]);
  if (!pieces[1].empty()) request_spec.headers.emplace_back(u"Cookie", vb::FromUtf8(pieces[1]));
  request_spec.headers.emplace_back(u"Referer", vb::FromUtf8(pieces[2]));
  request_spec.headers.emplace_back(u"Content-Type", u"application/x-www-form-urlencoded");
  request_spec.body = pieces[3];
  try {
    asp::Context context(std::move(request_spec));
    vb::Variant request = context.Request();
    size_t sent = size * 4 + 64;
    ReadAll(com::Call(request, u"QueryString"), sent);
    ReadAll(com::Call(request, u"Cookies"), sent);
    ReadAll(com::Call(request, u"Form"), sent);
    ReadAll(com::Call(request, u"ServerVariables"), sent);
    com::Call(request, u"", u"id");
  } catch (const vb::Error&) {
    // A refused request is an answer, not a crash.
  }
  auto pairs = asp::ParseUrlEncoded(pieces[3]);
  for (const auto& [name, value] : pairs) Check(name.size() + value.size() <= pieces[3].size(), "pair too long");
  return 0;
}
