#include "host/editor_upload_room.h"

#include <system_error>

#include "host/static_files.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace host {
namespace {

constexpr uint64_t kMegabyte = 1024 * 1024;

// What the entries under `folder` take of the room, links not followed; a
// folder named by `skipped` at the top is left out, with all it holds.
uint64_t RoomUnder(const std::filesystem::path& folder, bool (*skipped)(vb::StringView)) {
  namespace stdfs = std::filesystem;
  uint64_t total = 0;
  std::error_code error;
  for (stdfs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    // An entry removed meanwhile still counts its block.
    std::error_code gone;
    if (it.depth() == 0 && it->is_directory(gone) && skipped(vb::FromUtf8(it->path().filename().string()))) {
      it.disable_recursion_pending();
      continue;
    }
    const bool file = stdfs::is_regular_file(it->symlink_status(gone));
    const uintmax_t size = file && !gone ? it->file_size(gone) : 0;
    total += file && !gone ? EditorUploadRoom::FileRoom(static_cast<double>(size)) : EditorUploadRoom::kFolderRoom;
  }
  return total;
}

// The size the Application holds: a whole number of megabytes from 1.
uint64_t SizeSetting(vb::Variant& application) {
  vb::Variant held = com::ValueOf(com::Call(application, u"", vb::String(EditorUploadRoom::kSizeSetting)));
  try {
    const double mb = held.IsEmpty() || held.IsNull() ? 0 : vb::CDbl(held);
    if (mb >= 1 && mb <= 1e9) return static_cast<uint64_t>(mb);
  } catch (const vb::Error&) {
    // Not a number: the default.
  }
  return EditorUploadRoom::kDefaultSizeMb;
}

}  // namespace

std::shared_ptr<EditorUploadRoom> EditorUploadRoom::Of(vb::Variant& application,
                                                       const std::filesystem::path& upload_root) {
  // Two first uploads at once must not make two rooms.
  com::Call(application, u"Lock");
  vb::Variant held = com::Call(application, u"", vb::String(kApplicationKey));
  auto room = held.IsObject() ? std::dynamic_pointer_cast<EditorUploadRoom>(held.GetObject()) : nullptr;
  if (!room) {
    room = std::make_shared<EditorUploadRoom>(SizeSetting(application), upload_root);
    com::SetRef(application, u"", vb::Variant(vb::ObjectPtr(room)), vb::String(kApplicationKey));
  }
  com::Call(application, u"Unlock");
  return room;
}

void EditorUploadRoom::MeasureOnce() {
  if (measured_) return;
  used_ = RoomUnder(upload_root_, &IsPrivateUploadFolderName);
  measured_ = true;
}

uint64_t EditorUploadRoom::Used() {
  std::lock_guard<std::mutex> lock(mutex_);
  MeasureOnce();
  return used_;
}

EditorUploadRoom::Reservation::Reservation(EditorUploadRoom& room, uint64_t most) : room_(room), most_(most) {
  std::lock_guard<std::mutex> lock(room_.mutex_);
  room_.MeasureOnce();
  taken_ = room_.used_ + most_ <= room_.size_mb_ * kMegabyte;
  if (taken_) room_.used_ += most_;
}

EditorUploadRoom::Reservation::~Reservation() {
  if (!taken_) return;
  std::lock_guard<std::mutex> lock(room_.mutex_);
  room_.used_ -= most_ - std::min(written_, most_);
}

vb::Variant EditorUploadRoom::Invoke(vb::StringView, com::CallType, com::ArgList&) {
  vb::Raise(vb::kMemberNotSupported);
}

void SetEditorUploadRoomSize(asp::ApplicationState& application, uint64_t size_mb) {
  application.Put(nullptr, EditorUploadRoom::kSizeSetting, vb::Variant(static_cast<double>(size_mb)));
}

}  // namespace host
