// The site's interface pictures: drawn again they are the committed bytes,
// the list refuses what would make an address ambiguous, and `qe serve`
// answers their addresses in any case, under any folder, as pictures.
#include "host/site_pictures.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "host/raw_http.h"
#include "host/serve_process.h"
#include "support/file_content.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;

const stdfs::path kPictureFolder = stdfs::path(QE_SOURCE_DIR) / "data" / "pictures";

struct Ran {
  int status = -1;
  std::string out;
};

// The generator over `list`, into `folder`; what it said in `out`.
Ran Draw(const stdfs::path& list, const stdfs::path& folder) {
  const stdfs::path said = folder / "said.txt";
  int status = std::system((std::string("'") + QE_DRAW_PICTURES_PATH + "' '" + list.string() + "' '" + folder.string() +
                            "' > '" + said.string() + "' 2>&1")
                               .c_str());
  Ran ran{WIFEXITED(status) ? WEXITSTATUS(status) : -1, qe_test::FileContent(said)};
  stdfs::remove(said);
  return ran;
}

std::set<std::string> PngFiles(const stdfs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : stdfs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() == ".png")
      names.insert(entry.path().lexically_relative(folder).generic_string());
  return names;
}

TEST(SitePictures, DrawnAgainTheyAreTheCommittedBytesAndNothingElse) {
  qe_test::TempSite scratch;
  const stdfs::path drawn = scratch.MakeFolder("drawn");
  Ran ran = Draw(kPictureFolder / "pictures.list", drawn);
  ASSERT_EQ(ran.status, 0) << ran.out;
  std::set<std::string> fresh = PngFiles(drawn), committed = PngFiles(kPictureFolder);
  ASSERT_GT(fresh.size(), 100u);
  for (const std::string& name : committed)
    EXPECT_TRUE(fresh.count(name)) << name << " is left over: the list no longer names it";
  for (const std::string& name : fresh) {
    EXPECT_TRUE(committed.count(name)) << name << " was never drawn: cmake --build DIR --target redraw_pictures";
    if (committed.count(name))
      EXPECT_EQ(qe_test::FileContent(drawn / name), qe_test::FileContent(kPictureFolder / name))
          << name << " differs from what the list draws: draw the pictures again";
  }
}

TEST(SitePictures, TheGeneratorRefusesListsItCannotDrawFaithfully) {
  struct Case {
    const char* list;
    const char* message;
  };
  const Case kCases[] = {
      // One file per address in any case: two spellings would overwrite each other.
      {"comm/image/a.asp 4x4 spacer\nComm/Image/A.asp 4x4 spacer\n", "2: the address Comm/Image/A.asp is listed twice"},
      {"comm/image/a.asp 4x4 spacer\ncomm/image/a.gif 4x4 spacer\n", "listed twice"},
      {"../comm/image/a.asp 4x4 spacer\n", "1: the address \"../comm/image/a.asp\" is not a file"},
      {"comm/image/a.asp 4 spacer\n", "1: the size \"4\" is not WIDTHxHEIGHT"},
      {"comm/image/a.asp 0x4 spacer\n", "is not WIDTHxHEIGHT"},
      {"comm/image/a.asp 4x4\n", "1: an address needs a size and a drawing"},
      {"# a comment\n\ncomm/image/a.asp 4x4 sparkle\n", "3: no drawing \"sparkle\""},
      {"comm/image/a.asp 4x4 frame-top:velvet\n", "no frame style \"velvet\""},
      {"comm/image/a.asp 30x30 file\n", "a file icon needs its kind"},
  };
  qe_test::TempSite scratch;
  for (const Case& c : kCases) {
    stdfs::path list = scratch.WriteFile("bad.list", c.list);
    Ran ran = Draw(list, scratch.MakeFolder("out"));
    EXPECT_EQ(ran.status, 1) << c.list;
    EXPECT_NE(ran.out.find(c.message), std::string::npos) << c.list << "\n" << ran.out;
  }
}

TEST(SitePictures, FoundInAnyCaseUnderAnyFolder) {
  const std::string close = qe_test::FileContent(kPictureFolder / "comm/image/kesra_error_buttonclose1.png");
  ASSERT_EQ(close.substr(0, 8), "\x89PNG\r\n\x1a\n");
  for (const char16_t* path : {u"/Comm/Image/Kesra_Error_ButtonClose1.asp", u"/comm/image/kesra_error_buttonclose1.asp",
                               u"/qe/COMM/IMAGE/KESRA_ERROR_BUTTONCLOSE1.ASP", u"/fixtures/a/b/Comm/Image/Kesra_Error_ButtonClose1.asp",
                               u"/Comm/Image/Kesra_Error_ButtonClose1.asp. .", u"/comm/image/kesra_error_buttonclose1.asp "}) {
    std::optional<host::SitePicture> found = host::FindSitePicture(path);
    ASSERT_TRUE(found) << vb::ToUtf8(path);
    EXPECT_EQ(found->bytes, close) << vb::ToUtf8(path);
    EXPECT_EQ(found->content_type, "image/png");
  }
  for (const char16_t* path : {u"/comm/image/kesra_error_buttonclose9.asp", u"/comm/image/kesra_error_buttonclose1.png",
                               u"/comm/image/kesra_error_buttonclose1", u"/image/kesra_error_buttonclose1.asp",
                               u"/xcomm/image/kesra_error_buttonclose1.asp", u"/comm/image/kesra_error_buttonclose1.asp/",
                               u"/comm/image/kesra_error_buttonclose1.asp/x", u"/comm/kesra_error_buttonclose1.asp",
                               u"/", u"", u"/qe/index.asp"})
    EXPECT_FALSE(host::FindSitePicture(path)) << vb::ToUtf8(path);
  // Folders named alike in other places hold their own pictures.
  EXPECT_NE(host::FindSitePicture(u"/kesra/image/kesra_excel.asp")->bytes.size(), 0u);
  EXPECT_TRUE(host::FindSitePicture(u"/comm/image/fileswt/DOC.asp"));
  EXPECT_NE(host::FindSitePicture(u"/comm/image/fileswt/doc.asp")->bytes,
            host::FindSitePicture(u"/comm/image/fileswt1/doc.asp")->bytes);
}

TEST(SitePictures, ServedAsPicturesNeverRunAsPages) {
  qe_test::TempSite site;
  // A site file at a picture's address is a script of that site: the
  // picture is served, never its text.
  site.WriteFile("site/comm/image/kesra_close.asp", "<% Response.Write \"source\" %>");
  host_test::ServeProcess server(site.SiteFolder());
  const std::string close = qe_test::FileContent(kPictureFolder / "comm/image/kesra_close.png");
  auto get = [&](const std::string& method, const std::string& path) {
    return host_test::SendRaw(server.Port(), method + " " + path +
                                                 " HTTP/1.1\r\nHost: a\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  };
  for (const char* path : {"/comm/image/kesra_close.asp", "/QE/Comm/Image/KESRA_CLOSE.ASP"}) {
    std::string answer = get("GET", path);
    EXPECT_EQ(host_test::StatusOf(answer), 200) << path;
    EXPECT_NE(answer.find("\r\nContent-Type: image/png\r\n"), std::string::npos) << answer.substr(0, 300);
    EXPECT_NE(answer.find("\r\nContent-Length: " + std::to_string(close.size()) + "\r\n"), std::string::npos);
    EXPECT_TRUE(answer.ends_with("\r\n\r\n" + close)) << path;
  }
  std::string head = get("HEAD", "/comm/image/kesra_close.asp");
  EXPECT_EQ(host_test::StatusOf(head), 200);
  EXPECT_TRUE(head.ends_with("\r\n\r\n")) << head;
  EXPECT_EQ(host_test::StatusOf(get("POST", "/comm/image/kesra_close.asp")), 405);
  EXPECT_EQ(host_test::StatusOf(get("GET", "/comm/image/kesra_nothing.asp")), 404);
  EXPECT_EQ(host_test::StatusOf(get("GET", "/comm/image/kesra_close.png")), 404);
}

}  // namespace
