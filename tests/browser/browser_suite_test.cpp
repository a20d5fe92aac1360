// The browser suites (tests/browser/suites/*.mjs), each a test of its own so
// that CTest runs them side by side: a temporary site holding the fixture
// pages, `qe serve` on a free port, and the harness driving Debian's chromium
// through the pinned playwright-core (installed by `./project.sh test` with
// npm ci). Screenshots stay in the build folder, under browser/.
//
// Fixture pages (tests/browser/fixtures) are copied into the site's folder
// /fixtures, each "<!--#qe [--query QS] [--json] MEMBER ARG...-->" replaced by
// what `qe call [--query QS] [--json] MEMBER ARG...` returns for it; an ARG
// in double quotes may hold blanks.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host/call_command.h"
#include "host/page_context.h"
#include "host/pages.h"
#include "host/serve_process.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "support/file_content.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;

const stdfs::path kBrowserFolder = stdfs::path(QE_SOURCE_DIR) / "tests" / "browser";
constexpr int kLowestNode = 20;

// The editor's suites run twice: on the one-line script that pages embed and
// on the readable script ("NAME_readable", QE_EDITOR_SCRIPT=readable).
constexpr char kReadable[] = "_readable";

// A suite's name, printed bare: CTest names the test after it
// ("Suites/BrowserSuite.Passes/NAME").
struct SuiteName : std::string {};
void PrintTo(const SuiteName& name, std::ostream* out) { *out << static_cast<const std::string&>(name); }

std::vector<SuiteName> SuiteNames() {
  std::vector<SuiteName> names;
  std::error_code ignored;
  for (const auto& entry : stdfs::directory_iterator(kBrowserFolder / "suites", ignored)) {
    if (entry.path().extension() != ".mjs") continue;
    std::string name = entry.path().stem().string();
    names.push_back(SuiteName{name});
    if (name.rfind("editor_", 0) == 0) names.push_back(SuiteName{name + kReadable});
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct Ran {
  int status = -1;
  std::string out;
};

Ran Shell(const std::string& command) {
  Ran ran;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return ran;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) ran.out.append(buffer, n);
  int status = ::pclose(pipe);
  ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return ran;
}

// node's major version, 0 when there is no node.
int NodeMajor() {
  Ran ran = Shell("node --version 2>/dev/null");
  if (ran.status != 0 || ran.out.size() < 2 || ran.out[0] != 'v') return 0;
  return std::atoi(ran.out.c_str() + 1);
}

std::string Chromium() {
  const char* chosen = std::getenv("QE_CHROMIUM");
  std::string program = chosen && *chosen ? chosen : "/usr/bin/chromium";
  return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
}

// The page with each directive replaced by the member's result.
std::string ExpandDirectives(const std::string& page, const stdfs::path& site) {
  static const std::string kOpen = "<!--#qe ", kClose = "-->";
  std::string out;
  size_t at = 0;
  for (size_t start; (start = page.find(kOpen, at)) != std::string::npos;) {
    size_t end = page.find(kClose, start);
    if (end == std::string::npos) throw std::runtime_error("a directive without its end");
    out += page.substr(at, start - at);
    std::istringstream words(page.substr(start + kOpen.size(), end - start - kOpen.size()));
    std::vector<std::string> args;
    // An argument in double quotes may hold blanks (\" and \\ inside).
    for (std::string word; words >> std::quoted(word);) args.push_back(word);
    host::PageOptions options;
    options.site = site.string();
    size_t member = 0;
    bool json = false;
    if (args.size() > 2 && args[0] == "--query") {
      options.query = args[1];
      member = 2;
    }
    if (member < args.size() && args[member] == "--json") {
      json = true;
      ++member;
    }
    if (member >= args.size()) throw std::runtime_error("a directive without a member");
    host::PageContext context(options);
    try {
      vb::Variant result = host::CallMember(context, vb::FromUtf8(args[member]),
                                            std::vector<std::string>(args.begin() + member + 1, args.end()), json);
      out += vb::ToUtf8(vb::CStr(com::ValueOf(result)));
    } catch (const vb::Error& e) {
      throw std::runtime_error(page.substr(start, end + kClose.size() - start) + ": error " +
                               std::to_string(e.Number()) + " " + vb::ToUtf8(e.Description()));
    }
    at = end + kClose.size();
  }
  return out + page.substr(at);
}

void WriteFixtures(const stdfs::path& site) {
  const stdfs::path target = site / "fixtures";
  stdfs::create_directories(target);
  for (const auto& entry : stdfs::directory_iterator(kBrowserFolder / "fixtures")) {
    if (!entry.is_regular_file()) continue;
    std::string page = qe_test::FileContent(entry.path());
    std::ofstream(target / entry.path().filename(), std::ios::binary) << ExpandDirectives(page, site);
  }
  // The site's own pages, one path a line, for the suites that visit them all.
  std::ofstream pages(target / "site_pages.txt", std::ios::binary);
  for (const vb::String& path : host::SitePages().Paths()) pages << vb::ToUtf8(path) << "\n";
}

class BrowserSuite : public ::testing::TestWithParam<SuiteName> {};

TEST_P(BrowserSuite, Passes) {
  const int node = NodeMajor();
  if (node < kLowestNode)
    GTEST_SKIP() << (node ? "node " + std::to_string(node) + " is too old" : std::string("node is missing"))
                 << ": the browser tests need node " << kLowestNode << " or newer (it comes with the machine)";
  const std::string chromium = Chromium();
  if (chromium.empty()) GTEST_SKIP() << "chromium is not installed (Debian's package chromium)";
  if (!stdfs::exists(kBrowserFolder / "node_modules" / "playwright-core" / "package.json"))
    GTEST_SKIP() << "playwright-core is not installed: npm ci in tests/browser (./project.sh test does it)";

  qe_test::TempSite site;
  ASSERT_NO_THROW(WriteFixtures(site.SiteFolder()));
  host_test::ServeProcess server(site.SiteFolder());
  const stdfs::path shots = stdfs::path(QE_PROGRAM_PATH).parent_path() / "browser";
  const std::string base = "http://127.0.0.1:" + std::to_string(server.Port()) + "/fixtures/";
  std::string suite = GetParam(), script = "minified";
  if (suite.ends_with(kReadable)) {
    suite.resize(suite.size() - std::string(kReadable).size());
    script = "readable";
  }
  // The suite's own limit, from its tests' limits: the harness enforces it,
  // and the program is ended a little after, should the harness hang.
  const std::string folder = "cd '" + kBrowserFolder.string() + "' && ";
  Ran limit = Shell(folder + "node harness.mjs --limit '" + suite + "' 2>&1");
  ASSERT_EQ(limit.status, 0) << limit.out;
  const int seconds = std::atoi(limit.out.c_str()) + 15;
  Ran ran = Shell(folder + "QE_CHROMIUM='" + chromium + "' QE_EDITOR_SCRIPT=" + script + " QE_SHOT_PREFIX='" +
                  GetParam() + "' timeout " + std::to_string(seconds) + " node harness.mjs '" + suite + "' '" + base +
                  "' '" + shots.string() + "' 2>&1");
  std::cout << ran.out;
  EXPECT_EQ(ran.status, 0) << ran.out;
  EXPECT_TRUE(server.Running());
}

INSTANTIATE_TEST_SUITE_P(Suites, BrowserSuite, ::testing::ValuesIn(SuiteNames()));
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BrowserSuite);

}  // namespace
