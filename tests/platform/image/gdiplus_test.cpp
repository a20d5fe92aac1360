// JPEG saving through bitmap handles: the quality's tables, the statuses of
// bad arguments and unwritable files, and the handle registry.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <set>
#include <thread>

#include "platform/image/bitmap_handles.h"
#include "platform/image/gdiplus.h"
#include "support/picture_files.h"
#include "support/temp_site.h"

namespace {

using image::Bitmap;
using image::Rgb;

// The luminance table a JPEG carries, in natural (row by row) order.
std::vector<int> LuminanceTable(const std::string& jpeg) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr errors;
  d.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&d, TRUE);
  std::vector<int> table(d.quant_tbl_ptrs[0]->quantval, d.quant_tbl_ptrs[0]->quantval + 8);
  jpeg_destroy_decompress(&d);
  return table;
}

TEST(GdiplusJpeg, TheQualityScalesTheStandardTables) {
  Bitmap b(16, 16, Rgb{90, 120, 150});
  // Quality 50 is the standard luminance table itself; 100 divides by 1.
  EXPECT_EQ(LuminanceTable(qe_test::JpegBytes(b, 50)), (std::vector<int>{16, 11, 10, 16, 24, 40, 51, 61}));
  EXPECT_EQ(LuminanceTable(qe_test::JpegBytes(b, 100)), std::vector<int>(8, 1));
  EXPECT_EQ(LuminanceTable(qe_test::JpegBytes(b, 0))[0], 255);
  std::string out;
  EXPECT_EQ(gdiplus::EncodeJpeg(b, 101, out), gdiplus::InvalidParameter);
  EXPECT_EQ(gdiplus::EncodeJpeg(b, -1, out), gdiplus::InvalidParameter);
}

TEST(GdiplusJpeg, AFileIsWrittenWholeOrNotAtAll) {
  qe_test::TempSite site;
  Bitmap b(8, 8, Rgb{1, 2, 3});
  EXPECT_EQ(gdiplus::GdipSaveImageToFileAsJpeg(b, u"C:\\site\\a.jpg", 75), gdiplus::Ok);
  EXPECT_EQ(qe_test::ReadPicture(site.Host("site/a.jpg")).Width(), 8);
  // An existing file is replaced.
  EXPECT_EQ(gdiplus::GdipSaveImageToFileAsJpeg(Bitmap(3, 3), u"C:\\site\\a.jpg", 75), gdiplus::Ok);
  EXPECT_EQ(qe_test::ReadPicture(site.Host("site/a.jpg")).Width(), 3);
  // A missing folder, a folder in the way, an unmapped drive: status 7, and
  // nothing left beside the target.
  site.MakeFolder("site/dir.jpg");
  for (const char16_t* path : {u"C:\\site\\none\\a.jpg", u"C:\\site\\dir.jpg", u"Q:\\a.jpg", u"relative.jpg"})
    EXPECT_EQ(gdiplus::GdipSaveImageToFileAsJpeg(b, path, 75), gdiplus::Win32Error) << vb::ToUtf8(path);
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(site.Host("site"))) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 2u);  // a.jpg and the folder
}

TEST(BitmapHandles, OnlyRegisteredBitmapsHaveHandlesUntilDeleted) {
  auto bitmap = std::make_shared<const Bitmap>(2, 2);
  std::shared_ptr<const Bitmap> found;
  EXPECT_EQ(gdiplus::GdipCreateBitmapFromHBITMAP(0, found), gdiplus::InvalidParameter);
  EXPECT_EQ(gdiplus::GdipCreateBitmapFromHBITMAP(12345, found), gdiplus::InvalidParameter);
  image::HBITMAP handle;
  {
    image::ScopedBitmapHandle scoped(bitmap);
    handle = scoped.Get();
    EXPECT_NE(handle, 0);
    EXPECT_EQ(gdiplus::GdipCreateBitmapFromHBITMAP(handle, found), gdiplus::Ok);
    EXPECT_EQ(found, bitmap);
  }
  EXPECT_EQ(image::BitmapFromHandle(handle), nullptr);
  EXPECT_FALSE(image::DeleteObject(handle));
}

TEST(BitmapHandles, ThreadsNeverShareAHandle) {
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::vector<image::HBITMAP>> handles(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) handles[t].push_back(image::RegisterBitmap(std::make_shared<const Bitmap>()));
    });
  for (auto& thread : threads) thread.join();
  std::set<image::HBITMAP> all;
  for (const auto& list : handles)
    for (image::HBITMAP h : list) {
      all.insert(h);
      EXPECT_TRUE(image::DeleteObject(h));
    }
  EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kEach));
}

}  // namespace
