// The UBB converters on 1 MB posts, against one global replace of a simple
// tag pattern over the same post by the same regular-expression layer, in
// the same run: an ordinary post that uses every tag (within 60 times the
// reference for CommUBBCode, about one pass per step; within 100 for
// CommUBBCode1 with its HTML checks), and hostile posts that made the rules'
// patterns backtrack for minutes (within 3 times the ordinary post).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <string>

#include "editors/kesra_ubb_code.h"
#include "editors/kesra_ubb_code1.h"
#include "platform/regex/regexp.h"
#include "timing_reporter.h"

namespace {

constexpr size_t kPostUnits = 1u << 20;

vb::String Repeated(vb::StringView piece) {
  vb::String out;
  while (out.size() < kPostUnits) out += piece;
  out.resize(kPostUnits);
  return out;
}

// Every tag of both converters, Chinese text, addresses and line breaks.
vb::String OrdinaryPost() {
  return Repeated(
      u"这是一段普通的文字，[b]加粗[/b]、[i]斜体[/i]、[u]下划线[/u]，[color=red]红色[/color]和[face=宋体]宋体[/face]。\r\n"
      u"[size=3]大小[/size] [center]居中[/center] [align=center]对齐[/align] [fly]飞[/fly] [move]移动[/move]\r\n"
      u"[glow=255,red,2]光晕[/glow][shadow=255,blue,1]阴影[/shadow] [quote]引用的文字[/quote]\r\n"
      u"[url]http://www.example.com/a.htm[/url] [url=http://www.example.com/]链接[/url] "
      u"[email]a@example.com[/email] [email=a@example.com]信箱[/email] 见 http://www.example.com/x?y=1 和 "
      u"ftp://ftp.example.com/f.zip 。\r\n[img]http://www.example.com/p.gif[/img][img=0,0]../comm_ubb/qpic/1/2.asp[/img]"
      u"[flash]m.swf[/flash][flash=300,200]m.swf[/flash][mp=480,350]v.wmv[/mp][rm=480,350]v.rm[/rm]"
      u"[qt=480,350]v.mov[/qt][dir=480,350]v.dcr[/dir][upload=jpg]/up/b.jpg[/upload][upload=rar]/up/b.rar[/upload]"
      u"[em12][html]<b>x</b>[/html][code]a < b[/code]\r\n[list][*]一[/*][*]二[/*][/list][list=1][*]三[/*][/list]\r\n\r\n"
      u"<p>作者自己的 <a href=\"http://www.example.com/\">HTML</a>，<img src=\"p.gif\" title=\"图\"></p>\r\n");
}

struct Hostile {
  const char* name;
  vb::String text;
};

std::vector<Hostile> HostilePosts() {
  const vb::String digits(kPostUnits - 40, u'1');
  return {
      {"glow parameters", u"[/glow][glow=" + digits + u".]x"},
      {"sized picture parameters", u"[/img][img=" + digits + u".]x"},
      {"quote run on one line", u"[/quote]\n" + Repeated(u"[quote]")},
      {"item pairs", Repeated(u"[*][/*]") + u"[/list]"},
      {"smiley starts", Repeated(u"[em")},
      {"link starts", u"[/url]" + Repeated(u"[url=") + u"][/url]"},
      {"link starts, closed later", Repeated(u"[url=") + u"]x[y[/url]"},
      {"colour brackets", u"[color=" + Repeated(u"]") + u"[x[y[/color]"},
      {"mail at signs", u"[email]" + Repeated(u"@") + u"[x[/email]"},
      {"mail parameter at signs", u"[email=" + Repeated(u"@]") + u"[x[/email]"},
      {"addresses", Repeated(u"http://") + u" x"},
      {"tags", Repeated(u"<b title=x onclick=y>")},
  };
}

const vb::String& Post() {
  static const vb::String post = OrdinaryPost();
  return post;
}

void BM_SimpleTagReplace(benchmark::State& state) {
  regex::RegExp re;
  re.Pattern(u"(\\[b\\])(.[^\\[]*)(\\[\\/b\\])");
  re.IgnoreCase(true);
  re.Global(true);
  for (auto _ : state) benchmark::DoNotOptimize(re.Replace(Post(), u"<b>$2</b>"));
}

void BM_UbbCode(benchmark::State& state) {
  for (auto _ : state) {
    vb::String text = Post();
    benchmark::DoNotOptimize(qe::KesraUBBCode(text));
  }
}

void BM_UbbCode1(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(qe::KesraUBBCode1(Post()));
}

// The slowest of the hostile posts through both converters.
void BM_WorstHostileUbbCode(benchmark::State& state) {
  static const std::vector<Hostile> posts = HostilePosts();
  for (auto _ : state)
    for (const Hostile& post : posts) {
      vb::String text = post.text;
      benchmark::DoNotOptimize(qe::KesraUBBCode(text));
    }
}

void BM_WorstHostileUbbCode1(benchmark::State& state) {
  static const std::vector<Hostile> posts = HostilePosts();
  for (auto _ : state)
    for (const Hostile& post : posts) benchmark::DoNotOptimize(qe::KesraUBBCode1(post.text));
}

BENCHMARK(BM_SimpleTagReplace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UbbCode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UbbCode1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstHostileUbbCode)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WorstHostileUbbCode1)->Unit(benchmark::kMillisecond)->Iterations(1);

// Each hostile post on its own, for the summary's worst case.
double TimeOf(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void PrintSummary(const bench_support::Seconds& seconds) {
  const double reference = bench_support::SecondsOf(seconds, "BM_SimpleTagReplace");
  const double ubb = bench_support::SecondsOf(seconds, "BM_UbbCode");
  const double ubb1 = bench_support::SecondsOf(seconds, "BM_UbbCode1");
  if (reference <= 0 || ubb <= 0 || ubb1 <= 0) return;
  std::printf("1 MB post: simple tag replace %.1f ms; CommUBBCode %.1f ms (%.1fx), CommUBBCode1 %.1f ms (%.1fx)\n",
              reference * 1e3, ubb * 1e3, ubb / reference, ubb1 * 1e3, ubb1 / reference);
  double worst = 0, worst1 = 0;
  const char *worst_name = "", *worst1_name = "";
  for (const Hostile& post : HostilePosts()) {
    const double t = TimeOf([&] {
      vb::String text = post.text;
      qe::KesraUBBCode(text);
    });
    const double t1 = TimeOf([&] { qe::KesraUBBCode1(post.text); });
    std::printf("  hostile %-28s CommUBBCode %7.1f ms (%.2fx the post)  CommUBBCode1 %7.1f ms (%.2fx)\n", post.name,
                t * 1e3, t / ubb, t1 * 1e3, t1 / ubb1);
    if (t > worst) worst = t, worst_name = post.name;
    if (t1 > worst1) worst1 = t1, worst1_name = post.name;
  }
  std::printf("worst hostile post: CommUBBCode %.2fx the ordinary post (%s), CommUBBCode1 %.2fx (%s)\n", worst / ubb,
              worst_name, worst1 / ubb1, worst1_name);
}

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithSummary(argc, argv, PrintSummary); }
