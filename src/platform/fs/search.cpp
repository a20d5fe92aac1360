#include "platform/fs/search.h"

#include <algorithm>
#include <filesystem>

#include "platform/fs/full_path.h"
#include "platform/fs/path_names.h"
#include "platform/fs/paths.h"
#include "platform/fs/windows_names.h"
#include "platform/vb/case_fold.h"
#include "platform/vb/error.h"

namespace fs {

namespace {

namespace stdfs = std::filesystem;

bool SameCharNoCase(char16_t a, char16_t b) { return a == b || vb::UpperChar(a) == vb::UpperChar(b); }

bool Glob(StringView pattern, StringView name) {
  size_t p = 0, n = 0, star = StringView::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == u'?' || SameCharNoCase(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (star != StringView::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

std::optional<FoundEntry> EntryOf(const stdfs::path& host, String name) {
  std::error_code error;
  stdfs::file_status status = stdfs::status(host, error);
  if (error || !stdfs::exists(status)) return std::nullopt;
  FoundEntry entry{std::move(name), 0, 0};
  if (stdfs::is_directory(status)) {
    entry.attributes = kAttributeDirectory;
  } else {
    entry.attributes = kAttributeArchive;
    uintmax_t size = stdfs::file_size(host, error);
    entry.size = error ? 0 : size;
  }
  if ((status.permissions() & stdfs::perms::owner_write) == stdfs::perms::none) {
    entry.attributes |= kAttributeReadOnly;
  }
  return entry;
}

String HostName(const stdfs::path& host) { return vb::FromUtf8(host.filename().native()); }

// A link in a listing is shown only when the path model would follow it.
bool LinkStaysOnDrive(StringView folder, StringView name) {
  try {
    return ResolveExisting(String(folder) + String(name)).has_value();
  } catch (const vb::Error&) {
    return false;
  }
}

bool UpperLess(const FoundEntry& a, const FoundEntry& b) {
  return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                      [](char16_t x, char16_t y) { return vb::UpperChar(x) < vb::UpperChar(y); });
}

std::vector<FoundEntry> List(StringView folder, StringView pattern) {
  std::vector<FoundEntry> found;
  std::optional<stdfs::path> host = ResolveExisting(folder);
  if (!host || !stdfs::is_directory(*host)) return found;
  std::error_code error;
  for (stdfs::directory_iterator it(*host, error), end; !error && it != end; it.increment(error)) {
    String name = HostName(it->path());
    if (!detail::NameProblem(name).empty() || !MatchesWildcard(pattern, name)) continue;
    if (it->is_symlink(error) && !LinkStaysOnDrive(folder, name)) continue;
    if (auto entry = EntryOf(it->path(), std::move(name))) found.push_back(std::move(*entry));
  }
  std::sort(found.begin(), found.end(), UpperLess);
  bool is_root = folder.size() <= 3;
  if (!is_root) {
    for (StringView dots : {StringView(u".."), StringView(u".")}) {
      if (MatchesWildcard(pattern, dots)) found.insert(found.begin(), FoundEntry{String(dots), kAttributeDirectory, 0});
    }
  }
  return found;
}

}  // namespace

std::optional<FoundEntry> FindEntry(StringView path) {
  String full = FullPath(path);
  std::optional<stdfs::path> host = ResolveExisting(full);
  if (!host) return std::nullopt;
  bool is_root = full.size() <= 3;
  auto entry = EntryOf(*host, is_root ? String() : HostName(host->lexically_normal()));
  if (entry && EndsWithSeparator(full) && !(entry->attributes & kAttributeDirectory)) return std::nullopt;
  return entry;
}

std::vector<FoundEntry> FindFiles(StringView pattern) {
  String full = FullPath(pattern);
  size_t last = full.find_last_of(u'\\');
  String folder = full.substr(0, last + 1);
  String name = full.substr(last + 1);
  if (name.empty()) name = u"*";
  if (name.find_first_of(u"*?") == String::npos) {
    std::vector<FoundEntry> found;
    if (auto entry = FindEntry(full)) found.push_back(std::move(*entry));
    return found;
  }
  return List(folder, name);
}

bool MatchesAttributeMask(uint32_t attributes, uint32_t mask) {
  constexpr uint32_t kSelective = kAttributeHidden | kAttributeSystem | kAttributeDirectory;
  return (attributes & kSelective & ~mask) == 0;
}

bool MatchesWildcard(StringView pattern, StringView name) {
  if (pattern == u"*.*") return true;
  if (Glob(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == u".*") {
    return Glob(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

}  // namespace fs
