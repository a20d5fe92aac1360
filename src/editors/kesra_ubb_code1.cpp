#include "editors/kesra_ubb_code1.h"

#include <vector>

#include "editors/active_markup.h"
#include "editors/ubb_plugin_addresses.h"
#include "editors/ubb_step_sources.h"
#include "editors/ubb_templates.h"
#include "platform/regex/replacement.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

using ubb::Located;
using ubb::Locator;
using ubb::StepSource;

constexpr char16_t kPictureTitle[] = u"按此在新窗口浏览图片";
// The handler that fits a picture into the screen when it has loaded.
constexpr char16_t kFitPicture[] = u"JavaScript:if(this.width>screen.width-333)this.width=screen.width-333";
constexpr markup::KeptHandler kTemplateHandlers[] = {{u"onfocus", u"this.blur()"}, {u"onload", kFitPicture}};

struct FilterStep {
  const char16_t* pattern;
  const char16_t* replacement;
};
constexpr FilterStep kFilterSteps[] = {
    {u"(JavaScript)", u"&#106avascript"},
    {u"(jscript:)", u"&#106script:"},
    {u"(js:)", u"&#106s:"},
    {u"(about:)", u"about&#58"},
    {u"(file:)", u"file&#58"},
    {u"(document.cookie)", u"documents&#46cookie"},
    {u"(vbscript:)", u"&#118bscript:"},
    {u"(vbs:)", u"&#118bs:"},
    {u"(on(mouse|exit|error|click|key))", u"&#111n$2"},
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// True when the text ends with a numeric character reference without ";".
bool EndsWithOpenReference(vb::StringView text) {
  size_t digits = text.size();
  while (digits > 0 && IsDigit(text[digits - 1])) --digits;
  return digits < text.size() && digits >= 2 && text[digits - 1] == u'#' && text[digits - 2] == u'&';
}

vb::String FilterStepApplied(const FilterStep& step, vb::StringView text) {
  const regex::CompiledPattern pattern(step.pattern, regex::PatternOptions{true, false});
  vb::String out;
  size_t copied = 0;
  for (const regex::Captures& m : pattern.FindAll(text, true)) {
    out.append(text.substr(copied, m[0].start - copied));
    vb::String replaced = regex::ExpandReplacement(step.replacement, text, m);
    // "about:1" must not read "about" and the character 581.
    if (m[0].end < text.size() && IsDigit(text[m[0].end]) && EndsWithOpenReference(replaced)) replaced += u';';
    out += replaced;
    copied = m[0].end;
  }
  out.append(text.substr(copied));
  return out;
}

vb::String FlashTemplate(const char16_t* movie, const char16_t* size) {
  const vb::String m(movie), wh(size);
  return u"<a href=\"" + m + u"\" TARGET=_blank><IMG SRC=" + ubb::kPictureFolder +
         u"swf.asp border=0 title=点击开新窗口欣赏该FLASH动画! height=16 width=16>[全屏欣赏]</a><br><OBJECT codeBase=" +
         ubb::Address(ubb::kFlashCabinet) + u"5,0,0,0 classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000 " + wh +
         u"><PARAM NAME=movie VALUE=\"" + m + u"\"><PARAM NAME=quality VALUE=high><embed src=\"" + m +
         u"\" quality=high pluginspage='" + ubb::Address(ubb::kFlashPage) +
         u"' type='application/x-shockwave-flash' " + wh + u">" + m + u"</embed></OBJECT>";
}

// "\[TAG\](.[^\[]*)\[\/TAG\]" with the content in $1.
StepSource Content(const char16_t* tag, vb::String replacement, const char16_t* close_group = u"") {
  const vb::String name(tag), lower = [&] {
    vb::String l;
    for (char16_t c : name) l.push_back(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c);
    return l;
  }();
  const vb::String close = vb::String(close_group).empty() ? u"\\[\\/" + name + u"\\]" : u"(\\[\\/" + name + u"\\])";
  return ubb::Searched(u"\\[" + name + u"\\](.[^\\[]*)" + close, u"\\[" + name + u"\\](.[^\\[]*+)" + close,
                       std::move(replacement), u"[/" + lower + u"]");
}

// "\[TAG=(.[^\[]*)\](.[^\[]*)\[\/TAG\]".
StepSource ParameterContent(const char16_t* tag, vb::String replacement) {
  const vb::String name(tag);
  return Located(u"\\[" + name + u"=(.[^\\[]*)\\](.[^\\[]*)\\[\\/" + name + u"\\]",
                 u"\\G\\[" + name + u"=(.[^\\[]*)\\](.[^\\[]*+)\\[\\/" + name + u"\\]", std::move(replacement),
                 Locator::kParameterPair, u"[" + name + u"=", u"[/" + name + u"]");
}

// "\[TAG\](.*)\[\/TAG\]": both tags on one line, the content to the last
// closing tag of the line.
StepSource Line(const char16_t* opening, const char16_t* tag, const char16_t* open, const char16_t* close,
                vb::String replacement) {
  const vb::String pattern = vb::String(opening) + u"(.*)\\[\\/" + tag + u"\\]";
  return Located(pattern, u"\\G" + pattern, std::move(replacement), Locator::kOneLine, open, close);
}

std::vector<ubb::Step> BuildSteps() {
  const vb::String picture = vb::String(u" border=0 title=") + kPictureTitle + u" onload=\"" + kFitPicture + u"\">";
  const vb::String email = vb::String(ubb::kIconPrefix) + u"email.asp>";
  const vb::String program = u"<table width='100%' border='0' cellspacing='0' cellpadding='6' class=tableborder1>"
                             u"<td><b>以下内容为程序代码:</b><br>$1</td></table>";
  return ubb::Steps({
      ubb::Searched(u"\\[IMG\\](http|https|ftp):\\/\\/(.[^\\[]*)\\[\\/IMG\\]",
                    u"\\[IMG\\](http|https|ftp):\\/\\/(.[^\\[]*+)\\[\\/IMG\\]",
                    u"<a onfocus=this.blur() href=\"$1://$2\" target=_blank><IMG SRC=\"$1://$2\"" + picture + u"</a>",
                    u"[/img]"),
      ubb::Searched(u"\\[UPLOAD=(gif|jpg|jpeg|bmp|png)\\](.[^\\[]*)(gif|jpg|jpeg|bmp|png)\\[\\/UPLOAD\\]", {},
                    u"<br><IMG SRC=\"" + vb::String(ubb::kPictureFolder) +
                        u"$1.asp\" border=0>此主题相关图片如下：<br><a href=\"$2$1\" TARGET=_blank><IMG SRC=\"$2$1\"" +
                        picture + u"</A>",
                    u"[/upload]"),
      Located(u"\\[UPLOAD=(.[^\\[]*)\\](.[^\\[]*)\\[\\/UPLOAD\\]", u"\\G\\[UPLOAD=(.[^\\[]*)\\](.[^\\[]*+)\\[\\/UPLOAD\\]",
              u"<br><IMG SRC=\"" + vb::String(ubb::kPictureFolder) + u"$1.asp\" border=0> <a href=\"$2\">点击浏览该文件</a>",
              Locator::kParameterPair, u"[upload=", u"[/upload]"),
      ubb::Sized(u"DIR", ubb::DirectorTemplate()),
      ubb::Sized(u"QT", ubb::QuickTimeTemplate(u"loop")),
      ubb::Sized(u"MP", ubb::MediaPlayerTemplate()),
      ubb::Sized(u"RM", ubb::RealPlayerTemplate()),
      ubb::Pair(u"FLASH", FlashTemplate(u"$2", u"width=500 height=400")),
      ubb::Searched(u"(\\[FLASH=*([0-9]*),*([0-9]*)\\])(.[^\\[]*)(\\[\\/FLASH\\])",
                    u"(\\[FLASH=*+([0-9]*+),*+([0-9]*+)\\])(.[^\\[]*+)(\\[\\/FLASH\\])",
                    FlashTemplate(u"$4", u"width=$2 height=$3"), u"[/flash]"),
      ubb::Pair(u"URL", u"<a href=\"$2\" TARGET=_blank>$2</A>"),
      ubb::ParameterPair(u"URL", u"<a href=\"$2\" TARGET=_blank>$3</A>"),
      Located(u"(\\[EMAIL\\])(\\S+\\@.[^\\[]*)(\\[\\/EMAIL\\])", u"\\G(\\[EMAIL\\])(\\S+\\@.[^\\[]*+)(\\[\\/EMAIL\\])",
              email + u"<a href=\"mailto:$2\">$2</A>", Locator::kMail, u"[email]", u"[/email]"),
      Located(u"(\\[EMAIL=(\\S+\\@.[^\\[]*)\\])(.[^\\[]*)(\\[\\/EMAIL\\])",
              u"\\G(\\[EMAIL=(\\S+\\@.[^\\[]*)\\])(.[^\\[]*+)(\\[\\/EMAIL\\])",
              email + u"<a href=\"mailto:$2\" TARGET=_blank>$3</A>", Locator::kMailParameter, u"[email=", u"[/email]"),
      ubb::Searched(u"\\[em(.[^\\[]*)\\]", {}, u"<img src=../comm_ubb/emot/em$1.asp border=0 align=middle>", {}),
      Content(u"HTML", program),
      Content(u"code", program),
      ParameterContent(u"color", u"<font color=$1>$2</font>"),
      ParameterContent(u"face", u"<font face=$1>$2</font>"),
      Line(u"\\[align=(center|left|right)\\]", u"align", u"[align=", u"[/align]", u"<div align=$1>$2</div>"),
      Line(u"\\[QUOTE\\]", u"QUOTE", u"[quote]", u"[/quote]",
           u"<table style=\"width:80%\" cellpadding=5 cellspacing=1 class=tableborder1><TR><TD "
           u"class=tableborder1>$1</td></tr></table><br>"),
      Line(u"\\[fly\\]", u"fly", u"[fly]", u"[/fly]", u"<marquee width=90% behavior=alternate scrollamount=3>$1</marquee>"),
      Line(u"\\[move\\]", u"move", u"[move]", u"[/move]", u"<MARQUEE scrollamount=3>$1</marquee>"),
      ubb::Filtered(u"GLOW", u"glow"),
      ubb::Filtered(u"SHADOW", u"shadow"),
      Content(u"i", u"<i>$1</i>"),
      Content(u"u", u"<u>$1</u>", u"group"),
      Content(u"b", u"<b>$1</b>", u"group"),
      ubb::Searched(u"\\[size=([1-4])\\](.[^\\[]*)\\[\\/size\\]", u"\\[size=([1-4])\\](.[^\\[]*+)\\[\\/size\\]",
                    u"<font size=$1>$2</font>", u"[/size]"),
  });
}

}  // namespace

namespace ubb {
std::span<const Step> SecondConverterSteps() {
  static const std::vector<Step> steps = BuildSteps();
  return steps;
}
}  // namespace ubb

vb::String KesraFilterJS(vb::StringView p_String) {
  vb::String text(p_String);
  for (const FilterStep& step : kFilterSteps) text = FilterStepApplied(step, text);
  return markup::NeutralizeTypedMarkup(text);
}

vb::String KesraUBBCode1(vb::StringView p_String) {
  vb::String text = KesraFilterJS(p_String);
  vb::String spare;
  for (const ubb::Step& step : ubb::SecondConverterSteps()) step.Apply(text, spare);
  text = vb::Replace(text, u"<I></I>", u"");
  return markup::NeutralizeActiveMarkup(text, kTemplateHandlers);
}

}  // namespace qe
