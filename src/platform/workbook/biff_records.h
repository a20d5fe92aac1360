#pragma once
// The BIFF8 record types that the .xls reader and writer handle.
#include <cstdint>

namespace workbook::detail::biff {

enum RecordType : uint16_t {
  kFormula = 0x0006,
  kEof = 0x000A,
  kDateMode = 0x0022,
  kFont = 0x0031,
  kContinue = 0x003C,
  kWindow1 = 0x003D,
  kCodePage = 0x0042,
  kBoundSheet = 0x0085,
  kColInfo = 0x007D,
  kMulRk = 0x00BD,
  kRString = 0x00D6,
  kXf = 0x00E0,
  kSst = 0x00FC,
  kLabelSst = 0x00FD,
  kDimensions = 0x0200,
  kBlank = 0x0201,
  kNumber = 0x0203,
  kLabel = 0x0204,
  kBoolErr = 0x0205,
  kString = 0x0207,
  kRow = 0x0208,
  kWindow2 = 0x023E,
  kRk = 0x027E,
  kStyle = 0x0293,
  kFormat = 0x041E,
  kBof = 0x0809,
};

constexpr uint16_t kBiff8 = 0x0600;
// BOF kinds: the workbook's globals, a worksheet.
constexpr uint16_t kGlobals = 0x0005;
constexpr uint16_t kWorksheet = 0x0010;

}  // namespace workbook::detail::biff
