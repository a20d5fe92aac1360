// INI files read by the profile reader's rules.
#include "platform/sys/profile.h"

#include <gtest/gtest.h>

#include "platform/text/ansi.h"
#include "support/printable.h"
#include "support/temp_site.h"

namespace {

using sys::Profile;
using vb::String;

constexpr char16_t kFile[] =
    u"key=before any section\r\n"
    u"[Tables]\r\n"
    u"  Name  =  Article  \r\n"
    u"quoted=\"  padded  \"\r\n"
    u"single='x'\r\n"
    u"mixed='x\"\r\n"
    u"lone=\"\r\n"
    u"empty=\r\n"
    u"twice=first\r\n"
    u"TWICE=second\r\n"
    u"no equals sign\r\n"
    u"eq=a=b\r\n"
    u"[ tables ]\r\n"
    u"late=never read\r\n"
    u"[Other] trailing text\n"
    u"Name=in other\n"
    u"[Unclosed\n"
    u"k=v\n";

TEST(ProfileTest, ReadsValuesByTheReadersRules) {
  Profile ini{String(kFile)};
  const std::vector<std::tuple<String, String, String>> cases = {
      {u"Tables", u"Name", u"Article"},           // blanks around key and value trimmed
      {u"TABLES", u"name", u"Article"},           // sections and keys without case
      {u"Tables", u"quoted", u"  padded  "},      // one pair of quotes removed, blanks inside kept
      {u"Tables", u"single", u"x"},
      {u"Tables", u"mixed", u"'x\""},             // quotes that do not pair stay
      {u"Tables", u"lone", u"\""},
      {u"Tables", u"empty", u""},
      {u"Tables", u"twice", u"first"},            // the first key of a name
      {u"Tables", u"eq", u"a=b"},                 // the value runs from the first "="
      {u"Tables", u"late", u""},                  // a later section of the same name is not read
      {u"Tables", u"no equals sign", u""},
      {u"Other", u"Name", u"in other"},           // text after "]" ignored, LF alone ends a line
      {u"Unclosed", u"k", u"v"},
      {u"Missing", u"Name", u""},
      {u"", u"key", u""},                         // lines before the first section belong to none
  };
  for (const auto& [section, key, value] : cases) {
    SCOPED_TRACE(qe_test::Printable(section + u"/" + key));
    EXPECT_EQ(ini.Value(section, key), value);
  }
  EXPECT_TRUE(ini.HasSection(u"other"));
  EXPECT_FALSE(ini.Find(u"Tables", u"absent").has_value());
  EXPECT_EQ(ini.Find(u"Tables", u"empty"), String());
}

TEST(ProfileTest, ReadsAFileOfTheCodePageWholeAndMissingFilesAsEmpty) {
  qe_test::TempSite site;
  String long_list;
  for (int i = 0; i < 2000; ++i) long_list += u"列" + vb::FromUtf8(std::to_string(i)) + u",";
  site.WriteFile("site/s.ini", text::EncodeAnsi(u"[表]\r\nFieldList=" + long_list + u"\r\n说明=学校的通知\r\n"));
  EXPECT_EQ(sys::GetPrivateProfileString(u"表", u"FieldList", u"x", u"C:\\site\\s.ini"), long_list);
  EXPECT_EQ(sys::GetPrivateProfileString(u"表", u"说明", u"x", u"C:\\site\\s.ini"), u"学校的通知");
  EXPECT_EQ(sys::GetPrivateProfileString(u"表", u"none", u"x", u"C:\\site\\s.ini"), u"x");
  EXPECT_EQ(sys::GetPrivateProfileString(u"表", u"FieldList", u"", u"C:\\site\\none.ini"), u"");
  EXPECT_EQ(Profile::Load(u"C:\\site").Value(u"表", u"说明"), u"");  // a folder reads as nothing
}

}  // namespace
