#include "common/kesra_html_encode.h"

#include <initializer_list>
#include <utility>

#include "platform/regex/regexp.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

using Steps = std::initializer_list<std::pair<vb::StringView, vb::StringView>>;

vb::String ReplaceInOrder(vb::StringView text, Steps steps) {
  vb::String out(text);
  for (const auto& [find, replacement] : steps) out = vb::Replace(out, find, replacement);
  return out;
}

bool IsBlankOrTab(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

vb::String KesraHtmlEncode(vb::StringView p_String) {
  if (p_String.size() > 32767) vb::Raise(vb::kOverflow);
  vb::String out;
  out.reserve(p_String.size());
  const size_t n = p_String.size();
  for (size_t i = 0; i < n; ++i) {
    switch (const char16_t c = p_String[i]) {
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'\r': out += u"<br>"; break;
      case u'"': out += u"&quot;"; break;
      case u'&': out += u"&amp;"; break;
      case u'\t': out += u"    "; break;
      case u' ': {
        const bool shown = i == 0 || i == n - 1 || IsBlankOrTab(p_String[i - 1]) || IsBlankOrTab(p_String[i + 1]);
        out += shown ? u"&nbsp;" : u" ";
        break;
      }
      default: out += c;
    }
  }
  return out;
}

vb::String KesraHtmlEncode2(vb::StringView p_String) {
  return ReplaceInOrder(p_String, {{u">", u"&gt;"},
                                   {u"<", u"&lt;"},
                                   {u" ", u"&nbsp;"},
                                   {u"\t", u"&nbsp;"},
                                   {u"\"", u"&quot;"},
                                   {u"'", u"&#39;"},
                                   {u"\r", u""},
                                   {u"\n\n", u"</P><P> "},
                                   {u"\n", u"<BR> "}});
}

vb::String KesraHtmlUnEncode2(vb::StringView p_String) {
  return ReplaceInOrder(p_String, {{u"&gt;", u">"},
                                   {u"&lt;", u"<"},
                                   {u"&nbsp;", u" "},
                                   {u"&quot;", u"\""},
                                   {u"&#39;", u"'"},
                                   {u"</P><P> ", u"\n\n"},
                                   {u"<BR> ", u"\n"}});
}

vb::String KesraNoHtml(vb::StringView p_String) {
  vb::String out(p_String);
  for (const char16_t* pattern : {u"(\\<.[^\\<]*\\>)", u"(\\<\\/[^\\<]*\\>)"}) {
    regex::RegExp re;
    re.Pattern(pattern);
    re.IgnoreCase(true);
    re.Global(true);
    out = re.Replace(out, u" ");
  }
  return out;
}

vb::String KesraEncodeString2(vb::StringView p_String) {
  return ReplaceInOrder(vb::Trim(p_String), {{u"<", u"&lt;"},
                                             {u">", u"&gt;"},
                                             {u"'", u"\""},
                                             {u"\r\n\r\n", u"</p><p>"},
                                             {u"\r\n", u"<br>"},
                                             {u"  ", u"\u3000"}});
}

vb::String KesraEncodeString(vb::StringView p_String) {
  if (vb::Trim(p_String).empty()) return {};
  return ReplaceInOrder(p_String,
                        {{u"&", u"&amp;"}, {u"<", u"&lt;"}, {u">", u"&gt;"}, {u"'", u"&#39;"}, {u"\"", u"&quot;"}});
}

vb::String KesraUnEncodeString(vb::StringView p_String) {
  const vb::String text = vb::Trim(p_String);
  if (text.empty()) return {};
  return ReplaceInOrder(text,
                        {{u"&lt;", u"<"}, {u"&gt;", u">"}, {u"&#39;", u"'"}, {u"&quot;", u"\""}, {u"&amp;", u"&"}});
}

}  // namespace qe
