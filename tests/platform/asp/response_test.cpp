#include "platform/asp/response.h"

#include <gtest/gtest.h>

#include "platform/asp/asp_test_support.h"

#include <cstdlib>
#include <functional>
#include <ctime>

#include "platform/asp/asp_errors.h"
#include "platform/asp/context.h"
#include "platform/vb/datetime.h"

namespace asp {
namespace {

using testing::ErrorNumberOf;
using testing::Text;

std::optional<String> SentHeader(const Context& ctx, StringView name) {
  if (!ctx.Sent()->Head()) return std::nullopt;
  for (const auto& [key, value] : ctx.Sent()->Head()->headers)
    if (vb::EqualsNoCase(key, name)) return value;
  return std::nullopt;
}

TEST(ResponseEnd, DropsLaterOutputAndKeepsTheFlag) {
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  com::Call(response, u"Write", u"before ");
  EXPECT_FALSE(ResponseEnded(response));
  com::Call(response, u"End");
  com::Call(response, u"Write", u"after");
  com::Call(response, u"AddHeader", u"X-Late", u"1");
  com::Let(response, u"ContentType", u"text/plain");
  com::Call(response, u"Clear");
  com::Call(response, u"End");
  EXPECT_TRUE(ResponseEnded(response));
  EXPECT_TRUE(ctx.ResponseObject().Ended());
  ctx.Finish();
  EXPECT_EQ(ctx.ResponseBody(), "before ");
  EXPECT_FALSE(SentHeader(ctx, u"X-Late"));
  EXPECT_EQ(SentHeader(ctx, u"Content-Type"), u"text/html");
}

TEST(ResponseEnded, IsFalseForAnythingButAnEndedResponse) {
  Context ctx(RequestSpec{});
  EXPECT_FALSE(ResponseEnded(Variant()));
  EXPECT_FALSE(ResponseEnded(Variant::Nothing()));
  EXPECT_FALSE(ResponseEnded(Variant(u"Response")));
  ctx.ResponseObject().End();
  EXPECT_FALSE(ResponseEnded(ctx.Request()));
  EXPECT_TRUE(ResponseEnded(ctx.Response()));
}

TEST(ResponseRedirect, Sends302WithLocationAndEnds) {
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  com::Call(response, u"Write", u"dropped by the redirect");
  com::Call(response, u"Redirect", u"/qe/login.asp?a=1&b=\"2\"");
  com::Call(response, u"Write", u"dropped after it");
  EXPECT_TRUE(ResponseEnded(response));
  ctx.Finish();
  ASSERT_TRUE(ctx.Sent()->Head());
  EXPECT_EQ(ctx.Sent()->Head()->status, u"302 Object moved");
  EXPECT_EQ(SentHeader(ctx, u"Location"), u"/qe/login.asp?a=1&b=\"2\"");
  std::string body = ctx.ResponseBody();
  EXPECT_EQ(body.find("dropped"), std::string::npos);
  EXPECT_NE(body.find("<a HREF=\"/qe/login.asp?a=1&amp;b=&quot;2&quot;\">here</a>"), std::string::npos);
}

TEST(ResponseHeaders, CharsetIsAppendedToTheContentType) {
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  EXPECT_EQ(ctx.ResponseObject().Header(u"content-type"), u"text/html");
  com::Let(response, u"ContentType", u"application/vnd.ms-excel");
  com::Let(response, u"Charset", u"GB2312");
  EXPECT_EQ(ctx.ResponseObject().Header(u"Content-Type"), u"application/vnd.ms-excel; charset=GB2312");
  EXPECT_EQ(vb::CStr(com::Call(response, u"ContentType")), u"application/vnd.ms-excel");
  com::Call(response, u"AddHeader", u"Content-Disposition", u"attachment;  FileName=a b.txt");
  com::Call(response, u"AddHeader", u"X-Twice", u"1");
  com::Call(response, u"AddHeader", u"X-Twice", u"2");
  com::Let(response, u"CacheControl", u"no-cache");
  com::Let(response, u"Status", u"404 Not Found");
  ctx.Finish();
  const ResponseHead& head = *ctx.Sent()->Head();
  EXPECT_EQ(head.status, u"404 Not Found");
  TextHeaderList expected = {{u"Content-Type", u"application/vnd.ms-excel; charset=GB2312"},
                             {u"Cache-Control", u"no-cache"},
                             {u"Content-Disposition", u"attachment;  FileName=a b.txt"},
                             {u"X-Twice", u"1"},
                             {u"X-Twice", u"2"}};
  EXPECT_EQ(head.headers, expected);
}

TEST(ResponseHeaders, StatusNeedsAThreeDigitCode) {
  Context ctx(RequestSpec{});
  for (const char16_t* bad : {u"", u"OK", u"20 OK", u"2000 OK", u"20x OK"})
    EXPECT_EQ(ErrorNumberOf([&] { com::Let(ctx.Response(), u"Status", bad); }), vb::kInvalidProcedureCall)
        << vb::ToUtf8(bad);
  com::Let(ctx.Response(), u"Status", u"500");
  EXPECT_EQ(ctx.ResponseObject().Status(), u"500");
}

TEST(ResponseHeaders, ChangesAfterTheFirstFlushRaise) {
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  com::Call(response, u"Write", u"part one");
  com::Call(response, u"Flush");
  EXPECT_TRUE(ctx.ResponseObject().HeadersSent());
  EXPECT_EQ(ctx.Sent()->Body(), "part one");
  const std::function<void()> changes[] = {
      [&] { com::Call(response, u"AddHeader", u"X-A", u"1"); },
      [&] { com::Let(response, u"ContentType", u"text/plain"); },
      [&] { com::Let(response, u"Charset", u"utf-8"); },
      [&] { com::Let(response, u"Status", u"404 Not Found"); },
      [&] { com::Let(response, u"Expires", 0); },
      [&] { com::Let(response, u"CacheControl", u"no-cache"); },
      [&] { com::Let(response, u"Cookies", u"v", u"c"); },
      [&] { com::Call(response, u"Redirect", u"/x"); },
  };
  for (const auto& change : changes) EXPECT_EQ(ErrorNumberOf(change), kAspFailure);
  // Body output goes on.
  com::Call(response, u"Write", u" and two");
  com::Call(response, u"Clear");
  com::Call(response, u"Write", u" and three");
  ctx.Finish();
  EXPECT_EQ(ctx.Sent()->Body(), "part one and three");
  EXPECT_FALSE(ctx.ResponseObject().Ended());
}

TEST(ResponseBuffer, OffSendsEachWriteAndRefusesClearAndFlush) {
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  com::Let(response, u"Buffer", false);
  com::Call(response, u"Write", u"a");
  EXPECT_TRUE(ctx.ResponseObject().HeadersSent());
  EXPECT_EQ(ctx.Sent()->Body(), "a");
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(response, u"Clear"); }), kAspFailure);
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(response, u"Flush"); }), kAspFailure);
  EXPECT_EQ(ErrorNumberOf([&] { com::Let(response, u"Buffer", true); }), kAspFailure);
}

TEST(ResponseOutput, WriteEncodesAndBinaryWriteKeepsBytes) {
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  com::Call(response, u"Write", u"\u00e9\u4e2d\u00ff");  // code page 936: the last is "?"
  com::Call(response, u"Write", Variant::Null());
  com::Call(response, u"Write", 12);
  com::Call(response, u"BinaryWrite", vb::Array::OfBytes({0x00, 0xFF, 0x41}));
  com::Call(response, u"BinaryWrite", u"AB");  // a VB string's bytes
  EXPECT_EQ(ctx.ResponseBody(), std::string("\xA8\xA6\xD6\xD0?12\x00\xFF\x41" "A\0B\0", 14));
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(response, u"BinaryWrite", 5); }), vb::kTypeMismatch);
  com::Call(response, u"Clear");
  EXPECT_EQ(ctx.ResponseBody(), "");
}

TEST(ResponseExpiry, ExpiresHeaders) {
  setenv("TZ", "UTC", 1);
  tzset();
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  com::Let(response, u"ExpiresAbsolute", vb::DateFromParts({2024, 3, 12, 8, 5, 9}));
  EXPECT_EQ(ctx.ResponseObject().Header(u"Expires"), u"Tue, 12 Mar 2024 08:05:09 GMT");
  com::Let(response, u"Expires", -1);
  std::time_t now = std::time(nullptr);
  String header = *ctx.ResponseObject().Header(u"Expires");
  std::tm parts{};
  ASSERT_TRUE(strptime(vb::ToUtf8(header).c_str(), "%a, %d %b %Y %H:%M:%S GMT", &parts));
  EXPECT_LT(timegm(&parts), now);
  EXPECT_EQ(com::Call(response, u"Expires"), Variant(int32_t{-1}));
}

TEST(ResponseCookies, SetCookieWithKeysAndAttributes) {
  setenv("TZ", "UTC", 1);
  tzset();
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  Variant cookie = com::Call(response, u"Cookies", u"KesraQe");
  com::Let(cookie, u"Path", u"/");
  com::Let(cookie, u"", u"a b&c", u"UserName");  // Cookies("KesraQe")("UserName") = ...
  com::Let(response, u"Cookies", u"p=1", u"KesraQe", u"PassWord");
  com::Let(cookie, u"Expires", vb::DateFromParts({2030, 1, 2, 3, 4, 5}));
  EXPECT_EQ(vb::CStr(com::Call(cookie, u"HasKeys")), u"True");
  EXPECT_EQ(vb::CStr(com::Call(response, u"Cookies", u"kesraqe", u"username")), u"a b&c");

  com::Let(response, u"Cookies", u"plain value", u"Other");
  Variant other = com::Call(response, u"Cookies", u"Other");
  com::Let(other, u"Domain", u"example.org");
  com::Let(other, u"Secure", true);

  Variant cleared = com::Call(response, u"Cookies", u"Cleared");
  com::Let(cleared, u"", u"x", u"key");
  com::Let(cleared, u"", u"");  // a value drops the keys
  EXPECT_EQ(vb::CStr(com::Call(cleared, u"HasKeys")), u"False");

  EXPECT_EQ(vb::CStr(com::Call(com::Call(response, u"Cookies"), u"Count")), u"3");
  TextHeaderList headers = ctx.ResponseObject().Headers();
  std::vector<String> set_cookies;
  for (const auto& [name, value] : headers)
    if (name == u"Set-Cookie") set_cookies.push_back(value);
  EXPECT_EQ(set_cookies,
            (std::vector<String>{
                u"KesraQe=UserName=a+b%26c&PassWord=p%3D1; expires=Wed, 02-Jan-2030 03:04:05 GMT; path=/",
                u"Other=plain+value; domain=example.org; path=/; secure",
                u"Cleared=; path=/"}));
}

TEST(ResponseCookies, HttpOnlyAndSameSiteCloseTheLine) {
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  Variant cookie = com::Call(response, u"Cookies", u"Login");
  com::Let(cookie, u"", u"v");
  com::Let(cookie, u"Secure", true);
  com::Let(cookie, u"HttpOnly", true);
  com::Let(cookie, u"SameSite", u"lax");  // written as the attribute names it
  EXPECT_EQ(com::Call(cookie, u"HttpOnly"), Variant(true));
  EXPECT_EQ(com::Call(cookie, u"SameSite"), Variant(u"Lax"));
  for (const char16_t* bad : {u"Loose", u"Lax; Domain=evil.org"}) {
    try {
      com::Let(cookie, u"SameSite", bad);
      ADD_FAILURE() << "accepted " << vb::ToUtf8(bad);
    } catch (const vb::Error& e) {
      EXPECT_EQ(e.Number(), vb::kInvalidProcedureCall);
    }
  }
  Variant plain = com::Call(response, u"Cookies", u"Plain");
  com::Let(plain, u"", u"p");
  com::Let(plain, u"SameSite", u"Strict");
  com::Let(plain, u"SameSite", u"");  // none again
  std::vector<String> set_cookies;
  for (const auto& [name, value] : ctx.ResponseObject().Headers())
    if (name == u"Set-Cookie") set_cookies.push_back(value);
  EXPECT_EQ(set_cookies, (std::vector<String>{u"Login=v; path=/; secure; HttpOnly; SameSite=Lax", u"Plain=p; path=/"}));
}

TEST(ResponseClient, ConnectionStateComesFromTheSink) {
  auto sink = std::make_shared<MemorySink>();
  Connection c;
  c.sink = sink;
  Context ctx(std::move(c));
  EXPECT_EQ(com::Call(ctx.Response(), u"IsClientConnected"), Variant(true));
  sink->SetClientConnected(false);
  EXPECT_EQ(com::Call(ctx.Response(), u"IsClientConnected"), Variant(false));
}

TEST(ResponseLateBinding, UnknownMembersAndLog) {
  Context ctx(RequestSpec{});
  com::Call(ctx.Response(), u"write", u"hi");
  com::Call(ctx.Response(), u"AppendToLog", u"note");
  EXPECT_EQ(ctx.ResponseBody(), "hi");
  EXPECT_EQ(ctx.ResponseObject().Log(), std::vector<String>{u"note"});
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(ctx.Response(), u"WriteLine", u"x"); }), vb::kMemberNotSupported);
}

TEST(ResponseHeaderLines, ALineEndInAnyHeaderTextRaises5AndChangesNothing) {
  Context ctx(RequestSpec{});
  Variant response = ctx.Response();
  Variant cookie = com::Call(response, u"Cookies", u"kept");
  const std::vector<std::pair<const char*, std::function<void(const String&)>>> settings = {
      {"AddHeader name", [&](const String& v) { com::Call(response, u"AddHeader", u"X" + v, u"1"); }},
      {"AddHeader value", [&](const String& v) { com::Call(response, u"AddHeader", u"X-A", v); }},
      {"Redirect", [&](const String& v) { com::Call(response, u"Redirect", u"/a.asp" + v); }},
      {"ContentType", [&](const String& v) { com::Let(response, u"ContentType", u"text/plain" + v); }},
      {"Charset", [&](const String& v) { com::Let(response, u"Charset", u"gb2312" + v); }},
      {"CacheControl", [&](const String& v) { com::Let(response, u"CacheControl", u"no-cache" + v); }},
      {"Status", [&](const String& v) { com::Let(response, u"Status", u"200 OK" + v); }},
      {"cookie name", [&](const String& v) { com::Let(response, u"Cookies", u"x", u"c" + v); }},
      {"cookie value", [&](const String& v) { com::Let(response, u"Cookies", u"a" + v, u"kept"); }},
      {"cookie key", [&](const String& v) { com::Let(response, u"Cookies", u"1", u"kept", u"k" + v); }},
      {"cookie path", [&](const String& v) { com::Let(cookie, u"Path", u"/" + v); }},
      {"cookie domain", [&](const String& v) { com::Let(cookie, u"Domain", u"a.org" + v); }},
  };
  for (const auto& setting : settings) {
    const char* what = setting.first;
    const auto& set = setting.second;
    for (const String& end : {String(u"\r\nSet-Cookie: x=1"), String(u"\n"), String(u"\r")}) {
      EXPECT_EQ(ErrorNumberOf([&] { set(end); }), vb::kInvalidProcedureCall) << what;
    }
    EXPECT_EQ(ErrorNumberOf([&] { set(u""); }), 0) << what;
  }
  for (const auto& [name, value] : ctx.ResponseObject().Headers()) {
    EXPECT_EQ(name.find_first_of(u"\r\n"), String::npos);
    EXPECT_EQ(value.find_first_of(u"\r\n"), String::npos) << vb::ToUtf8(value);
  }
}

}  // namespace
}  // namespace asp
