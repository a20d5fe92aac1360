#include "host/session_cookie.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

asp::RequestInfo WithHeaders(asp::HeaderList headers) {
  asp::RequestInfo request;
  request.headers = std::move(headers);
  return request;
}

TEST(SessionCookie, FindsItsTokenAmongTheCookies) {
  host::SessionCookie cookie("ASPSESSIONIDABCDEFGH");
  EXPECT_EQ(cookie.TokenIn(WithHeaders({{"Cookie", "ASPSESSIONIDABCDEFGH=TOKEN"}})), "TOKEN");
  EXPECT_EQ(cookie.TokenIn(WithHeaders({{"cookie", "a=1;  aspsessionidabcdefgh=TOKEN ; b=2"}})), "TOKEN");
  EXPECT_EQ(cookie.TokenIn(WithHeaders({{"Cookie", "a=1"}, {"Cookie", "ASPSESSIONIDABCDEFGH=SECOND"}})), "SECOND");
  EXPECT_EQ(cookie.TokenIn(WithHeaders({{"Cookie", "ASPSESSIONIDZZZZZZZZ=OTHER; XASPSESSIONIDABCDEFGH=NO"}})), "");
  EXPECT_EQ(cookie.TokenIn(WithHeaders({{"X-Cookie", "ASPSESSIONIDABCDEFGH=NO"}, {"Cookies", "ASPSESSIONIDABCDEFGH=NO"}})),
            "");
  EXPECT_EQ(cookie.TokenIn(WithHeaders({})), "");
  // The name twice (one set for a narrower path, from another port of the
  // host): neither is taken, whichever comes first.
  EXPECT_EQ(cookie.TokenIn(WithHeaders({{"Cookie", "ASPSESSIONIDABCDEFGH=EVE; ASPSESSIONIDABCDEFGH=BOB"}})), "");
  EXPECT_EQ(cookie.TokenIn(WithHeaders({{"Cookie", "ASPSESSIONIDABCDEFGH=BOB"}, {"Cookie", "aspsessionidabcdefgh=EVE"}})),
            "");
}

// The name twice: every path above the page but "/" loses it, so that the
// browser keeps only the site's own.
TEST(SessionCookie, ACookieRepeatedIsRemovedAboveThePage) {
  host::SessionCookie cookie("ASPSESSIONIDABCDEFGH");
  asp::RequestInfo request = WithHeaders({{"Cookie", "ASPSESSIONIDABCDEFGH=EVE; ASPSESSIONIDABCDEFGH=BOB"}});
  request.target = "/qe/main/desk.asp?a=1";
  const std::string gone = "; expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=0";
  EXPECT_EQ(cookie.ShadowRemovals(request),
            (std::vector<std::string>{"ASPSESSIONIDABCDEFGH=; path=/qe" + gone, "ASPSESSIONIDABCDEFGH=; path=/qe/" + gone,
                                      "ASPSESSIONIDABCDEFGH=; path=/qe/main" + gone,
                                      "ASPSESSIONIDABCDEFGH=; path=/qe/main/" + gone,
                                      "ASPSESSIONIDABCDEFGH=; path=/qe/main/desk.asp" + gone}));
  request.target = "/qe/a;domain=x.asp";
  EXPECT_TRUE(cookie.ShadowRemovals(request).empty());
  request = WithHeaders({{"Cookie", "ASPSESSIONIDABCDEFGH=BOB"}});
  request.target = "/qe/main/desk.asp";
  EXPECT_TRUE(cookie.ShadowRemovals(request).empty());
}

// Another spelling of the name reads as ours, and none is ours: each goes
// for "/" and every path above the page, whether ours comes with it (it is
// doubled) or not (a login renews the session and ours comes next).
TEST(SessionCookie, EveryOtherSpellingOfTheNameIsRemovedEverywhere) {
  host::SessionCookie cookie("ASPSESSIONIDABCDEFGH");
  const std::string gone = "; expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=0";
  auto at = [&](const std::string& name, std::initializer_list<const char*> paths) {
    std::vector<std::string> out;
    for (const char* path : paths) out.push_back(name + "=; path=" + path + gone);
    return out;
  };
  asp::RequestInfo request = WithHeaders({{"Cookie", "ASPSESSIONIDABCDEFGH=BOB; aspsessionidgoyijfnk=X; "
                                                     "aspsessionidabcdefgh=EVE"}});
  request.target = "/qe/main/desk.asp";
  std::vector<std::string> expected = at("aspsessionidabcdefgh", {"/", "/qe", "/qe/", "/qe/main", "/qe/main/",
                                                                  "/qe/main/desk.asp"});
  for (const std::string& ours : at("ASPSESSIONIDABCDEFGH", {"/qe", "/qe/", "/qe/main", "/qe/main/", "/qe/main/desk.asp"}))
    expected.push_back(ours);
  EXPECT_EQ(cookie.ShadowRemovals(request), expected);

  request = WithHeaders({{"Cookie", "AspSessionIdAbcdefgh=EVE"}, {"Cookie", "%41SPSESSIONIDABCDEFGH=EVE"}});
  request.target = "/qe/login.asp";
  expected = at("AspSessionIdAbcdefgh", {"/", "/qe", "/qe/", "/qe/login.asp"});
  for (const std::string& escaped : at("%41SPSESSIONIDABCDEFGH", {"/", "/qe", "/qe/", "/qe/login.asp"}))
    expected.push_back(escaped);
  for (const std::string& ours : at("ASPSESSIONIDABCDEFGH", {"/qe", "/qe/", "/qe/login.asp"})) expected.push_back(ours);
  EXPECT_EQ(cookie.ShadowRemovals(request), expected);
  request = WithHeaders({{"Cookie", "aspsessionidabcdefgh=EVE"}});
  request.target = "/";
  EXPECT_EQ(cookie.ShadowRemovals(request), at("aspsessionidabcdefgh", {"/"}));
}

TEST(SessionCookie, EachServerRunNamesItsOwn) {
  host::SessionCookie a, b;
  EXPECT_EQ(a.Name().size(), 20u);
  EXPECT_EQ(a.Name().rfind("ASPSESSIONID", 0), 0u);
  EXPECT_NE(a.Name(), b.Name());  // 26^8 names: equal by chance once in 2e11
  EXPECT_EQ(a.SetCookie("TOKEN"), a.Name() + "=TOKEN; path=/; HttpOnly; SameSite=Lax");
}

}  // namespace
