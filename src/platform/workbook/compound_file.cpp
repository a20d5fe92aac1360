#include "platform/workbook/compound_file.h"

#include <cstdint>
#include <vector>

#include "platform/zip/little_endian.h"

namespace workbook::detail {
namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr size_t kHeaderDifat = 109;
constexpr size_t kEntry = 128;
constexpr size_t kMiniSector = 64;
constexpr uint32_t kMiniCutoff = 4096;
constexpr char kMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

uint16_t U16(std::string_view b, size_t at) { return ziparc::Get16(b.data() + at); }
uint32_t U32(std::string_view b, size_t at) { return ziparc::Get32(b.data() + at); }

class Container {
 public:
  Container(std::string_view bytes, size_t sector_size)
      : bytes_(bytes), size_(sector_size), count_(bytes.size() / sector_size - 1) {}
  size_t Count() const { return count_; }
  size_t SectorSize() const { return size_; }
  bool Has(uint32_t s) const { return s < count_; }
  std::string_view At(uint32_t s) const { return bytes_.substr((static_cast<size_t>(s) + 1) * size_, size_); }
  std::vector<uint32_t> fat;  // the allocation table's sectors

  // The next sector of a chain; kFree when the table does not say.
  uint32_t Next(uint32_t s) const {
    size_t per = size_ / 4, index = s / per;
    return index < fat.size() ? U32(At(fat[index]), 4 * (s % per)) : kFree;
  }
  // The sectors' bytes along a chain, at most `limit`; nullopt for a chain
  // that leaves the file, loops, or ends before `limit` when `whole`.
  std::optional<std::string> Chain(uint32_t start, uint64_t limit, bool whole) const {
    std::string out;
    size_t hops = 0;
    for (uint32_t s = start; s != kEndOfChain && out.size() < limit; s = Next(s)) {
      if (!Has(s) || ++hops > count_) return std::nullopt;
      out.append(At(s));
    }
    if (whole && out.size() < limit) return std::nullopt;
    if (out.size() > limit) out.resize(limit);
    return out;
  }

 private:
  std::string_view bytes_;
  size_t size_;
  size_t count_;
};

bool NameIs(std::string_view entry, std::string_view ascii) {
  uint16_t bytes = U16(entry, 64);
  if (bytes != 2 * (ascii.size() + 1)) return false;
  for (size_t i = 0; i < ascii.size(); ++i) {
    uint16_t c = U16(entry, 2 * i);
    if (c > 0x7F || ((c | 0x20) != (static_cast<uint8_t>(ascii[i]) | 0x20))) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> ReadWorkbookStream(std::string_view file, uint64_t max_bytes, const char*& why,
                                              bool* other_entries) {
  why = "a damaged compound file";
  if (file.size() < 512 || file.substr(0, 8) != std::string_view(kMagic, 8)) return std::nullopt;
  uint16_t shift = U16(file, 0x1E);
  if ((shift != 9 && shift != 12) || U16(file, 0x20) != 6) return std::nullopt;
  const size_t sector_size = size_t{1} << shift;
  if (file.size() < 2 * sector_size) return std::nullopt;
  Container c(file.substr(0, file.size() - file.size() % sector_size), sector_size);
  const size_t per = sector_size / 4;

  for (size_t i = 0; i < kHeaderDifat; ++i) {
    uint32_t s = U32(file, 0x4C + 4 * i);
    if (s == kFree) break;
    if (!c.Has(s)) return std::nullopt;
    c.fat.push_back(s);
  }
  uint32_t difat = U32(file, 0x44);
  for (size_t hops = 0; difat != kEndOfChain && difat != kFree; ++hops) {
    if (!c.Has(difat) || hops > c.Count()) return std::nullopt;
    std::string_view d = c.At(difat);
    for (size_t i = 0; i + 1 < per; ++i) {
      uint32_t s = U32(d, 4 * i);
      if (s == kFree) continue;
      if (!c.Has(s)) return std::nullopt;
      c.fat.push_back(s);
    }
    difat = U32(d, sector_size - 4);
  }
  if (c.fat.empty() || c.fat.size() > c.Count()) return std::nullopt;

  std::optional<std::string> directory = c.Chain(U32(file, 0x30), UINT64_MAX, false);
  if (!directory || directory->size() < kEntry) return std::nullopt;
  std::string_view root(directory->data(), kEntry);
  if (static_cast<uint8_t>(root[66]) != 5) return std::nullopt;
  std::optional<std::string_view> stream;
  for (const char* name : {"Workbook", "Book"}) {
    for (size_t at = 0; !stream && at + kEntry <= directory->size(); at += kEntry) {
      std::string_view entry(directory->data() + at, kEntry);
      if (static_cast<uint8_t>(entry[66]) == 2 && NameIs(entry, name)) stream = entry;
    }
  }
  if (!stream) {
    why = "no workbook stream";
    return std::nullopt;
  }
  if (other_entries) {
    *other_entries = false;
    for (size_t at = kEntry; at + kEntry <= directory->size(); at += kEntry) {
      const uint8_t type = static_cast<uint8_t>((*directory)[at + 66]);
      if ((type == 1 || type == 2) && directory->data() + at != stream->data()) *other_entries = true;
    }
  }
  uint32_t start = U32(*stream, 116);
  uint64_t size = U32(*stream, 120);
  if (size > max_bytes) {
    why = "the workbook is too large";
    return std::nullopt;
  }
  if (size >= kMiniCutoff) return c.Chain(start, size, true);

  // A small stream lives in the mini stream: the root's chain, cut into
  // 64-byte sectors, with a table of its own.
  std::optional<std::string> mini = c.Chain(U32(root, 116), U32(root, 120), true);
  std::optional<std::string> mini_fat = c.Chain(U32(file, 0x3C), static_cast<uint64_t>(U32(file, 0x40)) * sector_size, true);
  if (!mini || !mini_fat) return std::nullopt;
  std::string out;
  size_t hops = 0, mini_count = mini->size() / kMiniSector, fat_entries = mini_fat->size() / 4;
  for (uint32_t s = start; out.size() < size; s = s < fat_entries ? U32(*mini_fat, 4 * s) : kFree) {
    if (s >= mini_count || ++hops > mini_count) return std::nullopt;
    out.append(mini->data() + static_cast<size_t>(s) * kMiniSector, kMiniSector);
  }
  out.resize(size);
  return out;
}

}  // namespace workbook::detail
