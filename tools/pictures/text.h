#pragma once
// Text in the project's Chinese face (WenQuanYi Zen Hei, Debian's
// fonts-wqy-zenhei), read from its one file so that no other installed font
// can take its place: at 12 to 16 pixels the face's own pixel drawings, at
// other sizes its outlines, smoothed.
#include <string_view>

#include "canvas.h"

namespace pictures {

class Font {
 public:
  // Raises std::runtime_error when the face's file is missing.
  Font();
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // The width of UTF-8 `text` at `pixels` (the em), in whole pixels.
  int Measure(std::string_view text, int pixels);
  // Draws `text` with its baseline at y, starting at x.
  void Draw(Canvas& canvas, int x, int baseline, std::string_view text, int pixels, const Colour& colour);
  // Draws `text` centred in the box; the box's middle lies halfway between
  // the baseline and the top of the characters.
  void DrawCentred(Canvas& canvas, double left, double top, double width, double height, std::string_view text,
                   int pixels, const Colour& colour);

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace pictures
