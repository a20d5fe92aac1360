#pragma once
// The script blocks the drive's actions answer with.
#include "platform/vb/variant.h"

namespace qe::netdrive {

// Alerts the message and steps back in the browser's history, then ends the
// response. `open` and `close` are the block's tags as the action writes them.
void RefuseAndGoBack(vb::Variant& Response, vb::StringView message, vb::StringView open = u"<script language='javascript'>",
                     vb::StringView close = u"</script>");
// The usual answer: the alert, then back to the drive page in the folder.
void AlertAndReturn(vb::Variant& Response, vb::StringView message, vb::StringView folder,
                    vb::StringView open = u"<script language='javascript'>");
void Write(vb::Variant& Response, vb::StringView text);

// The copy's refusal once the drive holds its quota.
vb::String QuotaAlert(int16_t quota);

}  // namespace qe::netdrive
