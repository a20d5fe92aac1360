#pragma once
// One maintenance run at a time per site, across processes. The runs that
// replace or remove data files (compaction, repair, data creation, restore,
// backup, clearing, import, the rebuild of a structure) hold the site's
// maintenance lock for their whole run, so that none removes or replaces
// what another is still working with (a clear never takes away the backup
// that a restore has published and not yet put to use). A run that finds
// another at work waits for it at most kMaintenanceWait, as a page's
// statement waits for a writer, and is then refused with the text a page's
// write gets. A run inside another on the same thread (a repair's
// compaction) is part of it.
#include <chrono>
#include <string>

#include "platform/vb/variant.h"

namespace qe {

inline constexpr std::chrono::seconds kMaintenanceWait{10};
inline constexpr char16_t kMaintenanceBusy[] = u"Could not update; currently locked.";

class MaintenanceRun {
 public:
  // The lock of the site that holds the real path `site_path`: a site is
  // one drive as the component sees it, and the lock is a file at the
  // drive's root.
  explicit MaintenanceRun(const vb::String& site_path);
  // The lock of the request's site.
  explicit MaintenanceRun(vb::Variant& Server);
  ~MaintenanceRun();
  MaintenanceRun(const MaintenanceRun&) = delete;
  MaintenanceRun& operator=(const MaintenanceRun&) = delete;

  // False when another run kept the lock past the wait (or it cannot be
  // kept at all): the caller refuses with kMaintenanceBusy.
  bool Held() const { return !key_.empty(); }

 private:
  std::string key_;  // the lock file's host path while held
};

}  // namespace qe
