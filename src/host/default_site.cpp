#include "host/default_site.h"

#include <cstdlib>
#include <fstream>
#include <string_view>
#include <utility>

#include "host/content_types.h"
#include "platform/vb/error.h"

namespace host {
namespace {

constexpr std::string_view kStyleSheet = R"(body { font: 14px/1.6 "SimSun", "WenQuanYi Zen Hei", sans-serif; margin: 2em; color: #222; }
h1 { font-size: 20px; border-bottom: 1px solid #9ab; padding-bottom: 0.3em; }
.menu dt { font-weight: bold; margin-top: 0.8em; }
.menu dd { display: inline-block; margin: 0 1.5em 0 0; }
.visits { color: #666; font-size: 12px; }
.site-links li { display: inline-block; margin: 0 1.5em 0.3em 0; }
.notice { color: #a40; }
.chart-box { position: relative; overflow: hidden; margin: 0 0 1em; border: 1px solid #cdd; }
.chart-note { color: #666; font-size: 12px; }
)";

constexpr std::pair<std::string_view, std::string_view> kFiles[] = {
    {"qe/qe.css", kStyleSheet},
};

// The database folder; the start page makes the databases in it on the
// first request.
constexpr std::string_view kFolders[] = {"data", "qe"};

}  // namespace

std::optional<BuiltInFile> FindBuiltInFile(vb::StringView virtual_path) {
  if (virtual_path.empty() || virtual_path[0] != u'/') return std::nullopt;
  for (const auto& [name, content] : kFiles) {
    if (vb::EqualsNoCase(virtual_path.substr(1), vb::FromUtf8(name)))
      return BuiltInFile{content, ContentTypeOf(name).value_or("application/octet-stream")};
  }
  return std::nullopt;
}

std::filesystem::path DefaultSiteFolder() {
  std::filesystem::path base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) base = data;
  else if (const char* home = std::getenv("HOME"); home && *home) base = std::filesystem::path(home) / ".local/share";
  else vb::Raise(vb::kPathNotFound, u"neither XDG_DATA_HOME nor HOME is set: give the site with --site");
  return base / "qe" / "site";
}

void MakeDefaultSite(const std::filesystem::path& folder) {
  for (std::string_view name : kFolders) std::filesystem::create_directories(folder / name);
  for (const auto& [name, content] : kFiles) {
    std::filesystem::path file = folder / name;
    if (std::filesystem::exists(file)) continue;
    std::ofstream out(file, std::ios::binary);
    out << content;
    if (!out) vb::Raise(vb::kPathFileAccessError, u"cannot write " + vb::FromUtf8(file.string()));
  }
}

}  // namespace host
