#include "page/kesra_show_dialog.h"

#include <initializer_list>
#include <string>

#include "common/decimal_text.h"
#include "common/integer_count.h"
#include "common/kesra_style.h"
#include "page/dialog_scripts.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

// Lines of the div frame, each ended with CR LF.
template <class Container>
vb::String Lines(const Container& lines) {
  vb::String out;
  for (const vb::String& line : lines) out += line + u"\r\n";
  return out;
}

vb::String Lines(std::initializer_list<vb::String> lines) { return Lines<std::initializer_list<vb::String>>(lines); }

}  // namespace

vb::String KesraShowDialogFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_Refresh, vb::String p_DialogID) {
  const vb::String id = vb::Trim(p_DialogID).empty() ? vb::String(u"Dialog") : p_DialogID;
  const vb::String width = DecimalText(p_PopWidth);
  const vb::String body_height = DecimalText(IntegerCount(int64_t{p_PopHeight} - 25));

  vb::String out = KesraStyleDialog() + KesraStylePopupClose() + KesraShowDialogFrameScript();
  out += u"<dialog class=\"dialog\" id=\"" + id + u"\">";
  out += u"<div class=\"dialog-header\" id=\"Title_" + id + u"\" style=\"float:left;width:" + width +
         u"px;height:30px;text-align:center;line-height:30px;font-size:16px;font-weight:normal;z-index:1;\">"
         u"对话框标题</div>";
  out += u"<div class=\"popup-close\" id=\"Close_" + id + u"\" style=\"float:right;z-index:2;\" onClick=\""
         u"document.getElementById('" + id + u"').close();";
  if (p_Refresh) out += u"window.location.reload(true);";
  out += u"\"></div>";
  out += u"<div class=\"dialog-body\" id=\"Body_" + id + u"\" style=\"padding:4px 0 0 0;float:left;width:" + width +
         u"px;height:" + body_height + u"px;\">";
  out += u"<div class=\"dialog-iframe-overlay\" id=\"Frame_" + id + u"_OverLay\"></div>";
  out += u"<iframe class=\"css0\" id=\"Frame_" + id + u"\" src=\"\" style=\"width:" + width + u"px;height:" +
         body_height + u"px;padding:0px;margin:0px;border:none;overflow:hidden;\"></iframe>";
  out += u"</div></dialog>";
  return out;
}

vb::String KesraShowDialogFrameScript() {
  static const DialogFrameLook look = {
      u"<script Language=\"JavaScript\">",
      u"var dialog,dialogTitle,dialogBody,dialogFrame,dialogFrameOverlay,dialogDocument;",
      u"dialog=doc.getElementById(p_DialogID);"
      u"dialogTitle=doc.getElementById('Title_'+p_DialogID);"
      u"dialogBody=doc.getElementById('Body_'+p_DialogID);"
      u"dialogFrame=doc.getElementById('Frame_'+p_DialogID);"
      u"dialogFrameOverlay=doc.getElementById('Frame_'+p_DialogID+'_OverLay');",
      u"dialogTitle",
      u"dialog.style.width=p_PopWidth+'px';"
      u"dialog.style.height=Number(p_PopHeight)+30+'px';"
      u"dialogTitle.style.width=p_PopWidth+'px';"
      u"dialogBody.style.width=p_PopWidth+'px';"
      u"dialogFrame.style.width=p_PopWidth+'px';"
      u"dialogFrame.style.height=p_PopHeight+'px';",
  };
  vb::String out;
  for (const vb::String& line : DialogFrameScriptLines(look)) out += line;
  return out;
}

vb::String KesraShowDialogDivFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_Refresh, vb::String p_DialogID) {
  const vb::String& id = p_DialogID;
  vb::String close = u"divCloseDialog();";
  if (p_Refresh) close += u"window.location.reload(true);";
  static const DivDialogLook look = {
      u"",
      u"",
      u"divDialog.style.width=p_PopWidth+'px';\r\n"
      u"divDialog.style.height=Number(p_PopHeight)+30+'px';\r\n"
      u"divDialogTitle.style.width=p_PopWidth-24+'px';\r\n"
      u"divDialogBody.style.width=p_PopWidth-8+'px';",
      u"",
  };
  return Lines({
      u"<style>",
      u".div-dialog-overlay {position: fixed;top: 0;left: 0;width: 100%;height: 100%;"
      u"background: rgba(0, 0, 0, 0.5);display: none;z-index: 1000;}",
      u".div-dialog {position: fixed;background: white;border-radius: 8px;box-shadow: 0 10px 25px rgba(0,0,0,0.2);"
      u"width: " + DecimalText(p_PopWidth) + u"px;height: " + DecimalText(p_PopHeight) +
          u"px;display: none;flex-direction: column;z-index: 1001;overflow: hidden;}",
      u".div-dialog-title {padding: 12px 16px;background: #4285f4;color: white;font-size: 16px;font-weight: normal;"
      u"cursor: move;user-select: none;}",
      u".div-dialog-body {padding: 4px 4px;overflow-y: auto;flex: 1;}",
      u".div-dialog-footer {padding: 12px 16px;text-align: right;border-top: 1px solid #eee;}",
      u".div-dialog-btn {padding: 6px 12px;margin-left: 8px;border: none;border-radius: 4px;cursor: pointer;}",
      u".div-dialog-btn-close {position: absolute;right: 10px;top: 12px;transform: translateY(-50%);"
      u"background: transparent;border: none;color: white;font-size: 1.5rem;cursor: pointer;"
      u"transition: transform 0.2s;}",
      u".div-dialog-btn-close:hover {transform: translateY(-50%) scale(1.2);}",
      u"</style>",
      u"<div class=\"div-dialog-overlay\" id=\"" + id + u"_Overly\"></div>",
      u"<div class=\"div-dialog\" id=\"" + id + u"\">",
      u"<div class=\"div-dialog-title\" id=\"" + id + u"_Title\">标题栏</div>",
      u"<button class=\"div-dialog-btn-close\" id=\"" + id + u"_CloseBtn\" aria-label=\"关闭\"onClick=\"" + close +
          u"\">×</button>",
      u"<div class=\"div-dialog-body\" id=\"" + id + u"_Body\">",
      u"<iframe id=\"" + id + u"_Frame\" src=\"\" style=\"width: 100%;height: 100%;border: none;\"></iframe>",
      u"</div>",
      u"<div class=\"div-dialog-footer\"></div>",
      u"</div>",
  }) + Lines(DivDialogScriptLines(look));
}

}  // namespace qe
