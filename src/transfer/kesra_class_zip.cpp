#include "transfer/kesra_class_zip.h"

#include "common/kesra_file_resources.h"
#include "platform/com/enumeration.h"
#include "platform/com/registry.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace qe {

namespace {

constexpr int32_t kTemporaryFolder = 2;
constexpr int32_t kHighCompression = 9;  // the library's high level
constexpr int32_t kZipSuccess = 0;

}  // namespace

Kesra_Class_Zip::Kesra_Class_Zip() : m_Fso(com::CreateObject(u"Scripting.FileSystemObject")) {}

Kesra_Class_Zip::~Kesra_Class_Zip() {
  m_SubFolder = vb::Variant::Nothing();
  m_SubFolders = vb::Variant::Nothing();
  m_Folder = vb::Variant::Nothing();
  m_Zip = vb::Variant::Nothing();
  m_Fso = vb::Variant::Nothing();
}

const vb::Variant& Kesra_Class_Zip::ZipControl() {
  if (!m_Zip.IsObject() || m_Zip.IsNothing()) m_Zip = vb::Variant(com::CreateObject(kZipProgId));
  return m_Zip;
}

bool Kesra_Class_Zip::CompressFile(vb::String p_BasePath, vb::String p_FileList, vb::String p_ZipFile,
                                   vb::String p_PassWord) {
  // An existing archive is not deleted first: on a file system that ignores
  // case, "name.RAR" is also the user's own "name.rar", and a failed pack
  // would leave nothing. The control replaces a zip archive only with a
  // complete one and refuses any other file.
  const vb::Variant& zip = ZipControl();
  vb::Variant temporary = com::Call(m_Fso, u"GetSpecialFolder", kTemporaryFolder);
  com::Let(zip, u"TempFolder", com::ValueOf(temporary));
  com::Let(zip, u"PreservePaths", true);
  com::Let(zip, u"ProcessSubfolders", true);
  com::Let(zip, u"BasePath", p_BasePath);
  com::Let(zip, u"CompressionLevel", kHighCompression);
  com::Let(zip, u"ZipFilename", p_ZipFile);
  for (const vb::String& item : vb::SplitParts(p_FileList, u"|")) com::Call(zip, u"AddFilesToProcess", item);
  if (!vb::Trim(p_PassWord).empty()) com::Let(zip, u"EncryptionPassword", p_PassWord);
  return vb::CLng(com::ValueOf(com::Call(zip, u"Zip"))) == kZipSuccess;
}

void Kesra_Class_Zip::ClearFolder(const vb::String& folder) {
  try {
    com::Call(m_Fso, u"DeleteFile", folder + u"\\*.*", true);
  } catch (const vb::Error&) {
    // An empty folder has no files to delete; a file in use stays.
  }
  try {
    m_Folder = com::Call(m_Fso, u"GetFolder", folder);
    m_SubFolders = com::Call(m_Folder, u"SubFolders");
    m_Index = 0;
    for (const vb::Variant& sub : com::ForEach(m_SubFolders)) {
      m_SubFolder = sub;
      ++m_Index;
      com::Call(m_Fso, u"DeleteFolder", com::ValueOf(m_SubFolder), true);
    }
  } catch (const vb::Error&) {
    // As the deletion of files: what cannot go stays.
  }
}

bool Kesra_Class_Zip::UnCompressFile(vb::String p_ZipFile, vb::String p_UnZipPath, bool p_IsClear,
                                     vb::String p_FileList, vb::String p_PassWord) {
  if (p_IsClear) {
    if (vb::CBool(com::ValueOf(com::Call(m_Fso, u"FolderExists", p_UnZipPath)))) {
      ClearFolder(p_UnZipPath);
    } else {
      com::Call(m_Fso, u"CreateFolder", p_UnZipPath);
    }
  }
  const vb::Variant& zip = ZipControl();
  com::Let(zip, u"PreservePaths", true);
  com::Let(zip, u"UnzipToFolder", p_UnZipPath);
  com::Let(zip, u"ZipFilename", p_ZipFile);
  if (!vb::Trim(p_FileList).empty()) {
    for (const vb::String& item : vb::SplitParts(p_FileList, u"|")) com::Call(zip, u"AddFilesToProcess", item);
  }
  if (!vb::Trim(p_PassWord).empty()) com::Let(zip, u"EncryptionPassword", p_PassWord);
  return vb::CLng(com::ValueOf(com::Call(zip, u"Unzip"))) == kZipSuccess;
}

}  // namespace qe
