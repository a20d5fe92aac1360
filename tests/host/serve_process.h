#pragma once
// `qe serve` as a child process on a free loopback port, over a site folder;
// stopped with SIGTERM at the end.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace host_test {

class ServeProcess {
 public:
  // `options` go after the site and the address ("--threads", "8").
  // `max_files`: the server's limit of open descriptors (0: as this process's).
  explicit ServeProcess(const std::filesystem::path& site, std::vector<std::string> options = {}, rlim_t max_files = 0) {
    std::vector<std::string> args = {QE_PROGRAM_PATH, "serve", "--site", site.string(), "--listen", "127.0.0.1:0"};
    // The names browsers and clients use, and "a" of raw requests; unless the test names its own.
    if (std::find(options.begin(), options.end(), "--host") == options.end())
      options.insert(options.begin(), {"--host", "a", "--host", "127.0.0.1", "--host", "localhost"});
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that crashes takes its server along
      if (max_files > 0) {
        rlimit files{max_files, max_files};
        ::setrlimit(RLIMIT_NOFILE, &files);
      }
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::close(out[1]);
      ::execv(QE_PROGRAM_PATH, argv.data());
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
  // The exit status once the server ended by itself within `limit` (-1 when
  // a signal ended it); -2 while it still runs.
  int WaitExit(std::chrono::milliseconds limit) {
    for (auto deadline = std::chrono::steady_clock::now() + limit;;) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (std::chrono::steady_clock::now() >= deadline) return -2;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
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
