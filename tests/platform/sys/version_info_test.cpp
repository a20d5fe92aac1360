// The version resource of PE files that the test builds byte by byte.
#include <gtest/gtest.h>

#include "platform/sys/version_info.h"
#include "support/pe_image.h"
#include "support/temp_site.h"

namespace {

using qe_test::PeImage;
using qe_test::VersionBlock;

std::u16string Text(std::optional<std::string_view> value) {
  return value ? sys::TextOfValue(*value) : u"<none>";
}

class VersionInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    block_ = VersionBlock(u"080404B0", {{u"CompanyName", u"学校"}, {u"ProductVersion", u"4.1.1"}, {u"Empty", u""}},
                          {{0x0804, 0x04B0}, {0x0409, 0x04E4}});
    site_.WriteFile("site/qe.dll", PeImage(block_));
    site_.WriteFile("site/plain.dll", PeImage(""));
    site_.WriteFile("site/text.txt", "MZ but nothing more");
  }
  std::string block_;
  qe_test::TempSite site_;
};

TEST_F(VersionInfoTest, FindsTheBlockOfAPeFile) {
  std::string block;
  ASSERT_TRUE(sys::GetFileVersionInfo(u"C:\\SITE\\qe.dll", block));
  EXPECT_EQ(block, block_);
  EXPECT_EQ(sys::GetFileVersionInfoSize(u"C:\\site\\qe.dll"), block_.size());
  for (const char16_t* path : {u"C:\\site\\plain.dll", u"C:\\site\\text.txt", u"C:\\site\\missing.dll", u"C:\\site"}) {
    EXPECT_EQ(sys::GetFileVersionInfoSize(path), 0u) << vb::ToUtf8(path);
    EXPECT_FALSE(sys::GetFileVersionInfo(path, block));
  }
}

TEST_F(VersionInfoTest, QueriesValuesByTheirKeys) {
  auto translation = sys::VerQueryValue(block_, u"\\VarFileInfo\\Translation");
  ASSERT_TRUE(translation.has_value());
  EXPECT_EQ(*translation, std::string("\x04\x08\xB0\x04\x09\x04\xE4\x04", 8));
  EXPECT_EQ(Text(sys::VerQueryValue(block_, u"\\StringFileInfo\\080404B0\\CompanyName")), u"学校");
  EXPECT_EQ(Text(sys::VerQueryValue(block_, u"\\stringfileinfo\\080404b0\\productversion")), u"4.1.1");
  EXPECT_EQ(Text(sys::VerQueryValue(block_, u"\\StringFileInfo\\080404B0\\Empty")), u"");
  EXPECT_EQ(Text(sys::VerQueryValue(block_, u"\\StringFileInfo\\040904E4\\CompanyName")), u"<none>");
  EXPECT_EQ(Text(sys::VerQueryValue(block_, u"\\StringFileInfo\\080404B0\\Missing")), u"<none>");
  EXPECT_EQ(sys::VerQueryValue(block_, u"\\")->size(), 52u);  // the fixed information
}

TEST(VersionInfo, SurvivesBrokenBlocksAndImages) {
  std::string block = VersionBlock(u"080404B0", {{u"ProductVersion", u"1.0"}}, {{0x0804, 0x04B0}});
  for (size_t cut = 0; cut < block.size(); cut += 7) {
    (void)sys::VerQueryValue(block.substr(0, cut), u"\\StringFileInfo\\080404B0\\ProductVersion");
  }
  std::string image = PeImage(block);
  for (size_t cut = 0; cut < image.size(); cut += 13) (void)sys::FindVersionResource(image.substr(0, cut));
  EXPECT_FALSE(sys::FindVersionResource(image.substr(0, image.size() - 1)).has_value());
  EXPECT_TRUE(sys::FindVersionResource(image).has_value());
}

}  // namespace
