#include "host/byte_range.h"

#include <limits>
#include <optional>

namespace host {
namespace {

constexpr uint64_t kPastAnyFile = std::numeric_limits<uint64_t>::max();

// Digits only; a number too large for 64 bits reads as the largest.
std::optional<uint64_t> Number(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    unsigned digit = static_cast<unsigned>(c - '0');
    value = value > (kPastAnyFile - digit) / 10 ? kPastAnyFile : value * 10 + digit;
  }
  return value;
}

bool IsBytesUnit(std::string_view unit) {
  if (unit.size() != 5) return false;
  for (size_t i = 0; i < 5; ++i)
    if ((unit[i] | 0x20) != "bytes"[i]) return false;
  return true;
}

}  // namespace

// The grammar has no blanks inside a range ("bytes=0-1"): "bytes = 0 - 1" is
// no range, and the whole file goes.
ByteRange ReadByteRange(std::string_view header, uint64_t size) {
  size_t equals = header.find('=');
  if (equals == std::string_view::npos || !IsBytesUnit(header.substr(0, equals))) return {};
  std::string_view range_set = header.substr(equals + 1);
  if (range_set.find(',') != std::string_view::npos) return {};
  size_t dash = range_set.find('-');
  if (dash == std::string_view::npos) return {};
  std::string_view first_text = range_set.substr(0, dash), last_text = range_set.substr(dash + 1);

  if (first_text.empty()) {  // the last N bytes
    std::optional<uint64_t> suffix = Number(last_text);
    if (!suffix) return {};
    if (*suffix == 0 || size == 0) return {ByteRange::kUnsatisfiable};
    uint64_t length = *suffix < size ? *suffix : size;
    return {ByteRange::kPart, size - length, length};
  }
  std::optional<uint64_t> first = Number(first_text);
  std::optional<uint64_t> last = last_text.empty() ? std::optional<uint64_t>(kPastAnyFile) : Number(last_text);
  if (!first || !last || *last < *first) return {};
  if (*first >= size) return {ByteRange::kUnsatisfiable};
  uint64_t end = *last < size - 1 ? *last : size - 1;
  return {ByteRange::kPart, *first, end - *first + 1};
}

}  // namespace host
