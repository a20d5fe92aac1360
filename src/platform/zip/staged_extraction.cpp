#include "platform/zip/staged_extraction.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <unordered_map>

#include "platform/fs/paths.h"
#include "platform/fs/scratch_names.h"
#include "platform/sys/stop_points.h"
#include "platform/vb/error.h"
#include "platform/zip/entry_names.h"

namespace ziparc {

namespace {

namespace stdfs = std::filesystem;

std::atomic<uint64_t> g_limit_bytes{ExtractionLimits{}.bytes};
std::atomic<uint32_t> g_limit_entries{ExtractionLimits{}.entries};
std::atomic<uint64_t> g_limit_decoder_memory{ExtractionLimits{}.decoder_memory};
std::atomic<uint64_t> g_limit_ppmd_model_memory{ExtractionLimits{}.ppmd_model_memory};
thread_local ThreadByteCap* t_byte_cap = nullptr;

// Below the destination the host must still hold the whole path.
constexpr size_t kMaxEntryPathBytes = 2048;
constexpr size_t kBufferSize = 64 * 1024;

bool WriteAll(int descriptor, const char* data, size_t size) {
  while (size > 0) {
    ssize_t done = ::write(descriptor, data, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}

}  // namespace

ZipResult ResultOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::kDone: return kZipSuccess;
    case Outcome::kUnsafe: return kZipUnsafeEntry;
    case Outcome::kCapReached: return kZipSizeCap;
    case Outcome::kReadFailed: return kZipDamaged;
    case Outcome::kWriteFailed: return kZipWriteFailure;
  }
  return kZipWriteFailure;
}

ExtractionLimits CurrentLimits() {
  return {g_limit_bytes.load(), g_limit_entries.load(), g_limit_decoder_memory.load(),
          g_limit_ppmd_model_memory.load()};
}

void SetLimits(ExtractionLimits limits) {
  g_limit_bytes = limits.bytes;
  g_limit_entries = limits.entries;
  g_limit_decoder_memory = limits.decoder_memory;
  g_limit_ppmd_model_memory = limits.ppmd_model_memory;
}

struct StagedExtraction::Node {
  std::string host_name;  // UTF-8, as first declared
  bool folder = true;
  size_t parent = 0;
  std::unordered_map<vb::String, size_t> children;  // by NameKey
  stdfs::path target;  // where it goes in the destination
  bool target_exists = false;
};

ThreadByteCap::ThreadByteCap(uint64_t bytes) : bytes_(bytes), outer_(t_byte_cap) { t_byte_cap = this; }
ThreadByteCap::~ThreadByteCap() { t_byte_cap = outer_; }

Outcome StagedExtraction::CapReached() {
  if (cap_) cap_->reached_ = true;
  return Outcome::kCapReached;
}

StagedExtraction::StagedExtraction(vb::StringView destination)
    : destination_(destination), limits_(CurrentLimits()) {
  if (t_byte_cap && t_byte_cap->bytes_ < limits_.bytes) {
    cap_ = t_byte_cap;
    limits_.bytes = cap_->bytes_;
  }
  nodes_.emplace_back();
}

StagedExtraction::~StagedExtraction() {
  if (!committed_) Abandon();
}

Outcome StagedExtraction::Declare(vb::StringView name, EntryType type, uint64_t declared_size, bool flatten,
                                  size_t* id) {
  *id = kNone;
  if (++declared_entries_ > limits_.entries) return Outcome::kCapReached;
  declared_bytes_ = declared_size > UINT64_MAX - declared_bytes_ ? UINT64_MAX : declared_bytes_ + declared_size;
  if (type == EntryType::kOther) return Outcome::kUnsafe;
  std::optional<EntryPath> path = CheckEntryPath(name);
  if (!path) return Outcome::kUnsafe;
  bool folder = path->folder || type == EntryType::kFolder;
  if (flatten) {
    if (folder) return Outcome::kDone;
    path->names.erase(path->names.begin(), path->names.end() - 1);
  }
  size_t bytes = 0;
  for (const vb::String& part : path->names) bytes += fs::HostNameBytes(part) + 1;
  if (bytes > kMaxEntryPathBytes) return Outcome::kUnsafe;

  size_t node = 0;
  for (size_t i = 0; i < path->names.size(); ++i) {
    bool last = i + 1 == path->names.size();
    bool want_folder = !last || folder;
    vb::String key = NameKey(path->names[i]);
    auto found = nodes_[node].children.find(key);
    if (found == nodes_[node].children.end()) {
      Node child;
      child.host_name = vb::ToUtf8(path->names[i]);
      child.folder = want_folder;
      child.parent = node;
      nodes_.push_back(std::move(child));
      nodes_[node].children.emplace(std::move(key), nodes_.size() - 1);
      node = nodes_.size() - 1;
      continue;
    }
    node = found->second;
    // One name cannot be a file and a folder at once.
    if (nodes_[node].folder != want_folder) return Outcome::kUnsafe;
  }
  if (!folder) *id = node;
  return Outcome::kDone;
}

Outcome StagedExtraction::Check() {
  if (declared_bytes_ > limits_.bytes) return CapReached();
  std::error_code error;
  try {
    destination_host_ = fs::ToHostPath(destination_);
  } catch (const vb::Error&) {
    return Outcome::kWriteFailed;
  }
  stdfs::file_status status = stdfs::status(destination_host_, error);
  if (stdfs::exists(status) && !stdfs::is_directory(status)) return Outcome::kWriteFailed;
  nodes_[0].target = destination_host_;
  nodes_[0].target_exists = stdfs::is_directory(status);

  // Each folder of the destination is listed once, for names that differ in case.
  std::unordered_map<size_t, std::unordered_map<vb::String, std::string>> listings;
  for (size_t i = 1; i < nodes_.size(); ++i) {
    Node& node = nodes_[i];
    const Node& parent = nodes_[node.parent];
    node.target = parent.target / node.host_name;
    node.target_exists = false;
    if (!parent.target_exists) continue;
    stdfs::file_status found = stdfs::symlink_status(node.target, error);
    if (!stdfs::exists(found)) {
      auto listing = listings.find(node.parent);
      if (listing == listings.end()) {
        listing = listings.emplace(node.parent, std::unordered_map<vb::String, std::string>()).first;
        for (stdfs::directory_iterator it(parent.target, error), end; !error && it != end; it.increment(error)) {
          std::string host = it->path().filename().native();
          auto [at, added] = listing->second.emplace(NameKey(vb::FromUtf8(host)), host);
          if (!added && host < at->second) at->second = host;
        }
        if (error) return Outcome::kWriteFailed;
      }
      auto same = listing->second.find(NameKey(vb::FromUtf8(node.host_name)));
      if (same == listing->second.end()) continue;
      node.target = parent.target / same->second;
      found = stdfs::symlink_status(node.target, error);
    }
    if (!stdfs::exists(found)) continue;
    // An entry never replaces a link or a folder, nor a folder entry a file.
    if (stdfs::is_symlink(found)) return Outcome::kUnsafe;
    if (node.folder ? !stdfs::is_directory(found) : !stdfs::is_regular_file(found)) return Outcome::kUnsafe;
    node.target_exists = true;
  }
  checked_ = true;
  return Outcome::kDone;
}

stdfs::path StagedExtraction::StagedPath(size_t index) const {
  std::vector<size_t> chain;
  for (size_t i = index; i != 0; i = nodes_[i].parent) chain.push_back(i);
  stdfs::path path = private_folder_;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) path /= nodes_[*it].host_name;
  return path;
}

Outcome StagedExtraction::Begin() {
  if (!checked_) return Outcome::kWriteFailed;
  std::error_code error;
  if (!nodes_[0].target_exists) {
    stdfs::path first = destination_host_;
    while (first.has_parent_path() && first.parent_path() != first &&
           !stdfs::exists(stdfs::symlink_status(first.parent_path(), error))) {
      first = first.parent_path();
    }
    if (!stdfs::create_directories(destination_host_, error) || error) return Outcome::kWriteFailed;
    created_from_ = first;
  }
  // Made where a mount clears what a kill leaves, when it can be.
  std::string pattern = (fs::ScratchFolderFor(destination_host_) / (fs::ScratchPrefix() + "extract-XXXXXX")).native();
  if (!::mkdtemp(pattern.data())) return Outcome::kWriteFailed;
  private_folder_ = pattern;
  for (size_t i = 1; i < nodes_.size(); ++i) {
    if (nodes_[i].folder && ::mkdir(StagedPath(i).c_str(), 0777) != 0) return Outcome::kWriteFailed;
  }
  return Outcome::kDone;
}

Outcome StagedExtraction::WriteFile(size_t id, const Reader& read, std::time_t modified) {
  if (private_folder_.empty() || id == kNone || id >= nodes_.size() || nodes_[id].folder) return Outcome::kWriteFailed;
  int descriptor = ::open(StagedPath(id).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (descriptor < 0) return Outcome::kWriteFailed;
  std::vector<char> buffer(kBufferSize);
  Outcome outcome = Outcome::kDone;
  for (;;) {
    int64_t got = read(buffer.data(), buffer.size());
    if (got < 0) {
      outcome = Outcome::kReadFailed;
      break;
    }
    if (got == 0) break;
    if (static_cast<uint64_t>(got) > limits_.bytes - written_bytes_) {
      outcome = CapReached();
      break;
    }
    written_bytes_ += static_cast<uint64_t>(got);
    if (!WriteAll(descriptor, buffer.data(), static_cast<size_t>(got))) {
      outcome = Outcome::kWriteFailed;
      break;
    }
  }
  if (outcome == Outcome::kDone && modified > 0) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {modified, 0}};
    ::futimens(descriptor, times);
  }
  if (::close(descriptor) != 0 && outcome == Outcome::kDone) outcome = Outcome::kWriteFailed;
  return outcome;
}

Outcome StagedExtraction::Commit() {
  if (private_folder_.empty()) return Outcome::kWriteFailed;
  sys::StopPoint("extracted");
  std::error_code error;
  for (size_t i = 1; i < nodes_.size(); ++i) {
    const Node& node = nodes_[i];
    stdfs::file_status found = stdfs::symlink_status(node.target, error);
    if (stdfs::is_symlink(found)) return Outcome::kWriteFailed;
    if (node.folder) {
      if (stdfs::is_directory(found)) continue;
      if (::mkdir(node.target.c_str(), 0777) != 0) return Outcome::kWriteFailed;
      continue;
    }
    if (stdfs::exists(found) && !stdfs::is_regular_file(found)) return Outcome::kWriteFailed;
    stdfs::path staged = StagedPath(i);
    // A file declared but never written (another archive entry of the same
    // name was skipped) is not moved.
    if (!stdfs::exists(stdfs::symlink_status(staged, error))) continue;
    if (::rename(staged.c_str(), node.target.c_str()) != 0) return Outcome::kWriteFailed;
  }
  stdfs::remove_all(private_folder_, error);
  committed_ = true;
  return Outcome::kDone;
}

void StagedExtraction::Abandon() {
  std::error_code error;
  if (!private_folder_.empty()) stdfs::remove_all(private_folder_, error);
  if (created_from_.empty()) return;
  // Only what this extraction made, and only while it is empty.
  for (stdfs::path folder = destination_host_;; folder = folder.parent_path()) {
    if (!stdfs::remove(folder, error)) break;
    if (folder == created_from_ || !folder.has_parent_path() || folder.parent_path() == folder) break;
  }
}

}  // namespace ziparc
