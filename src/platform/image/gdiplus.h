#pragma once
// What the component uses of GDI+: a bitmap made from a bitmap handle, saved
// as a JPEG file with one encoder parameter, the quality. Calls answer with
// GDI+'s status values, as its flat interface does.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/image/bitmap.h"
#include "platform/image/bitmap_handles.h"
#include "platform/vb/string.h"

namespace gdiplus {

enum Status : int32_t {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  Win32Error = 7,
};

// InvalidParameter for a handle that stands for no bitmap.
Status GdipCreateBitmapFromHBITMAP(image::HBITMAP handle, std::shared_ptr<const image::Bitmap>& bitmap);

// The bitmap as a JPEG of the given quality (0 to 100; InvalidParameter
// above), written under a temporary name in the target's folder and renamed
// into place, so the target is whole or untouched; Win32Error when the file
// cannot be created or written.
Status GdipSaveImageToFileAsJpeg(const image::Bitmap& bitmap, vb::StringView windows_path, int quality);

// The JPEG bytes themselves (baseline, colour sampled 4:2:0, the standard
// tables scaled to the quality); Ok, InvalidParameter or OutOfMemory.
Status EncodeJpeg(const image::Bitmap& bitmap, int quality, std::string& out);

}  // namespace gdiplus
