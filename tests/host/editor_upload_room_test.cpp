// The room editor uploads share: what the editor's folders hold, measured
// once (the drives left out), then kept as uploads take and give back.
#include "host/editor_upload_room.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace stdfs = std::filesystem;

constexpr uint64_t kKiB = 1024;

void Sized(const stdfs::path& file, uintmax_t size) {
  stdfs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary).close();
  stdfs::resize_file(file, size);
}

// Entries count as the disk spends them: a file at least a 4 KiB block, a
// folder a block.
TEST(EditorUploadRoom, MeasuredOnceByEntriesThenKeptByEachUpload) {
  const stdfs::path root = stdfs::temp_directory_path() / ("qe-editor-room-" + std::to_string(::getpid()));
  stdfs::remove_all(root);
  Sized(root / "a.bin", 400 * kKiB);
  Sized(root / "office" / "b.bin", 100 * kKiB + 1);
  for (const char* empty : {"e1.txt", "e2.txt", "e3.txt"}) Sized(root / "office" / empty, 0);
  Sized(root / "NetDriver" / "tolva" / "film.bin", 1100 * 1024 * kKiB);  // sparse
  Sized(root / "autobackup" / "x.mdb", 1024 * kKiB);

  host::EditorUploadRoom room(1, root);
  EXPECT_EQ(room.Used(), 400 * kKiB + (100 * kKiB + 1) + 3 * 4 * kKiB + 4 * kKiB);
  const uint64_t measured = room.Used();
  {
    host::EditorUploadRoom::Reservation too_large(room, 1024 * kKiB - measured + 1);
    EXPECT_FALSE(too_large);
  }
  EXPECT_EQ(room.Used(), measured);
  {
    host::EditorUploadRoom::Reservation fits(room, 400 * kKiB);
    ASSERT_TRUE(fits);
    EXPECT_EQ(room.Used(), measured + 400 * kKiB);
    host::EditorUploadRoom::Reservation meanwhile(room, 200 * kKiB);
    EXPECT_FALSE(meanwhile);
    fits.Wrote(300 * kKiB);
  }
  EXPECT_EQ(room.Used(), measured + 300 * kKiB);
  // No walk per upload: a file the room did not see written is not counted.
  Sized(root / "c.bin", 100 * kKiB);
  {
    host::EditorUploadRoom::Reservation to_the_brim(room, 1024 * kKiB - measured - 300 * kKiB);
    EXPECT_TRUE(to_the_brim);
  }
  EXPECT_EQ(room.Used(), measured + 300 * kKiB);
  stdfs::remove_all(root);
}

TEST(EditorUploadRoom, TheServerSizesItThroughTheApplication) {
  auto state = std::make_shared<asp::ApplicationState>();
  vb::Variant application(vb::ObjectPtr(std::make_shared<asp::Application>(state)));
  host::SetEditorUploadRoomSize(*state, 7);
  EXPECT_EQ(host::EditorUploadRoom::Of(application, "/nonexistent")->SizeMb(), 7u);
  EXPECT_EQ(host::EditorUploadRoom::Of(application, "/nonexistent"), host::EditorUploadRoom::Of(application, "/x"));

  auto fresh = std::make_shared<asp::ApplicationState>();
  vb::Variant unset(vb::ObjectPtr(std::make_shared<asp::Application>(fresh)));
  EXPECT_EQ(host::EditorUploadRoom::Of(unset, "/nonexistent")->SizeMb(), 1024u);
}

}  // namespace
