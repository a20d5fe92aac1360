// The zip class against the archivers people use: what Info-ZIP's zip,
// bsdtar and 7-Zip write unpacks to the tree they packed, and what the class
// packs passes each one's test, with the names and modes they expect.
#include <gtest/gtest.h>

#include <map>

#include "platform/zip/xceed_zip.h"
#include "platform/zip/zip_results.h"
#include "support/archive_bytes.h"
#include "support/file_content.h"
#include "support/run_command.h"
#include "support/temp_site.h"
#include "support/zip_unpack.h"

namespace {

namespace stdfs = std::filesystem;
using namespace ziparc;
using qe_test::RunCommand;
using qe_test::ShellQuoted;

std::map<std::string, std::string> Tree(const stdfs::path& root) { return qe_test::FolderTree(root); }

bool Installed(const std::string& program) {
  return RunCommand("command -v " + program + " >/dev/null 2>&1").status == 0;
}

// Bytes that compress, with repeats 40,000 bytes apart: past deflate's
// window, inside Deflate64's.
std::string Compressible() {
  std::string block;
  uint32_t state = 12345;
  while (block.size() < 40000) {
    state = state * 1103515245 + 12345;
    block += static_cast<char>('a' + (state >> 16) % 7);
  }
  return block + block + block.substr(0, 20000) + std::string(3000, 'z');
}

// The archive with its central directory in reverse order: libarchive walks
// entries by where their data lie, libzip by the directory.
std::string ReversedDirectory(const std::string& archive) {
  size_t end = archive.rfind(std::string_view("PK\x05\x06", 4));
  size_t size = qe_test::Get32(archive, end + 12), offset = qe_test::Get32(archive, end + 16);
  std::vector<std::string> records;
  for (size_t at = offset; at < offset + size;) {
    size_t length =
        46 + qe_test::Get16(archive, at + 28) + qe_test::Get16(archive, at + 30) + qe_test::Get16(archive, at + 32);
    records.push_back(archive.substr(at, length));
    at += length;
  }
  std::string out = archive.substr(0, offset);
  for (auto it = records.rbegin(); it != records.rend(); ++it) out += *it;
  return out + archive.substr(offset + size);
}

class ZipPeersTest : public testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("site/src/a.txt", "hello\n");
    site_.WriteFile("site/src/中文.txt", "中文内容");
    site_.WriteFile("site/src/校园通知（二）.txt", "notice");
    site_.WriteFile("site/src/sub/big.bin", Compressible());
    site_.WriteFile("site/src/sub/深层/한국어.txt", "hangul");
    site_.WriteFile("site/src/sub/empty.txt", "");
    site_.MakeFolder("site/src/empty");
  }
  std::string Host(const std::string& relative) { return site_.Host(relative).string(); }
  ZipResult Unpack(vb::StringView archive, vb::StringView folder, vb::StringView password = u"") {
    return qe_test::UnpackArchive(archive, folder, password);
  }

  qe_test::TempSite site_;
};

TEST_F(ZipPeersTest, ArchivesOfEachArchiverUnpackToTheTreeTheyPacked) {
  // Names are listed rather than ".", which bsdtar would store as "./".
  const std::string names = "a.txt 中文.txt 校园通知（二）.txt sub empty";
  struct Case {
    const char* program;
    const char* command;  // run in the source folder, writing ../in.zip
    const char* password;
    bool libarchive = false;  // its entries are read through libarchive
  };
  const Case cases[] = {
      // In the C locale both write the names' UTF-8 bytes without the flag.
      {"zip", "LC_ALL=C zip -qr ../in.zip", ""},
      {"bsdtar", "LC_ALL=C bsdtar --format zip -cf ../in.zip", ""},
      {"bsdtar", "bsdtar --format zip --options zip:compression=store -cf ../in.zip", ""},
      {"7z", "7z a -tzip -m0=lzma ../in.zip", ""},
      {"7z", "7z a -tzip -m0=ppmd ../in.zip", "", true},
      {"7z", "7z a -tzip -m0=deflate64 ../in.zip", ""},
      {"7z", "7z a -tzip -m0=bzip2 ../in.zip", ""},
      {"7z", "7z a -tzip -m0=xz ../in.zip", ""},
      {"7z", "7z a -tzip -mem=AES256 -ppass ../in.zip", "pass"},
      {"7z", "7z a -tzip -m0=lzma -mem=AES256 -ppass ../in.zip", "pass"},
      {"7z", "7z a -tzip -m0=bzip2 -mem=AES256 -ppass ../in.zip", "pass"},
      {"7z", "7z a -tzip -m0=xz -mem=AES256 -ppass ../in.zip", "pass"},
      {"7z", "7z a -tzip -mm=Copy -mem=AES128 -ppass ../in.zip", "pass"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    if (!Installed(c.program)) GTEST_SKIP() << c.program << " is not installed";
    stdfs::remove(site_.Host("site/in.zip"));
    stdfs::remove_all(site_.Host("site/out"));
    std::string pack = "cd " + ShellQuoted(Host("site/src")) + " && " + c.command + " " + names;
    ASSERT_EQ(RunCommand(pack + " >/dev/null 2>&1").status, 0);
    vb::String password = vb::FromUtf8(c.password);
    ASSERT_EQ(Unpack(u"C:\\site\\in.zip", u"C:\\site\\out", password), kZipSuccess);
    EXPECT_EQ(Tree(site_.Host("site/out")), Tree(site_.Host("site/src")));
    if (c.libarchive) {
      // Entries that libarchive reads are found by where their data lie.
      site_.WriteFile("site/in.zip", ReversedDirectory(qe_test::FileContent(site_.Host("site/in.zip"))));
      stdfs::remove_all(site_.Host("site/out"));
      ASSERT_EQ(Unpack(u"C:\\site\\in.zip", u"C:\\site\\out"), kZipSuccess);
      EXPECT_EQ(Tree(site_.Host("site/out")), Tree(site_.Host("site/src")));
    }
    if (*c.password) {
      EXPECT_EQ(Unpack(u"C:\\site\\in.zip", u"C:\\site\\wrong", u"other"), kZipPassword);
      EXPECT_FALSE(stdfs::exists(site_.Host("site/wrong")));
    }
  }
}

TEST_F(ZipPeersTest, AnArchiveOfTheCurrentFolderUnpacksWithoutItsDotElements) {
  if (!Installed("bsdtar")) GTEST_SKIP() << "bsdtar is not installed";
  // bsdtar stores "." as "./", and every name below it as "./name".
  ASSERT_EQ(RunCommand("cd " + ShellQuoted(Host("site/src")) + " && bsdtar --format zip -cf ../in.zip . 2>&1").status, 0);
  ASSERT_EQ(Unpack(u"C:\\site\\in.zip", u"C:\\site\\out"), kZipSuccess);
  EXPECT_EQ(Tree(site_.Host("site/out")), Tree(site_.Host("site/src")));
}

// Names as peers write them: unflagged bytes of whatever code page the
// writing system had, and empty path elements. A name never refuses the
// archive; 7z, unzip, bsdtar and Python unpack each of these.
TEST_F(ZipPeersTest, NamesOfAnyCodePageAndEmptyElementsUnpack) {
  const std::string program = R"(
import sys, zipfile
class Named(zipfile.ZipInfo):
    # These bytes, unflagged, as the given system wrote them.
    def __init__(self, raw, system):
        super().__init__(raw.decode('latin-1'))
        self.raw, self.create_system = raw, system
    def _encodeFilenameFlags(self):
        return self.raw, self.flag_bits
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr(Named('café.txt'.encode('cp437'), 0), '1')
    z.writestr(Named('成绩单.xls'.encode('utf-8'), 0), '2')
    z.writestr(Named(b'unix/caf\x82.txt', 3), '3')
    z.writestr('a//d.txt', '4')
    z.writestr('.//e.txt', '5')
)";
  ASSERT_EQ(qe_test::RunPython(program, ShellQuoted(Host("site/in.zip"))).status, 0);
  ASSERT_EQ(Unpack(u"C:\\site\\in.zip", u"C:\\site\\out"), kZipSuccess);
  // DOS: code page 437 where neither code page 936 nor UTF-8 reads the
  // bytes; Unix: what no code page reads is replaced.
  EXPECT_EQ(Tree(site_.Host("site/out")), (std::map<std::string, std::string>{{"café.txt", "1"},
                                                                              {"成绩单.xls", "2"},
                                                                              {"unix/", ""},
                                                                              {"unix/caf\uFFFD.txt", "3"},
                                                                              {"a/", ""},
                                                                              {"a/d.txt", "4"},
                                                                              {"e.txt", "5"}}));
}

TEST_F(ZipPeersTest, BrokenDataThatOnlyThisReaderOrLibarchiveDecodesWritesNothing) {
  if (!Installed("7z")) GTEST_SKIP() << "7z is not installed";
  for (const char* method : {"deflate64", "lzma", "ppmd"}) {
    SCOPED_TRACE(method);
    stdfs::remove(site_.Host("site/in.zip"));
    ASSERT_EQ(RunCommand("cd " + ShellQuoted(Host("site/src")) + " && 7z a -tzip -m0=" + method +
                         " ../in.zip sub/big.bin >/dev/null 2>&1")
                  .status,
              0);
    std::string bytes = qe_test::FileContent(site_.Host("site/in.zip"));
    bytes[bytes.size() / 3] ^= 0x55;  // inside big.bin's data
    site_.WriteFile("site/in.zip", bytes);
    EXPECT_EQ(Unpack(u"C:\\site\\in.zip", u"C:\\site\\out"), kZipDamaged);
    EXPECT_FALSE(stdfs::exists(site_.Host("site/out")));
  }
}

// Packs the source folder, with a password when one is given.
std::string PackSource(qe_test::TempSite& site, vb::StringView password) {
  XceedZip zip;
  zip.process_subfolders = true;
  zip.base_path = u"C:\\site\\src";
  zip.zip_filename = u"C:\\site\\packed.zip";
  zip.encryption_password = vb::String(password);
  zip.AddFilesToProcess(u"*.*");
  EXPECT_EQ(zip.Zip(), kZipSuccess);
  return ShellQuoted(site.Host("site/packed.zip").string());
}

TEST_F(ZipPeersTest, PackedArchivesWithAPasswordPassEachArchiversTest) {
  const std::string archive = PackSource(site_, u"secret");
  const std::string python = std::string(qe_test::kPython) + " -c " + ShellQuoted(R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
z.setpassword(b"secret")
sys.exit(0 if z.testzip() is None and len(z.namelist()) == 9 else 1)
)");
  const struct {
    const char* program;
    std::string test;
  } peers[] = {
      {"unzip", "unzip -tq -P secret " + archive},
      {"7z", "7z t -psecret " + archive},
      {"bsdtar", "bsdtar -xOf " + archive + " --passphrase secret"},
      {qe_test::kPython, python + " " + archive},
  };
  for (const auto& peer : peers) {
    SCOPED_TRACE(peer.program);
    if (!Installed(peer.program)) GTEST_SKIP() << peer.program << " is not installed";
    EXPECT_EQ(RunCommand(peer.test + " >/dev/null 2>&1").status, 0);
  }
}

TEST_F(ZipPeersTest, PackedArchivesPassEachArchiversTestWithTheirNamesAndModes) {
  const std::string archive = PackSource(site_, u"");
  // The names as each lists them: the code page 936 names also carry their
  // UTF-8 form, which these read.
  const std::string expected =
      "a.txt\nempty/\nsub/\nsub/big.bin\nsub/empty.txt\nsub/深层/\nsub/深层/한국어.txt\n中文.txt\n校园通知（二）.txt\n";
  std::string folders_bare = expected;  // 7-Zip lists folders without their "/"
  for (size_t at; (at = folders_bare.find("/\n")) != std::string::npos;) folders_bare.erase(at, 1);
  struct Peer {
    const char* program;
    std::string test;
    std::string list;  // the names, one a line
    const std::string& names;
  };
  const std::string utf8 = "LC_ALL=C.UTF-8 ";
  const Peer peers[] = {
      {"unzip", "unzip -tq " + archive, utf8 + "unzip -Z1 " + archive, expected},
      {"bsdtar", "bsdtar -tf " + archive, utf8 + "bsdtar -tf " + archive, expected},
      {"7z", "7z t " + archive, utf8 + "7z l -slt -ba " + archive + " | sed -n 's/^Path = //p'", folders_bare},
  };
  for (const Peer& peer : peers) {
    SCOPED_TRACE(peer.program);
    if (!Installed(peer.program)) GTEST_SKIP() << peer.program << " is not installed";
    EXPECT_EQ(RunCommand(peer.test + " >/dev/null 2>&1").status, 0);
    EXPECT_EQ(RunCommand(peer.list + " | LC_ALL=C sort").output, peer.names);
  }
  if (!Installed("zipinfo")) GTEST_SKIP() << "zipinfo is not installed";
  std::string details = RunCommand("zipinfo -v " + archive).output;
  size_t folders = 0, files = 0;
  for (size_t at = 0; (at = details.find("Unix file attributes (", at)) != std::string::npos; ++at) {
    std::string mode = details.substr(at + 22, 6);
    size_t dos = details.find("MS-DOS file attributes (", at);
    std::string dos_bits = details.substr(dos + 24, 2);
    if (mode == "040755" && dos_bits == "10") ++folders;
    else if (mode == "100644" && dos_bits == "00") ++files;
    else ADD_FAILURE() << mode << " " << dos_bits;
  }
  EXPECT_EQ(folders, 3u);
  EXPECT_EQ(files, 6u);
}

}  // namespace
