#include "common/kesra_utf8.h"

#include "common/utf8_forms.h"
#include "platform/com/object.h"
#include "platform/text/byte_text.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// VB's If on a variant: Null is false.
bool IsTrue(const vb::Variant& v) { return !v.IsNull() && vb::CBool(com::ValueOf(v)); }

// Each byte as the character it gives on its own.
vb::String EncodeByHand(vb::StringView text) {
  vb::String out;
  out.reserve(text.size() * 3);
  for (char16_t u : text)
    EmitUtf8Form(u, [&](unsigned byte) { out.push_back(text::ByteAsCharacter(static_cast<uint8_t>(byte))); });
  return out;
}

// Every byte is decoded: a code-page text holds more bytes than characters
// when some of them are double-byte, and stopping after as many bytes as
// characters would drop the end of the text.
vb::String DecodeByHand(const std::string& bytes) {
  vb::String out;
  out.reserve(bytes.size());
  auto at = [&](size_t k) { return static_cast<unsigned>(static_cast<uint8_t>(bytes[k])); };
  for (size_t i = 0; i < bytes.size();) {
    const unsigned b = at(i);
    const size_t size = b < 0xC2 ? 1 : b <= 0xDF ? 2 : 3;
    if (i + size > bytes.size()) {
      out.push_back(kReplacement);
      break;
    }
    if (b < 0x80) out.push_back(static_cast<char16_t>(b));
    else if (size == 1) out.push_back(text::ByteAsCharacter(static_cast<uint8_t>(b)));
    else if (size == 2) out.push_back(TwoByteForm(b, at(i + 1)));
    else out.push_back(ThreeByteForm(b, at(i + 1), at(i + 2)));
    i += size;
  }
  return out;
}

}  // namespace

vb::String KesraCodeUnicodeToUtf8(vb::StringView strUnicode, const vb::Variant& p_IsNt, bool p_IsHtml) {
  if (strUnicode.empty()) return {};
  vb::String out = IsTrue(p_IsNt) ? text::BytesToText(vb::ToUtf8(strUnicode)) : EncodeByHand(strUnicode);
  return p_IsHtml ? vb::Replace(out, u"\r\n", u"<br/>") : out;
}

vb::String KesraCodeUtf8ToUnicode(vb::StringView p_String, const vb::Variant& p_IsNt) {
  if (p_String.empty()) return {};
  const std::string bytes = text::TextToBytes(p_String);
  return IsTrue(p_IsNt) ? vb::FromUtf8(bytes) : DecodeByHand(bytes);
}

}  // namespace qe
