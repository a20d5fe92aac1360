#include "common/kesra_file_version.h"

#include <cstdio>
#include <utility>

#include "common/ansi_form.h"
#include "common/kesra_file_operations.h"
#include "platform/sys/version_info.h"

namespace qe {

namespace {

uint16_t U16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// "080404B0": the language, then the code page, four upper-case hex digits each.
vb::String TranslationText(uint16_t language, uint16_t code_page) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%04X%04X", language, code_page);
  return vb::FromUtf8(digits);
}

}  // namespace

int16_t KesraGetFileVersionInfo(vb::String& p_FileName, KesraFileVersionInfo& p_Info) {
  p_Info = KesraFileVersionInfo{};
  vb::String path = AnsiForm(p_FileName);
  if (sys::GetFileVersionInfoSize(path) < 1) return kNoVersionInfo;
  std::string block;
  if (!sys::GetFileVersionInfo(path, block)) return kNoVersionInfo;
  std::optional<std::string_view> translations = sys::VerQueryValue(block, u"\\VarFileInfo\\Translation");
  if (!translations || translations->size() < 4) return kNoVersionInfo;
  vb::String table = u"\\StringFileInfo\\" + TranslationText(U16(*translations, 0), U16(*translations, 2)) + u"\\";
  std::pair<const char16_t*, vb::String*> fields[] = {
      {u"CompanyName", &p_Info.CompanyName},         {u"FileDescription", &p_Info.FileDescription},
      {u"FileVersion", &p_Info.FileVersion},         {u"InternalName", &p_Info.InternalName},
      {u"LegalCopyright", &p_Info.LegalCopyright},   {u"OriginalFileName", &p_Info.OriginalFileName},
      {u"ProductName", &p_Info.ProductName},         {u"ProductVersion", &p_Info.ProductVersion},
  };
  for (auto& [key, field] : fields) {
    if (auto value = sys::VerQueryValue(block, table + key)) *field = AnsiForm(sys::TextOfValue(*value));
  }
  return kVersionInfoRead;
}

vb::String KesraGetFileProductVersion(vb::String p_FileName) {
  if (!KesraFileExist(p_FileName, 0)) return {};
  KesraFileVersionInfo info;
  return KesraGetFileVersionInfo(p_FileName, info) == kVersionInfoRead ? info.ProductVersion : vb::String();
}

}  // namespace qe
