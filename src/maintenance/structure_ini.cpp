#include "maintenance/structure_ini.h"

#include <unordered_set>

#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr char16_t kHeader[] = u"DataInfomation";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsQuote(char16_t c) { return c == u'"' || c == u'\''; }

bool HasAny(vb::StringView text, vb::StringView characters) {
  return text.find_first_of(characters) != vb::StringView::npos;
}

// A name that a list item, a section or a key carries back as it is.
bool IsCarriedName(vb::StringView name, vb::StringView forbidden) {
  return !name.empty() && !IsBlank(name.front()) && !IsBlank(name.back()) && !HasAny(name, forbidden);
}

using NameSet = std::unordered_set<vb::String, vb::NoCaseHash, vb::NoCaseEqual>;

// The value as written after "=": in double quotes when the reader's trimming
// or its removal of enclosing quotes would change it.
vb::String IniValue(const vb::String& value) {
  bool trimmed = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  bool enclosed = value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
  return trimmed || enclosed ? u"\"" + value + u"\"" : value;
}

vb::String Decimal(int32_t n) { return vb::CStr(vb::Variant(n)); }

class IniWriter {
 public:
  void Line(vb::StringView text = {}) {
    if (HasAny(text, u"\r\n")) carried_ = false;
    text_ += text;
    text_ += u"\r\n";
  }
  void Pair(vb::StringView key, const vb::String& value) { Line(vb::String(key) + u"=" + IniValue(value)); }
  void Refuse() { carried_ = false; }

  std::optional<std::string> Bytes() const {
    if (!carried_) return std::nullopt;
    std::string bytes = text::EncodeAnsi(text_);
    if (text::DecodeAnsi(bytes) != text_) return std::nullopt;  // a character the code page lacks
    return bytes;
  }

 private:
  vb::String text_;
  bool carried_ = true;
};

// The section of each table, in file order; empty when two cannot be told apart.
std::vector<std::vector<vb::String>> TableSections(const std::vector<DatabaseStructure>& databases, bool& distinct) {
  NameSet taken{kHeader};
  for (const auto& db : databases) distinct &= taken.insert(db.name).second;
  std::vector<std::vector<vb::String>> sections;
  std::vector<vb::String> bare_qualified;  // qualified names the reader must not find
  for (const auto& db : databases) {
    sections.emplace_back();
    for (const auto& t : db.tables) {
      vb::String qualified = db.name + u"\\" + t.name;
      vb::String section = taken.count(t.name) ? qualified : t.name;
      distinct &= taken.insert(section).second;
      if (section == t.name) bare_qualified.push_back(qualified);
      sections.back().push_back(section);
    }
  }
  for (const auto& q : bare_qualified) distinct &= !taken.count(q);
  return sections;
}

bool CarriesNames(const DatabaseStructure& db) {
  if (!IsCarriedName(db.name, u",]\r\n")) return false;
  for (const auto& t : db.tables) {
    if (!IsCarriedName(t.name, u",]\r\n")) return false;
    for (const auto& c : t.columns)
      if (!IsCarriedName(c.name, u",=\r\n") || c.name.front() == u'[') return false;
    for (const auto& ix : t.indexes)
      for (const auto& ic : ix.columns)
        if (HasAny(ic.name, u",|\r\n")) return false;
  }
  return true;
}

void WriteTable(IniWriter& ini, const TableStructure& t, const vb::String& section) {
  ini.Line(u"[" + section + u"]");
  vb::String fields;
  for (const auto& c : t.columns) fields += c.name + u",";
  ini.Pair(u"FieldList", fields);
  if (!t.indexes.empty()) {
    ini.Pair(u"IndexCount", Decimal(static_cast<int32_t>(t.indexes.size())));
    for (size_t m = 0; m < t.indexes.size(); ++m) {
      const IndexStructure& ix = t.indexes[m];
      ini.Pair(u"Index" + Decimal(static_cast<int32_t>(m)),
               ix.name + u"," + ConfigurationText(vb::Variant(ix.primary_key)) + u"," +
                   ConfigurationText(vb::Variant(ix.unique)) + u"," + Decimal(ix.index_nulls) + u"$" + ix.FieldList());
      ini.Line();
    }
  }
  ini.Line();
  for (const auto& c : t.columns) {
    ini.Pair(c.name + u"_Name", c.name);
    ini.Pair(c.name + u"_Type", Decimal(c.type));
    ini.Pair(c.name + u"_DefineSize", Decimal(c.defined_size));
    ini.Pair(c.name + u"_NumericScale", Decimal(c.numeric_scale));
    ini.Pair(c.name + u"_Position", Decimal(c.position));
    for (const auto& p : c.properties) ini.Pair(c.name + u"_" + p.name, ConfigurationText(p.value));
    ini.Line();
  }
}

bool IsFlag(vb::StringView text) {
  if (vb::EqualsNoCase(text, u"True") || vb::EqualsNoCase(text, u"False")) return true;
  size_t i = !text.empty() && text[0] == u'-' ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (text[i] < u'0' || text[i] > u'9') return false;
  return true;
}

bool IsNumber(vb::StringView text) { return !vb::EqualsNoCase(text, u"True") && !vb::EqualsNoCase(text, u"False") && IsFlag(text); }

ConfiguredColumn ReadColumn(const sys::Profile& ini, const vb::String& section, const vb::String& f) {
  auto value = [&](vb::StringView key) { return vb::Variant(ini.Value(section, f + u"_" + vb::String(key))); };
  ConfiguredColumn c;
  c.name = StoredText(value(u"Name"));
  c.type = StoredLong(value(u"Type"));
  c.defined_size = StoredInteger(value(u"DefineSize"));
  c.autoincrement = StoredBoolean(value(u"Autoincrement"));
  c.nullable = StoredBoolean(value(u"Nullable"));
  c.allow_zero_length = StoredBoolean(value(u"Jet OLEDB:Allow Zero Length"));
  c.description = StoredText(value(u"Description"));
  c.default_value = vb::Variant(StoredText(value(u"Default")));
  return c;
}

ConfiguredTable ReadTable(const sys::Profile& ini, const vb::String& database, const vb::String& name) {
  ConfiguredTable t;
  t.name = name;
  vb::String qualified = database + u"\\" + name;
  vb::String section = ini.HasSection(qualified) ? qualified : name;
  std::vector<vb::String> fields = StoredListItems(ini.Value(section, u"FieldList"));
  // Each column takes the row of its position, so they come in that order.
  t.columns.resize(fields.size());
  for (const vb::String& f : fields) {
    int32_t position = StoredLong(vb::Variant(ini.Value(section, f + u"_Position")));
    if (position < 1 || position > static_cast<int32_t>(fields.size())) vb::Raise(vb::kSubscriptOutOfRange);
    t.columns[position - 1] = ReadColumn(ini, section, f);
  }
  vb::String count = vb::Trim(ini.Value(section, u"IndexCount"));
  int32_t indexes = count.empty() ? 0 : StoredLong(vb::Variant(count));
  for (int32_t m = 0; m < indexes; ++m) t.indexes.push_back(ReadIndexLine(ini.Value(section, u"Index" + Decimal(m))));
  return t;
}

}  // namespace

std::optional<std::string> StructureIniText(const std::vector<DatabaseStructure>& databases) {
  IniWriter ini;
  bool distinct = true;
  auto sections = TableSections(databases, distinct);
  if (!distinct) return std::nullopt;
  for (const auto& db : databases)
    if (!CarriesNames(db)) return std::nullopt;
  ini.Line();
  ini.Line(u"[" + vb::String(kHeader) + u"]");
  vb::String names;
  for (const auto& db : databases) names += db.name + u",";
  ini.Pair(u"MdbList", names);
  ini.Line();
  for (size_t i = 0; i < databases.size(); ++i) {
    const DatabaseStructure& db = databases[i];
    ini.Line(u"[" + db.name + u"]");
    vb::String tables;
    for (const auto& t : db.tables) tables += t.name + u",";
    ini.Pair(u"TableList", tables);
    for (size_t k = 0; k < db.tables.size(); ++k) WriteTable(ini, db.tables[k], sections[i][k]);
  }
  return ini.Bytes();
}

std::vector<ConfiguredDatabase> ReadStructureIni(const sys::Profile& ini) {
  std::vector<ConfiguredDatabase> databases;
  for (const vb::String& name : StoredListItems(ini.Value(kHeader, u"MdbList"))) {
    ConfiguredDatabase db;
    db.name = name;
    for (const vb::String& table : StoredListItems(ini.Value(name, u"TableList")))
      db.tables.push_back(ReadTable(ini, name, table));
    databases.push_back(std::move(db));
  }
  return databases;
}

ConfiguredIndex ReadIndexLine(const vb::String& line) {
  ConfiguredIndex ix;
  // From the last "$" back: the first one preceded by ",flag,flag,number".
  for (size_t dollar = line.rfind(u'$'); dollar != vb::String::npos && dollar > 0;
       dollar = line.rfind(u'$', dollar - 1)) {
    size_t c3 = line.rfind(u',', dollar - 1);
    size_t c2 = c3 == vb::String::npos || c3 == 0 ? vb::String::npos : line.rfind(u',', c3 - 1);
    size_t c1 = c2 == vb::String::npos || c2 == 0 ? vb::String::npos : line.rfind(u',', c2 - 1);
    if (c1 == vb::String::npos) break;
    vb::String primary = vb::Trim(line.substr(c1 + 1, c2 - c1 - 1));
    vb::String unique = vb::Trim(line.substr(c2 + 1, c3 - c2 - 1));
    vb::String nulls = vb::Trim(line.substr(c3 + 1, dollar - c3 - 1));
    if (!IsFlag(primary) || !IsFlag(unique) || !IsNumber(nulls)) continue;
    ix.name = vb::Trim(line.substr(0, c1));
    ix.primary_key = StoredBoolean(vb::Variant(primary));
    ix.unique = StoredBoolean(vb::Variant(unique));
    ix.index_nulls = StoredLong(vb::Variant(nulls)) != 0;
    ix.field_list = vb::Trim(line.substr(dollar + 1));
    return ix;
  }
  // Anything else is read as the plain split reads it, and fails as it does.
  std::vector<vb::String> parts = vb::SplitParts(line, u"$");
  std::vector<vb::String> head = parts.empty() ? std::vector<vb::String>{} : vb::SplitParts(parts[0], u",");
  if (parts.size() < 2 || head.size() < 4) vb::Raise(vb::kSubscriptOutOfRange);
  ix.name = vb::Trim(head[0]);
  ix.primary_key = StoredBoolean(vb::Variant(head[1]));
  ix.unique = StoredBoolean(vb::Variant(head[2]));
  ix.index_nulls = StoredLong(vb::Variant(head[3])) != 0;
  ix.field_list = vb::Trim(parts[1]);
  return ix;
}

}  // namespace qe
