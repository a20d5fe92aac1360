#pragma once
// Bitmap handles (HBITMAP) as the component passes them between its own
// procedures: a 32-bit number that stands for a bitmap until it is deleted.
// Only bitmaps registered here have handles; a live handle is never handed
// out twice, and 0 never. Safe to use from any thread.
#include <cstdint>
#include <memory>

#include "platform/image/bitmap.h"

namespace image {

using HBITMAP = int32_t;

HBITMAP RegisterBitmap(std::shared_ptr<const Bitmap> bitmap);
// The bitmap the handle stands for; empty for 0, an unknown or a deleted handle.
std::shared_ptr<const Bitmap> BitmapFromHandle(HBITMAP handle);
// DeleteObject: false for a handle that is not live.
bool DeleteObject(HBITMAP handle);

// A bitmap's handle for as long as the scope lives.
class ScopedBitmapHandle {
 public:
  explicit ScopedBitmapHandle(std::shared_ptr<const Bitmap> bitmap) : handle_(RegisterBitmap(std::move(bitmap))) {}
  ~ScopedBitmapHandle() { DeleteObject(handle_); }
  ScopedBitmapHandle(const ScopedBitmapHandle&) = delete;
  ScopedBitmapHandle& operator=(const ScopedBitmapHandle&) = delete;
  HBITMAP Get() const { return handle_; }

 private:
  HBITMAP handle_;
};

}  // namespace image
