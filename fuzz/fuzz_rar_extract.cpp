// The rar tool's extraction on any bytes (see archive_fuzz.h).
#include "archive_fuzz.h"
#include "platform/zip/rar_reader.h"
#include "support/archive_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string valid = [] {
    qe_test::RarEntry folder = qe_test::RarFile("dir", "");
    folder.folder = true;
    folder.attributes = 0x10;
    qe_test::RarEntry unicode = qe_test::RarFile("u.txt", "unicode name");
    unicode.unicode = u"文件€.txt";
    return qe_test::Rar4Bytes({folder, qe_test::RarFile("dir\\a.txt", std::string(300, 'a')),
                               qe_test::RarFile("\xD6\xD0.txt", "code page"), unicode});
  }();
  std::string bytes = fuzz_archive::Mutated(std::string_view(reinterpret_cast<const char*>(data), size), valid);
  fuzz_archive::WriteArchive(bytes, "in.rar");
  fuzz_archive::CheckAfter(ziparc::UnpackRar(u"C:\\in.rar", u"C:\\out") == ziparc::kZipSuccess, "in.rar");
  return 0;
}
