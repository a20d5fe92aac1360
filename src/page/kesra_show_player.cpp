#include "page/kesra_show_player.h"

#include <initializer_list>
#include <utility>

#include "common/kesra_file_paths.h"
#include "common/page_address.h"
#include "common/system_title.h"
#include "page/kesra_script_guard.h"
#include "platform/com/object.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

using vb::String;
using Params = std::initializer_list<std::pair<const char16_t*, const char16_t*>>;

constexpr char16_t kCrLf[] = u"\r\n";
constexpr char16_t kRealPlayerClass[] = u"clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA";
constexpr char16_t kFlashPluginPage[] = u"http://www.adobe.com/go/getflashplayer";
constexpr char16_t kFlashCabinet[] = u"http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=";
constexpr char16_t kStrobePlayer[] = u"/comm/function/playmovie/swfs/StrobeMediaPlayback.swf";

// The credit after the player names in the titles.
String Credits() { return u"【" + OrganisationName() + u"】"; }

// A script block: each piece on a line of its own.
String Script(const char16_t* open, std::initializer_list<const char16_t*> lines) {
  String out = String(open) + kCrLf;
  for (const char16_t* line : lines) out += String(line) + kCrLf;
  return out + u"</script>";
}

String Param(const String& name, const String& value) {
  return u"<param name='" + name + u"' value='" + value + u"'>";
}

String ParamList(Params params) {
  String out;
  for (const auto& [name, value] : params) out += Param(name, value);
  return out;
}

String Image(const String& folder, const String& name, int width, int height) {
  return u"<img src='../comm/image/" + folder + u"/" + name + u".asp' width=" + vb::CStr(vb::Variant(width)) +
         u" height=" + vb::CStr(vb::Variant(height)) + u" border=0>";
}

// ---- video page ----

String KeyGuardScript() {
  return Script(u"<script language='javascript'>",
                {u"function noctrln(e){",
                 u"e=e||window.event;",
                 u"var cancel=function(){e.returnValue=false;if(e.preventDefault){e.preventDefault();}return false;};",
                 u"if((e.ctrlKey&&e.keyCode==78)||e.keyCode==8||e.keyCode==114){return cancel();}",
                 u"if(e.altKey&&e.keyCode==115){",
                 u"if(window.showModelessDialog){window.showModelessDialog('about:blank','','dialogWidth:0px;dialogheight:0px');}",
                 u"return cancel();",
                 u"}",
                 u"}",
                 u"function cancelLink(e){",
                 u"e=e||window.event;",
                 u"var t=e.target||e.srcElement;",
                 u"if(e.shiftKey&&t&&(t.tagName=='A'||t.tagName=='IMG')){e.returnValue=false;if(e.preventDefault){e.preventDefault();}return false;}",
                 u"}",
                 u"document.onkeydown=noctrln;",
                 u"document.onclick=cancelLink;"});
}

String FullScreenScript() {
  // The players are plug-ins a current browser may not have: a missing one does nothing.
  return Script(u"<script language=Javascript>",
                {u"function SetFullScreen(){",
                 u"try{eval('document.all.player.SetFullScreen()');}catch(e){}",
                 u"}",
                 u"function ShowFull(){",
                 u"var player=document.getElementById('MediaPlayer1');",
                 u"if(player){player.DisplaySize='3';}",
                 u"}"});
}

String MovieStyle() {
  return u"<style>"
         u"body{MARGIN-TOP: 0px; MARGIN-LEFT: 0px}"
         u"td{font-size:9pt;line-height:13pt}"
         u"a:link,a:visited{color:#FFFF00;text-decoration:none}"
         u"a:hover{color:#FF0000}"
         u".m_01{font-size:1px}"
         u".m_12{font-size:12px;font-family:Arial}"
         u".m_12r{font-size:12px;color:#FFFFFF;font-family:Arial;letter-spacing:6px}"
         u"</style>";
}

String RealPlayerObject(const String& id, int width, int height, const String& controls, int extent_x, int extent_y,
                        const String& controls_name, const String* url) {
  String out = u"<object ID='" + id + u"' name='" + id + u"' CLASSID='" + kRealPlayerClass + u"' HEIGHT='" +
               vb::CStr(vb::Variant(height)) + u"' WIDTH='" + vb::CStr(vb::Variant(width)) + u"'>";
  out += Param(u"_ExtentX", vb::CStr(vb::Variant(extent_x))) + Param(u"_ExtentY", vb::CStr(vb::Variant(extent_y)));
  out += Param(u"AUTOSTART", u"-1") + Param(u"SHUFFLE", u"0") + Param(u"PREFETCH", u"0") + Param(u"NOLABELS", u"-1");
  if (url) out += Param(u"src", *url);
  out += Param(controls_name, controls);
  out += ParamList({{u"CONSOLE", u"Clip1"},
                    {u"LOOP", u"0"},
                    {u"NUMLOOP", u"0"},
                    {u"CENTER", u"0"},
                    {u"MAINTAINASPECT", u"0"},
                    {u"BACKGROUNDCOLOR", u"#000000"}});
  return out + u"</object>";
}

String RealPlayer(const String& url) {
  return RealPlayerObject(u"player", 464, 320, u"ImageWindow", 12118, 8573, u"CONTROLS", &url) +
         RealPlayerObject(u"video1", 443, 30, u"ControlPanel", 12171, 1588, u"CONtrOLS", nullptr) +
         RealPlayerObject(u"video1", 464, 30, u"statusbar", 11906, 1588, u"CONtrOLS", nullptr) +
         u"<div id=display style='Z-INDEX:11; LEFT: 460px; WIDTH: 22px; POSITION: absolute; TOP: 399px; HEIGHT: 32px'>"
         u"<a href='javascript:SetFullScreen()' title='全屏'>" +
         Image(u"play_movie", u"full-rm", 22, 32) + u"</a></div>" +
         Script(u"<script language=javascript>",
                {u"try{player.SetEnableContextMenu(false);}catch(e){}", u"try{player.SetWantErrors(true);}catch(e){}"});
}

String MediaPlayer(const String& url) {
  return u"<object classid='clsid:22D6F312-B0F6-11D0-94AB-0080C74C7E95' id='MediaPlayer1' width='464' height='380'>" +
         Param(u"filename", url) +
         ParamList({{u"AudioStream", u"-1"},
                    {u"AutoSize", u"0"},
                    {u"AutoStart", u"-1"},
                    {u"AnimationAtStart", u"-1"},
                    {u"AllowScan", u"-1"},
                    {u"AllowChangeDisplaySize", u"-1"},
                    {u"AutoRewind", u"0"},
                    {u"Balance", u"0"},
                    {u"BaseURL", u""},
                    {u"BufferingTime", u"5"},
                    {u"CaptioningID", u""},
                    {u"ClickToPlay", u"-1"},
                    {u"CursorType", u"0"},
                    {u"CurrentPosition", u"-1"},
                    {u"CurrentMarker", u"0"},
                    {u"DefaultFrame", u""},
                    {u"DisplayBackColor", u"0"},
                    {u"DisplayForeColor", u"16777215"},
                    {u"DisplayMode", u"0"},
                    {u"DisplaySize", u"2"},
                    {u"Enabled", u"-1"},
                    {u"EnableContextMenu", u"0"},
                    {u"EnablePositionControls", u"-1"},
                    {u"EnableFullScreenControls", u"0"},
                    {u"Enabletracker", u"-1"},
                    {u"InvokeURLs", u"-1"},
                    {u"Language", u"-1"},
                    {u"Mute", u"0"},
                    {u"PlayCount", u"1"},
                    {u"PreviewMode", u"0"},
                    {u"Rate", u"1"},
                    {u"SAMILang", u""},
                    {u"SAMIStyle", u""},
                    {u"SAMIFileName", u""},
                    {u"SelectionStart", u"-1"},
                    {u"SelectionEnd", u"-1"},
                    {u"SendOpenStateChangeEvents", u"-1"},
                    {u"SendWarningEvents", u"-1"},
                    {u"SendErrorEvents", u"-1"},
                    {u"SendKeyboardEvents", u"0"},
                    {u"SendMouseClickEvents", u"0"},
                    {u"SendMouseMoveEvents", u"0"},
                    {u"SendPlayStateChangeEvents", u"-1"},
                    {u"ShowCaptioning", u"0"},
                    {u"ShowControls", u"-1"},
                    {u"ShowAudioControls", u"-1"},
                    {u"ShowDisplay", u"0"},
                    {u"ShowGotoBar", u"0"},
                    {u"ShowPositionControls", u"-1"},
                    {u"ShowStatusBar", u"-1"},
                    {u"Showtracker", u"-1"},
                    {u"transparentAtStart", u"0"},
                    {u"VideoBorderWidth", u"0"},
                    {u"VideoBorderColor", u"0"},
                    {u"VideoBorder3D", u"0"},
                    {u"Volume", u"-40"},
                    {u"WindowlessVideo", u"0"}}) +
         u"</object>"
         u"<div id=display style='Z-INDEX: 13; LEFT: 350px; WIDTH: 22px; POSITION: absolute; TOP: 413px; HEIGHT: 21px'>"
         u"<a href='javascript:ShowFull()' title='全屏'>" +
         Image(u"play_movie", u"full-1", 22, 21) + u"</a></div>";
}

String FlashVideoPlayer(const String& url) {
  const String flashvars = u"&src=" + url + u"&autoHideControlBar=true&streamType=vod&autoPlay=true&verbose=true";
  return u"<object width='464' height='320' id='StrobeMediaPlayback' name='StrobeMediaPlayback' "
         u"type='application/x-shockwave-flash' classid='clsid:d27cdb6e-ae6d-11cf-96b8-444553540000'>" +
         Param(u"movie", kStrobePlayer) + Param(u"quality", u"high") + Param(u"bgcolor", u"#000000") +
         Param(u"allowfullscreen", u"true") + Param(u"flashvars", flashvars) + u"<embed src='" + kStrobePlayer +
         u"' width='640' height='377' id='StrobeMediaPlayback' name='StrobeMediaPlayback' quality='high' "
         u"bgcolor='#000000' allowfullscreen='true' flashvars='" +
         flashvars + u"' type='application/x-shockwave-flash' pluginspage='" + kFlashPluginPage +
         u"'></embed></object>";
}

String ProtocolOf(const String& url, const String& run_system) {
  if (!run_system.empty()) return vb::LCase(run_system);
  size_t scheme = url.find(u"://");
  if (scheme != String::npos) return vb::LCase(url.substr(0, scheme));
  const String framed = u"|" + KesraFileGetExt(url, 0) + u"|";
  if (String(u"|rm|avi|rmvb|mp3|ram|mpg|mpeg|").find(framed) != String::npos) return u"rtsp";
  if (String(u"|wmv|asf|wma|").find(framed) != String::npos) return u"mms";
  if (String(u"|mp4|flv|").find(framed) != String::npos) return u"rtmp";
  return u"";
}

// ---- Flash page ----

String TooltipScript() {
  return u"<style>.cPopText{background-color:#f7f7f7;color:#333333;border:1px solid #188EAC;font-size:12px;"
         u"padding-left:4px;padding-right:4px;padding-top:2px;padding-bottom:2px;height:20px;opacity:0}</style>"
         u"<div id='dypopLayer' style='position:absolute;z-index:1000;visibility:hidden' class='cPopText'></div>" +
         Script(u"<script language='javascript'>",
                {u"var popStyle='cPopText';",
                 u"var tPopWait=50;",
                 u"var tPopShow=6000;",
                 u"var showPopStep=20;",
                 u"var popOpacity=95;",
                 u"var popTarget=null,popText='',popX=0,popY=0,popLevel=0,tPopWaiting=null,tPopFade=null,tPopHide=null;",
                 u"function popStop(){clearTimeout(tPopWaiting);clearTimeout(tPopHide);clearInterval(tPopFade);}",
                 u"function popHide(){",
                 u"popStop();var layer=document.getElementById('dypopLayer');",
                 u"if(layer){layer.style.visibility='hidden';layer.style.opacity=0;}",
                 u"if(popTarget&&popTarget.getAttribute('data-dypop')!==null){popTarget.setAttribute('title',popTarget.getAttribute('data-dypop'));popTarget.removeAttribute('data-dypop');}",
                 u"popTarget=null;",
                 u"}",
                 u"function popFade(step,limit,done){",
                 u"var layer=document.getElementById('dypopLayer');",
                 u"clearInterval(tPopFade);",
                 u"tPopFade=setInterval(function(){",
                 u"popLevel=Math.max(0,Math.min(popOpacity,popLevel+step));layer.style.opacity=popLevel/100;",
                 u"if((step>0&&popLevel>=limit)||(step<0&&popLevel<=limit)){clearInterval(tPopFade);if(done){done();}}",
                 u"},1);",
                 u"}",
                 u"function popShow(){",
                 u"var layer=document.getElementById('dypopLayer');",
                 u"if(!layer||!popTarget){return;}",
                 u"layer.className=popTarget.getAttribute('dyclass')||popStyle;",
                 u"layer.textContent=popText;",
                 u"if(popTarget.getAttribute('title')){popTarget.setAttribute('data-dypop',popTarget.getAttribute('title'));popTarget.setAttribute('title','');}",
                 u"var scrollX=window.pageXOffset||document.documentElement.scrollLeft,scrollY=window.pageYOffset||document.documentElement.scrollTop;",
                 u"var x=popX+12,y=popY+12;",
                 u"layer.style.visibility='visible';",
                 u"if(x+layer.offsetWidth>scrollX+document.documentElement.clientWidth){x=x-layer.offsetWidth-24;}",
                 u"if(y+layer.offsetHeight>scrollY+document.documentElement.clientHeight){y=y-layer.offsetHeight-24;}",
                 u"layer.style.left=x+'px';layer.style.top=y+'px';",
                 u"popLevel=0;",
                 u"popFade(showPopStep,popOpacity,function(){tPopHide=setTimeout(function(){popFade(-1,0,popHide);},tPopShow);});",
                 u"}",
                 u"function showPopupText(e){",
                 u"e=e||window.event;",
                 u"var o=e.target||e.srcElement;",
                 u"while(o&&o.getAttribute&&!o.getAttribute('alt')&&!o.getAttribute('title')){o=o.parentNode;}",
                 u"if(!o||!o.getAttribute){return;}",
                 u"if(o===popTarget){return;}",
                 u"popHide();",
                 u"popTarget=o;popText=o.getAttribute('title')||o.getAttribute('alt');",
                 u"var scrollX=window.pageXOffset||document.documentElement.scrollLeft,scrollY=window.pageYOffset||document.documentElement.scrollTop;",
                 u"popX=e.clientX+scrollX;popY=e.clientY+scrollY;",
                 u"tPopWaiting=setTimeout(popShow,tPopWait);",
                 u"}",
                 u"function hidePopupText(e){",
                 u"e=e||window.event;",
                 u"var to=e.relatedTarget||e.toElement;",
                 u"if(popTarget&&to&&popTarget.contains&&popTarget.contains(to)){return;}",
                 u"popHide();",
                 u"}",
                 u"document.onmouseover=showPopupText;",
                 u"document.onmouseout=hidePopupText;"});
}

String ControlScript() {
  // A movie that is not loaded yet, or a browser without the plug-in, has no
  // frames to report: the timer waits for them.
  return Script(
      u"<script language='javascript'>",
      {u"var LR=189;",
       u"var barLength=271;",
       u"var tPosition=null,tQuick=null,dragging=false,dragX=0,dragLeft=0,paused=false;",
       u"function movieCall(name,arg){var m=document.getElementById('movie');if(!m){return undefined;}var f=m[name];",
       u"if(typeof f=='function'){try{return arguments.length>1?f.call(m,arg):f.call(m);}catch(e){return undefined;}}",
       u"return f;}",
       u"function totalFrames(){var n=Number(movieCall('TotalFrames'));return isNaN(n)?0:n;}",
       u"function currentFrame(){var n=Number(movieCall('CurrentFrame'));return isNaN(n)?0:n;}",
       u"function tableLeft(){var tb=document.getElementById('tb');var r=tb.getBoundingClientRect();return r.left+(window.pageXOffset||0);}",
       u"function placeBar(left){var bar=document.getElementById('bar');bar.style.left=left+'px';}",
       u"function showPosition(){",
       u"var total=totalFrames();",
       u"if(total>0&&!dragging){placeBar(tableLeft()+LR+Math.floor(barLength*currentFrame()/total));}",
       u"}",
       u"function startPosition(){if(tPosition===null){tPosition=setInterval(showPosition,100);}}",
       u"function stopPosition(){clearInterval(tPosition);tPosition=null;}",
       u"function stopQuick(){clearInterval(tQuick);tQuick=null;}",
       u"function flash8(cmd){",
       u"stopQuick();",
       u"startPosition();",
       u"if(cmd=='Rewind'||cmd=='Play'||cmd=='StopPlay'){movieCall(cmd);}",
       u"}",
       u"function oQuick(direction){",
       u"stopPosition();",
       u"var total=totalFrames(),frame=currentFrame();",
       u"if(tQuick!==null||!(frame>0&&frame<total)){stopQuick();return;}",
       u"tQuick=setInterval(function(){",
       u"var total=totalFrames(),frame=currentFrame();",
       u"if(!(frame>0&&frame<total)){stopQuick();return;}",
       u"movieCall('GotoFrame',Math.max(0,Math.min(total-1,frame+direction*Math.round(total/20))));",
       u"},1000);",
       u"}",
       u"function pauseToggle(){paused=!paused;movieCall(paused?'StopPlay':'Play');}",
       u"function barDown(e){e=e||window.event;if(e.button!==0&&e.button!==1){return;}dragging=true;dragX=e.clientX;",
       u"dragLeft=document.getElementById('bar').offsetLeft;if(e.preventDefault){e.preventDefault();}}",
       u"function barMove(e){",
       u"if(!dragging){return;}e=e||window.event;var base=tableLeft()+LR;",
       u"placeBar(Math.max(base,Math.min(base+barLength,dragLeft+e.clientX-dragX)));",
       u"}",
       u"function barUp(){",
       u"if(!dragging){return;}dragging=false;",
       u"var total=totalFrames();",
       u"var left=document.getElementById('bar').offsetLeft;",
       u"movieCall('GotoFrame',Math.floor(total*(left-tableLeft()-LR)/barLength));movieCall('Play');",
       u"startPosition();",
       u"}",
       u"function jump(e){",
       u"e=e||window.event;",
       u"var scroll=window.pageXOffset||document.documentElement.scrollLeft;",
       u"var base=tableLeft()+LR,bar=document.getElementById('bar').offsetLeft,x=e.clientX+scroll,left=bar;",
       u"if(x<bar){left=x-base<15?x:x-15;}",
       u"else if(x>bar+29){left=x>base+barLength?x-29:x-14;}",
       u"else{return;}",
       u"placeBar(left);",
       u"barDown(e);",
       u"}",
       u"document.onmousemove=barMove;",
       u"document.onmouseup=barUp;",
       u"window.onload=function(){if(!document.getElementById('tb')){return;}placeBar(tableLeft()+LR);startPosition();};"});
}

String FlashStyle() {
  return u"<style>"
         u"a:link,a:visited{color:#000000;text-decoration:none}"
         u"a:hover{color:#ff0000}"
         u".Content_border{background:#E7FFFF;border:1px solid #63CFDE}"
         u".Content_border_re{background:#63CFDE;border:1px solid #E7FFFF}"
         u"</style>";
}

String FlashButton(int number, const String& action, const String& title) {
  const String n = vb::CStr(vb::Variant(number));
  const String down = u"../comm/image/play_flash/d" + n + u".asp", hover = u"../comm/image/play_flash/h" + n + u".asp";
  String out = u"<td width=29 height=29>";
  String image = u"<img src='" + down + u"' width=29 height=29 border=0 title='" + title + u"' onmouseover=\"this.src='" +
                 hover + u"'\" onmouseout=\"this.src='" + down + u"'\">";
  if (action.empty()) return out + image + u"</td>";
  return out + u"<a href='javascript:" + action + u"'>" + image + u"</a></td>";
}

String FlashControlBody(const String& url) {
  return u"<body background='../comm/image/play_flash/bg_test.asp'>"
         u"<table width=678 border=0 align=center cellpadding=0 cellspacing=0 bgcolor=#FFFFFF>"
         u"<tr><td height=1 background='../comm/image/play_flash/dot_line_bg.asp'>"
         u"<span id=submenu_88 style='display:none'></span></td></tr>"
         u"<tr><td align=center>"
         u"<object id='movie' classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000' codebase='" +
         String(kFlashCabinet) + u"5,0,0,0' width=550 height=400>" + Param(u"movie", url) +
         Param(u"quality", u"high") + Param(u"menu", u"false") + Param(u"wmode", u"transparent") + u"<embed src='" +
         url + u"' quality='high' menu='false' wmode='transparent' type='application/x-shockwave-flash' width=550 "
               u"height=400 pluginspage='" +
         kFlashPluginPage +
         u"'></embed></object></td></tr></table>"
         u"<table id='tb' width=678 height=40 border=0 align=center cellpadding=0 cellspacing=0 "
         u"oncontextmenu='return false' onselectstart='return false' style='user-select:none'>"
         u"<tr><td width=189></td>"
         u"<td width=300 height=10 background='../comm/image/play_flash/bg.asp' onmousedown='jump(event)'>"
         u"<img id='bar' src='../comm/image/play_flash/posbar.asp' width=29 height=10 border=0 "
         u"style='position:absolute' onmousedown='barDown(event)'></td>"
         u"<td width=189></td></tr>"
         u"<tr><td colspan=3 align=center><table id='FP' border=0 cellpadding=0 cellspacing=0><tr>" +
         FlashButton(2, u"flash8('Rewind')", u"重播") + FlashButton(1, u"oQuick(-1)", u"快退") +
         FlashButton(3, u"flash8('Play')", u"播放") + FlashButton(6, u"oQuick(1)", u"快进") +
         FlashButton(4, u"pauseToggle()", u"暂停") + FlashButton(5, u"flash8('StopPlay')", u"停止") +
         FlashButton(7, u"",
                     u"Flash播放器注意事项：1、部分flash动画采用单帧MC,本播放器不能控制播放。2、对于非流式音乐制作的"
                     u"flash,快进等操作会影响观看。3、请等影片下载完控制效果最佳.") +
         u"</tr></table></td></tr></table></body>";
}

String FlashFullBody(const String& url) {
  return u"<body leftMargin=0 topMargin=0>"
         u"<table width='100%' height='100%' border=0 cellpadding=0 cellspacing=0><tr><td>"
         u"<object classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000' codebase='" +
         String(kFlashCabinet) + u"6,0,0,0' width='100%' height='100%'>" + Param(u"quality", u"high") +
         Param(u"wmode", u"transparent") + Param(u"src", url) + u"<embed src='" + url +
         u"' quality='high' wmode='transparent' type='application/x-shockwave-flash' align='absmiddle' "
         u"width='100%' height='100%' pluginspage='" +
         kFlashPluginPage + u"'></embed></object></td></tr></table></body>";
}

String SwitchBox(const String& url, const String& title, bool control) {
  const String link = control ? u"<a href='?FileType=Flash&PlayType=FullScreen&Url=" + url + u"&Title=" + title +
                                    u"'><font size=1pt>切换到全屏幕模式</font></a>"
                              : u"<a href='?FileType=Flash&PlayType=Control&Url=" + url + u"&Title=" + title +
                                    u"'><font size=1pt>切换到可控制模式</font></a>";
  return u"<div style='position: absolute; width: 146px; height: 20px; z-index: 1; left: 0px; top: 0px' "
         u"id='layer2'><table class='Content_border' width='100%' border=0 cellpadding=0 cellspacing=0><tr>"
         u"<td align=center>" +
         link + u"</td></tr></table></div>";
}

}  // namespace

void KesraShowPlayList(vb::Variant& Response, vb::String p_RunSystem, vb::String p_UrlList) {
  std::vector<String> addresses = vb::SplitParts(p_UrlList, u"|");
  if (p_RunSystem.empty()) {
    if (addresses.empty()) vb::Raise(vb::kSubscriptOutOfRange);
    const String& first = addresses.front();
    p_RunSystem = vb::LCase(vb::Trim(first.substr(0, first.find(u':'))));
  }
  const String protocol = vb::LCase(p_RunSystem);
  std::vector<String> lines;
  String file_name;
  if (protocol == u"mms") {
    file_name = u"playlist.asx";
    lines.push_back(u"<asx version=\"3.0\">");
    for (const String& address : addresses) {
      lines.push_back(u"<entry>");
      lines.push_back(u"<ref href=\"" + address + u"\"/>");
      lines.push_back(u"</entry>");
    }
    lines.push_back(u"</asx>");
  } else if (protocol == u"rtsp") {
    file_name = u"playlist.smil";
    lines = {u"<smil><head>", u"</head>", u"<body>", u"<seq>"};
    for (const String& address : addresses) lines.push_back(u"<audio src=\"" + address + u"\"/>");
    lines.insert(lines.end(), {u"</seq>", u"</body>", u"</smil>"});
  } else {
    return;
  }
  // Both lists go as SMIL: the players that read them rely on it.
  com::Let(Response, u"ContentType", String(u"application/smil"));
  com::Call(Response, u"AddHeader", String(u"Content-Disposition"), u"inline; filename=" + file_name);
  for (size_t i = 0; i < lines.size(); ++i)
    com::Call(Response, u"Write", i + 1 < lines.size() ? lines[i] + kCrLf : lines[i]);
}

String KesraShowPlayMovie(String p_Url, String p_Title, String p_RunSystem) {
  String player;
  const String protocol = ProtocolOf(p_Url, p_RunSystem);
  const String source = PlayerAddressInAttribute(p_Url, AttributeQuote::kSingle);
  if (protocol == u"rtsp") player = RealPlayer(source);
  else if (protocol == u"mms") player = MediaPlayer(source);
  else if (protocol == u"rtmp") player = FlashVideoPlayer(source);
  return KeyGuardScript() + FullScreenScript() + MovieStyle() + u"<title>网络视频播放器" + Credits() + u"</title>" +
         u"<table width='100%' height='100%' border=0 cellpadding=0 cellspacing=0><tr><td align=center valign=middle>"
         u"<table width=500 height=500 border=0 cellpadding=0 cellspacing=0 class=m_01>"
         u"<tr><td height=70 background='../comm/image/play_movie/playpage_1.asp' valign=bottom>"
         u"<table width='93%' border=0 align=center cellpadding=0 cellspacing=0 class=m_12><tr><td height=38>"
         u"<table width='100%' border=0 cellpadding=0 cellspacing=0>"
         u"<tr><td height=24>网络视频播放器" +
         Credits() + u"</td></tr><tr><td height=24>您现在正在观看的是：<font color=red>" + p_Title +
         u"</font></td></tr></table></td></tr></table></td></tr>"
         u"<tr><td>" +
         Image(u"play_movie", u"playpage_2", 500, 10) +
         u"</td></tr>"
         u"<tr><td height=382 background='../comm/image/play_movie/playpage_3.asp' align=center valign=middle>"
         u"<table width=464 border=0 cellpadding=0 cellspacing=0><tr><td bgcolor=#FFFFFF>" +
         player + u"</td></tr></table></td></tr><tr><td>" + Image(u"play_movie", u"playpage_4", 500, 38) +
         u"</td></tr></table></td></tr></table>";
}

String KesraShowPlayMusic(String p_Url, String p_MusicInfo) {
  return u"<title>音乐播放器" + Credits() + u"</title>" +
         u"<body background='../comm/image/bg1.asp' "
         u"onkeydown=\"if(event.ctrlKey&&event.keyCode==78){event.returnValue=false;return false;}\">"
         u"<table border='0' cellspacing='0' cellpadding='0'>"
         u"<tr><td colspan=3>" +
         Image(u"play_music", u"pad_top", 306, 20) + u"</td></tr><tr><td rowspan=2>" +
         Image(u"play_music", u"pad_left", 12, 86) +
         u"</td><td align=center style='font-size:9pt;color=#33FF00' background='../comm/image/play_music/top1.asp' "
         u"height='22'><marquee id=scrollArea direction=left scrollDelay=200 scrollAmount=2>" +
         p_MusicInfo + u"</marquee></td><td rowspan=2>" + Image(u"play_music", u"pad_right", 19, 86) +
         u"</td></tr><tr><td>"
         u"<object id='player' name='player' classid='" +
         kRealPlayerClass + u"' width='275' height='60' VIEWASTEXT>" +
         ParamList({{u"_ExtentX", u"13229"}, {u"_ExtentY", u"794"}, {u"AUTOSTART", u"-1"}, {u"SHUFFLE", u"0"}}) +
         Param(u"src", PlayerAddressInAttribute(p_Url, AttributeQuote::kSingle)) +
         ParamList({{u"PREFETCH", u"0"},
                    {u"NOLABELS", u"0"},
                    {u"CONtrOLS", u"controlPanel,StatusBar"},
                    {u"CONSOLE", u"zool"},
                    {u"Loop", u"1"},
                    {u"NUMLoop", u"0"},
                    {u"CENTER", u"0"},
                    {u"MAINTAINASPECT", u"0"},
                    {u"BACKGROUNDCOLOR", u"#000000"}}) +
         u"</object></td></tr><tr><td colspan=3><table border=0 cellspacing=0 cellpadding=0><tr><td>" +
         Image(u"play_music", u"pad_bottom1", 258, 36) + u"</td><td><a href='javascript:self.close()'>" +
         Image(u"play_music", u"pad_exit", 29, 36) + u"</a></td><td>" + Image(u"play_music", u"pad_bottom2", 19, 36) +
         u"</td></tr></table></td></tr></table></body>";
}

String KesraShowPlayFlash(String p_Url, String p_Title, String p_PlayType) {
  const bool control = vb::LCase(p_PlayType) == u"control";
  const String movie = PageAddressInAttribute(p_Url, AttributeQuote::kSingle);
  return TooltipScript() + ControlScript() + FlashStyle() + u"<title>网络Flash播放器" + Credits() +
         u"&nbsp;&nbsp;【flash标题：" + p_Title + u"】</title>" +
         (control ? FlashControlBody(movie) : FlashFullBody(movie)) + SwitchBox(movie, p_Title, control);
}

String KesraShowPlayImage(String p_Url, String p_Title) {
  return KesraScriptImage() +
         u"<style>td{ font-family: \"宋体\"; font-size: 9pt}"
         u"Table{background:#E7FFFF;BORDER-BOTTOM: #63CFDE 1px solid; BORDER-LEFT: #63CFDE 1px solid; "
         u"BORDER-RIGHT: #63CFDE 1px solid; BORDER-TOP: #63CFDE 1px solid}</style>"
         u"<title>网络图像浏览器" +
         Credits() + u"&nbsp;&nbsp;【图像标题：" + p_Title + u"】</title>" +
         u"<body leftmargin=0  topmargin=0>"
         u"<table width='100%' height='100%' border=0 cellpadding=0 cellspacing=0><tr><td align=center valign=middle>"
         u"<table width='100%' border=0 cellpadding=0 cellspacing=0><tr><td align=center>"
         u"<img src='" +
         PageAddressInAttribute(p_Url, AttributeQuote::kSingle) +
         u"' border=0 onmousewheel='return cgimg(this);'"
         // The page that writes the viewer may define DrawImage; the fitting of the image script serves otherwise.
         u" onload=\"if(typeof DrawImage=='function'){DrawImage(this);}else{DownImage(this);}\""
         u" title='按此在新窗口浏览图片' onmouseover=\"this.style.cursor='pointer'\""
         u" onclick=\"window.open(this.src)\"><br><br></td></tr></table></td></tr></table></body>";
}

}  // namespace qe
