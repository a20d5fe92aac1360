// Right keywords against the super manager, a module manager, the author,
// another user and a user whose right is "A", on shared, unshared and Null
// records; what they read when nobody is logged in; and the edit and delete
// links that show only where the right holds.
#include <gtest/gtest.h>

#include "office/office_site.h"
#include "office/qe_rights.h"
#include "page/page_objects.h"
#include "facade/qecls.h"

namespace office_test {
namespace {

using page_test::RowRecordset;

constexpr char16_t kManagers[] = u"|12|40|";

// super, module manager, author, another user (ID 4: "|4" is in the list,
// "|4|" is not), and a right of "A" (not the super right).
const User kSubjects[] = {
    {u"1|admin|admin|Office|a|t|p", u"", kManagers},
    {u"40|mgr|mgr|Office|b|t|p", u"", kManagers},
    {u"5|li|li|Office|b|t|p", u"", kManagers},
    {u"4|wang|wang|Office|b|t|p", u"", kManagers},
    {u"6|x|x|Office|A|t|p", u"", kManagers},
};

// li's unshared record, li's shared one, zhao's shared one, zhao's unshared
// one, and one whose author and share fields are Null.
Variant Record(int which) {
  const Variant kNull = Variant::Null();
  const std::pair<Variant, Variant> fields[] = {{Variant(u"li"), Variant(false)},
                                                {Variant(u"li"), Variant(true)},
                                                {Variant(u"zhao"), Variant(true)},
                                                {Variant(u"zhao"), Variant(false)},
                                                {kNull, kNull}};
  return Variant(std::make_shared<RowRecordset>(std::vector<std::pair<String, Variant>>{
      {u"UserName", fields[which].first}, {u"IsShare", fields[which].second}}));
}

class RightKeywordsTest : public OfficeSiteTest {
 protected:
  // "T" or "F" for each of the five records.
  std::string Grants(const User& user, const String& keyword) {
    std::string out;
    for (int record = 0; record < 5; ++record) {
      auto page = NewPage(&user);
      Variant rs = Record(record);
      out += qe::QeCheckManagerRight(page->response, page->session, rs, keyword) ? 'T' : 'F';
      EXPECT_FALSE(page->Ended());
    }
    return out;
  }
};

TEST_F(RightKeywordsTest, EachKeywordGrantsItsSubjectsOnEachKindOfRecord) {
  struct Case {
    const char16_t* keyword;
    const char* super;
    const char* manager;
    const char* author;
    const char* other;
    const char* upper_a;
  } cases[] = {
      {u"share", "TTTTT", "TTTTT", "TTTFF", "FTTFF", "FTTFF"},
      {u"noshare", "TTTTT", "TTTTT", "TFFFF", "FFFFF", "FFFFF"},
      {u"owner", "TTTTT", "FFFFF", "TTFFF", "FFFFF", "FFFFF"},
      {u"Owner", "TTTTT", "FFFFF", "TTFFF", "FFFFF", "FFFFF"},
      {u"OWNER", "TTTTT", "FFFFF", "TTFFF", "FFFFF", "FFFFF"},
      {u"ownerowner", "FFFFF", "FFFFF", "TTFFF", "FFFFF", "FFFFF"},
      {u"manager", "TTTTT", "TTTTT", "FFFFF", "FFFFF", "FFFFF"},
      {u"owner_manager", "TTTTT", "TTTTT", "TTFFF", "FFFFF", "FFFFF"},
      {u"supermanager", "TTTTT", "FFFFF", "FFFFF", "FFFFF", "FFFFF"},
      {u"anyone", "TTTTT", "TTTTT", "TTTTT", "TTTTT", "TTTTT"},
      {u"ANYONE", "TTTTT", "TTTTT", "TTTTT", "TTTTT", "TTTTT"},
      {u"owner ", "FFFFF", "FFFFF", "FFFFF", "FFFFF", "FFFFF"},
      {u"", "FFFFF", "FFFFF", "FFFFF", "FFFFF", "FFFFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(vb::ToUtf8(c.keyword));
    EXPECT_EQ(Grants(kSubjects[0], c.keyword), c.super);
    EXPECT_EQ(Grants(kSubjects[1], c.keyword), c.manager);
    EXPECT_EQ(Grants(kSubjects[2], c.keyword), c.author);
    EXPECT_EQ(Grants(kSubjects[3], c.keyword), c.other);
    EXPECT_EQ(Grants(kSubjects[4], c.keyword), c.upper_a);
  }
}

TEST_F(RightKeywordsTest, WithoutLoginKeywordsThatReadTheUserEndInTheErrorPage) {
  for (const char16_t* keyword : {u"share", u"noshare", u"owner", u"ownerowner", u"manager", u"owner_manager",
                                  u"supermanager"}) {
    SCOPED_TRACE(vb::ToUtf8(keyword));
    auto page = NewPage(nullptr);
    Variant rs = Record(0);
    EXPECT_FALSE(qe::QeCheckManagerRight(page->response, page->session, rs, keyword));
    EXPECT_TRUE(page->Ended());
    EXPECT_EQ(page->Refusal(), u"请不要从非法路径进入！");
  }
  for (const char16_t* keyword : {u"anyone", u"somebody"}) {
    auto page = NewPage(nullptr);
    Variant rs = Record(0);
    EXPECT_EQ(qe::QeCheckManagerRight(page->response, page->session, rs, keyword), vb::String(keyword) == u"anyone");
    EXPECT_FALSE(page->Ended());
    EXPECT_EQ(page->Body(), u"");
  }
}

TEST_F(RightKeywordsTest, OnlyTheFieldsAKeywordNamesAreRead) {
  const User& author = kSubjects[2];
  // A record without isshare serves the keywords of the author and managers.
  Variant no_share(std::make_shared<RowRecordset>(std::vector<std::pair<String, Variant>>{{u"username", Variant(u"li")}}));
  for (const char16_t* keyword : {u"owner", u"ownerowner", u"owner_manager", u"manager"}) {
    auto page = NewPage(&author);
    EXPECT_EQ(ErrorOf([&] { qe::QeCheckManagerRight(page->response, page->session, no_share, keyword); }), 0)
        << vb::ToUtf8(keyword);
  }
  auto page = NewPage(&author);
  EXPECT_EQ(ErrorOf([&] { qe::QeCheckManagerRight(page->response, page->session, no_share, u"share"); }), 3265);
  // A recordset past its end fails with its own error, even where the
  // super right already decides; "manager" does not read it.
  Variant past_end(std::make_shared<RowRecordset>(
      std::vector<std::pair<String, Variant>>{{u"username", Variant(u"li")}, {u"isshare", Variant(true)}}, true));
  auto super = NewPage(&kSubjects[0]);
  EXPECT_EQ(ErrorOf([&] { qe::QeCheckManagerRight(super->response, super->session, past_end, u"owner"); }), 3021);
  EXPECT_TRUE(qe::QeCheckManagerRight(super->response, super->session, past_end, u"manager"));
}

class RecordLinksTest : public RightKeywordsTest {
 protected:
  String Edit(const User* user, const String& group, int record = 0) {
    auto page = NewPage(user);
    Variant rs = Record(record);
    return vb::CStr(com::Call(qe_, u"CommShowEdit", page->response, page->session, rs, String(u"a_edit.asp"),
                              int16_t{3}, group, int16_t{0}, int16_t{0}, String(), String(), int16_t{1}, String(),
                              String(u"null")));
  }
  String Del(const User* user, const String& group, int record = 0) {
    auto page = NewPage(user);
    Variant rs = Record(record);
    return vb::CStr(com::Call(qe_, u"CommShowDel", page->response, page->session, rs, String(u"a_del.asp"),
                              int16_t{3}, group, Variant(u"删"), String(u"null")));
  }
  Variant qe_{std::make_shared<qe::QeCls>()};
};

TEST_F(RecordLinksTest, LinksShowWhereTheRightHoldsAndABlankKeywordMeansTheAuthor) {
  const String edit = u"<a href=\"a_edit.asp?Classid=3&action=modify\" target=\"_self\">"
                      u"<img src='../comm/image/kesra_edit.asp' title='编辑该文件' border=0></a>";
  const String del = u"<a href='a_del.asp?Classid=3' onclick='if(!confirm(\"真的要删除该记录吗?\")) return false;'>删</a>";
  const User& author = kSubjects[2];
  const User& other = kSubjects[3];
  EXPECT_EQ(Edit(&author, u""), edit);
  EXPECT_EQ(Edit(&other, u""), u"");
  EXPECT_EQ(Edit(&other, u"share", 1), edit);
  EXPECT_EQ(Del(&author, u""), del);
  EXPECT_EQ(Del(&other, u""), u"");
  EXPECT_EQ(Del(&kSubjects[1], u"manager"), del);
  // "anyone" needs nobody logged in, for either link.
  EXPECT_EQ(Edit(nullptr, u"anyone"), edit);
  EXPECT_EQ(Del(nullptr, u"anyone"), del);
  EXPECT_EQ(Del(nullptr, u"ANYONE"), del);
}

TEST_F(RecordLinksTest, WithoutLoginAKeywordThatReadsTheUserShowsTheErrorPageAndNoLink) {
  auto page = NewPage(nullptr);
  Variant rs = Record(0);
  Variant link = com::Call(qe_, u"CommShowEdit", page->response, page->session, rs, String(u"a_edit.asp"),
                           int16_t{3}, String(u"owner"));
  EXPECT_EQ(link, Variant(u""));
  EXPECT_TRUE(page->Ended());
}

}  // namespace
}  // namespace office_test
