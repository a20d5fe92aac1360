// The scripts that end a pop-up or dialog page: exact texts per branch, and
// what they do in order when run against stand-ins for the windows.
#include <gtest/gtest.h>

#include "page/kesra_opener_refresh.h"
#include "support/node_script.h"

namespace {

const vb::String kClose =
    u"window.opener=null;window.open(\"\",\"_self\");window.close();window.top.open(\"\",\"_top\").close();"
    u"parent.close();";
const vb::String kEditReload =
    u"if(!window.showModalDialog){parent.opener.location.reload(true);}"
    u"else{parent.dialogArguments.location.reload(true);}";

TEST(OpenerRefreshScripts, ExactTextPerBranch) {
  struct Case {
    vb::String got, expected;
  } cases[] = {
      {qe::KesraOpenerRefresh(), u"<SCRIPT LANGUAGE=JavaScript>opener.location.reload(true);" + kClose + u"</SCRIPT>"},
      {qe::KesraOpenerEditRefresh(u"操作成功", 1),
       u"<SCRIPT LANGUAGE=JavaScript>alert('操作成功');" + kEditReload + kClose + u"</SCRIPT>"},
      // Only 1 closes; an empty title alerts nothing.
      {qe::KesraOpenerEditRefresh(u"", 2), u"<SCRIPT LANGUAGE=JavaScript>" + kEditReload + u"</SCRIPT>"},
      {qe::KesraOpenerEditRefresh(u"x", 0), u"<SCRIPT LANGUAGE=JavaScript>alert('x');" + kEditReload + u"</SCRIPT>"},
      {qe::KesraDialogOpenerEditRefresh(u"", 0, u" ", u"Frame"),
       u"<SCRIPT LANGUAGE=JavaScript>window.parent.document.getElementById('Dialog').close();"
       u"window.parent.location.reload(true);</SCRIPT>"},
      {qe::KesraDialogOpenerEditRefresh(u"已保存", 1, u"EditBox", u""),
       u"<SCRIPT LANGUAGE=JavaScript>window.parent.document.getElementById('EditBox').close();"
       u"window.parent.location.reload(true);alert('已保存');" +
           kClose + u"</SCRIPT>"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

// Runs a script's statements with windows that record what is asked of them.
std::string RunWithStandIns(const vb::String& script) {
  vb::String body = script.substr(28, script.size() - 28 - 9);
  return test_support::RunNode(
      "var log = [];\n"
      "function alert(m) { log.push('alert ' + m); }\n"
      "function loc(who) { return { reload: function () { log.push('reload ' + who); } }; }\n"
      "var window = { close: function () { log.push('close'); }, open: function () { return window; },\n"
      "  top: { open: function () { return { close: function () { log.push('close top'); } }; } } };\n"
      "var parent = { opener: { location: loc('opener') }, dialogArguments: { location: loc('dialog opener') },\n"
      "  location: loc('parent'), close: function () { log.push('close parent'); },\n"
      "  document: { getElementById: function (id) { return { close: function () { log.push('close ' + id); } }; } } };\n"
      "window.parent = parent; var opener = parent.opener;\n" +
      vb::ToUtf8(body) + "\nconsole.log(log.join(', '));\n");
}

TEST(OpenerRefreshScripts, ReloadTheOpenerThenClose) {
  if (!test_support::HaveNode()) GTEST_SKIP() << "node is not installed";
  EXPECT_EQ(RunWithStandIns(qe::KesraOpenerRefresh()), "reload opener, close, close top, close parent\n");
  // Without modal dialogs the pop-up's opener reloads.
  EXPECT_EQ(RunWithStandIns(qe::KesraOpenerEditRefresh(u"ok", 1)), "alert ok, reload opener, close, close top, close parent\n");
  EXPECT_EQ(RunWithStandIns(qe::KesraOpenerEditRefresh(u"", 2)), "reload opener\n");
  // The dialog is closed and the parent reloaded before the alert shows.
  EXPECT_EQ(RunWithStandIns(qe::KesraDialogOpenerEditRefresh(u"done", 2, u"", u"")),
            "close Dialog, reload parent, alert done\n");
}

}  // namespace
