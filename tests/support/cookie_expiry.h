#pragma once
// The expiry a cookie shows for midnight `days` after today, as the server
// writes it in Set-Cookie (the tests run with TZ=UTC).
#include <ctime>
#include <string>

namespace qe_test {

inline std::string CookieExpiry(int days) {
  std::time_t now = std::time(nullptr);
  std::time_t midnight = now - now % 86400 + static_cast<std::time_t>(days) * 86400;
  char text[64];
  std::tm parts;
  gmtime_r(&midnight, &parts);
  std::strftime(text, sizeof text, "%a, %d-%b-%Y %H:%M:%S GMT", &parts);
  return text;
}

}  // namespace qe_test
