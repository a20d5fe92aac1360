#include "host/charts_page.h"

#include "common/kesra_html_encode.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

void Write(Page& page, const String& text) { com::Call(page.Response, u"Write", text); }

// The figures: months and two classes' average marks.
constexpr const char16_t* kMonths[] = {u"九月", u"十月", u"十一月", u"十二月"};
constexpr double kFirst[] = {78.5, 82, 86.5, 91};
constexpr double kSecond[] = {88, 79.5, 84, 80};

Variant Table(int rows, int columns) {
  return Variant(vb::Array(vb::vbVariant, {{0, rows}, {0, columns - 1}}));
}

void Put(Variant& table, int row, int column, Variant value) { table.As<vb::Array>().Set({row, column}, value); }

}  // namespace

void ChartsPage(Page& page) {
  com::Let(page.Response, u"Charset", String(u"gb2312"));
  Variant qe = com::Call(page.Server, u"CreateObject", String(u"QE.QeCls"));
  com::Call(qe, u"CommCheckInject", page.Request, page.Response);
  if (page.Ended()) return;
  // The title goes into the markup encoded, and into the picture as it is.
  String picture_title = vb::CStr(com::ValueOf(com::Call(page.Request, u"QueryString", String(u"title"))));
  if (picture_title.empty()) picture_title = u"两个班的月平均分";
  const String title = qe::KesraEncodeString(picture_title);

  Variant bars = Table(4, 3), lines = Table(4, 3), pie = Table(4, 3), series = Table(2, 3);
  String labels, first, second;
  for (int i = 1; i <= 4; ++i) {
    Put(bars, i, 1, kFirst[i - 1]);
    Put(bars, i, 2, String(kMonths[i - 1]));
    Put(pie, i, 1, kSecond[i - 1]);
    Put(pie, i, 2, String(kMonths[i - 1]));
    Put(lines, i, 0, String(kMonths[i - 1]));
    Put(lines, i, 1, kFirst[i - 1]);
    Put(lines, i, 2, kSecond[i - 1]);
    const String sep = i == 1 ? u"" : u",";
    labels += sep + kMonths[i - 1];
    first += sep + vb::CStr(kFirst[i - 1]);
    second += sep + vb::CStr(kSecond[i - 1]);
  }
  Put(lines, 0, 1, String(u"#ff0000,2pt,1,2,一班"));
  Put(lines, 0, 2, String(u"#0000ff,2pt,3,3,二班"));
  Put(series, 0, 1, labels);
  Put(series, 1, 1, first);
  Put(series, 1, 2, String(u"一班"));
  Put(series, 2, 1, second);
  Put(series, 2, 2, String(u"二班"));

  Write(page, vb::CStr(com::Call(qe, u"CommTableChartHeader")));
  Write(page, u"<h1>" + title + u"</h1>");
  Write(page, vb::CStr(com::Call(qe, u"CommTableChart1", bars, int16_t{10}, String(u"80"), int16_t{10}, int16_t{30},
                                 int16_t{400}, int16_t{200}, String(u"A"))));
  Write(page, vb::CStr(com::Call(qe, u"CommTableChart2", lines, int16_t{10}, String(u"380"), int16_t{400},
                                 int16_t{200}, int16_t{2})));
  Write(page, vb::CStr(com::Call(qe, u"CommTableChart3", pie, int16_t{80}, String(u"640"), int16_t{200},
                                 int16_t{200}, String(u"A"))));
  Write(page, vb::CStr(com::Call(qe, u"CommTableChart4", series, int16_t{10}, String(u"900"), int16_t{550},
                                 int16_t{256}, title, String(u"月"), String(u"分"))));

  // The picture goes to the uploads folder, where the site serves files from.
  const String folder = vb::CStr(com::ValueOf(com::Call(page.Server, u"MapPath", String(u"/Data_UploadFiles/Charts"))));
  com::Call(qe, u"CommFolderCreate", folder);
  const Variant drawn = com::Call(qe, u"CommGraphiWithOwc", labels, first, String(u"一班"), int16_t{0}, picture_title,
                                  int16_t{0}, String(u"png"), int16_t{400}, int16_t{300}, folder + u"\\chart.png");
  Write(page, u"<div style='position:absolute;left:10px;top:1200px'>");
  Write(page, vb::CLng(drawn) == 0 ? String(u"<img id='picture' src='/Data_UploadFiles/Charts/chart.png' width='400' "
                                            u"height='300' alt='图表'>")
                                   : u"<p>图表图片未能生成（" + vb::CStr(drawn) + u"）。</p>");
  Write(page, u"</div></body></html>");
}

}  // namespace host
