#include "platform/workbook/workbook.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>

#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/information.h"
#include "platform/workbook/workbook_internal.h"

namespace workbook {
namespace {

// The application's error for what it cannot do with a file.
constexpr int32_t kApplicationError = 1004;

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// "_xHHHH_" at `i`: the code unit it stands for, or -1.
int32_t EscapeAt(vb::StringView text, size_t i) {
  if (i + 7 > text.size() || text[i] != u'_' || text[i + 1] != u'x' || text[i + 6] != u'_') return -1;
  int32_t unit = 0;
  for (size_t k = i + 2; k < i + 6; ++k) {
    int d = HexDigit(text[k]);
    if (d < 0) return -1;
    unit = unit * 16 + d;
  }
  return unit;
}

const vb::Variant kEmpty;

}  // namespace

const vb::Variant& Worksheet::Value(uint32_t row, uint32_t column) const {
  auto r = std::lower_bound(rows.begin(), rows.end(), row, [](const Row& x, uint32_t n) { return x.number < n; });
  if (r == rows.end() || r->number != row) return kEmpty;
  auto c = std::lower_bound(r->cells.begin(), r->cells.end(), column,
                            [](const Cell& x, uint32_t n) { return x.column < n; });
  return c == r->cells.end() || c->column != column ? kEmpty : c->value;
}

uint32_t Worksheet::LastRowOfColumn(uint32_t column) const {
  for (auto r = rows.rbegin(); r != rows.rend(); ++r)
    if (!Value(r->number, column).IsEmpty()) return r->number;
  return 0;
}

uint32_t Worksheet::LastColumnOfRow(uint32_t row) const {
  auto r = std::lower_bound(rows.begin(), rows.end(), row, [](const Row& x, uint32_t n) { return x.number < n; });
  if (r == rows.end() || r->number != row || r->cells.empty()) return 0;
  return r->cells.back().column;
}

void RaiseUnreadable(std::string_view why) {
  throw vb::Error(kApplicationError, u"The workbook cannot be read: " + vb::FromUtf8(why));
}

Format FormatOf(const std::filesystem::path& file) {
  std::array<char, 8> head{};
  std::ifstream in(file, std::ios::binary);
  if (!in.read(head.data(), head.size())) return Format::kUnknown;
  if (std::string_view(head.data(), 4) == std::string_view("PK\x03\x04", 4)) return Format::kXlsx;
  if (std::string_view(head.data(), 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return Format::kXls;
  return Format::kUnknown;
}

std::vector<Worksheet> ReadWorkbook(const std::filesystem::path& file, const ReadLimits& limits) {
  return detail::ReadWorkbook(file, limits, nullptr);
}

std::vector<Worksheet> detail::ReadWorkbook(const std::filesystem::path& file, const ReadLimits& limits,
                                            bool* xls_keeps_everything) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) vb::Raise(vb::kFileNotFound);
  auto size = std::filesystem::file_size(file, error);
  if (error || size > limits.max_file_bytes) RaiseUnreadable("the file is too large");
  std::vector<Worksheet> sheets;
  switch (FormatOf(file)) {
    case Format::kXlsx: sheets = detail::ReadXlsx(file, limits); break;
    case Format::kXls: sheets = detail::ReadXls(file, limits, xls_keeps_everything); break;
    case Format::kUnknown: RaiseUnreadable("not a workbook");
  }
  for (Worksheet& sheet : sheets) detail::Normalize(sheet);
  return sheets;
}

bool HasDaySerial(vb::Date date) { return date.serial >= 2 || (date.serial >= 0 && date.serial < 1); }

std::optional<vb::Date> DateWrittenAsText(vb::StringView text) {
  const vb::Variant value{vb::String(text)};
  if (!vb::IsDate(value)) return std::nullopt;
  const vb::Date date = vb::CDate(value);
  if (HasDaySerial(date) || vb::CStr(vb::Variant(date)) != text) return std::nullopt;
  return date;
}

namespace detail {

bool IsBuiltInDateFormat(uint32_t id) {
  return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

bool IsDateFormatCode(std::string_view code) {
  bool quoted = false;
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (quoted) {
      quoted = c != '"';
      continue;
    }
    switch (c) {
      case '"': quoted = true; continue;
      case '\\':
      case '_':
      case '*': ++i; continue;
      case '[': {
        size_t end = code.find(']', i);
        if (end == std::string_view::npos) return false;
        std::string_view inside = code.substr(i + 1, end - i - 1);
        if (!inside.empty() && (inside[0] | 0x20) == 'h') return true;
        if (!inside.empty() && ((inside[0] | 0x20) == 'm' || (inside[0] | 0x20) == 's') &&
            inside.find_first_not_of("mMsS") == std::string_view::npos)
          return true;
        i = end;
        continue;
      }
      case ';': return false;  // the first section decides
    }
    char lower = static_cast<char>(c | 0x20);
    if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's') return true;
  }
  return false;
}

bool IsCurrencyFormatCode(std::string_view code) {
  if (IsDateFormatCode(code)) return false;
  const std::string_view first = code.substr(0, code.find(';'));
  for (std::string_view sign : {"\u00A5", "\uFFE5", "\u20AC", "\u00A3"})
    if (first.find(sign) != std::string_view::npos) return true;
  // "$" is a sign, but "[$-804]" only names a locale.
  for (size_t at = first.find('$'); at != std::string_view::npos; at = first.find('$', at + 1)) {
    bool tag = at > 0 && first[at - 1] == '[';
    if (!tag || (at + 1 < first.size() && first[at + 1] != '-' && first[at + 1] != ']')) return true;
  }
  return false;
}

NumberKind KindOfBuiltInFormat(uint32_t id) {
  if (IsBuiltInDateFormat(id)) return NumberKind::kDate;
  return id >= 5 && id <= 8 ? NumberKind::kCurrency : NumberKind::kNumber;
}

NumberKind KindOfFormatCode(std::string_view code) {
  if (IsDateFormatCode(code)) return NumberKind::kDate;
  return IsCurrencyFormatCode(code) ? NumberKind::kCurrency : NumberKind::kNumber;
}

vb::Variant NumberCell(double value, NumberKind kind, bool date1904) {
  if (kind == NumberKind::kDate && value >= 0 && std::isfinite(value)) {
    vb::Date date = DateOfSerial(value, date1904);
    if (vb::IsDateSerialInRange(date.serial)) return vb::Variant(date);
  }
  if (kind == NumberKind::kCurrency) {
    if (std::optional<vb::Currency> currency = vb::CurrencyOfDouble(value)) return vb::Variant(*currency);
  }
  return vb::Variant(value);
}

void Normalize(Worksheet& sheet) {
  auto by_number = [](const Row& a, const Row& b) { return a.number < b.number; };
  std::stable_sort(sheet.rows.begin(), sheet.rows.end(), by_number);
  std::vector<Row> merged;
  for (Row& row : sheet.rows) {
    if (!merged.empty() && merged.back().number == row.number) {
      for (Cell& c : row.cells) merged.back().cells.push_back(std::move(c));
    } else {
      merged.push_back(std::move(row));
    }
  }
  for (Row& row : merged) {
    std::stable_sort(row.cells.begin(), row.cells.end(), [](const Cell& a, const Cell& b) { return a.column < b.column; });
    std::vector<Cell> cells;
    for (Cell& c : row.cells) {
      if (!cells.empty() && cells.back().column == c.column) cells.back() = std::move(c);
      else cells.push_back(std::move(c));
    }
    std::erase_if(cells, [](const Cell& c) { return c.value.IsEmpty(); });
    row.cells = std::move(cells);
  }
  std::erase_if(merged, [](const Row& r) { return r.cells.empty(); });
  sheet.rows = std::move(merged);
}

std::optional<CellRef> ParseCellRef(std::string_view text) {
  CellRef ref;
  size_t i = 0;
  uint64_t column = 0;
  for (; i < text.size() && ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z')); ++i) {
    column = column * 26 + static_cast<uint64_t>((text[i] | 0x20) - 'a' + 1);
    if (column > 16384) return std::nullopt;
  }
  uint64_t row = 0;
  size_t digits = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    row = row * 10 + static_cast<uint64_t>(text[i] - '0');
    if (row > 1048576) return std::nullopt;
  }
  if (i != text.size() || (column == 0 && i == digits)) return std::nullopt;
  ref.column = static_cast<uint32_t>(column);
  ref.row = static_cast<uint32_t>(row);
  return ref;
}

std::string ColumnName(uint32_t column) {
  std::string name;
  while (column > 0) {
    --column;
    name.insert(name.begin(), static_cast<char>('A' + column % 26));
    column /= 26;
  }
  return name;
}

vb::Date DateOfSerial(double serial, bool date1904) {
  if (date1904) return vb::Date{serial + 1462};
  // Before the application's 1900-02-29 its days run one behind; a time
  // alone (under one day) stays a time.
  if (serial >= 1 && serial < 60) return vb::Date{serial + 1};
  return vb::Date{serial};
}

std::optional<double> CellNumber(const vb::Variant& v) {
  switch (v.Type()) {
    case vb::vbInteger: return v.As<int16_t>();
    case vb::vbLong: return v.As<int32_t>();
    case vb::vbSingle: return v.As<float>();
    case vb::vbDouble: return v.As<double>();
    case vb::vbCurrency: return vb::CurrencyToDouble(v.As<vb::Currency>());
    case vb::vbByte: return v.As<uint8_t>();
    default: return std::nullopt;
  }
}

double SerialOfDate(vb::Date date) {
  if (date.serial >= 1 && date.serial < 61) return date.serial - 1;
  return date.serial;
}

vb::String UnescapeText(std::string_view utf8) {
  vb::String text = vb::FromUtf8(utf8);
  if (text.find(u"_x") == vb::String::npos) return text;
  vb::String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    int32_t unit = EscapeAt(text, i);
    if (unit >= 0) {
      out.push_back(static_cast<char16_t>(unit));
      i += 6;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

void AppendEscapedText(std::string& out, vb::StringView text) {
  auto escape = [&](uint32_t unit) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
    out += '_';
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      uint32_t cp = 0x10000 + ((static_cast<uint32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
      ++i;
      continue;
    }
    if (c == u'\r') {
      out += "&#13;";  // a character reference keeps it from the parser's line-end rule
      continue;
    }
    if ((c < 0x20 && c != u'\t' && c != u'\n') || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
      escape(c);
      continue;
    }
    if (c == u'_' && EscapeAt(text, i) >= 0) {
      escape(c);  // a literal "_xHHHH_" keeps its underscore
      continue;
    }
    switch (c) {
      case u'&': out += "&amp;"; continue;
      case u'<': out += "&lt;"; continue;
      case u'>': out += "&gt;"; continue;
      case u'"': out += "&quot;"; continue;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

}  // namespace detail
}  // namespace workbook
