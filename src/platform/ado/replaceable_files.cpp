#include "platform/ado/replaceable_files.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/ado/database_file.h"
#include "platform/ado/sqlite_db.h"
#include "platform/sys/stop_points.h"

namespace ado {
namespace {

// The engine's own file system, under ours.
sqlite3_vfs* g_base = nullptr;

struct ReplaceableFile {
  sqlite3_file base;   // its methods are ours
  sqlite3_file* real;  // the base file system's file
  const char* name;    // as the engine gave it (the engine keeps it while the file is open)
  int flags;
  int lock_fd;         // a database's own descriptor for its locks; -1 for other files
  int level;           // the lock held through lock_fd
};

ReplaceableFile* Of(sqlite3_file* f) { return reinterpret_cast<ReplaceableFile*>(f); }
sqlite3_file* Real(sqlite3_file* f) { return Of(f)->real; }
const sqlite3_io_methods& M(sqlite3_file* f) { return *Real(f)->pMethods; }

sqlite3_file* OpenBase(const char* name, int flags, int* out_flags, int* rc) {
  auto* file = static_cast<sqlite3_file*>(sqlite3_malloc(g_base->szOsFile));
  if (!file) {
    *rc = SQLITE_NOMEM;
    return nullptr;
  }
  std::memset(file, 0, static_cast<size_t>(g_base->szOsFile));
  *rc = g_base->xOpen(g_base, name, file, flags, out_flags);
  if (*rc != SQLITE_OK) {
    if (file->pMethods) file->pMethods->xClose(file);
    sqlite3_free(file);
    return nullptr;
  }
  return file;
}

void CloseBase(sqlite3_file* file) {
  if (file->pMethods) file->pMethods->xClose(file);
  sqlite3_free(file);
}

// The engine's locks on a database file, taken in the engine's own byte
// ranges (so other processes that use the engine see them) but as locks of
// an open file description, held by this connection's own descriptor. The
// engine's locks belong to the process instead: closing any descriptor of
// the file, anywhere in the process (a copy, a size or format check), drops
// them all, and another process could then write under a lock still thought
// held.
constexpr off_t kPendingByte = kPendingLockByte;
constexpr off_t kReservedByte = kReservedLockByte;
constexpr off_t kSharedFirst = kSharedLockFirst;
constexpr off_t kSharedSize = kSharedLockSize;

// True when taken; false when another holder has it; an errno otherwise.
int SetRange(int fd, short type, off_t start, off_t length) {
  const int error = fs::SetRangeLock(fd, type, {start, length});
  if (error == 0) return SQLITE_OK;
  return error == EAGAIN || error == EACCES ? SQLITE_BUSY : SQLITE_IOERR_LOCK;
}

int TakeLock(ReplaceableFile* file, int level) {
  const int fd = file->lock_fd;
  if (file->level >= level) return SQLITE_OK;
  if (level == SQLITE_LOCK_SHARED) {
    // A writer waiting for its exclusive lock holds the pending byte: new
    // readers stay out until it is done.
    int rc = SetRange(fd, F_RDLCK, kPendingByte, 1);
    if (rc != SQLITE_OK) return rc;
    rc = SetRange(fd, F_RDLCK, kSharedFirst, kSharedSize);
    SetRange(fd, F_UNLCK, kPendingByte, 1);
    if (rc == SQLITE_OK) file->level = SQLITE_LOCK_SHARED;
    return rc;
  }
  if (level == SQLITE_LOCK_RESERVED) {
    int rc = SetRange(fd, F_WRLCK, kReservedByte, 1);
    if (rc == SQLITE_OK) file->level = SQLITE_LOCK_RESERVED;
    return rc;
  }
  if (file->level < SQLITE_LOCK_PENDING) {
    int rc = SetRange(fd, F_WRLCK, kPendingByte, 1);
    if (rc != SQLITE_OK) return rc;
    file->level = SQLITE_LOCK_PENDING;
  }
  if (level == SQLITE_LOCK_PENDING) return SQLITE_OK;
  int rc = SetRange(fd, F_WRLCK, kSharedFirst, kSharedSize);
  if (rc == SQLITE_OK) file->level = SQLITE_LOCK_EXCLUSIVE;
  return rc;
}

int DropLock(ReplaceableFile* file, int level) {
  const int fd = file->lock_fd;
  if (file->level <= level) return SQLITE_OK;
  if (file->level > SQLITE_LOCK_SHARED) {
    if (level == SQLITE_LOCK_SHARED && SetRange(fd, F_RDLCK, kSharedFirst, kSharedSize) != SQLITE_OK)
      return SQLITE_IOERR_RDLOCK;
    SetRange(fd, F_UNLCK, kPendingByte, 2);  // the pending and reserved bytes
    file->level = SQLITE_LOCK_SHARED;
  }
  if (level == SQLITE_LOCK_NONE) {
    SetRange(fd, F_UNLCK, kSharedFirst, kSharedSize);
    file->level = SQLITE_LOCK_NONE;
  }
  return SQLITE_OK;
}

// Whether another open file description holds the reserved byte of the file
// that `fd` has open (a writer is at work); nullopt when it cannot be told.
std::optional<bool> ReservedElsewhere(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kReservedByte;
  lock.l_len = 1;
  if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) return std::nullopt;
  return lock.l_type != F_UNLCK;
}

int ReservedByAnyone(ReplaceableFile* file, int* out) {
  if (file->level > SQLITE_LOCK_SHARED) {
    *out = 1;
    return SQLITE_OK;
  }
  const std::optional<bool> reserved = ReservedElsewhere(file->lock_fd);
  if (!reserved) return SQLITE_IOERR_CHECKRESERVEDLOCK;
  *out = *reserved;
  return SQLITE_OK;
}

// The readers' turns that this process holds, by the descriptors that hold
// them.
std::mutex g_turns_mutex;
std::vector<int> g_turns;

// A connection of this process that goes straight from its read lock to the
// exclusive lock is about to play back a hot journal, which a writer left
// when it died: a turn of this process on the same file lets go of the
// pending byte for it, or the read that the turn is for would wait for
// itself. (No writer is left to keep out.) True when a turn let go.
bool YieldTurnsTo(int fd) {
  struct stat file {};
  if (::fstat(fd, &file) != 0) return false;
  std::lock_guard<std::mutex> hold(g_turns_mutex);
  bool yielded = false;
  for (int turn : g_turns) {
    struct stat held {};
    if (::fstat(turn, &held) == 0 && held.st_dev == file.st_dev && held.st_ino == file.st_ino)
      yielded = SetRange(turn, F_UNLCK, kPendingByte, 1) == SQLITE_OK || yielded;
  }
  return yielded;
}

// A descriptor for the locks of the file that `real` has open: opened by
// name, and kept only when the name still stands for that file. -1 when no
// such descriptor could be had.
int OpenLockDescriptor(sqlite3_file* real, const char* name, int flags) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    // Never a standard stream's number: a stray write there would land in
    // the database.
    int fd = fs::OpenAboveStandardStreams(name, (flags & SQLITE_OPEN_READONLY) ? O_RDONLY : O_RDWR);
    if (fd < 0 && !(flags & SQLITE_OPEN_READONLY)) fd = fs::OpenAboveStandardStreams(name, O_RDONLY);
    if (fd < 0) return -1;
    int moved = 1;
    if (real->pMethods->xFileControl(real, SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && !moved &&
        fs::NamesOpenFile(name, fd))
      return fd;
    ::close(fd);
    if (moved) return -1;
  }
  return -1;
}

bool OwnLocks(sqlite3_file* f) { return Of(f)->lock_fd >= 0; }

// True when the file's name now stands for another file.
bool NameMovedOn(sqlite3_file* f) {
  int moved = 0;
  if (M(f).xFileControl(Real(f), SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || !moved) return false;
  struct stat named {};
  return ::stat(Of(f)->name, &named) == 0;
}

int Close(sqlite3_file* f) {
  CloseBase(Real(f));
  Of(f)->real = nullptr;
  if (Of(f)->lock_fd >= 0) ::close(Of(f)->lock_fd);
  Of(f)->lock_fd = -1;
  return SQLITE_OK;
}

int Read(sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return M(f).xRead(Real(f), b, n, o); }
int Write(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) { return M(f).xWrite(Real(f), b, n, o); }
int Truncate(sqlite3_file* f, sqlite3_int64 size) { return M(f).xTruncate(Real(f), size); }
int Sync(sqlite3_file* f, int flags) { return M(f).xSync(Real(f), flags); }
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return M(f).xFileSize(Real(f), size); }
int Unlock(sqlite3_file* f, int level) { return OwnLocks(f) ? DropLock(Of(f), level) : M(f).xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) {
  return OwnLocks(f) ? ReservedByAnyone(Of(f), out) : M(f).xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) { return M(f).xFileControl(Real(f), op, arg); }
int SectorSize(sqlite3_file* f) { return M(f).xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return M(f).xDeviceCharacteristics(Real(f)); }
int ShmMap(sqlite3_file* f, int i, int size, int extend, void volatile** p) {
  return M(f).iVersion >= 2 ? M(f).xShmMap(Real(f), i, size, extend, p) : SQLITE_IOERR;
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return M(f).iVersion >= 2 ? M(f).xShmLock(Real(f), offset, n, flags) : SQLITE_IOERR;
}
void ShmBarrier(sqlite3_file* f) {
  if (M(f).iVersion >= 2) M(f).xShmBarrier(Real(f));
}
int ShmUnmap(sqlite3_file* f, int remove) { return M(f).iVersion >= 2 ? M(f).xShmUnmap(Real(f), remove) : SQLITE_OK; }
// No pages are handed out mapped: a file that is reopened must leave none behind.
int Fetch(sqlite3_file*, sqlite3_int64, int, void** p) {
  *p = nullptr;
  return SQLITE_OK;
}
int Unfetch(sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; }

// The read lock that starts a transaction: when the name now stands for
// another file, the new file is opened and locked in the old one's place.
// A write lock is not given on a file whose name moved on: the engine lets
// go of its read lock and starts over, and so finds the new file.
int Lock(sqlite3_file* f, int level) {
  if (!OwnLocks(f)) return M(f).xLock(Real(f), level);
  if (level > SQLITE_LOCK_SHARED && Of(f)->level < SQLITE_LOCK_RESERVED) {
    // Looked at once the lock is held: a swap renames only under this
    // lock, so the name cannot move on after the look. Looked at before
    // taking it, a swap finished in between would leave this connection
    // writing to the old file (the engine then refuses: read-only).
    int rc = TakeLock(Of(f), level);
    if (rc == SQLITE_BUSY && level == SQLITE_LOCK_EXCLUSIVE && Of(f)->level < SQLITE_LOCK_PENDING &&
        YieldTurnsTo(Of(f)->lock_fd))
      rc = TakeLock(Of(f), level);
    if (rc == SQLITE_OK && NameMovedOn(f)) {
      DropLock(Of(f), SQLITE_LOCK_SHARED);
      return SQLITE_BUSY;
    }
    return rc;
  }
  const bool starting = Of(f)->level == SQLITE_LOCK_NONE;
  int rc = TakeLock(Of(f), level);
  if (rc != SQLITE_OK || !starting || level != SQLITE_LOCK_SHARED || !NameMovedOn(f)) return rc;
  int out_flags = 0;
  sqlite3_file* fresh = OpenBase(Of(f)->name, Of(f)->flags & ~(SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE), &out_flags, &rc);
  // The name leads nowhere now: the old file serves on, as it would have.
  if (!fresh) return SQLITE_OK;
  ReplaceableFile next = *Of(f);
  next.real = fresh;
  next.level = SQLITE_LOCK_NONE;
  next.lock_fd = OpenLockDescriptor(fresh, Of(f)->name, Of(f)->flags);
  rc = next.lock_fd < 0 ? SQLITE_BUSY : TakeLock(&next, SQLITE_LOCK_SHARED);
  if (rc != SQLITE_OK) {
    if (next.lock_fd >= 0) ::close(next.lock_fd);
    CloseBase(fresh);
    DropLock(Of(f), SQLITE_LOCK_NONE);
    return rc;  // busy: the engine asks again, and finds the move again
  }
  DropLock(Of(f), SQLITE_LOCK_NONE);
  CloseBase(Real(f));
  ::close(Of(f)->lock_fd);
  Of(f)->real = fresh;
  Of(f)->lock_fd = next.lock_fd;
  Of(f)->level = next.level;
  return SQLITE_OK;
}

const sqlite3_io_methods kMethods = {
    3,           Close,     Read,   Write,   Truncate,          Sync,        FileSize, Lock,
    Unlock,      CheckReservedLock, FileControl, SectorSize, DeviceCharacteristics, ShmMap,   ShmLock,
    ShmBarrier,  ShmUnmap,  Fetch,  Unfetch,
};

int Open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* out_flags) {
  auto* file = Of(f);
  file->base.pMethods = nullptr;
  file->name = name;
  file->flags = flags;
  file->level = SQLITE_LOCK_NONE;
  file->lock_fd = -1;
  const bool own_locks = name && (flags & SQLITE_OPEN_MAIN_DB);
  // A file renamed over the name between the two opens is opened again.
  for (int attempt = 0; attempt < 8; ++attempt) {
    int rc;
    file->real = OpenBase(name, flags, out_flags, &rc);
    if (!file->real) return rc;
    if (own_locks) file->lock_fd = OpenLockDescriptor(file->real, name, flags);
    if (!own_locks || file->lock_fd >= 0) {
      file->base.pMethods = &kMethods;
      return SQLITE_OK;
    }
    CloseBase(file->real);
    file->real = nullptr;
  }
  return SQLITE_CANTOPEN;
}

// The engine deletes a rollback journal as the last step of a commit (and of
// a rollback): a run stopped here and killed leaves its journal hot beside a
// database already written, as a crash at that moment does.
int Delete(sqlite3_vfs*, const char* name, int sync) {
  if (std::string_view(name).ends_with("-journal")) sys::StopPoint("committing");
  return g_base->xDelete(g_base, name, sync);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out) { return g_base->xAccess(g_base, name, flags, out); }
int FullPathname(sqlite3_vfs*, const char* name, int n, char* out) { return g_base->xFullPathname(g_base, name, n, out); }
void* DlOpen(sqlite3_vfs*, const char* name) { return g_base->xDlOpen(g_base, name); }
void DlError(sqlite3_vfs*, int n, char* out) { g_base->xDlError(g_base, n, out); }
void (*DlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) { return g_base->xDlSym(g_base, handle, symbol); }
void DlClose(sqlite3_vfs*, void* handle) { g_base->xDlClose(g_base, handle); }
int Randomness(sqlite3_vfs*, int n, char* out) { return g_base->xRandomness(g_base, n, out); }
int Sleep(sqlite3_vfs*, int microseconds) { return g_base->xSleep(g_base, microseconds); }
int CurrentTime(sqlite3_vfs*, double* out) { return g_base->xCurrentTime(g_base, out); }
int GetLastError(sqlite3_vfs*, int n, char* out) { return g_base->xGetLastError(g_base, n, out); }
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) { return g_base->xCurrentTimeInt64(g_base, out); }

sqlite3_vfs g_vfs;

// The steps of a reader's wait for its turn.
constexpr std::chrono::microseconds kTurnPollStep{200};

}  // namespace

ReadersTurn::ReadersTurn(const std::filesystem::path& database, std::chrono::milliseconds wait)
    : FileRangeLock(database, kRead, {kPendingByte, 1}, wait, kTurnPollStep) {
  if (!Held()) return;
  // A journal with no writer at work is a dead writer's: the first read plays
  // it back (or passes it by), and every process's read may be the first.
  std::error_code error;
  if (std::filesystem::exists(database.string() + "-journal", error) &&
      !ReservedElsewhere(Descriptor()).value_or(true)) {
    Release();
    return;
  }
  std::lock_guard<std::mutex> hold(g_turns_mutex);
  g_turns.push_back(Descriptor());
}

ReadersTurn::~ReadersTurn() {
  if (!Held()) return;
  std::lock_guard<std::mutex> hold(g_turns_mutex);
  std::erase(g_turns, Descriptor());
}

void UseReplaceableDatabaseFiles() {
  ConfigureSqlite();  // before the first call below sets the engine up
  static std::once_flag once;
  std::call_once(once, [] {
    g_base = sqlite3_vfs_find(nullptr);
    g_vfs = sqlite3_vfs{};
    g_vfs.iVersion = 2;
    g_vfs.szOsFile = static_cast<int>(sizeof(ReplaceableFile));
    g_vfs.mxPathname = g_base->mxPathname;
    g_vfs.zName = "qe-replaceable";
    g_vfs.xOpen = Open;
    g_vfs.xDelete = Delete;
    g_vfs.xAccess = Access;
    g_vfs.xFullPathname = FullPathname;
    g_vfs.xDlOpen = DlOpen;
    g_vfs.xDlError = DlError;
    g_vfs.xDlSym = DlSym;
    g_vfs.xDlClose = DlClose;
    g_vfs.xRandomness = Randomness;
    g_vfs.xSleep = Sleep;
    g_vfs.xCurrentTime = CurrentTime;
    g_vfs.xGetLastError = GetLastError;
    g_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
    sqlite3_vfs_register(&g_vfs, 1);
  });
}

}  // namespace ado
