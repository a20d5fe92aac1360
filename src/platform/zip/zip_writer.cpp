#include "platform/zip/zip_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_set>

#include "platform/fs/paths.h"
#include "platform/fs/scratch_names.h"
#include "platform/fs/search.h"
#include "platform/fs/windows_names.h"
#include "platform/sys/stop_points.h"
#include "platform/vb/error.h"
#include "platform/zip/entry_names.h"
#include "platform/zip/zip_format.h"

namespace ziparc {

namespace {

namespace stdfs = std::filesystem;

struct PackEntry {
  stdfs::path host;  // empty for a folder entry
  vb::String name;   // "/"-separated
};

class Collector {
 public:
  Collector(const PackRequest& request, stdfs::path base_host, stdfs::path archive_host)
      : request_(request), base_host_(std::move(base_host)), archive_host_(std::move(archive_host)) {}

  // False for an item that leads out of the base folder.
  bool AddItem(vb::StringView item);
  std::vector<PackEntry>& Entries() { return entries_; }

 private:
  void AddFile(const stdfs::path& host, const vb::String& relative);
  void AddFolder(const vb::String& relative);
  void Walk(const stdfs::path& folder, const vb::String& prefix, vb::StringView mask);
  vb::String EntryName(const vb::String& relative) const;

  const PackRequest& request_;
  stdfs::path base_host_;
  stdfs::path archive_host_;
  std::vector<PackEntry> entries_;
  std::unordered_set<vb::String> taken_;  // by NameKey
};

bool HasWildcards(vb::StringView name) { return name.find_first_of(u"*?") != vb::StringView::npos; }

vb::String Join(const std::vector<vb::String>& names, char16_t separator) {
  vb::String out;
  for (const vb::String& name : names) {
    if (!out.empty()) out += separator;
    out += name;
  }
  return out;
}

vb::String CheckedFolderPart(vb::StringView folder, bool& safe) {
  safe = true;
  if (folder.empty()) return {};
  std::optional<EntryPath> path = CheckEntryPath(folder);
  if (!path) {
    safe = false;
    return {};
  }
  return Join(path->names, u'/');
}

bool SameFile(const stdfs::path& a, const stdfs::path& b) {
  std::error_code error;
  return !b.empty() && stdfs::equivalent(a, b, error);
}

vb::String Collector::EntryName(const vb::String& relative) const {
  if (request_.preserve_paths) return relative;
  size_t last = relative.rfind(u'/');
  return last == vb::String::npos ? relative : relative.substr(last + 1);
}

void Collector::AddFile(const stdfs::path& host, const vb::String& relative) {
  if (SameFile(host, archive_host_)) return;
  vb::String name = EntryName(relative);
  if (!taken_.insert(NameKey(name)).second) return;
  entries_.push_back({host, std::move(name)});
}

void Collector::AddFolder(const vb::String& relative) {
  if (!request_.preserve_paths) return;
  vb::String name = relative + u"/";
  if (!taken_.insert(NameKey(name)).second) return;
  entries_.push_back({{}, std::move(name)});
}

void Collector::Walk(const stdfs::path& folder, const vb::String& prefix, vb::StringView mask) {
  struct Found {
    vb::String name;
    stdfs::path host;
    bool folder;
  };
  std::vector<Found> found;
  std::error_code error;
  for (stdfs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    vb::String name = vb::FromUtf8(it->path().filename().native());
    if (!fs::detail::NameProblem(name).empty()) continue;  // no Windows name: not seen
    stdfs::file_status status = it->symlink_status(error);
    if (error || stdfs::is_symlink(status)) continue;      // links are not packed
    if (stdfs::is_directory(status) || stdfs::is_regular_file(status)) {
      found.push_back({std::move(name), it->path(), stdfs::is_directory(status)});
    }
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return NameKey(a.name) < NameKey(b.name); });
  for (const Found& entry : found) {
    vb::String relative = prefix.empty() ? entry.name : prefix + u"/" + entry.name;
    bool matches = fs::MatchesWildcard(mask, entry.name);
    if (!entry.folder) {
      if (matches) AddFile(entry.host, relative);
    } else if (request_.process_subfolders) {
      if (matches) AddFolder(relative);
      Walk(entry.host, relative, mask);
    }
  }
}

bool Collector::AddItem(vb::StringView item) {
  if (item.empty()) return true;
  size_t last = item.find_last_of(u"\\/");
  vb::StringView name = last == vb::StringView::npos ? item : item.substr(last + 1);
  vb::StringView folder = last == vb::StringView::npos ? vb::StringView() : item.substr(0, last);
  if (last == 0 || name == u"." || name == u".." || name.find(u':') != vb::StringView::npos) return false;
  bool safe;
  vb::String prefix = CheckedFolderPart(folder, safe);
  if (!safe) return false;
  vb::String windows = request_.base_path + (prefix.empty() ? u"" : u"\\" + prefix);
  if (!name.empty() && !HasWildcards(name)) windows += u"\\" + vb::String(name);
  std::optional<stdfs::path> host;
  try {
    host = fs::ResolveExisting(windows);
  } catch (const vb::Error&) {
    return false;  // a name Windows refuses, a link out of the drive
  }
  if (!host) return true;
  // Entries take the names as they are on disk, whatever case the item has.
  vb::String relative = vb::FromUtf8(host->lexically_relative(base_host_).generic_string());
  if (relative == u".") relative.clear();
  std::error_code error;
  if (HasWildcards(name)) {
    if (stdfs::is_directory(*host, error)) Walk(*host, relative, name);
  } else if (stdfs::is_regular_file(*host, error)) {
    AddFile(*host, relative);
  } else if (stdfs::is_directory(*host, error)) {
    if (!relative.empty()) AddFolder(relative);
    Walk(*host, relative, u"*");
  }
  return true;
}

// An existing file may be replaced only when it is a zip archive.
bool MayReplace(const stdfs::path& archive) {
  std::error_code error;
  stdfs::file_status status = stdfs::symlink_status(archive, error);
  if (!stdfs::exists(status)) return true;
  if (!stdfs::is_regular_file(status) || stdfs::file_size(archive, error) == 0 || error) return false;
  int code = 0;
  zip_t* existing = zip_open(archive.c_str(), ZIP_RDONLY, &code);
  if (!existing) return false;
  zip_discard(existing);
  return true;
}

// Unix modes for Unix readers and the DOS folder attribute for Windows ones,
// as Info-ZIP's zip writes them.
constexpr zip_uint32_t kFolderAttributes = (S_IFDIR | 0755) << 16 | 0x10;
constexpr zip_uint32_t kFileAttributes = (S_IFREG | 0644) << 16;

zip_int64_t AddEntry(zip_t* archive, const PackEntry& entry, const StoredName& stored, const PackRequest& request) {
  zip_flags_t flags = stored.utf8 ? ZIP_FL_ENC_UTF_8 : ZIP_FL_ENC_GUESS;
  zip_int64_t index;
  if (entry.host.empty()) {
    index = zip_dir_add(archive, stored.bytes.c_str(), flags);
  } else {
    zip_source_t* source = zip_source_file_create(entry.host.c_str(), 0, -1, nullptr);
    index = source ? zip_file_add(archive, stored.bytes.c_str(), source, flags) : -1;
    if (source && index < 0) zip_source_free(source);
  }
  if (index < 0) return -1;
  auto at = static_cast<zip_uint64_t>(index);
  if (!stored.utf8 && !IsAscii(entry.name)) {
    std::string field = UnicodePathField(stored.bytes, vb::ToUtf8(entry.name));
    auto* data = reinterpret_cast<const zip_uint8_t*>(field.data());
    if (zip_file_extra_field_set(archive, at, kUnicodePathPlaceholder, ZIP_EXTRA_FIELD_NEW, data,
                                 static_cast<zip_uint16_t>(field.size()), ZIP_FL_LOCAL | ZIP_FL_CENTRAL) != 0) {
      return -1;
    }
  }
  bool folder = entry.host.empty();
  zip_uint32_t attributes = folder ? kFolderAttributes : kFileAttributes;
  if (zip_file_set_external_attributes(archive, at, 0, ZIP_OPSYS_UNIX, attributes) != 0) return -1;
  if (folder) return index;
  int level = std::clamp(request.compression_level, 0, 9);
  zip_set_file_compression(archive, at, level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, static_cast<zip_uint32_t>(level));
  if (!request.password.empty() &&
      zip_file_set_encryption(archive, at, ZIP_EM_TRAD_PKWARE, request.password.c_str()) != 0) {
    return -1;
  }
  return index;
}

ZipResult Write(const std::vector<PackEntry>& entries, const PackRequest& request, const stdfs::path& temporary) {
  int code = 0;
  zip_t* archive = zip_open(temporary.c_str(), ZIP_CREATE | ZIP_EXCL, &code);
  if (!archive) return kZipWriteFailure;
  // Code page names that are not plain ASCII.
  std::unordered_set<std::string> ansi_names;
  for (const PackEntry& entry : entries) {
    StoredName stored = EncodeEntryName(entry.name);
    // unzip refuses an entry with both a data descriptor, which libzip
    // writes for every encrypted one, and a Unicode Path field in its local
    // header ("overlapped components"): with a password, names that are not
    // ASCII are written in UTF-8 with their flag, which every reader takes.
    if (!request.password.empty() && !IsAscii(entry.name)) stored = {vb::ToUtf8(entry.name), true};
    if (!stored.utf8 && !IsAscii(entry.name)) ansi_names.insert(stored.bytes);
    if (AddEntry(archive, entry, stored, request) < 0) {
      zip_discard(archive);
      return kZipWriteFailure;
    }
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    return kZipWriteFailure;
  }
  // libzip flags every name that reads as UTF-8: names of the code page that
  // happen to read so lose the flag again. Each code page name also carries
  // its UTF-8 form, so that no reader need guess its code page.
  if (!MendNames(temporary, ansi_names)) return kZipWriteFailure;
  return kZipSuccess;
}

}  // namespace

ZipResult Pack(const PackRequest& request) {
  stdfs::path archive_host;
  std::optional<stdfs::path> base_host;
  try {
    archive_host = fs::ToHostPath(request.archive);
    base_host = fs::ResolveExisting(request.base_path);
  } catch (const vb::Error&) {
    return kZipWriteFailure;
  }
  if (!base_host) return kZipNothingToDo;
  Collector collector(request, *base_host, archive_host);
  for (const vb::String& item : request.items) {
    if (!collector.AddItem(item)) return kZipUnsafeEntry;
  }
  if (collector.Entries().empty()) return kZipNothingToDo;
  if (!MayReplace(archive_host)) return kZipNotAnArchive;
  std::error_code error;
  if (!stdfs::is_directory(archive_host.parent_path(), error)) return kZipWriteFailure;

  // Made where a mount clears what a kill leaves, when it can be.
  stdfs::path temporary = fs::ScratchFolderFor(archive_host.parent_path()) / fs::ScratchName("zip-");
  ZipResult result = Write(collector.Entries(), request, temporary);
  sys::StopPoint("packed");
  if (result == kZipSuccess && ::rename(temporary.c_str(), archive_host.c_str()) != 0) result = kZipWriteFailure;
  if (result != kZipSuccess) stdfs::remove(temporary, error);
  return result;
}

}  // namespace ziparc
