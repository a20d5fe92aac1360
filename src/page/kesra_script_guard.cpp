#include "page/kesra_script_guard.h"

#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {

vb::String KesraScriptH5FullScreen() {
  return u"<script Language=\"JavaScript\">"
         u"function launchFullScreen(element){"
         u"if(element.requestFullScreen){element.requestFullScreen();}"
         u"else if(element.mozRequestFullScreen){element.mozRequestFullScreen();}"
         u"else if(element.webkitRequestFullScreen){element.webkitRequestFullScreen();}"
         u"else if(element.msRequestFullscreen){element.msRequestFullscreen();}"
         u"}"
         u"function exitFullscreen(){"
         u"if(document.exitFullscreen){document.exitFullscreen();}"
         u"else if(document.mozCancelFullScreen){document.mozCancelFullScreen();}"
         u"else if(document.webkitExitFullscreen){document.webkitExitFullscreen();}"
         u"else if(document.msExitFullscreen){document.msExitFullscreen();}"
         u"}"
         u"function isFullScreen(){"
         u"return !!(document.fullscreenElement||document.webkitFullscreenElement||"
         u"document.mozFullScreenElement||document.msFullscreenElement);"
         u"}"
         u"function toggleFullScreen(){"
         u"if(!isFullScreen()){launchFullScreen(document.documentElement);}else{exitFullscreen();}"
         u"}"
         u"</script>";
}

vb::String KesraScriptNoInFrame() {
  // Reading a foreign top window's host throws: that counts as another host.
  // A browser may refuse to move a foreign top window; that is no script error.
  return u"<script Language=\"JavaScript\">"
         u"(function(){"
         u"var host=null;"
         u"try{host=top.location.hostname;}catch(e){host=null;}"
         u"if(host!==self.location.hostname){try{top.location.href=self.location.href;}catch(e){}}"
         u"})();"
         u"</script>";
}

vb::String KesraScriptNoInTop() {
  return u"<script Language=\"JavaScript\">"
         u"if(top!=self){try{top.location.href=self.location.href;}catch(e){}}"
         u"</script>";
}

vb::String KesraScriptImage() {
  return u"<script Language=\"JavaScript\">"
         u"function DownImage(ImgD){"
         u"var w=ImgD.naturalWidth,h=ImgD.naturalHeight;"
         u"if(w===undefined){var image=new Image();image.src=ImgD.src;w=image.width;h=image.height;}"
         u"if(w>0&&h>0){"
         u"if(w>500){ImgD.width=500;ImgD.height=h*500/w;}else{ImgD.width=w;ImgD.height=h;}"
         u"}"
         u"}"
         // The wheel's notch is 120: wheelDelta where the browser has it, else
         // the standard deltaY turned round (lines counted at 40).
         u"function cgimg(o){"
         u"var e=arguments[1]||window.event;var d=0;"
         u"if(e){if(e.wheelDelta){d=e.wheelDelta;}else if(e.deltaY){d=-e.deltaY;if(e.deltaMode==1){d=d*40;}}}"
         u"var zoom=parseFloat(o.style.zoom);if(isNaN(zoom)){zoom=100;}"
         u"zoom=zoom+d/12;"
         u"if(zoom>0){o.style.zoom=zoom+'%';}"
         u"return false;"
         u"}"
         u"</script>"
         u"<script Language=\"JavaScript\">"
         // The picture is written as a bare element and given its address,
         // size and click handler through the DOM, so no address or title can
         // break out of an attribute.
         u"function kesra_showpic(pic_url,pic_width,pic_height,pic_width_right,pic_height_right,pic_border_width,"
         u"pic_title,allow_open_windows){"
         u"var w=Number(pic_width),h=Number(pic_height),wr=Number(pic_width_right),hr=Number(pic_height_right);"
         u"if(w>wr){h=h*wr/w;w=wr;}"
         u"if(h>hr){w=w*hr/h;h=hr;}"
         u"kesra_showpic.count=(kesra_showpic.count||0)+1;"
         u"var id='kesra_showpic_'+kesra_showpic.count;"
         u"document.write('<img id=\"'+id+'\">');"
         u"var img=document.getElementById(id);"
         u"if(!img){return;}"
         u"img.removeAttribute('id');"
         u"img.src=pic_url;img.width=w;img.height=h;img.setAttribute('border',pic_border_width);"
         u"if(allow_open_windows=='no_open'){return;}"
         u"img.title='按此在网络图像浏览器中查看图片';"
         u"img.style.cursor='pointer';"
         u"img.onclick=function(){"
         u"var win=window.open('../comm/kesra_FileView.asp?FileType=Image&Url='+pic_url+'&Title='+pic_title,"
         u"'photo_edit_windows','width=700,height=540,resizable=yes,scrollbars=yes,status=no,toolbar=no,menubar=no,"
         u"location=no');"
         u"if(win){win.focus();}"
         u"};"
         u"}"
         u"</script>"
         u"<script Language=\"JavaScript\">"
         u"var PhotoHeightMax,PhotoHeightMin,PhotoWidthMax,PhotoWidthMin,photo5,photo6;"
         u"function KesraPhotoImage(form){"
         u"return form.photofile||document.getElementById('photofile')||document.images['photofile'];"
         u"}"
         u"function KesraPhotoSize(form,h,w){"
         u"form.photohight.value=h;form.photowidth.value=w;"
         u"var img=KesraPhotoImage(form);if(img){img.height=h;img.width=w;}"
         u"}"
         u"function dheight(form){"
         u"var h=parseInt(form.photohight.value,10),w=parseInt(form.photowidth.value,10),"
         u"s=parseInt(form.phototz.value,10);"
         u"if(h+s<PhotoHeightMax&&w+s*photo6<PhotoWidthMax){KesraPhotoSize(form,h+s,w+Math.floor(s*photo6));}"
         u"}"
         u"function xheight(form){"
         u"var h=parseInt(form.photohight.value,10),w=parseInt(form.photowidth.value,10),"
         u"s=parseInt(form.phototz.value,10);"
         u"if(h-s>PhotoHeightMin&&w-s*photo6>PhotoWidthMin){KesraPhotoSize(form,h-s,w-Math.floor(s*photo6));}"
         u"}"
         u"function dwidth(form){"
         u"var h=parseInt(form.photohight.value,10),w=parseInt(form.photowidth.value,10),"
         u"s=parseInt(form.phototz.value,10);"
         u"if(w+s<PhotoWidthMax&&h+s*photo5<PhotoHeightMax){KesraPhotoSize(form,h+Math.floor(s*photo5),w+s);}"
         u"}"
         u"function xwidth(form){"
         u"var h=parseInt(form.photohight.value,10),w=parseInt(form.photowidth.value,10),"
         u"s=parseInt(form.phototz.value,10);"
         u"if(w-s>PhotoWidthMin&&h-s*photo5>PhotoHeightMin){KesraPhotoSize(form,h-Math.floor(s*photo5),w-s);}"
         u"}"
         u"function photohy(form){"
         u"KesraPhotoSize(form,form.photohight1.value,form.photowidth1.value);"
         u"}"
         u"</script>";
}

vb::String KesraScriptMouse(vb::Variant& Request) {
  vb::Variant excel = com::Call(Request, u"QueryString", u"excel");
  vb::String value = excel.IsNull() ? vb::String() : vb::CStr(com::ValueOf(excel));
  if (vb::LCase(vb::Trim(value)) == u"yes") return {};
  // Listeners rather than the document's handler properties, so that the
  // scrolling and progress scripts of the same page keep theirs.
  return u"<script Language=\"JavaScript\">"
         u"function NoContextMenu(e){"
         u"e=e||window.event;"
         u"if(e.preventDefault){e.preventDefault();}if(e.stopPropagation){e.stopPropagation();}"
         u"e.returnValue=false;e.cancelBubble=true;return false;"
         u"}"
         u"function NoRightClick(e){"
         u"e=e||window.event;var t=e.target||e.srcElement;"
         u"if(e.shiftKey&&t&&t.tagName=='A'){if(e.preventDefault){e.preventDefault();}e.returnValue=false;}"
         u"if(window.Event){"
         u"if(e.which==2||e.which==3){if(e.preventDefault){e.preventDefault();}return false;}"
         u"}else if(e.button==2||e.button==3){e.cancelBubble=true;e.returnValue=false;return false;}"
         u"return true;"
         u"}"
         u"function NoCtrlN(e){"
         u"e=e||window.event;var k=e.keyCode;"
         u"if((e.ctrlKey&&k==78)||k==114){if(e.preventDefault){e.preventDefault();}e.returnValue=false;return false;}"
         u"if(e.altKey&&k==115){"
         u"if(window.showModelessDialog){window.showModelessDialog('about:blank','','dialogWidth:0px;dialogHeight:0px');}"
         u"if(e.preventDefault){e.preventDefault();}e.returnValue=false;return false;"
         u"}"
         u"return true;"
         u"}"
         u"function CancelLink(e){"
         u"e=e||window.event;var t=e.target||e.srcElement;"
         u"if(e.shiftKey&&t&&(t.tagName=='A'||t.tagName=='IMG')){"
         u"if(e.preventDefault){e.preventDefault();}e.returnValue=false;return false;"
         u"}"
         u"return true;"
         u"}"
         u"if(document.addEventListener){"
         u"document.addEventListener('contextmenu',NoContextMenu,false);"
         u"document.addEventListener('mousedown',NoRightClick,false);"
         u"document.addEventListener('keydown',NoCtrlN,false);"
         u"document.addEventListener('click',CancelLink,false);"
         u"}else{"
         u"document.oncontextmenu=NoContextMenu;document.onmousedown=NoRightClick;"
         u"document.onkeydown=NoCtrlN;document.onclick=CancelLink;"
         u"}"
         u"</script>"
         u"<script Language=\"JavaScript\">"
         u"function cform(){if(!confirm(\"您确认删除该记录吗！\")){return false;}return true;}"
         u"</script>"
         u"<script Language=\"JavaScript\">"
         u"function killErrors(){return true;}"
         u"window.onerror=killErrors;"
         u"</script>";
}

}  // namespace qe
