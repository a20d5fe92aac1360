// The start page in a real browser: headless Chromium loads it from
// `qe serve` on a new default site, saves a screenshot into the build folder
// and shows the DOM it built from the page's code page 936 text.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "common/system_title.h"
#include "host/default_site.h"
#include "host/serve_process.h"
#include "shell/qe_default_menu.h"
#include "support/file_content.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;

// The browser's program in PATH, or "" when it is not installed.
std::string FindChromium() {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    stdfs::path candidate = stdfs::path(folder) / "chromium";
    if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

// A browser with nothing to remember and nothing to fetch but our page; it
// gives up after a minute rather than hang the test.
class HeadlessBrowser {
 public:
  explicit HeadlessBrowser(std::string program) : program_(std::move(program)) {
    std::string pattern = (stdfs::temp_directory_path() / "qe-browser-XXXXXX").string();
    if (::mkdtemp(pattern.data())) profile_ = pattern;
  }
  ~HeadlessBrowser() {
    std::error_code ignored;
    if (!profile_.empty()) stdfs::remove_all(profile_, ignored);
  }

  // What the browser printed; `log` receives its complaints.
  std::string Run(const std::string& what, const std::string& url, const stdfs::path& log) const {
    std::string command = "timeout 60 '" + program_ +
                          "' --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                          " --disable-background-networking --disable-component-update --disable-sync"
                          " --user-data-dir='" + profile_.string() + "' --window-size=1024,768 " + what + " '" +
                          url + "' 2>>'" + log.string() + "'";
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
    return out;
  }

 private:
  std::string program_;
  stdfs::path profile_;
};

uint32_t BigEndianAt(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST(Browser, ShowsTheStartPageWithItsTitle) {
  std::string chromium = FindChromium();
  if (chromium.empty()) GTEST_SKIP() << "chromium is not installed";

  qe_test::TempSite site;
  host::MakeDefaultSite(site.SiteFolder());
  host_test::ServeProcess server(site.SiteFolder());
  const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/";
  const stdfs::path folder = stdfs::path(QE_PROGRAM_PATH).parent_path() / "browser";
  stdfs::create_directories(folder);
  const stdfs::path screenshot = folder / "start_page.png", log = folder / "chromium.log";
  stdfs::remove(screenshot);
  stdfs::remove(log);
  HeadlessBrowser browser(chromium);

  browser.Run("--screenshot='" + screenshot.string() + "'", url, log);
  std::string png = qe_test::FileContent(screenshot);
  ASSERT_GE(png.size(), 24u) << "no screenshot; see " << log;
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(BigEndianAt(png, 16), 1024u);
  EXPECT_EQ(BigEndianAt(png, 20), 768u);
  // An empty window compresses to a few KiB; the page's text makes more.
  EXPECT_GT(png.size(), 10'000u);
  EXPECT_LT(png.size(), 10'000'000u);

  // The browser read the page in its code page: its DOM, printed in UTF-8,
  // holds the system title.
  std::string dom = browser.Run("--dump-dom", url, log);
  const std::string title = vb::ToUtf8(qe::SystemTitle());
  EXPECT_NE(dom.find("<title>" + title + "</title>"), std::string::npos) << dom;
  // ... and the menu that the page read from the database it made.
  EXPECT_NE(dom.find("<dt>" + vb::ToUtf8(qe::DefaultMenu()[0].name) + "</dt>"), std::string::npos) << dom;
  EXPECT_TRUE(server.Running());
}

}  // namespace
