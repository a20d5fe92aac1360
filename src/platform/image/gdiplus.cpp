#include "platform/image/gdiplus.h"

#include <csetjmp>
#include <memory>

#include "platform/fs/file_write.h"
#include "platform/fs/full_path.h"
#include "platform/image/jpeg_errors.h"
#include "platform/vb/error.h"

namespace gdiplus {
namespace {

// libjpeg's output gathered into a string, a chunk at a time.
struct StringDestination {
  jpeg_destination_mgr manager{};  // first, so libjpeg's pointer is ours
  std::string* out = nullptr;
  unsigned char chunk[1 << 16];

  explicit StringDestination(std::string* target) : out(target) {
    manager.init_destination = [](j_compress_ptr info) { Of(info)->Rewind(); };
    manager.empty_output_buffer = [](j_compress_ptr info) -> boolean {
      StringDestination* d = Of(info);
      d->out->append(reinterpret_cast<const char*>(d->chunk), sizeof d->chunk);
      d->Rewind();
      return TRUE;
    };
    manager.term_destination = [](j_compress_ptr info) {
      StringDestination* d = Of(info);
      d->out->append(reinterpret_cast<const char*>(d->chunk), sizeof d->chunk - d->manager.free_in_buffer);
    };
  }
  static StringDestination* Of(j_compress_ptr info) { return reinterpret_cast<StringDestination*>(info->dest); }
  void Rewind() {
    manager.next_output_byte = chunk;
    manager.free_in_buffer = sizeof chunk;
  }
};

// No C++ object with a destructor lives in this frame (see JpegErrors).
bool Compress(jpeg_compress_struct& encoder, image::JpegErrors& errors, const image::Bitmap& bitmap, int quality,
              StringDestination& destination) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_compress(&encoder);
  encoder.dest = &destination.manager;
  encoder.image_width = static_cast<JDIMENSION>(bitmap.Width());
  encoder.image_height = static_cast<JDIMENSION>(bitmap.Height());
  encoder.input_components = 3;
  encoder.in_color_space = JCS_RGB;
  jpeg_set_defaults(&encoder);
  jpeg_set_quality(&encoder, quality, TRUE);
  jpeg_start_compress(&encoder, TRUE);
  while (encoder.next_scanline < encoder.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bitmap.Row(static_cast<int>(encoder.next_scanline)));
    jpeg_write_scanlines(&encoder, &row, 1);
  }
  jpeg_finish_compress(&encoder);
  return true;
}

}  // namespace

Status GdipCreateBitmapFromHBITMAP(image::HBITMAP handle, std::shared_ptr<const image::Bitmap>& bitmap) {
  bitmap = image::BitmapFromHandle(handle);
  return bitmap ? Ok : InvalidParameter;
}

Status EncodeJpeg(const image::Bitmap& bitmap, int quality, std::string& out) {
  if (quality < 0 || quality > 100 || bitmap.Empty()) return InvalidParameter;
  jpeg_compress_struct encoder{};
  image::JpegErrors errors;
  encoder.err = errors.Install();
  auto destination = std::make_unique<StringDestination>(&out);
  out.clear();
  bool done = Compress(encoder, errors, bitmap, quality, *destination);
  jpeg_destroy_compress(&encoder);
  return done ? Ok : OutOfMemory;
}

Status GdipSaveImageToFileAsJpeg(const image::Bitmap& bitmap, vb::StringView windows_path, int quality) {
  std::string bytes;
  if (Status status = EncodeJpeg(bitmap, quality, bytes); status != Ok) return status;
  try {
    // A path as the picture reader takes it: relative ones from the current
    // drive and folder.
    fs::ReplaceFile(fs::FullPath(windows_path), bytes);
  } catch (const vb::Error&) {
    return Win32Error;
  }
  return Ok;
}

}  // namespace gdiplus
