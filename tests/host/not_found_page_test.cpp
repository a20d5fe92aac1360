// The server's 404 answer: a page of the site in its code page, ending with
// the way on, framed by its length; HEAD gets the same head and no page.
#include <gtest/gtest.h>

#include "host/not_found_page.h"
#include "platform/asp/text_codec.h"

namespace {

TEST(NotFoundAnswer, IsASitePageWithTheWayOnFramedByItsLength) {
  const std::u16string page =
      u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
      u"<title>404 Not Found - Qe校园网络办公系统【Qe开发组 版权所有】</title>\n"
      u"<link rel=\"stylesheet\" href=\"/qe/qe.css\">\n</head>\n<body>\n<h1>Qe校园网络办公系统【Qe开发组 版权所有】</h1>\n"
      u"<p class=\"notice\" id=\"not-found\">404 Not Found：您要打开的页面不存在。</p>\n"
      u"<p class=\"way-back\"><a href=\"/qe/main/desk.asp\">我的桌面</a> <a href=\"/qe/index.asp\">首页</a></p>\n"
      u"</body>\n</html>\n";
  const std::string bytes = asp::EncodeText(page);
  struct Case {
    bool close, head_only;
  } cases[] = {{false, false}, {true, false}, {false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "close " << c.close << ", head only " << c.head_only);
    EXPECT_EQ(host::NotFoundAnswer(c.close, c.head_only),
              "HTTP/1.1 404 Not Found\r\nContent-Type: text/html; charset=gb2312\r\nContent-Length: " +
                  std::to_string(bytes.size()) +
                  "\r\nX-Content-Type-Options: nosniff\r\nX-Frame-Options: SAMEORIGIN\r\n"
                  "Content-Security-Policy: frame-ancestors 'self'\r\n" +
                  (c.close ? "Connection: close\r\n" : "") + "\r\n" + (c.head_only ? "" : bytes));
  }
}

}  // namespace
