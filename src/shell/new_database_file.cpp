#include "shell/new_database_file.h"

#include <cstdio>
#include <random>

#include "common/kesra_file_operations.h"
#include "platform/fs/file.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr size_t kStagedDigits = 16;
constexpr std::string_view kStagedEnd = ".new";

// A name beside `path` that no other request picks.
vb::String StagedName(const vb::String& path) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(generator()));
  return path + u"." + vb::FromUtf8(digits) + vb::FromUtf8(kStagedEnd);
}

}  // namespace

vb::String NewJetDatabaseConnectionString(vb::StringView path) {
  return u"Provider=microsoft.jet.oledb.4.0;Data Source=" + vb::String(path);
}

bool IsStagedDatabaseName(std::string_view file_name) {
  if (!file_name.ends_with(kStagedEnd) || file_name.size() < kStagedEnd.size() + kStagedDigits + 2) return false;
  std::string_view digits = file_name.substr(file_name.size() - kStagedEnd.size() - kStagedDigits, kStagedDigits);
  return file_name[file_name.size() - kStagedEnd.size() - kStagedDigits - 1] == '.' &&
         digits.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool CreateDatabaseFileWhole(const vb::String& path, const std::function<void(const vb::String& staged)>& build) {
  const vb::String staged = StagedName(path);
  bool made;
  try {
    build(staged);
    made = fs::WriteNewFile(path, fs::ReadAllBytes(staged));
  } catch (const vb::Error& e) {
    KesraFileDelete(staged, false);
    throw vb::Error(e.Number(), vb::Replace(e.Description(), staged, path), e.Source());
  }
  KesraFileDelete(staged, false);
  return made;
}

}  // namespace qe
