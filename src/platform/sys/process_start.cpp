#include "platform/sys/process_start.h"

#include <fstream>
#include <sstream>
#include <string>

namespace sys {

std::optional<uint64_t> ProcessStartTime(int pid) {
  if (pid <= 0) return std::nullopt;
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  if (!std::getline(in, stat)) return std::nullopt;
  // "pid (name) state ppid …": the name may hold blanks and parentheses, so
  // the fields are counted from the last ")"; the start time is field 22.
  const size_t name_end = stat.rfind(')');
  if (name_end == std::string::npos) return std::nullopt;
  std::istringstream fields(stat.substr(name_end + 1));
  std::string field;
  for (int number = 3; number <= 22; ++number)
    if (!(fields >> field)) return std::nullopt;
  try {
    size_t used = 0;
    const uint64_t ticks = std::stoull(field, &used);
    if (used != field.size()) return std::nullopt;
    return ticks;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace sys
