#include "office/net_drive_answers.h"

#include "office/net_drive.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace qe::netdrive {

void Write(vb::Variant& Response, vb::StringView text) { com::Call(Response, u"Write", vb::String(text)); }

void RefuseAndGoBack(vb::Variant& Response, vb::StringView message, vb::StringView open, vb::StringView close) {
  Write(Response, open);
  Write(Response, u"alert('" + ScriptString(message) + u"');");
  Write(Response, u"window.history.go(-1);");
  Write(Response, close);
  com::Call(Response, u"End");
}

void AlertAndReturn(vb::Variant& Response, vb::StringView message, vb::StringView folder, vb::StringView open) {
  Write(Response, open);
  Write(Response, u"alert('" + ScriptString(message) + u"');");
  Write(Response, u"window.location.href='netdrivers.asp?p_CurrentFolder=" + FolderInAddress(folder) + u"';");
  Write(Response, u"</script>");
}

vb::String QuotaAlert(int16_t quota) {
  return u"alert('你的网络硬盘空间已超过了额定的" + vb::CStr(vb::Variant(quota)) + u"M容量！');";
}

}  // namespace qe::netdrive
