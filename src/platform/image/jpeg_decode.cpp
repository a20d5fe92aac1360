// JPEG files through libjpeg-turbo: baseline and progressive, grey, colour
// and CMYK. libjpeg reports fatal errors through a jump; they become error
// 481. Warnings (data that end early, for one) are borne, as viewers do: the
// missing part of the picture comes out grey.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "platform/image/jpeg_errors.h"
#include "platform/image/picture.h"

namespace image {
namespace {

// A progressive file may hold any number of scans, each of which can cover
// the whole picture for a few bytes; real encoders write a dozen.
constexpr int kMaxScans = 500;

void LimitScans(j_common_ptr info) {
  auto* decoder = reinterpret_cast<j_decompress_ptr>(info);
  if (decoder->input_scan_number > kMaxScans) info->err->error_exit(info);
}

// Sets up the decoder up to the start of decompression; false when libjpeg
// gave up. No C++ object with a destructor lives in this frame, so the jump
// of a fatal error skips nothing.
bool StartDecompress(jpeg_decompress_struct& decoder, JpegErrors& errors, jpeg_progress_mgr& progress,
                     std::string_view bytes, int64_t& width, int64_t& height) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&decoder);
  decoder.progress = &progress;
  jpeg_mem_src(&decoder, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&decoder, TRUE) != JPEG_HEADER_OK) return false;
  width = decoder.image_width;
  height = decoder.image_height;
  return true;
}

bool ReadScanlines(jpeg_decompress_struct& decoder, JpegErrors& errors, Bitmap& out, unsigned char* cmyk_row) {
  if (setjmp(errors.jump)) return false;
  const bool cmyk = decoder.jpeg_color_space == JCS_CMYK || decoder.jpeg_color_space == JCS_YCCK;
  decoder.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&decoder);
  // Adobe's writers store CMYK inverted (0 is full ink), and say so in their marker.
  const bool inverted = decoder.saw_Adobe_marker;
  while (decoder.output_scanline < decoder.output_height) {
    int y = static_cast<int>(decoder.output_scanline);
    JSAMPROW row = cmyk ? cmyk_row : out.Row(y);
    jpeg_read_scanlines(&decoder, &row, 1);
    if (!cmyk) continue;
    uint8_t* px = out.Row(y);
    for (int x = 0; x < out.Width(); ++x) {
      const unsigned char* k = cmyk_row + 4 * x;
      for (int c = 0; c < 3; ++c) {
        unsigned ink = inverted ? k[c] : 255 - k[c], black = inverted ? k[3] : 255 - k[3];
        px[3 * x + c] = static_cast<uint8_t>((ink * black + 127) / 255);
      }
    }
  }
  jpeg_finish_decompress(&decoder);
  return true;
}

}  // namespace

Bitmap DecodeJpeg(std::string_view bytes) {
  jpeg_decompress_struct decoder{};
  JpegErrors errors;
  decoder.err = errors.Install();
  struct Destroy {
    jpeg_decompress_struct& decoder;
    ~Destroy() { jpeg_destroy_decompress(&decoder); }
  } destroy{decoder};
  jpeg_progress_mgr progress{};
  progress.progress_monitor = LimitScans;
  int64_t width = 0, height = 0;
  if (!StartDecompress(decoder, errors, progress, bytes, width, height)) RaiseInvalidPicture();
  CheckDeclaredSize(width, height);
  Bitmap out(static_cast<int>(width), static_cast<int>(height));
  std::vector<unsigned char> cmyk_row(static_cast<size_t>(width) * 4);
  if (!ReadScanlines(decoder, errors, out, cmyk_row.data())) RaiseInvalidPicture();
  return out;
}

}  // namespace image
