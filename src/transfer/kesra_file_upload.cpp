#include "transfer/kesra_file_upload.h"

#include <utility>

#include "platform/fs/file_write.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "transfer/kesra_class_upload_file.h"
#include "transfer/kesra_class_upload_file_ex.h"
#include "transfer/upload_names.h"
#include "platform/com/variant_property.h"

namespace qe {
namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

vb::String SaveReport(Kesra_Class_UploadFile& upload, vb::Variant& server, const vb::String& folder,
                      int16_t rename_option, bool overwrite) {
  vb::String report;
  for (const auto& [key, entry] : upload.FileTable().Entries()) {
    auto file = std::dynamic_pointer_cast<Kesra_Class_UploadFileEx>(entry.GetObject());
    if (!file) {
      report += u"Error|" + ReportSafe(vb::CStr(key)) + u"$";
    } else if (file->SavetoFile(server, folder, rename_option, overwrite)) {
      report += u"Success|" + vb::CStr(file->LocalName) + u"|" + vb::CStr(file->FileName) + u"|" +
                vb::CStr(file->Size) + u"$";
    } else {
      report += u"Error|" + ReportSafe(file->Exception()) + u"$";
    }
  }
  return report;
}

// What `admit` says of the files the upload holds; empty without one.
vb::String Refusal(const Kesra_Class_UploadFile& upload, const UploadAdmission& admit) {
  if (!admit) return {};
  std::vector<double> sizes;
  for (const auto& [key, entry] : upload.FileTable().Entries())
    if (auto file = std::dynamic_pointer_cast<Kesra_Class_UploadFileEx>(entry.GetObject()))
      sizes.push_back(vb::CDbl(com::ValueOf(file->Size)));
  return admit(sizes);
}

}  // namespace

vb::String KesraFileUpload(vb::Variant& Server, vb::Variant& Request, vb::String p_UploadFileExt,
                           double p_UploadFileMaxSize, double p_UploadFileSingleSize, vb::String p_UploadFilePath,
                           int16_t p_UploadFileRenameOption, bool p_UploadFileOverWrite,
                           vb::String p_UploadFileInfoList, vb::String p_CharSet) {
  return KesraFileUploadAdmitted(Server, Request, std::move(p_UploadFileExt), p_UploadFileMaxSize,
                                 p_UploadFileSingleSize, std::move(p_UploadFilePath), p_UploadFileRenameOption,
                                 p_UploadFileOverWrite, std::move(p_UploadFileInfoList), std::move(p_CharSet), {});
}

vb::String KesraFileUploadAdmitted(vb::Variant& Server, vb::Variant& Request, vb::String p_UploadFileExt,
                                   double p_UploadFileMaxSize, double p_UploadFileSingleSize,
                                   vb::String p_UploadFilePath, int16_t p_UploadFileRenameOption,
                                   bool p_UploadFileOverWrite, vb::String p_UploadFileInfoList, vb::String p_CharSet,
                                   const UploadAdmission& admit) {
  auto upload = std::make_shared<Kesra_Class_UploadFile>();
  upload->SetExe(p_UploadFileExt);
  upload->MaxSize = p_UploadFileMaxSize * kMegabyte;
  upload->SingleSize = p_UploadFileSingleSize * kMegabyte;
  upload->CharSet = p_CharSet;
  upload->GetData(Request);

  vb::String report;
  vb::String refused;
  if (upload->ErrorID() > 0) {
    report = u"Error|" + vb::Replace(upload->Description(), u"|", u",") + u"$";
  } else if (!(refused = Refusal(*upload, admit)).empty()) {
    report = u"Error|" + vb::Replace(refused, u"|", u",") + u"$";
  } else {
    vb::String folder = VariantText(com::Call(Server, u"MapPath", p_UploadFilePath));
    if (!fs::IsExistingFolder(folder)) {
      try {
        fs::CreateFolderWithParents(folder);
      } catch (const vb::Error&) {
        // Each save then fails in the missing folder and reports why.
      }
    }
    report = SaveReport(*upload, Server, p_UploadFilePath, p_UploadFileRenameOption, p_UploadFileOverWrite);
  }

  vb::String values;
  vb::String names = vb::Trim(p_UploadFileInfoList);
  if (!names.empty()) {
    for (const vb::String& name : vb::SplitParts(names, u"|")) values += u"|" + vb::CStr(upload->Forms(name));
    values.erase(0, 1);
  }
  return report + u"#" + values;
}

}  // namespace qe
