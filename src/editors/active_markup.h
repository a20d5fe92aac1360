#pragma once
// The markup guard: what the script filter and the UBB converters return is
// made inert for a browser, changing only what could run.
#include <span>

#include "platform/vb/string.h"

namespace qe::markup {

// A handler attribute the guard keeps: its name and its exact value, as the
// browser decodes it.
struct KeptHandler {
  const char16_t* name;
  const char16_t* value;
};

// The text with, as a browser's tokenizer reads it:
//  - the tags of script, noscript, template, base, meta, link, svg, math,
//    frame, frameset and applet shown as text ("<" as "&lt;"), wherever they
//    stand; so are iframe, xmp, noembed, noframes, title and plaintext after a
//    select, whose old parsers ignore them there and read their content as
//    markup;
//  - every "on..." attribute but the kept ones renamed "&#111n..." (no
//    browser knows that name);
//  - srcdoc, and the address attributes (href, src, action, formaction, data,
//    codebase, background, poster, xlink:href, a param's value) whose scheme
//    is not allowed (IsAllowedAddress), removed.
// NUL characters are dropped; everything else comes out as it stands. The result reads the same again:
// the guard repeats until a pass changes nothing.
vb::String NeutralizeActiveMarkup(vb::StringView text, std::span<const KeptHandler> kept = {});

// The guard for what a user typed: also the tags of the elements that load
// or send by themselves, iframe, object, embed and form, shown as text
// (the converters' own player templates write objects and embeds after it).
vb::String NeutralizeTypedMarkup(vb::StringView text);

}  // namespace qe::markup
