#pragma once
// A list as a spreadsheet download: an HTML table that spreadsheet programs
// open, sent as an Excel attachment named after the list's title. The pieces
// one by one, and the whole export in one call.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// "<head><title>" + the system title + "</title></head>".
vb::String KesraShowExcelHeader();
// Opens the table (the footer closes it) with the title row across the columns.
vb::String KesraShowExcelTop(int16_t p_ColspanNumber, vb::String p_Title);
// A header row of caption|colspan|rowspan items joined by p_Delimiter (the
// spans may be left out); "" for an empty list.
vb::String KesraShowExcelTableHeader(vb::String p_TableHeaderList, vb::String p_Delimiter);
// The footer row naming the source and the export time; closes the table.
vb::String KesraShowExcelBottom(int16_t p_ColspanNumber);

// Sets the response's content type and attachment name (before any body has
// gone out: else the response's error), and returns head, title row, the
// header rows of the non-empty lists, p_Content (the data rows the page built)
// and the footer. Rs and Conn are closed and released on the way.
vb::String KesraShowExcel(vb::Variant& Conn, vb::Variant& Rs, vb::Variant& Response, vb::String p_Title,
                          int16_t p_ColCount, vb::String p_Content, vb::String p_ContentHeader1,
                          vb::String p_ContentHeader2);

}  // namespace qe
