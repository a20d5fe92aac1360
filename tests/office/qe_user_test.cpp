// The session user: the seven fields and five quotas the login page leaves
// in the Session, read back as pages rely on them, and the refusal of a
// request nobody is logged in to.
#include <gtest/gtest.h>

#include <functional>

#include "office/office_site.h"
#include "office/qe_user.h"
#include "platform/vb/information.h"
#include "platform/vb/strings.h"
#include "facade/qecls.h"
#include "support/printable.h"

namespace office_test {
namespace {

constexpr char16_t kNotLoggedIn[] = u"请不要从非法路径进入！";

using Getter = std::function<Variant(Variant&, Variant&)>;

Getter Whole(int16_t (*getter)(Variant&, Variant&)) {
  return [getter](Variant& r, Variant& s) { return Variant(getter(r, s)); };
}

// Each getter with its name, in the order of the façade.
const std::vector<std::pair<const char*, Getter>>& Getters() {
  static const std::vector<std::pair<const char*, Getter>> all = {
      {"ID", qe::QeGetUserID},
      {"LoginName", qe::QeGetUserLoginName},
      {"Name", qe::QeGetUserName},
      {"Part", qe::QeGetUserPart},
      {"Right", qe::QeGetUserRight},
      {"RegTime", qe::QeGetUserRegTime},
      {"Password", qe::QeGetUserPassword},
      {"SizeResource", qe::QeGetUserSizeResource},
      {"SizeAlbum", qe::QeGetUserSizeAlbum},
      {"SizeAlbumSingle", qe::QeGetUserSizeAlbumSingle},
      {"SizeBlog", Whole(qe::QeGetUserSizeBlog)},
      {"SizeNetdriver", Whole(qe::QeGetUserSizeNetdriver)},
  };
  return all;
}

class SessionUserTest : public OfficeSiteTest {
 protected:
  // The twelve getters' results for one user, as "type:value" each.
  std::vector<std::string> Read(const User& user) {
    auto page = NewPage(&user);
    std::vector<std::string> out;
    for (const auto& [name, getter] : Getters()) {
      Variant v = getter(page->response, page->session);
      out.push_back(vb::ToUtf8(vb::TypeName(v) + u":" + vb::CStr(v)));
    }
    EXPECT_FALSE(page->Ended());
    return out;
  }
  int32_t ErrorOfGetter(const User& user, const char* which) {
    auto page = NewPage(&user);
    for (const auto& entry : Getters())
      if (std::string(entry.first) == which) return ErrorOf([&] { entry.second(page->response, page->session); });
    return -1;
  }
};

TEST_F(SessionUserTest, FieldsComeAsTextAndQuotasByTheirRules) {
  struct Case {
    const char16_t* info;
    const char16_t* sizes;
    std::vector<std::string> expected;
  } cases[] = {
      {u"7|li_login|li|Office|a|20240101| pass ", u"100|100|2|100|100",
       {"String:7", "String:li_login", "String:li", "String:Office", "String:a", "String:20240101",
        "String: pass ", "String:100", "String:100", "String:2", "Integer:100", "Integer:100"}},
      // Not a number, 0 and below give the Integer 1; the last two read the
      // leading number rounded down.
      {u"1|a|b|c|d|e|f", u"0|50|-3|abc|", {"String:1", "String:a", "String:b", "String:c", "String:d", "String:e",
                                           "String:f", "Integer:1", "String:50", "Integer:1", "Integer:1",
                                           "Integer:1"}},
      {u"1|a|b|c|d|e|f", u"|x1|2.5|12.9|7.2", {"String:1", "String:a", "String:b", "String:c", "String:d",
                                                "String:e", "String:f", "Integer:1", "Integer:1", "String:2.5",
                                                "Integer:12", "Integer:7"}},
      // Three fields: the last two quotas are missing and read as 1.
      {u"1|a|b|c|d|e|f|extra", u"100|100|2", {"String:1", "String:a", "String:b", "String:c", "String:d",
                                               "String:e", "String:f", "String:100", "String:100", "String:2",
                                               "Integer:1", "Integer:1"}},
      {u"1|a|b|c|d|e|f", u" 100.5 |1e3|0.1|32767|-1", {"String:1", "String:a", "String:b", "String:c", "String:d",
                                                      "String:e", "String:f", "String: 100.5 ", "String:1e3",
                                                      "String:0.1", "Integer:32767", "Integer:1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(vb::ToUtf8(c.sizes));
    EXPECT_EQ(Read({c.info, c.sizes}), c.expected);
  }
}

TEST_F(SessionUserTest, ShortValuesRaiseSubscriptOutOfRangeAndLargeWholeQuotasOverflow) {
  EXPECT_EQ(ErrorOfGetter({u"7|li|li|Office", u"1|1|1|1|1"}, "Right"), vb::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOfGetter({u"7|li|li|Office|a|r", u"1|1|1|1|1"}, "Password"), vb::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOfGetter({u"7|li|li|Office|a|r|p", u"1|1"}, "SizeAlbumSingle"), vb::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOfGetter({u"7|li|li|Office|a|r|p", u""}, "SizeResource"), vb::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOfGetter({u"7|li|li|Office|a|r|p", u"1|1|1|32768|1"}, "SizeBlog"), vb::kOverflow);
  EXPECT_EQ(ErrorOfGetter({u"7|li|li|Office|a|r|p", u"1|1|1|1|99999"}, "SizeNetdriver"), vb::kOverflow);
  EXPECT_EQ(ErrorOfGetter({u"7|li|li|Office|a|r|p", u""}, "SizeNetdriver"), 0);  // padded: 1
}

TEST_F(SessionUserTest, NobodyLoggedInEndsEveryGetterWithTheErrorPageAndReturnsEmpty) {
  for (const char16_t* info : {u"", u"unset"}) {
    for (const auto& [name, getter] : Getters()) {
      SCOPED_TRACE(name);
      User nobody{info};
      auto page = NewPage(vb::String(info) == u"unset" ? nullptr : &nobody);
      Variant v = getter(page->response, page->session);
      EXPECT_TRUE(page->Ended());
      EXPECT_EQ(page->Refusal(), kNotLoggedIn);
      EXPECT_TRUE(v.IsEmpty() || vb::CStr(v) == u"0");
    }
  }
}

TEST_F(SessionUserTest, TheSessionCheckRefusesOnlyAnEmptyUserAndCarriesItsButtons) {
  User nobody{u""};
  auto refused = NewPage(&nobody);
  qe::QeCheckUserSession(refused->response, refused->session, true, u"dlgX");
  EXPECT_TRUE(refused->Ended());
  EXPECT_EQ(refused->Refusal(), kNotLoggedIn);
  EXPECT_NE(refused->Body().find(u"dlgX"), String::npos) << "the dialog's close button";

  User blank{u" "};  // a blank is somebody: only the empty text means nobody
  auto passed = NewPage(&blank);
  qe::QeCheckUserSession(passed->response, passed->session, false, u"");
  EXPECT_FALSE(passed->Ended());
  EXPECT_EQ(passed->Body(), u"");
}

TEST_F(SessionUserTest, TheFacadeReachesTheGettersByNameAndBothUploadSizesAreTen) {
  auto page = NewPage(nullptr);
  com::Let(page->session, u"", Variant(u"9|zhang|张三|教务处|b|t|p"), String(u"UserInfo"));
  com::Let(page->session, u"", Variant(u"5|6|7|8|9"), String(u"UserInfoSize"));
  Variant qe(std::make_shared<qe::QeCls>());
  EXPECT_EQ(com::Call(qe, u"CommGetUserName", page->response, page->session), Variant(u"张三"));
  EXPECT_EQ(com::Call(qe, u"commgetuserpart", page->response, page->session), Variant(u"教务处"));
  EXPECT_EQ(com::Call(qe, u"CommGetUserSizeNetdriver", page->response, page->session), Variant(int16_t{9}));
  EXPECT_EQ(com::Call(qe, u"CommGetUploadFileSize"), Variant(int16_t{10}));
  EXPECT_EQ(com::Call(qe, u"CommGetUploadFileSizeSingle"), Variant(int16_t{10}));
  com::Call(qe, u"CommCheckUserSession", page->response, page->session);
  EXPECT_FALSE(page->Ended());
}

TEST_F(SessionUserTest, TheSessionStandsForItsAccountOnlyWhileTheRowSaysSo) {
  struct Case {
    const char* what;
    const char16_t* change;      // run on the account's row after the login
    const char16_t* id = nullptr;  // the Session's ID instead of the row's
    const char16_t* info_after = nullptr;  // with "#" for the ID; nullptr: the user is ended
  } cases[] = {
      {"unchanged", u"Update [User] Set [Times]=1", nullptr, u"#|li_login|li|Office|a|20240101|D1"},
      {"demoted and moved", u"Update [User] Set [Rule]='b',[Part]='教务处'", nullptr,
       u"#|li_login|li|教务处|b|20240101|D1"},
      {"password changed", u"Update [User] Set [PassWord]='D2'"},
      {"no longer approved", u"Update [User] Set [ShenHe]=0"},
      {"deleted", u"Delete From [User]"},
      {"renamed", u"Update [User] Set [Name]='li2'"},
      {"login name changed", u"Update [User] Set [UserName]='li_other'"},
      {"a right that would shift the fields", u"Update [User] Set [Rule]='b|c'"},
      {"an ID that is no number", u"Update [User] Set [Times]=1", u"0 Or 1=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Execute(u"Delete From [User]");
    Execute(u"Insert Into [User] ([Name],[UserName],[Part],[PassWord],[Rule],[ShenHe],[Time]) Values "
            u"('li','li_login','Office','D1','a',-1,'20240101')");
    String id = Rows(u"Select [ID] From [User]");
    id.pop_back();
    const User user((c.id ? String(c.id) : id) + u"|li_login|li|Office|a|20240101|D1");
    auto page = NewPage(&user);
    Execute(c.change);
    const bool stands = qe::QeSessionFollowsAccount(page->session, conn_);
    EXPECT_EQ(stands, c.info_after != nullptr);
    String expected = c.info_after ? vb::Replace(c.info_after, u"#", id) : String();
    EXPECT_EQ(vb::CStr(page->SessionValue(u"UserInfo")), expected);
    EXPECT_EQ(page->context.SessionObject().State().Abandoned(), !stands);
  }
}

}  // namespace
}  // namespace office_test
