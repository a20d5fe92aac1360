// The qe program: plays the web server's part for the component.
#include <cstdio>
#include <cstring>

#include "host/call_command.h"
#include "host/register_command.h"
#include "host/serve_command.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: qe serve [--site DIR] [--listen HOST:PORT]   serve the site over HTTP (qe serve --help)\n"
               "       qe call [options] MEMBER [ARG]...   call one member of QeCls (qe call --help)\n"
               "       qe register [LIBRARY]               register the component's classes\n"
               "       qe unregister [LIBRARY]             remove them\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* command = argv[1];
  if (std::strcmp(command, "serve") == 0) return host::RunServe(argc - 2, argv + 2);
  if (std::strcmp(command, "call") == 0) return host::RunCall(argc - 2, argv + 2);
  if (std::strcmp(command, "register") == 0) return host::RunRegister(argc - 2, argv + 2, false);
  if (std::strcmp(command, "unregister") == 0) return host::RunRegister(argc - 2, argv + 2, true);
  return Usage();
}
