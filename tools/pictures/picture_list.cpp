#include "picture_list.h"

#include <algorithm>
#include <istream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace pictures {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

[[noreturn]] void Refuse(int line, const std::string& why) {
  throw std::runtime_error(std::to_string(line) + ": " + why);
}

// "16x14": both at least 1 and at most 2000.
bool ReadSize(const std::string& text, int& width, int& height) {
  size_t x = text.find('x');
  if (x == std::string::npos || x == 0 || x + 1 == text.size()) return false;
  if (text.find_first_not_of("0123456789", 0) != x || text.find_first_not_of("0123456789", x + 1) != std::string::npos)
    return false;
  if (x > 4 || text.size() - x - 1 > 4) return false;
  width = std::stoi(text.substr(0, x));
  height = std::stoi(text.substr(x + 1));
  return width >= 1 && height >= 1 && width <= 2000 && height <= 2000;
}

}  // namespace

std::vector<Entry> ReadList(std::istream& in) {
  std::vector<Entry> entries;
  std::set<std::string> files;
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    if (size_t hash = text.find('#'); hash != std::string::npos) text.erase(hash);
    std::istringstream words(text);
    Entry entry;
    std::string size;
    if (!(words >> entry.address)) continue;
    entry.line = number;
    if (!(words >> size >> entry.drawing)) Refuse(number, "an address needs a size and a drawing");
    if (!ReadSize(size, entry.width, entry.height)) Refuse(number, "the size \"" + size + "\" is not WIDTHxHEIGHT");
    if (size_t colon = entry.drawing.find(':'); colon != std::string::npos) {
      entry.style = entry.drawing.substr(colon + 1);
      entry.drawing.erase(colon);
    }
    std::getline(words >> std::ws, entry.text);
    while (!entry.text.empty() && (entry.text.back() == ' ' || entry.text.back() == '\t')) entry.text.pop_back();
    if (entry.address.rfind("../", 0) == 0 || entry.address[0] == '/' ||
        entry.address.find("..") != std::string::npos || entry.address.find('\\') != std::string::npos ||
        entry.address.find('.') == std::string::npos)
      Refuse(number, "the address \"" + entry.address + "\" is not a file under the site's folders (no \"../\")");
    if (!files.insert(PictureFileName(entry.address)).second)
      Refuse(number, "the address " + entry.address + " is listed twice");
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string PictureFileName(const std::string& address) {
  std::string name = Lower(address);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && name.find('/', dot) == std::string::npos) name.erase(dot);
  return name + ".png";
}

}  // namespace pictures
