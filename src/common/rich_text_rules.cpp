#include "common/rich_text_rules.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string>

#include "common/page_address.h"
#include "common/tag_names.h"
#include "platform/vb/string.h"

namespace qe::rich_text {
namespace {

// What a document editor makes, with the attributes each may carry.
const AllowedElement kAllowed[] = {
    {GUMBO_TAG_P, {}},          {GUMBO_TAG_DIV, {}},        {GUMBO_TAG_SPAN, {}},
    {GUMBO_TAG_BR, {}},         {GUMBO_TAG_HR, {"size", "width", "noshade", "color"}},
    {GUMBO_TAG_B, {}},          {GUMBO_TAG_STRONG, {}},     {GUMBO_TAG_I, {}},
    {GUMBO_TAG_EM, {}},         {GUMBO_TAG_U, {}},          {GUMBO_TAG_S, {}},
    {GUMBO_TAG_STRIKE, {}},     {GUMBO_TAG_DEL, {}},        {GUMBO_TAG_INS, {}},
    {GUMBO_TAG_SUB, {}},        {GUMBO_TAG_SUP, {}},        {GUMBO_TAG_SMALL, {}},
    {GUMBO_TAG_BIG, {}},        {GUMBO_TAG_FONT, {"color", "face", "size"}},
    {GUMBO_TAG_H1, {}},         {GUMBO_TAG_H2, {}},         {GUMBO_TAG_H3, {}},
    {GUMBO_TAG_H4, {}},         {GUMBO_TAG_H5, {}},         {GUMBO_TAG_H6, {}},
    {GUMBO_TAG_BLOCKQUOTE, {}}, {GUMBO_TAG_PRE, {}},        {GUMBO_TAG_CODE, {}},
    {GUMBO_TAG_TT, {}},         {GUMBO_TAG_KBD, {}},        {GUMBO_TAG_SAMP, {}},
    {GUMBO_TAG_VAR, {}},        {GUMBO_TAG_Q, {}},          {GUMBO_TAG_CITE, {}},
    {GUMBO_TAG_ABBR, {}},       {GUMBO_TAG_DFN, {}},        {GUMBO_TAG_MARK, {}},
    {GUMBO_TAG_CENTER, {}},     {GUMBO_TAG_ADDRESS, {}},    {GUMBO_TAG_WBR, {}},
    {GUMBO_TAG_UL, {"type"}},   {GUMBO_TAG_OL, {"start", "type", "reversed"}},
    {GUMBO_TAG_LI, {"value", "type"}},
    {GUMBO_TAG_DL, {}},         {GUMBO_TAG_DT, {}},         {GUMBO_TAG_DD, {}},
    {GUMBO_TAG_TABLE, {"border", "cellpadding", "cellspacing", "width", "height", "bgcolor"}},
    {GUMBO_TAG_CAPTION, {}},    {GUMBO_TAG_COLGROUP, {"span", "width"}},
    {GUMBO_TAG_COL, {"span", "width"}},
    {GUMBO_TAG_THEAD, {"valign"}}, {GUMBO_TAG_TBODY, {"valign"}}, {GUMBO_TAG_TFOOT, {"valign"}},
    {GUMBO_TAG_TR, {"valign", "height", "bgcolor"}},
    {GUMBO_TAG_TH, {"colspan", "rowspan", "width", "height", "valign", "bgcolor", "nowrap"}},
    {GUMBO_TAG_TD, {"colspan", "rowspan", "width", "height", "valign", "bgcolor", "nowrap"}},
    {GUMBO_TAG_A, {"href", "target", "download"}},
    {GUMBO_TAG_IMG, {"src", "alt", "width", "height", "border", "hspace", "vspace"}},
};
constexpr const char* kEveryElement[] = {"title", "style", "class", "align", "dir", "lang"};

constexpr GumboTag kVoid[] = {GUMBO_TAG_BR, GUMBO_TAG_HR, GUMBO_TAG_IMG, GUMBO_TAG_COL, GUMBO_TAG_WBR};

// What a style value may not hold: whatever loads (url( and the image
// functions that take a plain string), runs (expression, bindings), or could
// spell either out (escapes, comments).
constexpr std::string_view kStyleRefused[] = {"url(",     "expression", "image-set(", "image(", "cross-fade(",
                                              "element(", "src(",       "@import",    "behavior", "binding",
                                              "\\",       "/*"};

bool IsHarmlessStyle(std::string_view value) {
  std::string lower(value);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
  for (std::string_view refused : kStyleRefused)
    if (lower.find(refused) != std::string::npos) return false;
  return true;
}

}  // namespace

const AllowedElement* Allowed(GumboTag tag) {
  // Looked up, not searched: a check of written text asks it at every tag.
  static const std::array<const AllowedElement*, GUMBO_TAG_LAST + 1> kByTag = [] {
    std::array<const AllowedElement*, GUMBO_TAG_LAST + 1> by_tag{};
    for (const AllowedElement& element : kAllowed) by_tag[element.tag] = &element;
    return by_tag;
  }();
  return kByTag[tag];
}

bool IsVoid(GumboTag tag) { return IsTagIn<kVoid>(tag); }

bool Keeps(const AllowedElement& element, std::string_view name, std::string_view value) {
  const bool listed = std::any_of(std::begin(kEveryElement), std::end(kEveryElement),
                                  [&](const char* n) { return name == n; }) ||
                      std::any_of(element.attributes.begin(), element.attributes.end(),
                                  [&](const char* n) { return name == n; });
  if (!listed) return false;
  if (name == "href" || name == "src") return IsPageAddress(vb::FromUtf8(value));
  if (name == "target") return value == "_blank";
  if (name == "style") return IsHarmlessStyle(value);
  return true;
}

}  // namespace qe::rich_text
