#include "office/net_drive_space.h"

#include <algorithm>

#include "office/net_drive_answers.h"
#include "office/qe_user.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"

namespace qe::netdrive {

DriveSpace::DriveSpace(const Drive& drive, int16_t quota_megabytes)
    : lock_(LockDrive(drive.real_root)), quota_(quota_megabytes), used_(SpaceTaken(drive.real_root)) {}

bool DriveSpace::Fits(double bytes) const { return bytes <= 0 || used_ + bytes <= quota_ * kBytesPerMegabyte; }

bool DriveSpace::Full() const { return used_ >= quota_ * kBytesPerMegabyte; }

double DriveSpace::Free() const { return std::max(0.0, quota_ * kBytesPerMegabyte - used_); }

std::optional<DriveSpace> ReserveSpace(vb::Variant& Session, vb::Variant& Response, const Drive& drive, double bytes,
                                        bool new_entry) {
  int16_t quota = QeGetUserSizeNetdriver(Response, Session);
  if (asp::ResponseEnded(Response)) return std::nullopt;
  std::optional<DriveSpace> space(std::in_place, drive, quota);
  if (space->Fits(bytes) && !(new_entry && space->Full())) return space;
  space.reset();
  RefuseForQuota(Response, quota);
  return std::nullopt;
}

void RefuseForQuota(vb::Variant& Response, int16_t quota) {
  Write(Response, u"<script language='javascript'>");
  Write(Response, QuotaAlert(quota));
  Write(Response, u"window.history.go(-1);");
  Write(Response, u"</script>");
  com::Call(Response, u"End");
}

}  // namespace qe::netdrive
