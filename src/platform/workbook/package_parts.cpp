#include "platform/workbook/package_parts.h"

#include <algorithm>

namespace workbook::detail {
namespace {

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'A' && x <= 'Z' ? x | 0x20 : x) == (y >= 'A' && y <= 'Z' ? y | 0x20 : y);
         });
}

}  // namespace

PackageReader::PackageReader(const std::filesystem::path& file, const ReadLimits& limits) : limits_(limits) {
  int code = 0;
  archive_.reset(zip_open(file.c_str(), ZIP_RDONLY, &code));
  if (!archive_) RaiseUnreadable("not a zip package");
  zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
  if (count < 0 || count > 100000) RaiseUnreadable("too many parts");
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(archive_.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    names_.push_back(name ? name : "");
  }
}

std::optional<std::string> PackageReader::Find(std::string_view name) const {
  if (name.starts_with('/')) name.remove_prefix(1);
  for (const std::string& n : names_)
    if (n == name) return n;
  for (const std::string& n : names_)
    if (EqualsAsciiNoCase(n, name)) return n;
  return std::nullopt;
}

std::optional<std::string> PackageReader::Read(std::string_view name) {
  std::optional<std::string> stored = Find(name);
  if (!stored) return std::nullopt;
  zip_int64_t index = zip_name_locate(archive_.get(), stored->c_str(), ZIP_FL_ENC_RAW);
  if (index < 0) return std::nullopt;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(archive_.get(), static_cast<zip_uint64_t>(index), 0, &st) != 0) RaiseUnreadable("a damaged part");
  if ((st.valid & ZIP_STAT_SIZE) && st.size > limits_.max_part_bytes) RaiseUnreadable("a part is too large");
  std::unique_ptr<zip_file_t, decltype(&zip_fclose)> part(
      zip_fopen_index(archive_.get(), static_cast<zip_uint64_t>(index), 0), &zip_fclose);
  if (!part) RaiseUnreadable("a part cannot be opened");
  // The stored size is not trusted: reading stops at the limit.
  std::string bytes;
  char buffer[65536];
  for (;;) {
    zip_int64_t n = zip_fread(part.get(), buffer, sizeof buffer);
    if (n < 0) RaiseUnreadable("a damaged part");
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    total_ += static_cast<uint64_t>(n);
    if (bytes.size() > limits_.max_part_bytes || total_ > limits_.max_total_bytes)
      RaiseUnreadable("the unpacked parts are too large");
  }
  return bytes;
}

void LoadXml(pugi::xml_document& doc, const std::string& text) {
  pugi::xml_parse_result result =
      doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_doctype | pugi::parse_declaration);
  if (!result) RaiseUnreadable(std::string("malformed XML: ") + result.description());
  for (pugi::xml_node node : doc.children())
    if (node.type() == pugi::node_doctype) RaiseUnreadable("a document type declaration");
}

std::string_view LocalName(const pugi::xml_node& node) {
  std::string_view name = node.name();
  size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& node, std::string_view local_name) {
  for (pugi::xml_node child : node.children())
    if (child.type() == pugi::node_element && LocalName(child) == local_name) return child;
  return {};
}

pugi::xml_attribute Attribute(const pugi::xml_node& node, std::string_view local_name) {
  for (pugi::xml_attribute a : node.attributes()) {
    std::string_view name = a.name();
    size_t colon = name.find(':');
    if (name.starts_with("xmlns")) continue;
    if ((colon == std::string_view::npos ? name : name.substr(colon + 1)) == local_name) return a;
  }
  return {};
}

std::string ResolveTarget(std::string_view source_part, std::string_view target) {
  std::vector<std::string> segments;
  std::string_view path = target;
  if (path.starts_with('/')) {
    path.remove_prefix(1);
  } else {
    size_t slash = source_part.rfind('/');
    std::string_view folder = slash == std::string_view::npos ? std::string_view() : source_part.substr(0, slash);
    path = target;
    size_t start = 0;
    while (start < folder.size()) {
      size_t end = folder.find('/', start);
      if (end == std::string_view::npos) end = folder.size();
      segments.emplace_back(folder.substr(start, end - start));
      start = end + 1;
    }
  }
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view segment = path.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.emplace_back(segment);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& s : segments) out += (out.empty() ? "" : "/") + s;
  return out;
}

std::string RelationshipsPart(std::string_view part) {
  size_t slash = part.rfind('/');
  std::string_view folder = slash == std::string_view::npos ? std::string_view() : part.substr(0, slash + 1);
  std::string_view name = slash == std::string_view::npos ? part : part.substr(slash + 1);
  return std::string(folder) + "_rels/" + std::string(name) + ".rels";
}

std::vector<Relationship> ReadRelationships(const pugi::xml_document& rels, std::string_view source_part) {
  std::vector<Relationship> out;
  pugi::xml_node root = rels.document_element();
  for (pugi::xml_node r : root.children()) {
    if (r.type() != pugi::node_element || LocalName(r) != "Relationship") continue;
    std::string_view type = r.attribute("Type").value();
    size_t slash = type.rfind('/');
    Relationship rel;
    rel.id = r.attribute("Id").value();
    rel.type = std::string(slash == std::string_view::npos ? type : type.substr(slash + 1));
    if (std::string_view(r.attribute("TargetMode").value()) == "External") continue;
    rel.target = ResolveTarget(source_part, r.attribute("Target").value());
    out.push_back(std::move(rel));
  }
  return out;
}

}  // namespace workbook::detail
