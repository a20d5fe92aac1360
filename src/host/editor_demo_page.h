#pragma once
// A plain page that shows the rich-text editor at work: a form with two
// editors (the editor's script written before each, as form cells write it)
// that posts to itself and shows what arrived, HTML-encoded. "?readable=1"
// writes the readable script instead of the one-line form.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kEditorDemoPage[] = u"/comm_qeeditor/demo.asp";

void EditorDemoPage(Page& page);

}  // namespace host
