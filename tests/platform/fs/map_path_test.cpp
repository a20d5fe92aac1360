#include <gtest/gtest.h>

#include "platform/fs/paths.h"
#include "platform/vb/error.h"
#include "support/printable.h"

namespace {

using qe_test::Printable;
using vb::String;

struct Mapping {
  String site_root;
  String page;
  String path;
  String expected;
};

void PrintTo(const Mapping& m, std::ostream* out) { *out << Printable(m.page + u" | " + m.path); }

class MapPathMaps : public testing::TestWithParam<Mapping> {};

TEST_P(MapPathMaps, ToThePhysicalPath) {
  const Mapping& m = GetParam();
  EXPECT_EQ(vb::ToUtf8(fs::MapPath(m.site_root, m.page, m.path)), vb::ToUtf8(m.expected))
      << vb::ToUtf8(m.path);
}

INSTANTIATE_TEST_SUITE_P(
    FromThePageFolder, MapPathMaps,
    testing::Values(
        Mapping{u"C:\\site", u"/qe/index.asp", u"../data/qe.asp", u"C:\\site\\data\\qe.asp"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"", u"C:\\site\\qe"},
        Mapping{u"C:\\site", u"/qe/index.asp", u".", u"C:\\site\\qe"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"..", u"C:\\site"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"x.asp", u"C:\\site\\qe\\x.asp"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"..\\Comm/Data_Mdb.mdb",
                u"C:\\site\\Comm\\Data_Mdb.mdb"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"img/./a/../b.gif", u"C:\\site\\qe\\img\\b.gif"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"数据/文件.txt", u"C:\\site\\qe\\数据\\文件.txt"},
        Mapping{u"C:\\site", u"\\qe\\sub\\p.asp", u"..\\..\\x", u"C:\\site\\x"},
        Mapping{u"C:\\site", u"/qe/", u"x", u"C:\\site\\qe\\x"},
        Mapping{u"C:\\site", u"/index.asp", u"x", u"C:\\site\\x"},
        Mapping{u"C:\\site", u"", u"x", u"C:\\site\\x"}));

INSTANTIATE_TEST_SUITE_P(
    FromTheSiteRoot, MapPathMaps,
    testing::Values(
        Mapping{u"C:\\site", u"/qe/index.asp", u"/Data", u"C:\\site\\Data"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"\\Data\\Config.htm",
                u"C:\\site\\Data\\Config.htm"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"/data\\qe.asp", u"C:\\site\\data\\qe.asp"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"//data//qe.asp", u"C:\\site\\data\\qe.asp"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"/data/", u"C:\\site\\data"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"/", u"C:\\site"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"\\", u"C:\\site"},
        Mapping{u"C:\\site", u"/qe/index.asp", u"/a/../b/./c", u"C:\\site\\b\\c"}));

INSTANTIATE_TEST_SUITE_P(
    SiteRootForms, MapPathMaps,
    testing::Values(Mapping{u"C:/site/", u"/qe/index.asp", u"/x", u"C:\\site\\x"},
                    Mapping{u"C:\\www\\site\\\\", u"/p.asp", u"x", u"C:\\www\\site\\x"},
                    Mapping{u"C:\\", u"/qe/index.asp", u"/x", u"C:\\x"},
                    Mapping{u"C:\\", u"/qe/index.asp", u"/", u"C:\\"},
                    Mapping{u"d:\\Site", u"/qe/index.asp", u"/Data", u"d:\\Site\\Data"}));

struct Refusal {
  String site_root;
  String page;
  String path;
};

void PrintTo(const Refusal& r, std::ostream* out) {
  *out << Printable(r.site_root + u" | " + r.page + u" | " + r.path);
}

class MapPathRefuses : public testing::TestWithParam<Refusal> {};

TEST_P(MapPathRefuses, WithInvalidProcedureCall) {
  const Refusal& r = GetParam();
  try {
    String mapped = fs::MapPath(r.site_root, r.page, r.path);
    ADD_FAILURE() << vb::ToUtf8(r.path) << " mapped to " << vb::ToUtf8(mapped);
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), vb::kInvalidProcedureCall);
    EXPECT_NE(e.Description(), vb::StandardDescription(e.Number()));
  }
}

INSTANTIATE_TEST_SUITE_P(LeavingTheSite, MapPathRefuses,
                         testing::Values(Refusal{u"C:\\site", u"/qe/index.asp", u"../../x"},
                                         Refusal{u"C:\\site", u"/qe/index.asp", u"/.."},
                                         Refusal{u"C:\\site", u"/qe/index.asp",
                                                 u"\\a\\..\\..\\site\\x"},
                                         Refusal{u"C:\\site", u"/index.asp", u".."},
                                         Refusal{u"C:\\site", u"/../p.asp", u"x"},
                                         Refusal{u"C:\\site", u"/qe/index.asp", u"/.../x"},
                                         Refusal{u"C:\\site", u"/qe/index.asp", u"/.. /x"}));

INSTANTIATE_TEST_SUITE_P(NotASitePath, MapPathRefuses,
                         testing::Values(Refusal{u"C:\\site", u"/qe/index.asp", u"C:\\site\\x"},
                                         Refusal{u"C:\\site", u"/qe/index.asp", u"c:/x"},
                                         Refusal{u"C:\\site", u"/qe/index.asp", u"x/D:\\y"},
                                         Refusal{u"C:\\site", u"/qe/index.asp", u"qe.asp:stream"},
                                         Refusal{u"C:\\site", u"/qe/index.asp", String(u"a\0b", 3)},
                                         Refusal{u"site", u"/qe/index.asp", u"/x"},
                                         Refusal{u"C:site", u"/qe/index.asp", u"/x"},
                                         Refusal{u"C:\\..\\site", u"/qe/index.asp", u"/x"}));

TEST(MapPath, DescriptionNamesTheRefusedPath) {
  try {
    fs::MapPath(u"C:\\site", u"/qe/index.asp", u"../../secret");
    FAIL();
  } catch (const vb::Error& e) {
    EXPECT_NE(e.Description().find(u"../../secret"), String::npos) << e.what();
  }
}

TEST(IsRealPath, NeedsAColonAndASeparator) {
  EXPECT_TRUE(fs::IsRealPath(u"C:\\site"));
  EXPECT_TRUE(fs::IsRealPath(u"c:/site"));
  EXPECT_TRUE(fs::IsRealPath(u"x D:\\y"));
  EXPECT_FALSE(fs::IsRealPath(u"C:site"));
  EXPECT_FALSE(fs::IsRealPath(u"/data/qe.asp"));
  EXPECT_FALSE(fs::IsRealPath(u"\\\\server\\share"));
  EXPECT_FALSE(fs::IsRealPath(u""));
}

}  // namespace
