#pragma once
// Kesra_Class_Zip: packs and unpacks zip archives with the zip control of the
// installed zip library. Private: only the archive procedures create one.
#include "platform/vb/variant.h"

namespace qe {

class Kesra_Class_Zip {
 public:
  Kesra_Class_Zip();
  ~Kesra_Class_Zip();
  Kesra_Class_Zip(const Kesra_Class_Zip&) = delete;
  Kesra_Class_Zip& operator=(const Kesra_Class_Zip&) = delete;

  // Packs the "|"-listed files or masks under the base folder, with their
  // subfolders and paths, into the archive; True when the control reports
  // success. An existing archive that is not a zip archive is left alone
  // (False); an existing zip archive is replaced only by a complete one.
  bool CompressFile(vb::String p_BasePath, vb::String p_FileList, vb::String p_ZipFile, vb::String p_PassWord);
  // Unpacks the archive into the destination, first emptying it when asked
  // (or making it, one level, when it is missing). A non-blank list chooses
  // the entries. True when the control reports success.
  bool UnCompressFile(vb::String p_ZipFile, vb::String p_UnZipPath, bool p_IsClear, vb::String p_FileList,
                      vb::String p_PassWord);

 private:
  // The zip control, created on first use through its registered class
  // (error 429 when the library is not installed).
  const vb::Variant& ZipControl();
  void ClearFolder(const vb::String& folder);

  vb::Variant m_Zip;
  vb::Variant m_Fso;
  vb::Variant m_Folder;
  vb::Variant m_SubFolders;
  vb::Variant m_SubFolder;
  int16_t m_Index = 0;
};

}  // namespace qe
