#pragma once
// ADO's errors as the component sees them.
//
// ADO raises its own errors with codes of the automation facility
// (0x800Axxxx); VB reports such a code as its low 16 bits, so they are raised
// here with numbers such as 3706. A provider reports its failures with its
// own HRESULTs (0x80004005, 0x80040E14, ...), which VB reports as they are:
// negative numbers.
#include <cstdint>

#include "platform/vb/error.h"

namespace ado {

using vb::String;
using vb::StringView;

// ADO's ErrorValueEnum numbers that this layer raises.
enum AdoError : int32_t {
  kErrInvalidArgument = 3001,
  kErrNoCurrentRecord = 3021,
  kErrIllegalOperation = 3219,
  kErrInTransaction = 3246,
  kErrFeatureNotAvailable = 3251,
  kErrNotUpdatable = 3251 + 0x10000,  // same number, the updating text
  kErrItemNotFound = 3265,
  kErrObjectInCollection = 3367,
  kErrDataConversion = 3421,
  kErrObjectClosed = 3704,
  kErrObjectOpen = 3705,
  kErrProviderNotFound = 3706,
  kErrInvalidConnection = 3709,
};

// Provider HRESULTs.
inline constexpr int32_t kEFail = static_cast<int32_t>(0x80004005u);
inline constexpr int32_t kDbTypeMismatch = static_cast<int32_t>(0x80040E07u);
inline constexpr int32_t kDbMissingParameter = static_cast<int32_t>(0x80040E10u);
inline constexpr int32_t kDbErrorsInCommand = static_cast<int32_t>(0x80040E14u);
inline constexpr int32_t kDbDatabaseExists = static_cast<int32_t>(0x80040E17u);
inline constexpr int32_t kDbMultipleStep = static_cast<int32_t>(0x80040E21u);
inline constexpr int32_t kDbDeletedRow = static_cast<int32_t>(0x80040E23u);
inline constexpr int32_t kDbCannotFetchBackwards = static_cast<int32_t>(0x80040E24u);
inline constexpr int32_t kDbIntegrityViolation = static_cast<int32_t>(0x80040E2Fu);
inline constexpr int32_t kDbNoSuchTable = static_cast<int32_t>(0x80040E37u);
inline constexpr int32_t kDbBadPassword = static_cast<int32_t>(0x80040E4Du);
inline constexpr int32_t kDispTypeMismatch = static_cast<int32_t>(0x80020005u);
inline constexpr int32_t kNoTransaction = static_cast<int32_t>(0x8004D00Eu);

// The sources that errors name.
inline constexpr char16_t kSourceConnection[] = u"ADODB.Connection";
inline constexpr char16_t kSourceRecordset[] = u"ADODB.Recordset";
inline constexpr char16_t kSourceField[] = u"ADODB.Field";
inline constexpr char16_t kSourceAdox[] = u"ADOX.Catalog";

// An error that a provider reported, with what ADO's Error object shows.
class ProviderError : public vb::Error {
 public:
  ProviderError(int32_t hresult, String description, String source, String sql_state = {},
                int32_t native_error = 0)
      : vb::Error(hresult, std::move(description), std::move(source)),
        sql_state_(std::move(sql_state)),
        native_error_(native_error) {}
  const String& SqlState() const { return sql_state_; }
  int32_t NativeError() const { return native_error_; }

 private:
  String sql_state_;
  int32_t native_error_;
};

// ADO's text for one of its own errors.
String AdoDescription(int32_t error);

// Raises one of ADO's own errors (its number as VB reports it).
[[noreturn]] void RaiseAdo(int32_t error, StringView source);
[[noreturn]] void RaiseProvider(int32_t hresult, String description, String source);

// The failure code behind an error number as VB reports it: ADO's own numbers
// (1..0xFFFF) go back to 0x800Axxxx; anything else is already the code.
int32_t HResultOf(int32_t number);

}  // namespace ado
