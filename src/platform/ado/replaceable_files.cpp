#include "platform/ado/replaceable_files.h"

#include <sqlite3.h>

#include <cstring>
#include <mutex>

#include "platform/ado/sqlite_db.h"

namespace ado {
namespace {

// The engine's own file system, under ours.
sqlite3_vfs* g_base = nullptr;

struct ReplaceableFile {
  sqlite3_file base;   // its methods are ours
  sqlite3_file* real;  // the base file system's file
  const char* name;    // as the engine gave it (the engine keeps it while the file is open)
  int flags;
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

int Close(sqlite3_file* f) {
  CloseBase(Real(f));
  Of(f)->real = nullptr;
  return SQLITE_OK;
}

int Read(sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return M(f).xRead(Real(f), b, n, o); }
int Write(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) { return M(f).xWrite(Real(f), b, n, o); }
int Truncate(sqlite3_file* f, sqlite3_int64 size) { return M(f).xTruncate(Real(f), size); }
int Sync(sqlite3_file* f, int flags) { return M(f).xSync(Real(f), flags); }
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return M(f).xFileSize(Real(f), size); }
int Unlock(sqlite3_file* f, int level) { return M(f).xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) { return M(f).xCheckReservedLock(Real(f), out); }
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
int Lock(sqlite3_file* f, int level) {
  int rc = M(f).xLock(Real(f), level);
  if (rc != SQLITE_OK || level != SQLITE_LOCK_SHARED || !(Of(f)->flags & SQLITE_OPEN_MAIN_DB)) return rc;
  int moved = 0;
  if (M(f).xFileControl(Real(f), SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || !moved) return SQLITE_OK;
  int out_flags = 0;
  sqlite3_file* fresh = OpenBase(Of(f)->name, Of(f)->flags & ~(SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE), &out_flags, &rc);
  // The name leads nowhere now: the old file serves on, as it would have.
  if (!fresh) return SQLITE_OK;
  rc = fresh->pMethods->xLock(fresh, SQLITE_LOCK_SHARED);
  M(f).xUnlock(Real(f), SQLITE_LOCK_NONE);
  if (rc != SQLITE_OK) {
    CloseBase(fresh);
    return rc;  // busy: the engine asks again, and finds the move again
  }
  CloseBase(Real(f));
  Of(f)->real = fresh;
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
  int rc;
  file->real = OpenBase(name, flags, out_flags, &rc);
  if (!file->real) return rc;
  file->name = name;
  file->flags = flags;
  file->base.pMethods = &kMethods;
  return SQLITE_OK;
}

int Delete(sqlite3_vfs*, const char* name, int sync) { return g_base->xDelete(g_base, name, sync); }
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

}  // namespace

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
