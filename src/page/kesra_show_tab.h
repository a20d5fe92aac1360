#pragma once
// A tab strip: its style sheet and switching script, and the strip with its
// content boxes. Titles and contents are HTML, written as given.
#include "platform/vb/variant.h"

namespace qe {

// The tab styles (p_BgColor, when given, as the background of the wrapper
// and the lists) and the client function showBlockTabN(iTabnum, iTabcnt).
vb::String KesraShowTab(vb::String p_BgColor);

// KesraShowTab's text, then one tab per title (links sTabmenu_i) and one box
// per title (dTabcontent_i) holding the content of the same number; the first
// is current and shown. Either argument that is not an array raises 13, a
// content array shorter than the titles 9.
vb::String KesraShowTabAndContent(vb::String p_BgColor, vb::Variant& p_ArrayTabTitle,
                                  vb::Variant& p_ArrayTabContent, vb::String p_TabWidth, vb::String p_TabHeight);

}  // namespace qe
