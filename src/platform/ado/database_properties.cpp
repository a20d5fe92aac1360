#include "platform/ado/database_properties.h"

#include "platform/ado/jet_catalog.h"

namespace ado {
namespace {

constexpr char16_t kEngine[] = u"Microsoft JET Database Engine";

std::shared_ptr<Database> OpenFile(const std::filesystem::path& file,
                                   std::chrono::milliseconds wait = kStatementWait) {
  return Database::Open(file, Database::Mode::kOpenExisting, vb::FromUtf8(file.string()), kEngine, wait);
}

}  // namespace

vb::String DatabaseProperty(const std::filesystem::path& file, vb::StringView name, std::chrono::milliseconds wait) {
  return catalog::ReadSetting(*OpenFile(file, wait), name);
}

void SetDatabaseProperty(const std::filesystem::path& file, vb::StringView name, vb::StringView value) {
  catalog::WriteSetting(*OpenFile(file), name, value);
}

}  // namespace ado
