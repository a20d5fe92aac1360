#include "page/kesra_script_clock.h"

#include "page/client_script_parts.h"

namespace qe {

vb::String KesraScriptShowDateAndTime(vb::String p_OtherShow) {
  return u"<script Language=\"JavaScript\">"
         u"function ShowDateAndTimeScript(){"
         u"var now=new Date();"
         u"var hours=now.getHours(),minutes=now.getMinutes(),seconds=now.getSeconds();"
         u"var days=new Array(\"日\",\"一\",\"二\",\"三\",\"四\",\"五\",\"六\");"
         u"var part=hours<6?\"凌晨\":hours<12?\"上午\":hours<18?\"下午\":\"晚上\";"
         u"if(minutes<10){minutes=\"0\"+minutes;}"
         u"if(seconds<10){seconds=\"0\"+seconds;}"
         u"var clock=document.getElementById(\"liveclock\");"
         u"if(clock){clock.innerHTML=\"&nbsp;&nbsp;<font color=\\\"blue\\\">\"+now.getFullYear()+\"年\"+(now.getMonth()+1)"
         u"+\"月\"+now.getDate()+\"日&nbsp;&nbsp;星期\"+days[now.getDay()]+\"&nbsp;&nbsp;\"+hours+\":\"+minutes+\":\"+seconds"
         u"+\"[\"+part+\"]</font>\";}" +
         p_OtherShow +
         u"setTimeout(ShowDateAndTimeScript,1000);"
         u"}"
         u"</script>";
}

vb::String KesraScriptShowProcessBar() {
  // The layer works in every browser: the click handler is a listener, so
  // the page's other click handlers stay.
  vb::String script =
      u"<script Language=\"JavaScript\">"
      u"var KesraBarFull=0,KesraBarWidth=0;"
      u"function AddProcessbar(){"
      u"document.write('<div id=\"waiting\" style=\"position:absolute;top:50px;left:100px;z-index:1;visibility:hidden;\">'"
      u"+'<table border=\"2\" cellspacing=\"1\" cellpadding=\"0\" bordercolorlight=\"#FFFFFF\" bordercolordark=\"#C0C0C0\""
      u" bgcolor=\"#E0E0E0\">'"
      u"+'<tr><td height=\"30\" width=\"300\" align=\"center\"><font color=\"#000000\">系统正在处理中...</font></td></tr>'"
      u"+'<tr><td><img name=\"sbar\" width=\"0\" height=\"10\" style=\"background-color:#6699cc\"></td></tr>'"
      u"+'</table></div>');"
      u"var waiting=document.getElementById('waiting');"
      u"KesraBarFull=waiting?waiting.offsetWidth:0;KesraBarWidth=0;"
      u"if(document.addEventListener){document.addEventListener('click',CheckClick,false);}"
      u"else{document.onclick=CheckClick;}"
      u"}"
      u"function CheckIsProcessBar(obj){"
      u"return !(obj&&obj.getAttribute&&obj.getAttribute('IsShowProcessBar')=='True');"
      u"}"
      u"function CheckClick(e){"
      u"var waiting=document.getElementById('waiting');var bar=document.images['sbar'];"
      u"if(e==1){"
      u"if(KesraBarWidth<KesraBarFull*0.98){"
      u"KesraBarWidth+=(KesraBarFull-KesraBarWidth)*0.025;"
      u"if(bar){bar.width=KesraBarWidth;}"
      u"setTimeout(function(){CheckClick(1);},150);"
      u"}"
      u"return true;"
      u"}"
      u"if(!waiting){return true;}"
      u"if(waiting.style.visibility=='visible'){waiting.style.visibility='hidden';KesraBarWidth=1;}"
      u"var element=e?(e.target||e.srcElement):window.event?window.event.srcElement:null;"
      u"while(element&&element.nodeType==1&&CheckIsProcessBar(element)){element=element.parentNode;}"
      u"if(!element||element.nodeType!=1){return true;}"
      u"var height=window.innerHeight||document.documentElement.clientHeight||document.body.clientHeight;"
      u"var width=window.innerWidth||document.documentElement.clientWidth||document.body.clientWidth;"
      u"waiting.style.top=((height-waiting.offsetHeight)/2+";
  script += kScriptScrollTop;
  script += u")+'px';waiting.style.left=((width-waiting.offsetWidth)/2+";
  script += kScriptScrollLeft;
  script +=
      u")+'px';"
      u"waiting.style.visibility='visible';"
      u"if(KesraBarWidth==0){setTimeout(function(){CheckClick(1);},150);}"
      u"KesraBarWidth=1;"
      u"return true;"
      u"}"
      u"AddProcessbar();"
      u"</script>";
  return script;
}

namespace {

// ShowAjax with the parameters given and the statements that send the request;
// the answer goes into the element on status 200.
vb::String Loader(const vb::String& parameters, const vb::String& sending) {
  return u"<script Language=\"JavaScript\">"
         u"function ShowAjax(" + parameters + u"){"
         u"var request=window.XMLHttpRequest?new XMLHttpRequest():new ActiveXObject(\"Microsoft.XMLHTTP\");"
         u"request.onreadystatechange=function(){"
         u"if(request.readyState==4&&request.status==200){"
         u"var target=document.getElementById(p_ObjectID);if(target){target.innerHTML=request.responseText;}"
         u"}"
         u"};" +
         sending +
         u"}"
         u"</script>";
}

}  // namespace

vb::String KesraAjaxGet() {
  return Loader(u"p_ObjectID,p_Url", u"request.open(\"GET\",p_Url,true);request.send(null);");
}

vb::String KesraAjaxPost() {
  return Loader(u"p_ObjectID,p_Url,p_PostStr",
                u"request.open(\"POST\",p_Url,true);"
                u"request.setRequestHeader(\"Cache-Control\",\"no-cache\");"
                u"request.setRequestHeader(\"Content-Type\",\"application/x-www-form-urlencoded;\");"
                u"request.send(p_PostStr);");
}

}  // namespace qe
