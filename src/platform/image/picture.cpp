#include "platform/image/picture.h"

#include "platform/fs/file.h"
#include "platform/vb/error.h"

namespace image {

void RaiseInvalidPicture() { vb::Raise(vb::kInvalidPicture); }

void CheckDeclaredSize(int64_t width, int64_t height) {
  if (width < 1 || height < 1) RaiseInvalidPicture();
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxPicturePixels)
    vb::Raise(vb::kInvalidProcedureCall, u"The picture is larger than this server takes (100 megapixels)");
}

Bitmap DecodePicture(std::string_view bytes) {
  if (bytes.starts_with("BM")) return DecodeBmp(bytes);
  if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return DecodeGif(bytes);
  if (bytes.starts_with("\xFF\xD8")) return DecodeJpeg(bytes);
  RaiseInvalidPicture();
}

Bitmap LoadPicture(vb::StringView windows_path) { return DecodePicture(fs::ReadAllBytes(windows_path)); }

}  // namespace image
