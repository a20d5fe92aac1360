#include "platform/workbook/xls_workbook.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <unordered_map>

#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "platform/workbook/biff_records.h"
#include "platform/workbook/compound_file.h"
#include "platform/workbook/workbook_internal.h"

namespace workbook {
namespace {

using namespace detail::biff;

// The most data one record carries; longer data goes on in CONTINUE records.
constexpr size_t kMaxRecordData = 8224;
// Style cells 0-14 and the default cell format 15 come first, as the
// application requires; then the two date formats and the currency format.
constexpr uint16_t kCellXf = 15;
constexpr uint16_t kDateXf = 16;
constexpr uint16_t kDateTimeXf = 17;
constexpr uint16_t kCurrencyXf = 18;
constexpr uint16_t kDateFormat = 164;
constexpr uint16_t kDateTimeFormat = 165;
constexpr uint8_t kNumError = 0x24;  // #NUM!

[[noreturn]] void RaiseRefused(std::u16string_view why) { throw vb::Error(1004, vb::String(why)); }

class RecordData {
 public:
  RecordData& U8(uint8_t v) {
    data_.push_back(static_cast<char>(v));
    return *this;
  }
  RecordData& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
  RecordData& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  RecordData& F64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return U32(static_cast<uint32_t>(bits)).U32(static_cast<uint32_t>(bits >> 32));
  }
  // Whether the text's code units all fit in one byte each, the form the
  // format calls compressed (else they are written as UTF-16).
  static bool Compressible(vb::StringView text) {
    for (char16_t c : text)
      if (c > 0xFF) return false;
    return true;
  }
  RecordData& Units(vb::StringView text, bool compressed) {
    for (char16_t c : text) compressed ? U8(static_cast<uint8_t>(c)) : U16(c);
    return *this;
  }
  // A string with a 16-bit (`wide_count`) or 8-bit character count.
  RecordData& Text(vb::StringView text, bool wide_count) {
    bool compressed = Compressible(text);
    wide_count ? U16(static_cast<uint16_t>(text.size())) : U8(static_cast<uint8_t>(text.size()));
    return U8(compressed ? 0 : 1).Units(text, compressed);
  }
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
};

void PutRecord(std::string& out, uint16_t type, const std::string& data) {
  RecordData head;
  head.U16(type).U16(static_cast<uint16_t>(data.size()));
  out += head.Data();
  out += data;
}

std::string Bof(uint16_t kind) {
  RecordData b;
  b.U16(kBiff8).U16(kind).U16(0x0DBB).U16(0x07CC).U32(0).U32(0x06);
  return b.Data();
}

std::string Xf(uint16_t format, bool style, uint8_t used) {
  RecordData b;
  b.U16(0).U16(format).U16(style ? 0xFFF5 : 0x0001).U8(0x20).U8(0).U8(0).U8(used).U32(0).U32(0).U16(0x20C0);
  return b.Data();
}

// The shared string table: each distinct text once, in order of first use.
class SharedStrings {
 public:
  uint32_t Index(const vb::String& text) {
    ++total_;
    auto [it, added] = index_.try_emplace(text, static_cast<uint32_t>(order_.size()));
    if (added) order_.push_back(&it->first);
    return it->second;
  }

  // SST, then CONTINUE records as the texts fill them. A text is never split
  // inside its count and flags, nor between the halves of a surrogate pair;
  // the part of a text that goes on in a CONTINUE starts with its flag byte.
  void Write(std::string& out) const {
    RecordData head;
    head.U32(total_).U32(static_cast<uint32_t>(order_.size()));
    std::string record = head.Data();
    uint16_t type = kSst;
    auto flush = [&] {
      PutRecord(out, type, record);
      record.clear();
      type = kContinue;
    };
    for (const vb::String* text : order_) {
      bool compressed = RecordData::Compressible(*text);
      size_t unit = compressed ? 1 : 2;
      if (record.size() + 3 + unit > kMaxRecordData) flush();
      RecordData start;
      start.U16(static_cast<uint16_t>(text->size())).U8(compressed ? 0 : 1);
      record += start.Data();
      vb::StringView rest = *text;
      for (;;) {
        size_t fit = std::min(rest.size(), (kMaxRecordData - record.size()) / unit);
        if (fit < rest.size() && fit > 0 && rest[fit - 1] >= 0xD800 && rest[fit - 1] <= 0xDBFF) --fit;
        RecordData part;
        record += part.Units(rest.substr(0, fit), compressed).Data();
        rest.remove_prefix(fit);
        if (rest.empty()) break;
        flush();
        record.push_back(compressed ? 0 : 1);
      }
    }
    flush();
  }

 private:
  std::unordered_map<vb::String, uint32_t> index_;
  std::vector<const vb::String*> order_;
  uint32_t total_ = 0;
};

// The workbook's records before the string table; `bound_at` gets where each
// sheet's BOUNDSHEET record begins, to be told where the sheet begins.
std::string Globals(const std::vector<Worksheet>& sheets, std::vector<size_t>& bound_at) {
  std::string out;
  PutRecord(out, kBof, Bof(kGlobals));
  PutRecord(out, kCodePage, RecordData().U16(1200).Data());  // UTF-16
  PutRecord(out, kWindow1,
            RecordData().U16(0).U16(0).U16(0x4000).U16(0x2000).U16(0x0038).U16(0).U16(0).U16(1).U16(0x0258).Data());
  PutRecord(out, kDateMode, RecordData().U16(0).Data());  // days from 1900
  // Font 4 does not exist in this format: four fonts give 0-3.
  for (int i = 0; i < 4; ++i)
    PutRecord(out, kFont, RecordData().U16(200).U16(0).U16(0x7FFF).U16(400).U16(0).U8(0).U8(0).U8(0).U8(0).Text(u"Arial", false).Data());
  PutRecord(out, kFormat, RecordData().U16(kDateFormat).Text(u"yyyy-mm-dd", true).Data());
  PutRecord(out, kFormat, RecordData().U16(kDateTimeFormat).Text(u"yyyy-mm-dd hh:mm:ss", true).Data());
  for (uint16_t i = 0; i < kCellXf; ++i) PutRecord(out, kXf, Xf(0, true, i == 0 ? 0 : 0xF4));
  PutRecord(out, kXf, Xf(0, false, 0));
  PutRecord(out, kXf, Xf(kDateFormat, false, 0x04));
  PutRecord(out, kXf, Xf(kDateTimeFormat, false, 0x04));
  PutRecord(out, kXf, Xf(detail::kCurrencyFormat, false, 0x04));
  PutRecord(out, kStyle, RecordData().U16(0x8000).U8(0).U8(0xFF).Data());  // "Normal"
  for (const Worksheet& sheet : sheets) {
    bound_at.push_back(out.size());
    PutRecord(out, kBoundSheet, RecordData().U32(0).U8(0).U8(0).Text(sheet.name, false).Data());
  }
  return out;
}

// One cell's record; nothing for a value that leaves the cell empty.
void PutCell(std::string& out, uint16_t row, uint16_t column, const vb::Variant& v, SharedStrings& strings) {
  auto at = [&](uint16_t xf) {
    RecordData b;
    b.U16(row).U16(column).U16(xf);
    return b;
  };
  if (v.Type() == vb::vbCurrency) {
    PutRecord(out, kNumber, at(kCurrencyXf).F64(vb::CurrencyToDouble(v.As<vb::Currency>())).Data());
    return;
  }
  if (std::optional<double> number = detail::CellNumber(v)) {
    if (std::isfinite(*number)) PutRecord(out, kNumber, at(kCellXf).F64(*number).Data());
    else PutRecord(out, kBoolErr, at(kCellXf).U8(kNumError).U8(1).Data());
    return;
  }
  switch (v.Type()) {
    case vb::vbDate: {
      const vb::Date date = v.As<vb::Date>();
      if (!HasDaySerial(date)) {
        PutRecord(out, kLabelSst, at(kCellXf).U32(strings.Index(vb::CStr(v))).Data());
        break;
      }
      uint16_t xf = date.serial == std::floor(date.serial) ? kDateXf : kDateTimeXf;
      PutRecord(out, kNumber, at(xf).F64(detail::SerialOfDate(date)).Data());
      break;
    }
    case vb::vbString: PutRecord(out, kLabelSst, at(kCellXf).U32(strings.Index(v.As<vb::String>())).Data()); break;
    case vb::vbBoolean: PutRecord(out, kBoolErr, at(kCellXf).U8(v.As<vb::Boolean>().value ? 1 : 0).U8(0).Data()); break;
    case vb::vbError: {
      // The application's error codes, as the reader gives them back.
      int32_t code = static_cast<int32_t>(static_cast<uint32_t>(v.As<vb::ErrorCode>().scode) & 0xFFFF) - 2000;
      PutRecord(out, kBoolErr, at(kCellXf).U8(static_cast<uint8_t>(code >= 0 && code < 0x100 ? code : kNumError)).U8(1).Data());
      break;
    }
    case vb::vbNull: PutRecord(out, kBlank, at(kCellXf).Data()); break;
    default: break;  // Empty, byte arrays, objects
  }
}

std::string SheetStream(const Worksheet& sheet, bool first, SharedStrings& strings) {
  uint32_t last_row = 0;
  uint16_t last_column = 0;
  for (const Row& row : sheet.rows)
    for (const Cell& cell : row.cells) {
      last_row = std::max(last_row, row.number);
      last_column = std::max(last_column, static_cast<uint16_t>(cell.column));
    }
  std::string out;
  PutRecord(out, kBof, Bof(kWorksheet));
  PutRecord(out, kDimensions, RecordData().U32(0).U32(last_row).U16(0).U16(last_column).U16(0).Data());
  PutRecord(out, kWindow2, RecordData().U16(first ? 0x06B6 : 0x00B6).U16(0).U16(0).U16(64).U16(0).U16(0).U16(0).U16(0).U16(0).Data());
  for (const Row& row : sheet.rows)
    for (const Cell& cell : row.cells)
      PutCell(out, static_cast<uint16_t>(row.number - 1), static_cast<uint16_t>(cell.column - 1), cell.value, strings);
  PutRecord(out, kEof, {});
  return out;
}

void CheckCell(uint32_t row, uint32_t column, const vb::Variant& value) {
  if (row > kMaxRows) RaiseRefused(u"The worksheet has no more rows.");
  if (column > kMaxColumns) RaiseRefused(u"The worksheet has no more columns.");
  if (value.IsString() && value.As<vb::String>().size() > kMaxXlsText)
    RaiseRefused(u"The text is longer than a cell of this format holds.");
}

}  // namespace

void AppendXlsRow(Worksheet& sheet, const std::vector<vb::Variant>& values) {
  const uint32_t number = sheet.rows.empty() ? 1 : sheet.rows.back().number + 1;
  Row row{number, {}};
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i].IsEmpty()) continue;
    CheckCell(number, static_cast<uint32_t>(i + 1), values[i]);
    row.cells.push_back(Cell{static_cast<uint32_t>(i + 1), values[i]});
  }
  if (number > kMaxRows) RaiseRefused(u"The worksheet has no more rows.");
  sheet.rows.push_back(std::move(row));
}

XlsWorkbook XlsWorkbook::New() {
  XlsWorkbook book;
  book.sheets_.push_back(Worksheet{u"Sheet1", {}});
  return book;
}

XlsWorkbook XlsWorkbook::Open(const std::filesystem::path& file, const ReadLimits& limits) {
  if (FormatOf(file) != Format::kXls && std::filesystem::exists(file)) RaiseUnreadable("not an .xls workbook");
  XlsWorkbook book;
  book.sheets_ = detail::ReadWorkbook(file, limits, &book.keeps_everything_);
  return book;
}

std::optional<size_t> XlsWorkbook::FindSheet(vb::StringView name) const {
  for (size_t i = 0; i < sheets_.size(); ++i)
    if (vb::EqualsNoCase(sheets_[i].name, name)) return i;
  return std::nullopt;
}

void XlsWorkbook::ReplaceRows(size_t sheet, std::vector<Row> rows) { sheets_.at(sheet).rows = std::move(rows); }

void XlsWorkbook::AddWorksheet(vb::StringView name, std::vector<Row> rows) {
  detail::CheckNewSheetName(name, FindSheet(name).has_value());
  sheets_.push_back(Worksheet{vb::String(name), std::move(rows)});
}

std::string XlsWorkbook::Bytes() const {
  for (const Worksheet& sheet : sheets_)
    for (const Row& row : sheet.rows)
      for (const Cell& cell : row.cells) CheckCell(row.number, cell.column, cell.value);
  SharedStrings strings;
  std::vector<std::string> streams;
  for (size_t i = 0; i < sheets_.size(); ++i) streams.push_back(SheetStream(sheets_[i], i == 0, strings));
  std::vector<size_t> bound_at;
  std::string stream = Globals(sheets_, bound_at);
  std::string tail;
  strings.Write(tail);
  PutRecord(tail, kEof, {});
  size_t offset = stream.size() + tail.size();
  for (size_t i = 0; i < sheets_.size(); ++i) {
    for (int k = 0; k < 4; ++k) stream[bound_at[i] + 4 + k] = static_cast<char>(offset >> (8 * k));
    offset += streams[i].size();
  }
  stream += tail;
  for (const std::string& s : streams) stream += s;
  return detail::CompoundFileOfWorkbook(std::move(stream));
}

void XlsWorkbook::Save(const std::filesystem::path& file) const {
  const std::string bytes = Bytes();
  static thread_local std::mt19937_64 random{std::random_device{}()};
  const std::filesystem::path temporary =
      file.parent_path() / ("." + file.filename().string() + ".part-" + std::to_string(random()));
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      RaiseRefused(u"The workbook cannot be written.");
    }
  }
  std::error_code failed;
  std::filesystem::rename(temporary, file, failed);
  if (failed) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    RaiseRefused(u"The workbook cannot be written.");
  }
}

}  // namespace workbook
