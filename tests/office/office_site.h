#pragma once
// A temporary site whose main database is made from the schema, with an
// article table of the pages' own, and requests into it from a logged-in
// user (or from nobody), for the tests of the office procedures.
#include <memory>
#include <utility>
#include <vector>

#include "platform/ado/ado_fixture.h"
#include "platform/asp/context.h"
#include "platform/asp/text_codec.h"
#include "shell/qe_main_database.h"

namespace office_test {

using ado_test::String;
using ado_test::StringView;
using ado_test::Variant;

inline constexpr char16_t kMainFile[] = u"C:\\site\\data\\qe.asp";

// The article table that the tests' pages keep: every stamp and right column.
inline constexpr char16_t kArticleTable[] =
    u"Create Table [Article] ([ID] Counter Primary Key, [Title] Text(100), [UserName] Text(50), [Part] Text(50), "
    u"[Ip] Text(50), [DateAndTime] Text(14), [LastInfo] Text(255), [LastReviewInfo] Text(255), [Readers] Memo, "
    u"[IsShare] YesNo, [GetPart] Text(50))";

// The Session values of a logged-in user: UserInfo of seven fields, and the
// quotas and module managers when given.
struct User {
  User(String info = u"7|li_login|li|Office|b|20240101|secret", String sizes = u"100|100|2|100|100",
       String managers = {})
      : info(std::move(info)), sizes(std::move(sizes)), managers(std::move(managers)) {}
  String info, sizes, managers;
};

inline std::vector<std::pair<String, Variant>> SessionOf(const User& user) {
  std::vector<std::pair<String, Variant>> values = {{u"UserInfo", Variant(user.info)},
                                                    {u"UserInfoSize", Variant(user.sizes)}};
  if (!user.managers.empty()) values.emplace_back(u"manager", Variant(user.managers));
  return values;
}

// One request, its objects as the variables that procedures take by reference.
struct Page {
  explicit Page(asp::RequestSpec request_spec)
      : context(std::move(request_spec)),
        request(context.Request()),
        response(context.Response()),
        server(context.Server()),
        session(context.Session()) {}
  bool Ended() const { return asp::ResponseEnded(response); }
  String Body() const { return asp::DecodeText(context.ResponseBody()); }
  // The error page's message (after "对不起，"), "" when there is none.
  String Refusal() const {
    String body = Body();
    auto at = body.find(u"对不起，");
    if (at == String::npos) return {};
    at += 4;
    return body.substr(at, body.find(u"</ul>", at) - at);
  }
  Variant SessionValue(const char16_t* name) const { return com::ValueOf(com::Call(session, u"", String(name))); }

  asp::Context context;
  Variant request, response, server, session;
};

class OfficeSiteTest : public ado_test::AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    site_.MakeFolder("site/data");
    qe::CreateMainDatabaseFromSchema(kMainFile);
    conn_ = Open(ado_test::Jet(kMainFile));
  }
  void TearDown() override {
    if (conn_.IsObject() && Long(conn_, u"State") == 1) com::Call(conn_, u"Close");
    AdoTest::TearDown();
  }

  // A request of `user` (nobody when null) with the given address, form and
  // headers, in a new session.
  std::unique_ptr<Page> NewPage(const User* user, String url = u"/qe/main/page.asp", asp::NameValueList form = {},
                                std::vector<std::pair<String, String>> headers = {}) {
    asp::RequestSpec wanted = RequestOf(std::move(url), std::move(form), std::move(headers));
    if (user) wanted.session = SessionOf(*user);
    return std::make_unique<Page>(std::move(wanted));
  }
  // The next request of the visitor of `before`, in the same session.
  std::unique_ptr<Page> NextPage(const Page& before, String url = u"/qe/main/page.asp",
                                 asp::NameValueList form = {}) {
    asp::RequestSpec wanted = RequestOf(std::move(url), std::move(form), {});
    wanted.session_token = const_cast<Page&>(before).context.SessionObject().State().Token();
    return std::make_unique<Page>(std::move(wanted));
  }

  void Execute(StringView sql) { com::Call(conn_, u"Execute", String(sql)); }
  void MakeArticles() { Execute(kArticleTable); }

  // The rows of a query, "a,b;" each (Null as "").
  String Rows(StringView sql) {
    Variant rs = Query(conn_, sql);
    if (Bool(rs, u"EOF")) return {};
    return vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u","), String(u";"), String(u"")));
  }

  // An open recordset of one article, updatable.
  Variant Article(int32_t id) {
    return Query(conn_, u"Select * From [Article] Where [ID]=" + vb::CStr(Variant(id)), 1, 3);
  }

  asp::RequestSpec RequestOf(String url, asp::NameValueList form, std::vector<std::pair<String, String>> headers) {
    asp::RequestSpec wanted;
    wanted.url = std::move(url);
    wanted.form = std::move(form);
    wanted.headers = std::move(headers);
    wanted.remote_addr = u"10.0.0.9";
    wanted.sessions = sessions_;
    return wanted;
  }

  std::shared_ptr<asp::SessionStore> sessions_ = std::make_shared<asp::MemorySessionStore>();
  Variant conn_;
};

}  // namespace office_test
