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

TEST(SessionCookie, EachServerRunNamesItsOwn) {
  host::SessionCookie a, b;
  EXPECT_EQ(a.Name().size(), 20u);
  EXPECT_EQ(a.Name().rfind("ASPSESSIONID", 0), 0u);
  EXPECT_NE(a.Name(), b.Name());  // 26^8 names: equal by chance once in 2e11
  EXPECT_EQ(a.SetCookie("TOKEN"), a.Name() + "=TOKEN; path=/; HttpOnly; SameSite=Lax");
}

}  // namespace
