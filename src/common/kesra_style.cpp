#include "common/kesra_style.h"

namespace qe {

vb::String KesraScriptSwapImage() {
  return u"<Script Language=\"JavaScript\">"
         u"function KesraSwapImgRestore()"
         u"{"
         u"var i,x,a=document.mm_sr; for(i=0;a&&i<a.length&&(x=a[i])&&x.oSrc;i++) x.src=x.oSrc;"
         u"}"
         u"function KesraPreloadImages()"
         u"{"
         u"var d=document; if(d.images){ if(!d.mm_p) d.mm_p=new Array();"
         u"var i,j=d.mm_p.length,a=KesraPreloadImages.arguments; for(i=0; i<a.length; i++)"
         u"if (a[i].indexOf(\"#\")!=0){ d.mm_p[j]=new Image; d.mm_p[j++].src=a[i];}}"
         u"}"
         u"function KesraFindObject(n, d)"
         u"{"
         u"var p,i,x;  if(!d) d=document; if((p=n.indexOf(\"?\"))>0&&parent.frames.length) {"
         u"d=parent.frames[n.substring(p+1)].document; n=n.substring(0,p);}"
         u"if(!(x=d[n])&&d.all) x=d.all[n]; for (i=0;!x&&i<d.forms.length;i++) x=d.forms[i][n];"
         u"for(i=0;!x&&d.layers&&i<d.layers.length;i++) x=KesraFindObject(n,d.layers[i].document);"
         u"if(!x && document.getElementById) x=document.getElementById(n); return x;"
         u"}"
         u"function KesraSwapImage()"
         u"{"
         u"var i,j=0,x,a=KesraSwapImage.arguments; document.mm_sr=new Array; for(i=0;i<(a.length-2);i+=3)"
         u"if ((x=KesraFindObject(a[i]))!=null){document.mm_sr[j++]=x; if(!x.oSrc) x.oSrc=x.src; x.src=a[i+2];}"
         u"}"
         u"</Script>";
}

vb::String KesraStylePopupClose() {
  return u"<style type=\"text/css\">"
         u"<!--"
         u".popup-close{float:right;padding:0px;cursor:pointer;height:25px;background-color:transparent!important;right:38px;margin-top:-14px;transition:all .3s;}"
         u".popup-close,.popup-close:after,.popup-close:before{display:inline-block;position:relative;top:12px;}"
         u".popup-close::after,.popup-close::before{position:absolute;content:'';transition:all .3s;}"
         u".popup-close::before{top:30px;left:-12px;width:35px;height:20px;border-right:1px solid #aeaeae;transform:translateY(-10px) rotateZ(-45deg);}"
         u".popup-close::after{top:-6px;left:-12px;width:35px;height:20px;border-right:1px solid #aeaeae;transform:translateY(2px) rotateZ(45deg);}"
         u".popup-close a{color:#bfbfbf;font-size:20px;font-weight:100;}"
         u".popup-close a:hover{color:#b9b9b9;}"
         u"-->"
         u"</style>";
}

vb::String KesraStyleDialog() {
  return u"<style type=\"text/css\">"
         u"<!--"
         u"dialog {border: none;border-radius: 20px;box-shadow: 0 8px 30px rgba(0,0,0,0.2);padding: 10px;position: fixed;background: white;will-change: transform;touch-action: none;overflow: hidden;user-select:none;}"
         u"dialog::backdrop {background: rgba(0,0,0,0.6);backdrop-filter: blur(5px);background:linear-gradient(45deg,black,transparent);}"
         u".dialog-header {background: linear-gradient(135deg, #667eea 0%, #764ba2 100%);color: white;font-weight: 600;cursor: grab;user-select: none;position: relative;}"
         u".dialog-title {padding: 16px 20px;background: linear-gradient(135deg, #667eea 0%, #764ba2 100%);color: white;font-weight: 600;cursor: grab;user-select: none;position: relative;}"
         u".dialog-body {height: calc(100% - 60px);position: relative;}"
         u".dialog-iframe-overlay {position: absolute;top: 0;left: 0;width: 100%;height: 100%;z-index: 10;display: none;}"
         u".close-btn {position: absolute;right: 20px;top: 50%;transform: translateY(-50%);background: transparent;border: none;color: white;font-size: 1.5rem;cursor: pointer;transition: transform 0.2s;}"
         u".close-btn:hover {transform: translateY(-50%) scale(1.2);}"
         u"-->"
         u"</style>";
}

}  // namespace qe
