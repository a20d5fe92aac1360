// Paths and masks from pages: whatever FullPath accepts is a drive, a root
// and names without "." or ".." (so the path model can confine it), and
// matching a mask always ends.
//
// Input: UTF-8; the text before the first "|" is the mask, the rest the path.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/fs/full_path.h"
#include "platform/fs/search.h"
#include "platform/vb/error.h"

namespace {

void Check(bool condition, const char* what, const vb::String& path) {
  if (condition) return;
  std::fprintf(stderr, "%s: %s\n", what, vb::ToUtf8(path).c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vb::String input = vb::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  size_t bar = input.find(u'|');
  vb::String mask = bar == vb::String::npos ? vb::String(u"*") : input.substr(0, bar);
  vb::String path = bar == vb::String::npos ? input : input.substr(bar + 1);
  (void)fs::MatchesWildcard(mask, path);
  vb::String full;
  try {
    full = fs::FullPath(path);
  } catch (const vb::Error&) {
    return 0;
  }
  Check(full.size() >= 3 && full[1] == u':' && full[2] == u'\\', "not rooted on a drive", full);
  Check(full.find(u'/') == vb::String::npos, "a slash is left", full);
  Check(full.find(u"\\..\\") == vb::String::npos && full.find(u"\\.\\") == vb::String::npos, "a dot name is left", full);
  Check(full.find(u"\\\\") == vb::String::npos, "an empty name is left", full);
  return 0;
}
