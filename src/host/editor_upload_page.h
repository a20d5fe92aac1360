#pragma once
// The rich-text editor's upload page, "/comm_qeeditor/upload.asp": what the
// editor sends from its dialogs, its pasted pictures and its foreign image
// addresses, answered in JSON (ASCII, other characters as \u escapes).
//
// - A multipart POST with DialogType "all" (attachments) or "pic" (pictures)
//   and SaveUpFilesPath "/Data_UploadFiles/" + one plain folder name (or
//   none) goes through CommFileUpload into that folder; the answer is an
//   array with, per file, {"url","name"} or {"error"}.
// - A multipart POST without a query is a pasted picture (one part "file[]"
//   without a file name): saved under a generated name with the extension of
//   the picture kind its bytes show, in the one folder kept for them.
// - A form-encoded POST with "qeEditor-img" (a foreign picture address) is
//   fetched through CommSaveRemoteFile (public http and https servers only,
//   a picture only, within a deadline under the editor's 15 seconds) into
//   the same folder as pasted pictures; the answer is one object, {"url"}
//   or {"error"}.
//
// Only POSTs from the site's own pages (CommCheckPost) that carry the header
// X-Requested-With: XMLHttpRequest are taken, and only from a user the site's
// login step admits (a session that stands for its account, with a password
// set); anyone else gets an error entry, which the editor shows.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kEditorUploadPage[] = u"/comm_qeeditor/upload.asp";

// Where pasted and foreign pictures are kept, and the size limits in megabytes.
// All editor uploads of the site share one room (EditorUploadRoom), counted
// by entries as a drive's quota is: a request whose files could pass it is
// refused whole before it writes.
inline constexpr char16_t kPastedPictureFolder[] = u"/Data_UploadFiles/QeEditor/";
inline constexpr int32_t kAttachmentTotalMb = 50, kAttachmentSingleMb = 20;
inline constexpr int32_t kPictureTotalMb = 20, kPictureSingleMb = 5;
inline constexpr int32_t kPastedPictureMb = 10;

void EditorUploadPage(Page& page);

}  // namespace host
