#include "common/kesra_file_resources.h"

#include "common/kesra_file_operations.h"
#include "platform/com/registry.h"
#include "platform/fs/file.h"
#include "platform/sys/register_server.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace qe {

namespace {

constexpr int32_t kResourceNotFound = 326;

struct Resource {
  const char16_t* name;
  const char16_t* type;
  std::string bytes;
};

const std::vector<Resource>& Resources() {
  static const std::vector<Resource> resources = {
      {u"XceedZip.dll", u"CUSTOM", sys::ClassLibraryText({{kZipProgId, kZipClassId}})},
  };
  return resources;
}

}  // namespace

std::string LoadResData(const vb::Variant& p_ResourceName, vb::StringView p_ResourceType) {
  vb::String name = vb::CStr(p_ResourceName);
  for (const Resource& resource : Resources()) {
    if (vb::EqualsNoCase(resource.name, name) && vb::EqualsNoCase(resource.type, p_ResourceType)) return resource.bytes;
  }
  vb::Raise(kResourceNotFound, u"Resource with identifier '" + name + u"' not found");
}

bool KesraWriteResourceFile(vb::String p_TargetFile, vb::Variant p_ResourceName, vb::String p_ResourceType,
                            bool p_OverWrite) {
  if (KesraFileExist(p_TargetFile, 0)) {
    if (!p_OverWrite || !KesraFileDelete(p_TargetFile, true)) return false;
  }
  std::string bytes = LoadResData(p_ResourceName, p_ResourceType);
  if (!fs::WriteNewFile(p_TargetFile, bytes)) {
    vb::Raise(vb::kFileAlreadyExists, u"Another writer made " + p_TargetFile + u" meanwhile");
  }
  return true;
}

void KesraInstallResourceDll(vb::String p_FileList) {
  if (p_FileList.empty()) return;
  vb::Variant fso(com::CreateObject(u"Scripting.FileSystemObject"));
  vb::String system_folder = vb::CStr(com::ValueOf(com::Call(fso, u"GetSpecialFolder", int32_t{1})));
  fso = vb::Variant::Nothing();
  for (const vb::String& name : vb::SplitParts(p_FileList, u"|")) {
    vb::String target = vb::Replace(system_folder + u"\\" + name, u"\\\\", u"\\");
    try {
      if (KesraFileExist(target, 0)) continue;
      KesraWriteResourceFile(target, name, u"CUSTOM", false);
      // "regsvr32 /s" of this platform: done at once, its outcome not checked.
      if (vb::LCase(vb::Right(vb::Trim(name), 4)) == u".dll") sys::RegisterServer(target);
    } catch (const vb::Error&) {
      // A failed installation is silent; the next QeCls tries again.
    }
  }
}

}  // namespace qe
