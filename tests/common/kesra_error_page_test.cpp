// The error page for each button rule, the success script's branches and the
// window-closing fragments.
#include <gtest/gtest.h>

#include "common/kesra_error_page.h"
#include "common/kesra_style.h"
#include "common/system_title.h"
#include "support/node_script.h"
#include "support/test_objects.h"

namespace {

using test_objects::FakeConnection;
using test_objects::PositionedRecordset;
using test_objects::RecordingResponse;

const vb::String kCloseStatements =
    u"window.opener=null;window.open(\"\",\"_self\");window.close();window.top.open(\"\",\"_top\").close();"
    u"parent.close();";

struct ErrorPage {
  vb::String text;
  bool ended;
  vb::Variant rs, conn;
};

ErrorPage Show(const vb::String& message, bool close_parent, const vb::String& dialog_id) {
  auto response = std::make_shared<RecordingResponse>();
  vb::Variant r(response);
  ErrorPage page{{}, false, vb::Variant(std::make_shared<PositionedRecordset>(false, false)),
                 vb::Variant(std::make_shared<FakeConnection>(u"Provider=x"))};
  qe::KesraShowErrorPage(r, page.rs, page.conn, message, close_parent, dialog_id);
  page.text = response->written;
  page.ended = response->ended;
  return page;
}

// The page as laid out, with the two button actions already in attribute form.
vb::String ExpectedPage(const vb::String& head, const vb::String& close_action, const vb::String& return_action,
                        const vb::String& message) {
  return qe::KesraScriptSwapImage() + head + u"<title>" + qe::SystemTitle() + u"</title>" +
         u"<body bgcolor='#FFFFFF' leftmargin='0' topmargin='0' onload=KesraPreloadImages('../Comm/Image/"
         u"Kesra_Error_ButtonClose2.asp','../Comm/Image/Kesra_Error_ButtonReturn2.asp')>"
         u"<table height='100%' cellspacing=0 cellpadding=0 width='100%' border=0><tr><td height='60%'>"
         u"<table class=body cellspacing=0 cellpadding=0 width=400 align=center background='../Comm/Image/"
         u"Kesra_Error_TopBg.asp' border=0><tr>"
         u"<td width=10 height=23><img height=23 src='../Comm/Image/Kesra_Error_TopLeft.asp' width=24 border=0></td>"
         u"<td width=348 height=23>&nbsp;<FONT face='Arial, Helvetica, sans-serif' color=#000000 "
         u"style='font-size:9pt;'>" +
         qe::SystemTitle() +
         u"</FONT></td><td vAlign=baseline width=37 height=23 align=right>"
         u"<a onmouseover=KesraSwapImage('close','','../Comm/Image/Kesra_Error_ButtonClose2.asp',1) "
         u"onmouseout=KesraSwapImgRestore() href=\"JavaScript:" +
         close_action +
         u"\"><img height=18 src='../Comm/Image/Kesra_Error_ButtonClose1.asp' width=15 border=0 name=close></a></td>"
         u"<td width=5 height=23><img height=23 src='../Comm/Image/Kesra_Error_TopRight.asp' width=5 border=0 "
         u"name=errr1_c4></td></tr></table>"
         u"<table class=body cellspacing=0 cellpadding=0 width=400 align=center border=0 height=100><tr "
         u"vAlign=bottom><td background='../Comm/Image/Kesra_Error_Bg.asp' height=100><blockquote><div id=base>"
         u"<font style='font-size:9pt;'><br><br>出错原因：<ul><li>&nbsp;&nbsp;&nbsp;&nbsp;对不起，" +
         message +
         u"</ul><br><br></font></div></blockquote>"
         u"<P align=center><a onmouseover=KesraSwapImage('back','','../Comm/Image/Kesra_Error_ButtonReturn2.asp',1) "
         u"onmouseout=KesraSwapImgRestore()  href=\"JavaScript:" +
         return_action +
         u"\"><img height=20 src='../Comm/Image/Kesra_Error_ButtonReturn1.asp' width=73 border=0 name=back></a>"
         u"</td></tr><tr><td height=2><img height=5 src='../Comm/Image/Kesra_Error_Bottom.asp' width=400></td></tr>"
         u"</table></td></tr></table>";
}

vb::String Quoted(vb::String s) {
  vb::String out;
  for (char16_t c : s) out += c == u'"' ? vb::String(u"&quot;") : vb::String(1, c);
  return out;
}

TEST(KesraShowErrorPage, DialogIdWinsOverCloseParent) {
  auto page = Show(u"<b>坏</b>", true, u"dlg1");
  const vb::String action = u" window.parent.document.getElementById('dlg1').close();";
  EXPECT_EQ(page.text, ExpectedPage(u"", action, action, u"<b>坏</b>"));
}

TEST(KesraShowErrorPage, CloseParentWithABlankDialogIdClosesTheWindow) {
  auto page = Show(u"x", true, u"   ");
  EXPECT_EQ(page.text, ExpectedPage(u"<head><base target=\"_self\"></head>", Quoted(kCloseStatements),
                                    Quoted(kCloseStatements), u"x"));
}

TEST(KesraShowErrorPage, NeitherGoesBackInHistory) {
  auto page = Show(u"请输入", false, u"");
  EXPECT_EQ(page.text, ExpectedPage(u"", u" history.back();", u"history.back();", u"请输入"));
}

TEST(KesraShowErrorPage, ClosesTheDataAndEndsTheResponse) {
  auto page = Show(u"x", false, u"");
  EXPECT_TRUE(page.ended);
  EXPECT_TRUE(page.rs.IsNothing());
  EXPECT_TRUE(page.conn.IsNothing());
  // Callers without data pass empty texts, which stay as they are.
  auto response = std::make_shared<RecordingResponse>();
  vb::Variant r(response), rs(u""), conn(u"");
  qe::KesraShowErrorPage(r, rs, conn, u"y", false, u"");
  EXPECT_EQ(rs, vb::Variant(u""));
  EXPECT_TRUE(response->ended);
}

TEST(KesraShowErrorPage, AResponseThatIsNoObjectFailsTheCall) {
  vb::Variant r(u"not a response"), rs(u""), conn(u"");
  EXPECT_THROW(qe::KesraShowErrorPage(r, rs, conn, u"x", false, u""), vb::Error);
}

TEST(KesraShowSuccess, Branches) {
  struct Case {
    vb::String message, url, expected;
  } cases[] = {
      {u"  ", u"", u"<Script>{history.go(-1);}</Script>"},
      {u"", u"CLOSE", u"<Script>{" + kCloseStatements + u"}</Script>"},
      {u" 保存成功 ", u"  list.asp?id=1 ", u"<Script>{alert(\" 保存成功 \");location.href=\"list.asp?id=1\";}</Script>"},
      {u"ok", u"close", u"<Script>{alert(\"ok\");" + kCloseStatements + u"}</Script>"},
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraShowSuccess(c.message, c.url), c.expected) << vb::ToUtf8(c.url);
}

TEST(KesraShowSuccess, QuotesAndLineBreaksCannotBreakTheScript) {
  vb::String script = qe::KesraShowSuccess(u"他说\"好\"\r\n第二行 </script>", u"a.asp?x=\"1\"");
  EXPECT_EQ(script,
            u"<Script>{alert(\"他说\\\"好\\\"\\r\\n第二行 <\\/script>\");location.href=\"a.asp?x=\\\"1\\\"\";}</Script>");
  if (!test_support::HaveNode()) return;
  // The statements run and show the message as given.
  std::string body = vb::ToUtf8(script.substr(9, script.size() - 9 - 10));
  std::string out = test_support::RunNode(
      "var shown; function alert(m) { shown = m; } var location = {};\n" + body +
      "\nconsole.log(JSON.stringify([shown, location.href]));\n");
  EXPECT_EQ(out, "[\"他说\\\"好\\\"\\r\\n第二行 </script>\",\"a.asp?x=\\\"1\\\"\"]\n");
}

TEST(WindowClosing, Fragments) {
  EXPECT_EQ(qe::KesraCloseWindowNoMessagebox(), kCloseStatements);
  EXPECT_EQ(qe::KesraCloseTopWindowNoMessagebox(),
            u"top.window.opener=null;top.window.open(\"\",\"_self\");top.window.close();"
            u"window.top.open(\"\",\"_top\").close();");
  EXPECT_EQ(qe::KesraCloseWindowCurrent(),
            u"<center><iframe  name=kesra_close_ModalDialog allowTransparency=true  scrolling=no frameborder='no' "
            u"class=css0 width='100%' height='30'  src='../comm/comm_KesraCloseWindowCurrent.asp'></iframe></center>");
  EXPECT_EQ(qe::KesraCloseWindowModal(false), u"<head><base target=\"_self\"></head>");
  EXPECT_EQ(qe::KesraCloseWindowModal(true),
            u"<head><base target=\"_self\"></head><body onbeforeunload=\"if (!window.showModalDialog)"
            u"{opener.location.reload(true);}else{dialogArguments.location.reload(true);}\">");
}

}  // namespace
