#include <gtest/gtest.h>

#include "platform/fs/paths.h"
#include "platform/vb/error.h"
#include "support/printable.h"

namespace {

using qe_test::Printable;
using vb::String;

struct Mapping {
  String path;
  String expected;
  String page = u"/qe/index.asp";
  String site_root = u"C:\\site";
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
    testing::Values(Mapping{u"../data/qe.asp", u"C:\\site\\data\\qe.asp"},
                    Mapping{u"", u"C:\\site\\qe"}, Mapping{u".", u"C:\\site\\qe"},
                    Mapping{u"..", u"C:\\site"}, Mapping{u"x.asp", u"C:\\site\\qe\\x.asp"},
                    Mapping{u"..\\Comm/Data_Mdb.mdb", u"C:\\site\\Comm\\Data_Mdb.mdb"},
                    Mapping{u"img/./a/../b.gif", u"C:\\site\\qe\\img\\b.gif"},
                    Mapping{u"数据/文件.txt", u"C:\\site\\qe\\数据\\文件.txt"},
                    Mapping{u"..\\..\\x", u"C:\\site\\x", u"\\qe\\sub\\p.asp"},
                    Mapping{u"x", u"C:\\site\\qe\\x", u"/qe/"},
                    Mapping{u"x", u"C:\\site\\x", u"/index.asp"},
                    Mapping{u"x", u"C:\\site\\x", u""}));

INSTANTIATE_TEST_SUITE_P(
    FromTheSiteRoot, MapPathMaps,
    testing::Values(Mapping{u"/Data", u"C:\\site\\Data"},
                    Mapping{u"\\Data\\Config.htm", u"C:\\site\\Data\\Config.htm"},
                    Mapping{u"/data\\qe.asp", u"C:\\site\\data\\qe.asp"},
                    Mapping{u"//data//qe.asp", u"C:\\site\\data\\qe.asp"},
                    Mapping{u"/data/", u"C:\\site\\data"}, Mapping{u"/", u"C:\\site"},
                    Mapping{u"\\", u"C:\\site"}, Mapping{u"/a/../b/./c", u"C:\\site\\b\\c"}));

INSTANTIATE_TEST_SUITE_P(
    SiteRootForms, MapPathMaps,
    testing::Values(Mapping{u"/x", u"C:\\site\\x", u"/qe/index.asp", u"C:/site/"},
                    Mapping{u"x", u"C:\\www\\site\\x", u"/p.asp", u"C:\\www\\site\\\\"},
                    Mapping{u"/x", u"C:\\x", u"/qe/index.asp", u"C:\\"},
                    Mapping{u"/", u"C:\\", u"/qe/index.asp", u"C:\\"},
                    Mapping{u"/Data", u"d:\\Site\\Data", u"/qe/index.asp", u"d:\\Site"}));

struct Refusal {
  String path;
  String page = u"/qe/index.asp";
  String site_root = u"C:\\site";
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
                         testing::Values(Refusal{u"../../x"}, Refusal{u"/.."},
                                         Refusal{u"\\a\\..\\..\\site\\x"},
                                         Refusal{u"..", u"/index.asp"}, Refusal{u"x", u"/../p.asp"},
                                         Refusal{u"/.../x"}, Refusal{u"/.. /x"}));

INSTANTIATE_TEST_SUITE_P(NotASitePath, MapPathRefuses,
                         testing::Values(Refusal{u"C:\\site\\x"}, Refusal{u"c:/x"},
                                         Refusal{u"x/D:\\y"}, Refusal{u"qe.asp:stream"},
                                         Refusal{String(u"a\0b", 3)},
                                         Refusal{u"/x", u"/qe/index.asp", u"site"},
                                         Refusal{u"/x", u"/qe/index.asp", u"C:site"},
                                         Refusal{u"/x", u"/qe/index.asp", u"C:\\..\\site"}));

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
