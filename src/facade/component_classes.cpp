#include "facade/component_classes.h"

#include <atomic>
#include <dlfcn.h>
#include <mutex>

#include "common/kesra_class_md5.h"
#include "common/kesra_file_resources.h"
#include "platform/zip/xceed_zip.h"
#include "facade/qecls.h"
#include "transfer/kesra_class_image.h"
#include "transfer/kesra_class_upload_file.h"
#include "transfer/kesra_class_upload_file_ex.h"
#include "transfer/kesra_upload_image.h"

namespace qe {
namespace {

constexpr int32_t kOk = 0;
constexpr int32_t kFalse = 1;
constexpr int32_t kClassNotAvailable = static_cast<int32_t>(0x80040111u);  // CLASS_E_CLASSNOTAVAILABLE
constexpr int32_t kRegistryFailure = static_cast<int32_t>(0x80040154u);    // REGDB_E_CLASSNOTREG

std::string LibraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) && info.dli_fname) return info.dli_fname;
  return {};
}

}  // namespace

const std::vector<PublicClass>& PublicClasses() {
  static const std::vector<PublicClass> classes = {
      {u"QE.QeCls", u"{7A3C2E51-0B1D-4C6E-9F20-5D8E41A7C001}",
       [] { return std::static_pointer_cast<com::Object>(std::make_shared<QeCls>()); }},
      {u"QE.Kesra_Class_Md5", u"{7A3C2E51-0B1D-4C6E-9F20-5D8E41A7C00D}",
       [] { return std::static_pointer_cast<com::Object>(std::make_shared<Kesra_Class_Md5>()); }},
      {u"QE.Kesra_Class_Image", u"{7A3C2E51-0B1D-4C6E-9F20-5D8E41A7C00E}",
       [] { return std::static_pointer_cast<com::Object>(std::make_shared<Kesra_Class_Image>()); }},
      {u"QE.Kesra_Class_UploadFile", u"{A54FE9CD-A0C5-4F63-9D9A-AE2D3D1774E0}",
       [] { return std::static_pointer_cast<com::Object>(std::make_shared<Kesra_Class_UploadFile>()); }},
      {u"QE.Kesra_Class_UploadFileEx", u"{ABB2EA7D-169B-42E7-8993-54FB42A3FCD0}",
       [] { return std::static_pointer_cast<com::Object>(std::make_shared<Kesra_Class_UploadFileEx>()); }},
      {u"QE.Kesra_Class_UploadFileEmpty", u"{137E7F37-A971-44E5-8E70-6D7B2FD86AA2}",
       [] { return std::static_pointer_cast<com::Object>(std::make_shared<Kesra_Class_UploadFileEmpty>()); }},
      {u"QE.Kesra_UploadImage", u"{7CD52EA5-9FD3-455B-B1F2-8B96540C22E5}",
       [] { return std::static_pointer_cast<com::Object>(std::make_shared<Kesra_UploadImage>()); }},
      {u"QE.Kesra_UpLoadImageData", u"{3A753892-68C6-48A7-8B1B-8D07E68C3F22}",
       [] { return std::static_pointer_cast<com::Object>(std::make_shared<Kesra_UpLoadImageData>()); }},
  };
  return classes;
}

void RegisterComponentClasses() {
  for (const auto& c : PublicClasses()) com::RegisterClass({c.prog_id, c.class_id, c.factory});
  // The zip class that the carried zip library registers under its class id:
  // creatable by the library's ProgID once the library is installed.
  com::RegisterClass({u"QE.XceedZip", kZipClassId, ziparc::CreateXceedZip});
}


}  // namespace qe

extern "C" int32_t DllRegisterServer() {
  try {
    std::vector<com::RegistryRecord> records;
    std::string library = qe::LibraryPath();
    for (const auto& c : qe::PublicClasses()) records.push_back({c.prog_id, c.class_id, library});
    com::WriteRegistry(records, {});
    return qe::kOk;
  } catch (...) {
    return qe::kRegistryFailure;
  }
}

extern "C" int32_t DllUnregisterServer() {
  try {
    std::vector<vb::String> names;
    for (const auto& c : qe::PublicClasses()) names.push_back(c.prog_id);
    com::WriteRegistry({}, names);
    return qe::kOk;
  } catch (...) {
    return qe::kRegistryFailure;
  }
}

extern "C" int32_t DllGetClassObject(const char16_t* class_id, const char16_t*, void** factory) {
  if (!factory) return qe::kClassNotAvailable;
  *factory = nullptr;
  for (const auto& c : qe::PublicClasses()) {
    if (class_id && vb::EqualsNoCase(c.class_id, class_id)) {
      *factory = const_cast<com::Factory*>(&c.factory);
      return qe::kOk;
    }
  }
  return qe::kClassNotAvailable;
}

extern "C" int32_t DllCanUnloadNow() { return com::LiveObjects() == 0 ? qe::kOk : qe::kFalse; }
