#pragma once
// How far a connection's client has taken what the server sent it, as the
// kernel counts it.
#include <cstdint>

namespace host {

// The bytes of the socket's stream that its peer has acknowledged since the
// connection began (0 when the kernel cannot say).
uint64_t BytesTaken(int socket);

}  // namespace host
