#include "platform/ado/jro.h"

#include <sqlite3.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include <cerrno>
#include <chrono>
#include <thread>
#include <cstring>
#include <optional>

#include "platform/ado/errors.h"
#include "platform/ado/jet_catalog.h"
#include "platform/ado/providers.h"
#include "platform/ado/replaceable_files.h"
#include "platform/ado/sqlite_session.h"
#include "platform/fs/scratch_names.h"
#include "platform/sys/stop_points.h"
#include "platform/vb/convert.h"

namespace ado {
namespace {

constexpr char16_t kPasswordSetting[] = u"Password";

struct Endpoint {
  ConnectionString cs;
  String source;  // the engine, for messages
  String path;
  std::filesystem::path host;
};

Endpoint EndpointOf(vb::StringView connection_string) {
  Endpoint e{ConnectionString::Parse(connection_string), {}, {}, {}};
  std::optional<ProviderId> id = ProviderOf(e.cs, u"");
  if (!id || !IsProviderInstalled(*id)) RaiseAdo(kErrProviderNotFound, u"JRO.JetEngine");
  if (!IsFileProvider(*id)) RaiseAdo(kErrFeatureNotAvailable, u"JRO.JetEngine");
  e.source = EngineSource(*id);
  e.path = DataSourceOf(e.cs);
  e.host = HostFileOf(e.path, e.source);
  return e;
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

}  // namespace

void JetEngine::CompactDatabase(vb::StringView source, vb::StringView destination) {
  Endpoint from = EndpointOf(source);
  Endpoint to = EndpointOf(destination);
  std::error_code ec;
  if (std::filesystem::exists(to.host, ec)) RaiseProvider(kDbDatabaseExists, u"Database already exists.", to.source);
  auto db = Database::Open(from.host, Database::Mode::kOpenExisting, from.path, from.source);
  if (catalog::ReadSetting(*db, kPasswordSetting) != from.cs.Get({u"Jet OLEDB:Database Password"}).value_or(u""))
    RaiseProvider(kDbBadPassword, u"Not a valid password.", from.source);
  db->Exec("VACUUM INTO " + Quoted(to.host.string()));
  auto copy = Database::Open(to.host, Database::Mode::kOpenExisting, to.path, to.source);
  String password = to.cs.Get({u"Jet OLEDB:Database Password"}).value_or(u"");
  if (password != catalog::ReadSetting(*copy, kPasswordSetting)) catalog::WriteSetting(*copy, kPasswordSetting, password);
}

namespace {

// How long a swap waits for the connections that hold the target, as a
// statement waits for another connection's lock.
constexpr int kLockWaitMs = 10000;
constexpr char16_t kEngine[] = u"Microsoft JET Database Engine";

// Waits for another connection's lock in short steps: a busy writer leaves
// the lock free only for moments between its commits, which a wait that
// grows longer would rarely meet.
constexpr int kLockPollMicroseconds = 200;

int WaitBriefly(void*, int calls) {
  if (static_cast<int64_t>(calls) * kLockPollMicroseconds >= int64_t{kLockWaitMs} * 1000) return 0;
  std::this_thread::sleep_for(std::chrono::microseconds(kLockPollMicroseconds));
  return 1;
}

[[noreturn]] void Fail(const std::string& what, sqlite3* db) {
  std::string message = what;
  if (db) message += std::string(": ") + sqlite3_errmsg(db);
  RaiseProvider(kEFail, vb::FromUtf8(message), kEngine);
}

// A connection of our own to a database file, closed when it goes.
class RawConnection {
 public:
  RawConnection(const std::filesystem::path& file, int flags) {
    UseReplaceableDatabaseFiles();
    if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      std::string message = "cannot open " + file.string() + ": " + sqlite3_errmsg(db_);
      sqlite3_close_v2(db_);
      db_ = nullptr;
      Fail(message, nullptr);
    }
    sqlite3_busy_handler(db_, WaitBriefly, nullptr);
  }
  ~RawConnection() { sqlite3_close_v2(db_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;
  sqlite3* get() const { return db_; }
  void Exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql, db_);
  }

 private:
  sqlite3* db_ = nullptr;
};

// The change counter in the file's header (bytes 24 to 27), read through the
// connection's own file handle while it holds a lock: a second descriptor of
// this process would drop the connection's locks when it closed.
// Fields of the file's header (big-endian 32-bit numbers at these offsets).
constexpr int kChangeCounterOffset = 24;
constexpr int kSchemaCookieOffset = 40;
constexpr int kVersionValidForOffset = 92;  // the change counter that the stored page count is valid for

uint32_t BigEndian(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

void PutBigEndian(unsigned char* bytes, uint32_t n) {
  for (int i = 3; i >= 0; --i, n >>= 8) bytes[i] = static_cast<unsigned char>(n);
}

// A header field, read through the connection's own file handle while it
// holds a lock: a second descriptor of this process would drop the
// connection's locks when it closed. An empty file (an empty database, as
// the engine takes it) reads as zeros, as the engine's file layer fills
// what a short read misses.
uint32_t HeaderField(sqlite3* db, int offset) {
  sqlite3_file* file = nullptr;
  unsigned char bytes[4] = {};
  int rc = SQLITE_ERROR;
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file && file->pMethods)
    rc = file->pMethods->xRead(file, bytes, 4, offset);
  if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) Fail("cannot read the database header", db);
  return BigEndian(bytes);
}

ChangeCounter HeaderCounter(sqlite3* db) { return HeaderField(db, kChangeCounterOffset); }

// Gives the replacement, which no connection has open, a change counter and
// a schema cookie that the target's connections have not seen: at their
// next transaction they drop what they cached of the old file. Then it is
// made durable, before it takes the target's name.
void StampReplacement(const std::filesystem::path& replacement, ChangeCounter counter, uint32_t old_cookie) {
  int fd = ::open(replacement.c_str(), O_RDWR | O_CLOEXEC);
  unsigned char header[100];
  bool ok = fd >= 0 && ::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
  if (ok) {
    PutBigEndian(header + kChangeCounterOffset, counter);
    PutBigEndian(header + kVersionValidForOffset, counter);
    PutBigEndian(header + kSchemaCookieOffset, std::max(old_cookie, BigEndian(header + kSchemaCookieOffset)) + 1);
    ok = ::pwrite(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) && ::fsync(fd) == 0;
  }
  if (fd >= 0) ::close(fd);
  if (!ok) Fail("cannot prepare " + replacement.string(), nullptr);
}

void SyncFolder(const std::filesystem::path& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// True when the database keeps its latest pages in a write-ahead log, so
// that its file alone is not the whole database.
bool IsWriteAheadLogged(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  bool wal = false;
  if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
    wal = sqlite3_strnicmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal", 3) == 0;
  sqlite3_finalize(stmt);
  return wal;
}

// The file's bytes into a new file, read through the connection's own file
// handle while its read lock keeps writers out of the file.
// The locked file's bytes by the kernel's copy when the name still stands for
// the locked file (its header, change counter included, reads the same both
// ways); false, with nothing written, otherwise.
bool CopyByKernel(sqlite3_file* file, sqlite3_int64 size, const std::filesystem::path& source, int out) {
  char locked[100], named[100];
  if (size < static_cast<sqlite3_int64>(sizeof locked) ||
      file->pMethods->xRead(file, locked, sizeof locked, 0) != SQLITE_OK)
    return false;
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  bool same = ::pread(in, named, sizeof named, 0) == static_cast<ssize_t>(sizeof named) &&
              std::memcmp(locked, named, sizeof locked) == 0;
  loff_t from = 0, to = 0;
  while (same && from < size) {
    ssize_t n = ::copy_file_range(in, &from, out, &to, static_cast<size_t>(size - from), 0);
    if (n <= 0) same = false;
  }
  ::close(in);
  if (!same && ::ftruncate(out, 0) != 0) return false;
  return same;
}

bool CopyFileBytes(sqlite3* db, const std::filesystem::path& source, const std::filesystem::path& destination) {
  sqlite3_file* file = nullptr;
  sqlite3_int64 size = 0;
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods ||
      file->pMethods->xFileSize(file, &size) != SQLITE_OK)
    return false;
  int out = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) return false;
  if (CopyByKernel(file, size, source, out)) return ::close(out) == 0;
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (sqlite3_int64 offset = 0; ok && offset < size;) {
    int n = static_cast<int>(std::min<sqlite3_int64>(static_cast<sqlite3_int64>(buffer.size()), size - offset));
    ok = file->pMethods->xRead(file, buffer.data(), n, offset) == SQLITE_OK;
    for (int done = 0; ok && done < n;) {
      ssize_t w = ::pwrite(out, buffer.data() + done, static_cast<size_t>(n - done), offset + done);
      ok = w > 0;
      done += ok ? static_cast<int>(w) : 0;
    }
    offset += n;
  }
  return ::close(out) == 0 && ok;
}

// The database's pages into a new file through the engine's backup.
bool CopyPages(sqlite3* db, const std::filesystem::path& destination) {
  RawConnection to(destination, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", db, "main");
  int rc = backup ? sqlite3_backup_step(backup, -1) : sqlite3_errcode(to.get());
  sqlite3_backup_finish(backup);
  return rc == SQLITE_DONE;
}

// Steps the backup, waiting while connections hold the target.
int StepWaiting(sqlite3_backup* backup, int pages) {
  int rc;
  for (int calls = 0; (rc = sqlite3_backup_step(backup, pages)) == SQLITE_BUSY || rc == SQLITE_LOCKED; ++calls)
    if (!WaitBriefly(nullptr, calls)) break;
  return rc;
}

// Gives the replacement the target's name when no file has it; false, with
// nothing done, when one has. Across file systems the replacement is first
// copied onto the target's, as scratch where a mount finds it if it can, so
// that the target appears whole.
bool PlaceNewDatabase(const std::filesystem::path& target, const std::filesystem::path& replacement) {
  if (::link(replacement.c_str(), target.c_str()) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != EXDEV) Fail("cannot create " + target.string() + ": " + std::strerror(errno), nullptr);
  const std::filesystem::path staged = fs::ScratchFolderFor(target.parent_path()) / fs::ScratchName("new-");
  std::error_code ec;
  if (!std::filesystem::copy_file(replacement, staged, ec)) {
    std::filesystem::remove(staged, ec);
    Fail("cannot copy " + replacement.string(), nullptr);
  }
  sys::StopPoint("crossed");
  bool placed = ::link(staged.c_str(), target.c_str()) == 0;
  int error = errno;
  std::filesystem::remove(staged, ec);
  if (!placed && error != EEXIST) Fail("cannot create " + target.string() + ": " + std::strerror(error), nullptr);
  return placed;
}

// Copies the replacement's pages into the target under the target's lock.
// With `unchanged_since`, the target's change counter is read once the lock
// is held, before any page is written: when it moved, nothing is copied.
bool CopyPagesInto(const std::filesystem::path& target, const std::filesystem::path& replacement,
                   std::optional<ChangeCounter> unchanged_since) {
  std::error_code ec;
  // An empty source would end the copy at once and leave the target empty.
  if (std::filesystem::file_size(replacement, ec) == 0) Fail("not a database: " + replacement.string(), nullptr);
  RawConnection from(replacement, SQLITE_OPEN_READONLY);
  RawConnection to(target, SQLITE_OPEN_READWRITE);
  sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
  if (!backup) Fail("cannot copy into " + target.string(), to.get());
  int rc = SQLITE_OK;
  if (unchanged_since) {
    // No page yet: the step takes the target's lock and keeps it.
    rc = StepWaiting(backup, 0);
    if (rc == SQLITE_OK && HeaderCounter(to.get()) != *unchanged_since) {
      sqlite3_backup_finish(backup);
      return false;
    }
  }
  // All pages in one step: the target is locked once, for the whole copy.
  if (rc == SQLITE_OK) rc = StepWaiting(backup, -1);
  sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) Fail("cannot copy into " + target.string(), to.get());
  return true;
}

enum class Swap { kDone, kMoved, kOtherFileSystem };

// Renames the replacement over the target. `held` holds the target's write
// lock, so no write is under way in the old file and none can begin there:
// connections reading it finish with it whole, and each connection finds the
// new file at its next transaction (replaceable_files.h).
Swap RenameHeld(sqlite3* held, const std::filesystem::path& target, const std::filesystem::path& replacement) {
  StampReplacement(replacement, HeaderCounter(held) + 1, HeaderField(held, kSchemaCookieOffset));
  if (::rename(replacement.c_str(), target.c_str()) != 0) {
    int error = errno;
    if (error == EXDEV) return Swap::kOtherFileSystem;
    Fail("cannot rename " + replacement.string() + " to " + target.string() + ": " + std::strerror(error), nullptr);
  }
  SyncFolder(target.parent_path());
  return Swap::kDone;
}

// With `unchanged_since`, nothing is done when the target's counter moved.
Swap RenameInto(const std::filesystem::path& target, const std::filesystem::path& replacement,
                std::optional<ChangeCounter> unchanged_since) {
  RawConnection to(target, SQLITE_OPEN_READWRITE);
  to.Exec("BEGIN IMMEDIATE");
  Swap swap = unchanged_since && HeaderCounter(to.get()) != *unchanged_since ? Swap::kMoved
                                                                            : RenameHeld(to.get(), target, replacement);
  to.Exec("ROLLBACK");
  return swap;
}

}  // namespace

bool PlaceDatabaseWhereNoneIs(const std::filesystem::path& target, const std::filesystem::path& replacement) {
  if (!PlaceNewDatabase(target, replacement)) return false;
  std::error_code ec;
  std::filesystem::remove(replacement, ec);
  return true;
}

void ReplaceDatabase(const std::filesystem::path& target, const std::filesystem::path& replacement) {
  std::error_code ec;
  if (!std::filesystem::exists(target, ec) && PlaceNewDatabase(target, replacement)) {
    std::filesystem::remove(replacement, ec);
    return;
  }
  if (RenameInto(target, replacement, std::nullopt) == Swap::kOtherFileSystem)
    CopyPagesInto(target, replacement, std::nullopt);
  std::filesystem::remove(replacement, ec);
}

bool ReplaceDatabaseIfUnchanged(const std::filesystem::path& target, const std::filesystem::path& replacement,
                                ChangeCounter counter) {
  std::error_code ec;
  if (!std::filesystem::exists(target, ec)) return false;
  Swap swap = RenameInto(target, replacement, counter);
  if (swap == Swap::kMoved) return false;
  if (swap == Swap::kOtherFileSystem && !CopyPagesInto(target, replacement, counter)) return false;
  std::filesystem::remove(replacement, ec);
  return true;
}

ChangeCounter CopyDatabase(const std::filesystem::path& source, const std::filesystem::path& destination) {
  std::error_code ec;
  if (std::filesystem::exists(destination, ec)) RaiseProvider(kDbDatabaseExists, u"Database already exists.", kEngine);
  RawConnection from(source, SQLITE_OPEN_READWRITE);
  // One read transaction: the counter and every page come from one moment.
  from.Exec("BEGIN");
  from.Exec("SELECT count(*) FROM sqlite_master");
  ChangeCounter counter = HeaderCounter(from.get());
  bool copied = IsWriteAheadLogged(from.get()) ? CopyPages(from.get(), destination)
                                              : CopyFileBytes(from.get(), source, destination);
  sqlite3_exec(from.get(), "COMMIT", nullptr, nullptr, nullptr);
  if (!copied) {
    std::filesystem::remove(destination, ec);
    Fail("cannot copy " + source.string() + " to " + destination.string(), nullptr);
  }
  return counter;
}

DatabaseWriteLock::DatabaseWriteLock(const std::filesystem::path& file) : file_(file) {
  UseReplaceableDatabaseFiles();
  bool held = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
  if (held) {
    sqlite3_busy_handler(db_, WaitBriefly, nullptr);
    held = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  if (!held) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
    RaiseProvider(kEFail, u"Could not update; currently locked.", kEngine);
  }
  counter_ = HeaderCounter(db_);
}

bool DatabaseWriteLock::Replace(const std::filesystem::path& replacement) {
  // The lock keeps writers out; a counter that moved all the same means it
  // was lost, and the file is left to what was written under it.
  if (HeaderCounter(db_) != counter_) Fail("the write lock of " + file_.string() + " was lost", nullptr);
  return RenameHeld(db_, file_, replacement) == Swap::kDone;
}

DatabaseWriteLock::~DatabaseWriteLock() {
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close_v2(db_);
}

const com::MemberTable<JetEngine>& JetEngine::Members() {
  using A = com::ArgList;
  static const com::MemberTable<JetEngine> table = {
      {u"CompactDatabase", com::kGet, 2, 2,
       [](JetEngine& e, A& a) {
         e.CompactDatabase(vb::CStr(a[0]), vb::CStr(a[1]));
         return vb::Variant();
       }},
      {u"RefreshCache", com::kGet, 1, 1, [](JetEngine&, A&) { return vb::Variant(); }},
  };
  return table;
}

}  // namespace ado
