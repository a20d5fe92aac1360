#pragma once
// ADO's errors as the stream raises them: ADO's own numbers, as VB reports
// them, with the source "ADODB.Stream".
#include <cstdint>

namespace stream {

enum StreamError : int32_t {
  kInvalidArgument = 3001,
  kReadFile = 3002,
  kWriteFile = 3004,
  kIllegalOperation = 3219,
  kObjectClosed = 3704,
  kObjectOpen = 3705,
};

[[noreturn]] void RaiseStreamError(StreamError error);

}  // namespace stream
