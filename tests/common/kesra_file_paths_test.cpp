// Path parts, icons and real paths.
#include <gtest/gtest.h>

#include "common/kesra_file_paths.h"
#include "platform/asp/context.h"
#include "platform/vb/raises.h"

namespace {

using vb::String;

struct PathCase {
  const char16_t* path;
  const char16_t* expected;
};

TEST(KesraFilePathParts, SplitAsThePagesExpect) {
  for (PathCase c : {PathCase{u"a/b/c.txt", u"a/b/"}, {u"c.txt", u""}, {u"x\\y/z", u"x\\"},
                     {u"  C:\\a\\b.txt  ", u"C:\\a\\"}, {u"", u""}}) {
    EXPECT_EQ(qe::KesraFileGetPath(c.path), c.expected) << vb::ToUtf8(c.path);
  }
  for (PathCase c : {PathCase{u"C:\\a\\b.TXT", u"b.TXT"}, {u"a/b/c.txt", u"c.txt"}, {u"x\\y/z", u"y/z"},
                     {u" plain ", u"plain"}, {u"", u""}}) {
    EXPECT_EQ(qe::KesraFileGetFullName(c.path), c.expected) << vb::ToUtf8(c.path);
  }
  for (PathCase c : {PathCase{u"C:\\A\\B.TXT", u"c:\\a\\b"}, {u"README", u"readme"}, {u"a.b.C", u"a.b"},
                     {u" Name.x ", u" name"}, {u"", u""}}) {
    EXPECT_EQ(qe::KesraFileGetName(c.path), c.expected) << vb::ToUtf8(c.path);
  }
}

TEST(KesraFileGetExt, CountsTheDotOnRequest) {
  struct Case {
    const char16_t* path;
    uint8_t has_point;
    const char16_t* expected;
  } cases[] = {
      {u"  Photo.JPG  ", 1, u".jpg"}, {u"  Photo.JPG  ", 0, u"jpg"}, {u"noext", 1, u""},
      {u"a.tar.GZ", 0, u"gz"},        {u".htaccess", 0, u"htaccess"}, {u"a.jpg", 5, u"a.jpg"},
      {u"", 1, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(qe::KesraFileGetExt(c.path, c.has_point), c.expected) << vb::ToUtf8(c.path);
}

TEST(KesraFileGetIcon, NamesTheIconOfAKnownExtension) {
  EXPECT_EQ(qe::KesraFileGetIcon(u"JPG", u"asp", u"small"),
            u"<img src=../comm/image/fileswt/JPG.asp border=0 width=16 height=16 title='JPG' align='absmiddle'>");
  EXPECT_EQ(qe::KesraFileGetIcon(u"doc", u"gif", u"BIG"),
            u"<img src=../comm/image/fileswt1/doc.gif border=0 width=35 height=32 title='doc' align='absmiddle'>");
  EXPECT_EQ(qe::KesraFileGetIcon(u"xyz", u"asp", u"small"),
            u"<img src=../comm/image/fileswt/unknown.asp border=0 width=16 height=16 title='xyz' align='absmiddle'>");
  EXPECT_EQ(qe::KesraFileGetIcon(u"", u"asp", u"big"),
            u"<img src=../comm/image/fileswt1/unknown.asp border=0 width=35 height=32 title='' align='absmiddle'>");
  EXPECT_NE(qe::KesraFileGetIcon(u"js", u"asp", u"").find(u"fileswt/js.asp"), String::npos);
  EXPECT_NE(qe::KesraFileGetIcon(u"j", u"asp", u"").find(u"unknown"), String::npos);  // no partial names
}

TEST(KesraGetFileRealFullName, MapsOnlySitePaths) {
  asp::Context context{asp::RequestSpec{}};
  vb::Variant server = context.Server();
  EXPECT_EQ(qe::KesraGetFileRealFullName(server, u"D:\\data\\x.mdb"), u"D:\\data\\x.mdb");
  EXPECT_EQ(qe::KesraGetFileRealFullName(server, u"d:/data/x.mdb"), u"d:/data/x.mdb");
  EXPECT_EQ(qe::KesraGetFileRealFullName(server, u"/data/x.mdb"), u"C:\\site\\data\\x.mdb");
  EXPECT_EQ(qe::KesraGetFileRealFullName(server, u"x.mdb"), u"C:\\site\\qe\\x.mdb");
  EXPECT_RAISES(vb::kInvalidProcedureCall, qe::KesraGetFileRealFullName(server, u"/../x.mdb"));
}

}  // namespace
