#include "host/not_found_page.h"

#include "host/http_answer.h"
#include "host/site_links.h"
#include "platform/asp/text_codec.h"

namespace host {

std::string NotFoundAnswer(bool close, bool head_only) {
  // No Session is read here: the way on offers the desk, which sends a
  // visitor who is not logged in to the login.
  const std::string page =
      asp::EncodeText(PageOpening(u"404 Not Found") +
                      u"<p class=\"notice\" id=\"not-found\">404 Not Found：您要打开的页面不存在。</p>\n" + kPageClosing);
  std::string answer = "HTTP/1.1 404 " + std::string(ReasonPhrase(404)) +
                       "\r\nContent-Type: text/html; charset=gb2312\r\nContent-Length: " + std::to_string(page.size()) +
                       "\r\n" + std::string(GuardFields());
  if (close) answer += "Connection: close\r\n";
  answer += "\r\n";
  if (!head_only) answer += page;
  return answer;
}

}  // namespace host
