// Texts from requests reach the VB run-time's readers: numbers (IsNumeric,
// CDbl, Val), dates (IsDate, CDate) and Format's patterns.
#include <cstddef>
#include <cstdint>

#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/format.h"
#include "platform/vb/numbers.h"
#include "platform/vb/strings.h"

namespace {

template <class F>
void Guarded(F f) {
  try {
    f();
  } catch (const vb::Error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vb::String text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  size_t cut = text.find(u'\x01');
  vb::StringView value = vb::StringView(text).substr(0, cut);
  vb::StringView pattern = cut == vb::String::npos ? vb::StringView() : vb::StringView(text).substr(cut + 1);

  double number;
  if (vb::ParseNumber(value, number)) vb::DoubleToString(number);
  vb::Date date;
  if (vb::ParseDate(value, date)) vb::FormatDateDefault(date);
  Guarded([&] { vb::Val(value); });
  Guarded([&] { vb::Format(vb::Variant(value), pattern); });
  Guarded([&] { vb::Format(vb::Variant(45296.5), pattern); });
  Guarded([&] { vb::Format(vb::Variant(-1234.5678), pattern); });
  Guarded([&] { vb::Replace(value, pattern, u"x", 1, -1, vb::vbTextCompare); });
  Guarded([&] { vb::SplitParts(value, pattern); });
  return 0;
}
