// `qe call` receiving an upload from a body file, as a page would.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "support/file_content.h"

namespace {

namespace stdfs = std::filesystem;

TEST(QeCallUpload, SavesTheFilesOfTheBodyAndPrintsTheReport) {
  stdfs::path scratch = stdfs::temp_directory_path() / ("qe-upload-" + std::to_string(::getpid()));
  stdfs::remove_all(scratch);
  stdfs::create_directories(scratch / "site");
  std::ofstream(scratch / "body.bin", std::ios::binary)
      << "--XyZ\r\nContent-Disposition: form-data; name=\"title\"\r\n\r\nSports day\r\n"
         "--XyZ\r\nContent-Disposition: form-data; name=\"f\"; filename=\"C:\\pics\\a.jpg\"\r\n"
         "Content-Type: image/jpeg\r\n\r\nJPEGDATA\r\n"
         "--XyZ\r\nContent-Disposition: form-data; name=\"g\"; filename=\"notes.txt\"\r\n"
         "Content-Type: text/plain\r\n\r\nline 1\r\n--line 2\r\n--XyZ--\r\n";

  std::string command = "'" QE_PROGRAM_PATH "' call --site '" + (scratch / "site").string() + "' --body '" +
                        (scratch / "body.bin").string() +
                        "' --header 'Content-Type: multipart/form-data; boundary=XyZ' CommFileUpload '*' 0 0 "
                        "/Data_UploadFiles/up - - title > '" + (scratch / "out.txt").string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << qe_test::FileContent(scratch / "out.txt");

  std::string out = qe_test::FileContent(scratch / "out.txt");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(out, m, std::regex(R"(Success\|a\.jpg\|(\d{18}\.jpg)\|8\$)"
                                                  R"(Success\|notes\.txt\|(\d{18}\.txt)\|16\$#Sports day\n)")))
      << out;
  stdfs::path folder = scratch / "site" / "Data_UploadFiles" / "up";
  EXPECT_EQ(qe_test::FileContent(folder / m[1].str()), "JPEGDATA");
  EXPECT_EQ(qe_test::FileContent(folder / m[2].str()), "line 1\r\n--line 2");
  stdfs::remove_all(scratch);
}

}  // namespace
