#pragma once
// The stamps of article-like records, in tables of the pages' own:
//
//   DateAndTime, UserName, Part, Ip   the author: 14-digit time, name, department, address
//   LastInfo, LastReviewInfo          the last change and the last reply: time|address|department|name
//   Readers                           the users who read it, each framed by "|": |anna|li|
//
// The setters assign fields of the page's recordset (the page updates it);
// the readers turn stamps into tooltip lines joined by CR LF. What reads the
// user returns at once after the user's error page.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

void QeSetAddInfo(vb::Variant& Request, vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs);
// The address comes from the client (X-Forwarded-For): a "|" in it is written
// as "_", so that the stamp keeps its four fields.
void QeSetEditInfo(vb::Variant& Request, vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs);
void QeSetReviewInfo(vb::Variant& Request, vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs);
// Adds the user to Readers once.
void QeSetReaderInfo(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs);
// The same by SQL on the row whose ID is Request("ID"), from the list the page
// read (p_Readers). Writes nothing unless the trimmed ID is a whole number of
// 32 bits; never raises.
void QeSaveReaderInfo(vb::Variant& Response, vb::Variant& Request, vb::Variant& Session, vb::Variant& p_Conn,
                      vb::String p_TableName, vb::String p_Readers);

vb::String QeGetAddInfo(vb::Variant& Rs);
// A LastInfo of fewer than four fields raises 9.
vb::String QeGetEditInfo(vb::Variant& Rs);
vb::String QeGetReviewInfo(vb::Variant& Rs);

// The read or unread icon of the record for the user.
vb::String QeGetReadInfo(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs);
// The link that opens the record's readers in the page's div dialog
// "divDialogUserList".
vb::String QeGetReadList(vb::Variant& Rs, int16_t p_PopWidth, int16_t p_PopHeight, vb::String p_TableName,
                         int16_t p_DialogCloseByOverly);

}  // namespace qe
