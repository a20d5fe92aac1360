// The office look of the dialogs: the frames' HTML, exact, the size
// statements of their scripts, and the façade members that choose the look.
// Their behaviour in a browser is tested by tests/browser (office_frames).
#include "office/qe_dialogs.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/kesra_style.h"
#include "page/kesra_show_dialog.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "facade/qecls.h"

namespace {

using vb::String;
using vb::Variant;

String FramePart(const String& frame) {
  const String head = qe::KesraStyleDialog() + qe::QeShowDialogFrameScript();
  EXPECT_EQ(frame.substr(0, head.size()), head);
  return frame.substr(head.size());
}

String DialogFrame800x500(const String& id, const String& reload) {
  return u"<dialog class=\"dialog\" id=\"" + id +
         u"\">"
         u"<div id=\"DivHeader_" +
         id +
         u"\" style=\"height: 26px;width: 100%;line-height: 26px;position: relative;"
         u"border-bottom: rgb(180, 179, 179) 1px solid;align-items:center;background: "
         u"Url(../comm/image/div/div_2.asp);z-index:1;\">"
         u"<div width=25  style=\"float:left;\"><img height=26 title=\"\" src=\"../comm/image/div/div_1.asp\" "
         u"width=26 style=\"vertical-align:middle;\"></div>"
         u"<div width=25 style=\"float:left;\" id=\"Title_" +
         id +
         u"\">对话框标题</div></div>"
         u"<div style=\"float:right;width: 80px;height: 26px;display: inline-block;position: absolute;right:12px;"
         u"top:10px;z-index:2;cursor: pointer;vertical-align:middle;background: Url(../comm/image/div/div_3.asp) "
         u"no-repeat 50% 50%;\" onClick=\"document.getElementById('" +
         id + u"').close();" + reload +
         u"\"></div>"
         u"<div style=\"display:inline-block;\" class=\"dialog-Content\">"
         u"<div id=\"DivLeft_" +
         id +
         u"\" style=\"float:left;background-image: url(../comm/image/div/div_4.asp);"
         u"background-position: left; background-repeat: repeat-y;width:9px;height:500px;\"></div>"
         u"<div id=\"DivBody_" +
         id +
         u"\"  style=\"float:left;width:784px;\">"
         u"<div id=\"Frame_" +
         id +
         u"_OverLay\" style=\"position: absolute;top: 0;left: 0;width: 100%;height: 100%;"
         u"z-index: 10;display: none;\"></div>"
         u"<iframe id=\"Frame_" +
         id +
         u"\" src=\"\", style=\"width:784px;height:500px;padding:0px;margin:0px;"
         u"scrolling=no;overflow:hidden; frameborder=no;border:none;\" class=css0></iframe></div>"
         u"<div id=\"DivRight_" +
         id +
         u"\" style=\"float:right;background-image: url(../comm/image/div/div_4.asp);"
         u"background-position: right; background-repeat: repeat-y;width:9px;height:500px;\"></div></div>"
         u"<div id=\"DivTailer_" +
         id +
         u"\" style=\"height: 23px;width: 100%; left: -1px;line-height: 23px;"
         u"position: relative;border-bottom: rgb(180, 179, 179) 1px solid; background: "
         u"Url(../comm/image/div/div_8.asp)\"><div width=23 style=\"float:left;\"><img height=18 title=\"\" "
         u"src=\"../comm/image/div/div_7.asp\" width=23></div><div width=23 style=\"float:left;width: 23px;"
         u"height: 18px; display: inline-block; position: absolute; right: -3px; vertical-align:middle;background: "
         u"Url(../comm/image/div/div_9.asp) no-repeat 50% 50%;\"></div></div></dialog>";
}

TEST(QeShowDialogFrame, BlankIdGivesDialogAndTheBodyIs16Narrower) {
  for (String id : {u"", u"  "})
    EXPECT_EQ(FramePart(qe::QeShowDialogFrame(800, 500, true, id)),
              DialogFrame800x500(u"Dialog", u"window.location.reload(true);"));
  EXPECT_EQ(FramePart(qe::QeShowDialogFrame(800, 500, false, u"Edit")), DialogFrame800x500(u"Edit", u""));
  // Below 16 the width goes negative, as computed.
  EXPECT_NE(qe::QeShowDialogFrame(10, 5, false, u"x").find(u"style=\"float:left;width:-6px;\""), String::npos);
}

TEST(QeShowDialogFrameScript, OfficeSizesLinesAndTheSharedClientLogic) {
  const String script = qe::QeShowDialogFrameScript();
  EXPECT_TRUE(script.starts_with(u"<Script Language=\"JavaScript\">\r\n"));
  EXPECT_TRUE(script.ends_with(u"\r\n</script>"));
  EXPECT_NE(script.find(u"\r\ndialog.style.width=p_PopWidth+2+'px';dialog.style.height=p_PopHeight+60+'px';"
                        u"divHeader.style.width=p_PopWidth+'px';divTailer.style.width=p_PopWidth+'px';"
                        u"divBody.style.width=p_PopWidth-16+'px';dialogFrame.style.width=p_PopWidth-16+'px';"
                        u"divLeft.style.height=p_PopHeight+'px';divRight.style.height=p_PopHeight+'px';"
                        u"dialogFrame.style.height=p_PopHeight+'px';\r\n"),
            String::npos);
  // Dragged by the title bar; listeners added once per element; an id of a
  // div dialog goes to divOpenDialog.
  EXPECT_NE(script.find(u"dialogHook(dialog,divHeader,dialogFrame,dialogFrameOverlay,doc);"), String::npos);
  EXPECT_NE(script.find(u"if(dialogHookOnce(handle)){"), String::npos);
  EXPECT_NE(script.find(u"divOpenDialog(p_DialogID,p_PopWidth,p_PopHeight,p_DialogTitle,p_Url,p_DialogCloseByOverly)"),
            String::npos);
}

String DivFrame100x100(const String& id, const String& reload) {
  return u"<div class=\"div-dialog-overlay\" id='" + id +
         u"_Overly'></div>\r\n"
         u"<div class=\"div-dialog\" id='" +
         id +
         u"'>\r\n"
         u"<div id=\"DivHeader_" +
         id +
         u"\" style=\"cursor:move;height: 26px;width: 100%;line-height: 26px;"
         u"position: relative;border-bottom: rgb(180, 179, 179) 1px solid;align-items:center;background: "
         u"Url(../comm/image/div/div_2.asp);\"><div style=\"float:left;width:30px;\"><img height=26 title=\"\" "
         u"src=\"../comm/image/div/div_1.asp\" width=26 style=\"vertical-align:middle;\"></div>"
         u"<div id='" +
         id +
         u"_Title' style=\"float:left;height: 26px;display: inline-block;position: absolute; "
         u"width: 100px;\">对话框标题</div>"
         u"<div id='" +
         id +
         u"_CloseBtn' style=\"float:right;width: 80px;height: 26px;display: inline-block;"
         u"position: absolute;right:6px;top:0px;z-index:2;cursor: pointer;vertical-align:middle;background: "
         u"Url(../comm/image/div/div_3.asp) no-repeat 50% 50%;\" onClick=\"divCloseDialog();" +
         reload +
         u"\"></div></div>"
         u"<div style=\"display:inline-block;\"  class=\"div-dialog-body\" id='" +
         id +
         u"_Body'>"
         u"<div id=\"DivLeft_" +
         id +
         u"\" style=\"float:left;background-image: url(../comm/image/div/div_4.asp);"
         u"background-position: left; background-repeat: repeat-y;width:9px;height:100px;\"></div>"
         u"<div id=\"DivBody_" +
         id +
         u"\"  style=\"float:left;left:9px;width:84px;\">"
         u"<iframe id=\"" +
         id +
         u"_Frame\" src=\"\", style=\"width:84px;height:100px;padding:0px;margin:0px;"
         u"scrolling=no;overflow:auto; frameborder=no;border:none;\" class=css0></iframe></div>"
         u"<div id=\"DivRight_" +
         id +
         u"\" style=\"float:right;background-image: url(../comm/image/div/div_6.asp);"
         u"background-position: right;right:0px; background-repeat: repeat-y;width:9px;height:100px;\"></div></div>"
         u"<div id=\"DivTailer_" +
         id +
         u"\" style=\"height: 23px;width: 100%; left: -1px;line-height: 23px;"
         u"position: relative;border-bottom: rgb(180, 179, 179) 1px solid; background: "
         u"Url(../comm/image/div/div_8.asp)\"><div width=23 style=\"float:left;\"><img height=18 title=\"\" "
         u"src=\"../comm/image/div/div_7.asp\" width=23></div><div width=23 style=\"float:left;width: 23px;"
         u"height: 18px; display: inline-block; position: absolute; right: -3px; cursor: pointer; "
         u"vertical-align:middle;background: Url(../comm/image/div/div_9.asp) no-repeat 50% 50%;\"></div></div>"
         u"</div>\r\n<script>\r\n";
}

TEST(QeShowDialogDivFrame, HtmlExactIdAsGivenAndTheSizesOfItsScript) {
  const auto build = [](bool refresh, const String& id) {
    return vb::CStr(
        qe::QeShowDialogDivFrame(Variant(int16_t{100}), Variant(int16_t{100}), Variant(refresh), Variant(id)));
  };
  const String with_reload = build(true, u"divDialogUserList");
  const size_t html = with_reload.find(u"<div class=\"div-dialog-overlay\"");
  ASSERT_NE(html, String::npos);
  EXPECT_TRUE(with_reload.starts_with(u"<style>\r\n.div-dialog-overlay {position: fixed;top: 0; left: 0;"));
  EXPECT_NE(with_reload.find(u"\r\n.div-dialog {position: fixed; background: white; border-radius: 8px;box-shadow: "
                             u"0 10px 25px rgba(0,0,0,0.2); width: 100px; height: 100px; display: none; "
                             u"flex-direction: column; z-index: 1001; overflow: hidden;}\r\n"),
            String::npos);
  EXPECT_EQ(with_reload.substr(html, DivFrame100x100(u"divDialogUserList", u"").size() + 29),
            DivFrame100x100(u"divDialogUserList", u"window.location.reload(true);"));
  const String plain_close = build(false, u" d ");
  EXPECT_NE(plain_close.find(DivFrame100x100(u" d ", u"")), String::npos);
  EXPECT_NE(with_reload.find(u"\r\ndivDialog.style.width=p_PopWidth+'px';divDialog.style.height=p_PopHeight+30+'px';"
                             u"divDialogTitle.style.width=p_PopWidth+'px';divDialogBody.style.width=p_PopWidth+'px';"
                             u"divDialogFrame.style.width=p_PopWidth-18+'px';"
                             u"divDialogFrame.style.height=p_PopHeight-22+'px';\r\n"),
            String::npos);
  // The second sizes come once the dialog is shown and centred.
  EXPECT_NE(with_reload.find(u"divDialog.style.transform='translate(-50%, -50%)';\r\n"
                             u"divLeft.style.height=p_PopHeight-20+'px';divBody.style.height=p_PopHeight-20+'px';"
                             u"divRight.style.height=p_PopHeight-20+'px';divBody.style.width=p_PopWidth-18+'px';"
                             u"divTailer.style.width=p_PopWidth+'px';\r\n"),
            String::npos);
  EXPECT_TRUE(with_reload.ends_with(u"\r\n</script>"));
}

TEST(QeClsDialogMembers, PlainLookByDefaultOfficeLookWithIsSimpleFalse) {
  auto qe = Variant(std::make_shared<qe::QeCls>());
  EXPECT_EQ(com::Call(qe, u"CommShowDialogFrame", 600, 400), Variant(qe::KesraShowDialogFrame(600, 400, true, u"")));
  EXPECT_EQ(com::Call(qe, u"CommShowDialogFrame", 800, 500, false),
            Variant(qe::QeShowDialogFrame(800, 500, true, u"")));
  EXPECT_EQ(com::Call(qe, u"CommShowDialogFrame", 800, 500, false, false, String(u"K")),
            Variant(qe::QeShowDialogFrame(800, 500, false, u"K")));
  EXPECT_EQ(com::Call(qe, u"CommShowDialogFrameScript"), Variant(qe::KesraShowDialogFrameScript()));
  EXPECT_EQ(com::Call(qe, u"CommShowDialogFrameScript", false), Variant(qe::QeShowDialogFrameScript()));
  EXPECT_EQ(com::Call(qe, u"CommShowDialogDivFrame", 600, 400),
            Variant(qe::KesraShowDialogDivFrame(600, 400, true, u"")));
  EXPECT_EQ(
      com::Call(qe, u"CommShowDialogDivFrame", 100, 100, false, false, String(u"D")),
      qe::QeShowDialogDivFrame(Variant(int16_t{100}), Variant(int16_t{100}), Variant(false), Variant(String(u"D"))));
}

}  // namespace
