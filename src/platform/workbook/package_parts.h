#pragma once
// The parts of an Office Open XML package (a zip file), read within limits,
// and the XML in them.
#include <zip.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "platform/workbook/workbook.h"

namespace workbook::detail {

class PackageReader {
 public:
  // Raises the unreadable-workbook error when the file is no zip archive.
  PackageReader(const std::filesystem::path& file, const ReadLimits& limits);

  // The stored name of a part (exact, else without regard to ASCII case);
  // nullopt when there is none.
  std::optional<std::string> Find(std::string_view name) const;
  // The part's bytes; nullopt when there is none. Raises when the part is
  // damaged or would pass the limits.
  std::optional<std::string> Read(std::string_view name);
  const std::vector<std::string>& Names() const { return names_; }

 private:
  struct Closer {
    void operator()(zip_t* z) const { zip_discard(z); }
  };
  std::unique_ptr<zip_t, Closer> archive_;
  std::vector<std::string> names_;
  ReadLimits limits_;
  uint64_t total_ = 0;
};

// The XML of a part, whitespace in text kept. Raises for malformed XML and
// for a document type declaration (no DTD, no entities of its own).
void LoadXml(pugi::xml_document& doc, const std::string& text);

// An element's name without its namespace prefix.
std::string_view LocalName(const pugi::xml_node& node);
pugi::xml_node Child(const pugi::xml_node& node, std::string_view local_name);
// An attribute by its name without prefix ("id" finds "r:id").
pugi::xml_attribute Attribute(const pugi::xml_node& node, std::string_view local_name);

// The part a relationship's target names, from the part that holds the
// relationship ("xl/workbook.xml" + "worksheets/sheet1.xml").
std::string ResolveTarget(std::string_view source_part, std::string_view target);
// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels".
std::string RelationshipsPart(std::string_view part);

struct Relationship {
  std::string id;
  std::string type;    // the type's last segment ("worksheet", "styles")
  std::string target;  // the part it names, resolved
};
std::vector<Relationship> ReadRelationships(const pugi::xml_document& rels, std::string_view source_part);

}  // namespace workbook::detail
