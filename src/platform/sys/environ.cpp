#include "platform/sys/environ.h"

#include <mutex>

#include "platform/fs/full_path.h"
#include "platform/vb/error.h"

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

}  // namespace

vb::String Environ(vb::StringView name) {
  if (vb::EqualsNoCase(name, u"ComSpec")) return vb::String(fs::kWindowsFolder) + u"\\system32\\cmd.exe";
  if (vb::EqualsNoCase(name, u"SystemDrive")) {
    std::lock_guard lock(State().mutex);
    return State().system_drive;
  }
  return {};
}

void SetSystemDrive(vb::StringView drive) {
  if (drive.size() != 2 || !IsDriveLetter(drive[0]) || drive[1] != u':') {
    vb::Raise(vb::kInvalidProcedureCall, u"A system drive is a letter and \":\"");
  }
  std::lock_guard lock(State().mutex);
  State().system_drive = vb::String(drive);
}

}  // namespace sys
