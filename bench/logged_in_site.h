#pragma once
// The default site mounted as drive C: (mounted_site.h), its databases made
// and seeded by a first request, and its administrator given a password and
// logged in: pages run in this process, without HTTP, in that session or in
// a new one.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "common/kesra_class_md5.h"
#include "host/desk_page.h"
#include "host/login_page.h"
#include "host/pages.h"
#include "host/start_page.h"
#include "mounted_site.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "shell/qe_application_data.h"

namespace bench_support {

struct LoggedInSite : MountedDefaultSite {
  LoggedInSite() {
    // The first request makes and seeds the databases.
    if (Request().find("<dl class=\"menu\">") == std::string::npos) std::abort();
    // The seeded administrator with a password (an empty one keeps the desk
    // closed), logged in: the session of the logged-in benchmarks.
    Run(u"/qe/index.asp", [](host::Page& page) {
      vb::Variant conn = com::Call(page.Server, u"CreateObject", vb::String(u"Adodb.Connection"));
      com::Call(conn, u"Open", com::Call(page.Application, u"", vb::String(qe::kPublicQeDataConnString)));
      com::Call(conn, u"Execute", vb::String(u"Update [User] Set [PassWord]='" + qe::Kesra_Class_Md5().KesraMd5(u"bench") +
                                             u"' Where [UserName]='tolva'"));
      com::Call(conn, u"Close");
    });
    asp::RequestSpec login = RequestFor(u"/qe/login.asp");
    login.method = u"POST";
    login.form = {{u"UserName", u"tolva"}, {u"PassWord", u"bench"}};
    login.headers = {{u"Host", u"localhost"}, {u"Referer", u"http://localhost/qe/login.asp"}};
    {
      asp::Context context(std::move(login));
      asp::ContextScope current(context);
      host::Page page{context.Request(), context.Response(), context.Server(), context.Session(),
                      context.Application()};
      host::LoginPage(page);
      context.Finish();
      token = context.SessionObject().State().Token();
    }
    const std::string desk = Run(u"/qe/main/desk.asp", &host::DeskPage, token);
    if (desk.find("id=\"user\"") == std::string::npos) {
      std::fprintf(stderr, "the desk did not open: %s\n", desk.c_str());
      std::abort();
    }
  }

  asp::RequestSpec RequestFor(const vb::String& url, const vb::String& session_token = {}) {
    asp::RequestSpec wanted;
    wanted.method = u"GET";
    wanted.url = url;
    wanted.site_root = root;
    wanted.sessions = sessions;
    wanted.session_token = session_token;
    wanted.application = application;
    return wanted;
  }

  // One request of the page at `url`, in the session of `session_token`
  // (none: a new one); the page's body.
  template <typename PageRun>
  std::string Run(const vb::String& url, PageRun run, const vb::String& session_token = {}) {
    return RunRequest(RequestFor(url, session_token), run);
  }

  // One request given as an asp::RequestSpec or an asp::Connection; the
  // page's body.
  template <typename Request, typename PageRun>
  std::string RunRequest(Request request, PageRun run) {
    asp::Context context(std::move(request));
    asp::ContextScope current(context);
    host::Page page{context.Request(), context.Response(), context.Server(), context.Session(),
                    context.Application()};
    run(page);
    context.Finish();
    return context.ResponseBody();
  }

  // One request without a session cookie; the page's body.
  std::string Request() { return Run(u"/qe/index.asp", &host::StartPage); }

  std::shared_ptr<asp::MemorySessionStore> sessions = std::make_shared<asp::MemorySessionStore>();
  std::shared_ptr<asp::ApplicationState> application = std::make_shared<asp::ApplicationState>();
  vb::String token;  // the logged-in session's
};

}  // namespace bench_support
