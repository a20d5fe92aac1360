#include "host/charts_page.h"

#include "common/kesra_html_encode.h"
#include "common/markup_encode.h"
#include "host/file_view_pages.h"
#include "host/site_links.h"
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

constexpr char16_t kPictureFolder[] = u"/Data_UploadFiles/Graphs";
constexpr char16_t kPictureName[] = u"marks.png";

// The box places and clips the chart even where the site's stylesheet is an
// older one without the box's rule.
void WriteBox(Page& page, int width, int height, const Variant& chart) {
  Write(page, u"<div class=\"chart-box\" style=\"position:relative;overflow:hidden;width:" + vb::CStr(Variant(width)) +
                  u"px;height:" + vb::CStr(Variant(height)) + u"px\">" + vb::CStr(chart) + u"</div>\n");
}

// A VML shape takes its behaviour and reads its attributes as objects only
// in a browser that draws VML.
constexpr char16_t kShowWhereVmlDraws[] =
    u"<script>(function(){var d=document.createElement('div');d.innerHTML='<v:shape adj=\"1\"/>';"
    u"var s=d.firstChild;if(!s)return;s.style.behavior='url(#default#VML)';"
    u"if(typeof s.adj=='object')document.getElementById('vml-charts').style.display='';})();</script>\n";

String DownloadAddress(const String& file) {
  return String(kFileDownloadPage) + u"?p_CurrentFile=" + qe::QueryValueEncode(file) + u"&amp;p_Act=DownLoad";
}

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
  Write(page, u"<link rel=\"stylesheet\" href=\"/qe/qe.css\"><title>" + title + u"</title><h1>" + title + u"</h1>");

  // The picture first: it shows in every browser. Its folder's name passes
  // the injection check, so the view and download pages take it.
  const String folder = vb::CStr(com::ValueOf(com::Call(page.Server, u"MapPath", String(kPictureFolder))));
  com::Call(qe, u"CommFolderCreate", folder);
  const Variant drawn = com::Call(qe, u"CommGraphiWithOwc", labels, first, String(u"一班"), int16_t{0}, picture_title,
                                  int16_t{0}, String(u"png"), int16_t{400}, int16_t{300}, folder + u"\\" + kPictureName);
  const String address = String(kPictureFolder) + u"/" + kPictureName;
  Write(page, vb::CLng(drawn) == 0
                  ? u"<p class=\"chart-picture\"><img id=\"picture\" src=\"" + address +
                        u"\" width=\"400\" height=\"300\" alt=\"图表\"></p>\n<p><a href=\"" + DownloadAddress(address) +
                        u"\">下载图片</a></p>\n"
                  : u"<p>图表图片未能生成（" + vb::CStr(drawn) + u"）。</p>\n");

  // The VML charts, each placed at the top left of a box of its own size
  // that the stylesheet bounds and clips. A browser without VML would lay
  // their shapes out as plain boxes, empty or with stray labels: the charts
  // stay hidden unless the browser draws VML.
  Write(page, u"<div id=\"vml-charts\" style=\"display:none\">\n"
              u"<p class=\"chart-note\">以下为 VML 矢量图表，只有支持 VML 的浏览器才能画出。</p>\n");
  const String top = u"10";
  WriteBox(page, 480, 250, com::Call(qe, u"CommTableChart1", bars, int16_t{10}, top, int16_t{10}, int16_t{30},
                                     int16_t{400}, int16_t{200}, String(u"A")));
  WriteBox(page, 620, 250, com::Call(qe, u"CommTableChart2", lines, int16_t{10}, top, int16_t{400}, int16_t{200},
                                     int16_t{2}));
  WriteBox(page, 480, 250, com::Call(qe, u"CommTableChart3", pie, int16_t{80}, top, int16_t{200}, int16_t{200},
                                     String(u"A")));
  WriteBox(page, 580, 290, com::Call(qe, u"CommTableChart4", series, int16_t{10}, top, int16_t{550}, int16_t{256},
                                     title, String(u"月"), String(u"分")));
  Write(page, String(u"</div>\n") + kShowWhereVmlDraws);
  Write(page, kPageClosing);
}

}  // namespace host
