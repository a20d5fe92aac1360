// The drive page's part: the paste of the clipboard (what it copies or moves,
// what it leaves, the quota, other drives), and the client script.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "office/net_drive_site.h"
#include "office/qe_netdrivers_page.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "support/node_script.h"
#include "support/printable.h"

namespace netdrive_test {
namespace {

constexpr char16_t kDrive[] = u"/Data_UploadFiles/NetDriver/li/";

class PasteTest : public NetDriveTest {
 protected:
  // A page of li's with the clipboard set as the copy page leaves it.
  std::unique_ptr<Page> WithClipboard(const String& act, const String& source, const String& folders,
                                      const String& files, const User& user = Li()) {
    auto page = NewPage(&user);
    for (auto [name, value] : {std::pair{u"p_Act", act}, {u"SourceFolder", source}, {u"folders", folders},
                               {u"files", files}})
      com::Let(page->session, u"", Variant(value), String(name));
    return page;
  }
  String Paste(Page& page, const String& folder, const String& act = u"paste") {
    return qe::QeNetDriversSave(page.server, page.session, page.response, page.request, folder, act);
  }
};

TEST_F(PasteTest, ACopyCanBePastedAgainAndACutMovesOnce) {
  Write("src/d/x.txt", "dx");
  Write("src/f.txt", "f");
  Write("one/.keep");
  Write("two/.keep");
  auto page = WithClipboard(u"copy", kDrive + String(u"/src/"), u"d", u"f.txt\tmissing.txt");
  Paste(*page, u"/one/");
  Paste(*NextPage(*page), u"/two/");
  EXPECT_EQ(Tree(), "one/ one/.keep one/d/ one/d/x.txt one/f.txt src/ src/d/ src/d/x.txt src/f.txt two/ two/.keep "
                    "two/d/ two/d/x.txt two/f.txt ");
  EXPECT_EQ(vb::CStr(page->SessionValue(u"p_Act")), u"copy");

  Write("three/f.txt", "kept");
  auto cut = WithClipboard(u"cut", kDrive + String(u"/src/"), u"d", u"f.txt");
  Paste(*cut, u"/three/");
  EXPECT_EQ(Read(Path("three/f.txt")), "kept");  // an existing name is left as it is
  EXPECT_TRUE(Exists("src/f.txt"));
  EXPECT_TRUE(Exists("three/d/x.txt"));
  EXPECT_FALSE(Exists("src/d"));
}

TEST_F(PasteTest, APasteThatMustNotHappenChangesNothing) {
  Write("src/d/x.txt");
  Write("src/f.txt");
  std::filesystem::create_directory_symlink(site_.Host("site/Data_UploadFiles/NetDriver/bob"), Path("link"));
  struct Case {
    const char* what;
    String act, source, folders, files, folder, page_act;
  } cases[] = {
      {"into the source", u"copy", kDrive + String(u"/src/"), u"d", u"f.txt", u"/src/", u"paste"},
      {"not asked", u"copy", kDrive + String(u"/src/"), u"d", u"f.txt", u"/", u"list"},
      {"empty clipboard", u"", u"", u"", u"", u"/", u"paste"},
      {"into its own tree", u"cut", kDrive + String(u"/src/"), u"d", u"", u"/src/d/", u"paste"},
      {"from another drive", u"copy", u"/Data_UploadFiles/NetDriver/bob", u"", u"secret.txt", u"/", u"paste"},
      {"from outside by ..", u"copy", kDrive + String(u"/../bob"), u"", u"secret.txt", u"/", u"paste"},
      {"from a link out", u"cut", kDrive + String(u"/link"), u"", u"secret.txt", u"/", u"paste"},
      {"into a link out", u"copy", kDrive + String(u"/src/"), u"", u"f.txt", u"/link/", u"paste"},
      {"into /../", u"copy", kDrive + String(u"/src/"), u"", u"f.txt", u"/../", u"paste"},
      {"names out", u"cut", kDrive + String(u"/src/"), u"../../bob", u"../f.txt", u"/", u"paste"},
      {"into a missing folder", u"copy", kDrive + String(u"/src/"), u"d", u"f.txt", u"/none/", u"paste"},
  };
  auto tree = Tree();
  auto outside = Outside();
  for (const Case& c : cases) {
    auto page = WithClipboard(c.act, c.source, c.folders, c.files);
    String script = Paste(*page, c.folder, c.page_act);
    EXPECT_EQ(script.find(u"alert('你的网络"), String::npos) << c.what;
    EXPECT_FALSE(page->Ended()) << c.what;
    EXPECT_EQ(Tree(), tree) << c.what;
  }
  EXPECT_EQ(Outside(), outside);
}

// A copy pasted again and again stops at the quota: an entry that would take
// the drive past it is left out, and the script alerts first.
TEST_F(PasteTest, RepeatedCopiesStopAtTheQuota) {
  Write("src/f.bin", std::string(400 * 1024, 'x'));
  const String alert = u"<script language='javascript'>alert('你的网络硬盘空间已超过了额定的1M容量！');";
  std::vector<bool> alerted;
  for (const char* target : {"a", "b", "c"}) {
    Write(std::string(target) + "/.keep", "");
    auto page = WithClipboard(u"copy", kDrive + String(u"/src/"), u"", u"f.bin", Li(u"1"));
    String script = Paste(*page, u"/" + vb::FromUtf8(target) + u"/");
    alerted.push_back(script.compare(0, alert.size(), alert) == 0);
  }
  EXPECT_EQ(alerted, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(Tree(), "a/ a/.keep a/f.bin b/ b/.keep c/ c/.keep src/ src/f.bin ");
}

// One user's two sessions pasting at once: the quota holds for the two
// together.
TEST_F(PasteTest, TwoSessionsPastingAtOnceStayWithinTheQuota) {
  Write("src/f.bin", std::string(300 * 1024, 'x'));
  std::vector<std::string> targets;
  for (int i = 0; i < 8; ++i) {
    targets.push_back("t" + std::to_string(i));
    Write(targets.back() + "/.keep", "");
  }
  std::vector<std::thread> threads;
  for (const std::string& target : targets)
    threads.emplace_back([&, target] {
      auto page = WithClipboard(u"copy", kDrive + String(u"/src/"), u"", u"f.bin", Li(u"1"));
      Paste(*page, u"/" + vb::FromUtf8(target) + u"/");
    });
  for (auto& t : threads) t.join();
  uintmax_t total = 0;
  for (auto& entry : std::filesystem::recursive_directory_iterator(Path()))
    if (entry.is_regular_file()) total += entry.file_size();
  EXPECT_LE(total, 1048576u);
  EXPECT_EQ(total, 3u * 300 * 1024);
}

class DriveScriptTest : public NetDriveTest {
 protected:
  String Script(const String& folder) {
    User li = Li();
    auto page = NewPage(&li);
    return qe::QeNetDriversSave(page->server, page->session, page->response, page->request, folder, u"");
  }
};

TEST_F(DriveScriptTest, TheFolderIsEncodedInEveryAddress) {
  String script = Script(u"/中文 a'b/");
  ASSERT_EQ(script.rfind(u"<script language='javascript'>function upfile(){", 0), 0u);
  ASSERT_EQ(script.substr(script.size() - 9), u"</script>");
  EXPECT_EQ(script.find(u"中文"), String::npos);
  EXPECT_EQ(script.find(u"a'b"), String::npos);
  size_t encoded = 0;
  for (size_t at = 0; (at = script.find(u"%D6%D0%CE%C4+a%27b%2F", at)) != String::npos; ++at) ++encoded;
  EXPECT_EQ(encoded, 12u);
}

// The script runs against a small stand-in of the page: each function sends
// the browser where the page's action pages expect it.
TEST_F(DriveScriptTest, EachFunctionReachesItsAddress) {
  if (!test_support::HaveNode()) GTEST_SKIP() << "node is not installed";
  String script = Script(u"/a b/");
  std::string code = vb::ToUtf8(script.substr(30, script.size() - 39));
  std::string program = R"(
var out = [], answers = [], confirms = [];
var window = {location: {href: ''}, close: function () {}};
function alert(m) { out.push('alert ' + m); }
function prompt(m, d) { out.push('prompt ' + m); return answers.shift(); }
function confirm(m) { out.push('confirm ' + m); return confirms.shift(); }
function OpenWindowModalScroll(u, w, h) { out.push('open ' + u + ' ' + w + 'x' + h); }
var document = {delthis: {action: '', p_Act: {value: ''}, submit: function () { out.push('submit ' + this.action + ' ' + this.p_Act.value); },
  files: [{checked: false}, {checked: false}], folders: undefined}};
)" + code + R"(
function go(f) { window.location.href = ''; f(); if (window.location.href) out.push('go ' + window.location.href); }
go(function () { upfile(); });
go(function () { down_file('x.txt'); });
go(function () { zipunzip('unzip', 'x.zip'); });
go(function () { viewfile('sub/', 'folder'); viewfile('x.txt', 'txt'); });
go(function () { editfile('x.txt', 'txt'); editfile('x.gif', 'gif'); });
confirms = [false, true];
go(function () { editfile('x.TXT', 'TXT'); editfile('x.log', 'log'); });
answers = ['y.txt', null];
go(function () { ReNameIt('ReNameFile', 'x.txt'); });
go(function () { ReNameIt('ReNameFile', 'x.txt'); });
answers = ['new'];
go(function () { create_it('CreateFolder'); });
go(function () { copyfile(1, 'x.txt'); cutfile(0, ''); });
go(function () { pastefile(); });
confirms = [true, false];
go(function () { delbatch(); delfile('DelFile', 'x.txt'); });
go(function () { selectall('files', true); selectall('folders', true); });
out.push('checked ' + document.delthis.files[0].checked + document.delthis.files[1].checked);
console.log(out.join('\n'));
)";
  EXPECT_EQ(test_support::RunNode(program),
            "open netdrivers_upload.asp?p_CurrentFolder=%2Fa+b%2F 610x440\n"
            "go ?p_Act=download&p_CurrentFile=%2Fa+b%2Fx.txt\n"
            "open netdrivers_unzip.asp?p_Act=unzip&p_CurrentFolder=%2Fa+b%2F&p_CurrentFile=x.zip 420x200\n"
            "open netdrivers_view.asp?p_Act=View&p_CurrentFile=%2Fa+b%2Fx.txt 420x200\n"
            "go ?p_CurrentFolder=%2Fa+b%2Fsub/\n"
            "open netdrivers_edit.asp?p_CurrentFile=%2Fa+b%2Fx.txt 800x550\n"
            "alert 该类型文件为非ASCII文件，无法编辑！\n"
            "confirm 你确定该文件为ASCII类型文件，并编辑它吗？\n"
            "confirm 你确定该文件为ASCII类型文件，并编辑它吗？\n"
            "open netdrivers_edit.asp?p_CurrentFile=%2Fa+b%2Fx.log 800x550\n"
            "prompt 请输入文件(夹)的新名称：\n"
            "go netdrivers_rename.asp?p_Act=ReNameFile&p_CurrentFolder=%2Fa+b%2F&p_OldName=x.txt&p_NewName=y.txt\n"
            "prompt 请输入文件(夹)的新名称：\n"
            "prompt 请输入要创建的文件(夹)的名称：\n"
            "go netdrivers_create_del.asp?p_Act=CreateFolder&p_CurrentFolder=%2Fa+b%2F&p_CurrentFile=new\n"
            "submit netdrivers_copy.asp?p_CurrentFolder=%2Fa+b%2F&p_CurrentFile=x.txt&p_CopyType=1 copy\n"
            "submit netdrivers_copy.asp?p_CurrentFolder=%2Fa+b%2F&p_CurrentFile=&p_CopyType=0 cut\n"
            "go ?p_Act=paste&p_CurrentFolder=%2Fa+b%2F\n"
            "confirm 你真的要删除该文件或目录吗？\n"
            "submit netdrivers_copy.asp?p_CurrentFolder=%2Fa+b%2F&p_CurrentFile=&p_CopyType=0 cut\n"
            "confirm 你真的要删除该文件或目录吗？\n"
            "alert 对不起，当前目录下没有文件（夹）可选择/清除\n"
            "checked truetrue\n");
}

}  // namespace
}  // namespace netdrive_test
