#include "platform/sys/version_info.h"

#include <vector>

#include "platform/fs/file.h"
#include "platform/vb/case_fold.h"
#include "platform/vb/error.h"

namespace sys {

namespace {

constexpr uint16_t kResourceTypeVersion = 16;
constexpr int kMaxDepth = 8;

class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  bool Has(size_t offset, size_t size) const { return offset <= data_.size() && size <= data_.size() - offset; }
  uint16_t U16(size_t offset) const {
    if (!Has(offset, 2)) return 0;
    return static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
  }
  uint32_t U32(size_t offset) const {
    if (!Has(offset, 4)) return 0;
    return static_cast<uint32_t>(U16(offset)) | static_cast<uint32_t>(U16(offset + 2)) << 16;
  }
  std::string_view Slice(size_t offset, size_t size) const {
    if (!Has(offset, size)) return {};
    return data_.substr(offset, size);
  }
  size_t Size() const { return data_.size(); }

 private:
  unsigned Byte(size_t offset) const { return static_cast<unsigned char>(data_[offset]); }
  std::string_view data_;
};

struct Section {
  uint32_t address, size, file_offset;
};

// A resource directory entry's target: the id and where it points (a
// sub-directory when `directory`), relative to the resource section.
struct Entry {
  uint32_t id;
  bool named;
  bool directory;
  uint32_t offset;
};

std::vector<Entry> EntriesOf(const Bytes& image, size_t directory) {
  std::vector<Entry> entries;
  size_t count = static_cast<size_t>(image.U16(directory + 12)) + image.U16(directory + 14);
  for (size_t i = 0; i < count && i < 4096; ++i) {
    size_t at = directory + 16 + 8 * i;
    if (!image.Has(at, 8)) break;
    uint32_t name = image.U32(at), target = image.U32(at + 4);
    entries.push_back({name & 0x7FFFFFFF, (name & 0x80000000) != 0, (target & 0x80000000) != 0, target & 0x7FFFFFFF});
  }
  return entries;
}

std::optional<uint32_t> FileOffset(const std::vector<Section>& sections, uint32_t address) {
  for (const Section& s : sections) {
    if (address >= s.address && address - s.address < s.size) return s.file_offset + (address - s.address);
  }
  return std::nullopt;
}

size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

// One node of the version block: its key, its value and where its children lie.
struct Node {
  std::u16string key;
  std::string_view value;
  size_t children_begin = 0, end = 0;
};

std::optional<Node> NodeAt(const Bytes& block, size_t offset, size_t limit) {
  uint16_t length = block.U16(offset);
  if (length < 6 || offset + length > limit) return std::nullopt;
  Node node;
  node.end = offset + length;
  uint16_t value_length = block.U16(offset + 2);
  bool text = block.U16(offset + 4) == 1;
  size_t at = offset + 6;
  for (; at + 1 < node.end; at += 2) {
    char16_t c = block.U16(at);
    if (c == 0) break;
    node.key += c;
  }
  at = Align4(at + 2);
  size_t value_size = std::min<size_t>(text ? size_t{value_length} * 2 : value_length, node.end > at ? node.end - at : 0);
  node.value = block.Slice(at, value_size);
  if (text) {
    for (size_t i = 0; i + 1 < node.value.size(); i += 2) {
      if (block.U16(at + i) == 0) {
        node.value = node.value.substr(0, i);
        break;
      }
    }
  }
  node.children_begin = Align4(at + value_size);
  return node;
}

bool SameKey(std::u16string_view a, vb::StringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (vb::UpperChar(a[i]) != vb::UpperChar(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string_view> FindVersionResource(std::string_view data) {
  Bytes image(data);
  if (image.U16(0) != 0x5A4D) return std::nullopt;  // "MZ"
  size_t pe = image.U32(0x3C);
  if (image.U32(pe) != 0x00004550) return std::nullopt;  // "PE\0\0"
  size_t sections_count = image.U16(pe + 6);
  size_t optional_size = image.U16(pe + 20);
  size_t optional = pe + 24;
  uint16_t magic = image.U16(optional);
  size_t directories = optional + (magic == 0x20B ? 112 : magic == 0x10B ? 96 : 0);
  if (directories == optional) return std::nullopt;
  uint32_t directory_count = image.U32(optional + (magic == 0x20B ? 108 : 92));
  if (directory_count < 3) return std::nullopt;
  uint32_t resource_address = image.U32(directories + 2 * 8);

  std::vector<Section> sections;
  size_t table = optional + optional_size;
  for (size_t i = 0; i < sections_count && i < 96; ++i) {
    size_t at = table + 40 * i;
    if (!image.Has(at, 40)) break;
    uint32_t virtual_size = image.U32(at + 8), raw_size = image.U32(at + 16);
    sections.push_back({image.U32(at + 12), std::max(virtual_size, raw_size), image.U32(at + 20)});
  }
  std::optional<uint32_t> root = FileOffset(sections, resource_address);
  if (!resource_address || !root) return std::nullopt;

  // Type 16 (version), then the first name, then the first language.
  size_t directory = *root;
  std::optional<Entry> chosen;
  for (const Entry& e : EntriesOf(image, directory)) {
    if (!e.named && e.id == kResourceTypeVersion && e.directory) chosen = e;
  }
  for (int level = 0; level < 2 && chosen && chosen->directory; ++level) {
    std::vector<Entry> entries = EntriesOf(image, *root + chosen->offset);
    chosen = entries.empty() ? std::nullopt : std::optional<Entry>(entries.front());
  }
  if (!chosen || chosen->directory) return std::nullopt;
  size_t data_entry = *root + chosen->offset;
  std::optional<uint32_t> at = FileOffset(sections, image.U32(data_entry));
  uint32_t size = image.U32(data_entry + 4);
  if (!at || size == 0 || !image.Has(*at, size)) return std::nullopt;
  return image.Slice(*at, size);
}

vb::String TextOfValue(std::string_view value) {
  Bytes bytes(value);
  vb::String text;
  for (size_t at = 0; at + 1 < value.size(); at += 2) text += static_cast<char16_t>(bytes.U16(at));
  return text;
}

uint32_t GetFileVersionInfoSize(vb::StringView path) {
  std::string block;
  return GetFileVersionInfo(path, block) ? static_cast<uint32_t>(block.size()) : 0;
}

bool GetFileVersionInfo(vb::StringView path, std::string& block) {
  block.clear();
  std::string image;
  try {
    image = fs::ReadAllBytes(path);
  } catch (const vb::Error&) {
    return false;
  }
  std::optional<std::string_view> found = FindVersionResource(image);
  if (!found) return false;
  block.assign(*found);
  return true;
}

std::optional<std::string_view> VerQueryValue(std::string_view data, vb::StringView sub_block) {
  Bytes block(data);
  std::optional<Node> node = NodeAt(block, 0, block.Size());
  size_t start = 0;
  for (int depth = 0; node && depth < kMaxDepth; ++depth) {
    while (start < sub_block.size() && sub_block[start] == u'\\') ++start;
    if (start >= sub_block.size()) return node->value;
    size_t end = sub_block.find(u'\\', start);
    vb::StringView key = sub_block.substr(start, end == vb::StringView::npos ? vb::StringView::npos : end - start);
    start = end == vb::StringView::npos ? sub_block.size() : end;
    std::optional<Node> match;
    for (size_t at = node->children_begin; at < node->end && !match;) {
      std::optional<Node> child = NodeAt(block, at, node->end);
      if (!child) break;
      if (SameKey(child->key, key)) match = child;
      at = Align4(child->end);
    }
    node = match;
  }
  return std::nullopt;
}

}  // namespace sys
