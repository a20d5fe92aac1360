#include "platform/ado/connection_string.h"

namespace ado {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

StringView TrimBlanks(StringView s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool StartsWithNoCase(StringView text, StringView prefix) {
  return text.size() >= prefix.size() && vb::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Reads a value from `pos` to the ";" that ends it.
String ReadValue(StringView text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  String value;
  if (pos < text.size() && (text[pos] == u'"' || text[pos] == u'\'' || text[pos] == u'{')) {
    char16_t close = text[pos] == u'{' ? u'}' : text[pos];
    bool keep_braces = text[pos] == u'{';
    if (keep_braces) value += u'{';
    ++pos;
    while (pos < text.size()) {
      if (text[pos] == close) {
        if (pos + 1 < text.size() && text[pos + 1] == close) {
          value += close;
          pos += 2;
          continue;
        }
        ++pos;
        break;
      }
      value += text[pos++];
    }
    if (keep_braces) value += u'}';
    while (pos < text.size() && text[pos] != u';') ++pos;  // blanks after the quote
  } else {
    size_t end = text.find(u';', pos);
    if (end == StringView::npos) end = text.size();
    value = String(TrimBlanks(text.substr(pos, end - pos)));
    pos = end;
  }
  if (pos < text.size()) ++pos;  // the ";"
  return value;
}

}  // namespace

ConnectionString ConnectionString::Parse(StringView text) {
  ConnectionString cs;
  size_t pos = 0;
  while (pos < text.size()) {
    // The key runs to the first "=" ("==" stands for "=" inside a key).
    String key;
    while (pos < text.size() && text[pos] != u';') {
      if (text[pos] == u'=') {
        if (pos + 1 < text.size() && text[pos + 1] == u'=') {
          key += u'=';
          pos += 2;
          continue;
        }
        break;
      }
      key += text[pos++];
    }
    String trimmed(TrimBlanks(key));
    if (pos >= text.size() || text[pos] == u';') {  // a key without value is skipped
      if (pos < text.size()) ++pos;
      continue;
    }
    ++pos;  // "="
    String value = ReadValue(text, pos);
    if (!trimmed.empty()) cs.items_.emplace_back(std::move(trimmed), std::move(value));
  }
  return cs;
}

std::optional<String> ConnectionString::Get(std::initializer_list<StringView> keys) const {
  for (const auto& [k, v] : items_)
    for (StringView want : keys)
      if (vb::EqualsNoCase(k, want)) return v;
  return std::nullopt;
}

String ConnectionString::Without(std::initializer_list<StringView> keys) const {
  String out;
  for (const auto& [k, v] : items_) {
    bool drop = false;
    for (StringView k2 : keys) drop = drop || vb::EqualsNoCase(k, k2);
    if (drop) continue;
    out += k;
    out += u'=';
    bool quote = v.find(u';') != String::npos && !(v.size() > 1 && v.front() == u'{');
    if (quote) {
      out += u'"';
      for (char16_t c : v) {
        if (c == u'"') out += u'"';
        out += c;
      }
      out += u'"';
    } else {
      out += v;
    }
    out += u';';
  }
  return out;
}

std::optional<ProviderId> ProviderOf(const ConnectionString& cs, StringView provider_property) {
  String provider = cs.Get({u"Provider"}).value_or(String(provider_property));
  if (provider.empty()) provider = u"MSDASQL";
  if (vb::EqualsNoCase(provider, u"Microsoft.Jet.OLEDB.4.0")) return ProviderId::kJet4;
  if (vb::EqualsNoCase(provider, u"Microsoft.Jet.OLEDB.3.51")) return ProviderId::kJet351;
  if (vb::EqualsNoCase(provider, u"Microsoft.ACE.OLEDB.12.0")) return ProviderId::kAce12;
  if (vb::EqualsNoCase(provider, u"Microsoft.ACE.OLEDB.16.0")) return ProviderId::kAce16;
  for (StringView name : {u"SQLOLEDB", u"SQLNCLI", u"MSOLEDBSQL"})
    if (StartsWithNoCase(provider, name)) return ProviderId::kSqlOleDb;
  if (StartsWithNoCase(provider, u"MSDASQL")) {
    String driver = cs.Get({u"Driver"}).value_or(u"");
    if (StartsWithNoCase(driver, u"{SQL Server") || StartsWithNoCase(driver, u"{SQL Native Client") ||
        StartsWithNoCase(driver, u"{ODBC Driver"))
      return ProviderId::kSqlServerOdbc;
    if (StartsWithNoCase(driver, u"{Microsoft Access Driver")) return ProviderId::kAccessOdbc;
  }
  return std::nullopt;
}

String ProviderName(ProviderId id) {
  switch (id) {
    case ProviderId::kJet4: return u"Microsoft.Jet.OLEDB.4.0";
    case ProviderId::kJet351: return u"Microsoft.Jet.OLEDB.3.51";
    case ProviderId::kAce12: return u"Microsoft.ACE.OLEDB.12.0";
    case ProviderId::kAce16: return u"Microsoft.ACE.OLEDB.16.0";
    case ProviderId::kSqlOleDb: return u"SQLOLEDB.1";
    case ProviderId::kSqlServerOdbc:
    case ProviderId::kAccessOdbc: return u"MSDASQL.1";
  }
  return {};
}

bool IsFileProvider(ProviderId id) {
  return id == ProviderId::kJet4 || id == ProviderId::kJet351 || id == ProviderId::kAce12 || id == ProviderId::kAce16 ||
         id == ProviderId::kAccessOdbc;
}

}  // namespace ado
