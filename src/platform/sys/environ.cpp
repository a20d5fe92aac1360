#include "platform/sys/environ.h"

#include <mutex>
#include <string_view>

#include "platform/fs/full_path.h"
#include "platform/vb/error.h"

extern char** environ;

namespace sys {

namespace {

struct Settings {
  std::mutex mutex;
  vb::String system_drive = u"C:";
};

Settings& State() {
  static Settings settings;
  return settings;
}

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

constexpr std::string_view kOperatorPrefix = "QE_";

// The host variable "QE_" + name, the name in any case; "" when none is set.
vb::String OperatorValue(vb::StringView name) {
  if (name.empty()) return {};
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view text(*entry);
    size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals <= kOperatorPrefix.size()) continue;
    if (text.substr(0, kOperatorPrefix.size()) != kOperatorPrefix) continue;
    if (vb::EqualsNoCase(vb::FromUtf8(text.substr(kOperatorPrefix.size(), equals - kOperatorPrefix.size())), name))
      return vb::FromUtf8(text.substr(equals + 1));
  }
  return {};
}

}  // namespace

vb::String Environ(vb::StringView name) {
  if (vb::EqualsNoCase(name, u"ComSpec")) return vb::String(fs::kWindowsFolder) + u"\\system32\\cmd.exe";
  if (vb::EqualsNoCase(name, u"SystemDrive")) {
    std::lock_guard lock(State().mutex);
    return State().system_drive;
  }
  return OperatorValue(name);
}

void SetSystemDrive(vb::StringView drive) {
  if (drive.size() != 2 || !IsDriveLetter(drive[0]) || drive[1] != u':') {
    vb::Raise(vb::kInvalidProcedureCall, u"A system drive is a letter and \":\"");
  }
  std::lock_guard lock(State().mutex);
  State().system_drive = vb::String(drive);
}

}  // namespace sys
