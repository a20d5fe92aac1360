#include "platform/sys/process_ids.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace sys {

int CurrentProcessId() { return static_cast<int>(::getpid()); }

bool IsProcessRunning(int pid) {
  if (pid <= 0) return false;
  // A process of another user answers "not permitted": it runs all the same.
  return pid == CurrentProcessId() || ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace sys
