#pragma once
// The form sample, "/qe/form_sample.asp": one row of a small table of its
// own in the main database ([FormSample], made with its row on first use),
// edited through the component's field cells: a text box, a date box, the
// departments' list, a check box, a text area, a check-box group, a number
// and the rich-text editor. A POST saves the posted values and leads back to
// the form.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kFormSamplePage[] = u"/qe/form_sample.asp";

void FormSamplePage(Page& page);

}  // namespace host
