#pragma once
// The network drive's actions: rename, create or delete one entry, delete a
// selection, and put a selection on the clipboard. Each works on the session
// user's own drive only, answers with a script that alerts the outcome and
// sends the browser back to the drive page "netdrivers.asp", and refuses a
// path that would leave the drive, or reach its root or the current folder
// where an entry is meant, with the action's own illegal-name text.
#include "platform/vb/variant.h"

namespace qe {

// p_Act "ReNameFile" or "ReNameFolder"; the names come from Request("p_OldName")
// and Request("p_NewName").
void QeNetDriversReName(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response, vb::Variant& Request,
                        vb::String p_CurrentFolder, vb::String p_Act);
// p_Act "DelFolder", "DelFile", "CreateFolder" (the name may be a chain) or
// "CreateFile"; the entry is the current folder & p_CurrentFile.
void QeNetDriversCreateOrDel(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response, vb::Variant& Request,
                             vb::String p_CurrentFolder, vb::String p_CurrentFile, vb::String p_Act);
// p_Act "DelBatch": deletes the checked Folders and Files of the list form;
// "已删除!" only when every one is gone, else the names left and "删除失败!".
void QeNetDriversDelBatch(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response, vb::Variant& Request,
                          vb::String p_CurrentFolder, vb::String p_Act);
// p_Act "copy" or "cut": the selection of Request("p_CopyType") (0 the list
// form, 1 one file, 2 one folder) replaces the clipboard. A copy is refused
// once the drive holds its quota.
void QeNetDriversCopyCut(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response, vb::Variant& Request,
                         vb::String p_CurrentFolder, vb::String p_Act);

}  // namespace qe
