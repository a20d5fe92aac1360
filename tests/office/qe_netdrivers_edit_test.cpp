// The drive's text editor: the page as text, files it must not offer, saves
// that replace the file whole or not at all, and paths outside the drive.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "office/net_drive_site.h"
#include "office/qe_netdrivers_edit.h"
#include "page/kesra_opener_refresh.h"
#include "support/printable.h"

namespace netdrive_test {
namespace {

constexpr char16_t kStyle[] =
    u"<style type=\"text/css\"><!--body{margin:0 0 0px;padding:0;background:#d6d3cc;}form,p{margin:0;padding:0}"
    u"td{font-size: 9pt; font-family: \"宋体\";color: #000000}a {color: #000000; text-decoration: none}"
    u"a:hover {color: #000000; text-decoration: none}.button1{cursor:hand;border:1 solid black;font-size: 9pt; "
    u"font-style: normal; font-variant: normal; font-weight: normal; height: 18px; line-height: normal}--></style>";

String Location(const String& value) {
  return u"<body style='background:#d6d3cc'><table width='100%' height='100%' align=center cellspacing=0 "
         u"cellpadding=0><tr><td style='vertical-align:middle;padding-left:15px;'><form method='post' action='?'>"
         u"<span style='position:relative;top:-3px;'>位置：</span><input type='text' class='button1' "
         u"name='p_CurrentFile' size=100 value='" +
         value + u"'> <input type='submit' class='button1' value='读文件'> </form></td></tr><tr><td height=470>";
}

class EditorTest : public NetDriveTest {
 protected:
  struct Result {
    String returned, written;
    bool ended;
  };
  Result Edit(const String& file, const String& act = u"", const String& content = u"") {
    User li = Li();
    auto page = NewPage(&li, u"/qe/netdrivers_edit.asp", {{u"fcontent", content}});
    String returned = qe::QeNetDriversFileEdit(page->server, page->session, page->response, page->request, file, act);
    return {returned, page->Body(), page->Ended()};
  }
};

TEST_F(EditorTest, ShowsTheFileEscapedInTheForm) {
  Write("d/it's.txt", "\r\n<b>a & b</b></textarea>");
  Result shown = Edit(u"/d/it's.txt");
  EXPECT_EQ(Printable(shown.returned),
            Printable(kStyle + Location(u"/d/it&#39;s.txt") +
                      u"<p style='text-align:center;padding-left:14px;padding-right:0px'>"
                      u"<form action='?p_CurrentFile=%2Fd%2Fit%27s%2Etxt' method=post>"
                      u"<input type='hidden' name='p_Act' value='EditFile'>"
                      u"<input type='hidden' name='p_CurrentFile' value='/d/it&#39;s.txt'>"
                      u"<textarea name='fcontent' cols='122' rows='31' style='font-size: 12px; width: 100%; box-sizing: border-box'>\r\n\r\n"
                      u"&lt;b&gt;a &amp; b&lt;/b&gt;&lt;/textarea&gt;</textarea><br>"
                      u"<p style='text-align:right;padding-right:30px;padding-top:10px; height:25px;'>"
                      u"<input type='submit' class='button1' value='保存编辑'>&nbsp;"
                      u"<input type='reset' class='button1' value='复原'>&nbsp;"
                      u"<input type='button' class='button1' value='关闭' onclick=window.close();>"
                      u"</form></td></tr></table>"));
  EXPECT_FALSE(shown.ended);
}

// Bytes the text area would not give back (not code page 936 text, a NUL)
// are not offered, and a save posted for such a file leaves it as it was.
TEST_F(EditorTest, FilesTheTextAreaWouldChangeAreNotOffered) {
  const std::string refused[] = {std::string("a\0b", 3), "\x80\x81\xff", "\xd6", "\xef\xbb\xbfutf-8 \xe4\xb8\xad"};
  for (const std::string& bytes : refused) {
    Write("bin.dat", bytes);
    Result shown = Edit(u"/bin.dat");
    EXPECT_EQ(Printable(shown.returned),
              Printable(kStyle + Location(u"/bin.dat") +
                        u"<center><font color=#ff3333>该类型文件为非ASCII文件，无法编辑！</font></center></td></tr></table>"));
    Result saved = Edit(u"/bin.dat", u"EditFile", u"new");
    EXPECT_EQ(saved.returned, kStyle + qe::KesraOpenerEditRefresh(u"文件保存失败", 1));
    EXPECT_EQ(Read(Path("bin.dat")), bytes);
  }
  Write("folder/x.txt");
  EXPECT_NE(Edit(u"/folder").returned.find(u"无法编辑"), String::npos);
}

TEST_F(EditorTest, ASaveReplacesTheFileWithCodePageText) {
  Write("a.txt", "old\nlines\n");
  EXPECT_NE(Edit(u"/a.txt").returned.find(u">old\nlines\n</textarea>"), String::npos);
  Result saved = Edit(u"/a.txt", u"EditFile", u"中文\r\nlines\r\n</textarea>");
  EXPECT_EQ(saved.returned, kStyle + qe::KesraOpenerEditRefresh(u"文件已成功保存", 1));
  EXPECT_EQ(Read(Path("a.txt")), "\xd6\xd0\xce\xc4\r\nlines\r\n</textarea>");
}

TEST_F(EditorTest, AFailedWriteLeavesTheOldFileWhole) {
  Write("a.txt", "the old text");
  struct rlimit old_limit {};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 64;
  setrlimit(RLIMIT_FSIZE, &small);
  Result saved = Edit(u"/a.txt", u"EditFile", String(1000, u'x'));
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_EQ(saved.returned, kStyle + qe::KesraOpenerEditRefresh(u"文件保存失败", 1));
  EXPECT_EQ(Read(Path("a.txt")), "the old text");
  EXPECT_EQ(Tree(), "a.txt ");
}

TEST_F(EditorTest, NothingThereIsAlertedAndNothingIsCreated) {
  const String missing = u"<Script language='javascript'>alert('找不到指定的文件，可能该文件已经被删除!');"
                         u"window.close();</Script>";
  for (const String& act : {String(u""), String(u"EditFile")}) {
    Result r = Edit(u"/new/a.txt", act, u"text");
    EXPECT_EQ(Printable(r.written), Printable(missing));
    EXPECT_TRUE(r.ended);
    EXPECT_EQ(r.returned, u"");
  }
  EXPECT_EQ(Tree(), "");
}

// Paths out of the drive: the show writes its not-found text, the save its
// illegal-name alert; nothing outside the drive is read or changed.
TEST_F(EditorTest, PathsOutOfTheDriveAreRefusedInBothModes) {
  std::filesystem::create_directory_symlink(site_.Host("site/Data_UploadFiles/NetDriver/bob"), Path("link"));
  const String not_found = u"<center><font color=#ff3333>你要编辑的文件不存在</font></center>";
  const String illegal = u"<script language='javascript'>alert('指定的文件名或路径中含有非法字符');window.close();</script>";
  auto outside = Outside();
  for (const String& path : {u"../bob/secret.txt", u"/../bob/secret.txt", u"a/../../bob/secret.txt", u"....",
                             u"/link/secret.txt", u"\\..\\bob\\secret.txt", u"c:/x", u"", u"/"}) {
    Result shown = Edit(path);
    EXPECT_EQ(Printable(shown.written), Printable(not_found)) << Printable(path);
    EXPECT_TRUE(shown.ended);
    Result saved = Edit(path, u"EditFile", u"overwritten");
    EXPECT_EQ(Printable(saved.written), Printable(illegal)) << Printable(path);
    EXPECT_TRUE(saved.ended);
  }
  EXPECT_EQ(Outside(), outside);
}

}  // namespace
}  // namespace netdrive_test
