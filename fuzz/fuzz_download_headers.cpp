// The attachment header and the header-value encoder over any name: nothing
// that could end or split a header comes out, and what the browser decodes is
// the name (the extended name as UTF-8, the encoded value in code page 936).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/markup_encode.h"
#include "platform/text/ansi.h"
#include "transfer/download_headers.h"

namespace {

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  std::abort();
}

std::string PercentDecoded(vb::StringView text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%') {
      if (text[i] > 0x7F) std::abort();
      bytes.push_back(static_cast<char>(text[i]));
      continue;
    }
    if (i + 2 >= text.size()) std::abort();
    bytes.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
    i += 2;
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vb::String name;
  for (size_t i = 0; i + 1 < size; i += 2) name.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

  const vb::String header = qe::AttachmentDisposition(name);
  for (char16_t c : header)
    if (c < 0x20 || c == 0x7F) std::abort();
  vb::String clean;
  for (char16_t c : name)
    if (!(c < 0x20 || (c >= 0x7F && c <= 0x9F))) clean.push_back(c);
  static constexpr char16_t kExtended[] = u"; filename*=UTF-8''";
  const size_t extended = header.rfind(kExtended);
  if (extended == vb::String::npos) {
    if (header != u"attachment;  FileName=" + clean) std::abort();
  } else if (PercentDecoded(vb::StringView(header).substr(extended + std::char_traits<char16_t>::length(kExtended))) !=
             vb::ToUtf8(clean)) {
    std::abort();
  }

  const vb::String encoded = qe::HeaderValueEncode(name);
  for (char16_t c : encoded) {
    bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
                   c == u'.' || c == u'_' || c == u'~' || c == u'/' || c == u'%';
    if (!allowed) std::abort();
  }
  if (PercentDecoded(encoded) != text::EncodeAnsi(name)) std::abort();
  return 0;
}
