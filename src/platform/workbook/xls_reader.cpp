// Reading the worksheets of a BIFF workbook (.xls, the format of the
// application's versions 5 to 2003): the workbook stream out of its compound
// file, then the records that hold cell values, each length checked against
// the record that carries it.
#include <cstring>
#include <fstream>
#include <unordered_map>

#include "platform/text/ansi.h"
#include "platform/workbook/biff_records.h"
#include "platform/workbook/compound_file.h"
#include "platform/workbook/workbook_internal.h"
#include "platform/zip/little_endian.h"

namespace workbook::detail {
namespace {

using namespace biff;

[[noreturn]] void Damaged() { RaiseUnreadable("a damaged workbook stream"); }

uint16_t U16(std::string_view b, size_t at) {
  if (at + 2 > b.size()) Damaged();
  return ziparc::Get16(b.data() + at);
}
uint32_t U32(std::string_view b, size_t at) {
  if (at + 4 > b.size()) Damaged();
  return ziparc::Get32(b.data() + at);
}
double F64(std::string_view b, size_t at) {
  if (at + 8 > b.size()) Damaged();
  double d;
  std::memcpy(&d, b.data() + at, 8);
  return d;
}

// An RK value: a 30-bit integer or the high bits of a double, perhaps /100.
double RkValue(uint32_t rk) {
  double value;
  if (rk & 2) {
    value = static_cast<double>(static_cast<int32_t>(rk) >> 2);
  } else {
    uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, 8);
  }
  return rk & 1 ? value / 100 : value;
}

struct Record {
  uint16_t type = 0;
  std::string_view data;
};

// The records of the stream from an offset on.
class Records {
 public:
  Records(std::string_view stream, size_t at) : stream_(stream), at_(at) {}
  bool Next(Record& r) {
    if (at_ + 4 > stream_.size()) return false;
    r.type = U16(stream_, at_);
    uint16_t size = U16(stream_, at_ + 2);
    if (at_ + 4 + size > stream_.size()) Damaged();
    r.data = stream_.substr(at_ + 4, size);
    at_ += 4 + size;
    return true;
  }
  // The type of the record that follows, 0 at the end.
  uint16_t PeekType() const { return at_ + 4 <= stream_.size() ? U16(stream_, at_) : 0; }

 private:
  std::string_view stream_;
  size_t at_;
};

// Text as the workbook stores it: 16-bit units, or "compressed" bytes that
// are the low halves of units (BIFF8), or bytes of the file's code page (BIFF5).
struct Text {
  bool biff8 = true;
  uint16_t code_page = 1252;

  vb::String Bytes(std::string_view bytes) const {
    if (!biff8 && code_page == 936) return text::DecodeAnsi(bytes);
    vb::String out;
    for (char c : bytes) out.push_back(static_cast<char16_t>(static_cast<uint8_t>(c)));
    return out;
  }
  static vb::String Units(std::string_view bytes) {
    vb::String out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) out.push_back(static_cast<char16_t>(U16(bytes, i)));
    return out;
  }

  // A string at `at` of a record, its length in `length_bytes` (1 or 2)
  // bytes; `at` moves past it.
  vb::String Read(std::string_view data, size_t& at, int length_bytes) const {
    size_t count = length_bytes == 1 ? (at < data.size() ? static_cast<uint8_t>(data[at]) : Fail()) : U16(data, at);
    at += static_cast<size_t>(length_bytes);
    if (!biff8) {
      if (at + count > data.size()) Damaged();
      vb::String s = Bytes(data.substr(at, count));
      at += count;
      return s;
    }
    if (at >= data.size()) Damaged();
    uint8_t flags = static_cast<uint8_t>(data[at++]);
    size_t runs = 0, extra = 0;
    if (flags & 0x08) runs = U16(data, at), at += 2;
    if (flags & 0x04) extra = U32(data, at), at += 4;
    size_t bytes = (flags & 1) ? 2 * count : count;
    if (at + bytes > data.size()) Damaged();
    vb::String s = (flags & 1) ? Units(data.substr(at, bytes)) : Bytes(data.substr(at, bytes));
    at += bytes;
    at = std::min(data.size(), at + 4 * runs + extra);  // formatting runs and phonetic text are not the value
    return s;
  }
  static size_t Fail() { Damaged(); }
};

// The shared strings: the SST record and its CONTINUE records, where a
// string's characters may go on in the next record after a flags byte of
// their own.
// `formatted` turns true for a string with formatting runs or phonetic text,
// which the values alone do not keep.
std::vector<vb::String> ReadSharedStrings(const Record& first, Records& records, const Text& text, bool& formatted) {
  std::vector<std::string_view> pieces = {first.data};
  while (records.PeekType() == kContinue) {
    Record r;
    records.Next(r);
    pieces.push_back(r.data);
  }
  size_t piece = 0, at = 8;
  auto need = [&]() {
    while (at >= pieces[piece].size()) {
      if (++piece >= pieces.size()) Damaged();
      at = 0;
    }
  };
  auto byte = [&]() -> uint8_t {
    need();
    return static_cast<uint8_t>(pieces[piece][at++]);
  };
  auto u16 = [&]() -> uint16_t {
    uint16_t lo = byte();
    return static_cast<uint16_t>(lo | byte() << 8);
  };
  auto u32 = [&]() -> uint32_t {
    uint32_t lo = u16();
    return lo | static_cast<uint32_t>(u16()) << 16;
  };
  auto skip = [&](size_t n) {
    while (n > 0) {
      need();
      size_t take = std::min(n, pieces[piece].size() - at);
      at += take;
      n -= take;
    }
  };
  std::vector<vb::String> strings;
  const uint32_t unique = U32(first.data, 4);
  while (strings.size() < unique) {
    if (piece + 1 == pieces.size() && at >= pieces[piece].size()) break;
    size_t count = u16();
    uint8_t flags = byte();
    size_t runs = (flags & 0x08) ? u16() : 0;
    size_t extra = (flags & 0x04) ? u32() : 0;
    formatted = formatted || runs > 0 || extra > 0;
    vb::String s;
    while (s.size() < count) {
      if (at >= pieces[piece].size()) {
        // The characters go on in the next record, with their own width.
        if (++piece >= pieces.size()) Damaged();
        at = 0;
        flags = byte();
      }
      size_t width = (flags & 1) ? 2 : 1;
      size_t available = (pieces[piece].size() - at) / width;
      size_t take = std::min(count - s.size(), available);
      if (take == 0) Damaged();
      std::string_view chars = pieces[piece].substr(at, take * width);
      s += width == 2 ? Text::Units(chars) : text.Bytes(chars);
      at += take * width;
    }
    skip(4 * runs + extra);
    strings.push_back(std::move(s));
  }
  return strings;
}

struct Globals {
  Text text;
  bool date1904 = false;
  std::vector<NumberKind> xf_kinds;
  std::vector<vb::String> strings;
  bool formatted_strings = false;
  struct Sheet {
    vb::String name;
    uint32_t offset;
  };
  std::vector<Sheet> sheets;
};

Globals ReadGlobals(std::string_view stream) {
  Globals g;
  Records records(stream, 0);
  Record r;
  if (!records.Next(r) || r.type != kBof) RaiseUnreadable("not a workbook of the versions 5 to 2003");
  g.text.biff8 = U16(r.data, 0) == kBiff8;
  std::unordered_map<uint16_t, NumberKind> formats;
  std::vector<uint16_t> xf_formats;
  while (records.Next(r) && r.type != kEof) {
    switch (r.type) {
      case kCodePage: g.text.code_page = U16(r.data, 0); break;
      case kDateMode: g.date1904 = U16(r.data, 0) == 1; break;
      case kFormat: {
        size_t at = 2;
        vb::String code = g.text.Read(r.data, at, g.text.biff8 ? 2 : 1);
        formats[U16(r.data, 0)] = KindOfFormatCode(vb::ToUtf8(code));
        break;
      }
      case kXf: xf_formats.push_back(U16(r.data, 2)); break;
      case kBoundSheet: {
        size_t at = 6;
        vb::String name = g.text.Read(r.data, at, 1);
        if (static_cast<uint8_t>(r.data.size() > 5 ? r.data[5] : 0xFF) == 0)  // worksheets only
          g.sheets.push_back({std::move(name), U32(r.data, 0)});
        break;
      }
      case kSst:
        if (g.text.biff8) g.strings = ReadSharedStrings(r, records, g.text, g.formatted_strings);
        break;
    }
  }
  for (uint16_t f : xf_formats) {
    auto it = formats.find(f);
    g.xf_kinds.push_back(it != formats.end() ? it->second : KindOfBuiltInFormat(f));
  }
  return g;
}

Worksheet ReadSheet(std::string_view stream, const Globals& g, const Globals::Sheet& entry) {
  Worksheet sheet;
  sheet.name = entry.name;
  Records records(stream, entry.offset);
  Record r;
  if (!records.Next(r) || r.type != kBof) Damaged();
  if (U16(r.data, 2) != kWorksheet) return sheet;
  std::unordered_map<uint32_t, size_t> row_index;
  auto put = [&](uint32_t row, uint32_t column, vb::Variant value) {
    if (++row > kMaxRows || ++column > kMaxColumns || value.IsEmpty()) return;
    auto [it, added] = row_index.try_emplace(row, sheet.rows.size());
    if (added) sheet.rows.push_back(Row{row, {}});
    sheet.rows[it->second].cells.push_back(Cell{column, std::move(value)});
  };
  auto number = [&](uint16_t xf, double value) {
    return NumberCell(value, xf < g.xf_kinds.size() ? g.xf_kinds[xf] : NumberKind::kNumber, g.date1904);
  };
  int depth = 0;  // embedded charts have records of their own
  while (records.Next(r)) {
    if (r.type == kBof) {
      ++depth;
      continue;
    }
    if (r.type == kEof) {
      if (depth-- == 0) break;
      continue;
    }
    if (depth > 0) continue;
    switch (r.type) {
      case kNumber: put(U16(r.data, 0), U16(r.data, 2), number(U16(r.data, 4), F64(r.data, 6))); break;
      case kRk: put(U16(r.data, 0), U16(r.data, 2), number(U16(r.data, 4), RkValue(U32(r.data, 6)))); break;
      case kMulRk: {
        uint16_t row = U16(r.data, 0), column = U16(r.data, 2);
        for (size_t at = 4; at + 6 + 2 <= r.data.size(); at += 6, ++column)
          put(row, column, number(U16(r.data, at), RkValue(U32(r.data, at + 2))));
        break;
      }
      case kLabelSst: {
        uint32_t index = U32(r.data, 6);
        if (index < g.strings.size()) put(U16(r.data, 0), U16(r.data, 2), vb::Variant(g.strings[index]));
        break;
      }
      case kLabel:
      case kRString: {
        size_t at = 6;
        put(U16(r.data, 0), U16(r.data, 2), vb::Variant(g.text.Read(r.data, at, 2)));
        break;
      }
      case kBoolErr: {
        if (r.data.size() < 8) Damaged();
        uint8_t value = static_cast<uint8_t>(r.data[6]);
        put(U16(r.data, 0), U16(r.data, 2),
            r.data[7] ? vb::Variant(vb::ErrorCode{static_cast<int32_t>(0x800A0000u | (2000u + value))})
                      : vb::Variant(value != 0));
        break;
      }
      case kFormula: {
        uint16_t row = U16(r.data, 0), column = U16(r.data, 2);
        if (U16(r.data, 12) != 0xFFFF) {
          put(row, column, number(U16(r.data, 4), F64(r.data, 6)));
          break;
        }
        // The cached result is not a number: a string in the STRING record
        // that follows, a Boolean, an error or nothing.
        uint8_t kind = static_cast<uint8_t>(r.data[6]), value = static_cast<uint8_t>(r.data[8]);
        if (kind == 0 && records.PeekType() == kString) {
          Record s;
          records.Next(s);
          size_t at = 0;
          put(row, column, vb::Variant(g.text.Read(s.data, at, 2)));
        } else if (kind == 1) {
          put(row, column, vb::Variant(value != 0));
        } else if (kind == 2) {
          put(row, column, vb::Variant(vb::ErrorCode{static_cast<int32_t>(0x800A0000u | (2000u + value))}));
        }
        break;
      }
    }
  }
  return sheet;
}

}  // namespace

std::vector<Worksheet> ReadXls(const std::filesystem::path& file, const ReadLimits& limits, bool* keeps_everything) {
  std::string bytes;
  {
    std::ifstream in(file, std::ios::binary);
    bytes.resize(static_cast<size_t>(std::min<uint64_t>(limits.max_file_bytes, std::filesystem::file_size(file))));
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) RaiseUnreadable("the file cannot be read");
  }
  const char* why = nullptr;
  bool other_entries = false;
  std::optional<std::string> stream = ReadWorkbookStream(bytes, limits.max_file_bytes, why, &other_entries);
  if (!stream) RaiseUnreadable(why);
  bytes = std::string();
  Globals globals = ReadGlobals(*stream);
  if (keeps_everything)
    *keeps_everything = !other_entries && !globals.formatted_strings && RewriteKeepsEverything(*stream);
  std::vector<Worksheet> sheets;
  for (const Globals::Sheet& entry : globals.sheets) {
    if (entry.offset >= stream->size()) Damaged();
    sheets.push_back(ReadSheet(*stream, globals, entry));
  }
  return sheets;
}

}  // namespace workbook::detail
