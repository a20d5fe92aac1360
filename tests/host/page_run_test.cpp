// One page run: the session found by its cookie and kept only when used, the
// body read back from its spool, run-time errors, the ambient request.
#include "host/page_run.h"

#include <gtest/gtest.h>

#include "host/spool.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"

namespace {

using host::Page;

// What a page answered, as the sink received it.
struct PageAnswer {
  asp::ResponseHead head;
  std::string body;
};

asp::RequestInfo RequestFor(const std::string& cookie = "") {
  asp::RequestInfo request;
  request.target = "/qe/test.asp?x=1";
  request.site_root = u"C:\\";
  request.page = u"/qe/test.asp";
  if (!cookie.empty()) request.headers.emplace_back("Cookie", "other=1; " + cookie);
  return request;
}

std::string Header(const PageAnswer& answer, vb::StringView name) {
  for (const auto& [key, value] : answer.head.headers)
    if (vb::EqualsNoCase(key, name)) return vb::ToUtf8(value);
  return {};
}

std::string Body(const PageAnswer& answer) { return answer.body; }

void Write(Page& page, const vb::String& text) { com::Call(page.Response, u"Write", text); }

struct PageRunTest : ::testing::Test {
  host::SiteState site{std::make_shared<asp::MemorySessionStore>(), std::make_shared<asp::ApplicationState>(),
                       host::SessionCookie("ASPSESSIONIDTESTTEST")};
  asp::MemorySessionStore& Sessions() { return static_cast<asp::MemorySessionStore&>(*site.sessions); }

  PageAnswer Run(host::PageFunction page, asp::RequestInfo request, std::shared_ptr<host::Spool> body = nullptr) {
    auto sink = std::make_shared<asp::MemorySink>();
    host::RunPage(page, site, std::move(request), body ? std::make_unique<host::SpooledBody>(body) : nullptr, sink);
    return {sink->Head().value_or(asp::ResponseHead{}), sink->Body()};
  }
};

TEST_F(PageRunTest, ASessionIsKeptOnlyWhenThePageStoresInIt) {
  PageAnswer idle = Run(
      [](Page& page) { Write(page, u"[" + vb::CStr(com::Call(page.Session, u"", vb::String(u"absent"))) + u"]"); },
      RequestFor());
  EXPECT_EQ(Header(idle, u"Set-Cookie"), "");
  EXPECT_EQ(Sessions().Count(), 0u);

  auto store = [](Page& page) {
    vb::Variant seen = com::Call(page.Session, u"", vb::String(u"name"));
    Write(page, u"[" + vb::CStr(seen) + u"]");
    com::Let(page.Session, u"", vb::String(u"kept"), vb::String(u"name"));
  };
  PageAnswer first = Run(store, RequestFor());
  std::string set_cookie = Header(first, u"Set-Cookie");
  ASSERT_EQ(set_cookie.rfind("ASPSESSIONIDTESTTEST=", 0), 0u) << set_cookie;
  EXPECT_NE(set_cookie.find("; path=/; HttpOnly"), std::string::npos);
  EXPECT_EQ(Body(first), "[]");
  std::string cookie = set_cookie.substr(0, set_cookie.find(';'));

  PageAnswer second = Run(store, RequestFor(cookie));
  EXPECT_EQ(Body(second), "[kept]");
  EXPECT_EQ(Header(second, u"Set-Cookie"), "");  // the browser has it
  EXPECT_EQ(Sessions().Count(), 1u);

  // The cookie's name is the server's own: another run's cookie is no session.
  PageAnswer foreign = Run(store, RequestFor("ASPSESSIONIDOTHEROTH" + cookie.substr(cookie.find('='))));
  EXPECT_EQ(Body(foreign), "[]");

  // A page that hands on its SessionID keeps the session that id names.
  size_t before = Sessions().Count();
  PageAnswer id_read = Run([](Page& page) { Write(page, vb::CStr(com::Call(page.Session, u"SessionID"))); }, RequestFor());
  EXPECT_NE(Header(id_read, u"Set-Cookie"), "");
  EXPECT_EQ(Sessions().Count(), before + 1);
}

std::string CookieOf(const PageAnswer& answer) {
  std::string set_cookie = Header(answer, u"Set-Cookie");
  return set_cookie.substr(0, set_cookie.find(';'));
}

// The session's id and its value "name".
void ShowSession(Page& page) {
  Write(page, vb::CStr(com::Call(page.Session, u"SessionID")) + u"[" +
                  vb::CStr(com::Call(page.Session, u"", vb::String(u"name"))) + u"]");
}

TEST_F(PageRunTest, ARenewedSessionSendsItsNewCookieAndTheOldOneOpensNothing) {
  auto store = [](Page& page) { com::Let(page.Session, u"", vb::String(u"kept"), vb::String(u"name")); };
  auto show = &ShowSession;
  for (bool had_session : {true, false}) {
    SCOPED_TRACE(had_session);
    std::string planted = had_session ? CookieOf(Run(store, RequestFor())) : "";
    std::string before = Body(Run(show, RequestFor(planted)));
    PageAnswer renewed = Run(
        [](Page& page) {
          com::Let(page.Session, u"", vb::String(u"kept"), vb::String(u"name"));
          asp::CurrentContext()->RenewSession();
          ShowSession(page);
        },
        RequestFor(planted));
    std::string cookie = CookieOf(renewed);
    ASSERT_NE(cookie, "");
    EXPECT_NE(cookie, planted);
    EXPECT_NE(Body(renewed), before);  // a new SessionID
    EXPECT_EQ(Body(Run(show, RequestFor(cookie))), Body(renewed));
    if (had_session) EXPECT_EQ(Body(Run(show, RequestFor(planted))).find("[kept]"), std::string::npos);
  }
}

TEST_F(PageRunTest, AnAbandonedSessionIsGoneAfterItsRequest) {
  PageAnswer first = Run(
      [](Page& page) { com::Let(page.Session, u"", vb::String(u"kept"), vb::String(u"name")); }, RequestFor());
  std::string cookie = Header(first, u"Set-Cookie");
  cookie = cookie.substr(0, cookie.find(';'));

  PageAnswer abandoning = Run(
      [](Page& page) {
        com::Call(page.Session, u"Abandon");
        // Until the request ends, the session still answers.
        Write(page, vb::CStr(com::Call(page.Session, u"", vb::String(u"name"))));
      },
      RequestFor(cookie));
  EXPECT_EQ(Body(abandoning), "kept");
  EXPECT_EQ(Sessions().Count(), 0u);

  PageAnswer after = Run(
      [](Page& page) {
        Write(page, u"[" + vb::CStr(com::Call(page.Session, u"", vb::String(u"name"))) + u"]");
        com::Let(page.Session, u"", vb::String(u"again"), vb::String(u"name"));
      },
      RequestFor(cookie));
  EXPECT_EQ(Body(after), "[]");
  std::string next = Header(after, u"Set-Cookie");  // the next session, under a new id
  EXPECT_NE(next, "");
  EXPECT_NE(next.substr(0, next.find(';')), cookie);
}

TEST_F(PageRunTest, ARunTimeErrorStopsThePageWithAServerError) {
  PageAnswer failed = Run(
      [](Page& page) {
        Write(page, u"half a page");
        vb::Raise(vb::kTypeMismatch);
      },
      RequestFor());
  EXPECT_EQ(failed.head.status, u"500 Internal Server Error");
  std::string body = Body(failed);
  EXPECT_EQ(body.find("half a page"), std::string::npos);
  EXPECT_NE(body.find("'800a000d'"), std::string::npos);
  EXPECT_NE(body.find("Type mismatch"), std::string::npos);
  EXPECT_NE(body.find("/qe/test.asp"), std::string::npos);

  // A body past the server's limit, read: the request is too large, not the server at fault.
  asp::RequestInfo small = RequestFor();
  small.max_body_bytes = 3;
  auto body_of_four = std::make_shared<host::Spool>();
  body_of_four->Append("four");
  PageAnswer too_large = Run([](Page& page) { com::Call(page.Request, u"BinaryRead", 4); }, small, body_of_four);
  EXPECT_EQ(too_large.head.status, u"413 Payload Too Large");

  // Once part of the page is sent, the error follows it.
  PageAnswer flushed = Run(
      [](Page& page) {
        Write(page, u"sent <b>");
        com::Call(page.Response, u"Flush");
        vb::Raise(vb::kDivisionByZero, u"<odd> description");
      },
      RequestFor());
  EXPECT_EQ(flushed.head.status, u"200 OK");
  body = Body(flushed);
  EXPECT_EQ(body.rfind("sent <b>", 0), 0u);
  EXPECT_NE(body.find("'800a000b'"), std::string::npos);
  EXPECT_NE(body.find("&lt;odd&gt; description"), std::string::npos);
}

TEST_F(PageRunTest, ThePageReadsItsBodyAndItsRequestIsTheCurrentOne) {
  auto body = std::make_shared<host::Spool>();
  std::string sent;
  for (size_t i = 0; sent.size() < host::Spool::kMemoryLimit + 12345; ++i) sent += std::to_string(i) + ",";
  body->Append(sent);
  ASSERT_FALSE(body->InMemory());

  PageAnswer echoed = Run(
      [](Page& page) {
        asp::Context* current = asp::CurrentContext();
        if (!current || current->Request().GetObject() != page.Request.GetObject()) return;
        asp::Request& request = current->RequestObject();
        asp::Response& response = current->ResponseObject();
        response.Write(vb::FromUtf8(std::to_string(request.TotalBytes()) + ":"));
        for (std::string piece; !(piece = request.BinaryRead(70000)).empty();) response.BinaryWrite(piece);
      },
      RequestFor(), body);
  EXPECT_EQ(Body(echoed), std::to_string(sent.size()) + ":" + sent);
  EXPECT_EQ(asp::CurrentContext(), nullptr);  // only for the length of the request
}

}  // namespace
