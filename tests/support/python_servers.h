#pragma once
// FTP (pyftpdlib) and HTTP (http.server) servers on 127.0.0.1 serving a
// folder, for the length of a test: /usr/bin/python3 runs them as child
// processes on free ports.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "support/run_command.h"

extern char** environ;

namespace qe_test {

// The FTP server logs "tovik" (password "tovik") into the folder, read-only.
inline constexpr char kFtpServer[] = R"(
import sys, logging
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
logging.basicConfig(level=logging.CRITICAL)
users = DummyAuthorizer()
users.add_user("tovik", "tovik", sys.argv[1], perm="elr")
FTPHandler.authorizer = users
server = FTPServer(("127.0.0.1", 0), FTPHandler)
print(server.address[1], flush=True)
server.serve_forever()
)";

inline constexpr char kHttpServer[] = R"(
import sys, functools, http.server
class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args): pass
class Server(http.server.ThreadingHTTPServer):
    def handle_error(self, request, address): pass  # a client that left early
server = Server(("127.0.0.1", 0), functools.partial(Quiet, directory=sys.argv[1]))
print(server.server_address[1], flush=True)
server.serve_forever()
)";

class PythonServer {
 public:
  PythonServer(const char* program, const std::filesystem::path& folder) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string root = folder.string();
    const char* argv[] = {kPython, "-c", program, root.c_str(), nullptr};
    int rc = posix_spawn(&pid_, kPython, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
      ::close(out[0]);
      throw std::runtime_error("cannot start python3");
    }
    FILE* first = ::fdopen(out[0], "r");
    if (!first || std::fscanf(first, "%d", &port_) != 1) port_ = 0;
    if (first) std::fclose(first);
    if (port_ == 0) {
      Stop();
      throw std::runtime_error("the python server did not start");
    }
  }
  ~PythonServer() { Stop(); }
  PythonServer(const PythonServer&) = delete;
  PythonServer& operator=(const PythonServer&) = delete;

  int Port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  void Stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
      pid_ = 0;
    }
  }
  pid_t pid_ = 0;
  int port_ = 0;
};

}  // namespace qe_test
