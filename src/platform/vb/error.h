#pragma once
// Run-time errors with the platform's numbers (Err.Number, Err.Description).
#include <cstdint>
#include <exception>
#include <string>

#include "platform/vb/string.h"

namespace vb {

// The platform's standard error numbers that the component raises or tests.
enum ErrorNumber : int32_t {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kArrayFixed = 10,
  kDivisionByZero = 11,
  kTypeMismatch = 13,
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kBadFileMode = 54,
  kDeviceIoError = 57,
  kFileAlreadyExists = 58,
  kDiskFull = 61,
  kInputPastEndOfFile = 62,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  kObjectNotSet = 91,
  kInvalidUseOfNull = 94,
  kObjectRequired = 424,
  kCannotCreateObject = 429,
  kMemberNotSupported = 438,
  kActionNotSupported = 445,
  kNamedArgumentNotFound = 448,
  kArgumentNotOptional = 449,
  kWrongArgumentCount = 450,
  kInvalidPicture = 481,
};

// vbObjectError: the base of the numbers a class raises for its own errors
// (80040000 hexadecimal); a class's error n is vbObjectError + n.
inline constexpr int32_t vbObjectError = -2147221504;

// The standard description of a platform error number ("" when unknown).
String StandardDescription(int32_t number);

class Error : public std::exception {
 public:
  // An empty description takes the standard one for the number.
  explicit Error(int32_t number, String description = {}, String source = {});

  int32_t Number() const { return number_; }
  const String& Description() const { return description_; }
  const String& Source() const { return source_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  int32_t number_;
  String description_;
  String source_;
  std::string utf8_;
};

[[noreturn]] void Raise(int32_t number, String description = {});

}  // namespace vb
