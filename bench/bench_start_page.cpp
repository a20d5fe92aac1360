// The start page run in this process, without HTTP, by one thread and by
// several at once on one site (one Application, one session store): the
// time per page, and how much of the threads' number the throughput keeps.
// Requests that queue on a lock show here as a low share. Run it under
// `perf record -g` (a build with QE_FRAME_POINTERS=ON) for where the time goes.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "host/default_site.h"
#include "host/site_drive.h"
#include "host/start_page.h"
#include "platform/ado/providers.h"
#include "platform/asp/context.h"
#include "platform/fs/paths.h"
#include "facade/qecls.h"
#include "mounted_site.h"
#include "timing_reporter.h"

namespace {

constexpr int kThreads = 8;

struct Site : bench_support::MountedDefaultSite {
  Site() {
    // The first request makes and seeds the databases.
    if (Request().find("<dl class=\"menu\">") == std::string::npos) std::abort();
  }

  // One request without a session cookie; the page's body.
  std::string Request() {
    asp::RequestSpec wanted;
    wanted.method = u"GET";
    wanted.url = u"/qe/index.asp";
    wanted.site_root = root;
    wanted.sessions = sessions;
    wanted.application = application;
    asp::Context context(std::move(wanted));
    asp::ContextScope current(context);
    host::Page page{context.Request(), context.Response(), context.Server(), context.Session(),
                    context.Application()};
    host::StartPage(page);
    context.Finish();
    return context.ResponseBody();
  }

  std::shared_ptr<asp::MemorySessionStore> sessions = std::make_shared<asp::MemorySessionStore>();
  std::shared_ptr<asp::ApplicationState> application = std::make_shared<asp::ApplicationState>();
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

}  // namespace

int main(int argc, char** argv) {
  site();
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    double one = bench_support::SecondsOf(seconds, "BM_StartPageOneThread");
    double many = bench_support::SecondsOf(seconds, "BM_StartPageThreads");
    if (one <= 0 || many <= 0) return;
    unsigned cores = std::thread::hardware_concurrency();
    std::printf("\nstart page, in process: %.0f pages/s on one thread, %.0f pages/s on %d threads (%u cores): "
                "%.2fx one thread\n",
                1 / one, 1 / many, kThreads, cores, one / many);
  });
}
