// The image members from a shell, on a site folder given to the qe program.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "qe_command.h"
#include "support/picture_files.h"

namespace {

namespace stdfs = std::filesystem;

using qe_command::RunQe;

TEST(QeProgramImage, WatermarksAPictureAndReadsItsSize) {
  std::string pattern = (stdfs::temp_directory_path() / "qe-call-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  stdfs::path site = pattern;
  std::ofstream(site / "a.jpg", std::ios::binary) << qe_test::JpegBytes(image::Bitmap(320, 240, {255, 255, 255}));
  std::string call = "call --site '" + site.string() + "' ";
  EXPECT_EQ(RunQe(call + "KesraImageOutputTxtImg 'C:\\a.jpg' 'C:\\b.jpg' 校园"), "");
  image::Bitmap b = qe_test::ReadPicture(site / "b.jpg");
  int red = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) red += qe_test::Near(b.At(x, y), {255, 0, 0}, 40);
  EXPECT_GT(red, 100);  // the default colour
  EXPECT_EQ(RunQe(call + "CommGetImageInfo 'C:\\b.jpg'"), "JPG|320|240|24\n");
  EXPECT_EQ(RunQe(call + "CommImageOutputPreview 'C:\\a.jpg' 'C:\\c.jpg' 0 10"),
            "error 5: The picture to write must be 1 to 16384 pixels a side, not 0 by 10\n");
  // A path from the site's root names the same place for the writer as for the reader.
  stdfs::create_directories(site / "img");
  stdfs::copy_file(site / "a.jpg", site / "img" / "c.jpg");
  EXPECT_EQ(RunQe(call + "CommImageOutputPreview /img/c.jpg /img/o0.jpg 120 90"), "");
  EXPECT_EQ(RunQe(call + "CommGetImageInfo 'C:\\img\\o0.jpg'"), "JPG|120|90|24\n");
  stdfs::remove_all(site);
}

}  // namespace
