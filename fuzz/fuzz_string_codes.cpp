// The text codings that pages feed with request values: bytes carried in
// code-page text, URL percent coding, UTF-8 by hand and by the platform, and
// the column cuts. No crash; only the run-time errors the procedures name;
// every round trip comes back whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "common/kesra_string_width.h"
#include "common/kesra_url_code.h"
#include "common/kesra_utf8.h"
#include "platform/text/byte_text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Runs the call; a run-time error must be the one allowed.
template <class Call>
void RaisesAtMost(Call call, int32_t allowed) {
  try {
    call();
  } catch (const vb::Error& e) {
    Check(e.Number() == allowed);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const vb::String carried = text::BytesToText(bytes);
  Check(text::TextToBytes(carried) == bytes);

  vb::String units;
  for (size_t i = 0; i + 1 < size; i += 2) units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

  Check(qe::KesraUrlDecode_GBToUtf8(qe::KesraUrlEncode_GBToUtf8(units)) == units);
  RaisesAtMost([&] { qe::KesraUrlDecode_GBToUtf8(carried); }, vb::kTypeMismatch);

  const vb::Variant by_hand(false), platform(true);
  Check(qe::KesraCodeUtf8ToUnicode(qe::KesraCodeUnicodeToUtf8(units, by_hand, false), by_hand) == units);
  qe::KesraCodeUtf8ToUnicode(carried, by_hand);
  qe::KesraCodeUtf8ToUnicode(carried, platform);

  if (size >= 4) {
    const auto start = static_cast<int16_t>(data[0] | data[1] << 8);
    const auto length = static_cast<int16_t>(data[2] | data[3] << 8);
    RaisesAtMost([&] { qe::KesraGetString(carried, start, length); }, vb::kOverflow);
    RaisesAtMost([&] { qe::KesraGetTopicStr(carried, length); }, vb::kOverflow);
    RaisesAtMost([&] { qe::KesraGetStringLeft(carried, length); }, vb::kOverflow);
  }
  return 0;
}
