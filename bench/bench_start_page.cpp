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
#include "host/site_links.h"
#include "host/site_drive.h"
#include "host/start_page.h"
#include "platform/ado/providers.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/fs/paths.h"
#include "facade/qecls.h"
#include "logged_in_site.h"
#include "timing_reporter.h"

namespace {

constexpr int kThreads = 8;

using Site = bench_support::LoggedInSite;

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
