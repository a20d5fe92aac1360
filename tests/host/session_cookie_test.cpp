#include "host/session_cookie.h"

#include <gtest/gtest.h>

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
}

TEST(SessionCookie, EachServerRunNamesItsOwn) {
  host::SessionCookie a, b;
  EXPECT_EQ(a.Name().size(), 20u);
  EXPECT_EQ(a.Name().rfind("ASPSESSIONID", 0), 0u);
  EXPECT_NE(a.Name(), b.Name());  // 26^8 names: equal by chance once in 2e11
  EXPECT_EQ(a.SetCookie("TOKEN"), a.Name() + "=TOKEN; path=/; HttpOnly; SameSite=Lax");
}

}  // namespace
