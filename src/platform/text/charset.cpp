#include "platform/text/charset.h"

#include <array>

#include "platform/text/ansi.h"
#include "platform/text/charset_sets.h"

namespace text {
namespace {

struct Label {
  std::string_view name;
  const Charset& (*set)();
};

const Charset& Utf16Le() { return sets::Utf16(false); }
const Charset& Utf16Be() { return sets::Utf16(true); }

constexpr std::array kLabels = {
    Label{"gb2312", sets::Cp936},           Label{"gbk", sets::Cp936},
    Label{"cp936", sets::Cp936},            Label{"windows-936", sets::Cp936},
    Label{"ms936", sets::Cp936},            Label{"x-gbk", sets::Cp936},
    Label{"csgb2312", sets::Cp936},         Label{"chinese", sets::Cp936},
    Label{"utf-8", sets::Utf8},             Label{"utf8", sets::Utf8},
    Label{"unicode-1-1-utf-8", sets::Utf8}, Label{"unicode", Utf16Le},
    Label{"utf-16", Utf16Le},               Label{"utf-16le", Utf16Le},
    Label{"ucs-2", Utf16Le},                Label{"unicodefffe", Utf16Be},
    Label{"utf-16be", Utf16Be},             Label{"us-ascii", sets::Ascii},
    Label{"ascii", sets::Ascii},            Label{"windows-1252", sets::Windows1252},
    Label{"iso-8859-1", sets::Windows1252}, Label{"latin1", sets::Windows1252},
    Label{"cp1252", sets::Windows1252},     Label{"l1", sets::Windows1252},
    Label{"big5", sets::Big5},              Label{"cn-big5", sets::Big5},
    Label{"x-x-big5", sets::Big5},          Label{"csbig5", sets::Big5},
};

bool LabelEquals(std::string_view label, std::string_view name) {
  if (label.size() != name.size()) return false;
  for (size_t i = 0; i < label.size(); ++i) {
    char c = label[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != name[i]) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

class Cp936Charset final : public Charset {
 public:
  std::string_view Name() const override { return "gb2312"; }
  int CodePage() const override { return 936; }
  vb::String Decode(std::string_view bytes) const override { return DecodeAnsi(bytes); }
  std::string Encode(vb::StringView text) const override { return EncodeAnsi(text); }
};

class Utf8Charset final : public Charset {
 public:
  std::string_view Name() const override { return "utf-8"; }
  int CodePage() const override { return 65001; }
  vb::String Decode(std::string_view bytes) const override { return vb::FromUtf8(bytes); }
  std::string Encode(vb::StringView text) const override { return vb::ToUtf8(text); }
};

}  // namespace

namespace sets {
const Charset& Cp936() {
  static const Cp936Charset set;
  return set;
}
const Charset& Utf8() {
  static const Utf8Charset set;
  return set;
}
}  // namespace sets

const Charset* FindCharset(std::string_view label) {
  label = TrimBlanks(label);
  for (const Label& l : kLabels)
    if (LabelEquals(label, l.name)) return &l.set();
  return nullptr;
}

const Charset* FindCharset(vb::StringView label) {
  std::string narrow;
  for (char16_t c : label) {
    if (c > 0x7E) return nullptr;  // every label is ASCII
    narrow.push_back(static_cast<char>(c));
  }
  return FindCharset(std::string_view(narrow));
}

const Charset* FindCodePage(int code_page) {
  switch (code_page) {
    case 936: return &sets::Cp936();
    case 65001: return &sets::Utf8();
    case 1200: return &sets::Utf16(false);
    case 1201: return &sets::Utf16(true);
    case 20127: return &sets::Ascii();
    case 1252:
    case 28591: return &sets::Windows1252();
    case 950: return &sets::Big5();
    default: return nullptr;
  }
}

const Charset& AnsiCharset() { return sets::Cp936(); }

}  // namespace text
