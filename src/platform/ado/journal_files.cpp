#include "platform/ado/journal_files.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <string>

#include "platform/ado/database_file.h"
#include "platform/fs/file_range_lock.h"

namespace ado {
namespace {

// The journal's header, as the engine writes it: the magic number, the
// record count, the checksum seed, the database's size, the sector size and
// the page size (big-endian 32-bit numbers).
constexpr std::array<unsigned char, 8> kMagic = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
constexpr size_t kSectorSizeAt = 20, kPageSizeAt = 24, kFieldsEnd = 28;
// The header fills a sector; the engine reads one only from a journal that
// holds that much. It takes the sector as 512 bytes on file systems that
// never tear a write of a sector's neighbours (its default) and as more
// otherwise, so a shorter journal is never read.
constexpr uint64_t kLeastHeader = 512;
constexpr uint32_t kLeastSector = 32, kMostSector = 65536, kLeastPage = 512, kMostPage = 65536;

uint32_t BigEndian(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

bool PowerOfTwoWithin(uint32_t n, uint32_t least, uint32_t most) {
  return n >= least && n <= most && (n & (n - 1)) == 0;
}

constexpr char kJournalEnd[] = "-journal";

// The database's first read, by the engine: it plays back a hot journal,
// and leaves the journal of a writer at work alone.
void ReadOnce(const std::filesystem::path& database) {
  sqlite3* db = OpenDatabaseFile(database);
  if (db) sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

// Removes a journal that the engine would not play back, holding what the
// engine holds to play one back: the pending byte and the shared range, so
// that no connection reads or writes the database meanwhile. Never the
// reserved byte: a reader that saw it held would take a dead writer's
// journal for a live one's and read the database as that writer left it.
void RemoveIfDead(const std::filesystem::path& journal, const std::filesystem::path& database) {
  const int fd = fs::OpenAboveStandardStreams(database, O_RDWR);
  if (fd < 0) return;
  struct stat held {};
  if (fs::SetRangeLock(fd, F_WRLCK, {kPendingLockByte, 1}) == 0 &&
      fs::SetRangeLock(fd, F_WRLCK, {kSharedLockFirst, kSharedLockSize}) == 0 &&
      ::fstat(fd, &held) == 0 && !WouldRollBackFrom(journal, static_cast<uint64_t>(held.st_size))) {
    std::error_code error;
    std::filesystem::remove(journal, error);
  }
  ::close(fd);
}

}  // namespace

bool WouldRollBackFrom(const std::filesystem::path& journal, uint64_t database_size) {
  // A database without pages: the engine deletes the journal unread.
  if (database_size == 0) return false;
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(journal, error);
  // An unreadable journal is left to the engine.
  if (error) return true;
  if (size < kLeastHeader) return false;
  std::array<unsigned char, kFieldsEnd> header{};
  std::ifstream in(journal, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(header.data()), header.size())) return true;
  // A zero first byte: the journal is not hot (it is zeroed once its
  // transaction is over, and its magic is written only once it is synced).
  if (header[0] == 0) return false;
  if (!std::equal(kMagic.begin(), kMagic.end(), header.begin())) return false;
  const uint32_t page_size = BigEndian(&header[kPageSizeAt]);  // 0 in journals of old engines: the database's
  return PowerOfTwoWithin(BigEndian(&header[kSectorSizeAt]), kLeastSector, kMostSector) &&
         (page_size == 0 || PowerOfTwoWithin(page_size, kLeastPage, kMostPage));
}

void SettleJournal(const std::filesystem::path& journal) {
  const std::string name = journal.string();
  if (!name.ends_with(kJournalEnd)) return;
  const std::filesystem::path database = name.substr(0, name.size() - (sizeof kJournalEnd - 1));
  std::error_code error;
  if (!std::filesystem::exists(database, error)) {
    if (!error) std::filesystem::remove(journal, error);
    return;
  }
  if (WouldRollBackFrom(journal, std::filesystem::file_size(database, error))) ReadOnce(database);
  if (std::filesystem::exists(journal, error)) RemoveIfDead(journal, database);
}

}  // namespace ado
