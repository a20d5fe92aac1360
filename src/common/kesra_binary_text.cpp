#include "common/kesra_binary_text.h"

#include <string>

#include "platform/com/object.h"
#include "platform/text/ansi.h"

namespace qe {
namespace {

std::vector<uint8_t> BytesOf(const vb::Variant& v) {
  const vb::Variant value = com::ValueOf(v);
  if (value.IsArray()) {
    if (!value.As<vb::Array>().IsBytes()) vb::Raise(vb::kTypeMismatch);
    return value.As<vb::Array>().Bytes();
  }
  std::vector<uint8_t> bytes;
  for (char16_t c : vb::CStr(value)) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

}  // namespace

vb::String KesraBinaryToString(const vb::Variant& p_Binary) {
  std::string digits;
  for (uint8_t b : BytesOf(p_Binary)) digits += std::to_string(b);
  return vb::String(digits.begin(), digits.end());
}

vb::Variant KesraMultiByteToBinary(const vb::Variant& p_MultiByte) {
  std::vector<uint8_t> bytes = BytesOf(p_MultiByte);
  if (bytes.empty()) return vb::Variant(vb::String());
  return vb::Variant(vb::Array::OfBytes(std::move(bytes)));
}

vb::String KesraRsBinaryToString(const vb::Variant& p_Binary) {
  const vb::Variant value = com::ValueOf(p_Binary);
  const vb::Variant data = value.IsString() ? KesraMultiByteToBinary(value) : value;
  if (!data.IsArray()) return vb::CStr(data);
  const std::vector<uint8_t> bytes = BytesOf(data);
  return text::DecodeAnsi(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace qe
