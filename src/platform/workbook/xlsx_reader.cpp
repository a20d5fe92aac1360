// Reading the worksheets of an Office Open XML workbook.
#include <charconv>
#include <unordered_map>

#include "platform/vb/datetime.h"
#include "platform/workbook/package_parts.h"
#include "platform/workbook/workbook_internal.h"

namespace workbook::detail {
namespace {

std::optional<double> ParseNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

uint32_t ParseIndex(std::string_view text) {
  uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : UINT32_MAX;
}

// The text of a string item (<si> or <is>): its own <t>, or its runs' <t>;
// phonetic runs are not part of it.
vb::String ItemText(const pugi::xml_node& item) {
  std::string utf8;
  for (pugi::xml_node child : item.children()) {
    if (child.type() != pugi::node_element) continue;
    if (LocalName(child) == "t") utf8 += child.child_value();
    else if (LocalName(child) == "r") utf8 += Child(child, "t").child_value();
  }
  return UnescapeText(utf8);
}

vb::Variant ErrorValue(std::string_view text) {
  // CVErr of the application's error numbers.
  static constexpr std::pair<std::string_view, int32_t> kErrors[] = {
      {"#NULL!", 2000}, {"#DIV/0!", 2007}, {"#VALUE!", 2015}, {"#REF!", 2023},
      {"#NAME?", 2029}, {"#NUM!", 2036},   {"#N/A", 2042}};
  int32_t number = 2015;
  for (const auto& [name, n] : kErrors)
    if (text == name) number = n;
  return vb::Variant(vb::ErrorCode{static_cast<int32_t>(0x800A0000u | static_cast<uint32_t>(number))});
}

// "2024-01-05T08:30:00" (a cell of type d).
std::optional<vb::Date> ParseIsoDate(std::string_view text) {
  vb::DateParts parts;
  int fields[6] = {0, 1, 1, 0, 0, 0};
  size_t i = 0;
  for (int f = 0; f < 6 && i < text.size(); ++f) {
    size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (start == i) return std::nullopt;
    std::from_chars(text.data() + start, text.data() + i, fields[f]);
    if (i < text.size()) {
      if (text[i] == '.' || text[i] == 'Z' || text[i] == '+') break;
      ++i;  // '-', 'T', ':'
    }
  }
  parts = {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
  if (parts.month < 1 || parts.month > 12 || parts.day < 1 || parts.day > vb::DaysInMonth(parts.year, parts.month) ||
      parts.hour > 23 || parts.minute > 59 || parts.second > 59)
    return std::nullopt;
  try {
    return vb::DateFromParts(parts);
  } catch (const vb::Error&) {
    return std::nullopt;
  }
}

struct Styles {
  std::vector<NumberKind> kinds;  // by cell format (xf) index
  NumberKind KindOf(uint32_t xf) const { return xf < kinds.size() ? kinds[xf] : NumberKind::kNumber; }
};

Styles ReadStyles(PackageReader& package, const std::string& part) {
  Styles styles;
  std::optional<std::string> text = package.Read(part);
  if (!text) return styles;
  pugi::xml_document doc;
  LoadXml(doc, *text);
  pugi::xml_node root = doc.document_element();
  std::unordered_map<uint32_t, NumberKind> custom;
  for (pugi::xml_node f : Child(root, "numFmts").children())
    if (f.type() == pugi::node_element)
      custom[ParseIndex(f.attribute("numFmtId").value())] = KindOfFormatCode(f.attribute("formatCode").value());
  for (pugi::xml_node xf : Child(root, "cellXfs").children()) {
    if (xf.type() != pugi::node_element) continue;
    uint32_t id = ParseIndex(xf.attribute("numFmtId").value());
    auto it = custom.find(id);
    styles.kinds.push_back(it != custom.end() ? it->second : KindOfBuiltInFormat(id));
  }
  return styles;
}

std::vector<vb::String> ReadSharedStrings(PackageReader& package, const std::string& part) {
  std::vector<vb::String> strings;
  std::optional<std::string> text = package.Read(part);
  if (!text) return strings;
  pugi::xml_document doc;
  LoadXml(doc, *text);
  for (pugi::xml_node si : doc.document_element().children())
    if (si.type() == pugi::node_element && LocalName(si) == "si") strings.push_back(ItemText(si));
  return strings;
}

struct SheetContext {
  const std::vector<vb::String>& strings;
  const Styles& styles;
  bool date1904;
};

vb::Variant CellValue(const pugi::xml_node& c, const SheetContext& context) {
  std::string_view type = c.attribute("t").value();
  pugi::xml_node v = Child(c, "v");
  std::string_view raw = v.child_value();
  if (type == "inlineStr") return vb::Variant(ItemText(Child(c, "is")));
  if (!v) return vb::Variant();
  if (type == "s") {
    uint32_t index = ParseIndex(raw);
    return index < context.strings.size() ? vb::Variant(context.strings[index]) : vb::Variant();
  }
  if (type == "str") return vb::Variant(UnescapeText(raw));
  if (type == "b") return vb::Variant(raw != "0" && raw != "false");
  if (type == "e") return ErrorValue(raw);
  if (type == "d") {
    std::optional<vb::Date> date = ParseIsoDate(raw);
    return date ? vb::Variant(*date) : vb::Variant(UnescapeText(raw));
  }
  std::optional<double> number = ParseNumber(raw);
  if (!number) return vb::Variant();
  return NumberCell(*number, context.styles.KindOf(ParseIndex(c.attribute("s").value())), context.date1904);
}

Worksheet ReadSheet(const pugi::xml_document& doc, vb::String name, const SheetContext& context) {
  Worksheet sheet;
  sheet.name = std::move(name);
  uint32_t row_number = 0;
  for (pugi::xml_node r : Child(doc.document_element(), "sheetData").children()) {
    if (r.type() != pugi::node_element || LocalName(r) != "row") continue;
    std::optional<CellRef> given;
    if (pugi::xml_attribute at = r.attribute("r")) given = ParseCellRef(at.value());
    row_number = given && given->row ? given->row : row_number + 1;
    if (row_number > kMaxRows) continue;
    Row row{row_number, {}};
    uint32_t column = 0;
    for (pugi::xml_node c : r.children()) {
      if (c.type() != pugi::node_element || LocalName(c) != "c") continue;
      std::optional<CellRef> ref;
      if (pugi::xml_attribute at = c.attribute("r")) ref = ParseCellRef(at.value());
      column = ref && ref->column ? ref->column : column + 1;
      if (column > kMaxColumns) continue;
      vb::Variant value = CellValue(c, context);
      if (!value.IsEmpty()) row.cells.push_back(Cell{column, std::move(value)});
    }
    if (!row.cells.empty()) sheet.rows.push_back(std::move(row));
  }
  return sheet;
}

}  // namespace

std::vector<Worksheet> ReadXlsx(const std::filesystem::path& file, const ReadLimits& limits) {
  PackageReader package(file, limits);
  std::string workbook_part = "xl/workbook.xml";
  if (std::optional<std::string> text = package.Read("_rels/.rels")) {
    pugi::xml_document rels;
    LoadXml(rels, *text);
    for (const Relationship& r : ReadRelationships(rels, ""))
      if (r.type == "officeDocument") workbook_part = r.target;
  }
  std::optional<std::string> workbook_text = package.Read(workbook_part);
  if (!workbook_text) RaiseUnreadable("no workbook part");
  pugi::xml_document workbook;
  LoadXml(workbook, *workbook_text);
  pugi::xml_node root = workbook.document_element();
  std::string_view date1904 = Child(root, "workbookPr").attribute("date1904").value();

  std::vector<Relationship> rels;
  if (std::optional<std::string> text = package.Read(RelationshipsPart(workbook_part))) {
    pugi::xml_document doc;
    LoadXml(doc, *text);
    rels = ReadRelationships(doc, workbook_part);
  }
  Styles styles;
  std::vector<vb::String> strings;
  for (const Relationship& r : rels) {
    if (r.type == "styles") styles = ReadStyles(package, r.target);
    else if (r.type == "sharedStrings") strings = ReadSharedStrings(package, r.target);
  }
  SheetContext context{strings, styles, date1904 == "1" || date1904 == "true"};

  std::vector<Worksheet> sheets;
  for (pugi::xml_node s : Child(root, "sheets").children()) {
    if (s.type() != pugi::node_element || LocalName(s) != "sheet") continue;
    std::string_view id = Attribute(s, "id").value();
    const Relationship* rel = nullptr;
    for (const Relationship& r : rels)
      if (r.id == id) rel = &r;
    if (!rel || rel->type != "worksheet") continue;  // chart and dialog sheets hold no cells
    std::optional<std::string> text = package.Read(rel->target);
    if (!text) RaiseUnreadable("a worksheet part is missing");
    pugi::xml_document doc;
    LoadXml(doc, *text);
    text.reset();
    sheets.push_back(ReadSheet(doc, vb::FromUtf8(s.attribute("name").value()), context));
  }
  return sheets;
}

}  // namespace workbook::detail
