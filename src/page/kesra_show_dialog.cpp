#include "page/kesra_show_dialog.h"

#include <initializer_list>
#include <string>

#include "common/integer_count.h"
#include "common/kesra_style.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

vb::String Number(int64_t value) {
  std::string digits = std::to_string(value);
  return vb::String(digits.begin(), digits.end());
}

// Lines of the div frame, each ended with CR LF.
vb::String Lines(std::initializer_list<vb::String> lines) {
  vb::String out;
  for (const vb::String& line : lines) out += line + u"\r\n";
  return out;
}

}  // namespace

vb::String KesraShowDialogFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_Refresh, vb::String p_DialogID) {
  const vb::String id = vb::Trim(p_DialogID).empty() ? vb::String(u"Dialog") : p_DialogID;
  const vb::String width = Number(p_PopWidth);
  const vb::String body_height = Number(IntegerCount(int64_t{p_PopHeight} - 25));

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
  // Each title bar, dialog and document is hooked once per window, however
  // often the dialog opens; the listeners point the globals at their own
  // dialog. Whether a backdrop click closes the dialog is decided by each
  // opening. A drag starts from the dialog's own translation, so two windows
  // that open one dialog (a page and the page in its iframe) agree on it.
  return u"<script Language=\"JavaScript\">"
         u"var dialog,dialogTitle,dialogBody,dialogFrame,dialogFrameOverlay,dialogDocument;"
         u"var isDragging=false;"
         u"var startX,startY;"
         u"var translateX=0,translateY=0;"
         u"var animationFrameId=null;"
         u"var dialogDragged=null;"
         u"var dialogHooked=window.dialogHooked||[];"
         u"function dialogHookOnce(target){"
         u"if(dialogHooked.indexOf(target)>=0){return false;}"
         u"dialogHooked.push(target);return true;"
         u"}"
         u"function ShowPopDialog(p_DialogID,p_PopWidth,p_PopHeight,p_DialogTitle,p_Url,p_DialogCloseByOverly){"
         u"if(!p_DialogID){p_DialogID='Dialog';}"
         u"var doc=document;"
         u"if(String(p_DialogID).indexOf('MainDialog')>=0){"
         u"try{if(window.parent.document.getElementById(p_DialogID)){doc=window.parent.document;}}catch(e){doc=document;}"
         u"}"
         u"dialog=doc.getElementById(p_DialogID);"
         u"dialogTitle=doc.getElementById('Title_'+p_DialogID);"
         u"dialogBody=doc.getElementById('Body_'+p_DialogID);"
         u"dialogFrame=doc.getElementById('Frame_'+p_DialogID);"
         u"dialogFrameOverlay=doc.getElementById('Frame_'+p_DialogID+'_OverLay');"
         u"dialogDocument=doc;"
         u"if(p_Url){dialogFrame.src=p_Url;}"
         u"if(p_DialogTitle){dialogTitle.innerHTML=p_DialogTitle;}"
         u"dialog.style.width=p_PopWidth+'px';"
         u"dialog.style.height=Number(p_PopHeight)+30+'px';"
         u"dialogTitle.style.width=p_PopWidth+'px';"
         u"dialogBody.style.width=p_PopWidth+'px';"
         u"dialogFrame.style.width=p_PopWidth+'px';"
         u"dialogFrame.style.height=p_PopHeight+'px';"
         u"if(!dialog.open){"
         u"dialog.showModal();translateX=0;translateY=0;dialog.style.transform='translate(0px, 0px)';"
         u"}"
         u"dialog.KesraCloseByOverlay=(p_DialogCloseByOverly==1);"
         u"dialogHook(dialog,dialogTitle,dialogBody,dialogFrame,dialogFrameOverlay,doc);"
         u"}"
         u"function dialogHook(d,title,body,frame,overlay,doc){"
         u"function use(){dialog=d;dialogTitle=title;dialogBody=body;dialogFrame=frame;dialogFrameOverlay=overlay;"
         u"dialogDocument=doc;}"
         u"if(dialogHookOnce(title)){"
         u"title.addEventListener('mousedown',function(e){use();startDrag(e);},false);"
         u"title.addEventListener('touchstart',function(e){"
         u"var touch=e.touches[0];use();"
         u"startDrag({clientX:touch.clientX,clientY:touch.clientY,preventDefault:function(){e.preventDefault();}});"
         u"},{passive:false});"
         u"}"
         u"if(dialogHookOnce(doc)){"
         u"doc.addEventListener('mousemove',function(e){handleMove(e.clientX,e.clientY);},false);"
         u"doc.addEventListener('touchmove',function(e){"
         u"if(!isDragging||!dialogDragged){return;}"
         u"var touch=e.touches[0];handleMove(touch.clientX,touch.clientY);e.preventDefault();"
         u"},{passive:false});"
         u"doc.addEventListener('mouseup',function(){endDrag();},false);"
         u"doc.addEventListener('touchend',function(){endDrag();},false);"
         u"}"
         // A backdrop click reaches the dialog itself at a point outside its
         // box; the box's edges count as inside.
         u"if(dialogHookOnce(d)){"
         u"d.addEventListener('click',function(e){"
         u"if(!d.KesraCloseByOverlay||e.target!=d){return;}"
         u"var r=d.getBoundingClientRect();"
         u"if(e.clientX<r.left||e.clientX>r.right||e.clientY<r.top||e.clientY>r.bottom){d.close();}"
         u"},false);"
         u"}"
         u"}"
         u"function startDrag(e){"
         u"e.preventDefault();"
         u"isDragging=true;dialogDragged=dialog;"
         u"var shift=/translate\\((-?[0-9.]+)px, *(-?[0-9.]+)px\\)/.exec(dialog.style.transform);"
         u"if(shift){translateX=parseFloat(shift[1]);translateY=parseFloat(shift[2]);}"
         u"startX=e.clientX-translateX;startY=e.clientY-translateY;"
         u"dialogTitle.style.cursor='grabbing';"
         u"dialogFrame.style.pointerEvents='none';"
         u"dialogFrameOverlay.style.display='block';"
         u"}"
         u"function handleMove(clientX,clientY){"
         u"if(!isDragging||!dialogDragged){return;}"
         u"translateX=clientX-startX;translateY=clientY-startY;"
         u"if(animationFrameId){cancelAnimationFrame(animationFrameId);}"
         u"animationFrameId=requestAnimationFrame(updateTransform);"
         u"}"
         u"function endDrag(){"
         u"if(!dialogDragged){return;}"
         u"isDragging=false;dialogDragged=null;"
         u"dialogTitle.style.cursor='grab';"
         u"dialogFrame.style.pointerEvents='auto';"
         u"dialogFrameOverlay.style.display='none';"
         u"}"
         u"function updateTransform(){"
         u"animationFrameId=null;"
         u"if(dialog){dialog.style.transform='translate('+translateX+'px, '+translateY+'px)';}"
         u"}"
         u"</script>";
}

vb::String KesraShowDialogDivFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_Refresh, vb::String p_DialogID) {
  const vb::String& id = p_DialogID;
  vb::String close = u"divCloseDialog();";
  if (p_Refresh) close += u"window.location.reload(true);";
  // The listeners are added once per element and window; whether an overlay
  // click closes is decided by each opening; the body's own overflow comes
  // back on closing; a resize moves only a dialog that was dragged (a centred
  // one stays centred); while dragging, the iframe lets the mouse through, so
  // that a quick move or the mouse-up over it does not escape the page.
  return Lines({
      u"<style>",
      u".div-dialog-overlay {position: fixed;top: 0;left: 0;width: 100%;height: 100%;"
      u"background: rgba(0, 0, 0, 0.5);display: none;z-index: 1000;}",
      u".div-dialog {position: fixed;background: white;border-radius: 8px;box-shadow: 0 10px 25px rgba(0,0,0,0.2);"
      u"width: " + Number(p_PopWidth) + u"px;height: " + Number(p_PopHeight) +
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
      u"<script>",
      u"var divDialogOverly,divDialog,divDialogTitle,divDialogBody,divDialogFrame,divDialogCloseBtn;",
      u"var isDragging=false;",
      u"var offsetX,offsetY;",
      u"var divDialogDragged=null;",
      u"var divDialogHooked=window.divDialogHooked||[];",
      u"function divDialogHookOnce(target){",
      u"if(divDialogHooked.indexOf(target)>=0){return false;}",
      u"divDialogHooked.push(target);",
      u"return true;",
      u"}",
      u"function divDialogClamp(value,max){",
      u"return Math.max(0,Math.min(value,max));",
      u"}",
      u"function divOpenDialog(p_DivDialogID,p_PopWidth,p_PopHeight,p_DialogTitle,p_Url,p_DialogCloseByOverly){",
      u"divDialogOverly=document.getElementById(p_DivDialogID+'_Overly');",
      u"divDialog=document.getElementById(p_DivDialogID);",
      u"divDialogTitle=document.getElementById(p_DivDialogID+'_Title');",
      u"divDialogBody=document.getElementById(p_DivDialogID+'_Body');",
      u"divDialogFrame=document.getElementById(p_DivDialogID+'_Frame');",
      u"divDialogCloseBtn=document.getElementById(p_DivDialogID+'_CloseBtn');",
      u"if(p_Url){divDialogFrame.src=p_Url;}",
      u"if(p_DialogTitle){divDialogTitle.innerHTML=p_DialogTitle;}",
      u"divDialog.style.width=p_PopWidth+'px';",
      u"divDialog.style.height=Number(p_PopHeight)+30+'px';",
      u"divDialogTitle.style.width=p_PopWidth-24+'px';",
      u"divDialogBody.style.width=p_PopWidth-8+'px';",
      u"if(divDialog.style.display!='flex'){divDialog.KesraBodyOverflow=document.body.style.overflow;}",
      u"divDialogOverly.style.display='block';",
      u"divDialog.style.display='flex';",
      u"document.body.style.overflow='hidden';",
      u"divDialog.style.left='50%';",
      u"divDialog.style.top='50%';",
      u"divDialog.style.transform='translate(-50%, -50%)';",
      u"var dialog=divDialog;",
      u"if(divDialogHookOnce(divDialogTitle)){",
      u"divDialogTitle.addEventListener('mousedown',function(e){",
      u"var rect=dialog.getBoundingClientRect();",
      u"isDragging=true;",
      u"divDialogDragged=dialog;",
      u"offsetX=e.clientX-rect.left;",
      u"offsetY=e.clientY-rect.top;",
      u"dialog.style.left=rect.left+'px';",
      u"dialog.style.top=rect.top+'px';",
      u"dialog.style.transform='none';",
      u"var frame=dialog.getElementsByTagName('iframe')[0];",
      u"if(frame){frame.style.pointerEvents='none';}",
      u"e.preventDefault();",
      u"});",
      u"}",
      u"if(divDialogHookOnce(document)){",
      u"document.addEventListener('mousemove',function(e){",
      u"if(!isDragging||!divDialogDragged){return;}",
      u"var moved=divDialogDragged;",
      u"moved.style.left=divDialogClamp(e.clientX-offsetX,window.innerWidth-moved.offsetWidth)+'px';",
      u"moved.style.top=divDialogClamp(e.clientY-offsetY,window.innerHeight-moved.offsetHeight)+'px';",
      u"});",
      u"document.addEventListener('mouseup',function(){",
      u"if(!divDialogDragged){return;}",
      u"var frame=divDialogDragged.getElementsByTagName('iframe')[0];",
      u"if(frame){frame.style.pointerEvents='';}",
      u"isDragging=false;",
      u"divDialogDragged=null;",
      u"});",
      u"window.addEventListener('resize',function(){"
      u"if(!divDialog||divDialog.style.display!='flex'||divDialog.style.left.indexOf('px')<0){return;}"
      u"divDialog.style.left=divDialogClamp(parseFloat(divDialog.style.left),"
      u"window.innerWidth-divDialog.offsetWidth)+'px';"
      u"divDialog.style.top=divDialogClamp(parseFloat(divDialog.style.top),"
      u"window.innerHeight-divDialog.offsetHeight)+'px';"
      u"});"
      u"}"
      u"divDialogOverly.KesraCloseOnClick=(p_DialogCloseByOverly==1);",
      u"if(divDialogHookOnce(divDialogOverly)){",
      u"var overlay=divDialogOverly;",
      u"overlay.addEventListener('click',function(){if(overlay.KesraCloseOnClick){divCloseDialog();}});",
      u"}",
      u"if(divDialogHookOnce(divDialog)){",
      u"divDialog.addEventListener('click',function(e){e.stopPropagation();});",
      u"}",
      u"}",
      u"function divCloseDialog(){",
      u"if(!divDialog){return;}",
      u"divDialogOverly.style.display='none';",
      u"divDialog.style.display='none';",
      u"divDialog.style.transform='translate(-50%, -50%)';divDialog.style.left='50%';",
      u"divDialog.style.top='50%';",
      u"document.body.style.overflow=divDialog.KesraBodyOverflow||'';",
      u"}",
      u"</script>",
  });
}

}  // namespace qe
