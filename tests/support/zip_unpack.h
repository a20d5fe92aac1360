#pragma once
// Unpacks an archive through the zip class, as the component's pages do.
#include "platform/zip/xceed_zip.h"

namespace qe_test {

inline ziparc::ZipResult UnpackArchive(vb::StringView archive, vb::StringView folder, vb::StringView password = u"") {
  ziparc::XceedZip zip;
  zip.zip_filename = vb::String(archive);
  zip.unzip_to_folder = vb::String(folder);
  zip.encryption_password = vb::String(password);
  return zip.Unzip();
}

}  // namespace qe_test
