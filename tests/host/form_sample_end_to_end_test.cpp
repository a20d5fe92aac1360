// The form sample through `qe serve`, posted back as a browser posts the form
// it was shown: quotes, markup characters, Chinese and line breaks survive
// any number of saves byte for byte (rich text's escaped markup included), a
// check-box group stores its choices joined, and a post from elsewhere or
// from nobody logged in changes nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <string>
#include <vector>

#include "common/markup_encode.h"
#include "host/raw_http.h"
#include "host/serve_process.h"
#include "host/site_visitor.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "support/html_parse.h"
#include "support/temp_site.h"

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;  // UTF-8 names and values, in order

// A form value as a page in code page 936 posts it.
std::string FormEncode(const std::string& utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text::EncodeAnsi(vb::FromUtf8(utf8))) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.') {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

struct Answer {
  int status = 0;
  std::string head, body;  // body decoded to UTF-8
};

Answer Parse(const std::string& raw) {
  Answer answer;
  answer.status = host_test::StatusOf(raw);
  size_t end = raw.find("\r\n\r\n");
  if (end == std::string::npos) return answer;
  answer.head = raw.substr(0, end);
  std::string body = raw.substr(end + 4);
  if (answer.head.find("Transfer-Encoding: chunked") != std::string::npos) {
    std::string joined;
    for (size_t at = 0;;) {
      size_t line = body.find("\r\n", at);
      if (line == std::string::npos) break;
      size_t size = std::stoul(body.substr(at, line - at), nullptr, 16);
      if (size == 0) break;
      joined += body.substr(line + 2, size);
      at = line + 2 + size + 2;
    }
    body = joined;
  }
  answer.body = vb::ToUtf8(text::DecodeAnsi(body));
  return answer;
}

// What a browser posts for the form "myform" of a page: its controls'
// values, checked boxes only, the selected option, text areas with CR LF.
Fields Submission(const std::string& page) {
  Fields fields;
  const qe_test::ParsedHtml html(page);
  for (const auto& e : html.Elements()) {
    if (e.tag == "option") {
      if (!fields.empty() && (e.Has("selected") || fields.back().second.empty()))
        fields.back().second = e.Attribute("value");
      continue;
    }
    const std::string name = e.Attribute("name");
    if (name.empty() || name == "myform") continue;
    const std::string type = e.Attribute("type");
    if (e.tag == "input") {
      if (type == "submit") continue;
      if ((type == "checkbox" || type == "radio") && !e.Has("checked")) continue;
      fields.emplace_back(name, e.Has("value") ? e.Attribute("value") : std::string("on"));
    } else if (e.tag == "textarea") {
      std::string text;
      for (char c : e.text) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
      fields.emplace_back(name, text);
    } else if (e.tag == "select") {
      fields.emplace_back(name, "");
    }
  }
  return fields;
}

std::string Value(const Fields& fields, const std::string& name) {
  std::string out;
  for (const auto& [n, v] : fields)
    if (n == name) out += (out.empty() ? "" : ", ") + v;
  return out;
}

class FormSample : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = new qe_test::TempSite;
    server_ = new host_test::ServeProcess(site_->SiteFolder());
    // The form saves for a logged-in user with a password: the seeded
    // administrator, once he has set one.
    host_test::Visitor visitor(server_->Port());
    visitor.Post("/qe/login.asp", "UserName=tolva&PassWord=");
    visitor.Post("/qe/main/password.asp", "OldPassWord=&NewPassWord=pw&NewPassWord2=pw", "/qe/main/password.asp");
    cookie_ = CookieOf(visitor);
  }
  static std::string CookieOf(const host_test::Visitor& visitor) {
    std::string cookie;
    for (const auto& [name, value] : visitor.Cookies()) cookie += (cookie.empty() ? "" : "; ") + name + "=" + value;
    return cookie;
  }
  static void TearDownTestSuite() {
    delete server_;
    delete site_;
  }

  static std::string Origin() { return "http://127.0.0.1:" + std::to_string(server_->Port()); }

  static Answer Get() {
    return Parse(host_test::SendRaw(server_->Port(),
                                    "GET /qe/form_sample.asp HTTP/1.1\r\nHost: 127.0.0.1:" +
                                        std::to_string(server_->Port()) + "\r\nConnection: close\r\n\r\n"));
  }
  static Answer Post(const Fields& fields, const std::string& referer, bool logged_in = true) {
    return PostAs(logged_in ? cookie_ : std::string(), fields, referer);
  }
  static Answer PostAs(const std::string& cookie, const Fields& fields, const std::string& referer) {
    std::string body;
    for (const auto& [name, value] : fields) body += (body.empty() ? "" : "&") + FormEncode(name) + "=" + FormEncode(value);
    return Parse(host_test::SendRaw(
        server_->Port(), "POST /qe/form_sample.asp HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server_->Port()) +
                             "\r\nReferer: " + referer + (cookie.empty() ? std::string() : "\r\nCookie: " + cookie) +
                             "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body));
  }

  // The row as the database holds it.
  static std::map<std::string, std::string> StoredRow() {
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
    vb::Variant rs = com::Call(conn, u"Execute", vb::String(u"Select Top 1 * From FormSample Order By ID"));
    std::map<std::string, std::string> row;
    for (const char16_t* column : {u"Title", u"Day", u"Part", u"Active", u"Notes", u"Grades", u"Amount", u"Content"}) {
      vb::Variant value = com::ValueOf(com::Call(rs, u"", vb::String(column)));
      row[vb::ToUtf8(column)] = value.IsNull() ? "<null>" : vb::ToUtf8(vb::CStr(value));
    }
    com::Call(conn, u"Close");
    return row;
  }

  static qe_test::TempSite* site_;
  static host_test::ServeProcess* server_;
  static std::string cookie_;
};

std::string FormSample::cookie_;
qe_test::TempSite* FormSample::site_ = nullptr;
host_test::ServeProcess* FormSample::server_ = nullptr;

TEST_F(FormSample, ValuesSurviveSavesByteForByte) {
  Answer first = Get();
  ASSERT_EQ(first.status, 200) << first.head;
  Fields shown = Submission(first.body);
  EXPECT_EQ(Value(shown, "Title"), "表单示例");
  EXPECT_EQ(Value(shown, "Day"), "2024-01-05");
  EXPECT_EQ(Value(shown, "Part"), "网管中心");
  EXPECT_EQ(Value(shown, "Active"), "on");
  EXPECT_EQ(Value(shown, "Grades"), "a");
  EXPECT_EQ(Value(shown, "Content"), "<p>示例</p>");
  // The editor starts on the body field's own text area.
  int starts = 0;
  for (const auto& script : qe_test::ParsedHtml(first.body).WithTag("script"))
    if (script.text.rfind("qe.editor('Content',function(){", 0) == 0) ++starts;
  EXPECT_EQ(starts, 1);

  const std::string title = "O'Brien a < b & c \"quoted\" 中文";
  const std::string notes = "\r\nfirst line: O'Brien\r\na < b & c\r\n\"quoted\" </textarea><script>x()</script>\r\n中文\r\n";
  const std::string content = "<p>x &lt;y&gt; &amp; 中</p>";
  Fields typed = {{"Title", title}, {"Day", "2024-03-09"}, {"Part", "网管中心"}, {"Notes", notes},
                  {"Grades", "a"},  {"Grades", "c"},       {"Amount", "42"},      {"Content", content}};
  ASSERT_EQ(Post(typed, Origin() + "/qe/form_sample.asp").status, 302);
  const std::map<std::string, std::string> saved = StoredRow();
  EXPECT_EQ(saved.at("Title"), title);
  EXPECT_EQ(saved.at("Notes"), notes);
  EXPECT_EQ(saved.at("Grades"), "a, c");
  EXPECT_EQ(saved.at("Day"), "20240309");
  EXPECT_EQ(saved.at("Active"), "False");
  EXPECT_EQ(saved.at("Amount"), "42");
  EXPECT_EQ(saved.at("Content"), content);

  // Shown and posted back unchanged, again and again: nothing moves.
  for (int cycle = 0; cycle < 3; ++cycle) {
    Answer page = Get();
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(qe_test::ParsedHtml(page.body).WithTag("script").size(),
              qe_test::ParsedHtml(first.body).WithTag("script").size());
    Fields again = Submission(page.body);
    EXPECT_EQ(Value(again, "Title"), title);
    EXPECT_EQ(Value(again, "Grades"), "a, c");
    EXPECT_EQ(Value(again, "Content"), content) << "the editor's text area holds the HTML as text";
    ASSERT_EQ(Post(again, Origin() + "/qe/form_sample.asp").status, 302);
    EXPECT_EQ(StoredRow(), saved) << "cycle " << cycle;
  }
}

TEST_F(FormSample, APostFromElsewhereIsRefused) {
  ASSERT_EQ(Get().status, 200);
  const std::map<std::string, std::string> before = StoredRow();
  Answer refused = Post({{"Title", "外来"}}, "http://elsewhere.example/form.asp");
  EXPECT_EQ(refused.status, 200);
  EXPECT_NE(refused.body.find("您提交的数据不合法，请不要从外部提交数据。"), std::string::npos);
  EXPECT_EQ(StoredRow(), before);

  // Nobody logged in: sent to the login, nothing saved.
  Answer stranger = Post({{"Title", "外来"}}, Origin() + "/qe/form_sample.asp", false);
  EXPECT_EQ(stranger.status, 302);
  EXPECT_NE(stranger.head.find("Location: /qe/login.asp?"), std::string::npos) << stranger.head;
  EXPECT_EQ(StoredRow(), before);
}

// A save keeps what it did not post (the check boxes aside, which post
// nothing when cleared), and a value longer than its column is the form's
// own refusal, with nothing saved.
TEST_F(FormSample, ASaveKeepsWhatItLeavesOutAndRefusesWhatDoesNotFit) {
  ASSERT_EQ(Get().status, 200);
  ASSERT_EQ(Post({{"Title", "t"}, {"Day", "2024-02-03"}, {"Part", "p"}, {"Amount", "7"}, {"Content", "<p>c</p>"}},
                 Origin() + "/qe/form_sample.asp").status,
            302);
  ASSERT_EQ(Post({{"Title", "a"}, {"Notes", "b"}}, Origin() + "/qe/form_sample.asp").status, 302);
  std::map<std::string, std::string> row = StoredRow();
  EXPECT_EQ(row.at("Title"), "a");
  EXPECT_EQ(row.at("Notes"), "b");
  EXPECT_EQ(row.at("Day"), "20240203");
  EXPECT_EQ(row.at("Part"), "p");
  EXPECT_EQ(row.at("Amount"), "7");
  EXPECT_EQ(row.at("Content"), "<p>c</p>");

  Answer refused = Post({{"Title", "long"}, {"Day", std::string(5000, '9')}}, Origin() + "/qe/form_sample.asp");
  EXPECT_EQ(refused.status, 200) << refused.head;
  EXPECT_NE(refused.body.find("日期不能超过8个字符！"), std::string::npos) << refused.body;
  EXPECT_EQ(StoredRow(), row);
}

// What the body field stores, and what the page writes from it, acts for
// nobody who views it: the cleaner's list, on a save and on a row stored
// before it.
TEST_F(FormSample, TheBodyKeepsOnlyWhatAnEditorMakes) {
  ASSERT_EQ(Get().status, 200);
  const std::string loaders =
      "<p>a<iframe src=\"/qe/main/netdrivers_create_del.asp?p_Act=DelFolder&p_CurrentFolder=/&p_CurrentFile=work\">"
      "</iframe><link rel=prefetch href=/comm/logout.asp><meta http-equiv=refresh content=\"0;url=/comm/logout.asp\">"
      "<img src=\"/up/a.png\" onerror=\"alert(1)\"></p>";
  ASSERT_EQ(Post({{"Title", "t"}, {"Content", loaders}}, Origin() + "/qe/form_sample.asp").status, 302);
  EXPECT_EQ(StoredRow().at("Content"), "<p>a<img src=\"/up/a.png\"></p>");

  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
  com::Call(conn, u"Execute", u"Update FormSample Set Content='" + vb::FromUtf8(loaders) + u"'");
  com::Call(conn, u"Close");
  EXPECT_EQ(Value(Submission(Get().body), "Content"), "<p>a<img src=\"/up/a.png\"></p>");
}

// The body's reading is bounded in time: a text past the cleaner's limits
// (here its depth, which a browser's tree builder walks for each end tag
// that closes nothing) is refused with the page's own message, nothing of
// the save is stored, and a row that holds one already is shown as text.
TEST_F(FormSample, ABodyPastTheCleanersLimitsIsRefused) {
  ASSERT_EQ(Get().status, 200);
  ASSERT_EQ(Post({{"Title", "t"}, {"Content", "<p>kept</p>"}}, Origin() + "/qe/form_sample.asp").status, 302);
  const std::map<std::string, std::string> before = StoredRow();
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += "<div>";
  for (int i = 0; i < 3000; ++i) deep += "</dd>";
  Answer refused = Post({{"Title", "t2"}, {"Content", deep}}, Origin() + "/qe/form_sample.asp");
  EXPECT_EQ(refused.status, 200) << refused.head;
  EXPECT_NE(refused.body.find("内容的格式过于复杂，不能保存！"), std::string::npos) << refused.body;
  EXPECT_EQ(StoredRow(), before);

  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
  com::Call(conn, u"Execute", u"Update FormSample Set Content='" + vb::FromUtf8(deep) + u"'");
  com::Call(conn, u"Close");
  EXPECT_EQ(Value(Submission(Get().body), "Content"), vb::ToUtf8(qe::HtmlEncodeText(vb::FromUtf8(deep))));
}

// A save whose UPDATE changes no row (here a trigger skips it, as a row
// gone meanwhile would) is the page's own failure, not a success.
TEST_F(FormSample, ASaveThatChangesNoRowSaysSo) {
  ASSERT_EQ(Get().status, 200);
  const std::map<std::string, std::string> before = StoredRow();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((site_->SiteFolder() / "data" / "qe.asp").c_str(), &db), SQLITE_OK);
  sqlite3_busy_timeout(db, 10000);
  const auto run = [&](const char* sql) { ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; };
  run("Create Trigger keep_row Before Update On FormSample Begin Select Raise(Ignore); End");
  Answer answer = Post({{"Title", "不会保存"}}, Origin() + "/qe/form_sample.asp");
  run("Drop Trigger keep_row");
  sqlite3_close(db);
  EXPECT_EQ(answer.status, 200) << answer.head;
  EXPECT_NE(answer.body.find("保存失败：表单示例的记录已不存在"), std::string::npos) << answer.body;
  EXPECT_EQ(StoredRow(), before);
  // The same save with the row there is saved.
  EXPECT_EQ(Post({{"Title", "保存"}}, Origin() + "/qe/form_sample.asp").status, 302);
  EXPECT_EQ(StoredRow().at("Title"), "保存");
}

// A save goes through the site's login step: a session whose password is
// empty is sent to set one, and one whose account changed since stands for
// nobody. Neither saves.
TEST(FormSampleLogin, AnEmptyPasswordOrAStaleSessionSavesNothing) {
  qe_test::TempSite site;
  host_test::ServeProcess server(site.SiteFolder());
  host_test::Visitor stale(server.Port()), current(server.Port());
  ASSERT_EQ(stale.Post("/qe/login.asp", "UserName=tolva&PassWord=").status, 302);
  const std::string form = "Title=" + FormEncode("改了");
  auto save = [&](host_test::Visitor& visitor) {
    return visitor.Post("/qe/form_sample.asp", form, "/qe/form_sample.asp");
  };
  ASSERT_EQ(stale.Get("/qe/form_sample.asp").status, 200);
  host_test::PageAnswer empty = save(stale);
  EXPECT_EQ(empty.status, 302);
  EXPECT_EQ(empty.headers.find("Location")->second, "/qe/main/password.asp");

  ASSERT_EQ(current.Post("/qe/login.asp", "UserName=tolva&PassWord=").status, 302);
  ASSERT_EQ(current.Post("/qe/main/password.asp", "OldPassWord=&NewPassWord=pw&NewPassWord2=pw", "/qe/main/password.asp")
                .status,
            200);
  host_test::PageAnswer old = save(stale);
  EXPECT_EQ(old.status, 302);
  EXPECT_TRUE(old.headers.find("Location")->second.starts_with("/qe/login.asp?")) << old.headers.find("Location")->second;
  EXPECT_EQ(current.Get("/qe/form_sample.asp").body.find("改了"), std::string::npos);
  EXPECT_EQ(save(current).status, 302);
  EXPECT_NE(current.Get("/qe/form_sample.asp").body.find("改了"), std::string::npos);
}

}  // namespace
