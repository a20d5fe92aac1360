#pragma once
// The web server's own refusals. IIS reports them with E_FAIL as the number,
// the object as the source and its "ASP nnnn" code next to the description.
#include <cstdint>

#include "platform/vb/error.h"

namespace asp {

inline constexpr int32_t kAspFailure = static_cast<int32_t>(0x80004005u);

// ASP 0206: BinaryRead after the form body was read into Request.Form.
[[noreturn]] void RaiseBinaryReadAfterForm();
// ASP 0207: Request.Form after BinaryRead took the body.
[[noreturn]] void RaiseFormAfterBinaryRead();
// ASP 0104: the request body is larger than the configured limit.
[[noreturn]] void RaiseBodyTooLarge(uint64_t size, uint64_t limit);
[[noreturn]] void RaiseTooManyFormFields(uint64_t count, uint64_t limit);
// Whether an error is ASP 0104: a request past the server's limits.
bool IsRequestTooLarge(const vb::Error& error);
// ASP 0156: a header change after the headers were sent.
[[noreturn]] void RaiseHeadersSent();
// ASP 0159: Clear or Flush with buffering off.
[[noreturn]] void RaiseBufferingOff();

}  // namespace asp
