#pragma once
// `qe serve` as a child process on a free loopback port, over a site folder;
// stopped with SIGTERM at the end.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace host_test {

class ServeProcess {
 public:
  explicit ServeProcess(const std::filesystem::path& site) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that crashes takes its server along
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::close(out[1]);
      ::execl(QE_PROGRAM_PATH, QE_PROGRAM_PATH, "serve", "--site", site.c_str(), "--listen", "127.0.0.1:0",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    output_ = ::fdopen(out[0], "r");
    char line[1024] = {};
    if (!std::fgets(line, sizeof line, output_)) throw std::runtime_error("qe serve printed nothing");
    first_line_ = line;
    size_t at = first_line_.find("http://127.0.0.1:");
    if (at == std::string::npos) throw std::runtime_error("no address in: " + first_line_);
    port_ = std::stoi(first_line_.substr(at + 17));
  }
  ~ServeProcess() {
    if (pid_ > 0) Stop();
    if (output_) std::fclose(output_);
  }
  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  const std::string& FirstLine() const { return first_line_; }
  bool Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
  // SIGTERM; the exit status (-1 when it did not exit by itself).
  int Stop() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = 0;
  FILE* output_ = nullptr;
  std::string first_line_;
  int port_ = 0;
};

}  // namespace host_test
