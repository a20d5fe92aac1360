#pragma once
// The list of the site's interface pictures (data/pictures/pictures.list):
// one picture a line, "ADDRESS WIDTHxHEIGHT DRAWING[:STYLE] [TEXT]".
#include <iosfwd>
#include <string>
#include <vector>

namespace pictures {

struct Entry {
  std::string address;  // as pages write it, without the leading "../"
  int width = 0, height = 0;
  std::string drawing, style;
  std::string text;  // what the picture says, if anything
  int line = 0;      // in the list, for messages
};

// The entries of a list; raises std::runtime_error("LINE: why") for a line it
// cannot read and for an address given twice (letter case aside).
std::vector<Entry> ReadList(std::istream& in);

// The file that holds the picture of an address: the address in lower case,
// its extension replaced by ".png".
std::string PictureFileName(const std::string& address);

}  // namespace pictures
