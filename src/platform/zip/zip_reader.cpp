#include "platform/zip/zip_reader.h"

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "platform/fs/paths.h"
#include "platform/fs/search.h"
#include "platform/vb/error.h"
#include "platform/zip/entry_decoders.h"
#include "platform/zip/entry_names.h"
#include "platform/zip/staged_extraction.h"
#include "platform/zip/zip_fallback.h"
#include "platform/zip/zip_format.h"

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

enum class Route {
  kLibzip,     // libzip reads and decodes
  kDecoded,    // libzip decrypts; this reader decodes (see entry_decoders.h)
  kLibarchive, // neither can: libarchive reads it
};

struct Entry {
  zip_uint64_t index;
  size_t id;
  bool encrypted;
  std::time_t modified;
  Route route;
  zip_stat_t stat;
};

bool IsAes(const zip_stat_t& stat) {
  return stat.encryption_method == ZIP_EM_AES_128 || stat.encryption_method == ZIP_EM_AES_192 ||
         stat.encryption_method == ZIP_EM_AES_256;
}

// libzip 1.7.3 checks the CRC of a decompressed or stored AES entry, which
// the AE-2 form leaves 0, and fails it; it reads neither Deflate64 nor LZMA.
// libarchive decrypts stored AES entries and checks their authentication
// code.
Route RouteOf(const zip_stat_t& stat, bool encrypted) {
  if (IsAes(stat) && stat.comp_method == ZIP_CM_STORE) return Route::kLibarchive;
  bool decrypts = !encrypted || zip_encryption_method_supported(stat.encryption_method, 0);
  bool libzip_decodes = zip_compression_method_supported(stat.comp_method, 0);
  if (decrypts && libzip_decodes && !IsAes(stat)) return Route::kLibzip;
  if (decrypts && DecodesMethod(stat.comp_method)) return Route::kDecoded;
  return Route::kLibarchive;
}

// How an unflagged name's bytes are read: by the system that wrote them.
NameBytes UnflaggedNameBytes(zip_t* archive, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) return NameBytes::kFromWindows;
  return system == ZIP_OPSYS_UNIX || system == ZIP_OPSYS_OS_X ? NameBytes::kFromUnix : NameBytes::kFromWindows;
}

// Each entry's place among the distinct local headers by offset: the order
// in which libarchive walks them.
std::optional<std::vector<size_t>> DataPositions(const std::filesystem::path& host, zip_int64_t count) {
  std::optional<std::vector<uint64_t>> offsets = LocalHeaderOffsets(host);
  if (!offsets || offsets->size() != static_cast<size_t>(count)) return std::nullopt;
  std::vector<uint64_t> sorted = *offsets;
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  std::vector<size_t> positions;
  for (uint64_t offset : *offsets) {
    positions.push_back(static_cast<size_t>(std::lower_bound(sorted.begin(), sorted.end(), offset) - sorted.begin()));
  }
  return positions;
}

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
  // once in 256 tries; the checksum, or the data as decoded, then tells.
  if ((code == ZIP_ER_CRC || code == ZIP_ER_OK) && encrypted) return kZipPassword;
  return kZipDamaged;
}

// The bytes of one entry through libzip, decoded by libzip or by this reader.
ZipResult ReadThroughLibzip(zip_t* archive, const Entry& entry, const std::string& password,
                            StagedExtraction& extraction) {
  zip_flags_t flags = entry.route == Route::kDecoded ? ZIP_FL_COMPRESSED : 0;
  std::unique_ptr<zip_file_t, FileCloser> file(
      entry.encrypted ? zip_fopen_index_encrypted(archive, entry.index, flags, password.c_str())
                      : zip_fopen_index(archive, entry.index, flags));
  if (!file) return ReadError(zip_error_code_zip(zip_get_error(archive)), entry.encrypted);
  ByteSource stored = [&file](char* buffer, size_t size) -> int64_t { return zip_fread(file.get(), buffer, size); };
  ByteSource read = stored;
  bool over_limit = false;
  if (entry.route == Route::kDecoded) {
    // AE-2 leaves the CRC 0; its authentication code stands in.
    std::optional<uint32_t> crc;
    if (!(IsAes(entry.stat) && entry.stat.crc == 0)) crc = entry.stat.crc;
    ByteSource decoded =
        DecodedEntry(entry.stat.comp_method, stored, entry.stat.size, crc, CurrentLimits().decoder_memory, &over_limit);
    // libzip checks the authentication code when the encrypted bytes are
    // read to their end, which a decoder that has its stream's end marker
    // never asks for.
    read = !IsAes(entry.stat) ? decoded : [decoded, stored](char* buffer, size_t size) -> int64_t {
      int64_t got = decoded(buffer, size);
      if (got != 0) return got;
      char rest[512];
      while ((got = stored(rest, sizeof rest)) > 0) {
      }
      return got;
    };
  }
  Outcome written = extraction.WriteFile(entry.id, read, entry.modified);
  if (written == Outcome::kReadFailed) {
    if (over_limit) return kZipDamaged;
    return ReadError(zip_error_code_zip(zip_file_get_error(file.get())), entry.encrypted);
  }
  return written == Outcome::kDone ? kZipSuccess : ResultOf(written);
}

// libarchive allocates a PPMd entry's model as its first two bytes declare
// it: bits 4 to 11 hold its size in MiB, less one.
bool PpmdModelFits(zip_t* archive, const Entry& entry, const std::string& password) {
  constexpr int32_t kPpmd = 98;
  if (entry.stat.comp_method != kPpmd) return true;
  std::unique_ptr<zip_file_t, FileCloser> file(
      entry.encrypted ? zip_fopen_index_encrypted(archive, entry.index, ZIP_FL_COMPRESSED, password.c_str())
                      : zip_fopen_index(archive, entry.index, ZIP_FL_COMPRESSED));
  unsigned char header[2];
  if (!file || zip_fread(file.get(), header, sizeof header) != sizeof header) return true;  // libarchive tells
  uint64_t model = (((header[0] | header[1] << 8) >> 4 & 0xFF) + uint64_t{1}) << 20;
  return model <= CurrentLimits().ppmd_model_memory;
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

  zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  StagedExtraction extraction(request.destination);
  std::vector<Entry> files;
  for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
    zip_stat_t stat;
    if (zip_stat_index(archive.get(), index, 0, &stat) != 0) return kZipDamaged;
    const char* raw = zip_get_name(archive.get(), index, ZIP_FL_ENC_RAW);
    const char* strict = zip_get_name(archive.get(), index, ZIP_FL_ENC_STRICT);
    if (!raw || !strict) return kZipDamaged;
    // Only a name flagged UTF-8 (or given in UTF-8 by an Info-ZIP Unicode
    // Path field) reads the same strictly (as code page 437 otherwise).
    bool flagged = std::strcmp(raw, strict) == 0;
    vb::String name = DecodeEntryName(raw, flagged ? NameBytes::kUtf8 : UnflaggedNameBytes(archive.get(), index));
    if (!Selected(request.items, name)) continue;
    EntryType type = TypeOf(archive.get(), index);
    uint64_t size = (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0;
    size_t id;
    Outcome declared = extraction.Declare(name, type, size, !request.preserve_paths, &id);
    if (declared != Outcome::kDone) return ResultOf(declared);
    if (id == StagedExtraction::kNone) continue;
    bool encrypted = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
    if (encrypted && request.password.empty()) return kZipPassword;
    std::time_t modified = (stat.valid & ZIP_STAT_MTIME) ? stat.mtime : 0;
    files.push_back({index, id, encrypted, modified, RouteOf(stat, encrypted), stat});
  }
  if (Outcome checked = extraction.Check(); checked != Outcome::kDone) return ResultOf(checked);

  std::vector<FallbackEntry> fallback;
  std::optional<std::vector<size_t>> positions;
  for (const Entry& entry : files) {
    if (entry.route != Route::kLibarchive) continue;
    if (!PpmdModelFits(archive.get(), entry, request.password)) return kZipDamaged;
    if (!positions && !(positions = DataPositions(host, count))) return kZipDamaged;
    fallback.push_back({(*positions)[entry.index], entry.id, entry.stat.size, entry.encrypted, entry.modified});
  }
  std::sort(fallback.begin(), fallback.end(),
            [](const FallbackEntry& a, const FallbackEntry& b) { return a.position < b.position; });
  if (Outcome begun = extraction.Begin(); begun != Outcome::kDone) return ResultOf(begun);
  for (const Entry& entry : files) {
    if (entry.route == Route::kLibarchive) continue;
    if (ZipResult read = ReadThroughLibzip(archive.get(), entry, request.password, extraction); read != kZipSuccess)
      return read;
  }
  if (ZipResult read = ReadThroughLibarchive(host, request.password, fallback, extraction); read != kZipSuccess)
    return read;
  return ResultOf(extraction.Commit());
}

}  // namespace ziparc
