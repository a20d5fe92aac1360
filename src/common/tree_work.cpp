#include "common/tree_work.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/active_formatting.h"
#include "common/html_tokens.h"
#include "common/tag_names.h"

namespace qe {
namespace {

using markup::StartTag;
using markup::TagReading;

constexpr GumboTag kFormatting[] = {GUMBO_TAG_A,    GUMBO_TAG_B,      GUMBO_TAG_BIG,    GUMBO_TAG_CODE, GUMBO_TAG_EM,
                                    GUMBO_TAG_FONT, GUMBO_TAG_I,      GUMBO_TAG_NOBR,   GUMBO_TAG_S,    GUMBO_TAG_SMALL,
                                    GUMBO_TAG_STRIKE, GUMBO_TAG_STRONG, GUMBO_TAG_TT, GUMBO_TAG_U};

// The builder's adoption of a formatting element's content moves the element
// past at most 8 blocks, each move looking through the open elements some
// ten times, each look quicker than a search in scope: it counts as two.
constexpr size_t kMostAdoptionMoves = 8;
constexpr size_t kWalksPerAdoptionMove = 2;
// The look for the latest formatting element before each character of text,
// a bare comparison of each open element, counts an eighth of a search.
constexpr size_t kTextLooksPerWalk = 8;

// Never open in a body: void elements, and the html, head, body and frameset
// tags, which a body merges or ignores.
constexpr GumboTag kNeverOpen[] = {
    GUMBO_TAG_AREA,   GUMBO_TAG_BASE,  GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND, GUMBO_TAG_BR,     GUMBO_TAG_COL,
    GUMBO_TAG_EMBED,  GUMBO_TAG_FRAME, GUMBO_TAG_HR,       GUMBO_TAG_IMG,     GUMBO_TAG_IMAGE,  GUMBO_TAG_INPUT,
    GUMBO_TAG_KEYGEN, GUMBO_TAG_LINK,  GUMBO_TAG_META,     GUMBO_TAG_PARAM,   GUMBO_TAG_SOURCE, GUMBO_TAG_TRACK,
    GUMBO_TAG_WBR,    GUMBO_TAG_HTML,  GUMBO_TAG_HEAD,     GUMBO_TAG_BODY,    GUMBO_TAG_FRAMESET};

// Start tags that close an open p first.
constexpr GumboTag kClosesP[] = {
    GUMBO_TAG_ADDRESS, GUMBO_TAG_ARTICLE, GUMBO_TAG_ASIDE, GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_CENTER,  GUMBO_TAG_DETAILS,
    GUMBO_TAG_DIR,     GUMBO_TAG_DIV,     GUMBO_TAG_DL,    GUMBO_TAG_FIELDSET,   GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,
    GUMBO_TAG_FOOTER,  GUMBO_TAG_HEADER,  GUMBO_TAG_HGROUP, GUMBO_TAG_MAIN,      GUMBO_TAG_MENU,    GUMBO_TAG_NAV,
    GUMBO_TAG_OL,      GUMBO_TAG_P,       GUMBO_TAG_SECTION, GUMBO_TAG_SUMMARY,  GUMBO_TAG_UL,      GUMBO_TAG_H1,
    GUMBO_TAG_H2,      GUMBO_TAG_H3,      GUMBO_TAG_H4,    GUMBO_TAG_H5,         GUMBO_TAG_H6,      GUMBO_TAG_PRE,
    GUMBO_TAG_LISTING, GUMBO_TAG_FORM,    GUMBO_TAG_HR,    GUMBO_TAG_LI,         GUMBO_TAG_DD,      GUMBO_TAG_DT,
    GUMBO_TAG_PLAINTEXT, GUMBO_TAG_XMP};

// Start tags the builder ignores where no table (or template) stands open.
constexpr GumboTag kTableOnly[] = {GUMBO_TAG_CAPTION, GUMBO_TAG_COLGROUP, GUMBO_TAG_TBODY, GUMBO_TAG_THEAD,
                                   GUMBO_TAG_TFOOT,   GUMBO_TAG_TR,       GUMBO_TAG_TD,    GUMBO_TAG_TH};

constexpr GumboTag kHeadings[] = {GUMBO_TAG_H1, GUMBO_TAG_H2, GUMBO_TAG_H3, GUMBO_TAG_H4, GUMBO_TAG_H5, GUMBO_TAG_H6};

// Where a search for an element "in scope" stops (the foreign ones and the
// title with them: a wider wall only keeps more elements open).
constexpr GumboTag kScopeWalls[] = {GUMBO_TAG_APPLET,  GUMBO_TAG_CAPTION, GUMBO_TAG_HTML,  GUMBO_TAG_TABLE,
                                    GUMBO_TAG_TD,      GUMBO_TAG_TH,      GUMBO_TAG_MARQUEE, GUMBO_TAG_OBJECT,
                                    GUMBO_TAG_TEMPLATE, GUMBO_TAG_MI,     GUMBO_TAG_MO,    GUMBO_TAG_MN,
                                    GUMBO_TAG_MS,      GUMBO_TAG_MTEXT,   GUMBO_TAG_ANNOTATION_XML,
                                    GUMBO_TAG_FOREIGNOBJECT, GUMBO_TAG_DESC, GUMBO_TAG_TITLE};
constexpr GumboTag kTableScopeWalls[] = {GUMBO_TAG_HTML, GUMBO_TAG_TABLE, GUMBO_TAG_TEMPLATE};
// End tags searched in table scope.
constexpr GumboTag kTableParts[] = {GUMBO_TAG_TABLE, GUMBO_TAG_TBODY, GUMBO_TAG_THEAD, GUMBO_TAG_TFOOT,
                                    GUMBO_TAG_TR,    GUMBO_TAG_TD,    GUMBO_TAG_TH,    GUMBO_TAG_CAPTION};
// Closing one of these forgets the formatting opened within it.
constexpr GumboTag kMarkers[] = {GUMBO_TAG_APPLET, GUMBO_TAG_MARQUEE, GUMBO_TAG_OBJECT, GUMBO_TAG_TEMPLATE,
                                 GUMBO_TAG_TD,     GUMBO_TAG_TH,      GUMBO_TAG_CAPTION};

// The elements that stop an unknown end tag's search, with the foreign ones
// that do the same.
constexpr GumboTag kSpecial[] = {
    GUMBO_TAG_ADDRESS,  GUMBO_TAG_APPLET,   GUMBO_TAG_AREA,     GUMBO_TAG_ARTICLE,  GUMBO_TAG_ASIDE,
    GUMBO_TAG_BASE,     GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND,  GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BODY,
    GUMBO_TAG_BR,       GUMBO_TAG_BUTTON,   GUMBO_TAG_CAPTION,  GUMBO_TAG_CENTER,   GUMBO_TAG_COL,
    GUMBO_TAG_COLGROUP, GUMBO_TAG_DD,       GUMBO_TAG_DETAILS,  GUMBO_TAG_DIR,      GUMBO_TAG_DIV,
    GUMBO_TAG_DL,       GUMBO_TAG_DT,       GUMBO_TAG_EMBED,    GUMBO_TAG_FIELDSET, GUMBO_TAG_FIGCAPTION,
    GUMBO_TAG_FIGURE,   GUMBO_TAG_FOOTER,   GUMBO_TAG_FORM,     GUMBO_TAG_FRAME,    GUMBO_TAG_FRAMESET,
    GUMBO_TAG_H1,       GUMBO_TAG_H2,       GUMBO_TAG_H3,       GUMBO_TAG_H4,       GUMBO_TAG_H5,
    GUMBO_TAG_H6,       GUMBO_TAG_HEAD,     GUMBO_TAG_HEADER,   GUMBO_TAG_HGROUP,   GUMBO_TAG_HR,
    GUMBO_TAG_HTML,     GUMBO_TAG_IFRAME,   GUMBO_TAG_IMG,      GUMBO_TAG_INPUT,    GUMBO_TAG_ISINDEX,
    GUMBO_TAG_KEYGEN,   GUMBO_TAG_LI,       GUMBO_TAG_LINK,     GUMBO_TAG_LISTING,  GUMBO_TAG_MAIN,
    GUMBO_TAG_MARQUEE,  GUMBO_TAG_MENU,     GUMBO_TAG_MENUITEM, GUMBO_TAG_META,     GUMBO_TAG_NAV,
    GUMBO_TAG_NOEMBED,  GUMBO_TAG_NOFRAMES, GUMBO_TAG_NOSCRIPT, GUMBO_TAG_OBJECT,   GUMBO_TAG_OL,
    GUMBO_TAG_P,        GUMBO_TAG_PARAM,    GUMBO_TAG_PLAINTEXT, GUMBO_TAG_PRE,     GUMBO_TAG_SCRIPT,
    GUMBO_TAG_SECTION,  GUMBO_TAG_SELECT,   GUMBO_TAG_SOURCE,   GUMBO_TAG_STYLE,    GUMBO_TAG_SUMMARY,
    GUMBO_TAG_TABLE,    GUMBO_TAG_TBODY,    GUMBO_TAG_TD,       GUMBO_TAG_TEMPLATE, GUMBO_TAG_TEXTAREA,
    GUMBO_TAG_TFOOT,    GUMBO_TAG_TH,       GUMBO_TAG_THEAD,    GUMBO_TAG_TITLE,    GUMBO_TAG_TR,
    GUMBO_TAG_TRACK,    GUMBO_TAG_UL,       GUMBO_TAG_WBR,      GUMBO_TAG_XMP,      GUMBO_TAG_MI,
    GUMBO_TAG_MO,       GUMBO_TAG_MN,       GUMBO_TAG_MS,       GUMBO_TAG_MTEXT,    GUMBO_TAG_ANNOTATION_XML,
    GUMBO_TAG_FOREIGNOBJECT, GUMBO_TAG_DESC};

// The open elements as the builder could have them. Positions count from
// the bottom; "none" is -1. Formatting elements are not placed: they count
// apart, since the builder rebuilds them wherever the text goes on.
class OpenElements {
 public:
  size_t Depth() const { return stack_.size() + formatting_.Size(); }
  bool InForeignContent() const { return foreign_ > 0; }
  // Whether the builder, before it adds text, looks through the open
  // elements for the latest formatting element.
  bool RebuildsFormatting() const { return formatting_.AnySinceMarker(); }

  // The pairs of attribute names the builder compares for the element (see
  // ActiveFormatting).
  size_t Open(GumboTag tag, const vb::String& name, size_t attributes) {
    if (IsTagIn<kFormatting>(tag)) return formatting_.Add(tag, attributes, stack_.size());
    const long at = static_cast<long>(stack_.size());
    stack_.push_back({tag, tag == GUMBO_TAG_UNKNOWN ? name : vb::String()});
    Of(tag).push_back(at);
    if (tag == GUMBO_TAG_UNKNOWN) unknown_[name].push_back(at);
    if (IsTagIn<kScopeWalls>(tag)) walls_.push_back(at);
    if (IsTagIn<kTableScopeWalls>(tag)) table_walls_.push_back(at);
    if (IsTagIn<kSpecial>(tag)) special_.push_back(at);
    if (IsTagIn<kSpecial>(tag) && tag != GUMBO_TAG_ADDRESS && tag != GUMBO_TAG_DIV && tag != GUMBO_TAG_P)
      special_but_paragraphs_.push_back(at);
    if (IsTagIn<kMarkers>(tag)) formatting_.AddMarker();
    if (tag == GUMBO_TAG_SVG || tag == GUMBO_TAG_MATH) ++foreign_;
    return 0;
  }

  // A formatting element's end tag (or the start tag of an a, `forced`: the
  // builder then takes out the a whatever happened, or of a nobr): the
  // builder adopts what was opened within the latest one of its name since
  // the last marker, moving it past each block opened after it, up to 8. It
  // leaves the list only when it is in scope (no table opened after it) and
  // fewer than 8 blocks stand above it; past 8 its copy stays. The open
  // elements the moves look through are returned.
  size_t CloseFormatting(GumboTag tag, bool forced) {
    const std::optional<size_t> latest = formatting_.LatestSinceMarker(tag);
    if (!latest) return 0;
    const long base = static_cast<long>(formatting_.BaseOf(*latest));
    const bool in_scope = TopWall() < base;
    const auto blocks = static_cast<size_t>(special_.end() - std::lower_bound(special_.begin(), special_.end(), base));
    const size_t looked = kWalksPerAdoptionMove * (in_scope ? std::min(blocks, kMostAdoptionMoves) : 0) * Depth();
    if (forced || (in_scope && blocks < kMostAdoptionMoves)) formatting_.Remove(*latest);
    return looked;
  }
  bool IsFormatting(GumboTag tag) const { return IsTagIn<kFormatting>(tag); }

  // The topmost open element of this name; -1 when none is.
  long Top(GumboTag tag) const {
    const auto& at = positions_[tag];
    return at.empty() ? -1 : at.back();
  }
  long TopHeading() const {
    long top = -1;
    for (GumboTag h : kHeadings) top = std::max(top, Top(h));
    return top;
  }
  long TopNamed(const vb::String& name) const {
    const auto found = unknown_.find(name);
    return found == unknown_.end() || found->second.empty() ? -1 : found->second.back();
  }
  long TopWall() const { return Last(walls_); }
  long TopTableWall() const { return Last(table_walls_); }
  long TopSpecial() const { return Last(special_); }
  long TopSpecialButParagraphs() const { return Last(special_but_paragraphs_); }
  GumboTag Current() const { return stack_.empty() ? GUMBO_TAG_LAST : stack_.back().tag; }

  // Everything from the element at `at` up is closed.
  void CloseFrom(long at) {
    while (static_cast<long>(stack_.size()) > at) {
      const GumboTag tag = stack_.back().tag;
      const long top = static_cast<long>(stack_.size()) - 1;
      Of(tag).pop_back();
      if (tag == GUMBO_TAG_UNKNOWN) unknown_[stack_.back().name].pop_back();
      for (std::vector<long>* list : {&walls_, &table_walls_, &special_, &special_but_paragraphs_})
        if (!list->empty() && list->back() == top) list->pop_back();
      if (IsTagIn<kMarkers>(tag)) formatting_.ClearToMarker();
      if (tag == GUMBO_TAG_SVG || tag == GUMBO_TAG_MATH) --foreign_;
      stack_.pop_back();
    }
  }

 private:
  struct Element {
    GumboTag tag;
    vb::String name;  // an unknown element's
  };
  static long Last(const std::vector<long>& list) { return list.empty() ? -1 : list.back(); }
  std::vector<long>& Of(GumboTag tag) { return positions_[tag]; }

  std::vector<Element> stack_;
  std::array<std::vector<long>, GUMBO_TAG_LAST + 1> positions_;
  std::unordered_map<vb::String, std::vector<long>> unknown_;  // by name
  std::vector<long> walls_, table_walls_, special_, special_but_paragraphs_;
  ActiveFormatting formatting_;
  size_t foreign_ = 0;
};

// False when no p was open to close.
bool CloseParagraph(OpenElements& open) {
  const long p = open.Top(GUMBO_TAG_P);
  if (p <= std::max({open.TopWall(), open.Top(GUMBO_TAG_BUTTON)})) return false;
  open.CloseFrom(p);
  return true;
}

// The start tags that surely close an open element before they open theirs;
// the open elements the builder looks through for an a or nobr it adopts.
size_t CloseBefore(OpenElements& open, GumboTag tag) {
  size_t walked = 0;
  if (tag == GUMBO_TAG_LI) {
    const long li = open.Top(GUMBO_TAG_LI);
    if (li >= 0 && li == open.TopSpecialButParagraphs()) open.CloseFrom(li);
  } else if (tag == GUMBO_TAG_DD || tag == GUMBO_TAG_DT) {
    const long item = std::max(open.Top(GUMBO_TAG_DD), open.Top(GUMBO_TAG_DT));
    if (item >= 0 && item == open.TopSpecialButParagraphs()) open.CloseFrom(item);
  } else if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) {
    const long cell = std::max(open.Top(GUMBO_TAG_TD), open.Top(GUMBO_TAG_TH));
    if (cell >= 0 && cell > open.TopTableWall()) open.CloseFrom(cell);
  } else if (tag == GUMBO_TAG_TR) {
    const long row = open.Top(GUMBO_TAG_TR);
    if (row >= 0 && row > open.TopTableWall()) open.CloseFrom(row);
  } else if ((tag == GUMBO_TAG_OPTION || tag == GUMBO_TAG_OPTGROUP) && open.Current() == GUMBO_TAG_OPTION) {
    open.CloseFrom(open.Top(GUMBO_TAG_OPTION));
  } else if (tag == GUMBO_TAG_A) {
    walked = open.CloseFormatting(GUMBO_TAG_A, true);
  } else if (tag == GUMBO_TAG_NOBR) {
    walked = open.CloseFormatting(GUMBO_TAG_NOBR, false);  // as its end tag would
  }
  if (IsTagIn<kClosesP>(tag)) CloseParagraph(open);
  if (IsTagIn<kHeadings>(tag) && IsTagIn<kHeadings>(open.Current())) open.CloseFrom(open.TopHeading());
  return walked;
}

// False when the builder makes an element for the end tag: a p or a br
// that nothing opened. `walked` grows by the open elements a formatting
// element's adoption looks through.
bool Close(OpenElements& open, GumboTag tag, const vb::String& name, size_t& walked) {
  if (open.IsFormatting(tag)) {
    walked += open.CloseFormatting(tag, false);
    return true;
  }
  if (tag == GUMBO_TAG_P) return CloseParagraph(open);
  if (tag == GUMBO_TAG_FORM) {
    // The builder takes the form out alone: only when it is the current one
    // is that all that is open above it.
    if (open.Current() == GUMBO_TAG_FORM) open.CloseFrom(open.Top(GUMBO_TAG_FORM));
    return true;
  }
  if (tag == GUMBO_TAG_BR) return false;
  if (tag == GUMBO_TAG_BODY || tag == GUMBO_TAG_HTML) return true;
  long at;
  long wall;
  if (IsTagIn<kHeadings>(tag)) {
    at = open.TopHeading();
    wall = open.TopWall();
  } else if (IsTagIn<kTableParts>(tag)) {
    at = open.Top(tag);
    wall = open.TopTableWall();
    if (wall == at) --wall;  // a table's own end tag
  } else if (tag == GUMBO_TAG_LI) {
    at = open.Top(tag);
    wall = std::max({open.TopWall(), open.Top(GUMBO_TAG_OL), open.Top(GUMBO_TAG_UL)});
  } else if (IsTagIn<kSpecial>(tag)) {
    at = open.Top(tag);
    wall = open.TopWall();
    if (wall == at) --wall;  // a wall's own end tag
  } else {
    // Any other end tag: its element, unless a special one stands above it.
    at = tag == GUMBO_TAG_UNKNOWN ? open.TopNamed(name) : open.Top(tag);
    wall = open.TopSpecial();
  }
  if (at >= 0 && at > wall) open.CloseFrom(at);
  return true;
}

}  // namespace

TreeWork CountTreeWork(vb::StringView html, const TreeWork& most) {
  TreeWork work;
  OpenElements open;
  size_t text_start = 0;  // where the text since the last tag starts
  // Before each character of text with formatting active the builder looks
  // through the open elements for the latest formatting element, a quick
  // look that counts an eighth of the others.
  const auto count_text = [&](size_t text_end) {
    if (open.RebuildsFormatting() && text_end > text_start)
      work.walked += (text_end - text_start) * open.Depth() / kTextLooksPerWalk;
  };
  markup::ForEachTag(html, [&](const StartTag& tag, bool end_tag) {
    count_text(tag.start);
    text_start = tag.end;
    ++work.tags;
    // The builder looks through the open elements; the reader compares each
    // attribute's name with those before it.
    const size_t attributes = tag.attributes.size();
    work.walked += open.Depth() + (attributes > 1 ? attributes * (attributes - 1) / 2 : 0);
    const GumboTag kind = TagOfName(tag.name);
    const bool foreign = open.InForeignContent() || kind == GUMBO_TAG_SVG || kind == GUMBO_TAG_MATH;
    if (!end_tag) ++work.made;
    if (end_tag) {
      if (!Close(open, kind, tag.name, work.walked)) work.made += 2;  // made and closed at once
    } else if (IsTagIn<kTableOnly>(kind) && !open.InForeignContent() && open.TopTableWall() < 0) {
      // Ignored: a cell outside a table is no marker that ends the formatting before it.
    } else if ((!IsTagIn<kNeverOpen>(kind) || open.InForeignContent()) && !(foreign && tag.self_closing)) {
      // Within svg or math the builder closes nothing by itself.
      if (!open.InForeignContent()) work.walked += CloseBefore(open, kind);
      work.walked += open.Open(kind, tag.name, attributes);
    } else if (kind == GUMBO_TAG_HR && !open.InForeignContent()) {
      CloseParagraph(open);
    }
    work.depth = std::max(work.depth, open.Depth());
    if (!IsWithin(work, most)) return TagReading::kStop;
    return foreign ? TagReading::kForeignElement : TagReading::kElement;
  });
  if (IsWithin(work, most)) count_text(html.size());
  return work;
}

bool IsWithin(const TreeWork& work, const TreeWork& most) {
  return work.tags <= most.tags && work.depth <= most.depth && work.walked <= most.walked && work.made <= most.made;
}

}  // namespace qe
