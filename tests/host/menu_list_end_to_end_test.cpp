// The menu list through `qe serve`: a list page built from the component's
// fragments over the seeded menu, driven as a browser and a hostile client
// drive it.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "host/serve_process.h"
#include "platform/text/ansi.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace {

// A query value as a page in code page 936 sends it: its bytes percent-encoded.
std::string Query(const std::u16string& value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text::EncodeAnsi(value)) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
        c == '.') {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string Utf8(const std::u16string& text) { return vb::ToUtf8(text); }

struct ListPage {
  int status = 0;
  std::string text;  // UTF-8
  std::string shown_page, page_count, record_count;
  std::vector<std::string> titles;  // the title links' texts, in order
  std::vector<std::string> ids;     // the first cell of each row
  std::vector<std::string> groups;  // the last cell of each row
};

class MenuListTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = new qe_test::TempSite;
    server_ = new host_test::ServeProcess(site_->SiteFolder());
  }
  static void TearDownTestSuite() {
    delete server_;
    delete site_;
  }

  static qe_test::HttpClient Browser() { return qe_test::HttpClient(server_->Port()); }

  static ListPage Get(const std::string& query) {
    ListPage page;
    auto result = Browser().Get("/qe/menu_list.asp" + query);
    if (!result) return page;
    page.status = result->status;
    page.text = vb::ToUtf8(text::DecodeAnsi(result->body));
    std::smatch m;
    if (std::regex_search(page.text, m, std::regex(Utf8(u"\\[总数<b>(\\d+)</b>\\] \\[共<b>(\\d+)</b>页\\] \\[第(\\d+)页\\]")))) {
      page.record_count = m[1];
      page.page_count = m[2];
      page.shown_page = m[3];
    }
    std::regex row(R"(<tr class=tdbg><td align=center>(\d+)</td><td><a [^>]*>([^<]*)</a></td><td>[^<]*</td><td>([^<]*)</td>)");
    for (auto it = std::sregex_iterator(page.text.begin(), page.text.end(), row); it != std::sregex_iterator(); ++it) {
      page.ids.push_back((*it)[1]);
      page.titles.push_back((*it)[2]);
      page.groups.push_back((*it)[3]);
    }
    return page;
  }

  // The address of a pager link, as the page wrote it.
  static std::string LinkOf(const ListPage& page, const std::u16string& label) {
    std::smatch m;
    std::regex link("\\[<a href=\"([^\"]*)\">" + Utf8(label) + "</a>\\]");
    return std::regex_search(page.text, m, link) ? std::string(m[1]) : std::string();
  }

  static qe_test::TempSite* site_;
  static host_test::ServeProcess* server_;
};

qe_test::TempSite* MenuListTest::site_ = nullptr;
host_test::ServeProcess* MenuListTest::server_ = nullptr;

TEST_F(MenuListTest, SixtySevenItemsOnSevenPagesOfTenInMenuOrder) {
  ListPage first = Get("");
  ASSERT_EQ(first.status, 200) << first.text;
  EXPECT_EQ(first.record_count, "67");
  EXPECT_EQ(first.page_count, "7");
  EXPECT_EQ(first.shown_page, "1");
  ASSERT_EQ(first.titles.size(), 10u);
  EXPECT_EQ(first.titles[0], Utf8(u"内部通知"));
  EXPECT_NE(first.text.find(Utf8(u"[首 页] [上一页] ")), std::string::npos);

  ListPage last = Get("?page=7");
  EXPECT_EQ(last.shown_page, "7");
  EXPECT_EQ(last.titles.size(), 7u);
  EXPECT_NE(last.text.find(Utf8(u"[下一页] [尾 页] ")), std::string::npos);
  // The pages together list every item once.
  std::vector<std::string> all;
  for (int page = 1; page <= 7; ++page)
    for (const auto& id : Get("?page=" + std::to_string(page)).ids) all.push_back(id);
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all.size(), 67u);
  EXPECT_EQ(std::unique(all.begin(), all.end()), all.end());
}

TEST_F(MenuListTest, PageNumbersOutOfRangeOrNotNumbersLandOnTheLastOrFirstPage) {
  ListPage far = Get("?Page=40000");
  EXPECT_EQ(far.status, 200);
  EXPECT_EQ(far.shown_page, "7");
  EXPECT_EQ(far.titles.size(), 7u);
  EXPECT_EQ(Get("?Page=99999999999999999999999").shown_page, "7");
  ListPage words = Get("?Page=abc");
  EXPECT_EQ(words.shown_page, "1");
  EXPECT_EQ(words.ids, Get("").ids);
}

TEST_F(MenuListTest, ASearchNarrowsTheListAndThePagerCarriesColumnAndChineseKeyword) {
  ListPage named = Get("?moden=nclass&keyword=" + Query(u"管理"));
  EXPECT_EQ(named.record_count, "10");
  for (const auto& title : named.titles) EXPECT_NE(title.find(Utf8(u"管理")), std::string::npos) << title;
  // Searched by group, over more than one page.
  ListPage found = Get("?moden=class&keyword=" + Query(u"管理"));
  ASSERT_EQ(found.status, 200);
  const int count = std::stoi(found.record_count);
  EXPECT_GT(count, 10);
  EXPECT_LT(count, 67);
  for (const auto& group : found.groups) EXPECT_NE(group.find(Utf8(u"管理")), std::string::npos) << group;
  // The next link carries the column and the keyword as the page writes them
  // (Chinese as it is: the browser sends it in the page's code page).
  const std::string next = LinkOf(found, u"下一页");
  EXPECT_NE(next.find(Utf8(u"&moden=class&search=&keyword=管理&")), std::string::npos) << next;
  EXPECT_NE(found.text.find(Utf8(u"name='keyword'  value='管理'>")), std::string::npos);
  ListPage second = Get("?page=2&moden=class&keyword=" + Query(u"管理"));
  EXPECT_EQ(second.shown_page, "2");
  EXPECT_EQ(second.record_count, found.record_count);
  for (const auto& group : second.groups) EXPECT_NE(group.find(Utf8(u"管理")), std::string::npos) << group;
}

TEST_F(MenuListTest, HostileSearchesAreQuotedOrIgnoredAndEchoedEncoded) {
  // A quote in the keyword is a character of the search, not the end of SQL.
  ListPage quote = Get("?moden=nclass&keyword=" + Query(u"x'y"));
  EXPECT_EQ(quote.status, 200);
  EXPECT_EQ(quote.record_count, "0");
  EXPECT_NE(quote.text.find(Utf8(u"没有符合条件的数据。")), std::string::npos);
  EXPECT_NE(quote.text.find("name='keyword'  value='x&#39;y'>"), std::string::npos);
  ListPage apostrophe = Get("?moden=nclass&keyword=" + Query(u"'"));
  EXPECT_EQ(apostrophe.status, 200);
  EXPECT_EQ(apostrophe.record_count, "0");
  ListPage injected = Get("?moden=nclass&keyword=" + Query(u"%'+or+'1'='1"));
  EXPECT_EQ(injected.record_count, "0");
  // A column that is not a plain name gives the default order, keyword ignored.
  ListPage column = Get("?moden=" + Query(u"x]+or+1=1+or+[x") + "&keyword=zz");
  EXPECT_EQ(column.record_count, "67");
  EXPECT_EQ(column.ids, Get("").ids);
  // So does a plain name that is not one of the list's columns.
  ListPage unknown = Get("?moden=Password&keyword=a");
  EXPECT_EQ(unknown.status, 200);
  EXPECT_EQ(unknown.ids, Get("").ids);
  // Request values come back encoded, wherever the page shows them.
  ListPage script = Get("?moden=nclass&keyword=" + Query(u"<script>alert(1)</script>"));
  EXPECT_EQ(script.text.find("<script>alert(1)"), std::string::npos);
  EXPECT_NE(script.text.find("value='&lt;script&gt;alert(1)&lt;/script&gt;'"), std::string::npos);
}

TEST_F(MenuListTest, TheExportIsASpreadsheetAttachmentOfTheSameList) {
  ListPage list = Get("?moden=class&keyword=" + Query(u"管理"));
  std::smatch m;
  ASSERT_TRUE(std::regex_search(list.text, m, std::regex("<a href=\"(menu_list\\.asp\\?export=1[^\"]*)\"")));
  const std::string export_link = m[1];
  EXPECT_NE(export_link.find(Utf8(u"&keyword=管理")), std::string::npos);

  auto result = Browser().Get("/qe/menu_list.asp?export=1&moden=class&keyword=" + Query(u"管理"));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->Header("Content-Type"), "application/vnd.ms-excel; charset=gb2312");
  // Old clients read the title in code page 936, current browsers its UTF-8 name.
  EXPECT_EQ(result->Header("Content-Disposition"), "attachment;filename=" + text::EncodeAnsi(u"菜单项目") +
                                                       ".xls; filename*=UTF-8''%E8%8F%9C%E5%8D%95%E9%A1%B9%E7%9B%AE.xls");
  const std::string sheet = vb::ToUtf8(text::DecodeAnsi(result->body));
  size_t rows = 0;
  for (size_t at = sheet.find("<tr><td>"); at != std::string::npos; at = sheet.find("<tr><td>", at + 1)) ++rows;
  EXPECT_EQ(std::to_string(rows), list.record_count);
  EXPECT_NE(sheet.find(Utf8(u"bgcolor=65c8f2>来源：")), std::string::npos);
}

TEST_F(MenuListTest, TheItemPageShowsOneItemInItsDialog) {
  ListPage first = Get("");
  auto result = Browser().Get("/qe/menu_item.asp?Id=" + first.ids.at(0));
  ASSERT_TRUE(result);
  const std::string item = vb::ToUtf8(text::DecodeAnsi(result->body));
  EXPECT_NE(item.find(Utf8(u"内部通知")), std::string::npos);
  EXPECT_NE(item.find("tongzhi/tongzhi.asp"), std::string::npos);
  EXPECT_NE(item.find("getElementsByClassName"), std::string::npos);
  auto missing = Browser().Get("/qe/menu_item.asp?Id=1%20or%201=1");
  EXPECT_NE(vb::ToUtf8(text::DecodeAnsi(missing->body)).find(Utf8(u"没有该记录。")), std::string::npos);
}

}  // namespace
