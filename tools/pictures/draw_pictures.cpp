// Draws the site's interface pictures from their list:
//
//   qe_draw_pictures LIST FOLDER
//
// writes one PNG a listed address into FOLDER (its file named by the address,
// in lower case, ".png" for its extension: comm/image/kesra_close.png), and
// nothing else. The same list draws the same bytes on every machine with the
// project's packages, so the committed pictures can be checked by drawing
// them again.
#include <png.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "canvas.h"
#include "drawings.h"
#include "picture_list.h"
#include "text.h"

namespace {

// PNG bytes of the canvas: RGB when it is opaque, else RGBA.
std::vector<unsigned char> EncodePng(const pictures::Canvas& canvas) {
  std::vector<uint8_t> rgba = canvas.Rgba();
  const bool opaque = canvas.Opaque();
  std::vector<uint8_t> pixels;
  if (opaque) {
    for (size_t i = 0; i < rgba.size(); i += 4) pixels.insert(pixels.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
  } else {
    pixels = std::move(rgba);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(canvas.Width());
  image.height = static_cast<png_uint_32>(canvas.Height());
  image.format = opaque ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr))
    throw std::runtime_error(std::string("libpng: ") + image.message);
  std::vector<unsigned char> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr))
    throw std::runtime_error(std::string("libpng: ") + image.message);
  bytes.resize(size);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qe_draw_pictures LIST FOLDER\n");
    return 2;
  }
  const std::filesystem::path list = argv[1], folder = argv[2];
  std::vector<pictures::Entry> entries;
  try {
    std::ifstream in(list);
    if (!in) throw std::runtime_error("cannot be read");
    entries = pictures::ReadList(in);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s:%s\n", list.c_str(), e.what());
    return 1;
  }
  try {
    pictures::Font font;
    for (const pictures::Entry& entry : entries) {
      pictures::Canvas canvas(entry.width, entry.height);
      try {
        pictures::Draw(canvas, font, entry);
      } catch (const std::exception& e) {
        throw std::runtime_error(list.string() + ":" + std::to_string(entry.line) + ": " + e.what());
      }
      std::filesystem::path file = folder / pictures::PictureFileName(entry.address);
      std::filesystem::create_directories(file.parent_path());
      std::vector<unsigned char> bytes = EncodePng(canvas);
      std::ofstream out(file, std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!out) throw std::runtime_error("cannot write " + file.string());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qe_draw_pictures: %s\n", e.what());
    return 1;
  }
  return 0;
}
