// The head of a page's answer: the guard fields go with it unless the page
// set that field itself, in any letter case.
#include <gtest/gtest.h>

#include "host/http_answer.h"

namespace {

TEST(PageHead, CarriesEachGuardFieldThePageDidNotSetItself) {
  asp::ResponseHead head;
  head.status = u"200 OK";
  head.headers = {{u"Content-Type", u"text/html"}};
  EXPECT_EQ(host::PageHead(head).fields,
            "Content-Type: text/html\r\nX-Content-Type-Options: nosniff\r\nX-Frame-Options: SAMEORIGIN\r\n"
            "Content-Security-Policy: frame-ancestors 'self'\r\n");

  head.headers = {{u"x-frame-options", u"DENY"}, {u"Content-Security-Policy", u"frame-ancestors 'none'"}};
  EXPECT_EQ(host::PageHead(head).fields,
            "x-frame-options: DENY\r\nContent-Security-Policy: frame-ancestors 'none'\r\n"
            "X-Content-Type-Options: nosniff\r\n");
}

}  // namespace
