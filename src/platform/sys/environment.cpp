#include "platform/sys/environment.h"

#include <string_view>

extern char** environ;

namespace sys {
namespace {

constexpr std::string_view kOperatorPrefix = "QE_";

}  // namespace

vb::String Environ(vb::StringView name) {
  if (name.empty()) return {};
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view text(*entry);
    size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = text.substr(0, equals);
    if (key.size() <= kOperatorPrefix.size() || key.substr(0, kOperatorPrefix.size()) != kOperatorPrefix) continue;
    if (vb::EqualsNoCase(vb::FromUtf8(key.substr(kOperatorPrefix.size())), name))
      return vb::FromUtf8(text.substr(equals + 1));
  }
  return {};
}

}  // namespace sys
