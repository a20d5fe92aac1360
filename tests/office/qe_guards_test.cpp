// The request guards on a site database: who each lets through, the
// refusal's message with the page's data objects closed, the pass with the
// connection left open, the quota boundary and the album levels.
#include <gtest/gtest.h>

#include "common/kesra_class_md5.h"
#include "office/office_site.h"
#include "office/qe_guards.h"
#include "facade/qecls.h"

namespace office_test {
namespace {

const User kSuper{u"1|admin|admin|Office|a|t|p"};
const User kManager{u"40|mgr|mgr|Office|b|t|p", u"1|1|1|1|1", u"|12|40|"};
const User kAuthor{u"5|li|li|Office|b|t|p", u"1|100|2|100|100", u"|12|40|"};
const User kOther{u"4|wang|wang|Office|b|t|p", u"1|100|2|100|100", u"|12|40|"};

constexpr char16_t kNoRight[] = u"你没有足够的权限！";
constexpr char16_t kNotYours[] = u"你无权对该记录进行操作！";
constexpr char16_t kNoRecord[] = u"没有该记录,可能原因是ID出错或从非法路径进入。";

// What a guard left: its error page's message, whether the response ended,
// and whether the data objects the page gave it are still open.
struct Left {
  String refusal;
  bool ended = false, data_open = false;
  bool operator==(const Left&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Left& l) {
  return out << "{" << vb::ToUtf8(l.refusal) << ", ended " << l.ended << ", open " << l.data_open << "}";
}
const Left kPassed{u"", false, true};
Left Refused(const char16_t* message) { return {message, true, false}; }
// The error page of a check that holds no data objects.
Left Stopped(const char16_t* message) { return {message, true, true}; }

// Open, and not released (the error page leaves Nothing).
bool IsOpen(const Variant& object) {
  try {
    return vb::CLng(com::Call(object, u"State")) == 1;
  } catch (const vb::Error&) {
    return false;
  }
}

class GuardsTest : public OfficeSiteTest {
 protected:
  void SetUp() override {
    OfficeSiteTest::SetUp();
    MakeArticles();
    Execute(u"Insert Into [Article] ([ID],[UserName],[GetPart],[IsShare]) Values (1,'li','教务处',0)");
    Execute(u"Insert Into [Article] ([ID],[UserName],[GetPart],[IsShare]) Values (2,'zhao',Null,0)");
    Execute(u"Insert Into [Article] ([ID],[UserName],[GetPart],[IsShare]) Values (12,'zhao','Office',-1)");
    Execute(u"Insert Into [Article] ([ID],[UserName],[GetPart],[IsShare]) Values (40000,'zhao','Office',0)");
  }

  // Runs a guard with a connection and recordset of the page's own; a guard
  // that takes no recordset is judged by the connection.
  template <class Guard>
  Left Run(Page& page, Guard guard, bool takes_rs = false) {
    Variant conn = Open(ado_test::Jet(kMainFile));
    Variant rs = Query(conn, u"Select * From [User]");
    guard(conn, rs);
    return {page.Refusal(), page.Ended(), IsOpen(conn) && (!takes_rs || IsOpen(rs))};
  }
  Left Manager(const User* user, bool super) {
    auto page = NewPage(user);
    return Run(*page, [&](Variant& conn, Variant& rs) {
      if (super)
        qe::QeCheckUserSuperManager(page->response, page->request, page->session, conn, rs, false, u"");
      else
        qe::QeCheckUserManager(page->response, page->request, page->session, conn, rs, false, u"");
    }, true);
  }
  // The owner or department guard on the article of Request("ID"); the
  // page's own recordset is not the guard's business.
  Left Record(const User* user, const String& id, bool part, const String& keyword = u"owner") {
    auto page = NewPage(user, u"/qe/main/a.asp?ID=" + id);
    return Run(*page, [&](Variant& conn, Variant&) {
      if (part)
        qe::QeCheckPart(page->response, page->request, conn, page->session, u"Article", false, u"");
      else
        qe::QeCheckOwner(page->response, page->request, page->session, conn, u"Article", keyword, false, u"");
    });
  }
};

TEST_F(GuardsTest, TheLoginGateOpensOnlyTheHomeLoginAndRegistrationPagesToVisitors) {
  const String kRedirect = u"<Script>top.location.href='/qe/index.asp'</Script>";
  struct Case {
    const char16_t* url;
    bool logged_in;
    bool redirected;
  } cases[] = {
      {u"/qe/main/x.asp", false, true},
      {u"/qe/main/x.asp", true, false},
      {u"/qe/index.asp", false, false},
      {u"/qe/main/login_check.asp", false, false},
      {u"/qe/main/login.asp", false, false},
      {u"/qe/main/Login.asp", false, true},  // exact case
      {u"/qe/main/user_reg_step1.asp", false, false},
      {u"/qe/main/userreg.asp", false, true},
      // The query is not part of PATH_INFO.
      {u"/qe/main/x.asp?a=index.asp", false, true},
      {u"/qe/main/x.asp?next=/qe/login.asp", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(vb::ToUtf8(c.url));
    auto page = NewPage(c.logged_in ? &kAuthor : nullptr, c.url);
    qe::QeCheckUserNormal(page->response, page->request, page->session);
    EXPECT_EQ(page->Ended(), c.redirected);
    EXPECT_EQ(page->Body(), c.redirected ? kRedirect : String());
    EXPECT_EQ(page->SessionValue(u"UserInfo").IsEmpty(), !c.logged_in);
  }
}

TEST_F(GuardsTest, ManagerGuardsRefuseWithTheirMessageAndCloseThePagesData) {
  EXPECT_EQ(Manager(&kSuper, false), kPassed);
  EXPECT_EQ(Manager(&kManager, false), kPassed);
  EXPECT_EQ(Manager(&kOther, false), Refused(kNoRight));  // "|4" is in |12|40|, "|4|" is not
  EXPECT_EQ(Manager(&kSuper, true), kPassed);
  EXPECT_EQ(Manager(&kManager, true), Refused(kNoRight));
  // Nobody logged in: the user's error page, which closes nothing.
  EXPECT_EQ(Manager(nullptr, false), Stopped(u"请不要从非法路径进入！"));
}

TEST_F(GuardsTest, TheOwnerGuardReadsTheLeadingNumberOfTheID) {
  EXPECT_EQ(Record(&kAuthor, u"1", false), kPassed);
  EXPECT_EQ(Record(&kOther, u"1", false), Refused(kNotYours));
  EXPECT_EQ(Record(&kSuper, u"1", false), kPassed);
  EXPECT_EQ(Record(&kOther, u"12abc", false, u"share"), kPassed);  // record 12, shared
  EXPECT_EQ(Record(&kOther, u"12abc", false), Refused(kNotYours));
  EXPECT_EQ(Record(&kAuthor, u"1%20or%201=1", false), kPassed);     // record 1 only
  EXPECT_EQ(Record(&kOther, u"1%20or%201=1", false), Refused(kNotYours));
  EXPECT_EQ(Record(&kAuthor, u"", false), Refused(kNoRecord));      // id 0
  EXPECT_EQ(Record(&kAuthor, u"1e400", false), Refused(kNoRecord));  // no key that large
  EXPECT_EQ(Record(&kOther, u"40000", false, u"noshare"), Refused(kNotYours));
  EXPECT_EQ(Record(&kManager, u"40000", false, u"manager"), kPassed);
}

TEST_F(GuardsTest, TheDepartmentGuardAdmitsItsDepartmentTheAuthorAndRecordsForEveryone) {
  EXPECT_EQ(Record(&kAuthor, u"1", true), kPassed);  // for 教务处, but li wrote it
  EXPECT_EQ(Record(&kOther, u"1", true), Refused(kNotYours));
  EXPECT_EQ(Record(&kSuper, u"1", true), kPassed);
  EXPECT_EQ(Record(&kOther, u"12", true), kPassed);  // for Office
  EXPECT_EQ(Record(&kOther, u"2", true), kPassed);   // a Null department: for everyone
  // Keys past 16 bits are read as the owner guard reads them.
  EXPECT_EQ(Record(&kOther, u"40000", true), kPassed);
  EXPECT_EQ(Record(&kOther, u"12.9", true), kPassed);
  EXPECT_EQ(Record(&kOther, u"3", true), Refused(kNoRecord));
  EXPECT_EQ(Record(&kOther, u"12abc", true), Stopped(u"无效ID。"));
  EXPECT_EQ(ErrorOf([&] { Record(&kOther, u"3000000000", true); }), vb::kOverflow);
}

TEST_F(GuardsTest, TheResourceQuotaRefusesFromExactlyTheQuotaInBytes) {
  auto run = [&](const User& user) {
    auto page = NewPage(&user);
    return Run(*page, [&](Variant& conn, Variant&) {
      qe::QeCheckUserSizeResource(page->response, page->session, conn, false, u"");
    });
  };
  User one_mb = kAuthor;  // quota 1 (MB)
  EXPECT_EQ(run(one_mb), kPassed);  // nothing private yet: a Null sum
  Execute(u"Insert Into [Resource] ([UserName],[RealSize],[IsShare]) Values ('li',1048570,0)");
  Execute(u"Insert Into [Resource] ([UserName],[RealSize],[IsShare]) Values ('li',5,0)");
  Execute(u"Insert Into [Resource] ([UserName],[RealSize],[IsShare]) Values ('li',999999,-1)");  // shared
  Execute(u"Insert Into [Resource] ([UserName],[RealSize],[IsShare]) Values ('wang',999999999,0)");
  // A quota of 0 or no number reads as the Integer 1, whose product in bytes
  // leaves 16 bits and widens.
  User no_quota = kAuthor;
  no_quota.sizes = u"0|1|1|1|1";
  EXPECT_EQ(run(one_mb), kPassed);  // 1048575 bytes
  EXPECT_EQ(run(no_quota), kPassed);
  Execute(u"Insert Into [Resource] ([UserName],[RealSize],[IsShare]) Values ('li',1,0)");
  EXPECT_EQ(run(one_mb), Refused(u"你的私有资源超过了额定容量1M限制！"));
  EXPECT_EQ(run(no_quota), Refused(u"你的私有资源超过了额定容量1M限制！"));
  no_quota.sizes = u"abc|1|1|1|1";
  EXPECT_EQ(run(no_quota), Refused(u"你的私有资源超过了额定容量1M限制！"));

  User text_quota = kAuthor;  // a quota written with decimals reads as a Double
  text_quota.sizes = u"1.5|1|1|1|1";
  EXPECT_EQ(run(text_quota), kPassed);
  text_quota.sizes = u"0.5|1|1|1|1";
  EXPECT_EQ(run(text_quota), Refused(u"你的私有资源超过了额定容量0.5M限制！"));

  // A quoted name counts its own rows only.
  Execute(u"Insert Into [Resource] ([UserName],[RealSize],[IsShare]) Values ('o''neil',10,0)");
  for (const char16_t* name : {u"o'neil", u"x' Or '1'='1", u"x';--"}) {
    User quoted{String(u"9|q|") + name + u"|Office|b|t|p", u"1|1|1|1|1"};
    EXPECT_EQ(run(quoted), kPassed) << vb::ToUtf8(name);
  }
}

class AlbumTest : public GuardsTest {
 protected:
  bool Visit(Page& page, int16_t level, const String& owner = u"zhao", Variant* conn_out = nullptr) {
    Variant conn = Open(ado_test::Jet(kMainFile));
    Variant rs = Query(conn, u"Select * From [User]");
    bool admitted = qe::QeCheckAlbumVisitRight(page.session, page.response, page.request, rs, conn, owner, level,
                                               Digest(u"secret"), false, u"");
    if (conn_out) *conn_out = conn;
    return admitted;
  }
  static String Digest(const String& text) { return qe::Kesra_Class_Md5().KesraMd5(text); }
};

TEST_F(AlbumTest, OwnerAndOpenAlbumsPassPrivateOnesRefuseOtherLevelsSayNothing) {
  for (int16_t level : {0, 1, 2, 3, 4}) {
    auto page = NewPage(&kAuthor);
    EXPECT_TRUE(Visit(*page, level, u"li")) << level;
    EXPECT_EQ(page->Body(), u"");
  }
  auto open = NewPage(&kAuthor);
  EXPECT_TRUE(Visit(*open, 1));
  for (int16_t level : {0, 4, -1}) {
    auto page = NewPage(&kAuthor);
    EXPECT_FALSE(Visit(*page, level));
    EXPECT_EQ(page->Body(), u"");
    EXPECT_FALSE(page->Ended());
  }
  auto closed = NewPage(&kAuthor);
  Variant conn;
  EXPECT_FALSE(Visit(*closed, 3, u"zhao", &conn));
  EXPECT_EQ(closed->Refusal(), u"此为私人相册，你无权欣赏！");
  EXPECT_FALSE(IsOpen(conn));
  auto nobody = NewPage(nullptr);
  EXPECT_FALSE(Visit(*nobody, 1));
  EXPECT_EQ(nobody->Refusal(), u"请不要从非法路径进入！");
}

TEST_F(AlbumTest, APostedPasswordAdmitsTheVisitorForTheRestOfTheSession) {
  auto posted = NewPage(&kAuthor, u"/qe/album/show.asp?ClassID=3", {{u"PassWord", u"secret"}});
  EXPECT_TRUE(Visit(*posted, 2));
  EXPECT_EQ(posted->SessionValue(u"ShowType"), Variant(Digest(u"secret")));
  EXPECT_EQ(posted->Body(), u"");
  auto later = NextPage(*posted, u"/qe/album/show.asp?ClassID=3");
  EXPECT_TRUE(Visit(*later, 2));

  auto wrong = NextPage(*posted, u"/qe/album/show.asp?ClassID=3", {{u"PassWord", u"guess"}});
  EXPECT_FALSE(Visit(*wrong, 2));
  EXPECT_EQ(wrong->SessionValue(u"ShowType"), Variant(Digest(u"guess")));
  EXPECT_FALSE(wrong->Ended());
  auto blank = NextPage(*wrong, u"/qe/album/show.asp?ClassID=3", {{u"PassWord", u""}});
  EXPECT_FALSE(Visit(*blank, 2));  // an empty password changes nothing
  EXPECT_EQ(blank->SessionValue(u"ShowType"), Variant(Digest(u"guess")));
}

TEST_F(AlbumTest, ThePasswordFormCarriesTheQueryEncoded) {
  auto page = NewPage(&kAuthor, u"/qe/album/show.asp?ClassID=7&username=%D5%C5+%C8%FD&search=a%27b%26c%3E");
  EXPECT_FALSE(Visit(*page, 2));
  const String body = page->Body();
  EXPECT_TRUE(body.starts_with(
            u"<table width='100%' border='0' align='center' cellpadding='0' cellspacing='0' >"
            u"<form name='getalbpass' method='post' action='?page=1&classid=7&username=张%20三&search=a%27b%26c%3E'>"))
      << vb::ToUtf8(body);
  EXPECT_NE(body.find(u"<input type='password' class='inputtext' name='password' style='width:250px; height:22pxx' "
                      u"size='40'></td></tr></table></td></tr><tr><td height='50' align='center'><input "
                      u"type='image' src='../comm/image/button/button_submit.asp'"),
            String::npos);
  EXPECT_TRUE(body.ends_with(u"onClick='history.back(-1);;return false;'></td></form></tr></table>"));

  auto plain = NewPage(&kAuthor, u"/qe/album/show.asp?ClassID=7&username=li&search=x");
  EXPECT_FALSE(Visit(*plain, 2));
  EXPECT_NE(plain->Body().find(u"action='?page=1&classid=7&username=li&search=x'>"), String::npos);

  auto bad_class = NewPage(&kAuthor, u"/qe/album/show.asp?ClassID=x");
  EXPECT_FALSE(Visit(*bad_class, 2));
  EXPECT_EQ(bad_class->Refusal(), u"无效ID。");
}

TEST_F(GuardsTest, TheFacadeForwardsTheGuardsWithTheirDefaults) {
  Variant qe(std::make_shared<qe::QeCls>());
  auto page = NewPage(&kOther, u"/qe/main/a.asp?ID=1");
  Variant conn = Open(ado_test::Jet(kMainFile));
  com::Call(qe, u"CommCheckOwner", page->response, page->request, page->session, conn, String(u"Article"),
            String(u"owner"));
  EXPECT_EQ(page->Refusal(), kNotYours);
  EXPECT_FALSE(IsOpen(conn));
  auto normal = NewPage(nullptr, u"/qe/main/a.asp");
  com::Call(qe, u"CommCheckUserNormal", normal->response, normal->request, normal->session);
  EXPECT_TRUE(normal->Ended());
}

}  // namespace
}  // namespace office_test
