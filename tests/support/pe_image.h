#pragma once
// Small PE files built byte by byte: a 32-bit image with one resource
// section that holds a version resource, or none.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qe_test {

inline void PutU16(std::string& out, size_t at, uint16_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>(v >> 8);
}
inline void PutU32(std::string& out, size_t at, uint32_t v) {
  PutU16(out, at, static_cast<uint16_t>(v & 0xFFFF));
  PutU16(out, at + 2, static_cast<uint16_t>(v >> 16));
}
inline void AppendU16(std::string& out, uint16_t v) {
  out.append(2, '\0');
  PutU16(out, out.size() - 2, v);
}
inline void AppendU32(std::string& out, uint32_t v) {
  out.append(4, '\0');
  PutU32(out, out.size() - 4, v);
}
inline void PadTo4(std::string& out) { out.append((4 - out.size() % 4) % 4, '\0'); }

inline std::string Utf16(std::u16string_view text, bool with_nul) {
  std::string out;
  for (char16_t c : text) AppendU16(out, c);
  if (with_nul) AppendU16(out, 0);
  return out;
}

// One node of a version block: wLength, wValueLength, wType, key, value, children.
inline std::string VersionNode(std::u16string_view key, const std::string& value, uint16_t value_length,
                               bool text, const std::vector<std::string>& children) {
  std::string node(6, '\0');
  node += Utf16(key, true);
  PadTo4(node);
  node += value;
  for (const std::string& child : children) {
    PadTo4(node);
    node += child;
  }
  PutU16(node, 0, static_cast<uint16_t>(node.size()));
  PutU16(node, 2, value_length);
  PutU16(node, 4, text ? 1 : 0);
  return node;
}

inline std::string VersionString(std::u16string_view key, std::u16string_view value) {
  return VersionNode(key, Utf16(value, true), static_cast<uint16_t>(value.size() + 1), true, {});
}

// A VS_VERSIONINFO block: fixed information, the strings of one table, and
// the translations (language, code page) in that order.
inline std::string VersionBlock(std::u16string_view table,
                                const std::vector<std::pair<std::u16string, std::u16string>>& strings,
                                const std::vector<std::pair<uint16_t, uint16_t>>& translations) {
  std::string fixed;
  AppendU32(fixed, 0xFEEF04BD);
  AppendU32(fixed, 0x00010000);
  fixed.append(44, '\0');
  std::vector<std::string> values;
  for (const auto& [key, value] : strings) values.push_back(VersionString(key, value));
  std::string list;
  for (const auto& [language, code_page] : translations) {
    AppendU16(list, language);
    AppendU16(list, code_page);
  }
  std::string string_info = VersionNode(u"StringFileInfo", "", 0, true, {VersionNode(table, "", 0, true, values)});
  std::string var_info = VersionNode(u"VarFileInfo", "", 0, true,
                                     {VersionNode(u"Translation", list, static_cast<uint16_t>(list.size()), false, {})});
  return VersionNode(u"VS_VERSION_INFO", fixed, 52, false, {string_info, var_info});
}

// A PE32 image whose resource section holds `version_block` as resource
// type 16, name 1, language 0x0804; without a block, an image with no resources.
inline std::string PeImage(const std::string& version_block) {
  std::string image(0x200, '\0');
  PutU16(image, 0, 0x5A4D);  // "MZ"
  PutU32(image, 0x3C, 0x40);
  PutU32(image, 0x40, 0x00004550);  // "PE\0\0"
  PutU16(image, 0x44, 0x14C);       // i386
  PutU16(image, 0x46, version_block.empty() ? 0 : 1);
  PutU16(image, 0x54, 0xE0);  // optional header size
  PutU16(image, 0x56, 0x2102);
  size_t optional = 0x58;
  PutU16(image, optional, 0x10B);
  PutU32(image, optional + 92, 16);
  if (version_block.empty()) return image;

  std::string resources(0x58, '\0');
  auto directory = [&](size_t at, uint32_t id, uint32_t target) {
    PutU16(resources, at + 14, 1);  // one entry named by id
    PutU32(resources, at + 16, id);
    PutU32(resources, at + 20, target);
  };
  directory(0x00, 16, 0x80000000 | 0x18);
  directory(0x18, 1, 0x80000000 | 0x30);
  directory(0x30, 0x0804, 0x48);
  PutU32(resources, 0x48, 0x1000 + 0x58);
  PutU32(resources, 0x4C, static_cast<uint32_t>(version_block.size()));
  resources += version_block;

  PutU32(image, optional + 96 + 16, 0x1000);  // resource directory: address, size
  PutU32(image, optional + 96 + 20, static_cast<uint32_t>(resources.size()));
  size_t section = optional + 0xE0;
  image.replace(section, 5, ".rsrc");
  PutU32(image, section + 8, static_cast<uint32_t>(resources.size()));
  PutU32(image, section + 12, 0x1000);
  PutU32(image, section + 16, static_cast<uint32_t>(resources.size()));
  PutU32(image, section + 20, 0x200);
  return image + resources;
}

}  // namespace qe_test
