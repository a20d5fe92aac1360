// The start page run in this process, without HTTP, by one thread and by
// several at once on one site (one Application, one session store): the
// time per page, and how much of the threads' number the throughput keeps.
// Then a logged-in user's start page and desk, against the check that their
// session still stands for its account (one read of the User row), timed
// alone in the same run.
// Requests that queue on a lock show here as a low share. Run it under
// `perf record -g` (a build with QE_FRAME_POINTERS=ON) for where the time goes.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "host/default_site.h"
#include "host/desk_page.h"
#include "host/login_page.h"
#include "host/site_links.h"
#include "host/site_drive.h"
#include "host/start_page.h"
#include "platform/ado/providers.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/fs/paths.h"
#include "shell/qe_application_data.h"
#include "common/kesra_class_md5.h"
#include "facade/qecls.h"
#include "mounted_site.h"
#include "timing_reporter.h"

namespace {

constexpr int kThreads = 8;

struct Site : bench_support::MountedDefaultSite {
  Site() {
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
    asp::Context context(RequestFor(url, session_token));
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

Site& site() {
  static Site s;
  return s;
}

void StartPage(benchmark::State& state) {
  Site& s = site();
  for (auto _ : state) {
    std::string body = s.Request();
    if (body.size() < 1000) state.SkipWithError("short page");
  }
}

void BM_StartPageOneThread(benchmark::State& state) { StartPage(state); }
BENCHMARK(BM_StartPageOneThread)->UseRealTime();

void BM_StartPageThreads(benchmark::State& state) { StartPage(state); }
BENCHMARK(BM_StartPageThreads)->Threads(kThreads)->UseRealTime();

// A page of the logged-in user; both pages name the user.
void LoggedInPage(benchmark::State& state, const char16_t* url, host::PageFunction run) {
  Site& s = site();
  for (auto _ : state)
    if (s.Run(url, run, s.token).find("id=\"user\"") == std::string::npos) state.SkipWithError("not logged in");
}
void BM_StartPageLoggedIn(benchmark::State& state) { LoggedInPage(state, u"/qe/index.asp", &host::StartPage); }
BENCHMARK(BM_StartPageLoggedIn)->UseRealTime();
void BM_DeskLoggedIn(benchmark::State& state) { LoggedInPage(state, u"/qe/main/desk.asp", &host::DeskPage); }
BENCHMARK(BM_DeskLoggedIn)->UseRealTime();

// What both pages spend on the check that the session still stands for its
// account.
void BM_AccountCheck(benchmark::State& state) {
  Site& s = site();
  for (auto _ : state) {
    bool stands = false;
    s.Run(u"/qe/index.asp", [&](host::Page& page) { stands = host::LoggedIn(page); }, s.token);
    if (!stands) state.SkipWithError("not logged in");
  }
}
BENCHMARK(BM_AccountCheck)->UseRealTime();

// A request that runs nothing, in the same session: what BM_AccountCheck
// spends besides the check.
void BM_EmptyRequest(benchmark::State& state) {
  Site& s = site();
  for (auto _ : state) s.Run(u"/qe/index.asp", [](host::Page&) {}, s.token);
}
BENCHMARK(BM_EmptyRequest)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  site();
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    double one = bench_support::SecondsOf(seconds, "BM_StartPageOneThread");
    double many = bench_support::SecondsOf(seconds, "BM_StartPageThreads");
    if (one > 0 && many > 0) {
      unsigned cores = std::thread::hardware_concurrency();
      std::printf("\nstart page, in process: %.0f pages/s on one thread, %.0f pages/s on %d threads (%u cores): "
                  "%.2fx one thread\n",
                  1 / one, 1 / many, kThreads, cores, one / many);
    }
    const double start = bench_support::SecondsOf(seconds, "BM_StartPageLoggedIn");
    const double desk = bench_support::SecondsOf(seconds, "BM_DeskLoggedIn");
    const double check =
        bench_support::SecondsOf(seconds, "BM_AccountCheck") - bench_support::SecondsOf(seconds, "BM_EmptyRequest");
    if (start <= 0 || desk <= 0 || check <= 0) return;
    std::printf("the account check: %.1f us; logged-in start page %.1f us, %.2fx without the check; "
                "desk %.1f us, %.2fx without it\n",
                check * 1e6, start * 1e6, start / (start - check), desk * 1e6, desk / (desk - check));
  });
}
