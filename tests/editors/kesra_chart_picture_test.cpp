// The chart picture through the chart component: the three results, the
// picture decoded (its colours, column heights, orientation), JPEG output,
// and refusals that leave no file.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

#include "editors/chart_markup.h"
#include "editors/kesra_chart_picture.h"
#include "platform/chart/chart_space.h"
#include "platform/com/registry.h"
#include "platform/image/picture.h"
#include "support/file_content.h"
#include "support/temp_site.h"

namespace {

using chart_test::ErrorOf;

struct Pixels {
  int width = 0, height = 0;
  std::vector<image::Rgb> data;
  image::Rgb At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};

Pixels ReadPng(const std::filesystem::path& file) {
  Pixels out;
  cairo_surface_t* surface = cairo_image_surface_create_from_png(file.c_str());
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    out.width = cairo_image_surface_get_width(surface);
    out.height = cairo_image_surface_get_height(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < out.height; ++y)
      for (int x = 0; x < out.width; ++x) {
        const uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
        out.data.push_back({static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
      }
  }
  cairo_surface_destroy(surface);
  return out;
}

bool Near(image::Rgb a, image::Rgb b, int tolerance) {
  return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
         std::abs(a.blue - b.blue) <= tolerance;
}

int CountNear(const Pixels& p, image::Rgb colour, int tolerance = 0) {
  return static_cast<int>(std::count_if(p.data.begin(), p.data.end(), [&](image::Rgb c) { return Near(c, colour, tolerance); }));
}

constexpr image::Rgb kSeries{51, 102, 204};

// Each column of series colour: its left x, its top and bottom y (in the middle of the column).
struct Column {
  int x, top, bottom;
};
std::vector<Column> Columns(const Pixels& p) {
  std::vector<Column> out;
  int start = -1;
  for (int x = 0; x <= p.width; ++x) {
    bool any = false;
    for (int y = 0; x < p.width && y < p.height && !any; ++y) any = p.At(x, y) == kSeries;
    if (any && start < 0) start = x;
    if (!any && start >= 0) {
      const int middle = (start + x) / 2;
      int top = -1, bottom = -1;
      for (int y = 0; y < p.height; ++y)
        if (p.At(middle, y) == kSeries) {
          if (top < 0) top = y;
          bottom = y;
        }
      out.push_back({start, top, bottom});
      start = -1;
    }
  }
  return out;
}

class ChartPicture : public ::testing::Test {
 protected:
  qe_test::TempSite site;
  std::filesystem::path Folder() { return site.MakeFolder("pics"); }

  int16_t Draw(const char16_t* file, const char16_t* filter = u"png", int16_t type = 0, int16_t orientation = 0,
               const char16_t* values = u"10,20,40", int16_t width = 400, int16_t height = 300) {
    return qe::KesraGraphiWithOwc(u"一月,二月,三月", values, u"销量", type, u"<销量> 图表", orientation, filter, width,
                                  height, file);
  }
};

TEST_F(ChartPicture, ColumnsWithTheColoursSetAndHeightsInTheValuesRatio) {
  Folder();
  ASSERT_EQ(Draw(u"C:\\pics\\chart.png"), 0);
  const Pixels p = ReadPng(site.Host("pics/chart.png"));
  ASSERT_EQ(p.width, 400);
  ASSERT_EQ(p.height, 300);
  EXPECT_EQ(p.At(0, 150), (image::Rgb{128, 128, 128})) << "border";
  EXPECT_EQ(p.At(399, 10), (image::Rgb{128, 128, 128}));
  EXPECT_EQ(p.At(4, 150), (image::Rgb{239, 239, 239})) << "chart interior";
  EXPECT_GT(CountNear(p, {228, 240, 255}), 20000) << "plot interior";
  EXPECT_GT(CountNear(p, {111, 195, 255}), 400) << "value gridlines, 2 points";
  EXPECT_GT(CountNear(p, {175, 220, 255}, 40), 100) << "category gridlines, half a point";
  EXPECT_GT(CountNear(p, {153, 51, 0}, 40), 10) << "data labels";
  int title = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 400; ++x) title += Near(p.At(x, y), {0, 0, 0}, 60);
  EXPECT_GT(title, 50) << "the black title at the top";

  const auto columns = Columns(p);
  ASSERT_EQ(columns.size(), 3u);
  const double tallest = columns[2].bottom - columns[2].top + 1;
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(columns[i].bottom, columns[0].bottom, 1) << "on one axis";
    EXPECT_NEAR(columns[i].bottom - columns[i].top + 1, tallest * (i == 0 ? 10 : i == 1 ? 20 : 40) / 40, 2) << i;
  }
  EXPECT_LT(columns[0].x, columns[1].x);
}

TEST_F(ChartPicture, OrientationOneTurnsTheColumnsOver) {
  Folder();
  ASSERT_EQ(Draw(u"C:\\pics\\down.png", u"PNG", 0, 1), 0);
  const auto columns = Columns(ReadPng(site.Host("pics/down.png")));
  ASSERT_EQ(columns.size(), 3u);
  const double tallest = columns[2].bottom - columns[2].top + 1;
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(columns[i].top, columns[0].top, 1) << "hanging from one axis";
    EXPECT_NEAR(columns[i].bottom - columns[i].top + 1, tallest * (i == 0 ? 10 : i == 1 ? 20 : 40) / 40, 2) << i;
  }
}

TEST_F(ChartPicture, EveryTypeDrawsItsSeries) {
  Folder();
  for (int16_t type : {1, 2, 3}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(Draw(u"C:\\pics\\t.png", u"png", type), 0);
    const Pixels p = ReadPng(site.Host("pics/t.png"));
    EXPECT_GT(CountNear(p, kSeries), 30);
  }
  // Bars run left to right: wider than high.
  ASSERT_EQ(Draw(u"C:\\pics\\bars.png", u"png", 1, 0, u"40"), 0);
  const auto bars = Columns(ReadPng(site.Host("pics/bars.png")));
  ASSERT_EQ(bars.size(), 1u);
}

TEST_F(ChartPicture, JpegDecodes) {
  Folder();
  for (const char16_t* filter : {u"jpg", u"JPEG"}) {
    ASSERT_EQ(Draw(u"C:\\pics\\chart.jpg", filter), 0);
    const image::Bitmap b = image::DecodeJpeg(qe_test::FileContent(site.Host("pics/chart.jpg")));
    EXPECT_EQ(b.Width(), 400);
    EXPECT_EQ(b.Height(), 300);
    EXPECT_TRUE(Near(b.At(5, 150), {239, 239, 239}, 6));
  }
}

TEST_F(ChartPicture, ExportFailuresGiveTwoAndLeaveNoFile) {
  Folder();
  EXPECT_EQ(Draw(u"C:\\missing\\chart.png"), 2);
  EXPECT_FALSE(std::filesystem::exists(site.Host("missing")));
  for (const char16_t* filter : {u"gif", u"", u"png "}) EXPECT_EQ(Draw(u"C:\\pics\\a.png", filter), 2);
  EXPECT_EQ(Draw(u"C:\\pics\\a.png", u"png", 0, 0, u"1", 0, 300), 2);
  EXPECT_EQ(Draw(u"C:\\pics\\a.png", u"png", 0, 0, u"1", 400, 8193), 2);
  EXPECT_EQ(Draw(u"relative.png"), 2);
  EXPECT_TRUE(std::filesystem::is_empty(site.Host("pics")));
}

TEST_F(ChartPicture, RefusedFillingIsAFailedCall) {
  Folder();
  EXPECT_EQ(ErrorOf([&] { Draw(u"C:\\pics\\a.png", u"png", 9); }), vb::kInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { Draw(u"C:\\pics\\a.png", u"png", 0, 2); }), vb::kInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { Draw(u"C:\\pics\\a.png", u"png", 0, 0, u"1,x"); }), vb::kTypeMismatch);
  EXPECT_TRUE(std::filesystem::is_empty(site.Host("pics")));
}

TEST_F(ChartPicture, WithoutTheComponentOneAndNothingDone) {
  Folder();
  ASSERT_TRUE(com::UnregisterClass(u"owc11.chartspace"));
  EXPECT_EQ(Draw(u"C:\\pics\\a.png"), 1);
  EXPECT_EQ(Draw(u"C:\\pics\\a.png", u"png", 9), 1);  // not even the type is looked at
  chart::RegisterClasses();
  EXPECT_TRUE(std::filesystem::is_empty(site.Host("pics")));
  EXPECT_EQ(Draw(u"C:\\pics\\a.png"), 0);
}

TEST_F(ChartPicture, LiteralItemsSplitAtTabsElseCommas) {
  Folder();
  ASSERT_EQ(Draw(u"C:\\pics\\tabs.png", u"png", 0, 0, u"10\t20\t40"), 0);
  EXPECT_EQ(Columns(ReadPng(site.Host("pics/tabs.png"))).size(), 3u);
  EXPECT_EQ(ErrorOf([&] { Draw(u"C:\\pics\\a.png", u"png", 0, 0, u"10\t\t40"); }), vb::kTypeMismatch);
  ASSERT_EQ(Draw(u"C:\\pics\\none.png", u"png", 0, 0, u""), 0);
  EXPECT_TRUE(Columns(ReadPng(site.Host("pics/none.png"))).empty());
}

}  // namespace
