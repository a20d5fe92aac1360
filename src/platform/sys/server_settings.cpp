#include "platform/sys/server_settings.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

namespace sys {
namespace {

struct Settings {
  std::mutex mutex;
  std::map<std::string, vb::String, std::less<>> set;
};

Settings& State() {
  static Settings settings;
  return settings;
}

}  // namespace

vb::String ServerSetting(std::string_view name) {
  {
    std::lock_guard lock(State().mutex);
    if (auto it = State().set.find(name); it != State().set.end()) return it->second;
  }
  const char* value = std::getenv(("QE_" + std::string(name)).c_str());
  return value ? vb::FromUtf8(value) : vb::String();
}

void SetServerSetting(std::string_view name, vb::StringView value) {
  std::lock_guard lock(State().mutex);
  State().set.insert_or_assign(std::string(name), vb::String(value));
}

void ResetServerSetting(std::string_view name) {
  std::lock_guard lock(State().mutex);
  if (auto it = State().set.find(name); it != State().set.end()) State().set.erase(it);
}

}  // namespace sys
