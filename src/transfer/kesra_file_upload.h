#pragma once
// The one call with which a page receives an upload: parse the request, save
// every file into one folder of the site, and report in one text.
//
// The report: for each file "Success|client name|saved name|size$" or
// "Error|why$" ("Error|key$" for an entry that is no file); for a refused
// upload the single item "Error|description$" (its "|" as ","); then "#" and
// the values of the fields named in `p_UploadFileInfoList`, "|"-separated.
#include <functional>
#include <vector>

#include "platform/vb/variant.h"

namespace qe {

vb::String KesraFileUpload(vb::Variant& Server, vb::Variant& Request, vb::String p_UploadFileExt,
                           double p_UploadFileMaxSize, double p_UploadFileSingleSize, vb::String p_UploadFilePath,
                           int16_t p_UploadFileRenameOption, bool p_UploadFileOverWrite,
                           vb::String p_UploadFileInfoList, vb::String p_CharSet);

// Asked once the body is parsed and within the limits, before the folder is
// made or any file written, with the size in bytes of each file the upload
// would save: an empty text lets it go on; any other refuses the whole
// upload, as the report's one item "Error|text$".
using UploadAdmission = std::function<vb::String(const std::vector<double>& file_sizes)>;

// KesraFileUpload for a caller that keeps a room of its own: `admit` decides
// whether the files fit before anything is written.
vb::String KesraFileUploadAdmitted(vb::Variant& Server, vb::Variant& Request, vb::String p_UploadFileExt,
                                   double p_UploadFileMaxSize, double p_UploadFileSingleSize,
                                   vb::String p_UploadFilePath, int16_t p_UploadFileRenameOption,
                                   bool p_UploadFileOverWrite, vb::String p_UploadFileInfoList, vb::String p_CharSet,
                                   const UploadAdmission& admit);

}  // namespace qe
