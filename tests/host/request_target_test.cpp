// Request targets that the server reads, and those it refuses.
#include "host/request_target.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RequestTarget, PathsAreDecodedAsUtf8ElseAsTheServersCodePage) {
  struct Case {
    std::string_view target;
    std::u16string path;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"/qe/index.asp", u"/qe/index.asp"},
           {"/", u"/"},
           {"/a%20b/c+d.htm", u"/a b/c+d.htm"},  // "+" is a plus in a path
           {"/%E6%B5%8B%E8%AF%95.htm", u"/测试.htm"},
           {"/%B2%E2%CA%D4.htm", u"/测试.htm"},
           {"/\xB2\xE2.htm", u"/测.htm"},
           {"/a..b/.c/c.", u"/a..b/.c/c."},
       }) {
    auto path = host::TargetVirtualPath(c.target);
    ASSERT_TRUE(path) << c.target;
    EXPECT_EQ(*path, c.path) << c.target;
  }
}

TEST(RequestTarget, PathsThatCannotBeReadPlainlyAreRefused) {
  for (std::string_view target : {
           "", "qe/index.asp", "*", "http://host/qe/index.asp",  // not from the site root
           "/%zz", "/a%4", "/a%",                                 // broken escapes
           "/a%00b", "/a%0Ab", "/a\tb", "/a%7F",                  // control characters
           "/a\\b", "/a%5Cb",                                     // the other separator
           "/%81", "/%81%20",                                     // a lead byte without its trail byte
           "/..", "/a/../b", "/a/./b", "/a/.../b", "/a/. ./b",    // names of only dots and blanks
       }) {
    EXPECT_FALSE(host::TargetVirtualPath(target)) << target;
  }
}

TEST(RequestTarget, QueriesMustBeCodePageTextOrUtf8WithWholeEscapesAndNoNul) {
  for (std::string_view query : {"", "a=1&b=x+y", "id=%D6%D0%CE%C4", "q=%3F", "a=%80", "x==&&", "a=%30%300", "a=%E6%A0%A1",
                                 "p_CurrentFile=%E6%88%90%E7%BB%A9%E8%A1%A8.xls"})
    EXPECT_TRUE(host::IsReadableQuery(query)) << query;
  for (std::string_view query : {"q=100%", "q=%G0", "a=%81", "a=%81&b=1", "a=\x81", "a=%FE%20", "a=%FF%E6%A0%A1", "k=a%00'",
                                 "a%00=1"})
    EXPECT_FALSE(host::IsReadableQuery(query)) << query;
}

// A cookie holding NUL is left out, as if the browser had not sent it; the
// others, and every other field, stay as they came.
TEST(RequestTarget, CookiesHoldingNulAreLeftOutAndTheOthersKept) {
  using Fields = asp::HeaderList;
  const std::string raw_nul("k=a\0b", 5);
  struct Case {
    Fields sent, kept;
  };
  const std::vector<Case> cases = {
      {{{"Cookie", "keyword=a%20b; x=%30; y=%2500"}, {"X-Other", "a%00"}},
       {{"Cookie", "keyword=a%20b; x=%30; y=%2500"}, {"X-Other", "a%00"}}},
      {{{"Cookie", "pref=%00"}, {"Host", "a"}}, {{"Host", "a"}}},
      {{{"Cookie", "pref=%00; ASPSESSIONIDABCDEFGH=TOKEN"}}, {{"Cookie", "ASPSESSIONIDABCDEFGH=TOKEN"}}},
      {{{"Cookie", "a=1; n%00me=2; b=%%00;c=3"}}, {{"Cookie", "a=1;c=3"}}},
      {{{"cookie", "a=1"}, {"COOKIE", raw_nul + "; s=2"}}, {{"cookie", "a=1"}, {"COOKIE", "s=2"}}},
  };
  for (const Case& c : cases) {
    Fields fields = c.sent;
    host::DropCookiesHoldingNul(fields);
    EXPECT_EQ(fields, c.kept) << c.sent.front().second;
  }
}

// A form's bytes come in pieces of any size: an escape split between
// them is found as one whole.
TEST(RequestTarget, AFormsNulIsFoundHoweverItsBytesArrive) {
  auto found = [](std::string_view form, size_t first, size_t second) {
    host::FormNulFinder finder;
    finder.Add(form.substr(0, first));
    finder.Add(form.substr(first, second - first));
    finder.Add(form.substr(second));
    return finder.Found();
  };
  for (std::string_view form : {std::string_view("a=%00"), std::string_view("a=b\0c", 5), std::string_view("x&%00=2")})
    for (size_t first = 0; first <= form.size(); ++first)
      for (size_t second = first; second <= form.size(); ++second)
        EXPECT_TRUE(found(form, first, second)) << form << " cut at " << first << " and " << second;
  for (std::string_view form : {"a=%0", "a=%2500", "a=%300&b=0"})
    for (size_t first = 0; first <= form.size(); ++first)
      EXPECT_FALSE(found(form, first, form.size())) << form << " cut at " << first;
}

}  // namespace
