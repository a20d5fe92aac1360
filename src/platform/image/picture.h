#pragma once
// Loading pictures (the run-time's LoadPicture): BMP, GIF and JPEG files into
// a 24-bit bitmap. Anything else, PNG included, raises error 481 "Invalid
// picture", as does a file of a known kind that is broken past reading.
// A picture declaring more than kMaxPicturePixels raises error 5 before its
// pixels are allocated.
#include <string_view>

#include "platform/image/bitmap.h"
#include "platform/vb/string.h"

namespace image {

// The file's bytes as a picture; raises what fs::ReadAllBytes raises (53 for
// a missing file, ...), 481 and 5 as above.
Bitmap LoadPicture(vb::StringView windows_path);

// The bytes as a picture, told by their first bytes.
Bitmap DecodePicture(std::string_view bytes);

// One kind each; they raise 481 for bytes that are not that kind.
Bitmap DecodeBmp(std::string_view bytes);  // 1/4/8/16/24/32 bits, RLE4/RLE8, bottom-up or top-down
Bitmap DecodeGif(std::string_view bytes);  // the first frame, on its logical screen
Bitmap DecodeJpeg(std::string_view bytes); // baseline, progressive, grey, CMYK

// What decoders do with a declared size before they allocate: 481 for a side
// under 1, 5 past kMaxPicturePixels.
void CheckDeclaredSize(int64_t width, int64_t height);

[[noreturn]] void RaiseInvalidPicture();

}  // namespace image
