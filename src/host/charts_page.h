#pragma once
// The charts page (/qe/charts.asp): the VML page head, the bar, line, pie and
// interactive line charts of one table of monthly figures, and the same
// figures as a chart picture made on the server and shown as an image.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kChartsPage[] = u"/qe/charts.asp";

// The query value "title" names the interactive chart (HTML-encoded here).
void ChartsPage(Page& page);

}  // namespace host
