#pragma once
// The drive's quota over every way into a drive: the editor's save, creating
// files and folders, paste, and any page that writes into a drive (upload,
// unpack). A write asks for its room first and keeps the drive locked until
// it is done, so two sessions of one user cannot both pass the test before
// either writes. Room is counted as the disk spends it: each file and folder
// at least one block (net_drive.h), so a flood of empty entries fills the
// quota as their bytes would.
#include <mutex>
#include <optional>

#include "office/net_drive.h"

namespace qe::netdrive {

class DriveSpace {
 public:
  // Locks the drive and measures the room it takes; `quota_megabytes` is the
  // user's quota (QeGetUserSizeNetdriver).
  DriveSpace(const Drive& drive, int16_t quota_megabytes);

  // True when a write that adds `bytes` of room fits: the drive then takes
  // no more than its quota. A write that adds nothing or frees room always
  // fits.
  bool Fits(double bytes) const;
  // True once the drive holds its quota: no new entry, not even an empty
  // file or folder, as a copy is refused then.
  bool Full() const;
  // What a write of a file of `bytes` over the entry at the real path adds:
  // the file's room less what the entry takes now (nothing when it is
  // missing).
  double AddedOver(vb::StringView real_path, double bytes) const { return FileSpace(bytes) - EntrySpace(real_path); }
  // The room left before the quota; 0 once it is reached.
  double Free() const;
  // Counts what a write added (negative: freed), for the writes that follow
  // under the same lock.
  void Add(double bytes) { used_ += bytes; }

  double Used() const { return used_; }
  int16_t Quota() const { return quota_; }

 private:
  std::unique_lock<std::mutex> lock_;
  int16_t quota_;
  double used_;
};

// The room for a write that takes `bytes` of room (FileSpace of each new
// file, a block for each new folder) in the session user's drive, locked;
// `new_entry` when the write makes a file or folder that was not there (then
// a full drive refuses it even when it adds nothing). When it does not fit,
// the copy's refusal is answered (its alert, a step back in the history) and
// the response ended; nothing is returned then, nor when the quota could not
// be read (its error page ended the response).
std::optional<DriveSpace> ReserveSpace(vb::Variant& Session, vb::Variant& Response, const Drive& drive, double bytes,
                                        bool new_entry);

// The copy's refusal once the drive holds its quota: the alert, a step back,
// the response ended.
void RefuseForQuota(vb::Variant& Response, int16_t quota);

}  // namespace qe::netdrive
