// GIF files through giflib: the first frame, placed on the file's logical
// screen. What the frame leaves uncovered, and its transparent pixels, are
// white, as the picture shows on a page. A frame whose data end early keeps
// the rows that arrived.
#include <gif_lib.h>

#include <cstring>
#include <memory>

#include "platform/image/picture.h"

namespace image {
namespace {

struct Source {
  std::string_view bytes;
  size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int wanted) {
  auto* source = static_cast<Source*>(gif->UserData);
  size_t count = std::min(static_cast<size_t>(std::max(wanted, 0)), source->bytes.size() - source->at);
  std::memcpy(out, source->bytes.data() + source->at, count);
  source->at += count;
  return static_cast<int>(count);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int ignored;
    DGifCloseFile(gif, &ignored);
  }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

constexpr Rgb kWhite{255, 255, 255};

// Reads the extensions before the first frame; gives its transparent index (-1: none).
bool SkipExtension(GifFileType* gif, int& transparent) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
  while (block) {
    if (code == GRAPHICS_EXT_FUNC_CODE && block[0] >= 4) {
      GraphicsControlBlock control;
      if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) transparent = control.TransparentColor;
    }
    if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
  }
  return true;
}

void ReadFrame(GifFileType* gif, int transparent, Bitmap& screen) {
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (!map) RaiseInvalidPicture();
  std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
  // Interlaced rows come in four passes: every 8th from 0, every 8th from 4,
  // every 4th from 2, every 2nd from 1.
  static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  const int passes = frame.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    int step = frame.Interlace ? kStep[pass] : 1;
    for (int row = frame.Interlace ? kStart[pass] : 0; row < frame.Height; row += step) {
      if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK) return;
      int y = frame.Top + row;
      if (y < 0 || y >= screen.Height()) continue;
      for (int i = 0; i < frame.Width; ++i) {
        int x = frame.Left + i;
        if (x < 0 || x >= screen.Width() || line[i] == transparent) continue;
        const GifColorType& c = map->Colors[line[i] < map->ColorCount ? line[i] : 0];
        screen.Set(x, y, {c.Red, c.Green, c.Blue});
      }
    }
  }
}

}  // namespace

Bitmap DecodeGif(std::string_view bytes) {
  Source source{bytes};
  int error = 0;
  GifFile gif(DGifOpen(&source, ReadFromMemory, &error));
  if (!gif) RaiseInvalidPicture();
  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif.get(), &record) != GIF_OK) RaiseInvalidPicture();
    if (record == EXTENSION_RECORD_TYPE) {
      if (!SkipExtension(gif.get(), transparent)) RaiseInvalidPicture();
    } else if (record == IMAGE_DESC_RECORD_TYPE) {
      break;
    } else {
      RaiseInvalidPicture();  // the end, or garbage, before any frame
    }
  }
  if (DGifGetImageDesc(gif.get()) != GIF_OK) RaiseInvalidPicture();
  const GifImageDesc& frame = gif->Image;
  // A screen of no size is taken to be the frame's extent.
  int64_t width = gif->SWidth > 0 ? gif->SWidth : int64_t{frame.Left} + frame.Width;
  int64_t height = gif->SHeight > 0 ? gif->SHeight : int64_t{frame.Top} + frame.Height;
  CheckDeclaredSize(width, height);
  Bitmap screen(static_cast<int>(width), static_cast<int>(height), kWhite);
  if (frame.Width > 0 && frame.Height > 0) ReadFrame(gif.get(), transparent, screen);
  return screen;
}

}  // namespace image
