#include "editors/kesra_qe_editor.h"

#include "platform/regex/regexp.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr char16_t kScript[] =
#include "editors/qe_editor_js.inc"
    ;
constexpr char16_t kStylesheet[] =
#include "editors/qe_editor_css.inc"
    ;
constexpr char16_t kSprite[] =
#include "editors/qe_editor_svg.inc"
    ;

// The two lines of styleInit() that carry the stylesheet and the sprite; the
// script file holds them with empty literals.
constexpr char16_t kCssLine[] = u"         qe.editor.css = this.globalCss ? this.globalCss : '";
constexpr char16_t kSvgLine[] = u"         qe.editor.svg = this.globalIcon ? this.globalIcon : '";
constexpr char16_t kLineEnd[] = u"';";

vb::String Spliced(vb::StringView line) {
  if (line == vb::String(kCssLine) + kLineEnd) return kCssLine + vb::String(kStylesheet) + kLineEnd;
  if (line == vb::String(kSvgLine) + kLineEnd) return kSvgLine + vb::String(kSprite) + kLineEnd;
  return vb::String(line);
}

vb::String BuildReadableScript() {
  vb::String text = u"\r\n<script>\r\n";
  vb::StringView rest = kScript;
  while (!rest.empty()) {
    size_t end = rest.find(u'\n');
    vb::StringView line = rest.substr(0, end);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    text += Spliced(line) + u"\r\n";
    rest.remove_prefix(end == vb::StringView::npos ? rest.size() : end + 1);
  }
  return text + u"</script>\r\n";
}

const vb::String& ReadableScript() {
  static const vb::String script = BuildReadableScript();
  return script;
}

vb::String Minified(vb::StringView source) {
  vb::String text = vb::Replace(source, u"\t", u" ");
  regex::RegExp re;
  re.Global(true);
  re.MultiLine(true);
  struct Step {
    const char16_t* pattern;
    const char16_t* replacement;
  };
  // Textual steps: the script keeps its literals clear of what they match.
  static constexpr Step kSteps[] = {
      {u" {2,}", u" "},      {u"^\\s*//.*", u""},  {u"; //.*$", u";"},
      {u"\\{ //.*$", u"{"},  {u"\\} //.*$", u"}"}, {u"[\\r\\n]", u""},
  };
  for (const Step& step : kSteps) {
    re.Pattern(step.pattern);
    text = re.Replace(text, step.replacement);
  }
  return text;
}

// Built once: every page with an editor writes it.
const vb::String& MinifiedScript() {
  static const vb::String script = Minified(ReadableScript());
  return script;
}

}  // namespace

vb::String KesraQeEditorJs(vb::String /*p_EndChar*/) { return ReadableScript(); }

vb::String KesraQeEditorMiniJs(vb::String p_SetEditorJs) {
  if (p_SetEditorJs.empty()) return MinifiedScript();
  return Minified(p_SetEditorJs);
}

vb::String KesraQeEditorAllJs() { return MinifiedScript(); }

vb::String KesraQeEditorCss() { return kStylesheet; }

vb::String KesraQeEditorSvg() { return kSprite; }

}  // namespace qe
