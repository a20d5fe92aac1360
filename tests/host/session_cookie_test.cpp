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

// What a head refused for its size carried, read from its bytes as far as
// they came: only names a Set-Cookie field can carry back, each once, none
// cut short; the domains its Host names.
TEST(SessionCookie, AHeadCutShortCarriesTheNamesItHolds) {
  struct Case {
    const char* what;
    std::string head;
    host::CarriedCookies carried;
  };
  const std::string kGet = "GET /qe/main/desk.asp?a=/b HTTP/1.1\r\n";
  const std::vector<Case> cases = {
      {"cut inside a value", kGet + "Host: 127.0.0.1:8080\r\nCookie: a=1; b=2; c=33", {"/qe/main/desk.asp", {}, {"a", "b", "c"}}},
      {"cut inside a name", kGet + "Host: [::1]:80\r\nCookie: a=1;  b =2; long_na", {"/qe/main/desk.asp", {}, {"a", "b"}}},
      {"fields past the head's end", kGet + "Host: localhost\r\nCookie: a=1\r\n\r\nCookie: b=2",
       {"/qe/main/desk.asp", {}, {"a"}}},
      {"two fields, names twice and in another case", kGet + "cookie: a=1; A=2\r\nCOOKIE: a=3; x=\r\nX-Cookie: y=1\r\n",
       {"/qe/main/desk.asp", {}, {"a", "A", "x"}}},
      {"no name, control bytes", kGet + "Cookie: novalue; =v; a\x01b=1; \xe5\x90\x8d=2; c=\x01\r\n",
       {"/qe/main/desk.asp", {}, {"\xe5\x90\x8d", "c"}}},
      {"a named host", kGet + "Host: Office.School.edu:8080\r\nCookie: a=1\r\n",
       {"/qe/main/desk.asp", {"office.school.edu", "school.edu"}, {"a"}}},
      {"a Host cut short", kGet + "Cookie: a=1\r\nHost: office.sch", {"/qe/main/desk.asp", {}, {"a"}}},
      {"the absolute form", "GET http://a/b HTTP/1.1\r\nCookie: a=1\r\n", {"", {}, {"a"}}},
  };
  for (const Case& c : cases) {
    const host::CarriedCookies carried = host::ReadCarriedCookies(c.head);
    EXPECT_EQ(carried.path, c.carried.path) << c.what;
    EXPECT_EQ(carried.domains, c.carried.domains) << c.what;
    EXPECT_EQ(carried.names, c.carried.names) << c.what;
  }
  std::string many = kGet + "Cookie: ";
  for (int i = 0; i < 1000; ++i) many += "n" + std::to_string(i) + "=; ";
  EXPECT_EQ(host::ReadCarriedCookies(many).names.size(), host::kMaxCarriedCookies);
}

// The answer to such a head removes each name for "/" and every path above
// the target's, for the host alone and each of its domains: ours last, and
// never where we set it; within its room, in the order they came.
TEST(SessionCookie, TheCookiesAHeadTooLargeCarriedAreRemovedOursLast) {
  host::SessionCookie cookie("ASPSESSIONIDABCDEFGH");
  const std::string gone = "; expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=0";
  auto at = [&](const std::string& name, std::initializer_list<const char*> paths, const std::string& domain = "") {
    std::vector<std::string> out;
    for (const char* path : paths) out.push_back(name + "=; path=" + path + (domain.empty() ? "" : "; domain=" + domain) + gone);
    return out;
  };
  auto join = [](std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  const auto kDeskPaths = {"/", "/qe", "/qe/", "/qe/main", "/qe/main/", "/qe/main/desk.asp"};
  const auto kAbove = {"/qe", "/qe/", "/qe/main", "/qe/main/", "/qe/main/desk.asp"};
  host::CarriedCookies carried{"/qe/main/desk.asp", {}, {"ASPSESSIONIDABCDEFGH", "big", "aspsessionidabcdefgh"}};
  EXPECT_EQ(cookie.CarriedRemovals(carried),
            join({at("big", kDeskPaths), at("aspsessionidabcdefgh", kDeskPaths), at("ASPSESSIONIDABCDEFGH", kAbove)}));

  carried = {"/", {"school.edu"}, {"big", "ASPSESSIONIDABCDEFGH"}};
  EXPECT_EQ(cookie.CarriedRemovals(carried),
            join({at("big", {"/"}), at("big", {"/"}, "school.edu"), at("ASPSESSIONIDABCDEFGH", {"/"}, "school.edu")}));
  carried.path = "/qe;x";  // a path that could end the attribute
  EXPECT_EQ(cookie.CarriedRemovals(carried),
            join({at("big", {"/"}), at("big", {"/"}, "school.edu"), at("ASPSESSIONIDABCDEFGH", {"/"}, "school.edu")}));

  // Within the room: whole fields, the first names first; a deep path costs
  // no more than the room.
  carried = {"/qe/main/desk.asp", {}, {"a", "b", "ASPSESSIONIDABCDEFGH"}};
  const std::vector<std::string> fit = join({at("a", kDeskPaths), at("b", {"/", "/qe"})});
  size_t room = 0;
  for (const std::string& removal : fit) room += removal.size() + 14;  // "Set-Cookie: " and the line's end
  EXPECT_EQ(cookie.CarriedRemovals(carried, room), fit);
  EXPECT_EQ(cookie.CarriedRemovals(carried, room + 14 + at("b", {"/qe/"})[0].size() - 1), fit);
  carried.path.clear();
  for (int i = 0; i < 4000; ++i) carried.path += "/a";
  size_t bytes = 0;
  for (const std::string& removal : cookie.CarriedRemovals(carried, 64 * 1024)) bytes += removal.size() + 14;
  EXPECT_LE(bytes, 64u * 1024);
  EXPECT_GT(bytes, 60u * 1024);
}

TEST(SessionCookie, EachServerRunNamesItsOwn) {
  host::SessionCookie a, b;
  EXPECT_EQ(a.Name().size(), 20u);
  EXPECT_EQ(a.Name().rfind("ASPSESSIONID", 0), 0u);
  EXPECT_NE(a.Name(), b.Name());  // 26^8 names: equal by chance once in 2e11
  EXPECT_EQ(a.SetCookie("TOKEN"), a.Name() + "=TOKEN; path=/; HttpOnly; SameSite=Lax");
}

}  // namespace
