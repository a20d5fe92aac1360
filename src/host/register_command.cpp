#include "host/register_command.h"

#include <cstdint>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace host {
namespace {

// libqe.so beside this program, where the build puts both.
std::string DefaultLibrary() {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "libqe.so";
  return (self.parent_path() / "libqe.so").string();
}

}  // namespace

int RunRegister(int argc, char** argv, bool unregister) {
  std::string library = argc > 0 ? argv[0] : DefaultLibrary();
  void* handle = dlopen(std::filesystem::absolute(library).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr, "error: cannot load %s: %s\n", library.c_str(), dlerror());
    return 1;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto fn = reinterpret_cast<int32_t (*)()>(dlsym(handle, entry));
  if (!fn) {
    std::fprintf(stderr, "error: %s has no entry point %s\n", library.c_str(), entry);
    return 1;
  }
  int32_t hr = fn();
  if (hr != 0) {
    std::fprintf(stderr, "error: %s failed with 0x%08X\n", entry, static_cast<uint32_t>(hr));
    return 1;
  }
  std::printf("%s succeeded in %s\n", entry, library.c_str());
  return 0;
}

}  // namespace host
