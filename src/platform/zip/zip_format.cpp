#include "platform/zip/zip_format.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <zlib.h>

#include "platform/zip/little_endian.h"

namespace ziparc {

namespace {

constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr uint32_t kCentralHeader = 0x02014b50;
constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kZip64EndLocator = 0x07064b50;
constexpr uint32_t kZip64End = 0x06064b50;
constexpr uint16_t kUtf8Flag = 0x0800;
constexpr uint16_t kUnicodePathField = 0x7075;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kMaxCommentSize = 0xFFFF;

class RawFile {
 public:
  RawFile(const std::filesystem::path& path, bool write)
      : descriptor_(::open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC)) {}
  ~RawFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  bool IsOpen() const { return descriptor_ >= 0; }
  bool Read(uint64_t offset, char* out, size_t size) const {
    return ::pread(descriptor_, out, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
  }
  bool Write(uint64_t offset, const char* data, size_t size) const {
    return ::pwrite(descriptor_, data, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
  }
  uint64_t Size() const {
    off_t end = ::lseek(descriptor_, 0, SEEK_END);
    return end < 0 ? 0 : static_cast<uint64_t>(end);
  }

 private:
  int descriptor_;
};

struct Directory {
  uint64_t offset = 0;
  uint64_t size = 0;
};

bool FindDirectory(const RawFile& file, Directory& directory) {
  uint64_t size = file.Size();
  if (size < kEndRecordSize) return false;
  size_t tail_size = static_cast<size_t>(std::min<uint64_t>(size, kEndRecordSize + kMaxCommentSize));
  std::string tail(tail_size, '\0');
  if (!file.Read(size - tail_size, tail.data(), tail_size)) return false;
  for (size_t at = tail_size - kEndRecordSize + 1; at-- > 0;) {
    if (Get32(&tail[at]) != kEndOfDirectory) continue;
    directory.size = Get32(&tail[at + 12]);
    directory.offset = Get32(&tail[at + 16]);
    if (directory.offset != 0xFFFFFFFF && directory.size != 0xFFFFFFFF) return true;
    uint64_t end_at = size - tail_size + at;
    char locator[20];
    if (end_at < sizeof locator || !file.Read(end_at - sizeof locator, locator, sizeof locator) ||
        Get32(locator) != kZip64EndLocator) {
      return false;
    }
    char end64[56];
    if (!file.Read(Get64(locator + 8), end64, sizeof end64) || Get32(end64) != kZip64End) return false;
    directory.size = Get64(end64 + 40);
    directory.offset = Get64(end64 + 48);
    return true;
  }
  return false;
}

// The local header's offset: in the zip64 extra field when the record holds
// 0xFFFFFFFF (after the sizes that are also there).
bool LocalHeaderOffset(const char* record, std::string_view extra, uint64_t& offset) {
  offset = Get32(record + 42);
  if (offset != 0xFFFFFFFF) return true;
  size_t skip = (Get32(record + 24) == 0xFFFFFFFF ? 8 : 0) + (Get32(record + 20) == 0xFFFFFFFF ? 8 : 0);
  for (size_t at = 0; at + 4 <= extra.size();) {
    uint16_t id = Get16(&extra[at]);
    uint16_t length = Get16(&extra[at + 2]);
    if (id == 0x0001 && skip + 8 <= length && at + 4 + length <= extra.size()) {
      offset = Get64(&extra[at + 4 + skip]);
      return true;
    }
    at += 4 + size_t{length};
  }
  return false;
}

// The central directory's records, checked to hold whole records only.
bool ReadRecords(const RawFile& file, Directory& directory, std::string& records) {
  if (!file.IsOpen() || !FindDirectory(file, directory) || directory.size > file.Size()) return false;
  records.assign(static_cast<size_t>(directory.size), '\0');
  return file.Read(directory.offset, records.data(), records.size());
}

// Renames the extra field `from` to `to` in the fields at `extra`; false
// when there is none.
bool RenameField(char* extra, size_t size, uint16_t from, uint16_t to) {
  for (size_t at = 0; at + 4 <= size;) {
    size_t length = Get16(extra + at + 2);
    if (Get16(extra + at) == from && at + 4 + length <= size) {
      Put16(extra + at, to);
      return true;
    }
    at += 4 + length;
  }
  return false;
}

}  // namespace

std::optional<std::vector<uint64_t>> LocalHeaderOffsets(const std::filesystem::path& archive) {
  RawFile file(archive, false);
  Directory directory;
  std::string records;
  if (!ReadRecords(file, directory, records)) return std::nullopt;
  std::vector<uint64_t> offsets;
  for (size_t at = 0; at + 46 <= records.size();) {
    const char* record = &records[at];
    if (Get32(record) != kCentralHeader) return std::nullopt;
    size_t name_size = Get16(record + 28), extra_size = Get16(record + 30), comment_size = Get16(record + 32);
    size_t next = at + 46 + name_size + extra_size + comment_size;
    if (next > records.size()) return std::nullopt;
    uint64_t local;
    if (!LocalHeaderOffset(record, std::string_view(record + 46 + name_size, extra_size), local)) return std::nullopt;
    offsets.push_back(local);
    at = next;
  }
  return offsets;
}

std::string UnicodePathField(const std::string& stored, const std::string& utf8) {
  std::string field(5, '\0');
  field[0] = 1;  // the field's version
  Put32(&field[1], static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(stored.data()),
                                               static_cast<uInt>(stored.size()))));
  return field + utf8;
}

bool MendNames(const std::filesystem::path& archive, const std::unordered_set<std::string>& names) {
  if (names.empty()) return true;
  RawFile file(archive, true);
  Directory directory;
  std::string records;
  if (!ReadRecords(file, directory, records)) return false;
  for (size_t at = 0; at + 46 <= records.size();) {
    char* record = &records[at];
    if (Get32(record) != kCentralHeader) return false;
    size_t name_size = Get16(record + 28), extra_size = Get16(record + 30), comment_size = Get16(record + 32);
    size_t next = at + 46 + name_size + extra_size + comment_size;
    if (next > records.size()) return false;
    char* extra = record + 46 + name_size;
    if (names.count(std::string(record + 46, name_size))) {
      uint64_t local;
      char header[30];
      if (!LocalHeaderOffset(record, std::string_view(extra, extra_size), local) ||
          !file.Read(local, header, sizeof header) || Get32(header) != kLocalHeader) {
        return false;
      }
      std::string local_extra(Get16(header + 28), '\0');
      uint64_t local_extra_at = local + sizeof header + Get16(header + 26);
      if (!file.Read(local_extra_at, local_extra.data(), local_extra.size())) return false;
      Put16(header + 6, static_cast<uint16_t>(Get16(header + 6) & ~kUtf8Flag));
      Put16(record + 8, static_cast<uint16_t>(Get16(record + 8) & ~kUtf8Flag));
      RenameField(local_extra.data(), local_extra.size(), kUnicodePathPlaceholder, kUnicodePathField);
      RenameField(extra, extra_size, kUnicodePathPlaceholder, kUnicodePathField);
      if (!file.Write(local + 6, header + 6, 2) ||
          !file.Write(local_extra_at, local_extra.data(), local_extra.size())) {
        return false;
      }
    }
    at = next;
  }
  return file.Write(directory.offset, records.data(), records.size());
}

}  // namespace ziparc
