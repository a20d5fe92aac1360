#include "editors/kesra_ubb_code.h"

#include <algorithm>
#include <vector>

#include "common/kesra_html_encode.h"
#include "editors/active_markup.h"
#include "editors/ubb_step_sources.h"
#include "editors/ubb_plugin_addresses.h"
#include "editors/ubb_templates.h"
#include "editors/ubb_text_search.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

using ubb::Filtered;
using ubb::Located;
using ubb::Locator;
using ubb::Pair;
using ubb::ParameterPair;
using ubb::Searched;
using ubb::Sized;
using ubb::StepGroup;
using ubb::StepSource;
using ubb::Steps;

constexpr char16_t kPictureTitle[] = u"按此在新窗口浏览图片";

// The three address steps of a scheme: the address that begins the text, the
// one that ends it, and one after any character but ">", "=", a double
// quote, or the single quote that only a template writes.
std::vector<StepSource> AddressSteps(vb::StringView scheme, vb::StringView third_class) {
  const vb::String prefix(scheme);
  const vb::String run = u"[A-Za-z0-9\\./=\\?%\\-&_~`@':+!]";
  const vb::String link = vb::String(ubb::kIconPrefix) + u"url.asp><a target=_blank href=$1>$1</a>";
  const vb::String prefixed = vb::String(u"$1") + ubb::kIconPrefix + u"url.asp><a target=_blank href=$2>$2</a>";
  return {
      Searched(u"^(" + prefix + run + u"+)", {}, link, {}),
      {u"(" + prefix + run + u"+)$", u"(" + prefix + run + u"++)$", link, Locator::kTextEnd, {}, {}},
      {u"([^>=\"'])(" + prefix + vb::String(third_class) + u"+)",
       u"\\G([^>=\"'])(" + prefix + vb::String(third_class) + u"+)", prefixed, Locator::kBeforeOpen, prefix, {}},
  };
}

// "[img=0,0]" (the sticker picker's form) gives a picture without a width.
void DropZeroWidth(vb::String& text) {
  text = vb::Replace(text, vb::String(u"border=0 width=0 title=") + kPictureTitle,
                     vb::String(u"border=0 title=") + kPictureTitle);
}

void Lists(vb::String& text) {
  KesraUbbReplacePair(text, u"[list]", u"[/list]", u"<ul>", u"</ul>");
  KesraUbbReplacePair(text, u"[list=1]", u"[/list]", u"<ol type=1>", u"</ol id=1>");
  KesraUbbReplacePair(text, u"[list=a]", u"[/list]", u"<ol type=a>", u"</ol id=a>");
}

void ListItems(vb::String& text) { KesraUbbReplacePair(text, u"[*]", u"[/*]", u"<li>", u"</li>"); }

void Code(vb::String& text) {
  KesraUbbReplacePair(text, u"[code]", u"[/code]", u"<pre id=code><font size=1 face=\"Verdana, Arial\" id=code>",
                      u"</font id=code></pre id=code>");
}

std::vector<StepGroup> BuildGroups() {
  using ubb::Address;
  const vb::String email = vb::String(ubb::kIconPrefix) + u"email.asp>";
  std::vector<StepGroup> groups;
  auto add = [&](const char16_t* gate, const std::vector<StepSource>& sources, void (*after)(vb::String&) = nullptr) {
    groups.push_back({gate, Steps(sources), after});
  };
  add(u"[/img]",
      {Sized(u"IMG", u"<a href=\"$3\" target=_blank><IMG SRC=\"$3\" border=0 width=$1 title=" +
                         vb::String(kPictureTitle) + u"></a> ")},
      DropZeroWidth);
  add(u"[/dir]", {Sized(u"DIR", ubb::DirectorTemplate())});
  add(u"[/qt]", {Sized(u"QT", ubb::QuickTimeTemplate(u"Loop"))});
  add(u"[/mp]", {Sized(u"MP", ubb::MediaPlayerTemplate())});
  add(u"[/rm]", {Sized(u"RM", ubb::RealPlayerTemplate())});
  add(u"[flash]",
      {Pair(u"FLASH", u"<OBJECT codeBase=" + Address(ubb::kFlashCabinet) +
                          u"4,0,2,0 classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000 width=480 height=400>"
                          u"<PARAM NAME=movie VALUE=\"$2\"><PARAM NAME=quality VALUE=high><embed src=\"$2\" "
                          u"quality=high pluginspage='" +
                          Address(ubb::kFlashPage) +
                          u"' type='application/x-shockwave-flash' width=480 height=400>$2</embed></OBJECT>")});
  add(u"[/url]", {Pair(u"URL", u"<A HREF=\"$2\" TARGET=_blank>$2</A>"),
                  Located(u"(\\[URL=(.[^\\]]*)\\])(.[^\\[]*)(\\[\\/URL\\])",
                          u"\\G(\\[URL=(.[^\\]]*+)\\])(.[^\\[]*+)(\\[\\/URL\\])", u"<A HREF=\"$2\" TARGET=_blank>$3</A>",
                          Locator::kBracketParameter, u"[url=", u"[/url]")});
  add(u"[/email]", {Pair(u"EMAIL", email + u"<A HREF=\"mailto:$2\">$2</A>"),
                    ParameterPair(u"EMAIL", email + u"<A HREF=\"mailto:$2\">$3</A>")});
  add(u"http://", AddressSteps(u"http://", u"[A-Za-z0-9\\./=\\?%\\-&_~`@':+!]"));
  add(u"ftp://", AddressSteps(u"ftp://", u"[A-Za-z0-9\\.\\/=\\?%\\-&_~`@':+!]"));
  add(u"rtsp://", AddressSteps(u"rtsp://", u"[A-Za-z0-9\\./=\\?%\\-&_~`@':+!]"));
  add(u"mms://", AddressSteps(u"mms://", u"[A-Za-z0-9\\./=\\?%\\-&_~`@':+!]"));
  add(u"[/color]", {ParameterPair(u"color", u"<font color=$2>$3</font>")});
  add(u"[/face]", {ParameterPair(u"face", u"<font face=$2>$3</font>")});
  add(u"[/align]", {ParameterPair(u"align", u"<div align=$2>$3</div>")});
  add(u"[/fly]", {Pair(u"fly", u"<marquee width=90% behavior=alternate scrollamount=3>$2</marquee>")});
  add(u"[/move]", {Pair(u"move", u"<MARQUEE scrollamount=3>$2</marquee>")});
  add(u"[/glow]", {Filtered(u"GLOW", u"glow")});
  add(u"[/shadow]", {Filtered(u"SHADOW", u"shadow")});
  add(u"[/i]", {Pair(u"i", u"<i>$2</i>")});
  add(u"[/u]", {Pair(u"u", u"<u>$2</u>")});
  add(u"[/b]", {Pair(u"b", u"<b>$2</b>")});
  add(u"[/size]", {Pair(u"size=1", u"<font size=1>$2</font>", u"size"),
                   Pair(u"size=2", u"<font size=2>$2</font>", u"size"),
                   Pair(u"size=3", u"<font size=3>$2</font>", u"size"),
                   Pair(u"size=4", u"<font size=4>$2</font>", u"size")});
  add(u"[/center]", {Pair(u"center", u"<center>$2</center>")});
  add(u"[/list]", {}, Lists);
  add(u"[/*]", {}, ListItems);
  add(u"[/code]", {}, Code);
  add(u"[/quote]", {Pair(u"quote", u"<table cellpadding=2 cellspacing=1 bgcolor=ffffff border=0 width=98% "
                                   u"align=center><TR><TD>$2</td></tr></table><br>")});
  return groups;
}

// The occurrences of `find` (text compare), left to right, not overlapping.
std::vector<size_t> Occurrences(vb::StringView text, vb::StringView find) {
  std::vector<size_t> at;
  if (find.empty()) return at;
  for (size_t i = ubb::FindTextCompare(text, find); i != ubb::kNotFound; i = ubb::FindTextCompare(text, find, i + find.size()))
    at.push_back(i);
  return at;
}

}  // namespace

namespace ubb {
std::span<const StepGroup> MainConverterGroups() {
  static const std::vector<StepGroup> groups = BuildGroups();
  return groups;
}
}  // namespace ubb

vb::String KesraUbbReplacePair(vb::String& text, vb::StringView open_tag, vb::StringView close_tag,
                               vb::StringView open_html, vb::StringView close_html) {
  // One forward scan: neither tag can overlap itself or the other, and no
  // replacement makes a new one (tags are bracketed, the HTML is not), so the
  // n-th open tag pairs with the n-th close tag, as the repeated search from
  // the start pairs them.
  std::vector<size_t> opens = Occurrences(text, open_tag);
  std::vector<size_t> closes = Occurrences(text, close_tag);
  const size_t pairs = std::min(opens.size(), closes.size());
  if (!pairs) return text;
  struct Cut {
    size_t at, length;
    vb::StringView html;
  };
  std::vector<Cut> cuts;
  for (size_t i = 0; i < pairs; ++i) {
    cuts.push_back({opens[i], open_tag.size(), open_html});
    cuts.push_back({closes[i], close_tag.size(), close_html});
  }
  std::sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.at < b.at; });
  vb::String out;
  size_t copied = 0;
  for (const Cut& cut : cuts) {
    out.append(text, copied, cut.at - copied);
    out.append(cut.html);
    copied = cut.at + cut.length;
  }
  out.append(text, copied);
  text = std::move(out);
  return text;
}

vb::String KesraUBBCode(vb::String& p_String) {
  vb::String text = KesraEncodeString2(p_String);
  const bool brackets = text.find(u'[') != vb::String::npos && text.find(u']') != vb::String::npos;
  if (ubb::FindTextCompare(text, u"http://") != ubb::kNotFound || brackets)
    text = markup::NeutralizeActiveMarkup(ubb::ApplyGroups(ubb::MainConverterGroups(), std::move(text)));
  p_String = text;
  return text;
}

}  // namespace qe
