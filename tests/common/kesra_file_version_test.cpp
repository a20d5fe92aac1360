// Version strings of PE files that the test builds byte by byte.
#include <gtest/gtest.h>

#include "common/kesra_file_version.h"
#include "support/pe_image.h"
#include "support/temp_site.h"

namespace {

using namespace qe;
using qe_test::PeImage;
using qe_test::VersionBlock;

class KesraFileVersionTest : public testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("site/qe.dll", PeImage(VersionBlock(u"080404B0",
                                                       {{u"CompanyName", u"某某学校"},
                                                        {u"FileDescription", u"Qe"},
                                                        {u"FileVersion", u"4.1.1.0"},
                                                        {u"InternalName", u"Qe"},
                                                        {u"LegalCopyright", u"(C) 2012 ĉ"},
                                                        {u"OriginalFileName", u"Qe.dll"},
                                                        {u"ProductName", u"校园办公"},
                                                        {u"ProductVersion", u"04.01.02"}},
                                                       {{0x0804, 0x04B0}})));
    site_.WriteFile("site/us.dll", PeImage(VersionBlock(u"040904E4", {{u"ProductVersion", u"2.0"}}, {{0x0409, 0x04E4}})));
    site_.WriteFile("site/bare.exe", PeImage(""));
  }
  qe_test::TempSite site_;
};

TEST_F(KesraFileVersionTest, ReadsEveryFieldUnderTheFirstTranslation) {
  vb::String name = u"C:\\site\\QE.DLL";
  KesraFileVersionInfo info;
  ASSERT_EQ(KesraGetFileVersionInfo(name, info), kVersionInfoRead);
  EXPECT_EQ(name, u"C:\\site\\QE.DLL");
  EXPECT_EQ(info.CompanyName, u"某某学校");
  EXPECT_EQ(info.FileDescription, u"Qe");
  EXPECT_EQ(info.FileVersion, u"4.1.1.0");
  EXPECT_EQ(info.InternalName, u"Qe");
  EXPECT_EQ(info.LegalCopyright, u"(C) 2012 ?");  // through the ANSI code page
  EXPECT_EQ(info.OriginalFileName, u"Qe.dll");
  EXPECT_EQ(info.ProductName, u"校园办公");
  EXPECT_EQ(info.ProductVersion, u"04.01.02");
  vb::String us = u"C:\\site\\us.dll";
  ASSERT_EQ(KesraGetFileVersionInfo(us, info), kVersionInfoRead);
  EXPECT_EQ(info.ProductVersion, u"2.0");
  EXPECT_EQ(info.CompanyName, u"");  // emptied, and absent from this file
}

TEST_F(KesraFileVersionTest, AnswersTwoWithoutVersionInformation) {
  KesraFileVersionInfo info;
  info.ProductName = u"left over";
  for (vb::String name : {u"C:\\site\\bare.exe", u"C:\\site\\missing.dll", u"C:\\site"}) {
    EXPECT_EQ(KesraGetFileVersionInfo(name, info), kNoVersionInfo);
    EXPECT_EQ(info.ProductName, u"");
  }
}

TEST_F(KesraFileVersionTest, GivesTheProductVersionOfAnExistingFile) {
  EXPECT_EQ(KesraGetFileProductVersion(u"C:\\site\\qe.dll"), u"04.01.02");
  EXPECT_EQ(KesraGetFileProductVersion(u"C:\\site\\bare.exe"), u"");
  EXPECT_EQ(KesraGetFileProductVersion(u"C:\\site\\missing.dll"), u"");
}

}  // namespace
