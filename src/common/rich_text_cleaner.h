#pragma once
// The one cleaner of the HTML a rich-text field stores: the text is read as a
// browser reads it (gumbo, in a body) and written back with only what a
// document editor makes. Nothing it writes loads, runs or navigates by itself.
//
// Kept, with these attributes (and title, style, class, align, dir and lang
// on each):
//   text      p div span br hr(size width noshade color) b strong i em u s
//             strike del ins sub sup small big font(color face size) h1-h6
//             blockquote pre code tt kbd samp var q cite abbr dfn mark center
//             address wbr
//   lists     ul(type) ol(start type reversed) li(value type) dl dt dd
//   tables    table(border cellpadding cellspacing width height bgcolor)
//             caption colgroup(span width) col(span width) thead tbody
//             tfoot(valign) tr(valign height bgcolor) th td(colspan rowspan
//             width height valign bgcolor nowrap)
//   links     a(href target="_blank" download)
//   pictures  img(src alt width height border hspace vspace)
// href and src only when IsPageAddress allows them; style only without
// url(, expression, image sets, imports, bindings, escapes or comments.
// Dropped with what they hold: script, style, template, noscript, iframe,
// frame(set), noframes, object, embed, applet, param, meta, link, base,
// title, head, svg and math content, canvas, form controls and raw-text
// elements. Any other element (form, audio, video, marquee, unknown ones)
// gives way to what it holds. Comments, event attributes, srcset, id, name
// and every other attribute are dropped.
#include <optional>

#include "platform/vb/string.h"

namespace qe {

// The kept markup: elements in lower case, attribute values in double quotes,
// text and values escaped ("&", "<", ">", U+00A0 as &nbsp;, characters code
// page 936 cannot hold as numeric references, control characters left out),
// line breaks in text as CR LF. What an editor writes, and what the cleaner
// wrote from it, comes back unchanged; what the cleaner wrote is known as
// such in one pass and not read again. Nothing when the text is past what
// the cleaner reads in bounded time and memory: 100,000 tags, start and end,
// a depth of 256 open elements (formatting left open included), more than 6
// open elements met by its tags (or pairs of attribute names the reader
// compares: a tag's own, and a formatting element's with those of each
// earlier one of its name) a character, more than one element made in 12
// characters or 50,000 in all (all counted before the text is read, and again
// on what it writes), or a tree past its memory; an editor's document is far
// within them.
std::optional<vb::String> CleanRichText(vb::StringView html);

// For a page that writes stored rich text: CleanRichText, or the whole text
// shown as text when it cannot be read.
vb::String CleanRichTextOrText(vb::StringView html);

}  // namespace qe
