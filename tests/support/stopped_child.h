#pragma once
// A run stopped at a chosen step: a child process runs `body` with
// QE_STOP_AT naming the step (platform/sys/stop_points.h) and stops itself
// there, holding whatever it holds at that step; it is let go on, or killed.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace qe_test {

class StoppedAtStep {
 public:
  StoppedAtStep(const char* step, const std::function<void()>& body) : child_(::fork()) {
    if (child_ == 0) {
      ::setenv("QE_STOP_AT", step, 1);
      body();
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child_, &status, WUNTRACED);
    if (WIFSTOPPED(status)) return;
    ended_ = true;
    status_ = status;
  }
  // Killed where it stands, unless it ended.
  ~StoppedAtStep() { Kill(); }
  StoppedAtStep(const StoppedAtStep&) = delete;
  StoppedAtStep& operator=(const StoppedAtStep&) = delete;

  // False when it ended before the step.
  bool Stopped() const { return !ended_; }
  pid_t Child() const { return child_; }
  // Lets it go on to its end; true when it ended with status 0.
  bool Resume() {
    if (!ended_) {
      ::kill(child_, SIGCONT);
      ::waitpid(child_, &status_, 0);
      ended_ = true;
    }
    return WIFEXITED(status_) && WEXITSTATUS(status_) == 0;
  }
  void Kill() {
    if (ended_) return;
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
    ended_ = true;
  }

 private:
  pid_t child_;
  bool ended_ = false;
  int status_ = 0;
};

// The child's number when it stopped at `step` (and was killed there), 0
// when it ended first.
inline pid_t KilledAtStep(const char* step, const std::function<void()>& body) {
  StoppedAtStep stopped(step, body);
  return stopped.Stopped() ? stopped.Child() : 0;
}

}  // namespace qe_test
