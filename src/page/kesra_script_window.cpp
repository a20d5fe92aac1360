#include "page/kesra_script_window.h"

#include "common/kesra_error_page.h"
#include "page/client_script_parts.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace qe {

namespace {

// A script element that carries KesraEventOf ahead of `body`.
vb::String ScriptWithEventOf(vb::StringView body) {
  vb::String script = u"<script Language=\"JavaScript\">";
  script += kScriptEventOf;
  script += body;
  return script + u"</script>";
}

// OpenWindowModalScroll and OpenWindowModalNoScroll: `scroll` "yes" or "no".
vb::String ModalOpener(const vb::String& name, const vb::String& scroll) {
  return u"function " + name + u"(p_Url,p_Width,p_Height){"
         u"if(!window.showModalDialog){OpenWindow(p_Url,'_blank',p_Width,p_Height,0);}"
         u"else{window.showModalDialog(p_Url,window,"
         u"\"dialogHeight: \"+p_Height+\"px; dialogWidth: \"+p_Width+\"px; help: no;scroll: " + scroll +
         u"; status: no\");}"
         u"return false;"
         u"}";
}

// OpenWindowQQNoScroll and OpenWindowQQScroll: `scrollbars` "no" or "yes".
vb::String PlainOpener(const vb::String& name, const vb::String& scrollbars) {
  return u"function " + name + u"(p_Url,p_OpenName,p_Left,p_Top,p_Width,p_Height){"
         u"var win=window.open(p_Url,p_OpenName,'toolbar=no,location=no,directories=no,status=no,menubar=no,"
         u"scrollbars=" + scrollbars + u",resizable=no,top='+p_Top+',left='+p_Left+',width='+p_Width+',height='+p_Height);"
         u"if(win){win.focus();}"
         u"return false;"
         u"}";
}

}  // namespace

vb::String KesraScriptOpenWindow() {
  // A window that the browser refused to open is left alone: the opener
  // stays, and nothing is called on the missing window.
  vb::String script = u"<script Language=\"JavaScript\">";
  script += ModalOpener(u"OpenWindowModalScroll", u"yes");
  script += ModalOpener(u"OpenWindowModalNoScroll", u"no");
  script +=
      // An address that has a query already takes the height as one more key.
      u"function OpenWindowFullScreen(p_Url){"
      u"var w=screen.availWidth-10,h=screen.availHeight-30;"
      u"var url=p_Url+(String(p_Url).indexOf('?')<0?'?':'&')+'ScreenHeight='+h;"
      u"window.open(url,'kesra','width='+w+',height='+h+',top=0,left=0,fullscreen=1,toolbar=0,location=0,"
      u"directories=0,status=0,menubar=0,resizable=0');"
      u"window.focus();"
      u"}"
      u"function OpenWindowCenterScreen(p_Url,p_OpenName,p_Width,p_Height,p_Close){"
      u"var win=window.open(p_Url,p_OpenName,'width='+p_Width+',height='+p_Height+',status=no,');"
      u"if(!win){return;}"
      u"win.moveTo((screen.availWidth-p_Width)/2,(screen.availHeight-p_Height)/2);"
      u"win.resizeTo(p_Width,p_Height);"
      u"win.outerWidth=screen.availWidth;win.outerHeight=screen.availHeight;"
      u"win.focus();"
      u"if(p_Close==1){";
  script += KesraCloseWindowNoMessagebox();
  script += u"win.focus();}}";
  script += PlainOpener(u"OpenWindowQQNoScroll", u"no");
  script += PlainOpener(u"OpenWindowQQScroll", u"yes");
  script +=
      u"function OpenWindowResize(p_Url,p_Width,p_Height){"
      u"var win=window.open(p_Url,'OpenWindowResize','width='+p_Width+',height='+p_Height+',resizable=yes,"
      u"scrollbars=no,status=no,toolbar=no,menubar=no,location=no');"
      u"if(win){win.focus();}"
      u"return false;"
      u"}"
      u"function OpenWindow1(p_Url,p_OpenName,p_Width,p_Height){"
      u"window.open(p_Url,p_OpenName,'width='+p_Width+',height='+p_Height);"
      u"}"
      u"function OpenWindow(p_Url,p_OpenName,p_Width,p_Height){"
      u"var win=window.open(p_Url,p_OpenName,'width='+p_Width+',height='+p_Height);"
      u"if(win){win.focus();}"
      u"return false;"
      u"}"
      u"</script>";
  return script;
}

vb::String KesraScriptPopSelect() {
  // Without modal dialogs there is no pick list: the field stays as it is.
  return ScriptWithEventOf(
      u"function PopSelectData(obj,selectname){"
      u"var e=KesraEventOf(PopSelectData);"
      u"if(!window.showModalDialog){return;}"
      u"var x=e?e.screenX:0,y=e?e.screenY:0;"
      u"var value=window.showModalDialog('../comm/kesra_selectdata.asp?zdm='+selectname,'',"
      u"'dialogtop:'+y+'px;dialogleft:'+x+'px;dialogwidth:220px;dialogheight:510px;status:no');"
      u"if(value!=null){obj.value=value;}"
      u"}");
}

vb::String KesraScriptPopWindow() {
  return u"<script Language=\"JavaScript\" src=\"../comm/kesra_PopupClass.asp\"></script>"
         u"<script Language=\"JavaScript\">"
         u"var pop=null;"
         u"function ShowIframe(title,contentUrl,width,height){"
         u"pop=new Popup({contentType:1,isReloadOnClose:false,width:width,height:height});"
         u"pop.setContent(\"contentUrl\",contentUrl);"
         u"pop.setContent(\"title\",title);"
         u"pop.build();pop.show();"
         u"}"
         u"function ShowHtmlString(title,strHtml,width,height){"
         u"pop=new Popup({contentType:2,isReloadOnClose:false,width:width,height:height});"
         u"pop.setContent(\"contentHtml\",strHtml);"
         u"pop.setContent(\"title\",title);"
         u"pop.build();pop.show();"
         u"}"
         u"function ShowConfirm(title,confirmCon,id,str,width,height){"
         u"var confirmPop=new Popup({contentType:3,isReloadOnClose:false,width:width,height:height});"
         u"confirmPop.setContent(\"title\",title);"
         u"confirmPop.setContent(\"confirmCon\",confirmCon);"
         u"confirmPop.setContent(\"callBack\",ShowCallBack);"
         u"confirmPop.setContent(\"parameter\",{id:id,str:str,obj:confirmPop});"
         u"confirmPop.build();confirmPop.show();"
         u"}"
         u"function ShowAlert(title,alertCon,width,height){"
         u"pop=new Popup({contentType:4,isReloadOnClose:false,width:width,height:height});"
         u"pop.setContent(\"title\",title);"
         u"pop.setContent(\"alertCon\",alertCon);"
         u"pop.build();pop.show();"
         u"}"
         u"function ShowCallBack(para){"
         u"para[\"obj\"].close();"
         u"document.getElementById(para[\"id\"]).click();"
         u"}"
         u"function ClosePop(){if(pop){pop.close();}}"
         u"</script>";
}

vb::String KesraScriptOnKeyDownDefault() {
  // The key's own action is left alone: forms that must not be sent by Enter
  // cancel it in their own handler.
  return ScriptWithEventOf(
      u"function onKeyDownDefault(thisInput){"
      u"var e=KesraEventOf(onKeyDownDefault);if(!e){return;}"
      u"var source=e.target||e.srcElement;"
      u"var type=source&&source.type?String(source.type).toLowerCase():'';"
      u"var k=e.keyCode;"
      u"if(k==13&&e.ctrlKey){"
      u"var form=document.forms['myform']||document.getElementById('myform');if(form){form.submit();}return;"
      u"}"
      u"if((k!=13&&k!=40&&k!=38)||e.ctrlKey||e.altKey||type=='textarea'||type=='submit'){return;}"
      u"var inputs=document.getElementsByTagName('input');if(!inputs.length){return;}"
      u"var i=-1;for(var n=0;n<inputs.length;n++){if(inputs[n]==thisInput){i=n;break;}}"
      u"var next=null;"
      u"if((k==13&&!e.shiftKey)||(k==40&&type!='number')){next=(i<0||i==inputs.length-1)?inputs[0]:inputs[i+1];}"
      u"else if((k==38&&type!='number')||(k==13&&e.shiftKey)){next=(i<=0)?inputs[0]:inputs[i-1];}"
      u"if(next){next.focus();if(next.select){next.select();}}"
      u"}"
      u"function IsDigit(){"
      u"var e=KesraEventOf(IsDigit);var k=e?(e.keyCode||e.which):0;"
      u"return (k>=48&&k<=57);"
      u"}"
      u"function IsDigitAndSign(){"
      u"var e=KesraEventOf(IsDigitAndSign);var k=e?(e.keyCode||e.which):0;"
      u"return (k>=48&&k<=57)||k==45||k==46;"
      u"}");
}

vb::String KesraScriptListMenu() {
  return u"<script Language=\"JavaScript\">"
         u"var scores=new Array(20);"
         u"var numTotal=0;"
         u"function initIt(){"
         u"var divs=document.getElementsByTagName('div');"
         u"for(var i=0;i<divs.length;i++){if(divs[i].className=='child'){divs[i].style.display='none';}}"
         u"}"
         u"function expandIt(el){"
         u"var whichEl=document.getElementById(el+'Child');"
         u"for(var i=1;i<=numTotal;i++){"
         u"var other=document.getElementById(scores[i]+'Child');"
         u"if(other&&other!=whichEl){other.style.display='none';}"
         u"}"
         u"if(whichEl){whichEl.style.display=(whichEl.style.display=='none')?'block':'none';}"
         u"}"
         u"window.onload=initIt;"
         u"</script>";
}

vb::String KesraScriptListMenuMove() {
  return u"<script Language=\"JavaScript\">"
         u"function moveIt(){"
         u"var floater=document.getElementById('floater');"
         u"if(!floater||floater.KesraMoveHooked){return;}"
         u"floater.KesraMoveHooked=true;"
         u"var dx=0,dy=0;"
         u"function move(e){"
         u"e=e||window.event;"
         u"if(document.getElementById('scroll1')){floater.style.left=(e.clientX-dx)+'px';}"
         u"if(document.getElementById('scroll2')){floater.style.top=(e.clientY-dy)+'px';}"
         u"}"
         u"function stop(){"
         u"document.removeEventListener('mousemove',move,false);"
         u"document.removeEventListener('mouseup',stop,false);"
         u"}"
         u"floater.addEventListener('mousedown',function(e){"
         u"dx=e.clientX-floater.offsetLeft;dy=e.clientY-floater.offsetTop;"
         u"document.addEventListener('mousemove',move,false);"
         u"document.addEventListener('mouseup',stop,false);"
         u"},false);"
         u"}"
         u"</script>";
}

vb::String KesraScriptFloaterToggle(bool p_CanMove, bool p_CanExpand) {
  vb::String script =
      u"<script Language=\"JavaScript\">"
      u"function closeLoginForm(){document.getElementById('floater').style.visibility='hidden';}"
      u"function showLoginForm(){"
      u"var floater=document.getElementById('floater');"
      u"floater.style.top='0px';floater.style.left='0px';floater.style.visibility='visible';"
      u"}"
      u"window.onload=function(){";
  if (p_CanExpand) script += u"initIt();";
  if (p_CanMove) script += u"moveIt();";
  script += u"};</script>";
  return script;
}

vb::String KesraScriptShowToolTipText() {
  // The box sits with a corner at the pointer: it lets the pointer through,
  // or its own appearance would take the pointer off the element that asked
  // for it, which hides it again.
  vb::String script =
      u"<div id=\"dek\" class=\"dek\" style=\"position:absolute;visibility:hidden;z-index:200;pointer-events:none;\"></div>"
      u"<script Language=\"JavaScript\">"
      u"function popwish(wish){"
      u"var box='<table width=\"200\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"word-break:break-all\">'"
      u"+'<tr><td><img src=\"../comm/image/Kesra_TipText_LeftTop.asp\"></td>'"
      u"+'<td colspan=\"2\" background=\"../comm/image/Kesra_TipText_Top.asp\"></td>'"
      u"+'<td><img src=\"../comm/image/Kesra_TipText_RightTop.asp\"></td></tr>'"
      u"+'<tr height=\"30\"><td background=\"../comm/image/Kesra_TipText_Left.asp\"></td>'"
      u"+'<td colspan=\"2\" width=\"190\" bgcolor=\"#fcfee4\" nowrap><font color=\"red\">'+wish+'</font></td>'"
      u"+'<td background=\"../comm/image/Kesra_TipText_Right.asp\"></td></tr>'"
      u"+'<tr><td><img src=\"../comm/image/Kesra_TipText_LeftBottom.asp\"></td>'"
      u"+'<td background=\"../comm/image/Kesra_TipText_Bottom.asp\">"
      u"<img src=\"../comm/image/Kesra_TipText_LeftBottom2.asp\"></td>'"
      u"+'<td background=\"../comm/image/Kesra_TipText_Bottom.asp\"></td>'"
      u"+'<td><img src=\"../comm/image/Kesra_TipText_RightBottom.asp\"></td></tr></table>';"
      u"var dek=document.getElementById('dek');if(!dek){return;}"
      u"dek.innerHTML=box;dek.style.visibility='visible';"
      u"}"
      u"function get_mouse(e){"
      u"e=e||window.event;var dek=document.getElementById('dek');if(!dek||!e){return;}"
      u"dek.style.left=(e.clientX+";
  script += kScriptScrollLeft;
  script += u")+'px';dek.style.top=(e.clientY+";
  script += kScriptScrollTop;
  script +=
      u"-dek.offsetHeight)+'px';"
      u"}"
      u"function kill(){var dek=document.getElementById('dek');if(dek){dek.style.visibility='hidden';}}"
      u"document.addEventListener('mousemove',get_mouse,false);"
      u"</script>";
  return script;
}

vb::String KesraScriptShowMenu() {
  return ScriptWithEventOf(
      u"var isvisible;"
      u"function ShowMenu(vMnuCode,tWidth){"
      u"var e=KesraEventOf(ShowMenu);var anchor=e?(e.target||e.srcElement):null;"
      u"var menu=document.getElementById('menu_div');"
      u"if(!anchor||!menu){return;}"
      u"var left=anchor.offsetLeft,top=anchor.offsetTop,parent=anchor.offsetParent;"
      u"while(parent&&parent.tagName!='BODY'){left+=parent.offsetLeft;top+=parent.offsetTop;parent=parent.offsetParent;}"
      u"menu.innerHTML='<table id=\"submenu\" cellspacing=\"1\" cellpadding=\"3\" style=\"border:0px; width:'+tWidth+'\""
      u" class=\"tableborder1\" onmouseout=\"HideMenu()\"><tr height=\"23\">"
      u"<td nowrap align=\"left\" class=\"tablebody1\">'+vMnuCode+'</td></tr></table>';"
      // Left margin -2 plus 4; top margin 1 plus spacing 1 minus 2.
      u"menu.style.left=(left-2+4)+'px';"
      u"menu.style.top=(top+anchor.offsetHeight+1+1-2)+'px';"
      u"menu.style.visibility='visible';"
      u"isvisible=true;"
      u"}");
}

vb::String KesraScriptScrollWindow() {
  vb::String script =
      u"<script Language=\"JavaScript\">"
      u"var KesraScrollTimer=null;"
      u"function initialize(){sc();KesraScrollTimer=setInterval(KesraScriptScrollWindow,1);}"
      u"function sc(){if(KesraScrollTimer){clearInterval(KesraScrollTimer);KesraScrollTimer=null;}}"
      u"function KesraScriptScrollWindow(){"
      u"var position=Math.round(";
  script += kScriptScrollTop;
  script += u");window.scroll(0,position+1);if(Math.round(";
  script += kScriptScrollTop;
  script +=
      u")!=position+1){sc();}"
      u"}"
      u"document.addEventListener('mousedown',sc,false);"
      u"document.addEventListener('dblclick',initialize,false);"
      u"</script>";
  return script;
}

vb::String KesraScriptScrollWindowFollow(vb::Variant& p_Left) {
  vb::String left = p_Left.IsNull() ? vb::String() : vb::CStr(com::ValueOf(p_Left));
  vb::String script =
      u"<script Language=\"JavaScript\">"
      u"document.write('<style type=\"text/css\">#master{left:";
  script += left;
  script +=
      u"px;position:absolute;top:0px;visibility:visible;z-index:999}</style>');"
      u"document.write('<table id=\"master\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td align=\"right\">"
      u"<a href=\"#\" title=\"返回顶部\"><img src=\"../comm/image/kesra_gotop.asp\" id=\"menu\" name=\"menutop\""
      u" border=\"0\"></a></td></tr></table>');"
      u"setInterval(function(){"
      u"var master=document.getElementById('master');"
      u"if(master){master.style.top=(";
  script += kScriptScrollTop;
  script +=
      u"+10)+'px';}"
      u"},100);"
      u"</script>";
  return script;
}

vb::String KesraShowScrollWindowTitle(vb::String p_FontColor) {
  return u"&nbsp;&nbsp;&nbsp;&nbsp;<font color=\"" + p_FontColor +
         u"\">（双击自动向上滚动，单击停止，点击<img src=\"../comm/image/kesra_gotop.asp\" border=\"0\">回至顶部）</font>";
}

}  // namespace qe
