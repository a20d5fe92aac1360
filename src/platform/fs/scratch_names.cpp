#include "platform/fs/scratch_names.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "platform/fs/paths.h"
#include "platform/sys/process_ids.h"
#include "platform/sys/process_start.h"

namespace fs {
namespace {

namespace stdfs = std::filesystem;

// How far a process's start, worked out from the clocks, may lie after a
// change it made: the boot moment the kernel counts from is known to the
// second only.
constexpr double kClockSlackSeconds = 2;

// The digits at the front of `text`, taken off it; nullopt when there are
// none or more than `most`.
std::optional<uint64_t> TakeNumber(std::string_view& text, size_t most) {
  size_t digits = 0;
  uint64_t value = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    value = value * 10 + static_cast<uint64_t>(text[digits] - '0');
    if (++digits > most) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return value;
}

double Seconds(clockid_t clock) {
  timespec now{};
  ::clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// When the process `pid` started, in seconds since 1970; nullopt when its
// start cannot be read.
std::optional<double> StartedAt(int pid) {
  const std::optional<uint64_t> ticks = sys::ProcessStartTime(pid);
  if (!ticks) return std::nullopt;
  // The kernel counts it on the clock that runs from boot.
  const double since_boot = static_cast<double>(*ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  return Seconds(CLOCK_REALTIME) - (Seconds(CLOCK_BOOTTIME) - since_boot);
}

// True when `path` is `folder` or lies below it, name by name.
bool LiesWithin(const stdfs::path& path, const stdfs::path& folder) {
  const stdfs::path inner = path.lexically_normal(), outer = folder.lexically_normal();
  auto o = outer.begin(), i = inner.begin();
  for (; o != outer.end(); ++o, ++i) {
    if (o->empty() && std::next(o) == outer.end()) break;  // a trailing separator
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

std::optional<stdfs::path> DriveRootOf(const stdfs::path& folder) {
  for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
    const std::optional<stdfs::path> root = DriveFolder(letter);
    if (root && LiesWithin(folder, *root)) return root;
  }
  return std::nullopt;
}

}  // namespace

std::string ScratchPrefix() {
  // Read again in a child forked from this process: it is another process.
  static thread_local int pid = 0;
  static thread_local std::string prefix;
  if (pid != sys::CurrentProcessId()) {
    pid = sys::CurrentProcessId();
    const std::optional<uint64_t> started = sys::ProcessStartTime(pid);
    prefix = kScratchMarker + std::to_string(pid) + (started ? "." + std::to_string(*started) : "") + "-";
  }
  return prefix;
}

std::string ScratchName(std::string_view what) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(generator()));
  return ScratchPrefix() + std::string(what) + digits;
}

stdfs::path ScratchFolderFor(const stdfs::path& folder) {
  const std::optional<stdfs::path> root = DriveRootOf(folder);
  struct stat in_root {}, in_folder {};
  if (root && ::stat(root->c_str(), &in_root) == 0 && ::stat(folder.c_str(), &in_folder) == 0 &&
      in_root.st_dev == in_folder.st_dev && ::access(root->c_str(), W_OK | X_OK) == 0)
    return *root;
  return folder;
}

std::optional<ScratchOwner> ScratchOwnerOf(std::string_view name) {
  if (!name.starts_with(kScratchMarker)) return std::nullopt;
  name.remove_prefix(sizeof kScratchMarker - 1);
  ScratchOwner owner;
  std::optional<uint64_t> pid = TakeNumber(name, 9);
  if (!pid || *pid == 0) return std::nullopt;
  owner.pid = static_cast<int>(*pid);
  if (name.starts_with('.')) {
    name.remove_prefix(1);
    owner.started = TakeNumber(name, 19);
    if (!owner.started) return std::nullopt;
  }
  if (!name.starts_with('-')) return std::nullopt;
  return owner;
}

bool IsRunning(const ScratchOwner& owner, const stdfs::path& made) {
  if (!owner.started) return MayBeAtWork(owner.pid, made);
  if (!sys::IsProcessRunning(owner.pid)) return false;
  const std::optional<uint64_t> started = sys::ProcessStartTime(owner.pid);
  return !started || *started == *owner.started;
}

bool MayBeAtWork(int pid, const stdfs::path& made) {
  if (!sys::IsProcessRunning(pid)) return false;
  struct stat status {};
  if (::lstat(made.c_str(), &status) != 0) return false;  // gone already
  const std::optional<double> started = StartedAt(pid);
  const double changed = static_cast<double>(status.st_mtim.tv_sec) + static_cast<double>(status.st_mtim.tv_nsec) * 1e-9;
  return !started || *started <= changed + kClockSlackSeconds;
}

std::vector<stdfs::path> AbandonedScratchIn(const stdfs::path& folder) {
  std::vector<stdfs::path> found;
  std::error_code error;
  for (const auto& entry : stdfs::directory_iterator(folder, error)) {
    const std::optional<ScratchOwner> owner = ScratchOwnerOf(entry.path().filename().string());
    if (owner && !IsRunning(*owner, entry.path())) found.push_back(entry.path());
  }
  return found;
}

}  // namespace fs
