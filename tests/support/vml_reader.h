#pragma once
// Reading chart markup back: the start tags of a text with their attributes
// (quoted in ' or ", or bare up to a blank or ">"; names in lower case), the
// declarations inside a style attribute, and the numbers of "x,y" pairs, so
// tests can check a chart's geometry rather than its spelling.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/vb/string.h"
#include "platform/vb/variant.h"

namespace qe_test {

struct Tag {
  std::string name;  // lower case, "v:rect"
  std::map<std::string, std::string> attributes;
  std::string text;  // the text after the tag, up to the next "<"

  const std::string& Attr(const std::string& key) const {
    static const std::string none;
    auto it = attributes.find(key);
    return it == attributes.end() ? none : it->second;
  }
  // A declaration of the style attribute ("left" gives "120px" or "23100").
  std::string Style(const std::string& key) const {
    const std::string& style = Attr("style");
    size_t at = 0;
    while (at < style.size()) {
      size_t end = style.find(';', at);
      if (end == std::string::npos) end = style.size();
      std::string decl = style.substr(at, end - at);
      size_t colon = decl.find(':');
      if (colon != std::string::npos) {
        std::string name = decl.substr(0, colon);
        while (!name.empty() && name.front() == ' ') name.erase(0, 1);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == key) return decl.substr(colon + 1);
      }
      at = end + 1;
    }
    return {};
  }
  // A style length as a number ("120px" gives 120).
  double Px(const std::string& key) const { return std::strtod(Style(key).c_str(), nullptr); }
  // The numbers of an attribute such as "12px,30.5px" or "1700,11700".
  std::vector<double> Numbers(const std::string& key) const {
    std::vector<double> out;
    std::string value = Attr(key);
    for (char& c : value)  // decimal numbers only: "0xe" ends a VML path, it is no hexadecimal 14
      if (c == 'x' || c == 'X') c = ' ';
    const char* p = value.c_str();
    while (*p) {
      char* end = nullptr;
      double v = std::strtod(p, &end);
      if (end == p) {
        ++p;
        continue;
      }
      out.push_back(v);
      p = end;
    }
    return out;
  }
};

inline std::vector<Tag> ReadTags(const std::string& text) {
  std::vector<Tag> tags;
  size_t at = 0;
  while ((at = text.find('<', at)) != std::string::npos) {
    ++at;
    if (at >= text.size() || text[at] == '/' || text[at] == '!') continue;
    Tag tag;
    while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at])) && text[at] != '>' &&
           text[at] != '/')
      tag.name += static_cast<char>(std::tolower(static_cast<unsigned char>(text[at++])));
    while (at < text.size() && text[at] != '>') {
      if (std::isspace(static_cast<unsigned char>(text[at])) || text[at] == '/') {
        ++at;
        continue;
      }
      std::string key;
      while (at < text.size() && text[at] != '=' && text[at] != '>' && !std::isspace(static_cast<unsigned char>(text[at])))
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(text[at++])));
      std::string value;
      if (at < text.size() && text[at] == '=') {
        ++at;
        if (text[at] == '\'' || text[at] == '"') {
          char quote = text[at++];
          size_t end = text.find(quote, at);
          value = text.substr(at, end - at);
          at = end + 1;
        } else {
          while (at < text.size() && text[at] != '>' && !std::isspace(static_cast<unsigned char>(text[at])))
            value += text[at++];
        }
      }
      tag.attributes[key] = value;
    }
    size_t next = text.find('<', at);
    tag.text = text.substr(at + 1, (next == std::string::npos ? text.size() : next) - at - 1);
    tags.push_back(tag);
  }
  return tags;
}

inline std::vector<Tag> ReadTags(vb::StringView text) { return ReadTags(vb::ToUtf8(text)); }

// The tags of one name, in order.
inline std::vector<Tag> TagsNamed(const std::vector<Tag>& tags, const std::string& name) {
  std::vector<Tag> out;
  for (const Tag& t : tags)
    if (t.name == name) out.push_back(t);
  return out;
}

// A value array as pages fill it: rows (row 0 first) of cells, each row
// padded with Empty to the longest.
inline vb::Variant ValueTable(const std::vector<std::vector<vb::Variant>>& rows) {
  size_t columns = 0;
  for (const auto& row : rows) columns = std::max(columns, row.size());
  vb::Array array(vb::vbVariant, {{0, static_cast<int32_t>(rows.size()) - 1}, {0, static_cast<int32_t>(columns) - 1}});
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      array.Set({static_cast<int32_t>(r), static_cast<int32_t>(c)}, rows[r][c]);
  return vb::Variant(std::move(array));
}

}  // namespace qe_test
