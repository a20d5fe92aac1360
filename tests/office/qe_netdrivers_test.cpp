// The drive's actions: their messages, what they leave on disk, and the
// paths they refuse so that nothing outside the user's own drive is read,
// changed or created.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "office/net_drive_site.h"
#include "office/qe_netdrivers.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "support/printable.h"

namespace netdrive_test {
namespace {

constexpr char16_t kReturnRoot[] = u"window.location.href='netdrivers.asp?p_CurrentFolder=/';</script>";

class NetDriverActionsTest : public NetDriveTest {
 protected:
  String Rename(const String& folder, const String& act, const String& query, const User& user = Li()) {
    auto page = NewPage(&user, u"/qe/netdrivers_rename.asp?" + query);
    qe::QeNetDriversReName(page->server, page->session, page->response, page->request, folder, act);
    return page->Body();
  }
  String CreateOrDel(const String& folder, const String& file, const String& act, const User& user = Li()) {
    auto page = NewPage(&user, u"/qe/netdrivers_create_del.asp");
    qe::QeNetDriversCreateOrDel(page->server, page->session, page->response, page->request, folder, file, act);
    return page->Body();
  }
  String DelBatch(const String& folder, asp::NameValueList form, const String& act = u"DelBatch") {
    User li = Li();
    auto page = NewPage(&li, u"/qe/netdrivers.asp", std::move(form));
    qe::QeNetDriversDelBatch(page->server, page->session, page->response, page->request, folder, act);
    return page->Body();
  }
};

String Alert(const String& message) { return u"alert('" + message + u"');"; }

TEST_F(NetDriverActionsTest, RenameAnswersEachOutcomeWithItsMessage) {
  Write("a.txt", "a");
  Write("taken.txt", "t");
  Write("docs/x.txt");
  const String open = u"<Script language='javascript'>";
  struct Case {
    String act, query, expected;
  } cases[] = {
      {u"ReNameFile", u"p_OldName=a.txt&p_NewName=b.txt", open + Alert(u"重命名文件 [a.txt] 为 [b.txt] 成功！") + kReturnRoot},
      {u"ReNameFile", u"p_OldName=b.txt&p_NewName=taken.txt",
       open + Alert(u"重命名文件[b.txt] 失败，同名文件或文件夹已存在！") + kReturnRoot},
      {u"ReNameFile", u"p_OldName=gone.txt&p_NewName=c.txt",
       open + Alert(u"重命名文件 [gone.txt] 失败，文件[gone.txt] 不存在！") + kReturnRoot},
      {u"ReNameFolder", u"p_OldName=docs&p_NewName=papers",
       open + Alert(u"重命名文件夹 [docs] 为 [papers] 成功！") + kReturnRoot},
      {u"ReName", u"p_OldName=b.txt&p_NewName=c.txt", open + Alert(u"命令参数错误！") + kReturnRoot},
      {u"ReNameFile", u"p_OldName=b.txt&p_NewName=+++",
       open + Alert(u"指定的文件（夹）名称不能为空") + u"window.history.go(-1);</Script>"},
      {u"ReNameFile", u"p_OldName=b.txt&p_NewName=x*y",
       open + Alert(u"指定的路径或文件名称非法") + u"window.history.go(-1);</Script>"},
      // The name as typed reaches the script as text, not as code.
      {u"ReNameFile", u"p_OldName=b.txt&p_NewName=it%27s",
       open + Alert(u"重命名文件 [b.txt] 为 [it\\'s] 成功！") + kReturnRoot},
  };
  for (const Case& c : cases) EXPECT_EQ(Printable(Rename(u"/", c.act, c.query)), Printable(c.expected)) << Printable(c.query);
  EXPECT_EQ(Tree(), "it's papers/ papers/x.txt taken.txt ");
}

TEST_F(NetDriverActionsTest, CreateAndDeleteAnswerEachOutcomeWithItsMessage) {
  Write("docs/x.txt");
  const String open = u"<script language='javascript'>";
  struct Case {
    String file, act, message;
  } cases[] = {
      {u"docs", u"CreateFolder", u"你要创建的文件夹[docs]已经存在！"},
      {u"new/deep", u"CreateFolder", u"文件夹创建成功！"},
      {u"a.txt", u"CreateFile", u"文本文件创建成功！"},
      {u"a.txt", u"CreateFile", u"你要创建的文件[a.txt]已经存在！"},
      {u"a.txt", u"DelFile", u"文件删除成功！"},
      {u"a.txt", u"DelFile", u"你要删除的文件[a.txt]没有找到！"},
      {u"docs", u"DelFolder", u"文件夹删除成功！"},
      {u"docs", u"DelFolder", u"你要删除的文件夹[docs]没有找到！"},
      {u"x", u"Delfile", u"命令参数错误！"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Printable(CreateOrDel(u"/", c.file, c.act)), Printable(open + Alert(c.message) + kReturnRoot))
        << Printable(c.file + u" " + c.act);
  EXPECT_EQ(Tree(), "new/ new/deep/ ");
}

TEST_F(NetDriverActionsTest, AnswersCarryTheFolderAsScriptText) {
  Write("it's & #1/a.txt");
  String body = CreateOrDel(u"/it's & #1/", u"a.txt", u"DelFile");
  EXPECT_EQ(Printable(body), Printable(u"<script language='javascript'>" + Alert(u"文件删除成功！") +
                                       u"window.location.href='netdrivers.asp?p_CurrentFolder=/it\\'s %26 %231/';"
                                       u"</script>"));
  EXPECT_NE(CreateOrDel(u"/中文 夹/", u"b.txt", u"CreateFile").find(u"p_CurrentFolder=/中文 夹/'"), String::npos);
}

// Each way out of the drive, through each action: refused with the action's
// own illegal-name text (or its failure message, for a name the platform
// refuses), and nothing outside li's drive changed.
TEST_F(NetDriverActionsTest, NoActionReachesOutsideTheDrive) {
  Write("keep/a.txt", "mine");
  std::filesystem::create_directory_symlink(site_.Host("site/Data_UploadFiles/NetDriver/bob"), Path("link"));
  std::filesystem::create_directory_symlink(site_.Host("site/data"), Path("keep/db"));
  const String illegal_create = Alert(u"指定的文件名或路径中含有非法字符");
  const String illegal_rename = Alert(u"指定的路径或文件名称非法");
  struct Case {
    const char* what;
    std::function<String()> run;
    String expected;  // a part of the answer
  } cases[] = {
      {"delete ../bob", [&] { return CreateOrDel(u"/", u"../bob", u"DelFolder"); }, illegal_create},
      {"delete from /../", [&] { return CreateOrDel(u"/../", u"bob", u"DelFolder"); }, illegal_create},
      {"delete a/../../bob", [&] { return CreateOrDel(u"/", u"a/../../bob", u"DelFolder"); }, illegal_create},
      {"delete the root", [&] { return CreateOrDel(u"/", u"/", u"DelFolder"); }, illegal_create},
      {"delete the current folder", [&] { return CreateOrDel(u"/keep/", u"", u"DelFolder"); }, illegal_create},
      {"delete .", [&] { return CreateOrDel(u"/keep/", u".", u"DelFolder"); }, illegal_create},
      {"delete ....", [&] { return CreateOrDel(u"/", u"....", u"DelFolder"); }, Alert(u"文件夹删除失败！")},
      {"delete through a link", [&] { return CreateOrDel(u"/link/", u"secret.txt", u"DelFile"); }, illegal_create},
      {"delete the link's target", [&] { return CreateOrDel(u"/keep/db/", u"qe.asp", u"DelFile"); }, illegal_create},
      {"create through a link", [&] { return CreateOrDel(u"/", u"link/new.txt", u"CreateFile"); }, illegal_create},
      {"create a tab name", [&] { return CreateOrDel(u"/", u"a\tb", u"CreateFolder"); }, illegal_create},
      {"rename ../bob", [&] { return Rename(u"/", u"ReNameFolder", u"p_OldName=..%2fbob&p_NewName=x"); }, illegal_rename},
      {"rename %2e%2e", [&] { return Rename(u"/keep/", u"ReNameFolder", u"p_OldName=%2e%2e&p_NewName=x"); }, illegal_rename},
      {"rename to ..", [&] { return Rename(u"/keep/", u"ReNameFile", u"p_OldName=a.txt&p_NewName=.."); }, illegal_rename},
      {"rename the current folder", [&] { return Rename(u"/keep/", u"ReNameFolder", u"p_OldName=&p_NewName=x"); },
       illegal_rename},
      {"rename in /../", [&] { return Rename(u"/../", u"ReNameFolder", u"p_OldName=bob&p_NewName=x"); }, illegal_rename},
      {"rename in a link", [&] { return Rename(u"/link/", u"ReNameFile", u"p_OldName=secret.txt&p_NewName=x"); },
       illegal_rename},
      {"rename a link out", [&] { return Rename(u"/", u"ReNameFolder", u"p_OldName=link&p_NewName=mine"); },
       String(u"重命名文件夹 [link] 失败！")},
      {"batch ..", [&] { return DelBatch(u"/keep/", {{u"Folders", u".."}}); }, Alert(u"【..】删除失败!")},
      {"batch through a link", [&] { return DelBatch(u"/link/", {{u"Files", u"secret.txt"}}); },
       Alert(u"命令参数错误！")},
      {"batch in /../", [&] { return DelBatch(u"/../", {{u"Folders", u"bob"}}); }, Alert(u"命令参数错误！")},
      {"batch a/../../", [&] { return DelBatch(u"/a/../../", {{u"Folders", u"bob"}}); }, Alert(u"命令参数错误！")},
  };
  auto before = Outside();
  for (const Case& c : cases) {
    String body = c.run();
    EXPECT_NE(body.find(c.expected), String::npos) << c.what << ": " << Printable(body);
  }
  EXPECT_EQ(Outside(), before);
  EXPECT_EQ(Read(Path("keep/a.txt")), "mine");
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link")));
}

// Drive folders are named by the user name on a disk that finds names in any
// letter case and drops trailing dots and blanks: a name that would reach
// bob's folder without being bob's is refused.
TEST_F(NetDriverActionsTest, AUserNameThatIsNoPlainNameTouchesNothing) {
  for (String name : {u"..", u".", u"", u"../bob", u"a\\b", u"c:x", u"bob.", u"bob ", u" bob", u".bob", u"BOB", u"Bob"}) {
    User odd(u"9|odd|" + name + u"|Office|b|20240101|x");
    auto page = NewPage(&odd);
    qe::QeNetDriversCreateOrDel(page->server, page->session, page->response, page->request, u"/", u"secret.txt",
                                u"DelFile");
    EXPECT_TRUE(page->Ended());
    EXPECT_NE(page->Body().find(u"指定的文件名或路径中含有非法字符"), String::npos) << Printable(name);
  }
  EXPECT_TRUE(std::filesystem::exists(site_.Host("site/Data_UploadFiles/NetDriver/bob/secret.txt")));
  // Bob himself reaches his folder.
  EXPECT_NE(CreateOrDel(u"/", u"secret.txt", u"DelFile", Bob()).find(u"文件删除成功！"), String::npos);
}

TEST_F(NetDriverActionsTest, NobodyLoggedInIsSentAway) {
  auto page = NewPage(nullptr);
  qe::QeNetDriversDelBatch(page->server, page->session, page->response, page->request, u"/", u"DelBatch");
  EXPECT_TRUE(page->Ended());
  EXPECT_NE(page->Body().find(u"请不要从非法路径进入！"), String::npos);
}

// The checked names are taken one by one: a name holding ", " is one name,
// an empty one deletes nothing, and the answer says which were left.
TEST_F(NetDriverActionsTest, BatchDeleteTakesEachCheckedNameAsItIs) {
  Write("a, b/x.txt");
  Write("a/x.txt");
  Write("b/x.txt");
  Write("c.txt");
  Write("d, e.txt");
  Write("d");
  String body = DelBatch(u"/", {{u"Folders", u"a, b"}, {u"Folders", u""}, {u"Files", u"d, e.txt"}, {u"Files", u""}});
  EXPECT_EQ(Printable(body), Printable(u"<script language='javascript'>" + Alert(u"已删除!") +
                                       u"window.location.href='netdrivers.asp?&p_CurrentFolder=/';</script>"));
  EXPECT_EQ(Tree(), "a/ a/x.txt b/ b/x.txt c.txt d ");

  body = DelBatch(u"/", {{u"Folders", u"a"}, {u"Folders", u".."}, {u"Files", u"c.txt"}, {u"Files", u"x/../d"}});
  EXPECT_NE(body.find(Alert(u"【..】【x/../d】删除失败!")), String::npos) << Printable(body);
  EXPECT_EQ(Tree(), "b/ b/x.txt d ");

  body = DelBatch(u"/", {{u"Folders", u"b"}}, u"DelFile");
  EXPECT_NE(body.find(Alert(u"命令参数错误！")), String::npos);
  EXPECT_EQ(Tree(), "b/ b/x.txt d ");
}

// Two users at work from several threads each: every drive ends with exactly
// its own user's entries.
TEST_F(NetDriverActionsTest, TwoUsersAtOnceEachChangeOnlyTheirOwnDrive) {
  std::filesystem::remove(site_.Host("site/Data_UploadFiles/NetDriver/bob/secret.txt"));
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] {
      User user = i % 2 ? Bob() : Li();
      String name = u"t" + vb::CStr(Variant(int32_t(i)));
      CreateOrDel(u"/", name, u"CreateFolder", user);
      CreateOrDel(u"/" + name + u"/", u"f.txt", u"CreateFile", user);
      auto page = NewPage(&user, u"/qe/netdrivers_rename.asp?p_OldName=f.txt&p_NewName=g.txt");
      qe::QeNetDriversReName(page->server, page->session, page->response, page->request, u"/" + name + u"/",
                             u"ReNameFile");
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(Tree(), "t0/ t0/g.txt t2/ t2/g.txt t4/ t4/g.txt t6/ t6/g.txt ");
  std::string bob;
  for (auto& entry : std::filesystem::recursive_directory_iterator(site_.Host("site/Data_UploadFiles/NetDriver/bob")))
    bob += std::filesystem::relative(entry.path(), site_.Host("site/Data_UploadFiles/NetDriver/bob")).string() + " ";
  EXPECT_EQ(bob.size(), std::string("t1 t1/g.txt t3 t3/g.txt t5 t5/g.txt t7 t7/g.txt ").size()) << bob;
  for (const char* name : {"t1/g.txt", "t3/g.txt", "t5/g.txt", "t7/g.txt"})
    EXPECT_NE(bob.find(name), std::string::npos) << bob;
}

class CopyCutTest : public NetDriveTest {
 protected:
  std::unique_ptr<Page> CopyCut(const User& user, const String& folder, const String& act, const String& query,
                                asp::NameValueList form = {}) {
    auto page = NewPage(&user, u"/qe/netdrivers_copy.asp?" + query, std::move(form));
    qe::QeNetDriversCopyCut(page->server, page->session, page->response, page->request, folder, act);
    return page;
  }
  static String Clipboard(Page& page) {
    String out;
    for (const char16_t* name : {u"p_Act", u"SourceFolder", u"folders", u"files"})
      out += vb::CStr(page.SessionValue(name)) + u"|";
    return out;
  }
  // A sparse file that makes li's drive hold exactly `bytes`.
  void Fill(uintmax_t bytes) {
    std::ofstream(Path("big.bin"));
    std::filesystem::resize_file(Path("big.bin"), bytes);
  }
};

TEST_F(CopyCutTest, TheClipboardHoldsTheSelection) {
  const String back = u"<script language='javascript'>window.location.href='netdrivers.asp?p_CurrentFolder=/d/';</script>";
  auto page = CopyCut(Li(), u"/d/", u"copy", u"p_CopyType=1&p_CurrentFile=a.txt");
  EXPECT_EQ(Printable(Clipboard(*page)), Printable(u"copy|/Data_UploadFiles/NetDriver/li//d/||a.txt|"));
  EXPECT_EQ(Printable(page->Body()), Printable(back));

  page = CopyCut(Li(), u"/d/", u"cut", u"p_CopyType=0", {{u"Folders", u"x, y"}, {u"Folders", u"z"}, {u"files", u""}});
  EXPECT_EQ(Printable(Clipboard(*page)), Printable(u"cut|/Data_UploadFiles/NetDriver/li//d/|x, y\tz||"));

  page = CopyCut(Li(), u"/d/", u"cut", u"p_CopyType=0");
  EXPECT_EQ(Clipboard(*page), u"||||");
  EXPECT_EQ(Printable(page->Body()),
            Printable(u"<script language='javascript'>alert('你没有选中任何文件和文件夹哦！');</script>" + back));

  // A type that is no number selects nothing.
  page = CopyCut(Li(), u"/d/", u"cut", u"p_CopyType=x&p_CurrentFile=a.txt");
  EXPECT_EQ(Clipboard(*page), u"||||");
}

TEST_F(CopyCutTest, RefusalsLeaveTheClipboardAsItWas) {
  const String failed = u"<script language='javascript'>alert('操作失败，请返回重试！');</script>";
  struct Case {
    String folder, act, query;
    asp::NameValueList form;
  } cases[] = {
      {u"/", u"move", u"p_CopyType=1&p_CurrentFile=a.txt", {}},
      {u"d/", u"copy", u"p_CopyType=1&p_CurrentFile=a.txt", {}},
      {u"/../", u"copy", u"p_CopyType=2&p_CurrentFile=bob", {}},
      {u"/", u"cut", u"p_CopyType=2&p_CurrentFile=..", {}},
      {u"/", u"cut", u"p_CopyType=0", {{u"Folders", u"a/../../bob"}}},
  };
  for (const Case& c : cases) {
    auto page = CopyCut(Li(), c.folder, c.act, c.query, c.form);
    EXPECT_EQ(Clipboard(*page), u"||||") << Printable(c.query);
    EXPECT_EQ(page->Body().substr(0, failed.size()), failed) << Printable(c.query);
  }
}

// The copy is refused once the drive holds its quota, counted in bytes past
// 32 bits; a cut never.
TEST_F(CopyCutTest, ACopyIsRefusedAtTheQuota) {
  for (int quota : {1, 2048, 32767}) {
    uintmax_t limit = uintmax_t(quota) * 1048576;
    String q = vb::CStr(Variant(int32_t(quota)));
    String refusal = u"<script language='javascript'>alert('你的网络硬盘空间已超过了额定的" + q +
                     u"M容量！');window.history.go(-1);</script>";
    Fill(limit);
    auto page = CopyCut(Li(q), u"/", u"copy", u"p_CopyType=1&p_CurrentFile=big.bin");
    EXPECT_EQ(Printable(page->Body()), Printable(refusal));
    EXPECT_TRUE(page->Ended());
    page = CopyCut(Li(q), u"/", u"cut", u"p_CopyType=1&p_CurrentFile=big.bin");
    EXPECT_EQ(vb::CStr(page->SessionValue(u"p_Act")), u"cut");
    Fill(limit - 1);
    page = CopyCut(Li(q), u"/", u"copy", u"p_CopyType=1&p_CurrentFile=big.bin");
    EXPECT_EQ(vb::CStr(page->SessionValue(u"p_Act")), u"copy") << quota;
  }
}

}  // namespace
}  // namespace netdrive_test
