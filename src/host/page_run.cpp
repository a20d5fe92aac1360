#include "host/page_run.h"

#include <boost/beast/core/string.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/asp/asp_errors.h"
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
                      const vb::String& description, bool too_large = false) {
  std::fprintf(stderr, "qe serve: %s: error %d: %s\n", vb::ToUtf8(page_path).c_str(), number,
               vb::ToUtf8(description).c_str());
  if (response.Ended()) return;
  if (!response.HeadersSent()) {
    response.Clear();
    response.SetStatus(too_large ? u"413 Payload Too Large" : u"500 Internal Server Error");
  }
  response.Write(u"<font face=\"Arial\" size=2>\n<p>Qe run-time error '" + vb::FromUtf8(HexNumber(number)) +
                 u"'</p>\n<p>" + asp::HtmlEncode(description) + u"</p>\n<p>" + asp::HtmlEncode(page_path) +
                 u"</p>\n</font>\n");
}

void RunCatchingErrors(PageFunction run, Page& page, asp::Response& response, const vb::String& page_path) {
  try {
    run(page);
  } catch (const vb::Error& e) {
    ShowRunTimeError(response, page_path, e.Number(), e.Description(), asp::IsRequestTooLarge(e));
  } catch (const std::exception& e) {
    ShowRunTimeError(response, page_path, 0, vb::FromUtf8(e.what()));
  }
}

// The sink that hands the browser its session's cookie with the head: a new
// session's (or a renewed one's) once the page has used it by then. Only
// then does the store keep a new session.
class SessionCookieSink : public asp::ResponseSink {
 public:
  SessionCookieSink(std::shared_ptr<asp::ResponseSink> sink, SiteState& site, std::shared_ptr<asp::SessionState> session,
                    std::string sent_token, std::vector<std::string> removals)
      : sink_(std::move(sink)),
        site_(site),
        session_(std::move(session)),
        sent_token_(std::move(sent_token)),
        removals_(std::move(removals)) {}

  void SendHead(const asp::ResponseHead& head) override { sink_->SendHead(WithCookie(head)); }
  void SendBody(std::string_view bytes) override { sink_->SendBody(bytes); }
  void SendWhole(const asp::ResponseHead& head, std::string_view body) override {
    sink_->SendWhole(WithCookie(head), body);
  }
  void SendFileRange(int descriptor, uint64_t offset, uint64_t length) override {
    sink_->SendFileRange(descriptor, offset, length);
  }
  bool IsClientConnected() const override { return sink_->IsClientConnected(); }

 private:
  asp::ResponseHead WithCookie(const asp::ResponseHead& head) {
    asp::ResponseHead with_cookie = head;
    for (const std::string& removal : removals_) with_cookie.headers.emplace_back(u"Set-Cookie", vb::FromUtf8(removal));
    if (session_->Abandoned() || !session_->InUse()) return with_cookie;
    std::string token = vb::ToUtf8(session_->Token());
    if (token == sent_token_) return with_cookie;  // the browser has it
    site_.sessions->Keep(session_);
    token = vb::ToUtf8(session_->Token());  // a clash with a token kept meanwhile renames it
    with_cookie.headers.emplace_back(u"Set-Cookie", vb::FromUtf8(site_.cookie.SetCookie(token)));
    return with_cookie;
  }

  std::shared_ptr<asp::ResponseSink> sink_;
  SiteState& site_;
  std::shared_ptr<asp::SessionState> session_;
  const std::string sent_token_;
  const std::vector<std::string> removals_;
};

}  // namespace

bool RequestOfLoggedInUser(SiteState& site, const asp::HeaderList& fields) {
  asp::RequestInfo cookies;
  for (const auto& field : fields)
    if (boost::beast::iequals(field.first, "Cookie")) cookies.headers.push_back(field);
  const std::string token = site.cookie.TokenIn(cookies);
  if (token.empty()) return false;
  std::shared_ptr<asp::SessionState> session = site.sessions->Open(vb::FromUtf8(token));
  return session && session->HoldsNonEmpty(u"UserInfo");
}

void RunPage(PageFunction run, SiteState& site, asp::RequestInfo request, std::unique_ptr<asp::BodySource> body,
             std::shared_ptr<asp::ResponseSink> sink) {
  std::string token = site.cookie.TokenIn(request);
  std::shared_ptr<asp::SessionState> session = token.empty() ? nullptr : site.sessions->Open(vb::FromUtf8(token));
  if (!session) session = site.sessions->Begin();
  sink = std::make_shared<SessionCookieSink>(std::move(sink), site, session, token, site.cookie.ShadowRemovals(request));

  asp::Connection connection;
  vb::String page_path = asp::PagePath(request);
  connection.request = std::move(request);
  connection.body = std::move(body);
  connection.sink = std::move(sink);
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
  // What the page stored or removed decides how soon the session goes.
  if (!session->Abandoned()) site.sessions->Settle(session);
}

}  // namespace host
