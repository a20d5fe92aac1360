// The media viewer's pages and playlists: one golden text per page and
// branch (tests/page/player_pages; QE_WRITE_GOLDEN=1 writes them anew, to be
// read before committing), the protocol each address gets, and the values
// inserted as given.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "page/kesra_show_player.h"
#include "platform/asp/context.h"
#include "platform/vb/error.h"
#include "platform/vb/raises.h"
#include "support/printable.h"

namespace {

namespace stdfs = std::filesystem;
using qe_test::Printable;
using vb::String;

struct Written {
  String type;
  std::optional<String> disposition;
  std::string body;
};

Written PlayList(const String& run_system, const String& list) {
  asp::Context context(asp::RequestSpec{});
  vb::Variant response = context.Response();
  qe::KesraShowPlayList(response, run_system, list);
  Written written{context.ResponseObject().ContentType(), context.ResponseObject().Header(u"Content-Disposition"), {}};
  context.Finish();
  written.body = context.ResponseBody();
  return written;
}

void ExpectGolden(const std::string& name, const std::string& text) {
  const stdfs::path file = stdfs::path(QE_SOURCE_DIR) / "tests/page/player_pages" / (name + ".htm");
  if (std::getenv("QE_WRITE_GOLDEN")) {
    stdfs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  std::stringstream golden;
  golden << in.rdbuf();
  EXPECT_EQ(text, golden.str()) << name;
}

TEST(KesraShowPlayer, EachPageAndBranchIsItsGoldenText) {
  const String url = u"/Data_UploadFiles/clip", title = u"开学典礼";
  ExpectGolden("movie_rtsp", vb::ToUtf8(qe::KesraShowPlayMovie(url + u".rm", title, u"")));
  ExpectGolden("movie_mms", vb::ToUtf8(qe::KesraShowPlayMovie(url + u".wmv", title, u"")));
  ExpectGolden("movie_rtmp", vb::ToUtf8(qe::KesraShowPlayMovie(url + u".mp4", title, u"")));
  ExpectGolden("movie_none", vb::ToUtf8(qe::KesraShowPlayMovie(url + u".ogg", title, u"")));
  ExpectGolden("music", vb::ToUtf8(qe::KesraShowPlayMusic(url + u".mp3", u"校歌")));
  ExpectGolden("flash_control", vb::ToUtf8(qe::KesraShowPlayFlash(url + u".swf", title, u"Control")));
  ExpectGolden("flash_full", vb::ToUtf8(qe::KesraShowPlayFlash(url + u".swf", title, u"FullScreen")));
  ExpectGolden("image", vb::ToUtf8(qe::KesraShowPlayImage(url + u".jpg", title)));
  ExpectGolden("playlist_asx", PlayList(u"", u"mms://media/a.wmv|MMS://media/b.wmv").body);
  ExpectGolden("playlist_smil", PlayList(u"RTSP", u"rtsp://media/a.rm|rtsp://media/b.rm").body);
}

TEST(KesraShowPlayer, TheProtocolComesFromTheCallerTheSchemeOrTheExtension) {
  struct Case {
    const char16_t* url;
    const char16_t* run_system;
    const char* player;  // a mark only that player's markup holds; "" for none
  };
  const Case cases[] = {
      {u"/Data_UploadFiles/a.flv", u"", "StrobeMediaPlayback"},
      {u"/Data_UploadFiles/a.MP4", u"", "StrobeMediaPlayback"},
      {u"/Data_UploadFiles/a.wmv", u"RTSP", "CFCDAA03"},
      {u"/Data_UploadFiles/a.rmvb", u"", "CFCDAA03"},
      {u"/Data_UploadFiles/a.mp3", u"", "CFCDAA03"},
      {u"/Data_UploadFiles/a.asf", u"", "22D6F312"},
      {u"MMS://media/a.rm", u"", "22D6F312"},
      {u"http://media/a.rm", u"", ""},
      {u"/Data_UploadFiles/a.rm", u"ftp", ""},
      {u"/Data_UploadFiles/a", u"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.url) + " " + Printable(c.run_system));
    std::string page = vb::ToUtf8(qe::KesraShowPlayMovie(c.url, u"t", c.run_system));
    for (const char* mark : {"StrobeMediaPlayback", "CFCDAA03", "22D6F312"})
      EXPECT_EQ(page.find(mark) != std::string::npos, std::string(mark) == c.player) << mark;
    EXPECT_NE(page.find("<td bgcolor=#FFFFFF>"), std::string::npos);
  }
}

TEST(KesraShowPlayer, PlaylistsAreServedAsSmilWithTheirFileName) {
  Written asx = PlayList(u"", u"mms://a/1.wmv|mms://a/2.wmv");
  EXPECT_EQ(asx.type, u"application/smil");
  EXPECT_EQ(asx.disposition, String(u"inline; filename=playlist.asx"));
  EXPECT_LT(asx.body.find("mms://a/1.wmv"), asx.body.find("mms://a/2.wmv"));
  Written smil = PlayList(u"rtsp", u"rtsp://a/1.rm");
  EXPECT_EQ(smil.type, u"application/smil");
  EXPECT_EQ(smil.disposition, String(u"inline; filename=playlist.smil"));
  // A protocol with an empty list: only the opening and closing lines.
  EXPECT_EQ(PlayList(u"mms", u"").body, "<asx version=\"3.0\">\r\n</asx>");
  EXPECT_EQ(PlayList(u"rtsp", u"").body, "<smil><head>\r\n</head>\r\n<body>\r\n<seq>\r\n</seq>\r\n</body>\r\n</smil>");
  Written none = PlayList(u"", u"http://a/1.wmv");
  EXPECT_EQ(none.body, "");
  EXPECT_EQ(none.type, u"text/html");
  EXPECT_FALSE(none.disposition);
  EXPECT_EQ(PlayList(u"", u"no-scheme").body, "");
  EXPECT_RAISES(vb::kSubscriptOutOfRange, PlayList(u"", u""));
}

TEST(KesraShowPlayer, FlashControlPageOnlyForControlInAnyCase) {
  for (const char16_t* type : {u"Control", u"CONTROL", u"control"})
    EXPECT_NE(vb::ToUtf8(qe::KesraShowPlayFlash(u"a.swf", u"t", type)).find("id='tb'"), std::string::npos);
  for (const char16_t* type : {u"FullScreen", u"", u"controls"}) {
    std::string page = vb::ToUtf8(qe::KesraShowPlayFlash(u"a.swf", u"t", type));
    EXPECT_EQ(page.find("id='tb'"), std::string::npos);
    EXPECT_NE(page.find("PlayType=Control&"), std::string::npos);
  }
}

TEST(KesraShowPlayer, ValuesGoInAsTheCallerGaveThem) {
  const String title = u"A&B \"1\"", url = u"/a b.swf?x=1&y=2";
  std::string flash = vb::ToUtf8(qe::KesraShowPlayFlash(url, title, u"Control"));
  EXPECT_NE(flash.find(vb::ToUtf8(u"【flash标题：A&B \"1\"】</title>")), std::string::npos);
  EXPECT_NE(flash.find("<a href='?FileType=Flash&PlayType=FullScreen&Url=/a b.swf?x=1&y=2&Title=A&B \"1\"'>"),
            std::string::npos);
  std::string image = vb::ToUtf8(qe::KesraShowPlayImage(url, title));
  EXPECT_NE(image.find("<img src='/a b.swf?x=1&y=2' border=0 onmousewheel='return cgimg(this);'"), std::string::npos);
  std::string music = vb::ToUtf8(qe::KesraShowPlayMusic(url, title));
  EXPECT_NE(music.find("scrollAmount=2>A&B \"1\"</marquee>"), std::string::npos);
}

}  // namespace
