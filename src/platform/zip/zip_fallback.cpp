#include "platform/zip/zip_fallback.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace ziparc {

namespace {

constexpr size_t kBlockSize = 64 * 1024;

struct ReaderCloser {
  void operator()(archive* reader) const { archive_read_free(reader); }
};

}  // namespace

ZipResult ReadThroughLibarchive(const std::filesystem::path& archive_path, const std::string& password,
                                const std::vector<FallbackEntry>& entries, StagedExtraction& extraction) {
  if (entries.empty()) return kZipSuccess;
  std::unique_ptr<archive, ReaderCloser> reader(archive_read_new());
  if (!reader) return kZipDamaged;
  archive_read_support_format_zip_seekable(reader.get());
  archive_read_support_filter_none(reader.get());
  if (!password.empty()) archive_read_add_passphrase(reader.get(), password.c_str());
  if (archive_read_open_filename(reader.get(), archive_path.c_str(), kBlockSize) != ARCHIVE_OK) return kZipDamaged;

  size_t position = 0;
  for (const FallbackEntry& wanted : entries) {
    archive_entry* entry = nullptr;
    for (;; ++position) {
      // A name that the C locale cannot hold gives a warning: names come
      // from libzip.
      int status = archive_read_next_header(reader.get(), &entry);
      if (status != ARCHIVE_OK && status != ARCHIVE_WARN) return kZipDamaged;
      if (position == wanted.position) break;
    }
    ++position;
    // Both libraries must mean the same entry.
    if (archive_entry_size_is_set(entry) && static_cast<uint64_t>(archive_entry_size(entry)) != wanted.size) {
      return kZipDamaged;
    }
    Outcome written = extraction.WriteFile(
        wanted.id,
        [&reader](char* buffer, size_t size) -> int64_t { return archive_read_data(reader.get(), buffer, size); },
        wanted.modified);
    if (written == Outcome::kReadFailed) return wanted.encrypted ? kZipPassword : kZipDamaged;
    if (written != Outcome::kDone) return ResultOf(written);
  }
  return kZipSuccess;
}

}  // namespace ziparc
