#include "host/page_run.h"

#include <cstdio>

#include "host/spooled_exchange.h"
#include "platform/asp/context.h"
#include "platform/asp/url_encoding.h"
#include "platform/vb/error.h"

namespace host {
namespace {

std::string HexNumber(int32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", 0x800a0000u | (static_cast<uint32_t>(number) & 0xFFFF));
  return text;
}

// The page stops where the error came up; what it wrote stays when it was
// already sent, as the web server shows a script error after the output.
void ShowRunTimeError(asp::Response& response, const vb::String& page_path, int32_t number,
                      const vb::String& description) {
  std::fprintf(stderr, "qe serve: %s: error %d: %s\n", vb::ToUtf8(page_path).c_str(), number,
               vb::ToUtf8(description).c_str());
  if (response.Ended()) return;
  if (!response.HeadersSent()) {
    response.Clear();
    response.SetStatus(u"500 Internal Server Error");
  }
  response.Write(u"<font face=\"Arial\" size=2>\n<p>Qe run-time error '" + vb::FromUtf8(HexNumber(number)) +
                 u"'</p>\n<p>" + asp::HtmlEncode(description) + u"</p>\n<p>" + asp::HtmlEncode(page_path) +
                 u"</p>\n</font>\n");
}

void RunCatchingErrors(PageFunction run, Page& page, asp::Response& response, const vb::String& page_path) {
  try {
    run(page);
  } catch (const vb::Error& e) {
    ShowRunTimeError(response, page_path, e.Number(), e.Description());
  } catch (const std::exception& e) {
    ShowRunTimeError(response, page_path, 0, vb::FromUtf8(e.what()));
  }
}

}  // namespace

PageAnswer RunPage(PageFunction run, SiteState& site, asp::RequestInfo request, std::shared_ptr<const Spool> body) {
  std::string token = site.cookie.TokenIn(request);
  std::shared_ptr<asp::SessionState> session = token.empty() ? nullptr : site.sessions->Open(vb::FromUtf8(token));
  const bool new_session = !session;
  if (new_session) session = site.sessions->Create();

  auto sink = std::make_shared<SpooledResponse>();
  asp::Connection connection;
  vb::String page_path = asp::PagePath(request);
  connection.request = std::move(request);
  if (body) connection.body = std::make_unique<SpooledBody>(std::move(body));
  connection.sink = sink;
  connection.sessions = site.sessions;
  connection.session = session;
  connection.application = site.application;
  {
    asp::Context context(std::move(connection));
    asp::ContextScope current(context);
    Page page{context.Request(), context.Response(), context.Server(), context.Session(), context.Application()};
    RunCatchingErrors(run, page, context.ResponseObject(), page_path);
    context.Finish();
  }

  PageAnswer answer{sink->Head().value_or(asp::ResponseHead{u"200 OK", {}}), sink->Body()};
  if (new_session) {
    if (session->Abandoned() || session->Keys().empty()) site.sessions->Remove(session->Token());
    else answer.head.headers.emplace_back(u"Set-Cookie", vb::FromUtf8(site.cookie.SetCookie(vb::ToUtf8(session->Token()))));
  }
  return answer;
}

}  // namespace host
