#include "platform/sys/shell_execute.h"

#include <syslog.h>

#include <deque>
#include <mutex>

#include "platform/fs/full_path.h"

namespace sys {

namespace {

constexpr size_t kKept = 100;

struct Record {
  std::mutex mutex;
  std::deque<ShellOpening> openings;
  std::deque<vb::String> events;
  vb::String component_folder = fs::kSystemFolder;
};

Record& State() {
  static Record record;
  return record;
}

template <class T>
void Keep(std::deque<T>& list, T item) {
  list.push_back(std::move(item));
  if (list.size() > kKept) list.pop_front();
}

}  // namespace

int32_t ShellExecute(vb::StringView verb, vb::StringView file) {
  syslog(LOG_NOTICE, "Qe: %s %s (not opened: no desktop)", vb::ToUtf8(verb).c_str(), vb::ToUtf8(file).c_str());
  std::lock_guard lock(State().mutex);
  Keep(State().openings, ShellOpening{vb::String(verb), vb::String(file)});
  return 42;
}

void LogEvent(vb::StringView title, vb::StringView message) {
  syslog(LOG_WARNING, "%s: %s", vb::ToUtf8(title).c_str(), vb::ToUtf8(message).c_str());
  std::lock_guard lock(State().mutex);
  Keep(State().events, vb::String(title) + u": " + vb::String(message));
}

std::vector<ShellOpening> ShellOpenings() {
  std::lock_guard lock(State().mutex);
  return {State().openings.begin(), State().openings.end()};
}

std::vector<vb::String> LoggedEvents() {
  std::lock_guard lock(State().mutex);
  return {State().events.begin(), State().events.end()};
}

void ClearShellRecord() {
  std::lock_guard lock(State().mutex);
  State().openings.clear();
  State().events.clear();
}

vb::String ComponentFolder() {
  std::lock_guard lock(State().mutex);
  return State().component_folder;
}

void SetComponentFolder(vb::StringView real_path) {
  std::lock_guard lock(State().mutex);
  State().component_folder = vb::String(real_path);
}

}  // namespace sys
