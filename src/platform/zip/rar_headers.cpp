#include "platform/zip/rar_headers.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/zip/entry_names.h"
#include "platform/zip/little_endian.h"

namespace ziparc {

namespace {

constexpr char kMarker[] = "Rar!\x1a\x07\x00";
constexpr size_t kMarkerSize = 7;
// A self-extracting archive carries its program before the marker.
constexpr size_t kMaxMarkerSearch = 1 << 20;

constexpr uint8_t kFileHeader = 0x74;
constexpr uint8_t kServiceHeader = 0x7a;
constexpr uint8_t kEndHeader = 0x7b;
constexpr uint16_t kLongBlock = 0x8000;
constexpr uint16_t kLargeFile = 0x0100;
constexpr uint16_t kUnicodeName = 0x0200;
constexpr size_t kBaseHeaderSize = 7;
constexpr size_t kFileHeaderFixedSize = 32;

bool ReadAt(std::ifstream& in, uint64_t offset, size_t size, std::string& out) {
  out.assign(size, '\0');
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(out.data(), static_cast<std::streamsize>(size));
  return in.gcount() == static_cast<std::streamsize>(size);
}

// The archive's compact form of a UTF-16 name that follows the name's
// code-page bytes and a zero byte: a high byte shared by many characters, then
// two flag bits per character (the low byte alone, with the shared high byte,
// both bytes, or a run copied from the code-page name with a correction).
vb::String DecodeUnicodeName(const std::string& ansi, const std::string& encoded) {
  vb::String name;
  size_t at = 0;
  if (encoded.empty()) return name;
  auto byte = [&](size_t i) { return static_cast<uint8_t>(encoded[i]); };
  uint8_t high = byte(at++);
  unsigned flags = 0, flag_bits = 0;
  while (at < encoded.size()) {
    if (flag_bits == 0) {
      flags = byte(at++);
      flag_bits = 8;
    }
    unsigned kind = (flags >> 6) & 3;
    flags <<= 2;
    flag_bits -= 2;
    if (kind == 0) {
      if (at >= encoded.size()) break;
      name += static_cast<char16_t>(byte(at++));
    } else if (kind == 1) {
      if (at >= encoded.size()) break;
      name += static_cast<char16_t>(byte(at++) | high << 8);
    } else if (kind == 2) {
      if (at + 1 >= encoded.size()) break;
      name += static_cast<char16_t>(byte(at) | byte(at + 1) << 8);
      at += 2;
    } else {
      if (at >= encoded.size()) break;
      unsigned length = byte(at++);
      if (length & 0x80) {
        if (at >= encoded.size()) break;
        uint8_t correction = byte(at++);
        for (length = (length & 0x7f) + 2; length > 0 && name.size() < ansi.size(); --length) {
          uint8_t from = static_cast<uint8_t>(ansi[name.size()]);
          name += static_cast<char16_t>(static_cast<uint8_t>(from + correction) | high << 8);
        }
      } else {
        for (length += 2; length > 0 && name.size() < ansi.size(); --length) {
          name += static_cast<char16_t>(static_cast<uint8_t>(ansi[name.size()]));
        }
      }
    }
  }
  return name;
}

vb::String DecodeName(const std::string& stored, bool unicode) {
  if (!unicode) return DecodeEntryName(stored, NameBytes::kFromWindows);
  size_t zero = stored.find('\0');
  // A Unicode name without the zero byte is written as UTF-8.
  if (zero == std::string::npos) return DecodeEntryName(stored, NameBytes::kUtf8);
  return DecodeUnicodeName(stored.substr(0, zero), stored.substr(zero + 1));
}

}  // namespace

std::optional<std::vector<vb::String>> ReadRar4Names(const std::filesystem::path& archive) {
  std::ifstream in(archive, std::ios::binary);
  if (!in) return std::nullopt;
  std::string start;
  in.read(start.assign(kMaxMarkerSearch, '\0').data(), kMaxMarkerSearch);
  start.resize(static_cast<size_t>(in.gcount()));
  size_t marker = start.find(std::string(kMarker, kMarkerSize));
  if (marker == std::string::npos) return std::nullopt;

  std::vector<vb::String> names;
  uint64_t at = marker + kMarkerSize;
  std::string header;
  while (ReadAt(in, at, kBaseHeaderSize, header)) {
    uint8_t type = static_cast<uint8_t>(header[2]);
    uint16_t flags = Get16(&header[3]);
    uint16_t size = Get16(&header[5]);
    if (size < kBaseHeaderSize) return std::nullopt;
    if (type == kEndHeader) break;
    uint64_t data_size = 0;
    if (type == kFileHeader || type == kServiceHeader) {
      if (size < kFileHeaderFixedSize || !ReadAt(in, at, size, header)) return std::nullopt;
      size_t name_at = kFileHeaderFixedSize;
      data_size = Get32(&header[7]);
      if (flags & kLargeFile) {
        name_at += 8;
        if (size < name_at) return std::nullopt;
        data_size |= static_cast<uint64_t>(Get32(&header[32])) << 32;
      }
      size_t name_size = Get16(&header[26]);
      if (name_at + name_size > size) return std::nullopt;
      if (type == kFileHeader) names.push_back(DecodeName(header.substr(name_at, name_size), flags & kUnicodeName));
    } else if (flags & kLongBlock) {
      if (!ReadAt(in, at, kBaseHeaderSize + 4, header)) return std::nullopt;
      data_size = Get32(&header[7]);
    }
    at += size + data_size;
  }
  return names;
}

}  // namespace ziparc
