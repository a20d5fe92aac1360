#pragma once
// The room all editor uploads of a site share: its size (the server's
// --editor-room-mb, which the server leaves in the Application; 1024 MB when
// it leaves none) and what the editor's folders hold, measured once and then
// kept as each upload takes and gives back its part. The users' drives
// (and the site's other private folders under "/Data_UploadFiles/") are no
// part of it: they have quotas of their own.
//
// Room is counted as a drive's quota counts it, as the disk spends it: each
// file at least one block, each folder (or link) one block. Thousands of
// empty files fill the room as surely as their bytes would.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>

#include "office/net_drive.h"
#include "platform/asp/application.h"
#include "platform/com/object.h"

namespace host {

class EditorUploadRoom : public com::Object {
 public:
  // The Application value that holds the room's size in megabytes.
  static constexpr char16_t kSizeSetting[] = u"QeEditorRoomMb";
  static constexpr uint64_t kDefaultSizeMb = 1024;
  // Where Of keeps the room.
  static constexpr char16_t kApplicationKey[] = u"QeEditorUploadRoom";

  EditorUploadRoom(uint64_t size_mb, std::filesystem::path upload_root)
      : size_mb_(size_mb), upload_root_(std::move(upload_root)) {}

  // The site's room, kept in its Application and made on first use with
  // the size the Application holds then; `upload_root` is
  // "/Data_UploadFiles/" on disk.
  static std::shared_ptr<EditorUploadRoom> Of(vb::Variant& application, const std::filesystem::path& upload_root);

  // What an entry takes of the room: a file of `bytes`, a folder.
  static uint64_t FileRoom(double bytes) { return static_cast<uint64_t>(qe::netdrive::FileSpace(bytes)); }
  static constexpr uint64_t kFolderRoom = static_cast<uint64_t>(qe::netdrive::kDiskBlockBytes);

  uint64_t SizeMb() const { return size_mb_; }
  // What the editor's entries take now (measured on the first call).
  uint64_t Used();

  // A part of the room taken for one upload: at most `most`, when it fits
  // (false otherwise, and nothing is taken). What the upload did not write
  // goes back when it ends, whatever way it ends.
  class Reservation {
   public:
    Reservation(EditorUploadRoom& room, uint64_t most);
    ~Reservation();
    Reservation(const Reservation&) = delete;
    Reservation& operator=(const Reservation&) = delete;
    explicit operator bool() const { return taken_; }
    // What the upload's writes took (FileRoom of each file saved, a folder's
    // room for each folder it made), at most what it reserved.
    void Wrote(uint64_t room) { written_ += room; }

   private:
    EditorUploadRoom& room_;
    uint64_t most_, written_ = 0;
    bool taken_;
  };

  vb::String TypeName() const override { return u"QeEditorUploadRoom"; }
  vb::Variant Invoke(vb::StringView name, com::CallType type, com::ArgList& args) override;

 private:
  // `mutex_` held.
  void MeasureOnce();

  const uint64_t size_mb_;
  const std::filesystem::path upload_root_;
  std::mutex mutex_;
  bool measured_ = false;
  uint64_t used_ = 0;
};

// Leaves the room's size for the site's pages, before the first upload.
void SetEditorUploadRoomSize(asp::ApplicationState& application, uint64_t size_mb);

}  // namespace host
