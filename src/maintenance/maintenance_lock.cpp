#include "maintenance/maintenance_lock.h"

#include <map>
#include <memory>

#include "common/kesra_file_paths.h"
#include "platform/fs/file_range_lock.h"
#include "platform/fs/paths.h"

namespace qe {
namespace {

constexpr char kLockFile[] = ".qe-maintenance.lock";
// Short steps: the run under way may end at any moment.
constexpr std::chrono::milliseconds kPollStep{20};

// The locks this thread holds, by file, with the number of runs in it.
struct HeldLock {
  std::unique_ptr<fs::FileRangeLock> lock;
  int runs = 0;
};
thread_local std::map<std::string, HeldLock> t_held;

// The lock file of the drive of a real path ("C:\site\data" → the root of C:).
std::string LockFileOf(const vb::String& site_path) {
  if (site_path.size() < 2 || site_path[1] != u':') return {};
  try {
    return (fs::ToHostPath(site_path.substr(0, 2) + u"\\") / kLockFile).string();
  } catch (const vb::Error&) {
    return {};
  }
}

}  // namespace

MaintenanceRun::MaintenanceRun(const vb::String& site_path) {
  const std::string file = LockFileOf(site_path);
  if (file.empty()) return;
  HeldLock& held = t_held[file];
  if (held.runs == 0) {
    held.lock = std::make_unique<fs::FileRangeLock>(file, fs::FileRangeLock::kWrite, fs::FileRangeLock::Range{},
                                                    kMaintenanceWait, kPollStep);
    if (!held.lock->Held()) {
      t_held.erase(file);
      return;
    }
  }
  ++held.runs;
  key_ = file;
}

MaintenanceRun::MaintenanceRun(vb::Variant& Server) : MaintenanceRun([&] {
  try {
    return MapPathWithoutDrive(Server, u"/");
  } catch (const vb::Error&) {
    return vb::String();
  }
}()) {}

MaintenanceRun::~MaintenanceRun() {
  if (key_.empty()) return;
  auto held = t_held.find(key_);
  if (held != t_held.end() && --held->second.runs == 0) t_held.erase(held);
}

}  // namespace qe
