// The committed table against its generator and against glibc's GBK.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/text/ansi.h"
#include "platform/text/cp936_table.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string RunCommand(const std::string& command, int& status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) {
    status = -1;
    return out;
  }
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  status = pclose(p);
  return out;
}

TEST(Cp936Table, GeneratorReproducesTheCommittedFile) {
  int status = 0;
  RunCommand("command -v python3 >/dev/null 2>&1", status);
  if (status != 0) GTEST_SKIP() << "python3 is not installed";
  const std::string source = QE_SOURCE_DIR;
  std::string generated = RunCommand("python3 " + source + "/tools/gen_cp936.py", status);
  ASSERT_EQ(status, 0);
  std::string committed = ReadFile(source + "/src/platform/text/cp936_table.cpp");
  ASSERT_FALSE(committed.empty());
  EXPECT_TRUE(generated == committed) << "run tools/gen_cp936.py src/platform/text/cp936_table.cpp";
}

// One code as glibc's GBK decodes it; 0 when glibc refuses it.
char16_t GlibcGbk(iconv_t cd, unsigned char lead, unsigned char trail) {
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  char out[8];
  char* ip = in;
  char* op = out;
  size_t il = 2, ol = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0 || ol != 6) return 0;
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                               static_cast<unsigned char>(out[1]) << 8);
}

TEST(Cp936Table, AgreesWithGlibcGbkWhereGlibcHasACharacter) {
  iconv_t cd = iconv_open("UTF-16LE", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "glibc has no GBK converter";
  int agreed = 0, private_use = 0;
  for (int lead = text::cp936::kFirstLead; lead <= text::cp936::kLastLead; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const vb::String ours = text::DecodeAnsi(std::string_view(bytes, 2));
      ASSERT_EQ(ours.size(), 1u) << lead << " " << trail;
      const char16_t theirs = GlibcGbk(cd, static_cast<unsigned char>(lead),
                                       static_cast<unsigned char>(trail));
      if (theirs) {
        EXPECT_EQ(ours[0], theirs) << std::hex << lead << trail;
        ++agreed;
      } else {
        EXPECT_TRUE(ours[0] >= 0xE000 && ours[0] <= 0xE864) << std::hex << lead << trail;
        ++private_use;
      }
    }
  }
  iconv_close(cd);
  EXPECT_EQ(agreed, 21791);
  EXPECT_EQ(private_use, 1894 + 255);
}

}  // namespace
