#pragma once
// A run killed at a chosen step: a child process runs `body` with
// QE_STOP_AT naming the step (platform/sys/stop_points.h), stops itself
// there and is killed.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace qe_test {

// The child's number when it stopped at `step` (and was killed there), 0
// when it ended first.
inline pid_t KilledAtStep(const char* step, const std::function<void()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::setenv("QE_STOP_AT", step, 1);
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, WUNTRACED);
  if (!WIFSTOPPED(status)) return 0;
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  return child;
}

}  // namespace qe_test
