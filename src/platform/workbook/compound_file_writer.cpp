// The container of a written .xls: one stream in whole sectors, its
// directory, and the allocation table (with DIFAT sectors once the table
// outgrows the 109 places of the header).
#include <cstdint>
#include <vector>

#include "platform/workbook/compound_file.h"

namespace workbook::detail {
namespace {

constexpr size_t kSector = 512;
constexpr size_t kPerSector = kSector / 4;
constexpr size_t kHeaderDifat = 109;
constexpr uint32_t kMiniCutoff = 4096;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;

void Put16(std::string& out, size_t at, uint16_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& out, size_t at, uint32_t v) {
  Put16(out, at, static_cast<uint16_t>(v & 0xFFFF));
  Put16(out, at + 2, static_cast<uint16_t>(v >> 16));
}

size_t Ceil(size_t n, size_t per) { return (n + per - 1) / per; }

// One 128-byte directory entry; `type` 5 is the root, 2 a stream.
std::string Entry(std::u16string_view name, uint8_t type, uint32_t child, uint32_t start, uint32_t size) {
  std::string e(128, '\0');
  for (size_t i = 0; i < name.size(); ++i) Put16(e, 2 * i, name[i]);
  Put16(e, 64, static_cast<uint16_t>(2 * (name.size() + 1)));
  e[66] = static_cast<char>(type);
  e[67] = 1;  // black
  Put32(e, 68, kFree);
  Put32(e, 72, kFree);
  Put32(e, 76, child);
  Put32(e, 116, start);
  Put32(e, 120, size);
  return e;
}

std::string UnusedEntry() {
  std::string e(128, '\0');
  Put32(e, 68, kFree);
  Put32(e, 72, kFree);
  Put32(e, 76, kFree);
  return e;
}

}  // namespace

std::string CompoundFileOfWorkbook(std::string stream) {
  if (stream.size() < kMiniCutoff) stream.resize(kMiniCutoff, '\0');
  const size_t data = Ceil(stream.size(), kSector);
  const size_t directory = 1;
  // The table covers every sector, its own and the DIFAT's included.
  size_t fat = 0, difat = 0;
  for (;;) {
    size_t next_fat = Ceil(data + directory + fat + difat, kPerSector);
    size_t next_difat = next_fat > kHeaderDifat ? Ceil(next_fat - kHeaderDifat, kPerSector - 1) : 0;
    if (next_fat == fat && next_difat == difat) break;
    fat = next_fat;
    difat = next_difat;
  }
  const uint32_t directory_at = static_cast<uint32_t>(data);
  const uint32_t fat_at = directory_at + 1;
  const uint32_t difat_at = fat_at + static_cast<uint32_t>(fat);

  std::string out(kSector, '\0');
  out.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  Put16(out, 24, 0x003E);  // minor version
  Put16(out, 26, 0x0003);  // major version: 512-byte sectors
  Put16(out, 28, 0xFFFE);  // little-endian
  Put16(out, 30, 9);       // sector shift
  Put16(out, 32, 6);       // mini sector shift
  Put32(out, 44, static_cast<uint32_t>(fat));
  Put32(out, 48, directory_at);
  Put32(out, 56, kMiniCutoff);
  Put32(out, 60, kEndOfChain);  // no mini table
  Put32(out, 68, difat ? difat_at : kEndOfChain);
  Put32(out, 72, static_cast<uint32_t>(difat));
  for (size_t i = 0; i < kHeaderDifat; ++i)
    Put32(out, 76 + 4 * i, i < fat ? fat_at + static_cast<uint32_t>(i) : kFree);

  stream.resize(data * kSector, '\0');
  out += stream;

  std::string dir = Entry(u"Root Entry", 5, 1, kEndOfChain, 0) + Entry(u"Workbook", 2, kFree, 0,
                                                                          static_cast<uint32_t>(stream.size()));
  dir += UnusedEntry() + UnusedEntry();
  out += dir;

  std::string table(fat * kSector, '\xFF');
  auto mark = [&](size_t sector, uint32_t value) { Put32(table, 4 * sector, value); };
  for (size_t s = 0; s < data; ++s) mark(s, s + 1 < data ? static_cast<uint32_t>(s + 1) : kEndOfChain);
  mark(directory_at, kEndOfChain);
  for (size_t i = 0; i < fat; ++i) mark(fat_at + i, kFatSector);
  for (size_t i = 0; i < difat; ++i) mark(difat_at + i, kDifatSector);
  out += table;

  // Each DIFAT sector: 127 table sectors and the next DIFAT sector.
  std::string more(difat * kSector, '\xFF');
  for (size_t i = kHeaderDifat; i < fat; ++i) {
    size_t k = i - kHeaderDifat, sector = k / (kPerSector - 1), slot = k % (kPerSector - 1);
    Put32(more, sector * kSector + 4 * slot, fat_at + static_cast<uint32_t>(i));
  }
  for (size_t d = 0; d < difat; ++d)
    Put32(more, d * kSector + 4 * (kPerSector - 1), d + 1 < difat ? difat_at + static_cast<uint32_t>(d + 1) : kEndOfChain);
  out += more;
  return out;
}

}  // namespace workbook::detail
