#include "host/start_menu.h"

#include "platform/com/object.h"

namespace host {

void WriteStartMenu(Page& page) {
  com::Call(page.Response, u"Write", vb::String(u"<p class=\"note\">菜单暂不可用：主数据库尚未接入本站。</p>\n"));
}

}  // namespace host
