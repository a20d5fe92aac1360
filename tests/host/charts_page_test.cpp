// The charts page of `qe serve`: the VML head, the four charts, and the
// chart picture made on the server and served as an image.
#include <gtest/gtest.h>

#include <string>

#include "editors/kesra_chart_data.h"
#include "host/raw_http.h"
#include "host/serve_process.h"
#include "platform/text/ansi.h"
#include "support/temp_site.h"

namespace {

using host_test::SendRaw;
using host_test::StatusOf;

std::string Get(int port, const std::string& target) {
  return SendRaw(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
}

std::string BodyOf(const std::string& answer) { return answer.substr(answer.find("\r\n\r\n") + 4); }

TEST(ChartsPage, ShowsTheHeadTheFourChartsAndThePicture) {
  qe_test::TempSite site;
  host_test::ServeProcess server(site.SiteFolder());
  // The title "<b>成绩" in code page 936, as the site's pages send it.
  const std::string answer = Get(server.Port(), "/qe/charts.asp?title=%3Cb%3E%B3%C9%BC%A8");
  ASSERT_EQ(StatusOf(answer), 200) << answer.substr(0, 300);
  // The page is sent in code page 936, unchunked or chunked in one piece of text.
  const std::string page = vb::ToUtf8(text::DecodeAnsi(BodyOf(answer)));
  EXPECT_NE(page.find(vb::ToUtf8(qe::KesraTableChartHeader())), std::string::npos);
  EXPECT_NE(page.find("backdepth='10pt'"), std::string::npos) << "bar chart";
  EXPECT_NE(page.find("一班</td>"), std::string::npos) << "line chart legend";
  EXPECT_NE(page.find("path='m750,700ae750,700,750,700,"), std::string::npos) << "pie chart";
  EXPECT_NE(page.find("function clickit(p_i)"), std::string::npos) << "interactive chart";
  EXPECT_NE(page.find("<h1>&lt;b&gt;成绩</h1>"), std::string::npos) << "the title from the request, encoded";
  EXPECT_EQ(page.find("<b>成绩"), std::string::npos);
  ASSERT_NE(page.find("<img id=\"picture\" src=\"/Data_UploadFiles/Graphs/marks.png\""), std::string::npos) << page;
  // The picture comes before the VML charts, each in its own clipping box.
  EXPECT_LT(page.find("id=\"picture\""), page.find("class=\"chart-box\""));

  const std::string picture = Get(server.Port(), "/Data_UploadFiles/Graphs/marks.png");
  EXPECT_EQ(StatusOf(picture), 200);
  EXPECT_EQ(BodyOf(picture).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

}  // namespace
