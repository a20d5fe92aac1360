#pragma once
// Client scripts for a live clock, a waiting layer with a growing bar, and
// loading an address into an element of the page in the background.
#include "platform/vb/variant.h"

namespace qe {

// ShowDateAndTimeScript(): the date, weekday, time and part of the day in
// the element "liveclock", once a second; `p_OtherShow` runs each time.
vb::String KesraScriptShowDateAndTime(vb::String p_OtherShow);
// The waiting layer, shown by a click on or inside an element marked
// IsShowProcessBar="True": AddProcessbar, CheckIsProcessBar, CheckClick.
vb::String KesraScriptShowProcessBar();
// ShowAjax(p_ObjectID, p_Url): GET.
vb::String KesraAjaxGet();
// ShowAjax(p_ObjectID, p_Url, p_PostStr): POST of a form-encoded body.
vb::String KesraAjaxPost();

}  // namespace qe
