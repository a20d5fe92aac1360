// What storing and showing rich text costs the form sample's page, run in
// this process: a save (the form posted by the logged-in user: the cleaner
// reads the body, the row is written) and a view (the page shows the stored
// body in its editor), for texts that make a browser's tree builder walk its
// open elements again and again, each beside a plain text of the same size
// saved and viewed the same way, in one run. The summary gives each as a
// multiple of its plain text.
//
// The texts: the attacks on the cleaner (nested blocks then end tags that
// close nothing, 1.9 MB and 1.5 MB; formatting left open, each with its own
// title; table cells of b copies that differ in their last attribute; text
// under a b 250 deep), the worst the cleaner still reads (as many tags as it
// takes, each meeting as many open elements, or making as many, as it
// allows; formatting compared with its copies, adopted past blocks or looked
// for before text as far as it allows), an editor's long document, and
// paragraphs and a table written in capitals as old editors wrote them. A view shows the text as it was stored before the
// cleaner existed, so that it is read again (a row the cleaner saved is known
// as written and not read again).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/sql_literal.h"
#include "host/form_sample_page.h"
#include "logged_in_site.h"
#include "platform/asp/body_source.h"
#include "platform/text/ansi.h"
#include "timing_reporter.h"

namespace {

using vb::String;

constexpr char16_t kRefused[] = u"的格式过于复杂，不能保存！";

String Repeated(vb::StringView piece, size_t times) {
  String out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// Table cells of b tags alike but for their title (`title` characters): each
// b is compared, attribute by attribute, with those before it in its cell.
String CellsOfBCopies(int cells, int copies, int attributes, size_t title) {
  String names;
  for (int i = 0; i < attributes; ++i) names += u" a" + vb::FromUtf8(std::to_string(i));
  String out = u"<table><tr>";
  for (int cell = 0; cell < cells; ++cell) {
    out += u"<td>";
    for (int copy = 0; copy < copies; ++copy) {
      std::string value = "CELL_" + std::to_string(cell) + "_" + std::to_string(copy) + "_";
      value.resize(title, 'x');
      out += u"<b" + names + u" title=" + vb::FromUtf8(value) + u">";
    }
  }
  return out + u"</table>";
}

// Table cells of formatting of every kind, 4 of each, with 8 blocks above:
// each end tag moves its element past the blocks (the next one of the same
// name takes out its copy), each followed by a break whose title is long
// enough to keep the text within the limits.
String FormattingAdoptedPastBlocks(int cells) {
  constexpr const char16_t* kKinds[] = {u"b",      u"i",      u"u",    u"s",    u"em",   u"tt",   u"big",
                                        u"small",  u"strong", u"strike", u"code", u"font", u"nobr", u"a"};
  const String pause = u"<wbr title=" + String(180, u'x') + u">";
  String out = u"<table><tr>";
  for (int cell = 0; cell < cells; ++cell) {
    out += u"<td>";
    for (int copy = 0; copy < 4; ++copy)
      for (const char16_t* kind : kKinds) out += String(u"<") + kind + u" t=" + vb::FromUtf8(std::to_string(copy)) + u">";
    out += Repeated(u"<div>", 8);
    for (int copy = 0; copy < 4; ++copy)
      for (const char16_t* kind : kKinds) out += Repeated(String(u"</") + kind + u">" + pause, 2);
  }
  return out + u"</table>";
}

String Numbered(vb::StringView before, vb::StringView after, size_t times) {
  String out;
  for (size_t i = 0; i < times; ++i) {
    out += before;
    out += vb::FromUtf8(std::to_string(i));
    out += after;
  }
  return out;
}

struct Text {
  const char* name;
  String html;
  bool refused;  // the save refuses it
};

const std::vector<Text>& Texts() {
  static const std::vector<Text> texts = [] {
    String document;
    for (int i = 0; i < 5000; ++i)
      document += u"<p><span style=\"color:red\">第" + vb::FromUtf8(std::to_string(i)) + u"段</span></p>";
    return std::vector<Text>{
        {"divs then dd ends", Repeated(u"<div>", 19990) + Repeated(u"</dd>", 360000), true},
        {"divs then p ends", Repeated(u"<div>", 19990) + Repeated(u"</p>", 360000), true},
        {"titled b left open", Numbered(u"<b title=", u">", 19990), true},
        {"b copies in 42 cells", CellsOfBCopies(42, 250, 40, 30), true},
        {"text under b 250 deep", Repeated(u"<DIV>", 250) + u"<B>" + Repeated(u"text ", 400000), true},
        // At the limits: 100,000 tags, each meeting 6 open elements a
        // character, or 50,000 elements made, one in 12 characters.
        {"divs then dd ends, limits", Repeated(u"<div>", 30) + Repeated(u"</dd>", 100000 - 30), false},
        {"titled b then dd, limits", Numbered(u"<b title=", u">", 30) + Repeated(u"</dd>", 100000 - 30), false},
        {"p and dd ends, limits", Repeated(u"<div>", 60) + Repeated(u"</p></dd>123456789012345", 25000 - 60), false},
        {"p starts, limits", Repeated(u"<P>abcdefghi", 50000), false},
        // ... or formatting compared with its copies, adopted past blocks, or
        // looked for before each character of text, as far as they allow.
        {"b copies, limits", CellsOfBCopies(255, 20, 12, 235), false},
        {"adoption past blocks, limits", FormattingAdoptedPastBlocks(60), false},
        {"text under b 47 deep, limits", Repeated(u"<DIV>", 47) + u"<B>" + Repeated(u"text ", 100000), false},
        // Rows stored before the cleaner: an editor's long document, and
        // paragraphs and a timetable in capitals, as old editors wrote them.
        {"long document", document, false},
        {"paragraphs in capitals", Repeated(u"<P>abcdefghij</P>", 20000), false},
        {"timetable in capitals",
         u"<TABLE>" + Repeated(u"<TR><TD>语文</TD><TD>数学</TD><TD>英语</TD><TD>物理</TD></TR>", 5000) + u"</TABLE>",
         false},
    };
  }();
  return texts;
}

// Words and blanks, no markup: as long as the text it stands beside.
String PlainLike(const String& html) {
  String plain = Repeated(u"plain text ", html.size() / 11 + 1);
  plain.resize(html.size());
  return plain;
}

// A form value as a page in code page 936 posts it.
std::string FormEncoded(vb::StringView value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text::EncodeAnsi(value)) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

struct Site : bench_support::LoggedInSite {
  Site() {
    // The form sample's table and row are made by its first view.
    Run(host::kFormSamplePage, &host::FormSamplePage, token);
  }

  // The form sample posted by the logged-in user with this body; the
  // answer's body.
  std::string Save(const String& content) {
    const std::string form = "Title=t&Content=" + FormEncoded(content);
    asp::Connection c;
    c.request.method = "POST";
    c.request.target = "/qe/form_sample.asp";
    c.request.headers = {{"Host", "localhost"},
                         {"Referer", "http://localhost/qe/form_sample.asp"},
                         {"Content-Type", "application/x-www-form-urlencoded"},
                         {"Content-Length", std::to_string(form.size())}};
    c.request.site_root = root;
    c.request.max_form_bytes = form.size();  // the server's limit is an option: the texts are larger
    c.body = std::make_unique<asp::MemoryBody>(form);
    c.sessions = sessions;
    c.session = sessions->Open(token);
    c.application = application;
    return RunRequest(std::move(c), &host::FormSamplePage);
  }

  // The row holds this body as it was stored before the cleaner existed.
  void Store(const String& content) {
    Run(host::kFormSamplePage, [&](host::Page& page) {
      vb::Variant conn = com::Call(page.Server, u"CreateObject", String(u"Adodb.Connection"));
      com::Call(conn, u"Open", com::Call(page.Application, u"", String(qe::kPublicQeDataConnString)));
      com::Call(conn, u"Execute", u"Update [FormSample] Set [Content]=" + qe::SqlText(content));
      com::Call(conn, u"Close");
    });
  }

  std::string View() { return Run(host::kFormSamplePage, &host::FormSamplePage, token); }
};

Site& site() {
  static Site s;
  return s;
}

void Save(benchmark::State& state, const String& content, bool refused) {
  static const std::string kRefusal = text::EncodeAnsi(kRefused);
  Site& s = site();
  for (auto _ : state)
    if ((s.Save(content).find(kRefusal) != std::string::npos) != refused)
      state.SkipWithError(refused ? "the save was not refused" : "the save was refused");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * content.size() * 2));
}

void View(benchmark::State& state, const String& content) {
  Site& s = site();
  s.Store(content);
  for (auto _ : state)
    if (s.View().find("qe.editor('Content'") == std::string::npos) state.SkipWithError("no form on the page");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * content.size() * 2));
}

void PrintRatios(const bench_support::Seconds& seconds) {
  std::printf("\nas a multiple of a plain text of the same size, saved and viewed the same way:\n");
  for (const Text& text : Texts()) {
    const std::string name = text.name;
    const double save = bench_support::SecondsOf(seconds, "save " + name);
    const double save_plain = bench_support::SecondsOf(seconds, "save plain beside " + name);
    const double view = bench_support::SecondsOf(seconds, "view " + name);
    const double view_plain = bench_support::SecondsOf(seconds, "view plain beside " + name);
    if (save <= 0 || save_plain <= 0 || view <= 0 || view_plain <= 0) continue;
    std::printf("  %-28s %8zu characters: save %6.1f ms, %5.2fx (plain %6.1f ms); "
                "view %6.1f ms, %5.2fx (plain %6.1f ms)%s\n",
                text.name, text.html.size(), save * 1e3, save / save_plain, save_plain * 1e3, view * 1e3,
                view / view_plain, view_plain * 1e3, text.refused ? "  [refused]" : "");
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const Text& text : Texts()) {
    const String plain = PlainLike(text.html);
    const std::string name = text.name;
    benchmark::RegisterBenchmark(("save " + name).c_str(), Save, text.html, text.refused)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("save plain beside " + name).c_str(), Save, plain, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("view " + name).c_str(), View, text.html)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("view plain beside " + name).c_str(), View, plain)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  site();
  return bench_support::RunWithSummary(argc, argv, PrintRatios);
}
