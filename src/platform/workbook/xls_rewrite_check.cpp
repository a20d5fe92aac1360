// Whether writing an .xls back from its cell values keeps all that it holds:
// every record of the workbook stream must be one the writer makes again (or
// a setting of layout and printing, which holds no content), so that a
// formula, a drawing, a merge, a comment or a macro is never dropped
// unnoticed. The list is of what is allowed; anything else refuses.
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/workbook/biff_records.h"
#include "platform/workbook/workbook_internal.h"
#include "platform/zip/little_endian.h"

namespace workbook::detail {
namespace {

using namespace biff;

// Records the rewrite makes again from the values it read, and settings of
// the application, the window, the grid and the printed page.
const std::unordered_set<uint16_t>& KeptKinds() {
  static const std::unordered_set<uint16_t> kinds = {
      kEof,      kCodePage, kWindow1, kDateMode, kFont,    kContinue, kXf,     kStyle,  kFormat,
      kSst,      kDimensions, kWindow2,
      0x00E1,  // INTERFACEHDR
      0x00C1,  // MMS
      0x00E2,  // INTERFACEEND
      0x005C,  // WRITEACCESS
      0x0161,  // DSF
      0x013D,  // TABID
      0x009C,  // FNGROUPCOUNT
      0x0040,  // BACKUP
      0x008D,  // HIDEOBJ
      0x01B7,  // REFRESHALL
      0x00DA,  // BOOKBOOL
      0x0092,  // PALETTE
      0x0160,  // USESELFS
      0x008C,  // COUNTRY
      0x00FF,  // EXTSST
      0x01C1,  // RECALCID
      0x000D, 0x000C, 0x000F, 0x0011, 0x0010, 0x005F,  // calculation settings
      0x002A, 0x002B, 0x0082, 0x0080,                  // printed headings and grid, outline gutters
      0x0225, 0x0081, 0x0055,                          // row height, sheet options, default column width
      0x0014, 0x0015, 0x0083, 0x0084,                  // page header and footer, centring
      0x0026, 0x0027, 0x0028, 0x0029, 0x00A1,          // margins, page setup
      0x020B, 0x00D7,                                  // row index, cell offsets
      0x00A0, 0x0041, 0x001D,                          // zoom, panes, selection
  };
  return kinds;
}

// Protection records and page breaks, kept only when they hold nothing.
bool KeptWhenZero(uint16_t type) {
  switch (type) {
    case 0x001B:  // HORIZONTALPAGEBREAKS
    case 0x001A:  // VERTICALPAGEBREAKS
    case 0x0019:  // WINDOWPROTECT
    case 0x0012:  // PROTECT
    case 0x0063:  // OBJPROTECT
    case 0x00DD:  // SCENPROTECT
    case 0x0013:  // PASSWORD
    case 0x01AF:  // PROT4REV
    case 0x01BC:  // PROT4REVPASS
      return true;
    default: return false;
  }
}

constexpr uint16_t kPrecision = 0x000E;
constexpr uint16_t kMulBlank = 0x00BE;

bool AllZero(std::string_view data) { return data.find_first_not_of('\0') == std::string_view::npos; }

class Checker {
 public:
  // Whether the cell's format is one the writer gives back: the workbook's
  // font, no alignment, border or fill of its own, locked, General, a date
  // or the built-in currency format.
  bool PlainFormat(uint16_t xf) const {
    if (xf >= xf_formats_.size() || !xf_plain_style_[xf]) return false;
    uint16_t format = xf_formats_[xf];
    if (format == 0) return true;
    auto it = plain_formats_.find(format);
    return it != plain_formats_.end() ? it->second : IsBuiltInDateFormat(format) || format == kCurrencyFormat;
  }

  bool Kept(uint16_t type, std::string_view d, bool biff8) {
    auto u16 = [&](size_t at) { return at + 2 <= d.size() ? ziparc::Get16(d.data() + at) : uint16_t{0xFFFF}; };
    switch (type) {
      case kPrecision: return u16(0) == 1;  // full precision, not "as displayed"
      // Rows and columns neither hidden nor grouped in an outline; a row's
      // own format as a cell's.
      case kRow: return (u16(12) & 0x37) == 0 && ((u16(12) & 0x80) == 0 || PlainFormat(u16(14) & 0x0FFF));
      case kColInfo: return (u16(8) & 0x1701) == 0;
      case kBoundSheet: return d.size() >= 6 && d[4] == 0 && d[5] == 0;  // a visible worksheet
      case kFont: fonts_.emplace_back(d); return true;
      case kXf:
        xf_formats_.push_back(u16(2));
        xf_plain_style_.push_back(PlainStyle(d, biff8));
        return true;
      case kFormat: {
        const size_t at = biff8 ? 5 : 3;
        if (at > d.size()) return false;
        // Only ASCII letters make a date format; other characters stand in
        // as spaces.
        const size_t width = biff8 && (d[4] & 1) ? 2 : 1;
        std::string code;
        for (size_t i = at; i + width <= d.size(); i += width) {
          const uint16_t c = width == 2 ? u16(i) : static_cast<uint8_t>(d[i]);
          code.push_back(c < 0x80 ? static_cast<char>(c) : ' ');
        }
        plain_formats_[u16(0)] = IsDateFormatCode(code) || code == "General";
        return true;
      }
      case kNumber:
      case kRk:
      case kLabelSst:
      case kLabel:
      case kBlank:
      case kBoolErr: return PlainFormat(u16(4));
      case kMulRk:
      case kMulBlank: {
        const size_t step = type == kMulRk ? 6 : 2;
        for (size_t at = 4; at + step + 2 <= d.size(); at += step)
          if (!PlainFormat(u16(at))) return false;
        return true;
      }
      default: return KeptWhenZero(type) ? AllZero(d) : KeptKinds().count(type) > 0;
    }
  }

 private:
  // A cell format's font is the workbook's first (number 4 does not exist),
  // its cells locked with their formulas shown (what protecting the sheet
  // would keep), its alignment the default (bottom, not wrapped, turned or
  // indented), and it has no border lines and no fill.
  bool PlainStyle(std::string_view d, bool biff8) const {
    if (d.size() < (biff8 ? 20u : 16u) || fonts_.empty()) return false;
    if ((d[4] & 0x03) != 0x01) return false;
    const uint16_t font = ziparc::Get16(d.data());
    const size_t record = font >= 4 ? font - 1u : font;
    if (record >= fonts_.size() || fonts_[record] != fonts_[0]) return false;
    if ((static_cast<uint8_t>(d[6]) & 0x7F) != 0x20) return false;
    if (biff8)
      return d[7] == 0 && (d[8] & 0x1F) == 0 && (ziparc::Get32(d.data() + 10) & 0xFFFF) == 0 &&
             (ziparc::Get32(d.data() + 14) & 0xFDE00000u) == 0;
    return (ziparc::Get32(d.data() + 8) & 0x01FF0000u) == 0 && (ziparc::Get32(d.data() + 12) & 0x1FF) == 0;
  }

  std::vector<std::string> fonts_;
  std::vector<bool> xf_plain_style_;
  std::vector<uint16_t> xf_formats_;
  std::unordered_map<uint16_t, bool> plain_formats_;  // General or a date
};

}  // namespace

bool RewriteKeepsEverything(std::string_view stream) {
  Checker checker;
  bool biff8 = true, inside = false, first = true;
  for (size_t at = 0; at + 4 <= stream.size();) {
    const uint16_t type = ziparc::Get16(stream.data() + at), size = ziparc::Get16(stream.data() + at + 2);
    if (!inside && type != kBof) return AllZero(stream.substr(at));  // what follows the last sheet
    if (at + 4 + size > stream.size()) return false;
    const std::string_view data = stream.substr(at + 4, size);
    at += 4 + size;
    if (type == kBof) {
      // A substream inside another is an embedded chart; other kinds are
      // charts, macros and modules.
      if (inside || data.size() < 4) return false;
      const uint16_t kind = ziparc::Get16(data.data() + 2);
      if (kind != (first ? kGlobals : kWorksheet)) return false;
      if (first) biff8 = ziparc::Get16(data.data()) == kBiff8;
      inside = true;
      first = false;
    } else if (type == kEof) {
      inside = false;
    } else if (!checker.Kept(type, data, biff8)) {
      return false;
    }
  }
  return !inside;
}

}  // namespace workbook::detail
