// The zip class's Unzip on any bytes (see archive_fuzz.h).
#include <zip.h>

#include "archive_fuzz.h"
#include "platform/zip/xceed_zip.h"
#include "support/archive_bytes.h"

namespace {

// A valid archive: stored, deflated and encrypted entries, folders, a
// flagged UTF-8 name, a name of the code page.
std::string ValidArchive() {
  std::string path = (fuzz_archive::Drive() / "valid.zip").string();
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  static const std::string text(3000, 't');
  zip_dir_add(archive, "dir/", 0);
  zip_file_add(archive, "dir/a.txt", zip_source_buffer(archive, text.data(), text.size(), 0), 0);
  zip_int64_t stored = zip_file_add(archive, "\xCB\xB5.txt", zip_source_buffer(archive, "stored", 6, 0), 0);
  zip_set_file_compression(archive, static_cast<zip_uint64_t>(stored), ZIP_CM_STORE, 0);
  zip_int64_t secret = zip_file_add(archive, "\xE6\x96\x87.txt", zip_source_buffer(archive, text.data(), 100, 0), ZIP_FL_ENC_UTF_8);
  zip_file_set_encryption(archive, static_cast<zip_uint64_t>(secret), ZIP_EM_TRAD_PKWARE, "pw");
  zip_close(archive);
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(path);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string valid = ValidArchive();
  std::string bytes = fuzz_archive::Mutated(std::string_view(reinterpret_cast<const char*>(data), size), valid);
  fuzz_archive::WriteArchive(bytes, "in.zip");
  ziparc::XceedZip zip;
  zip.zip_filename = u"C:\\in.zip";
  zip.unzip_to_folder = u"C:\\out";
  zip.encryption_password = u"pw";
  fuzz_archive::CheckAfter(zip.Unzip() == ziparc::kZipSuccess, "in.zip");
  return 0;
}
