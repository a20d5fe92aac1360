#include "common/kesra_string_width.h"

#include <algorithm>

#include "common/integer_count.h"
#include "platform/text/ansi.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr size_t kMaxWalk = INT16_MAX;

// The title tools' width: NUL is one column.
int TitleWidth(char16_t c) { return text::IsDoubleByte(c) ? 2 : 1; }

// The measures' width: a character whose ANSI code is not positive (NUL too)
// takes `wide` columns.
int MeasureWidth(char16_t c, int wide) { return text::AnsiCode(c) <= 0 ? wide : 1; }

// A walk over the text's positions: a 16-bit position cannot reach past 32,767.
void CheckWalk(vb::StringView text) {
  if (text.size() > kMaxWalk) vb::Raise(vb::kOverflow);
}

vb::String ReadEntities(vb::StringView text) {
  vb::String out = vb::Replace(text, u"&nbsp;", u" ");
  out = vb::Replace(out, u"&quot;", u"\"");
  out = vb::Replace(out, u"&gt;", u">");
  return vb::Replace(out, u"&lt;", u"<");
}

vb::String WriteEntities(vb::StringView text) {
  vb::String out = vb::Replace(text, u" ", u"&nbsp;");
  out = vb::Replace(out, u"\"", u"&quot;");
  out = vb::Replace(out, u">", u"&gt;");
  return vb::Replace(out, u"<", u"&lt;");
}

int16_t MeasureTrimmed(vb::StringView p_String, int wide) {
  int16_t width = 0;
  for (char16_t c : vb::Trim(p_String)) width = IntegerCount(width + MeasureWidth(c, wide));
  return width;
}

}  // namespace

vb::String KesraGetTopicStr(vb::StringView p_String, int16_t p_StringLength) {
  if (p_String.empty()) return {};
  vb::String title = ReadEntities(p_String);
  CheckWalk(title);
  int16_t width = 0;
  for (size_t i = 0; i < title.size(); ++i) {
    width = IntegerCount(width + TitleWidth(title[i]));
    if (width >= p_StringLength) {
      title.resize(i + 1);
      title += u'…';
      break;
    }
  }
  return WriteEntities(title);
}

vb::String KesraGetString(vb::StringView p_String, int16_t p_StringStart, int16_t p_StringLength) {
  if (vb::Trim(p_String).empty()) return {};
  const vb::String text = ReadEntities(p_String);
  // Column and index from 1; a position past the end counts one column.
  auto width_at = [&](int16_t index) {
    return static_cast<size_t>(index) <= text.size() ? TitleWidth(text[static_cast<size_t>(index) - 1]) : 1;
  };
  int16_t column = 1, index = 1;
  while (column < p_StringStart) {
    column = IntegerCount(column + width_at(index));
    index = IntegerCount(index + 1);
  }
  vb::String out;
  while (column <= IntegerCount(IntegerCount(p_StringStart + p_StringLength) - 1)) {
    if (static_cast<size_t>(index) <= text.size()) out += text[static_cast<size_t>(index) - 1];
    column = IntegerCount(column + width_at(index));
    index = IntegerCount(index + 1);
  }
  return out;
}

int16_t KesraGetStringLength(vb::StringView p_String) {
  if (p_String.size() > kMaxWalk) return 0;
  size_t bytes = text::ByteLength(p_String);
  return static_cast<int16_t>(std::min<size_t>(bytes, INT16_MAX));
}

int16_t KesraGetStringLength2(vb::StringView p_String) { return MeasureTrimmed(p_String, 2); }

int16_t KesraGetStringLength3(vb::StringView p_String) { return MeasureTrimmed(p_String, 3); }

vb::String KesraGetStringLeft(vb::StringView p_String, int16_t p_StringLength) {
  CheckWalk(p_String);
  int16_t width = 0;
  size_t taken = 0;
  while (taken < p_String.size()) {
    width = IntegerCount(width + MeasureWidth(p_String[taken++], 2));
    if (width >= p_StringLength) break;
  }
  return vb::String(p_String.substr(0, taken));
}

vb::String KesraGetStringRight(vb::StringView p_String, int16_t p_StringLength) {
  CheckWalk(p_String);
  int16_t width = 0;
  size_t taken = 0;
  while (taken < p_String.size()) {
    width = IntegerCount(width + MeasureWidth(p_String[p_String.size() - 1 - taken++], 2));
    if (width >= p_StringLength) break;
  }
  return vb::String(p_String.substr(p_String.size() - taken));
}

}  // namespace qe
