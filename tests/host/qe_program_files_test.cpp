// The file members from a shell, on a site folder given to the qe program.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "qe_command.h"

namespace {

namespace stdfs = std::filesystem;

using qe_command::RunQe;

class QeProgramFiles : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (stdfs::temp_directory_path() / "qe-call-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    site_ = pattern;
  }
  void TearDown() override { stdfs::remove_all(site_); }
  std::string Call(const std::string& member_and_args) {
    return RunQe("call --site '" + site_.string() + "' " + member_and_args);
  }
  stdfs::path site_;
};

TEST_F(QeProgramFiles, CreatesAFolderChainAndFindsItInAnyCase) {
  EXPECT_EQ(Call("CommFolderCreate /A/B"), "True\n");
  EXPECT_TRUE(stdfs::is_directory(site_ / "A" / "B"));
  EXPECT_EQ(Call("CommFolderExist /a/b"), "True\n");
  EXPECT_EQ(Call("CommFolderExist /a/c"), "False\n");
}

TEST_F(QeProgramFiles, WritesAndReadsTextFilesInCodePage936) {
  EXPECT_EQ(Call("CommSaveToTextFile 'C:\\notes\\a.txt' '中文 text'"), "True\n");
  EXPECT_EQ(stdfs::file_size(site_ / "notes" / "a.txt"), 9u);
  EXPECT_EQ(Call("CommReadFromTextFile 'C:\\Notes\\A.TXT'"), "中文 text\n");
  EXPECT_EQ(Call("CommFileGetSize 'C:\\notes\\a.txt'"), "9\n");
  EXPECT_EQ(Call("CommFolderRename /notes /notes"), "3\n");
}

}  // namespace
