#include "host/site_pictures.h"

#include <string>
#include <unordered_map>

#include "platform/vb/strings.h"

namespace host {
namespace {

using namespace std::string_view_literals;

// The listed addresses in lower case, with their PNG bytes.
const std::unordered_map<std::u16string_view, std::string_view>& Pictures() {
  static const std::unordered_map<std::u16string_view, std::string_view> kPictures = {
#include "host/site_picture_data.inc"
  };
  return kPictures;
}

}  // namespace

std::optional<SitePicture> FindSitePicture(vb::StringView virtual_path) {
  vb::String path = vb::LCase(virtual_path);
  path.erase(path.find_last_not_of(u". ") + 1);
  for (size_t slash = path.find(u'/'); slash != vb::String::npos; slash = path.find(u'/', slash + 1)) {
    auto found = Pictures().find(std::u16string_view(path).substr(slash + 1));
    if (found != Pictures().end()) return SitePicture{found->second, "image/png"};
  }
  return std::nullopt;
}

}  // namespace host
