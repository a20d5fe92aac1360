#include "host/archive_space.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>

#include "office/net_drive.h"

namespace host {
namespace {

struct ArchiveFree {
  void operator()(archive* reader) const { archive_read_free(reader); }
};

// The entry's name as stored, in whichever form libarchive gives it: only
// names are compared, never shown or used as paths.
std::string_view StoredName(archive_entry* entry) {
  for (const char* name : {archive_entry_pathname(entry), archive_entry_pathname_utf8(entry)})
    if (name) return name;
  return {};
}

// Adds the folders along the name ("/" and "\" both separate), the last
// element too when the entry is a folder; as the disk compares names,
// letters in any case are one folder.
void AddFolders(std::string_view name, bool folder, std::unordered_set<std::string>& folders) {
  std::string path;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '/' && name[i] != '\\') continue;
    std::string_view element = name.substr(start, i - start);
    start = i + 1;
    if (element.empty() || element == ".") continue;
    if (i == name.size() && !folder) break;
    for (char c : element) path.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    path.push_back('/');
    folders.insert(path);
  }
}

}  // namespace

std::optional<double> DeclaredSpace(const std::filesystem::path& archive_path, double enough) {
  std::unique_ptr<archive, ArchiveFree> reader(archive_read_new());
  if (!reader) return std::nullopt;
  archive_read_support_format_zip(reader.get());
  archive_read_support_format_rar(reader.get());
  archive_read_support_format_rar5(reader.get());
  if (archive_read_open_filename(reader.get(), archive_path.c_str(), 64 * 1024) != ARCHIVE_OK) return std::nullopt;
  double files = 0;
  std::unordered_set<std::string> folders;
  auto space = [&] { return files + static_cast<double>(folders.size()) * qe::netdrive::kDiskBlockBytes; };
  archive_entry* entry = nullptr;
  while (space() <= enough) {
    const int status = archive_read_next_header(reader.get(), &entry);
    if (status == ARCHIVE_EOF) break;
    if (status != ARCHIVE_OK && status != ARCHIVE_WARN) return std::nullopt;
    const bool folder = archive_entry_filetype(entry) == AE_IFDIR;
    AddFolders(StoredName(entry), folder, folders);
    if (folder) continue;
    const int64_t size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
    files += qe::netdrive::FileSpace(static_cast<double>(std::max<int64_t>(size, 0)));
  }
  return space();
}

}  // namespace host
