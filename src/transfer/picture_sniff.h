#pragma once
// What kind of picture a file's bytes hold, by their first bytes (JPEG
// anywhere in the data), with the size and colour depth its header gives.
#include <optional>
#include <string_view>

namespace qe {

struct PictureInfo {
  const char16_t* type;  // "JPG", "gif", "bmp", "png"
  double width = 0;
  double height = 0;
  double bits = 0;       // colour depth in bits per pixel; -1 for an unknown PNG colour type
};

// Nothing when the bytes are none of the four kinds. Fields that a short or
// broken header does not hold read as 0; no byte past the data is read.
std::optional<PictureInfo> SniffPicture(std::string_view bytes);

}  // namespace qe
