#include "host/site_main_database.h"

#include <filesystem>
#include <vector>

#include "maintenance/private_files.h"
#include "platform/com/object.h"
#include "platform/fs/file_write.h"
#include "platform/fs/paths.h"
#include "platform/fs/scratch_names.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/application_lock.h"
#include "shell/new_database_file.h"
#include "shell/qe_main_database.h"

namespace host {
namespace {

constexpr char16_t kSeedingEnd[] = u".seeding";

vb::String MarkerOf(const vb::String& database) { return database + kSeedingEnd; }

void RemoveIfThere(const vb::String& path) {
  if (auto file = fs::ResolveExisting(path)) {
    std::error_code ignored;
    std::filesystem::remove(*file, ignored);
  }
}

// Takes the file and its marker away unless `Keep` was called; `Keep`
// removes the marker alone.
class UnseededFile {
 public:
  explicit UnseededFile(vb::String path) : path_(std::move(path)) {}
  ~UnseededFile() {
    if (!path_.empty()) RemoveIfThere(path_);
    RemoveIfThere(marker_);
  }
  UnseededFile(const UnseededFile&) = delete;
  UnseededFile& operator=(const UnseededFile&) = delete;
  void Keep() { path_.clear(); }

 private:
  vb::String path_;
  vb::String marker_ = MarkerOf(path_);
};

}  // namespace

bool PrepareMainDatabase(Page& page, vb::Variant& qe) {
  vb::String path = vb::CStr(com::Call(qe, u"CommGetDataFullName", page.Server));
  // The marker is written before the file is made and removed after the
  // seed: a file without a marker, seen in that order, is seeded. Every
  // request but the first few finds it so, without waiting for the lock.
  if (fs::IsExistingFile(path) && !fs::IsExistingFile(MarkerOf(path))) return true;
  qe::ApplicationLock lock(page.Application);
  if (fs::IsExistingFile(MarkerOf(path))) {
    RemoveIfThere(path);
    RemoveIfThere(MarkerOf(path));
  }
  if (fs::IsExistingFile(path)) return true;
  fs::CreateNewFile(MarkerOf(path), "the main database is being seeded\n");
  UnseededFile unseeded(path);
  if (!qe::CreateMainDatabaseFromSchema(path)) {  // made meanwhile by another process: not ours
    unseeded.Keep();
    return true;
  }
  com::Call(qe, u"CommDataInit", page.Response, page.Request, page.Server, page.Application);
  if (page.Ended()) return false;
  unseeded.Keep();
  return true;
}

void RemoveUnfinishedDatabases(const std::filesystem::path& data_folder) {
  std::error_code error;
  std::vector<std::filesystem::path> found;
  for (const auto& entry : std::filesystem::directory_iterator(data_folder, error)) found.push_back(entry.path());
  for (const auto& file : found) {
    std::string name = file.filename().string();
    vb::String marked = vb::FromUtf8(name);
    if (vb::LCase(marked).ends_with(kSeedingEnd)) {
      vb::String database = marked.substr(0, marked.size() - std::char_traits<char16_t>::length(kSeedingEnd));
      for (const auto& other : found)
        if (vb::EqualsNoCase(vb::FromUtf8(other.filename().string()), database)) std::filesystem::remove(other, error);
      std::filesystem::remove(file, error);
    } else if (qe::IsStagedDatabaseName(name) && !fs::MayBeAtWork(qe::StagedDatabaseOwner(name), file)) {
      std::filesystem::remove(file, error);
    }
  }
}

void RemoveLeftovers() {
  for (const char16_t* folder :
       {u"C:\\", u"C:\\data", u"C:\\Comm", u"C:\\temp", u"C:\\AutoBackup", u"C:\\data_backup"}) {
    auto found = fs::ResolveExisting(folder);
    if (!found) continue;
    RemoveUnfinishedDatabases(*found);
    qe::RemoveAbandonedScratch(*found);
  }
}

}  // namespace host
