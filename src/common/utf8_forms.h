#pragma once
// The one-, two- and three-byte UTF-8 forms of single UTF-16 code units, as
// the component's hand coders write and read them: every code unit is coded on
// its own (a surrogate pair gives two three-byte forms) and the continuation
// bytes are read without being checked.
#include <cstdint>

namespace qe {

// Calls emit(byte) for each byte of the code unit's form.
template <class Emit>
void EmitUtf8Form(char16_t u, Emit emit) {
  if (u < 0x80) {
    emit(static_cast<unsigned>(u));
  } else if (u < 0x800) {
    emit(0xC0u + u / 64);
    emit(0x80u + u % 64);
  } else {
    emit(0xE0u + u / 4096);
    emit(0x80u + u / 64 % 64);
    emit(0x80u + u % 64);
  }
}

inline char16_t TwoByteForm(unsigned b1, unsigned b2) { return static_cast<char16_t>(b1 % 32 * 64 + b2 % 64); }

inline char16_t ThreeByteForm(unsigned b1, unsigned b2, unsigned b3) {
  return static_cast<char16_t>(b1 % 16 * 4096 + b2 % 64 * 64 + b3 % 64);
}

}  // namespace qe
