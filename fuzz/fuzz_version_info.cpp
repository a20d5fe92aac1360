// Program files from an update server: the version reader takes any bytes,
// as a PE image and as a version block, without reading outside them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/sys/version_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  static const char16_t* const kPaths[] = {u"\\", u"\\VarFileInfo\\Translation",
                                           u"\\StringFileInfo\\080404B0\\ProductVersion", u"\\\\a\\b\\c\\d\\e\\f\\g\\h\\i"};
  for (const char16_t* path : kPaths) (void)sys::VerQueryValue(bytes, path);
  if (auto block = sys::FindVersionResource(bytes)) {
    for (const char16_t* path : kPaths) (void)sys::VerQueryValue(*block, path);
  }
  return 0;
}
