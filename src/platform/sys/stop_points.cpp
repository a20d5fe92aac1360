#include "platform/sys/stop_points.h"

#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <string_view>

namespace sys {

void StopPoint(const char* step) {
  const char* wanted = std::getenv("QE_STOP_AT");
  if (!wanted) return;
  // "step" stops the first time it is reached, "step#n" the n-th time.
  const std::string_view aim(wanted);
  const size_t hash = aim.find('#');
  if (aim.substr(0, hash) != step) return;
  static std::atomic<int> reached{0};
  const int nth = hash == std::string_view::npos ? 1 : std::atoi(wanted + hash + 1);
  // Sent to this thread, which stops before its next step: sent to the
  // process, it may reach another thread first, and this one would go on
  // to the step it was to stop before (a journal deleted after all).
  if (++reached == nth) ::raise(SIGSTOP);
}

}  // namespace sys
