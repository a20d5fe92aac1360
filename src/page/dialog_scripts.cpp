#include "page/dialog_scripts.h"

namespace qe {

std::vector<vb::String> DialogFrameScriptLines(const DialogFrameLook& look) {
  const vb::String handle(look.handle);
  // Each title bar, dialog and document is hooked once per window, however
  // often the dialog opens; the listeners point the globals at their own
  // dialog. Whether a backdrop click closes the dialog is decided by each
  // opening. A drag starts from the dialog's own translation, so two windows
  // that open one dialog (a page and the page in its iframe) agree on it.
  return {
      vb::String(look.open_tag),
      vb::String(look.globals),
      u"var isDragging=false;",
      u"var startX,startY;",
      u"var translateX=0,translateY=0;",
      u"var animationFrameId=null;",
      u"var dialogDragged=null,dialogHandle=null;",
      u"var dialogHooked=window.dialogHooked||[];",
      u"function dialogHookOnce(target){",
      u"if(dialogHooked.indexOf(target)>=0){return false;}",
      u"dialogHooked.push(target);return true;",
      u"}",
      u"function ShowPopDialog(p_DialogID,p_PopWidth,p_PopHeight,p_DialogTitle,p_Url,p_DialogCloseByOverly){",
      u"if(!p_DialogID){p_DialogID='Dialog';}",
      u"var doc=document;",
      u"if(String(p_DialogID).indexOf('MainDialog')>=0){",
      u"try{if(window.parent.document.getElementById(p_DialogID)){doc=window.parent.document;}}catch(e){doc=document;}",
      u"}",
      // The pages' common div dialog is opened by the same calls as a dialog
      // element: an id of a div dialog goes to the div dialog's own script.
      u"var named=doc.getElementById(p_DialogID);",
      u"if(named&&named.tagName.toLowerCase()!='dialog'&&typeof divOpenDialog=='function'){",
      u"divOpenDialog(p_DialogID,p_PopWidth,p_PopHeight,p_DialogTitle,p_Url,p_DialogCloseByOverly);return;",
      u"}",
      vb::String(look.lookups),
      u"dialogDocument=doc;",
      u"if(p_Url){dialogFrame.src=p_Url;}",
      u"if(p_DialogTitle){dialogTitle.innerHTML=p_DialogTitle;}",
      vb::String(look.sizes),
      u"if(!dialog.open){",
      u"dialog.showModal();translateX=0;translateY=0;dialog.style.transform='translate(0px, 0px)';",
      u"}",
      u"dialog.KesraCloseByOverlay=(p_DialogCloseByOverly==1);",
      u"dialogHook(dialog," + handle + u",dialogFrame,dialogFrameOverlay,doc);",
      u"}",
      u"function dialogHook(d,handle,frame,overlay,doc){",
      u"function use(){dialog=d;dialogHandle=handle;dialogFrame=frame;dialogFrameOverlay=overlay;dialogDocument=doc;}",
      u"if(dialogHookOnce(handle)){",
      u"handle.addEventListener('mousedown',function(e){use();startDrag(e);},false);",
      u"handle.addEventListener('touchstart',function(e){",
      u"var touch=e.touches[0];use();",
      u"startDrag({clientX:touch.clientX,clientY:touch.clientY,preventDefault:function(){e.preventDefault();}});",
      u"},{passive:false});",
      u"}",
      u"if(dialogHookOnce(doc)){",
      u"doc.addEventListener('mousemove',function(e){handleMove(e.clientX,e.clientY);},false);",
      u"doc.addEventListener('touchmove',function(e){",
      u"if(!isDragging||!dialogDragged){return;}",
      u"var touch=e.touches[0];handleMove(touch.clientX,touch.clientY);e.preventDefault();",
      u"},{passive:false});",
      u"doc.addEventListener('mouseup',function(){endDrag();},false);",
      u"doc.addEventListener('touchend',function(){endDrag();},false);",
      u"}",
      // A backdrop click reaches the dialog itself at a point outside its
      // box; the box's edges count as inside.
      u"if(dialogHookOnce(d)){",
      u"d.addEventListener('click',function(e){",
      u"if(!d.KesraCloseByOverlay||e.target!=d){return;}",
      u"var r=d.getBoundingClientRect();",
      u"if(e.clientX<r.left||e.clientX>r.right||e.clientY<r.top||e.clientY>r.bottom){d.close();}",
      u"},false);",
      u"}",
      u"}",
      u"function startDrag(e){",
      u"e.preventDefault();",
      u"isDragging=true;dialogDragged=dialog;",
      u"var shift=/translate\\((-?[0-9.]+)px, *(-?[0-9.]+)px\\)/.exec(dialog.style.transform);",
      u"if(shift){translateX=parseFloat(shift[1]);translateY=parseFloat(shift[2]);}",
      u"startX=e.clientX-translateX;startY=e.clientY-translateY;",
      u"dialogHandle.style.cursor='grabbing';",
      u"dialogFrame.style.pointerEvents='none';",
      u"dialogFrameOverlay.style.display='block';",
      u"}",
      u"function handleMove(clientX,clientY){",
      u"if(!isDragging||!dialogDragged){return;}",
      u"translateX=clientX-startX;translateY=clientY-startY;",
      u"if(animationFrameId){cancelAnimationFrame(animationFrameId);}",
      u"animationFrameId=requestAnimationFrame(updateTransform);",
      u"}",
      u"function endDrag(){",
      u"if(!dialogDragged){return;}",
      u"isDragging=false;dialogDragged=null;",
      u"dialogHandle.style.cursor='grab';",
      u"dialogFrame.style.pointerEvents='auto';",
      u"dialogFrameOverlay.style.display='none';",
      u"}",
      u"function updateTransform(){",
      u"animationFrameId=null;",
      u"if(dialog){dialog.style.transform='translate('+translateX+'px, '+translateY+'px)';}",
      u"}",
      u"</script>",
  };
}

std::vector<vb::String> DivDialogScriptLines(const DivDialogLook& look) {
  // The listeners are added once per element and window; whether an overlay
  // click closes is decided by each opening; the body's own overflow comes
  // back on closing; a resize moves only a dialog that was dragged (a centred
  // one stays centred); while dragging, the iframe lets the mouse through, so
  // that a quick move or the mouse-up over it does not escape the page.
  std::vector<vb::String> lines = {
      u"<script>",
      u"var divDialogOverly,divDialog,divDialogTitle,divDialogBody,divDialogFrame,divDialogCloseBtn;",
  };
  if (!look.globals.empty()) lines.emplace_back(look.globals);
  for (vb::StringView line : {
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
       })
    lines.emplace_back(line);
  if (!look.lookups.empty()) lines.emplace_back(look.lookups);
  lines.emplace_back(u"if(p_Url){divDialogFrame.src=p_Url;}");
  lines.emplace_back(u"if(p_DialogTitle){divDialogTitle.innerHTML=p_DialogTitle;}");
  lines.emplace_back(look.sizes);
  for (vb::StringView line : {
           u"if(divDialog.style.display!='flex'){divDialog.KesraBodyOverflow=document.body.style.overflow;}",
           u"divDialogOverly.style.display='block';",
           u"divDialog.style.display='flex';",
           u"document.body.style.overflow='hidden';",
           u"divDialog.style.left='50%';",
           u"divDialog.style.top='50%';",
           u"divDialog.style.transform='translate(-50%, -50%)';",
       })
    lines.emplace_back(line);
  if (!look.sizes_shown.empty()) lines.emplace_back(look.sizes_shown);
  for (vb::StringView line : {
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
       })
    lines.emplace_back(line);
  return lines;
}

}  // namespace qe
