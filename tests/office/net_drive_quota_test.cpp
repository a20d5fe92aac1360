// The drive's quota over every way into a drive: a write that lands exactly
// on the quota is done, one byte more is refused with the copy's message and
// changes nothing. Each file and folder takes at least a disk block.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "office/net_drive_site.h"
#include "office/qe_netdrivers.h"
#include "office/qe_netdrivers_edit.h"
#include "office/qe_netdrivers_page.h"
#include "platform/com/object.h"
#include "support/printable.h"

namespace netdrive_test {
namespace {

constexpr int64_t kQuota = 1048576;  // Li(u"1"): one megabyte
constexpr int64_t kBlock = 4096;
constexpr char16_t kRefusal[] =
    u"<script language='javascript'>alert('你的网络硬盘空间已超过了额定的1M容量！');window.history.go(-1);</script>";

class DriveQuotaTest : public NetDriveTest {
 protected:
  // Empties li's drive, then fills it to leave `room` (less than none: over
  // the quota) besides what a case keeps: five entries of a block each.
  void Reset(int64_t room) {
    std::filesystem::remove_all(Path());
    std::filesystem::create_directories(Path());
    Write("a.txt", "x");
    Write("src/f.bin", std::string(1000, 's'));
    Write("to/.keep", "");
    Write("fill.bin", std::string(kQuota - room - 5 * kBlock, 'f'));
  }
  // Each write answers with what it wrote and what it returned.
  String Edit(const std::string& content) {
    User li = Li(u"1");
    auto page = NewPage(&li, u"/qe/netdrivers_edit.asp", {{u"fcontent", vb::FromUtf8(content)}});
    String returned =
        qe::QeNetDriversFileEdit(page->server, page->session, page->response, page->request, u"/a.txt", u"EditFile");
    return page->Body() + returned;
  }
  String Create(const String& name, const String& act) {
    User li = Li(u"1");
    auto page = NewPage(&li, u"/qe/netdrivers_create_del.asp");
    qe::QeNetDriversCreateOrDel(page->server, page->session, page->response, page->request, u"/", name, act);
    return page->Body();
  }
  String Paste() {
    User li = Li(u"1");
    auto page = NewPage(&li);
    for (auto [name, value] : {std::pair{u"p_Act", u"copy"}, {u"SourceFolder", u"/Data_UploadFiles/NetDriver/li//src/"},
                               {u"folders", u""}, {u"files", u"f.bin"}})
      com::Let(page->session, u"", Variant(String(value)), String(name));
    return qe::QeNetDriversSave(page->server, page->session, page->response, page->request, u"/to/", u"paste");
  }
};

TEST_F(DriveQuotaTest, EveryWriteStopsExactlyAtTheQuota) {
  const std::string saved(5000, 'e');
  struct Case {
    const char* what;
    int64_t room;  // what the drive has left before the write that lands exactly on the quota
    std::function<String(bool over)> write;
    std::function<bool()> done;
    bool grows_itself = false;  // over by one byte of its own text, not of the drive
  } cases[] = {
      // The editor counts the new room less the old: a block becomes 5000 bytes.
      {"editor's save", 5000 - kBlock, [&](bool over) { return Edit(saved + (over ? "e" : "")); },
       [&] { return Read(Path("a.txt")).size() >= saved.size(); }, true},
      // An empty new entry, or a small file copied, takes a block.
      {"new file", kBlock, [&](bool) { return Create(u"new.txt", u"CreateFile"); },
       [&] { return Exists("new.txt"); }},
      {"new folder", kBlock, [&](bool) { return Create(u"new", u"CreateFolder"); },
       [&] { return Exists("new"); }},
      {"new folder with the folder above it", 2 * kBlock, [&](bool) { return Create(u"up/new", u"CreateFolder"); },
       [&] { return Exists("up/new"); }},
      {"paste of a copy", kBlock, [&](bool) { return Paste(); },
       [&] { return Exists("to/f.bin"); }},
  };
  for (const Case& c : cases) {
    for (bool over : {false, true}) {
      Reset(c.room - (over && !c.grows_itself ? 1 : 0));
      String answer = c.write(over);
      EXPECT_EQ(c.done(), !over) << c.what << (over ? " over" : " at");
      bool refused = answer.find(u"alert('你的网络硬盘空间已超过了额定的1M容量！');") != String::npos;
      EXPECT_EQ(refused, over) << c.what << (over ? " over" : " at") << Printable(answer);
    }
  }
  Reset(0);
  EXPECT_EQ(Printable(Create(u"new.txt", u"CreateFile")), Printable(kRefusal));
  EXPECT_EQ(Read(Path("a.txt")), "x");
}

TEST_F(DriveQuotaTest, TheEditorSavesWhatFreesRoomOnAFullDriveButNeverAMissingText) {
  Reset(-5000);
  Write("a.txt", std::string(3 * kBlock, 'a'));
  EXPECT_NE(Edit("").find(u"文件已成功保存"), String::npos);
  EXPECT_EQ(Read(Path("a.txt")), "");

  Write("a.txt", "kept");
  User li = Li();
  auto page = NewPage(&li, u"/qe/netdrivers_edit.asp");  // no fcontent at all
  String answer = qe::QeNetDriversFileEdit(page->server, page->session, page->response, page->request, u"/a.txt",
                                           u"EditFile");
  EXPECT_NE(answer.find(u"文件保存失败"), String::npos);
  EXPECT_EQ(Read(Path("a.txt")), "kept");
}

}  // namespace
}  // namespace netdrive_test
