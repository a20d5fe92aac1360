#include "platform/asp/request.h"

#include <gtest/gtest.h>

#include "platform/asp/asp_test_support.h"

#include "platform/asp/asp_errors.h"
#include "platform/asp/context.h"
#include "platform/asp/server_variables.h"
#include "support/cut_off_body.h"

namespace asp {
namespace {

using testing::ErrorNumberOf;
using testing::Text;

TEST(RequestCollections, KeepOrderAndJoinRepeatedValues) {
  Context ctx(RequestSpec{.url = u"/qe/index.asp?b=2&A=1&b=3&c="});
  Variant query = com::Call(ctx.Request(), u"QueryString");
  EXPECT_EQ(Text(com::Call(query, u"Count")), u"3");
  EXPECT_EQ(Text(com::Call(query, u"Key", 1)), u"b");
  EXPECT_EQ(Text(com::Call(query, u"Key", 2)), u"A");
  EXPECT_EQ(Text(com::Call(query, u"", u"B")), u"2, 3");
  EXPECT_EQ(Text(com::Call(query, u"Item", u"a")), u"1");
  EXPECT_EQ(Text(com::Call(query, u"", 1)), u"2, 3");  // by position
  EXPECT_EQ(Text(com::Call(query, u"", u"c")), u"");
  EXPECT_EQ(ctx.RequestObject().QueryString().Keys(), (std::vector<String>{u"b", u"A", u"c"}));
  EXPECT_EQ(ctx.RequestObject().QueryString().Values(u"b"), (std::vector<String>{u"2", u"3"}));

  Variant absent = com::Call(ctx.Request(), u"QueryString", u"nothing");
  EXPECT_TRUE(absent.IsString());
  EXPECT_EQ(Text(absent), u"");
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(query, u"", 4); }), vb::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(query, u"Key", 0); }), vb::kSubscriptOutOfRange);
}

TEST(RequestCollections, WithoutArgumentsGiveTheRawText) {
  Context ctx(RequestSpec{.url = u"/qe/a.asp?a=1&b=x+y%21", .form = {{u"n", u"a b"}}});
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"QueryString")), u"a=1&b=x+y%21");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"QueryString", u"b")), u"x y!");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"Form")), u"n=a+b");
  Context plain(RequestSpec{.url = u"/qe/a.asp"});
  EXPECT_EQ(Text(com::Call(plain.Request(), u"QueryString")), u"");
  // Bytes that only UTF-8 reads read so in the whole text as in its values.
  Request utf8(RequestInfo{.target = "/qe/a.asp?q=\xE4\xB8\xAD"}, nullptr);
  EXPECT_EQ(utf8.QueryString().Item(u"q"), u"中");
  EXPECT_EQ(utf8.QueryString().Raw(), u"q=中");
}

TEST(RequestItem, SearchesTheCollectionsInOrder) {
  RequestSpec request_spec{.url = u"/p.asp?both=query",
                   .headers = {{u"Host", u"example.org"}},
                   .form = {{u"both", u"form"}, {u"formonly", u"f"}, {u"cookie", u"form wins"}},
                   .cookies = {{u"cookie", u"c"}, {u"cookieonly", u"c2"}, {u"SERVER_NAME", u"cookie wins"}}};
  Context ctx(std::move(request_spec));
  Variant request = ctx.Request();
  EXPECT_EQ(Text(com::Call(request, u"", u"both")), u"query");
  EXPECT_EQ(Text(com::Call(request, u"", u"FORMONLY")), u"f");
  EXPECT_EQ(Text(com::Call(request, u"", u"cookie")), u"form wins");
  EXPECT_EQ(Text(com::Call(request, u"", u"cookieonly")), u"c2");
  EXPECT_EQ(Text(com::Call(request, u"", u"server_name")), u"cookie wins");
  EXPECT_EQ(Text(com::Call(request, u"", u"http_host")), u"example.org");
  EXPECT_EQ(Text(com::Call(request, u"", u"missing")), u"");
}

TEST(RequestForm, DecodesOnlyFormBodies) {
  Context form(RequestSpec{.form = {{u"x", u"1 2"}, {u"y", u"a&b"}}});
  EXPECT_EQ(Text(com::Call(form.Request(), u"Form", u"x")), u"1 2");
  EXPECT_EQ(Text(com::Call(form.Request(), u"Form", u"y")), u"a&b");

  Context with_charset(RequestSpec{
      .headers = {{u"Content-Type", u"Application/X-WWW-Form-Urlencoded; charset=GB2312"}}, .body = "k=v"});
  EXPECT_EQ(Text(com::Call(with_charset.Request(), u"Form", u"k")), u"v");

  Context multipart(RequestSpec{.headers = {{u"Content-Type", u"multipart/form-data; boundary=zz"}},
                                .body = "k=v"});
  EXPECT_EQ(Text(com::Call(com::Call(multipart.Request(), u"Form"), u"Count")), u"0");
  // Looking at the form of an upload leaves its body to BinaryRead.
  EXPECT_EQ(multipart.RequestObject().BinaryRead(10), "k=v");
}

TEST(RequestForm, FormContentTypes) {
  struct Case {
    const char* type;
    bool form;
  };
  const Case cases[] = {{"application/x-www-form-urlencoded", true},
                        {"application/x-www-form-urlencoded;", true},
                        {" APPLICATION/X-WWW-FORM-URLENCODED ; charset=gbk", true},
                        {"application/x-www-form-urlencodedx", false},
                        {"multipart/form-data; boundary=x", false},
                        {"text/plain", false},
                        {"", false}};
  for (const auto& c : cases) EXPECT_EQ(IsFormContentType(c.type), c.form) << c.type;
}

TEST(RequestCookies, ValuesAndSubKeys) {
  Context ctx(RequestSpec{.cookies = {{u"plain", u"a%20b+c"},
                                      {u"KesraQe", u"UserName=%D5%C5t%C8%FD&PassWord=x%26y"},
                                      {u"plain", u"second"}}});
  Variant cookies = com::Call(ctx.Request(), u"Cookies");
  EXPECT_EQ(Text(com::Call(cookies, u"Count")), u"2");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"Cookies", u"PLAIN")), u"a b c, second");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"Cookies", u"KesraQe")), u"UserName=%D5%C5t%C8%FD&PassWord=x%26y");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"Cookies", u"KesraQe", u"username")), u"张t三");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"Cookies", u"KesraQe", u"PassWord")), u"x&y");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"Cookies", u"KesraQe", u"none")), u"");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"Cookies", u"none", u"none")), u"");
}

TEST(ServerVariables, AnswerTheIisNames) {
  RequestSpec request_spec{.url = u"/qe/main/list.asp?page=2&k=%41",
                   .headers = {{u"Host", u"school.example:8080"},
                               {u"Referer", u"http://school.example/qe/index.asp"},
                               {u"User-Agent", u"Mozilla/4.0 (compatible; MSIE 8.0)"},
                               {u"X-Forwarded-For", u"10.0.0.9"},
                               {u"Accept", u"text/html"},
                               {u"Accept", u"*/*"}},
                   .form = {{u"a", u"1"}},
                   .site_root = u"C:\\site\\",
                   .remote_addr = u"192.168.1.20",
                   .server_port = 8080};
  Context ctx(std::move(request_spec));
  auto var = [&](const char16_t* name) { return Text(com::Call(ctx.Request(), u"ServerVariables", name)); };
  EXPECT_EQ(var(u"REQUEST_METHOD"), u"POST");
  EXPECT_EQ(var(u"QUERY_STRING"), u"page=2&k=%41");
  EXPECT_EQ(var(u"Path_Info"), u"/qe/main/list.asp");
  EXPECT_EQ(var(u"SCRIPT_NAME"), u"/qe/main/list.asp");
  EXPECT_EQ(var(u"URL"), u"/qe/main/list.asp");
  EXPECT_EQ(var(u"server_name"), u"school.example");
  EXPECT_EQ(var(u"SERVER_PORT"), u"8080");
  EXPECT_EQ(var(u"SERVER_PROTOCOL"), u"HTTP/1.1");
  EXPECT_EQ(var(u"SERVER_SOFTWARE"), u"Microsoft-IIS/6.0");
  EXPECT_EQ(var(u"Remote_Addr"), u"192.168.1.20");
  EXPECT_EQ(var(u"REMOTE_HOST"), u"192.168.1.20");
  EXPECT_EQ(var(u"HTTPS"), u"off");
  EXPECT_EQ(var(u"CONTENT_TYPE"), u"application/x-www-form-urlencoded");
  EXPECT_EQ(var(u"HTTP_CONTENT_TYPE"), u"application/x-www-form-urlencoded");
  EXPECT_EQ(var(u"CONTENT_LENGTH"), u"3");
  EXPECT_EQ(var(u"http_referer"), u"http://school.example/qe/index.asp");
  EXPECT_EQ(var(u"HTTP_USER_AGENT"), u"Mozilla/4.0 (compatible; MSIE 8.0)");
  EXPECT_EQ(var(u"Http_X_Forwarded_For"), u"10.0.0.9");
  EXPECT_EQ(var(u"HTTP_HOST"), u"school.example:8080");
  EXPECT_EQ(var(u"HTTP_ACCEPT"), u"text/html, */*");
  EXPECT_EQ(var(u"APPL_PHYSICAL_PATH"), u"C:\\site\\");
  EXPECT_EQ(var(u"PATH_TRANSLATED"), u"C:\\site\\qe\\main\\list.asp");
  EXPECT_EQ(var(u"NO_SUCH_VARIABLE"), u"");
  String all_http = var(u"ALL_HTTP");
  EXPECT_NE(all_http.find(u"HTTP_X_FORWARDED_FOR:10.0.0.9\n"), String::npos);
  EXPECT_NE(all_http.find(u"HTTP_REFERER:http://school.example/qe/index.asp\n"), String::npos);
}

TEST(ServerVariables, DefaultsWithoutHeaders) {
  Context ctx(RequestSpec{.url = u"/x.asp", .page = u"/qe/index.asp", .https = true});
  RequestCollection& vars = ctx.RequestObject().ServerVariables();
  EXPECT_EQ(vars.Item(u"SERVER_NAME"), u"localhost");
  EXPECT_EQ(vars.Item(u"REQUEST_METHOD"), u"GET");
  EXPECT_EQ(vars.Item(u"CONTENT_LENGTH"), u"0");
  EXPECT_EQ(vars.Item(u"HTTPS"), u"on");
  EXPECT_EQ(vars.Item(u"PATH_INFO"), u"/qe/index.asp");
  EXPECT_EQ(vars.Item(u"HTTP_REFERER"), u"");
  EXPECT_EQ(HostName("[::1]:8080"), "[::1]");
  EXPECT_EQ(HostName("example.org"), "example.org");
}

// Hands out the body a few bytes at a time, as a network connection does.
class TrickleBody : public BodySource {
 public:
  explicit TrickleBody(std::string bytes) : bytes_(std::move(bytes)) {}
  uint64_t Length() const override { return bytes_.size(); }
  size_t Read(uint8_t* out, size_t max) override {
    size_t n = std::min<size_t>({max, 3, bytes_.size() - position_});
    std::copy_n(bytes_.data() + position_, n, out);
    position_ += n;
    return n;
  }

 private:
  std::string bytes_;
  size_t position_ = 0;
};

Context ContextWithBody(std::string body, uint64_t limit = kDefaultMaxBodyBytes,
                        const char* type = "application/octet-stream") {
  Connection c;
  c.request.method = "POST";
  c.request.headers = {{"Content-Type", type}};
  c.request.max_body_bytes = limit;
  c.body = std::make_unique<TrickleBody>(std::move(body));
  return Context(std::move(c));
}

TEST(BinaryRead, SetsTheCountByReferenceAndStreams) {
  Context ctx = ContextWithBody("0123456789");
  Variant request = ctx.Request();
  EXPECT_EQ(Text(com::Call(request, u"TotalBytes")), u"10");
  Variant count = int16_t{7};
  Variant bytes = com::Call(request, u"BinaryRead", count);
  ASSERT_TRUE(bytes.IsArray());
  const auto& first = bytes.As<vb::Array>().Bytes();
  EXPECT_EQ(std::string(first.begin(), first.end()), "0123456");
  EXPECT_EQ(count, Variant(int32_t{7}));

  count = 100;
  bytes = com::Call(request, u"BinaryRead", count);
  const auto& rest = bytes.As<vb::Array>().Bytes();
  EXPECT_EQ(std::string(rest.begin(), rest.end()), "789");
  EXPECT_EQ(count, Variant(int32_t{3}));

  count = 5;
  com::Call(request, u"BinaryRead", count);
  EXPECT_EQ(count, Variant(int32_t{0}));

  count = -1;
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(request, u"BinaryRead", count); }), vb::kInvalidProcedureCall);
  count = 1e300;
  com::Call(request, u"BinaryRead", count);
  EXPECT_EQ(count, Variant(int32_t{0}));
}

TEST(BinaryRead, IntoTheCallersBufferUntilTheBodyOrTheClientEnds) {
  Context ctx = ContextWithBody("0123456789");
  uint8_t buffer[16] = {};
  EXPECT_EQ(ctx.RequestObject().BinaryRead(buffer, 4), 4u);  // gathers the trickle
  EXPECT_EQ(ctx.RequestObject().BinaryRead(buffer + 4, sizeof buffer - 4), 6u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 10), "0123456789");
  EXPECT_EQ(ctx.RequestObject().BinaryRead(buffer, sizeof buffer), 0u);

  Connection c;
  c.request.method = "POST";
  c.body = std::make_unique<qe_test::CutOffBody>("abc", 100);
  Context gone(std::move(c));
  EXPECT_EQ(gone.RequestObject().TotalBytes(), 100u);
  EXPECT_EQ(gone.RequestObject().BinaryRead(buffer, sizeof buffer), 3u);
  EXPECT_EQ(gone.RequestObject().BinaryRead(buffer, sizeof buffer), 0u);
  EXPECT_EQ(gone.RequestObject().BinaryRead(50), "");
}

TEST(BinaryRead, RefusesABodyOverTheLimitBeforeReading) {
  Context ctx = ContextWithBody("0123456789", 9);
  try {
    ctx.RequestObject().BinaryRead(1);
    FAIL() << "expected a refusal";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), kAspFailure);
    EXPECT_NE(vb::ToUtf8(e.Description()).find("10 bytes"), std::string::npos);
    EXPECT_NE(vb::ToUtf8(e.Description()).find("limit of 9 bytes"), std::string::npos);
  }
  Context at_limit = ContextWithBody("0123456789", 10);
  EXPECT_EQ(at_limit.RequestObject().BinaryRead(20), "0123456789");

  Context form = ContextWithBody("a=1&b=2", 3, "application/x-www-form-urlencoded");
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(form.Request(), u"Form", u"a"); }), kAspFailure);
}

TEST(RequestForm, RefusesAFormPastItsOwnLimits) {
  struct Case {
    std::string body;
    uint64_t max_bytes, max_fields;
    bool read;
    uint64_t fields;
  };
  const std::vector<Case> cases = {
      {"a=1&b=2", 7, 2, true, 2},          // at both limits
      {"a=1&b=2", 6, 2, false, 2},         // a byte past
      {"a=1&b=2&c", 100, 2, false, 3},     // a field past
      {"a=1&&&b=2&", 100, 2, true, 2},     // empty pieces are no fields
  };
  for (const Case& c : cases) {
    // Counted as the server counts it while the body comes, a byte at a time.
    asp::FormFieldCount counted;
    for (char byte : c.body) counted.Add(std::string_view(&byte, 1));
    EXPECT_EQ(counted.Fields(), c.fields) << c.body;
    Connection connection;
    connection.request.method = "POST";
    connection.request.headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
    connection.request.max_form_bytes = c.max_bytes;
    connection.request.max_form_fields = c.max_fields;
    connection.body = std::make_unique<TrickleBody>(c.body);
    Context ctx(std::move(connection));
    if (c.read) EXPECT_EQ(Text(com::Call(ctx.Request(), u"Form", u"b")), u"2") << c.body;
    else EXPECT_EQ(ErrorNumberOf([&] { com::Call(ctx.Request(), u"Form", u"a"); }), kAspFailure) << c.body;
  }
}

TEST(BinaryRead, AndFormExcludeEachOther) {
  Context form_first(RequestSpec{.form = {{u"a", u"1"}}});
  EXPECT_EQ(Text(com::Call(form_first.Request(), u"Form", u"a")), u"1");
  try {
    form_first.RequestObject().BinaryRead(1);
    FAIL() << "expected ASP 0206";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), kAspFailure);
    EXPECT_EQ(e.Source(), u"Request object, ASP 0206");
  }

  Context read_first(RequestSpec{.url = u"/u.asp?id=7", .form = {{u"a", u"1"}}});
  Variant count = 2;
  com::Call(read_first.Request(), u"BinaryRead", count);
  try {
    com::Call(read_first.Request(), u"Form", u"a");
    FAIL() << "expected ASP 0207";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), kAspFailure);
    EXPECT_EQ(e.Source(), u"Request object, ASP 0207");
  }
  // The short form still finds the query string and passes over the form.
  EXPECT_EQ(Text(com::Call(read_first.Request(), u"", u"id")), u"7");
  EXPECT_EQ(Text(com::Call(read_first.Request(), u"", u"a")), u"");

  // Request(name) reads a form body, so BinaryRead after it is refused too.
  Context lookup_first(RequestSpec{.form = {{u"a", u"1"}}});
  com::Call(lookup_first.Request(), u"", u"zz");
  EXPECT_EQ(ErrorNumberOf([&] { lookup_first.RequestObject().BinaryRead(1); }), kAspFailure);
}

TEST(RequestLateBinding, MembersAndErrors) {
  Context ctx(RequestSpec{.headers = {{u"Referer", u"http://h/x"}}, .form = {{u"x", u"5"}}});
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"Form", u"x")), u"5");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"form", u"X")), u"5");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"ServerVariables", u"HTTP_REFERER")), u"http://h/x");
  EXPECT_EQ(Text(com::Call(ctx.Request(), u"Item", u"x")), u"5");
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(ctx.Request(), u"NoSuchMember"); }), vb::kMemberNotSupported);
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(ctx.Request(), u""); }), vb::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(ctx.Request(), u"", vb::Missing()); }), vb::kArgumentNotOptional);
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(ctx.Request(), u"Form", u"x", u"y", u"z"); }),
            vb::kWrongArgumentCount);
}

}  // namespace
}  // namespace asp
