#pragma once
// The zip class of the carried zip library ("XceedZip"), late-bound: the
// properties and methods that the component uses, on libzip.
//
// Zip and Unzip return 0 for success and a ZipResult code otherwise; the
// files added with AddFilesToProcess are used by the next Zip or Unzip and
// then forgotten.
#include "platform/com/object.h"
#include "platform/zip/zip_results.h"

namespace ziparc {

class XceedZip : public com::Dispatch<XceedZip> {
 public:
  static const com::MemberTable<XceedZip>& Members();
  vb::String TypeName() const override { return u"XceedZip"; }

  // Kept for callers; the archive's temporary file is written on the
  // archive's file system instead, so that it is renamed into place in one step.
  vb::String temp_folder;
  bool preserve_paths = true;
  bool process_subfolders = false;
  vb::String base_path;
  vb::String zip_filename;
  vb::String unzip_to_folder;
  vb::String encryption_password;

  int32_t CompressionLevel() const { return compression_level_; }
  // Deflate levels 0 (stored) to 9; anything else raises 380.
  void CompressionLevel(int32_t level);
  // A file name or wildcard mask: under BasePath for Zip; matched against the
  // entries' paths or names for Unzip.
  void AddFilesToProcess(vb::StringView spec);
  ZipResult Zip();
  ZipResult Unzip();

 private:
  int32_t compression_level_ = 6;
  std::vector<vb::String> files_;
};

com::ObjectPtr CreateXceedZip();

}  // namespace ziparc
