#pragma once
// The rich-text editor that pages embed: one script element that defines the
// global factory qe.editor(id, callback), with the editor's stylesheet and
// icon sprite inside it as script literals. Every call gives the same text.
#include "platform/vb/string.h"

namespace qe {

// The readable script: an empty line, "<script>", the script's lines and
// "</script>", each line ended by CR LF whatever `p_EndChar` holds.
vb::String KesraQeEditorJs(vb::String p_EndChar = u"\r\n");

// `p_SetEditorJs` (the readable script when it is "") squeezed into one line:
// tabs and runs of blanks become one blank, whole-line "//" comments and
// comments after "; ", "{ " or "} " are cut, and line breaks are removed.
vb::String KesraQeEditorMiniJs(vb::String p_SetEditorJs = u"");

// The minified readable script: what pages embed, "<script>...</script>" on
// one line.
vb::String KesraQeEditorAllJs();

// The stylesheet and the icon sprite ("<svg>" with 44 symbols), neither with
// a quote, backslash, tab, line break or two blanks in a row.
vb::String KesraQeEditorCss();
vb::String KesraQeEditorSvg();

}  // namespace qe
