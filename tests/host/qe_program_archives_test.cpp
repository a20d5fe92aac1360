// Packing a folder from a shell, and Debian's unzip reading the archive.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "qe_command.h"

namespace {

namespace stdfs = std::filesystem;

std::string Output(const std::string& command) {
  std::string out;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

TEST(QeProgramArchives, PacksAFolderThatUnzipFindsSound) {
  std::string pattern = (stdfs::temp_directory_path() / "qe-call-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  stdfs::path site = pattern;
  stdfs::path photos = site / "Data_UploadFiles" / "x" / "Photos";
  stdfs::create_directories(photos / "春游");
  std::ofstream(photos / "合影.jpg") << std::string(20000, 'j');
  std::ofstream(photos / "春游" / "说明.txt") << "春游";

  std::string printed =
      qe_command::RunQe("call --site '" + site.string() + "' CommUnZipWithXceedZip /Data_UploadFiles/x Photos zipfolder");
  EXPECT_EQ(printed.rfind("<SCRIPT LANGUAGE=JavaScript>alert('操作成功');", 0), 0u) << printed;

  std::string tested = Output("unzip -t '" + (site / "Data_UploadFiles" / "x" / "photos.RAR").string() + "'");
  EXPECT_NE(tested.find("No errors detected in compressed data"), std::string::npos) << tested;
  EXPECT_NE(tested.find("testing: "), std::string::npos);
  // Three entries: the picture, the subfolder and the text in it.
  size_t entries = 0;
  for (size_t at = tested.find("testing: "); at != std::string::npos; at = tested.find("testing: ", at + 1)) ++entries;
  EXPECT_EQ(entries, 3u) << tested;
  stdfs::remove_all(site);
}

}  // namespace
