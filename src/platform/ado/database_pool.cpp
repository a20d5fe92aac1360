#include "platform/ado/database_pool.h"

#include <sys/stat.h>

#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ado {
namespace {

// Per file, enough for the pages that run at once; in all, a bound on the
// memory that idle connections keep (each has its page cache).
constexpr size_t kMaxPerFile = 16;
constexpr size_t kMaxInAll = 64;

// Which file a name stood for when its connection was opened.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file) {
  struct stat st;
  if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileIdentity{st.st_dev, st.st_ino};
}

struct Idle {
  std::unique_ptr<Database> db;
  FileIdentity identity;
  uint64_t since;  // when it was given back, for closing the oldest first
};

class Pool {
 public:
  std::shared_ptr<Database> Open(const std::filesystem::path& file, Database::Mode mode, String display_path,
                                 String source) {
    std::optional<FileIdentity> identity = IdentityOf(file);
    std::unique_ptr<Database> db;
    std::vector<Idle> stale;
    if (identity) {
      std::string key = KeyOf(file, mode);
      std::lock_guard lock(mutex_);
      auto it = idle_.find(key);
      if (it != idle_.end()) {
        // The most recently used first: its pages are the likeliest in cache.
        auto& list = it->second;
        while (!list.empty() && !db) {
          if (list.back().identity == *identity) db = std::move(list.back().db);
          else stale.push_back(std::move(list.back()));
          list.pop_back();
          --count_;
        }
        if (list.empty()) idle_.erase(it);
      }
    }
    stale.clear();  // closed outside the lock
    if (db) {
      // Fails as a new connection would (and is then closed).
      db->Reuse(std::move(display_path), std::move(source));
    } else {
      db = Database::Connect(file, mode, std::move(display_path), std::move(source));
      if (!identity) identity = IdentityOf(file);
    }
    FileIdentity id = identity.value_or(FileIdentity{});
    return std::shared_ptr<Database>(db.release(), [this, id](Database* given_back) { GiveBack(given_back, id); });
  }

  size_t Count(const std::filesystem::path& file) {
    std::lock_guard lock(mutex_);
    size_t n = 0;
    for (const auto& [key, list] : idle_)
      if (!list.empty() && list.front().db->File() == file) n += list.size();
    return n;
  }

  static std::string KeyOf(const std::filesystem::path& file, Database::Mode mode) {
    return file.native() + '\0' + (mode == Database::Mode::kReadOnly ? 'r' : 'w');
  }

  // Closes the kept connections of `file`.
  void Forget(const std::filesystem::path& file) {
    std::vector<Idle> closing;
    std::lock_guard lock(mutex_);
    for (Database::Mode mode : {Database::Mode::kReadOnly, Database::Mode::kOpenExisting}) {
      auto it = idle_.find(KeyOf(file, mode));
      if (it == idle_.end()) continue;
      count_ -= it->second.size();
      for (Idle& idle : it->second) closing.push_back(std::move(idle));
      idle_.erase(it);
    }
  }

 private:
  // A connection kept for a file that was since renamed over or removed
  // would keep the old file open for nothing: they go as connections come
  // back. Under the lock.
  void TakeStale(std::vector<Idle>& stale) {
    for (auto it = idle_.begin(); it != idle_.end();) {
      auto& list = it->second;
      std::optional<FileIdentity> now = list.empty() ? std::nullopt : IdentityOf(list.front().db->File());
      for (size_t i = 0; i < list.size();) {
        if (now && list[i].identity == *now) {
          ++i;
          continue;
        }
        stale.push_back(std::move(list[i]));
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        --count_;
      }
      it = list.empty() ? idle_.erase(it) : std::next(it);
    }
  }

  void GiveBack(Database* given_back, FileIdentity identity) {
    std::unique_ptr<Database> db(given_back);
    if (identity == FileIdentity{} || !db->Clean()) return;
    if (IdentityOf(db->File()) != identity) return;  // the name stands for another file now, or none
    std::string key = KeyOf(db->File(), db->OpenMode());
    std::unique_ptr<Database> closing;
    std::vector<Idle> stale;  // closed after the lock (declared before it)
    std::lock_guard lock(mutex_);
    TakeStale(stale);
    auto it = idle_.find(key);
    if (it != idle_.end() && it->second.size() >= kMaxPerFile) {
      closing = std::move(it->second.front().db);
      it->second.erase(it->second.begin());
      --count_;
    } else if (count_ >= kMaxInAll) {
      closing = TakeOldest();
    }
    auto& list = idle_[key];
    list.push_back({std::move(db), identity, ++clock_});
    ++count_;
    // `closing` goes after the lock (declared before it).
  }

  // The connection given back longest ago, out of the pool. Under the lock.
  std::unique_ptr<Database> TakeOldest() {
    auto oldest = idle_.end();
    for (auto it = idle_.begin(); it != idle_.end(); ++it)
      if (!it->second.empty() && (oldest == idle_.end() || it->second.front().since < oldest->second.front().since))
        oldest = it;
    if (oldest == idle_.end()) return nullptr;
    std::unique_ptr<Database> db = std::move(oldest->second.front().db);
    oldest->second.erase(oldest->second.begin());
    if (oldest->second.empty()) idle_.erase(oldest);
    --count_;
    return db;
  }

  std::mutex mutex_;
  std::unordered_map<std::string, std::vector<Idle>> idle_;  // by file and mode; oldest first
  size_t count_ = 0;
  uint64_t clock_ = 0;
};

// The pool lives as long as the process: connections given back while the
// process ends still find it.
Pool& pool() {
  static Pool* p = new Pool();
  return *p;
}

}  // namespace

std::shared_ptr<Database> OpenPooled(const std::filesystem::path& file, Database::Mode mode, String display_path,
                                     String source) {
  return pool().Open(file, mode, std::move(display_path), std::move(source));
}

size_t PooledCount(const std::filesystem::path& file) { return pool().Count(file); }

void ForgetPooled(const std::filesystem::path& file) { pool().Forget(file); }

}  // namespace ado
