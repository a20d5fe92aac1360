#include "platform/asp/request_info.h"

#include <cctype>

#include "platform/asp/url_encoding.h"

namespace asp {

std::string_view TargetPath(const RequestInfo& info) {
  std::string_view target = info.target;
  return target.substr(0, target.find('?'));
}

std::string_view TargetQuery(const RequestInfo& info) {
  std::string_view target = info.target;
  size_t q = target.find('?');
  return q == std::string_view::npos ? std::string_view() : target.substr(q + 1);
}

vb::String PagePath(const RequestInfo& info) {
  if (!info.page.empty()) return info.page;
  return DecodeText(PercentDecodeBytes(TargetPath(info), false));
}

const std::string* FindHeader(const RequestInfo& info, std::string_view name) {
  for (const auto& [key, value] : info.headers) {
    if (key.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < key.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(key[i])) ==
             std::tolower(static_cast<unsigned char>(name[i]));
    if (same) return &value;
  }
  return nullptr;
}

}  // namespace asp
