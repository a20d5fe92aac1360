#include "platform/sys/system_random.h"

#include <sys/random.h>

#include <cerrno>

#include "platform/vb/error.h"

namespace sys {

void FillRandom(void* out, size_t count) {
  auto* bytes = static_cast<unsigned char*>(out);
  while (count > 0) {
    ssize_t got = ::getrandom(bytes, count, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) vb::Raise(vb::kOutOfMemory, u"the system's random source failed");
    bytes += got;
    count -= static_cast<size_t>(got);
  }
}

std::u16string RandomCapitals(size_t count) {
  // 234 = 9 * 26: bytes past it are drawn again, so each letter is as likely.
  constexpr unsigned kEvenBelow = 234;
  std::u16string letters;
  unsigned char pool[64];
  while (letters.size() < count) {
    FillRandom(pool, sizeof pool);
    for (unsigned char byte : pool)
      if (byte < kEvenBelow && letters.size() < count) letters.push_back(static_cast<char16_t>(u'A' + byte % 26));
  }
  return letters;
}

}  // namespace sys
