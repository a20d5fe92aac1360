#pragma once
// Archives written byte by byte, so that tests can make what no packer makes:
// names that leave the folder, links, lying sizes, RAR 4 headers.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qe_test {

inline uint32_t Crc32(std::string_view data) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

inline void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
inline uint16_t Get16(std::string_view s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}
inline uint32_t Get32(std::string_view s, size_t at) { return Get16(s, at) | static_cast<uint32_t>(Get16(s, at + 2)) << 16; }

// One zip entry as stored: `data` is what follows the local header.
struct RawZipEntry {
  std::string name;      // the name's bytes
  std::string data;
  uint16_t flags = 0;    // 0x0800: the name is UTF-8
  uint16_t method = 0;   // 0 stored, 8 deflated
  uint32_t crc = 0;
  uint32_t size = 0;     // declared uncompressed size
  uint8_t system = 0;    // 0 DOS, 3 Unix
  uint32_t external = 0;
};

inline RawZipEntry StoredEntry(std::string name, std::string content, uint16_t flags = 0) {
  RawZipEntry entry{std::move(name), std::move(content), flags};
  entry.crc = Crc32(entry.data);
  entry.size = static_cast<uint32_t>(entry.data.size());
  return entry;
}

inline std::string ZipBytes(const std::vector<RawZipEntry>& entries) {
  std::string out, directory;
  for (const RawZipEntry& e : entries) {
    uint32_t offset = static_cast<uint32_t>(out.size());
    Put32(out, 0x04034b50);
    Put16(out, 20);
    Put16(out, e.flags);
    Put16(out, e.method);
    Put32(out, 0x5A210000);  // a DOS time in 2025
    Put32(out, e.crc);
    Put32(out, static_cast<uint32_t>(e.data.size()));
    Put32(out, e.size);
    Put16(out, static_cast<uint32_t>(e.name.size()));
    Put16(out, 0);
    out += e.name;
    out += e.data;

    Put32(directory, 0x02014b50);
    Put16(directory, static_cast<uint32_t>(e.system) << 8 | 20);
    Put16(directory, 20);
    Put16(directory, e.flags);
    Put16(directory, e.method);
    Put32(directory, 0x5A210000);
    Put32(directory, e.crc);
    Put32(directory, static_cast<uint32_t>(e.data.size()));
    Put32(directory, e.size);
    Put16(directory, static_cast<uint32_t>(e.name.size()));
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put32(directory, e.external);
    Put32(directory, offset);
    directory += e.name;
  }
  uint32_t directory_offset = static_cast<uint32_t>(out.size());
  out += directory;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<uint32_t>(entries.size()));
  Put16(out, static_cast<uint32_t>(entries.size()));
  Put32(out, static_cast<uint32_t>(directory.size()));
  Put32(out, directory_offset);
  Put16(out, 0);
  return out;
}

// The names and flags of an archive's central directory, as stored.
struct CentralName {
  std::string name;
  uint16_t flags;
};
inline std::vector<CentralName> CentralNames(std::string_view archive) {
  std::vector<CentralName> names;
  size_t end = archive.rfind(std::string_view("PK\x05\x06", 4));
  if (end == std::string_view::npos) return names;
  for (size_t at = Get32(archive, end + 16); at + 46 <= archive.size() && Get32(archive, at) == 0x02014b50;) {
    size_t name_size = Get16(archive, at + 28);
    names.push_back({std::string(archive.substr(at + 46, name_size)), Get16(archive, at + 8)});
    at += 46 + name_size + Get16(archive, at + 30) + Get16(archive, at + 32);
  }
  return names;
}

// A raw deflate stream that inflates to `mebibytes` MiB of zeros: one flushed
// block repeated (a full flush forgets the window), then an empty final block.
inline std::string DeflatedZeros(uint32_t mebibytes) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string zeros(1 << 20, '\0'), block(1 << 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(zeros.data());
  z.avail_in = static_cast<uInt>(zeros.size());
  z.next_out = reinterpret_cast<Bytef*>(block.data());
  z.avail_out = static_cast<uInt>(block.size());
  deflate(&z, Z_FULL_FLUSH);
  block.resize(block.size() - z.avail_out);
  std::string out;
  for (uint32_t i = 0; i < mebibytes; ++i) out += block;
  std::string last(16, '\0');
  z.next_in = nullptr;
  z.avail_in = 0;
  z.next_out = reinterpret_cast<Bytef*>(last.data());
  z.avail_out = static_cast<uInt>(last.size());
  deflate(&z, Z_FINISH);
  last.resize(last.size() - z.avail_out);
  deflateEnd(&z);
  return out + last;
}

// RAR 4 archives with stored entries.
struct RarEntry {
  std::string name;           // the name's code-page bytes
  std::string data;
  std::u16string unicode;     // non-empty: the Unicode flag and this name
  bool folder = false;
  uint8_t host = 2;           // 2 Windows, 3 Unix
  uint32_t attributes = 0x20;
  uint16_t extra_flags = 0;   // 0x0004: encrypted
};

inline RarEntry RarFile(std::string name, std::string data) {
  RarEntry entry;
  entry.name = std::move(name);
  entry.data = std::move(data);
  return entry;
}

inline std::string RarBlock(uint8_t type, uint16_t flags, const std::string& body, const std::string& data = {}) {
  std::string header;
  header += static_cast<char>(type);
  Put16(header, flags);
  Put16(header, static_cast<uint32_t>(7 + body.size()));
  header += body;
  std::string block;
  Put16(block, Crc32(header) & 0xFFFF);
  return block + header + data;
}

// The archive's compact Unicode name: every character written whole (two bytes).
inline std::string RarUnicodeName(const std::u16string& name) {
  std::string out(1, '\0');  // the shared high byte, unused
  for (size_t i = 0; i < name.size(); i += 4) {
    uint8_t flags = 0;
    for (size_t j = 0; j < 4; ++j) flags = static_cast<uint8_t>(flags << 2 | (i + j < name.size() ? 2 : 0));
    out += static_cast<char>(flags);
    for (size_t j = i; j < name.size() && j < i + 4; ++j) Put16(out, name[j]);
  }
  return out;
}

inline std::string Rar4Bytes(const std::vector<RarEntry>& entries) {
  std::string out("Rar!\x1a\x07\x00", 7);
  out += RarBlock(0x73, 0, std::string(6, '\0'));
  for (const RarEntry& e : entries) {
    uint16_t flags = static_cast<uint16_t>(0x8000 | e.extra_flags | (e.folder ? 0xE0 : 0));
    std::string name = e.name;
    if (!e.unicode.empty()) {
      flags |= 0x0200;
      name += '\0' + RarUnicodeName(e.unicode);
    }
    std::string body;
    Put32(body, static_cast<uint32_t>(e.data.size()));
    Put32(body, static_cast<uint32_t>(e.data.size()));
    body += static_cast<char>(e.host);
    Put32(body, Crc32(e.data));
    Put32(body, 0x5A210000);
    body += static_cast<char>(20);
    body += static_cast<char>(0x30);  // stored
    Put16(body, static_cast<uint32_t>(name.size()));
    Put32(body, e.attributes);
    body += name;
    out += RarBlock(0x74, flags, body, e.data);
  }
  out += RarBlock(0x7b, 0x4000, {});
  return out;
}

}  // namespace qe_test
