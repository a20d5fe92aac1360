#include "host/site_main_database.h"

#include <filesystem>

#include "platform/com/object.h"
#include "platform/fs/paths.h"
#include "platform/vb/convert.h"
#include "shell/application_lock.h"
#include "shell/qe_main_database.h"

namespace host {
namespace {

// Takes the file away unless `Keep` was called.
class NewFileGuard {
 public:
  explicit NewFileGuard(vb::String path) : path_(std::move(path)) {}
  ~NewFileGuard() {
    if (path_.empty()) return;
    if (auto file = fs::ResolveExisting(path_)) {
      std::error_code ignored;
      std::filesystem::remove(*file, ignored);
    }
  }
  NewFileGuard(const NewFileGuard&) = delete;
  NewFileGuard& operator=(const NewFileGuard&) = delete;
  void Keep() { path_.clear(); }

 private:
  vb::String path_;
};

}  // namespace

bool PrepareMainDatabase(Page& page, vb::Variant& qe) {
  qe::ApplicationLock lock(page.Application);
  vb::String path = vb::CStr(com::Call(qe, u"CommGetDataFullName", page.Server));
  if (!qe::CreateMainDatabaseFromSchema(path)) return true;
  NewFileGuard unseeded(path);
  com::Call(qe, u"CommDataInit", page.Response, page.Request, page.Server, page.Application);
  if (page.Ended()) return false;
  unseeded.Keep();
  return true;
}

}  // namespace host
