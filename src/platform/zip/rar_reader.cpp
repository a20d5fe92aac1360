#include "platform/zip/rar_reader.h"

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/fs/paths.h"
#include "platform/vb/error.h"
#include "platform/zip/rar_headers.h"
#include "platform/zip/staged_extraction.h"

namespace ziparc {

namespace {

constexpr size_t kBlockSize = 64 * 1024;

struct ReaderCloser {
  void operator()(archive* reader) const { archive_read_free(reader); }
};
using Reader = std::unique_ptr<archive, ReaderCloser>;

Reader Open(const std::filesystem::path& host) {
  Reader reader(archive_read_new());
  if (!reader) return nullptr;
  archive_read_support_format_rar(reader.get());
  archive_read_support_format_rar5(reader.get());
  if (archive_read_open_filename(reader.get(), host.c_str(), kBlockSize) != ARCHIVE_OK) return nullptr;
  return reader;
}

// ARCHIVE_WARN comes with a RAR 4 Unicode name that the C locale cannot hold:
// the name is read from the headers instead.
bool NextHeader(archive* reader, archive_entry** entry, bool& failed) {
  int status = archive_read_next_header(reader, entry);
  failed = status != ARCHIVE_OK && status != ARCHIVE_WARN && status != ARCHIVE_EOF;
  return status == ARCHIVE_OK || status == ARCHIVE_WARN;
}

EntryType TypeOf(archive_entry* entry) {
  if (archive_entry_hardlink(entry) || archive_entry_symlink(entry)) return EntryType::kOther;
  switch (archive_entry_filetype(entry)) {
    case AE_IFREG: return EntryType::kFile;
    case AE_IFDIR: return EntryType::kFolder;
    default: return EntryType::kOther;
  }
}

}  // namespace

ZipResult UnpackRar(vb::StringView archive_path, vb::StringView destination) {
  std::filesystem::path host;
  try {
    host = fs::ToHostPath(archive_path);
  } catch (const vb::Error&) {
    return kZipNotAnArchive;
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(host, error)) return kZipNotAnArchive;
  Reader reader = Open(host);
  if (!reader) return kZipNotAnArchive;

  // First pass: every header, before anything is written.
  StagedExtraction extraction(destination);
  std::vector<size_t> ids;
  std::optional<std::vector<vb::String>> rar4_names;
  archive_entry* entry = nullptr;
  bool failed = false;
  while (NextHeader(reader.get(), &entry, failed)) {
    if (archive_format(reader.get()) == ARCHIVE_FORMAT_RAR && !rar4_names) {
      rar4_names = ReadRar4Names(host);
      if (!rar4_names) return kZipDamaged;
    }
    vb::String name;
    if (rar4_names) {
      if (ids.size() >= rar4_names->size()) return kZipDamaged;
      name = (*rar4_names)[ids.size()];
    } else {
      const char* utf8 = archive_entry_pathname_utf8(entry);
      if (!utf8) return kZipDamaged;
      name = vb::FromUtf8(utf8);
    }
    if (archive_entry_is_encrypted(entry)) return kZipPassword;
    size_t id;
    uint64_t size = archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0
                        ? static_cast<uint64_t>(archive_entry_size(entry))
                        : 0;
    Outcome declared = extraction.Declare(name, TypeOf(entry), size, false, &id);
    if (declared != Outcome::kDone) return ResultOf(declared);
    ids.push_back(id);
  }
  if (failed) return archive_read_has_encrypted_entries(reader.get()) > 0 ? kZipPassword : kZipDamaged;
  if (rar4_names && rar4_names->size() != ids.size()) return kZipDamaged;
  if (ids.empty()) return kZipNothingToDo;
  if (Outcome checked = extraction.Check(); checked != Outcome::kDone) return ResultOf(checked);

  // Second pass: the data.
  reader = Open(host);
  if (!reader) return kZipDamaged;
  if (Outcome begun = extraction.Begin(); begun != Outcome::kDone) return ResultOf(begun);
  for (size_t index = 0; index < ids.size(); ++index) {
    if (!NextHeader(reader.get(), &entry, failed)) return kZipDamaged;
    if (ids[index] == StagedExtraction::kNone) continue;
    Outcome written = extraction.WriteFile(
        ids[index],
        [&reader](char* buffer, size_t size) -> int64_t { return archive_read_data(reader.get(), buffer, size); },
        archive_entry_mtime_is_set(entry) ? archive_entry_mtime(entry) : 0);
    if (written != Outcome::kDone) return ResultOf(written);
  }
  return ResultOf(extraction.Commit());
}

}  // namespace ziparc
