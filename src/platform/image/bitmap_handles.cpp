#include "platform/image/bitmap_handles.h"

#include <mutex>
#include <unordered_map>

namespace image {
namespace {

struct Registry {
  std::mutex mutex;
  std::unordered_map<HBITMAP, std::shared_ptr<const Bitmap>> live;
  // Handles count up from here (GDI's own look much the same), wrapping past
  // the largest and skipping 0 and any handle still live.
  uint32_t next = 0x05010000;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

HBITMAP RegisterBitmap(std::shared_ptr<const Bitmap> bitmap) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  HBITMAP handle;
  do handle = static_cast<HBITMAP>(r.next++);
  while (handle == 0 || r.live.count(handle));
  r.live.emplace(handle, std::move(bitmap));
  return handle;
}

std::shared_ptr<const Bitmap> BitmapFromHandle(HBITMAP handle) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  auto it = r.live.find(handle);
  return it == r.live.end() ? nullptr : it->second;
}

bool DeleteObject(HBITMAP handle) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  return r.live.erase(handle) > 0;
}

}  // namespace image
