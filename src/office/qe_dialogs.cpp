#include "office/qe_dialogs.h"

#include <string>
#include <vector>

#include "common/decimal_text.h"
#include "common/kesra_style.h"
#include "page/dialog_scripts.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

vb::String JoinedByCrLf(const std::vector<vb::String>& lines) {
  vb::String out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? u"\r\n" : u"") + lines[i];
  return out;
}

// A size as the page's script computes it: the value less 16, as text.
vb::String LessSixteen(const vb::Variant& size) { return vb::Trim(vb::CStr(vb::Variant(vb::CDbl(size) - 16))); }

// The bottom bar of both frames; the div dialog's right corner shows a
// pointer.
vb::String Tailer(const vb::String& id, vb::StringView corner_style) {
  return u"<div id=\"DivTailer_" + id +
         u"\" style=\"height: 23px;width: 100%; left: -1px;line-height: 23px;position: relative;border-bottom: "
         u"rgb(180, 179, 179) 1px solid; background: Url(../comm/image/div/div_8.asp)\">"
         u"<div width=23 style=\"float:left;\"><img height=18 title=\"\" src=\"../comm/image/div/div_7.asp\" "
         u"width=23></div>"
         u"<div width=23 style=\"float:left;width: 23px;height: 18px; display: inline-block; position: absolute; "
         u"right: -3px;" +
         vb::String(corner_style) +
         u" vertical-align:middle;background: Url(../comm/image/div/div_9.asp) no-repeat 50% 50%;\"></div>"
         u"</div>";
}

}  // namespace

vb::String QeShowDialogFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_Refresh, vb::String p_DialogID) {
  const vb::String id = vb::Trim(p_DialogID).empty() ? vb::String(u"Dialog") : p_DialogID;
  const vb::String height = DecimalText(p_PopHeight);
  const vb::String inner_width = DecimalText(int64_t{p_PopWidth} - 16);

  vb::String out = KesraStyleDialog() + QeShowDialogFrameScript();
  out += u"<dialog class=\"dialog\" id=\"" + id + u"\">";
  out += u"<div id=\"DivHeader_" + id +
         u"\" style=\"height: 26px;width: 100%;line-height: 26px;position: relative;border-bottom: rgb(180, 179, 179) "
         u"1px solid;align-items:center;background: Url(../comm/image/div/div_2.asp);z-index:1;\">"
         u"<div width=25  style=\"float:left;\"><img height=26 title=\"\" src=\"../comm/image/div/div_1.asp\" "
         u"width=26 style=\"vertical-align:middle;\"></div>"
         u"<div width=25 style=\"float:left;\" id=\"Title_" +
         id +
         u"\">对话框标题</div>"
         u"</div>";
  out +=
      u"<div style=\"float:right;width: 80px;height: 26px;display: inline-block;position: absolute;right:12px;"
      u"top:10px;z-index:2;cursor: pointer;vertical-align:middle;background: Url(../comm/image/div/div_3.asp) "
      u"no-repeat 50% 50%;\" onClick=\"document.getElementById('" +
      id + u"').close();";
  if (p_Refresh) out += u"window.location.reload(true);";
  out += u"\"></div>";
  out +=
      u"<div style=\"display:inline-block;\" class=\"dialog-Content\">"
      u"<div id=\"DivLeft_" +
      id +
      u"\" style=\"float:left;background-image: url(../comm/image/div/div_4.asp);background-position: left; "
      u"background-repeat: repeat-y;width:9px;height:" +
      height +
      u"px;\"></div>"
      u"<div id=\"DivBody_" +
      id + u"\"  style=\"float:left;width:" + inner_width +
      u"px;\">"
      u"<div id=\"Frame_" +
      id +
      u"_OverLay\" style=\"position: absolute;top: 0;left: 0;width: 100%;height: 100%;z-index: 10;display: "
      u"none;\"></div>"
      u"<iframe id=\"Frame_" +
      id + u"\" src=\"\", style=\"width:" + inner_width + u"px;height:" + height +
      u"px;padding:0px;margin:0px;scrolling=no;overflow:hidden; frameborder=no;border:none;\" class=css0></iframe>"
      u"</div>"
      u"<div id=\"DivRight_" +
      id +
      u"\" style=\"float:right;background-image: url(../comm/image/div/div_4.asp);background-position: right; "
      u"background-repeat: repeat-y;width:9px;height:" +
      height +
      u"px;\"></div>"
      u"</div>";
  out += Tailer(id, u"") + u"</dialog>";
  return out;
}

vb::String QeShowDialogFrameScript() {
  static const DialogFrameLook look = {
      u"<Script Language=\"JavaScript\">",
      u"var dialog,dialogTitle,dialogFrame,dialogFrameOverlay,dialogDocument,divHeader,divTailer,divBody,divLeft,"
      u"divRight;",
      u"dialog=doc.getElementById(p_DialogID);"
      u"divHeader=doc.getElementById('DivHeader_'+p_DialogID);"
      u"dialogTitle=doc.getElementById('Title_'+p_DialogID);"
      u"divLeft=doc.getElementById('DivLeft_'+p_DialogID);"
      u"divRight=doc.getElementById('DivRight_'+p_DialogID);"
      u"divBody=doc.getElementById('DivBody_'+p_DialogID);"
      u"dialogFrameOverlay=doc.getElementById('Frame_'+p_DialogID+'_OverLay');"
      u"dialogFrame=doc.getElementById('Frame_'+p_DialogID);"
      u"divTailer=doc.getElementById('DivTailer_'+p_DialogID);",
      u"divHeader",
      u"dialog.style.width=p_PopWidth+2+'px';"
      u"dialog.style.height=p_PopHeight+60+'px';"
      u"divHeader.style.width=p_PopWidth+'px';"
      u"divTailer.style.width=p_PopWidth+'px';"
      u"divBody.style.width=p_PopWidth-16+'px';"
      u"dialogFrame.style.width=p_PopWidth-16+'px';"
      u"divLeft.style.height=p_PopHeight+'px';"
      u"divRight.style.height=p_PopHeight+'px';"
      u"dialogFrame.style.height=p_PopHeight+'px';",
  };
  return JoinedByCrLf(DialogFrameScriptLines(look));
}

vb::Variant QeShowDialogDivFrame(vb::Variant p_PopWidth, vb::Variant p_PopHeight, vb::Variant p_Refresh,
                                 vb::Variant p_DialogID) {
  const vb::String id = vb::CStr(p_DialogID);
  const vb::String width = vb::CStr(p_PopWidth), height = vb::CStr(p_PopHeight);
  const vb::String inner_width = LessSixteen(p_PopWidth);
  static const DivDialogLook look = {
      u"var divLeft,divBody,divRight,divTailer;",
      u"divLeft=document.getElementById('DivLeft_'+p_DivDialogID);"
      u"divBody=document.getElementById('DivBody_'+p_DivDialogID);"
      u"divRight=document.getElementById('DivRight_'+p_DivDialogID);"
      u"divTailer=document.getElementById('DivTailer_'+p_DivDialogID);",
      u"divDialog.style.width=p_PopWidth+'px';"
      u"divDialog.style.height=p_PopHeight+30+'px';"
      u"divDialogTitle.style.width=p_PopWidth+'px';"
      u"divDialogBody.style.width=p_PopWidth+'px';"
      u"divDialogFrame.style.width=p_PopWidth-18+'px';"
      u"divDialogFrame.style.height=p_PopHeight-22+'px';",
      u"divLeft.style.height=p_PopHeight-20+'px';"
      u"divBody.style.height=p_PopHeight-20+'px';"
      u"divRight.style.height=p_PopHeight-20+'px';"
      u"divBody.style.width=p_PopWidth-18+'px';"
      u"divTailer.style.width=p_PopWidth+'px';",
  };
  vb::String out = JoinedByCrLf({
      u"<style>",
      u".div-dialog-overlay {position: fixed;top: 0; left: 0;width: 100%; height: 100%; background: rgba(0, 0, 0, "
      u"0.5); display: none; z-index: 1000; }",
      u".div-dialog {position: fixed; background: white; border-radius: 8px;box-shadow: 0 10px 25px "
      u"rgba(0,0,0,0.2); width: " +
          width + u"px; height: " + height +
          u"px; display: none; flex-direction: column; z-index: 1001; overflow: hidden;}",
      u".div-dialog-title {padding: 12px 16px;background: #4285f4;color: white; cursor: move; user-select: none;}",
      u".div-dialog-body {padding: 0px; flex: 1; }",
      u".div-dialog-footer {padding: 12px 16px; text-align: right; border-top: 1px solid #eee;}",
      u".div-dialog-btn {padding: 6px 12px; margin-left: 8px;border: none; border-radius: 4px; cursor: pointer;}",
      u".div-dialog-btn-close {position: absolute;right: 10px;top: 12px;transform: translateY(-50%);background: "
      u"transparent;border: none;color: white;font-size: 1.5rem;cursor: pointer;transition: transform 0.2s;}",
      u".div-dialog-btn-close:hover {transform: translateY(-50%) scale(1.2);}",
      u"</style>",
  });
  out += u"<div class=\"div-dialog-overlay\" id='" + id + u"_Overly'></div>\r\n";
  out += u"<div class=\"div-dialog\" id='" + id + u"'>\r\n";
  out += u"<div id=\"DivHeader_" + id +
         u"\" style=\"cursor:move;height: 26px;width: 100%;line-height: 26px;position: relative;border-bottom: "
         u"rgb(180, 179, 179) 1px solid;align-items:center;background: Url(../comm/image/div/div_2.asp);\">"
         u"<div style=\"float:left;width:30px;\"><img height=26 title=\"\" src=\"../comm/image/div/div_1.asp\" "
         u"width=26 style=\"vertical-align:middle;\"></div>"
         u"<div id='" +
         id +
         u"_Title' style=\"float:left;height: 26px;display: inline-block;position: absolute; "
         u"width: " +
         width +
         u"px;\">对话框标题</div>"
         u"<div id='" +
         id +
         u"_CloseBtn' style=\"float:right;width: 80px;height: 26px;display: inline-block;"
         u"position: absolute;right:6px;top:0px;z-index:2;cursor: pointer;vertical-align:middle;background: "
         u"Url(../comm/image/div/div_3.asp) no-repeat 50% 50%;\" onClick=\"divCloseDialog();";
  if (vb::CBool(p_Refresh)) out += u"window.location.reload(true);";
  out += u"\"></div></div>";
  out += u"<div style=\"display:inline-block;\"  class=\"div-dialog-body\" id='" + id +
         u"_Body'>"
         u"<div id=\"DivLeft_" +
         id +
         u"\" style=\"float:left;background-image: url(../comm/image/div/div_4.asp);background-position: left; "
         u"background-repeat: repeat-y;width:9px;height:" +
         height +
         u"px;\"></div>"
         u"<div id=\"DivBody_" +
         id + u"\"  style=\"float:left;left:9px;width:" + inner_width +
         u"px;\">"
         u"<iframe id=\"" +
         id + u"_Frame\" src=\"\", style=\"width:" + inner_width + u"px;height:" + height +
         u"px;padding:0px;margin:0px;scrolling=no;overflow:auto; frameborder=no;border:none;\" class=css0></iframe>"
         u"</div>"
         u"<div id=\"DivRight_" +
         id +
         u"\" style=\"float:right;background-image: url(../comm/image/div/div_6.asp);background-position: right;"
         u"right:0px; background-repeat: repeat-y;width:9px;height:" +
         height +
         u"px;\"></div>"
         u"</div>";
  out += Tailer(id, u" cursor: pointer;") + u"</div>\r\n";
  out += JoinedByCrLf(DivDialogScriptLines(look));
  return vb::Variant(out);
}

}  // namespace qe
