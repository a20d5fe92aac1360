// The file members from a shell, on a site folder given to the qe program.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
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

TEST_F(QeProgramFiles, DownloadPrintsTheHeadAndTheFile) {
  stdfs::create_directories(site_ / "Data_UploadFiles");
  std::ofstream(site_ / "Data_UploadFiles" / "Report.DOC", std::ios::binary) << std::string("doc\0bytes", 9);
  std::string out = Call("--response CommFileDownload /Data_UploadFiles/report.doc");
  EXPECT_EQ(out,
            "HTTP/1.1 200 OK\nContent-Type: application/vnd.ms-word; charset=GB2312\nCache-Control: private\n"
            "Content-Disposition: attachment;  FileName=Report.DOC\nContent-Length: 9\n\n" +
                std::string("doc\0bytes", 9));
  stdfs::create_directories(site_ / "data");
  std::ofstream(site_ / "data" / "Config.htm") << "settings";
  EXPECT_NE(Call("--response CommFileDownload /data/Config.htm").find("不允许该类文件下载！"), std::string::npos);
}

}  // namespace
