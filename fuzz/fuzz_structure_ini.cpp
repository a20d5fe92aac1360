// Structure configurations from anywhere: the INI reader takes any bytes and
// gives values that are pieces of the file; the rebuild's reading of the
// databases, tables, positions and index lines fails only with run-time
// errors.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "maintenance/structure_ini.h"
#include "platform/sys/profile.h"
#include "platform/text/ansi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vb::String text = text::DecodeAnsi(bytes);
  sys::Profile ini(text);
  for (const char16_t* section : {u"DataInfomation", u"T", u"qe.asp"})
    for (const char16_t* key : {u"MdbList", u"TableList", u"FieldList", u"IndexCount", u"Index0", u"a_Position"}) {
      vb::String value = ini.Value(section, key);
      if (!value.empty() && text.find(value) == vb::String::npos) std::abort();
    }
  try {
    (void)qe::ReadStructureIni(ini);
  } catch (const vb::Error&) {
  }
  try {
    (void)qe::ReadIndexLine(text);
  } catch (const vb::Error&) {
  }
  return 0;
}
