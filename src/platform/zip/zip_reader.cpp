#include "platform/zip/zip_reader.h"

#include <sys/stat.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/fs/paths.h"
#include "platform/fs/search.h"
#include "platform/vb/error.h"
#include "platform/zip/entry_names.h"
#include "platform/zip/staged_extraction.h"

namespace ziparc {

namespace {

constexpr uint32_t kDosFolderAttribute = 0x10;
constexpr uint32_t kDosReparsePointAttribute = 0x400;

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

struct Entry {
  zip_uint64_t index;
  size_t id;
  bool encrypted;
  std::time_t modified;
};

EntryType TypeOf(zip_t* archive, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) return EntryType::kFile;
  if (system == ZIP_OPSYS_UNIX) {
    mode_t mode = static_cast<mode_t>(attributes >> 16);
    if ((mode & S_IFMT) == 0 || S_ISREG(mode)) return EntryType::kFile;
    return S_ISDIR(mode) ? EntryType::kFolder : EntryType::kOther;
  }
  if (system == ZIP_OPSYS_DOS || system == ZIP_OPSYS_WINDOWS_NTFS || system == ZIP_OPSYS_VFAT) {
    if (attributes & kDosReparsePointAttribute) return EntryType::kOther;
    if (attributes & kDosFolderAttribute) return EntryType::kFolder;
  }
  return EntryType::kFile;
}

bool Selected(const std::vector<vb::String>& items, vb::StringView name) {
  if (items.empty()) return true;
  vb::String path(name);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  while (!path.empty() && path.back() == u'\\') path.pop_back();
  vb::StringView last = path;
  if (size_t at = path.rfind(u'\\'); at != vb::String::npos) last = last.substr(at + 1);
  for (const vb::String& item : items) {
    if (fs::MatchesWildcard(item, path) || fs::MatchesWildcard(item, last)) return true;
  }
  return false;
}

ZipResult ReadError(int code, bool encrypted) {
  if (code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD) return kZipPassword;
  // A wrong password passes the one-byte check of the traditional method
  // once in 256 tries; the checksum then tells.
  if (code == ZIP_ER_CRC && encrypted) return kZipPassword;
  return kZipDamaged;
}

}  // namespace

ZipResult Unpack(const UnpackRequest& request) {
  std::filesystem::path host;
  try {
    host = fs::ToHostPath(request.archive);
  } catch (const vb::Error&) {
    return kZipNotAnArchive;
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(host, error)) return kZipNotAnArchive;
  int code = 0;
  std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open(host.c_str(), ZIP_RDONLY, &code));
  if (!archive) return kZipNotAnArchive;

  StagedExtraction extraction(request.destination);
  std::vector<Entry> files;
  zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
    const char* raw = zip_get_name(archive.get(), index, ZIP_FL_ENC_RAW);
    const char* strict = zip_get_name(archive.get(), index, ZIP_FL_ENC_STRICT);
    zip_stat_t stat;
    if (!raw || !strict || zip_stat_index(archive.get(), index, 0, &stat) != 0) return kZipDamaged;
    // Only a name flagged UTF-8 reads the same strictly (as code page 437 otherwise).
    vb::String name = DecodeEntryName(raw, std::strcmp(raw, strict) == 0);
    if (!Selected(request.items, name)) continue;
    EntryType type = TypeOf(archive.get(), index);
    uint64_t size = (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0;
    size_t id;
    Outcome declared = extraction.Declare(name, type, size, !request.preserve_paths, &id);
    if (declared != Outcome::kDone) return ResultOf(declared);
    if (id == StagedExtraction::kNone) continue;
    bool encrypted = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
    if (encrypted && (request.password.empty() || !zip_encryption_method_supported(stat.encryption_method, 0))) {
      return kZipPassword;
    }
    if ((stat.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(stat.comp_method, 0)) {
      return kZipDamaged;
    }
    files.push_back({index, id, encrypted, (stat.valid & ZIP_STAT_MTIME) ? stat.mtime : 0});
  }
  if (Outcome checked = extraction.Check(); checked != Outcome::kDone) return ResultOf(checked);
  if (Outcome begun = extraction.Begin(); begun != Outcome::kDone) return ResultOf(begun);

  for (const Entry& entry : files) {
    std::unique_ptr<zip_file_t, FileCloser> file(
        entry.encrypted ? zip_fopen_index_encrypted(archive.get(), entry.index, 0, request.password.c_str())
                        : zip_fopen_index(archive.get(), entry.index, 0));
    if (!file) return ReadError(zip_error_code_zip(zip_get_error(archive.get())), entry.encrypted);
    Outcome written = extraction.WriteFile(
        entry.id,
        [&file](char* buffer, size_t size) -> int64_t { return zip_fread(file.get(), buffer, size); },
        entry.modified);
    if (written == Outcome::kReadFailed) {
      return ReadError(zip_error_code_zip(zip_file_get_error(file.get())), entry.encrypted);
    }
    if (written != Outcome::kDone) return ResultOf(written);
  }
  return ResultOf(extraction.Commit());
}

}  // namespace ziparc
