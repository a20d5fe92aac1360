#include "platform/asp/response_sink.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace asp {
namespace {

// Large enough that a block costs little per byte, small enough that a
// transfer holds little memory and notices a client that left soon.
constexpr size_t kFileBlock = 1024 * 1024;

}  // namespace

void ResponseSink::SendFileRange(int descriptor, uint64_t offset, uint64_t length) {
  std::string block(static_cast<size_t>(std::min<uint64_t>(length, kFileBlock)), '\0');
  while (length > 0 && IsClientConnected()) {
    ssize_t got = ::pread(descriptor, block.data(), static_cast<size_t>(std::min<uint64_t>(block.size(), length)),
                          static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;  // the file ended early: the body stays short, never an error text in it
    SendBody(std::string_view(block.data(), static_cast<size_t>(got)));
    offset += static_cast<uint64_t>(got);
    length -= static_cast<uint64_t>(got);
  }
}

}  // namespace asp
