// The room an archive declares, read from its headers before anything is
// unpacked: each file its size but at least a block, each folder (declared,
// or implied by a name, in any letter case) one block.
#include "host/archive_space.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/archive_bytes.h"

namespace {

constexpr double kBlock = 4096;

TEST(ArchiveSpaceTest, EachEntryTakesAtLeastABlock) {
  qe_test::RarEntry rar_folder = qe_test::RarFile("docs", "");
  rar_folder.folder = true;
  rar_folder.attributes = 0x10;
  struct Case {
    const char* what;
    std::string bytes;
    double enough;
    double space;
  } cases[] = {
      {"zip: a declared folder, an implied one in another case, a small and a large file",
       qe_test::ZipBytes({qe_test::StoredEntry("a/", ""), qe_test::StoredEntry("A/b/small.txt", "x"),
                          qe_test::StoredEntry("big.bin", std::string(5000, 'b'))}),
       1e9, 2 * kBlock + kBlock + 5000},
      {"rar: a folder, a file in it and an empty file",
       qe_test::Rar4Bytes({rar_folder, qe_test::RarFile("docs\\a.txt", "rar"), qe_test::RarFile("empty.txt", "")}),
       1e9, 3 * kBlock},
      {"zip read only until the room is passed",
       qe_test::ZipBytes({qe_test::StoredEntry("1/", ""), qe_test::StoredEntry("2/", ""),
                          qe_test::StoredEntry("3/", "")}),
       kBlock, 2 * kBlock},
  };
  const std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "declared_space.archive";
  for (const Case& c : cases) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << c.bytes;
    EXPECT_EQ(host::DeclaredSpace(file, c.enough), std::optional<double>(c.space)) << c.what;
  }
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "not an archive";
  EXPECT_EQ(host::DeclaredSpace(file, 1e9), std::nullopt);
  std::filesystem::remove(file);
}

}  // namespace
