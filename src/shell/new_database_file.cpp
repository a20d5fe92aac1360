#include "shell/new_database_file.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <random>

#include "common/kesra_file_operations.h"
#include "platform/ado/database_pool.h"
#include "platform/fs/file.h"
#include "platform/fs/paths.h"
#include "platform/fs/scratch_names.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr size_t kStagedDigits = 16;
constexpr std::string_view kStagedEnd = ".new";

// A scratch name beside `path` that no other request picks: one a kill
// leaves goes with the next mount once its process is gone.
vb::String StagedName(const vb::String& path) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(generator()));
  const size_t slash = path.find_last_of(u"\\/");
  const vb::String folder = slash == vb::String::npos ? vb::String() : path.substr(0, slash + 1);
  return folder + vb::FromUtf8(fs::ScratchPrefix() + "staged-" + digits + std::string(kStagedEnd));
}

// The staged name without the engine's companion ending.
std::string_view WithoutCompanion(std::string_view file_name) {
  for (std::string_view companion : {"-journal", "-wal", "-shm"})
    if (file_name.ends_with(companion)) return file_name.substr(0, file_name.size() - companion.size());
  return file_name;
}

}  // namespace

vb::String NewJetDatabaseConnectionString(vb::StringView path) {
  return u"Provider=microsoft.jet.oledb.4.0;Data Source=" + vb::String(path);
}

// The process number in a staged name ("qe.asp.4242-<digits>.new"), 0 for
// none (a name made before staged names carried one), -1 for no staged name.
static int StagedOwner(std::string_view file_name) {
  file_name = WithoutCompanion(file_name);
  if (!file_name.ends_with(kStagedEnd) || file_name.size() < kStagedEnd.size() + kStagedDigits + 2) return -1;
  file_name.remove_suffix(kStagedEnd.size());
  std::string_view digits = file_name.substr(file_name.size() - kStagedDigits);
  if (digits.find_first_not_of("0123456789abcdef") != std::string_view::npos) return -1;
  file_name.remove_suffix(kStagedDigits);
  if (file_name.back() == '.') return 0;
  if (file_name.back() != '-') return -1;
  file_name.remove_suffix(1);
  size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == file_name.size() || file_name.size() - dot > 10) return -1;
  int pid = 0;
  for (char c : file_name.substr(dot + 1)) {
    if (c < '0' || c > '9') return -1;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

int StagedDatabaseOwner(std::string_view file_name) { return std::max(StagedOwner(file_name), 0); }

bool IsStagedDatabaseName(std::string_view file_name) { return StagedOwner(file_name) >= 0; }

bool CreateDatabaseFileWhole(const vb::String& path, const std::function<void(const vb::String& staged)>& build) {
  const vb::String staged = StagedName(path);
  // Connections kept for the staged file go with it.
  auto remove_staged = [&] {
    try {
      ado::ForgetPooled(fs::ToHostPath(staged));
    } catch (const vb::Error&) {
    }
    KesraFileDelete(staged, false);
  };
  bool made;
  try {
    build(staged);
    made = fs::WriteNewFile(path, fs::ReadAllBytes(staged));
  } catch (const vb::Error& e) {
    remove_staged();
    throw vb::Error(e.Number(), vb::Replace(e.Description(), staged, path), e.Source());
  }
  remove_staged();
  return made;
}

}  // namespace qe
