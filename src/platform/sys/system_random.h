#pragma once
// The system's cryptographic random source (getrandom), for what must not be
// guessed: session tokens. Nothing here is seeded, so nothing can be recovered
// from what it gave before.
#include <cstddef>
#include <string>

namespace sys {

// Fills `out` with `count` random bytes; raises vb::Error 7 (out of memory,
// as the system's own failure) when the source fails.
void FillRandom(void* out, size_t count);

// `count` letters A-Z, each uniform (log2 26 = 4.7 bits each).
std::u16string RandomCapitals(size_t count);

}  // namespace sys
