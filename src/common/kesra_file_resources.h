#pragma once
// Libraries that the component carries inside itself and installs into the
// system folder. The one it carries is the zip library "XceedZip.dll": on
// this platform the zip class is part of the component, and the library file
// is a class library (sys/register_server.h) that names it, so that
// installing the file and registering it makes the class creatable by name.
#include "platform/vb/variant.h"

namespace qe {

// The zip class as the installed library registers it. The zip class of the
// component registers itself in this process under the same class id.
inline constexpr char16_t kZipProgId[] = u"XceedSoftware.XceedZip";
inline constexpr char16_t kZipClassId[] = u"{6C1A3F0E-8D42-4B7C-9E15-2F60A4D8B301}";

// The component's resource of that name and type, byte for byte (VB's
// LoadResData); error 326 when it carries none.
std::string LoadResData(const vb::Variant& p_ResourceName, vb::StringView p_ResourceType);

// Writes the resource as the whole content of the target file. An existing
// file: false without the overwrite flag, else it is deleted first (false
// when that fails). A missing resource or an unwritable target raises; so
// does a target that another writer made meanwhile (58): a file is never
// half written or written twice.
bool KesraWriteResourceFile(vb::String p_TargetFile, vb::Variant p_ResourceName, vb::String p_ResourceType,
                            bool p_OverWrite);

// For each "|"-listed name missing from the system folder: writes the
// resource there and registers a ".dll". An installed file is never replaced.
// Errors after finding the system folder are ignored (the next call tries again).
void KesraInstallResourceDll(vb::String p_FileList);

}  // namespace qe
