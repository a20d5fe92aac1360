// Settings rows, the login cookie, the blog counters and the album cells, on
// a site database made from the schema.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <latch>
#include <thread>

#include "office/office_site.h"
#include "office/qe_settings.h"
#include "page/page_objects.h"
#include "platform/vb/information.h"
#include "platform/vb/strings.h"
#include "facade/qecls.h"
#include "support/case_table.h"
#include "support/cookie_expiry.h"

namespace office_test {
namespace {

using page_test::RowRecordset;

class SettingsTest : public OfficeSiteTest {
 protected:
  String Settings(const String& type) { return qe::QeGetXtsz(conn_, type); }
  String Stored() { return Rows(u"Select [Class],[Content] From [Xtsz] Order By [ID]"); }
};

TEST_F(SettingsTest, AClassWithoutARowGetsItsDefaultRowOnce) {
  const std::vector<std::pair<String, String>> defaults = {
      {u"用户参数设置", u"100|100|2|100|100"},
      {u"网络相册", u"2048|1536|400|300"},
      {u"功课表", u"一#二#三#四#五#六|1#2#3#4#研究性学习|6#7#8#自习#课外活动|1#2#3"},
      {u"作息时间", u"||||"},
      {u"学生信息管理", u"||||"},
      {u"网络相册 ", u"||||"},
  };
  String stored;
  for (const auto& [type, content] : defaults) {
    EXPECT_EQ(Settings(type), content) << vb::ToUtf8(type);
    EXPECT_EQ(Settings(type), content) << "the second call reads the row";
    stored += type + u"," + content + u";";
  }
  EXPECT_EQ(Stored(), stored);
  Execute(u"Update [Xtsz] Set [Content]=' 1|2 ' Where [Class]='网络相册'");
  EXPECT_EQ(Settings(u"网络相册"), u"1|2");
}

TEST_F(SettingsTest, EmptySettingsReadAsSevenBars) {
  Execute(u"Insert Into [Xtsz] ([Class],[Content]) Values ('a',Null)");
  Execute(u"Insert Into [Xtsz] ([Class],[Content]) Values ('b','   ')");
  EXPECT_EQ(Settings(u"a"), u"|||||||");
  EXPECT_EQ(Settings(u"b"), u"|||||||");
}

TEST_F(SettingsTest, AQuotedClassNameIsItsOwnRow) {
  Execute(u"Insert Into [Xtsz] ([Class],[Content]) Values ('用户参数设置','1|1|1|1|1')");
  for (const char16_t* type : {u"x' Or '1'='1", u"用户参数设置' --", u"a';Delete From [Xtsz];--", u"o'neil"}) {
    EXPECT_EQ(Settings(type), u"||||") << vb::ToUtf8(type);
    EXPECT_EQ(Rows(u"Select Count(*) From [Xtsz] Where [Class]='" + vb::Replace(type, u"'", u"''") + u"'"), u"1;");
  }
  EXPECT_EQ(Settings(u"用户参数设置"), u"1|1|1|1|1");
  EXPECT_EQ(Rows(u"Select Count(*) From [Xtsz]"), u"5;");
}

TEST_F(SettingsTest, TwoFirstRequestsForAClassAtOnceLeaveOneRowAndBothGetTheDefault) {
  constexpr int kClasses = 20;
  for (int round = 0; round < kClasses; ++round) {
    const String type = u"班级" + vb::CStr(Variant(round));
    String results[2];
    std::latch start(2);
    auto request = [&](int which) {
      Variant conn = Open(ado_test::Jet(kMainFile));
      start.arrive_and_wait();
      try {
        results[which] = qe::QeGetXtsz(conn, type);
      } catch (const vb::Error& e) {
        results[which] = u"error " + vb::CStr(Variant(e.Number()));
      }
      com::Call(conn, u"Close");
    };
    std::thread first(request, 0), second(request, 1);
    first.join();
    second.join();
    EXPECT_EQ(results[0], u"||||") << round;
    EXPECT_EQ(results[1], u"||||") << round;
  }
  EXPECT_EQ(Rows(u"Select Count(*), Count([Class]) From [Xtsz]"), u"20,20;");
  EXPECT_EQ(Rows(u"Select Count(*) From (Select Distinct [Class] From [Xtsz])"), u"20;");
}

class LoginCookieTest : public OfficeSiteTest {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    OfficeSiteTest::SetUp();
  }
  // The Set-Cookie lines of a request that saved the cookie for `days`.
  std::vector<String> Saved(Variant days, asp::NameValueList form = {{u"UserName", u"li"}, {u"PassWord", u"p&w=1 x"}}) {
    auto page = NewPage(nullptr, u"/qe/login.asp", std::move(form));
    Variant qe(std::make_shared<qe::QeCls>());
    com::Call(qe, u"CommSaveCookiesInfo", page->response, page->request, days);
    std::vector<String> lines;
    for (const auto& [name, value] : page->context.ResponseObject().Headers())
      if (name == u"Set-Cookie") lines.push_back(value);
    return lines;
  }
  static String Expiry(int days) { return vb::FromUtf8(qe_test::CookieExpiry(days)); }
};

TEST_F(LoginCookieTest, TheCookieHoldsTheTypedNameButNeverThePasswordForTheDaysAndHidesFromScripts) {
  EXPECT_EQ(Saved(Variant(int16_t{30})),
            std::vector<String>{u"KesraQe=UserName=li&PassWord=; expires=" + Expiry(30) +
                                u"; path=/; HttpOnly; SameSite=Lax"});
  EXPECT_EQ(Saved(Variant(u"7")), std::vector<String>{u"KesraQe=UserName=li&PassWord=; expires=" +
                                                        Expiry(7) + u"; path=/; HttpOnly; SameSite=Lax"});
  EXPECT_EQ(Saved(Variant(int16_t{-1})),  // in the past: the browser removes it
            std::vector<String>{u"KesraQe=UserName=li&PassWord=; expires=" + Expiry(-1) +
                                u"; path=/; HttpOnly; SameSite=Lax"});
  EXPECT_EQ(Saved(Variant(int16_t{1}), {}),
            std::vector<String>{u"KesraQe=UserName=&PassWord=; expires=" + Expiry(1) +
                                u"; path=/; HttpOnly; SameSite=Lax"});
  for (const Variant& zero : {Variant(int16_t{0}), Variant(u"0"), Variant()})
    EXPECT_EQ(Saved(zero), std::vector<String>{u"KesraQe=; path=/; HttpOnly; SameSite=Lax"});
}

TEST_F(LoginCookieTest, DaysThatAreNoSixteenBitNumberOverflow) {
  for (const Variant& days : {Variant(int32_t{32768}), Variant(u"-40000"), Variant(u"abc"), Variant(u""),
                              Variant::Null()})
    EXPECT_EQ(ErrorOf([&] { Saved(days); }), vb::kOverflow) << vb::ToUtf8(vb::TypeName(days));
  EXPECT_EQ(ErrorOf([&] { Saved(Variant(int16_t{1}), {{u"UserName", u"a\r\nSet-Cookie: x=1"}}); }),
            vb::kInvalidProcedureCall);
}

class BlogCountsTest : public OfficeSiteTest {
 protected:
  void SetUp() override {
    OfficeSiteTest::SetUp();
    for (const char16_t* row : {u"(5,'li',0)", u"(6,'li',0)", u"(7,'li',0)", u"(8,'wang',0)"})
      Execute(String(u"Insert Into [Blog] ([ID],[UserName],[Count_Review]) Values ") + row);
    for (const char16_t* user : {u"'li'", u"'wang'", u"'o''neil'"})
      Execute(String(u"Insert Into [Blog_Info] ([UserName],[Count_Log],[Count_Review],[Count_Message]) Values (") +
              user + u",0,0,0)");
    for (const char16_t* row : {u"(5,'li')", u"(5,'wang')", u"(6,'li')", u"(8,'o''neil')"})
      Execute(String(u"Insert Into [Blog_Review] ([BlogID],[UserName_Review]) Values ") + row);
    for (const char16_t* user : {u"'li'", u"'li'", u"'li'", u"'wang'"})
      Execute(String(u"Insert Into [Blog_Message] ([UserName_Message]) Values (") + user + u")");
  }
  // Each post's replies, then each owner's posts, replies written and messages.
  String Counters() {
    return Rows(u"Select [ID],[Count_Review] From [Blog] Order By [ID]") + u" " +
           Rows(u"Select [UserName],[Count_Log],[Count_Review],[Count_Message] From [Blog_Info] Order By [ID]");
  }
  void Count(int16_t type, const String& user, int16_t blog = 0) { qe::QeSaveBlogCount(conn_, type, user, blog); }
};

TEST_F(BlogCountsTest, EachTypeRecountsItsOneCounter) {
  Count(1, u"li");
  EXPECT_EQ(Counters(), u"5,0;6,0;7,0;8,0; li,3,0,0;wang,0,0,0;o'neil,0,0,0;");
  Count(2, u"nobody", 5);
  EXPECT_EQ(Counters(), u"5,2;6,0;7,0;8,0; li,3,0,0;wang,0,0,0;o'neil,0,0,0;");
  Count(2, u"li");
  EXPECT_EQ(Counters(), u"5,2;6,0;7,0;8,0; li,3,2,0;wang,0,0,0;o'neil,0,0,0;");
  Count(2, u"o'neil", -1);
  EXPECT_EQ(Counters(), u"5,2;6,0;7,0;8,0; li,3,2,0;wang,0,0,0;o'neil,0,1,0;");
  Count(3, u"li");
  EXPECT_EQ(Counters(), u"5,2;6,0;7,0;8,0; li,3,2,3;wang,0,0,0;o'neil,0,1,0;");
  Count(4, u"li");
  Count(0, u"li");
  EXPECT_EQ(Counters(), u"5,2;6,0;7,0;8,0; li,3,2,3;wang,0,0,0;o'neil,0,1,0;");
}

TEST_F(BlogCountsTest, HostileNamesCountAndChangeOnlyTheirOwnRow) {
  for (const char16_t* user : {u"x' Or '1'='1", u"li' --", u"li';Update [Blog_Info] Set [Count_Log]=9;--"}) {
    for (int16_t type : {1, 2, 3}) Count(type, user);
    EXPECT_EQ(Counters(), u"5,0;6,0;7,0;8,0; li,0,0,0;wang,0,0,0;o'neil,0,0,0;") << vb::ToUtf8(user);
  }
}

TEST_F(BlogCountsTest, CountsPastSixteenBitsAreStored) {
  Execute(u"Insert Into [Blog_Review] ([BlogID],[UserName_Review]) Values (7,'wang')");
  for (int doubling = 0; doubling < 16; ++doubling)  // 65536 replies to post 7
    Execute(u"Insert Into [Blog_Review] ([BlogID],[UserName_Review]) Select [BlogID],[UserName_Review] "
            u"From [Blog_Review] Where [BlogID]=7");
  Count(2, u"", 7);
  EXPECT_EQ(Rows(u"Select [Count_Review] From [Blog] Where [ID]=7"), u"65536;");
  Count(2, u"wang");
  EXPECT_EQ(Rows(u"Select [Count_Review] From [Blog_Info] Where [UserName]='wang'"), u"65537;");
}

TEST(AlbumNames, ThumbnailsAreTheLowerCasedNameWithSmallJpg) {
  qe_test::ExpectEach<String>([](const String& name) { return qe::QeGetUserAlbumFullName(name, u"SMALL"); },
                              {{u"Photo.JPG", u"/Data_UploadFiles/Album/photo_small.jpg"},
                               {u"a.b.PNG", u"/Data_UploadFiles/Album/a.b_small.jpg"},
                               {u"NoExt", u"/Data_UploadFiles/Album/noext_small.jpg"},
                               {u"", u"/Data_UploadFiles/Album/_small.jpg"}});
  EXPECT_EQ(qe::QeGetUserAlbumFullName(u"Photo.JPG", u""), u"/Data_UploadFiles/Album/Photo.JPG");
  EXPECT_EQ(qe::QeGetUserAlbumFullName(u"Photo.JPG", u"big"), u"/Data_UploadFiles/Album/Photo.JPG");
}

class PhotoCellTest : public OfficeSiteTest {
 protected:
  String Cell(const String& url, const String& title, const String& type, int16_t width = 120, int16_t height = 90) {
    auto page = NewPage(nullptr);
    Variant rs(std::make_shared<RowRecordset>(std::vector<std::pair<String, Variant>>{
        {u"Url", Variant(url)}, {u"PhotoWidth", Variant(int32_t{2048})}, {u"PhotoHight", Variant(int32_t{1536})},
        {u"Title", Variant(title)}}));
    return qe::QeGetPhotoSlt(page->server, rs, type, width, height, 0, u"open");
  }
};

TEST_F(PhotoCellTest, AThumbnailOnDiskElseTheScriptThatFitsThePhoto) {
  EXPECT_EQ(Cell(u"Photo.JPG", u"春游", u"small"),
            u"<script>kesra_showpic('/Data_UploadFiles/Album/Photo.JPG',2048,1536,120,90,0,'春游','open');</script>");
  site_.WriteFile("site/Data_UploadFiles/Album/photo_small.jpg", "jpeg");
  EXPECT_EQ(Cell(u"Photo.JPG", u"春游", u"Small", 60, 45),
            u"<img border=1 src='/Data_UploadFiles/Album/photo_small.jpg' width='60' height='45'>");
  EXPECT_EQ(Cell(u"Photo.JPG", u"春游", u"big"),
            u"<script>kesra_showpic('/Data_UploadFiles/Album/Photo.JPG',2048,1536,120,90,0,'春游','open');</script>");
}

TEST_F(PhotoCellTest, TitlesAndNamesCannotLeaveTheirStringOrAttribute) {
  EXPECT_EQ(Cell(u"it's.jpg", u"Tom's </script><b>\"x\"\\", u"small"),
            u"<script>kesra_showpic('/Data_UploadFiles/Album/it\\'s.jpg',2048,1536,120,90,0,"
            u"'Tom\\'s <\\/script><b>\\\"x\\\"\\\\','open');</script>");
  site_.WriteFile("site/Data_UploadFiles/Album/a'b&c_small.jpg", "jpeg");
  EXPECT_EQ(Cell(u"a'b&c.jpg", u"t", u"small"),
            u"<img border=1 src='/Data_UploadFiles/Album/a&#39;b&amp;c_small.jpg' width='120' height='90'>");
}

}  // namespace
}  // namespace office_test
