// The committed syllable table is what its generator makes of the installed
// Unihan data, byte for byte.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kUnihanFolder = "/usr/share/unicode";

bool UnihanInstalled() {
  for (const char* name : {"Unihan_Readings.txt", "Unihan_Readings.txt.bz2", "Unihan.zip"}) {
    if (fs::exists(fs::path(kUnihanFolder) / name)) return true;
  }
  return false;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(KesraPinyinTableGenerator, ReproducesTheCommittedTable) {
  if (std::system("python3 -c '' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  if (!UnihanInstalled()) GTEST_SKIP() << "no Unihan data in " << kUnihanFolder;

  char folder_template[] = "/tmp/qe_pinyin_XXXXXX";
  ASSERT_NE(mkdtemp(folder_template), nullptr);
  const fs::path folder = folder_template;
  const fs::path source = QE_SOURCE_DIR;
  const fs::path generated = folder / "kesra_pinyin_table.inc";
  const std::string command = "python3 '" + (source / "tools/pinyin/gen_pinyin_table.py").string() +
                              "' --unihan '" + kUnihanFolder + "' '" + generated.string() + "'";
  const int status = std::system(command.c_str());
  const std::string produced = ReadAll(generated);
  fs::remove_all(folder);

  ASSERT_EQ(status, 0) << command;
  EXPECT_EQ(produced, ReadAll(source / "src/common/kesra_pinyin_table.inc"));
}

}  // namespace
