#include "platform/zip/xceed_zip.h"

#include "platform/text/ansi.h"
#include "platform/vb/error.h"
#include "platform/zip/zip_reader.h"
#include "platform/zip/zip_writer.h"

namespace ziparc {

namespace {

constexpr int32_t kInvalidPropertyValue = 380;

template <class Get>
com::MemberTable<XceedZip>::Entry Getter(const char16_t* name, Get get) {
  return {name, com::kGet, 0, 0, [get](XceedZip& z, com::ArgList&) { return vb::Variant(get(z)); }};
}

com::MemberTable<XceedZip>::Entry TextProperty(const char16_t* name, vb::String XceedZip::*field) {
  return {name, com::kLet, 1, 1, [field](XceedZip& z, com::ArgList& a) {
            z.*field = vb::CStr(com::ValueOf(a[0]));
            return vb::Variant();
          }};
}

com::MemberTable<XceedZip>::Entry BooleanProperty(const char16_t* name, bool XceedZip::*field) {
  return {name, com::kLet, 1, 1, [field](XceedZip& z, com::ArgList& a) {
            z.*field = vb::CBool(com::ValueOf(a[0]));
            return vb::Variant();
          }};
}

}  // namespace

void XceedZip::CompressionLevel(int32_t level) {
  if (level < 0 || level > 9) vb::Raise(kInvalidPropertyValue, u"Invalid property value");
  compression_level_ = level;
}

void XceedZip::AddFilesToProcess(vb::StringView spec) { files_.emplace_back(spec); }

ZipResult XceedZip::Zip() {
  PackRequest request{base_path, std::move(files_), preserve_paths, process_subfolders, compression_level_,
                      zip_filename, text::EncodeAnsi(encryption_password)};
  files_.clear();
  return Pack(request);
}

ZipResult XceedZip::Unzip() {
  UnpackRequest request{zip_filename, unzip_to_folder, preserve_paths, std::move(files_),
                        text::EncodeAnsi(encryption_password)};
  files_.clear();
  return Unpack(request);
}

const com::MemberTable<XceedZip>& XceedZip::Members() {
  static const com::MemberTable<XceedZip> table{
      Getter(u"TempFolder", [](XceedZip& z) { return z.temp_folder; }),
      TextProperty(u"TempFolder", &XceedZip::temp_folder),
      Getter(u"PreservePaths", [](XceedZip& z) { return z.preserve_paths; }),
      BooleanProperty(u"PreservePaths", &XceedZip::preserve_paths),
      Getter(u"ProcessSubfolders", [](XceedZip& z) { return z.process_subfolders; }),
      BooleanProperty(u"ProcessSubfolders", &XceedZip::process_subfolders),
      Getter(u"BasePath", [](XceedZip& z) { return z.base_path; }),
      TextProperty(u"BasePath", &XceedZip::base_path),
      Getter(u"CompressionLevel", [](XceedZip& z) { return z.CompressionLevel(); }),
      {u"CompressionLevel", com::kLet, 1, 1,
       [](XceedZip& z, com::ArgList& a) {
         z.CompressionLevel(vb::CLng(com::ValueOf(a[0])));
         return vb::Variant();
       }},
      Getter(u"ZipFilename", [](XceedZip& z) { return z.zip_filename; }),
      TextProperty(u"ZipFilename", &XceedZip::zip_filename),
      Getter(u"UnzipToFolder", [](XceedZip& z) { return z.unzip_to_folder; }),
      TextProperty(u"UnzipToFolder", &XceedZip::unzip_to_folder),
      Getter(u"EncryptionPassword", [](XceedZip& z) { return z.encryption_password; }),
      TextProperty(u"EncryptionPassword", &XceedZip::encryption_password),
      {u"AddFilesToProcess", com::kGet, 1, 1,
       [](XceedZip& z, com::ArgList& a) {
         z.AddFilesToProcess(vb::CStr(com::ValueOf(a[0])));
         return vb::Variant();
       }},
      {u"Zip", com::kGet, 0, 0, [](XceedZip& z, com::ArgList&) { return vb::Variant(int32_t{z.Zip()}); }},
      {u"Unzip", com::kGet, 0, 0, [](XceedZip& z, com::ArgList&) { return vb::Variant(int32_t{z.Unzip()}); }},
  };
  return table;
}

com::ObjectPtr CreateXceedZip() { return std::make_shared<XceedZip>(); }

}  // namespace ziparc
