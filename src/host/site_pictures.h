#pragma once
// The site's own interface pictures (the error page's box and buttons, icons,
// window frames ...), built into the program from data/pictures: the pages
// name them as ".asp" addresses under the site's shared folders
// ("../comm/image/kesra_close.asp"), and every site `qe serve` runs has them
// there, though no such file exists. They are pictures, never pages.
#include <optional>
#include <string_view>

#include "platform/vb/string.h"

namespace host {

struct SitePicture {
  std::string_view bytes;
  std::string_view content_type;
};

// The picture a virtual path names: a listed address in any letter case,
// under any folder ("/Comm/Image/Kesra_Error_Bg.asp" and
// "/qe/comm/image/kesra_error_bg.asp" alike), trailing dots and blanks of its
// name dropped as Windows drops them. nullopt for any other path.
std::optional<SitePicture> FindSitePicture(vb::StringView virtual_path);

}  // namespace host
