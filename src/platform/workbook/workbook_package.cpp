#include "platform/workbook/workbook_package.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
#include <set>

#include "platform/vb/convert.h"
#include "platform/workbook/package_parts.h"
#include "platform/workbook/workbook_internal.h"

namespace workbook {
namespace {

using detail::Attribute;
using detail::Child;
using detail::LocalName;

constexpr uint32_t kSheetRows = 1048576;
constexpr uint32_t kSheetColumns = 16384;
constexpr size_t kMaxSheetName = 31;

constexpr char kMainNs[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kRelNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr char kRelTypeBase[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr char kWorksheetType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr char kStylesType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

constexpr char kNewContentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(</Types>)";
constexpr char kNewPackageRels[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";
constexpr char kNewWorkbook[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)";
constexpr char kNewWorkbookRels[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(</Relationships>)";
constexpr char kNewStyles[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<fonts count="1"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
    R"(</styleSheet>)";

std::string SheetXml(std::string_view dimension, std::string_view rows) {
  std::string xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";
  xml += R"(<worksheet xmlns=")";
  xml += kMainNs;
  xml += R"(" xmlns:r=")";
  xml += kRelNs;
  xml += R"("><dimension ref=")";
  xml += dimension;
  xml += R"("/><sheetData>)";
  xml += rows;
  xml += "</sheetData></worksheet>";
  return xml;
}

[[noreturn]] void RaiseRefused(std::u16string_view why) { throw vb::Error(1004, vb::String(why)); }

std::string Serialize(const pugi::xml_document& doc) {
  struct Writer : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
  } writer;
  bool declared = false;
  for (pugi::xml_node n : doc.children()) declared |= n.type() == pugi::node_declaration;
  doc.save(writer, "", pugi::format_raw | (declared ? pugi::format_no_declaration : pugi::format_default),
           pugi::encoding_utf8);
  return writer.out;
}

// The prefix (with its colon) bound to a namespace on the element, or
// nullopt; "" for the default namespace.
std::optional<std::string> PrefixOf(const pugi::xml_node& element, std::string_view ns) {
  for (pugi::xml_attribute a : element.attributes()) {
    std::string_view name = a.name();
    if (std::string_view(a.value()) != ns) continue;
    if (name == "xmlns") return std::string();
    if (name.starts_with("xmlns:")) return std::string(name.substr(6)) + ":";
  }
  return std::nullopt;
}

std::string PrefixOfName(const pugi::xml_node& element) {
  std::string_view name = element.name();
  size_t colon = name.find(':');
  return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

void AppendNumber(std::string& out, double value) {
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, error == std::errc() ? end : buffer);
}

// A text cell, written inline.
void AppendText(std::string& xml, const std::string& ref, const vb::String& text) {
  bool preserve = !text.empty() && (text.front() == u' ' || text.back() == u' ' || text.front() == u'\t' ||
                                    text.back() == u'\t' || text.find(u'\n') != vb::String::npos);
  xml += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t" + (preserve ? " xml:space=\"preserve\"" : "") + ">";
  detail::AppendEscapedText(xml, text);
  xml += "</t></is></c>";
}

}  // namespace

struct WorkbookPackage::Parts {
  std::unique_ptr<detail::PackageReader> source;  // null for a new workbook
  std::filesystem::path source_file;
  std::set<std::string> names;                     // every part, stored and written
  std::map<std::string, std::string> written;      // parts to write, by name

  std::string workbook_part;
  pugi::xml_document workbook, rels, content_types, styles;
  bool workbook_dirty = false, rels_dirty = false, content_types_dirty = false, styles_dirty = false;
  std::string styles_part;  // empty until read or made
  std::map<uint32_t, uint32_t> number_styles;  // cell format by built-in number format

  struct Sheet {
    vb::String name;
    std::string rel_id;
    std::string part;
    bool worksheet = false;
  };
  std::vector<Sheet> sheets;

  std::string Read(const std::string& part) {
    if (auto it = written.find(part); it != written.end()) return it->second;
    std::optional<std::string> text = source ? source->Read(part) : std::nullopt;
    if (!text) RaiseUnreadable("missing part " + part);
    return *text;
  }
  void Load(pugi::xml_document& doc, const std::string& part) { detail::LoadXml(doc, Read(part)); }
  std::string Stored(const std::string& part) const {
    std::optional<std::string> found = source ? source->Find(part) : std::nullopt;
    return found ? *found : part;
  }

  std::string FreePart(std::string_view folder, std::string_view stem) const {
    for (int n = 1;; ++n) {
      std::string name = std::string(folder) + std::string(stem) + std::to_string(n) + ".xml";
      bool taken = false;
      for (const std::string& existing : names) taken |= detail::ResolveTarget("", existing) == name;
      if (!taken && !(source && source->Find(name))) return name;
    }
  }
  std::string FreeRelId() const {
    std::set<std::string> taken;
    for (pugi::xml_node r : rels.document_element().children()) taken.insert(r.attribute("Id").value());
    for (int n = 1;; ++n)
      if (!taken.count("rId" + std::to_string(n))) return "rId" + std::to_string(n);
  }
  std::string Folder() const {
    size_t slash = workbook_part.rfind('/');
    return slash == std::string::npos ? std::string() : workbook_part.substr(0, slash + 1);
  }
  // A relationship from the workbook and the content type of its new part.
  std::string Relate(std::string_view type, const std::string& part, std::string_view content_type) {
    std::string id = FreeRelId();
    pugi::xml_node root = rels.document_element();
    pugi::xml_node r = root.append_child((PrefixOfName(root) + "Relationship").c_str());
    r.append_attribute("Id") = id.c_str();
    r.append_attribute("Type") = (std::string(kRelTypeBase) + std::string(type)).c_str();
    std::string target = part.substr(Folder().size());
    r.append_attribute("Target") = target.c_str();
    rels_dirty = true;
    pugi::xml_node types = content_types.document_element();
    pugi::xml_node o = types.append_child((PrefixOfName(types) + "Override").c_str());
    o.append_attribute("PartName") = ("/" + part).c_str();
    o.append_attribute("ContentType") = std::string(content_type).c_str();
    content_types_dirty = true;
    names.insert(part);
    return id;
  }
};

WorkbookPackage::WorkbookPackage() : parts_(std::make_unique<Parts>()) {}
WorkbookPackage::~WorkbookPackage() = default;

std::unique_ptr<WorkbookPackage> WorkbookPackage::New() {
  std::unique_ptr<WorkbookPackage> package(new WorkbookPackage());
  Parts& p = *package->parts_;
  p.workbook_part = "xl/workbook.xml";
  p.written = {{"[Content_Types].xml", kNewContentTypes},
               {"_rels/.rels", kNewPackageRels},
               {"xl/workbook.xml", kNewWorkbook},
               {"xl/_rels/workbook.xml.rels", kNewWorkbookRels},
               {"xl/worksheets/sheet1.xml", SheetXml("A1", "")},
               {"xl/styles.xml", kNewStyles}};
  for (const auto& [name, text] : p.written) p.names.insert(name);
  p.Load(p.workbook, p.workbook_part);
  p.Load(p.rels, "xl/_rels/workbook.xml.rels");
  p.Load(p.content_types, "[Content_Types].xml");
  p.styles_part = "xl/styles.xml";
  p.sheets.push_back({u"Sheet1", "rId1", "xl/worksheets/sheet1.xml", true});
  return package;
}

std::unique_ptr<WorkbookPackage> WorkbookPackage::Open(const std::filesystem::path& file, const ReadLimits& limits) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) vb::Raise(vb::kFileNotFound);
  if (FormatOf(file) != Format::kXlsx) RaiseUnreadable("not an .xlsx workbook");
  std::unique_ptr<WorkbookPackage> package(new WorkbookPackage());
  Parts& p = *package->parts_;
  p.source = std::make_unique<detail::PackageReader>(file, limits);
  p.source_file = file;
  for (const std::string& name : p.source->Names()) p.names.insert(name);
  p.workbook_part = "xl/workbook.xml";
  if (std::optional<std::string> text = p.source->Read("_rels/.rels")) {
    pugi::xml_document rels;
    detail::LoadXml(rels, *text);
    for (const detail::Relationship& r : detail::ReadRelationships(rels, ""))
      if (r.type == "officeDocument") p.workbook_part = r.target;
  }
  p.workbook_part = p.Stored(p.workbook_part);
  p.Load(p.workbook, p.workbook_part);
  p.Load(p.rels, p.Stored(detail::RelationshipsPart(p.workbook_part)));
  p.Load(p.content_types, p.Stored("[Content_Types].xml"));
  std::vector<detail::Relationship> rels = detail::ReadRelationships(p.rels, p.workbook_part);
  for (const detail::Relationship& r : rels)
    if (r.type == "styles") p.styles_part = p.Stored(r.target);
  for (pugi::xml_node s : Child(p.workbook.document_element(), "sheets").children()) {
    if (s.type() != pugi::node_element || LocalName(s) != "sheet") continue;
    Parts::Sheet sheet{vb::FromUtf8(s.attribute("name").value()), Attribute(s, "id").value(), "", false};
    for (const detail::Relationship& r : rels)
      if (r.id == sheet.rel_id) {
        sheet.part = p.Stored(r.target);
        sheet.worksheet = r.type == "worksheet";
      }
    p.sheets.push_back(std::move(sheet));
  }
  return package;
}

std::vector<vb::String> WorkbookPackage::SheetNames() const {
  std::vector<vb::String> names;
  for (const auto& s : parts_->sheets) names.push_back(s.name);
  return names;
}

void detail::CheckNewSheetName(vb::StringView name, bool taken) {
  if (name.empty() || name.size() > kMaxSheetName || name.find_first_of(u"\\/?*[]:") != vb::StringView::npos ||
      name.front() == u'\'' || name.back() == u'\'')
    RaiseRefused(u"The application does not allow this name for a sheet.");
  if (taken) RaiseRefused(u"That name is already taken. Try a different one.");
}

std::optional<size_t> WorkbookPackage::FindSheet(vb::StringView name) const {
  for (size_t i = 0; i < parts_->sheets.size(); ++i)
    if (vb::EqualsNoCase(parts_->sheets[i].name, name)) return i;
  return std::nullopt;
}

void WorkbookPackage::ReplaceRows(size_t index, SheetRows rows) {
  Parts& p = *parts_;
  if (index >= p.sheets.size() || !p.sheets[index].worksheet || p.sheets[index].part.empty())
    RaiseRefused(u"The sheet is no worksheet.");
  const std::string& part = p.sheets[index].part;
  pugi::xml_document doc;
  p.Load(doc, part);
  pugi::xml_node root = doc.document_element();
  std::string prefix = PrefixOfName(root);
  pugi::xml_node data = Child(root, "sheetData");
  if (!data) {
    // Where the schema puts it: after the sheet's properties, views, formats and columns.
    pugi::xml_node after;
    for (pugi::xml_node c : root.children())
      if (c.type() == pugi::node_element) {
        std::string_view n = LocalName(c);
        if (n == "sheetPr" || n == "dimension" || n == "sheetViews" || n == "sheetFormatPr" || n == "cols") after = c;
      }
    data = after ? root.insert_child_after((prefix + "sheetData").c_str(), after)
                 : root.prepend_child((prefix + "sheetData").c_str());
  }
  while (data.first_child()) data.remove_child(data.first_child());
  if (pugi::xml_node merged = Child(root, "mergeCells")) root.remove_child(merged);
  if (pugi::xml_node dimension = Child(root, "dimension")) {
    std::string ref = rows.rows_ ? "A1:" + detail::ColumnName(std::max(rows.columns_, 1u)) + std::to_string(rows.rows_)
                                 : "A1";
    dimension.attribute("ref").set_value(ref.c_str());
  }
  // The rows go in as text where a marker of this call stands.
  static thread_local std::mt19937_64 random{std::random_device{}()};
  std::string marker = "qe-rows-" + std::to_string(random());
  data.append_child(pugi::node_comment).set_value(marker.c_str());
  std::string xml = Serialize(doc);
  std::string comment = "<!--" + marker + "-->";
  size_t at = xml.find(comment);
  if (at == std::string::npos) RaiseRefused(u"The worksheet cannot be written.");
  xml.replace(at, comment.size(), rows.xml_);
  p.written[part] = std::move(xml);
}

void WorkbookPackage::AddWorksheet(vb::StringView name, SheetRows rows) {
  Parts& p = *parts_;
  detail::CheckNewSheetName(name, FindSheet(name).has_value());
  std::string part = p.FreePart(p.Folder() + "worksheets/", "sheet");
  std::string id = p.Relate("worksheet", part, kWorksheetType);
  pugi::xml_node root = p.workbook.document_element();
  pugi::xml_node sheets = Child(root, "sheets");
  if (!sheets) sheets = root.append_child((PrefixOfName(root) + "sheets").c_str());
  uint32_t sheet_id = 0;
  for (pugi::xml_node s : sheets.children()) sheet_id = std::max(sheet_id, s.attribute("sheetId").as_uint());
  std::optional<std::string> r = PrefixOf(root, kRelNs);
  if (!r || r->empty()) {
    root.append_attribute("xmlns:qer") = kRelNs;
    r = "qer:";
  }
  pugi::xml_node s = sheets.append_child((PrefixOfName(sheets) + "sheet").c_str());
  s.append_attribute("name") = vb::ToUtf8(name).c_str();
  s.append_attribute("sheetId") = sheet_id + 1;
  s.append_attribute((*r + "id").c_str()) = id.c_str();
  p.workbook_dirty = true;
  std::string dimension =
      rows.rows_ ? "A1:" + detail::ColumnName(std::max(rows.columns_, 1u)) + std::to_string(rows.rows_) : "A1";
  p.written[part] = SheetXml(dimension, rows.xml_);
  p.sheets.push_back({vb::String(name), id, part, true});
}

uint32_t WorkbookPackage::NumberStyle(uint32_t format) {
  Parts& p = *parts_;
  if (auto known = p.number_styles.find(format); known != p.number_styles.end()) return known->second;
  if (!p.styles.document_element()) {
    if (p.styles_part.empty()) {
      p.styles_part = p.FreePart(p.Folder(), "styles");
      p.written[p.styles_part] = kNewStyles;
      p.Relate("styles", p.styles_part, kStylesType);
    }
    p.Load(p.styles, p.styles_part);
  }
  pugi::xml_node root = p.styles.document_element();
  std::string prefix = PrefixOfName(root);
  pugi::xml_node xfs = Child(root, "cellXfs");
  if (!xfs) xfs = root.append_child((prefix + "cellXfs").c_str());
  uint32_t count = 0;
  pugi::xml_node first;
  for (pugi::xml_node x : xfs.children())
    if (x.type() == pugi::node_element) {
      if (!first) first = x;
      ++count;
    }
  pugi::xml_node xf = first ? xfs.append_copy(first) : xfs.append_child((prefix + "xf").c_str());
  while (xf.first_child()) xf.remove_child(xf.first_child());
  if (xf.attribute("numFmtId")) xf.attribute("numFmtId").set_value(format);
  else xf.append_attribute("numFmtId") = format;
  if (xf.attribute("applyNumberFormat")) xf.attribute("applyNumberFormat").set_value("1");
  else xf.append_attribute("applyNumberFormat") = "1";
  if (pugi::xml_attribute c = xfs.attribute("count")) c.set_value(count + 1);
  p.styles_dirty = true;
  p.number_styles[format] = count;
  return count;
}

void WorkbookPackage::Save(const std::filesystem::path& file) {
  Parts& p = *parts_;
  if (p.workbook_dirty) p.written[p.workbook_part] = Serialize(p.workbook);
  if (p.rels_dirty) p.written[p.Stored(detail::RelationshipsPart(p.workbook_part))] = Serialize(p.rels);
  if (p.content_types_dirty) p.written[p.Stored("[Content_Types].xml")] = Serialize(p.content_types);
  if (p.styles_dirty) p.written[p.styles_part] = Serialize(p.styles);

  static thread_local std::mt19937_64 random{std::random_device{}()};
  std::filesystem::path temporary =
      file.parent_path() / ("." + file.filename().string() + ".part-" + std::to_string(random()));
  struct Remove {
    std::filesystem::path path;
    ~Remove() {
      std::error_code ignored;
      if (!path.empty()) std::filesystem::remove(path, ignored);
    }
  } cleanup{temporary};
  int flags = ZIP_CREATE | ZIP_EXCL;
  if (p.source) {
    // The stored parts are carried over as they are stored.
    std::filesystem::copy_file(p.source_file, temporary);
    flags = 0;
  }
  int code = 0;
  zip_t* archive = zip_open(temporary.c_str(), flags, &code);
  if (!archive) RaiseRefused(u"The workbook cannot be written.");
  auto fail = [&] {
    zip_discard(archive);
    RaiseRefused(u"The workbook cannot be written.");
  };
  // [Content_Types].xml first, as the application writes it.
  std::vector<const std::pair<const std::string, std::string>*> order;
  for (const auto& entry : p.written) order.push_back(&entry);
  std::stable_partition(order.begin(), order.end(), [](auto* e) { return e->first == "[Content_Types].xml"; });
  for (const auto* entry : order) {
    zip_source_t* source = zip_source_buffer(archive, entry->second.data(), entry->second.size(), 0);
    if (!source) fail();
    zip_int64_t index = zip_name_locate(archive, entry->first.c_str(), ZIP_FL_ENC_RAW);
    bool done = index >= 0 ? zip_file_replace(archive, static_cast<zip_uint64_t>(index), source, ZIP_FL_ENC_UTF_8) == 0
                           : zip_file_add(archive, entry->first.c_str(), source, ZIP_FL_ENC_UTF_8) >= 0;
    if (!done) {
      zip_source_free(source);
      fail();
    }
  }
  if (zip_close(archive) != 0) fail();
  std::filesystem::rename(temporary, file);
  cleanup.path.clear();
}

void SheetRows::AddRow(const std::vector<vb::Variant>& values) {
  if (rows_ >= kSheetRows) RaiseRefused(u"The worksheet has no more rows.");
  if (values.size() > kSheetColumns) RaiseRefused(u"The worksheet has no more columns.");
  std::string row_number = std::to_string(++rows_);
  xml_ += "<row r=\"" + row_number + "\">";
  for (size_t i = 0; i < values.size(); ++i) {
    const vb::Variant& v = values[i];
    std::string ref = detail::ColumnName(static_cast<uint32_t>(i + 1)) + row_number;
    switch (v.Type()) {
      case vb::vbInteger:
      case vb::vbLong:
      case vb::vbSingle:
      case vb::vbDouble:
      case vb::vbByte: {
        double number = *detail::CellNumber(v);
        if (!std::isfinite(number)) {
          xml_ += "<c r=\"" + ref + "\" t=\"e\"><v>#NUM!</v></c>";
          break;
        }
        xml_ += "<c r=\"" + ref + "\"><v>";
        AppendNumber(xml_, number);
        xml_ += "</v></c>";
        break;
      }
      case vb::vbBoolean:
        xml_ += "<c r=\"" + ref + "\" t=\"b\"><v>" + (v.As<vb::Boolean>().value ? "1" : "0") + "</v></c>";
        break;
      case vb::vbCurrency:
        xml_ += "<c r=\"" + ref + "\" s=\"" + std::to_string(package_.NumberStyle(detail::kCurrencyFormat)) + "\"><v>";
        AppendNumber(xml_, vb::CurrencyToDouble(v.As<vb::Currency>()));
        xml_ += "</v></c>";
        break;
      case vb::vbDate: {
        const vb::Date date = v.As<vb::Date>();
        if (!HasDaySerial(date)) {
          AppendText(xml_, ref, vb::CStr(v));
          break;
        }
        // Built-in formats: a date, or a date and time.
        uint32_t style = package_.NumberStyle(date.serial != std::floor(date.serial) ? 22 : 14);
        xml_ += "<c r=\"" + ref + "\" s=\"" + std::to_string(style) + "\"><v>";
        AppendNumber(xml_, detail::SerialOfDate(date));
        xml_ += "</v></c>";
        break;
      }
      case vb::vbString: AppendText(xml_, ref, v.As<vb::String>()); break;
      default: continue;  // Empty, Null, byte arrays, objects: an empty cell
    }
    columns_ = std::max(columns_, static_cast<uint32_t>(i + 1));
  }
  xml_ += "</row>";
}

}  // namespace workbook
