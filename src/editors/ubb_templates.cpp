#include "editors/ubb_templates.h"

#include "editors/ubb_plugin_addresses.h"

namespace qe::ubb {

vb::String DirectorTemplate() {
  return u"<object classid=clsid:166B1BCA-3F9C-11CF-8075-444553540000 codebase=" + Address(kDirectorCabinet) +
         u" width=$1 height=$2><param name=src value=$3><embed src=$3 pluginspage=" + Address(kShockwavePage) +
         u" width=$1 height=$2></embed></object>";
}

vb::String MediaPlayerTemplate() {
  return u"<object align=middle classid=CLSID:22d6f312-b0f6-11d0-94ab-0080c74c7e95 class=OBJECT id=MediaPlayer "
         u"width=$1 height=$2 ><param name=ShowStatusBar value=-1><param name=Filename value=$3><embed "
         u"type=application/x-oleobject codebase=" +
         Address(kMediaPlayerCabinet) + u" flename=mp src=$3  width=$1 height=$2></embed></object>";
}

vb::String RealPlayerTemplate() {
  return u"<OBJECT classid=clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA class=OBJECT id=RAOCX width=$1 height=$2>"
         u"<PARAM NAME=SRC VALUE=$3><PARAM NAME=CONSOLE VALUE=Clip1><PARAM NAME=CONTROLS VALUE=imagewindow>"
         u"<PARAM NAME=AUTOSTART VALUE=true></OBJECT><br><OBJECT "
         u"classid=CLSID:CFCDAA03-8BE4-11CF-B84B-0020AFBBCCFA height=32 id=video2 width=$1><PARAM NAME=SRC "
         u"VALUE=$3><PARAM NAME=AUTOSTART VALUE=-1><PARAM NAME=CONTROLS VALUE=controlpanel><PARAM NAME=CONSOLE "
         u"VALUE=Clip1></OBJECT>";
}

vb::String QuickTimeTemplate(const char16_t* loop) {
  return vb::String(u"<embed src=$3 width=$1 height=$2 autoplay=true ") + loop +
         u"=false controller=true playeveryframe=false cache=false scale=TOFIT bgcolor=#000000 kioskmode=false "
         u"targetcache=false pluginspage=" +
         Address(kQuickTimePage) + u">";
}

}  // namespace qe::ubb
