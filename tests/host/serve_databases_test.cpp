// `qe serve` on an empty site: the start page makes both databases, seeds
// the main one once however many first requests arrive together, and lists
// its menu.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "host/serve_process.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "shell/qe_default_menu.h"
#include "shell/qe_main_database.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace {

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

// The rows of a table of a database of the site.
int32_t RowCount(const char16_t* database, const char16_t* table) {
  vb::Variant conn(com::CreateObject(u"Adodb.Connection"));
  com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + database);
  vb::Variant rs = com::Call(conn, u"Execute", u"Select Count(*) From [" + vb::String(table) + u"]");
  int32_t count = vb::CLng(com::ValueOf(com::Call(rs, u"", int32_t{0})));
  com::Call(conn, u"Close");
  return count;
}

constexpr char16_t kMain[] = u"C:\\site\\data\\qe.asp";
constexpr char16_t kConfig[] = u"C:\\site\\data\\Config.htm";

class EmptySiteTest : public ::testing::Test {
 protected:
  EmptySiteTest() : server_(std::make_unique<host_test::ServeProcess>(site_.SiteFolder())) {}

  qe_test::HttpClient Browser() const { return qe_test::HttpClient(server_->Port(), std::chrono::seconds(30)); }
  // The start page's bytes, as the server sent them (code page 936).
  std::string StartPage(const char* query = "") const {
    auto page = Browser().Get(std::string("/qe/index.asp") + query);
    if (!page || page->status != 200) return {};
    return page->body;
  }
  bool HasFile(const char* name) const { return std::filesystem::exists(site_.Host(name)); }

  // The menu's groups and items that a page lists.
  static void ExpectTheSeededMenu(const std::string& page) {
    EXPECT_EQ(CountOf(page, "<dt>"), 13u);
    EXPECT_EQ(CountOf(page, "<dd "), 67u);
  }

  qe_test::TempSite site_;
  std::unique_ptr<host_test::ServeProcess> server_;
};

TEST_F(EmptySiteTest, TheStartPageMakesAndSeedsBothDatabasesOnceAndListsTheMenu) {
  // A refused request does no database work.
  std::string refused = StartPage("?id=1%27");
  EXPECT_NE(refused.find(text::EncodeAnsi(u"请不要在参数中包含非法字符")), std::string::npos);
  EXPECT_FALSE(HasFile("site/data/Config.htm"));
  EXPECT_FALSE(HasFile("site/data/qe.asp"));

  std::string first = StartPage();
  EXPECT_TRUE(HasFile("site/data/Config.htm"));
  EXPECT_TRUE(HasFile("site/data/qe.asp"));
  ExpectTheSeededMenu(first);
  const auto& menu = qe::DefaultMenu();
  EXPECT_NE(first.find(text::EncodeAnsi(u"<dt>" + menu[0].name + u"</dt>\n<dd title=\"" + menu[0].items[0].url +
                                        u"\">" + menu[0].items[0].name + u"</dd>")),
            std::string::npos);
  const qe::DefaultMenuItem& mail = menu[7].items[0];  // an address with a query
  EXPECT_NE(first.find(text::EncodeAnsi(u"<dd title=\"" + mail.url + u"\">" + mail.name + u"</dd>")),
            std::string::npos);
  // Groups come in their order, the last item last.
  EXPECT_LT(first.find(text::EncodeAnsi(menu[11].name)), first.find(text::EncodeAnsi(u"<dt>" + menu[12].name)));
  EXPECT_NE(first.find(text::EncodeAnsi(menu[12].items.back().name + u"</dd>\n</dl>")), std::string::npos);

  std::string second = StartPage();
  ExpectTheSeededMenu(second);
  EXPECT_EQ(RowCount(kMain, u"User"), 1);
  EXPECT_EQ(RowCount(kMain, u"Class"), 13);
  EXPECT_EQ(RowCount(kMain, u"NClass"), 67);
  EXPECT_EQ(RowCount(kConfig, u"Config"), 4);
}

TEST_F(EmptySiteTest, FirstRequestsThatArriveTogetherSeedOnceAndAllListTheMenu) {
  constexpr int kVisitors = 8;
  std::atomic<int> ready = 0;
  std::vector<std::string> pages(kVisitors);
  std::vector<std::thread> visitors;
  for (int v = 0; v < kVisitors; ++v) {
    visitors.emplace_back([&, v] {
      auto client = Browser();
      ++ready;
      while (ready < kVisitors) std::this_thread::yield();
      auto page = client.Get("/qe/index.asp");
      if (page && page->status == 200) pages[v] = page->body;
    });
  }
  for (auto& t : visitors) t.join();
  for (const std::string& page : pages) ExpectTheSeededMenu(page);
  EXPECT_EQ(RowCount(kMain, u"User"), 1);
  EXPECT_EQ(RowCount(kMain, u"Part"), 1);
  EXPECT_EQ(RowCount(kMain, u"Class"), 13);
  EXPECT_EQ(RowCount(kMain, u"NClass"), 67);
  EXPECT_EQ(RowCount(kConfig, u"Config"), 4);
  EXPECT_TRUE(server_->Running());
}

// What a server killed while it seeded the main database left behind: the
// file with its tables and no rows, the marker, a database half staged.
TEST(KilledServerTest, TheNextServerSeedsAgainAndRemovesWhatWasLeft) {
  qe_test::TempSite site;
  site.MakeFolder("site/data");
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(kMain));
  site.WriteFile("site/data/qe.asp.seeding", "");
  site.WriteFile("site/data/Config.htm.00000000deadbeef.new", "");
  host_test::ServeProcess server(site.SiteFolder());
  EXPECT_FALSE(std::filesystem::exists(site.Host("site/data/Config.htm.00000000deadbeef.new")));
  auto page = qe_test::HttpClient(server.Port()).Get("/qe/index.asp");
  ASSERT_TRUE(page);
  EXPECT_EQ(CountOf(page->body, "<dd "), 67u);
  EXPECT_EQ(RowCount(kMain, u"User"), 1);
  EXPECT_FALSE(std::filesystem::exists(site.Host("site/data/qe.asp.seeding")));
}

}  // namespace
