#include "host/site_links.h"

#include "common/markup_encode.h"
#include "common/system_title.h"
#include "host/charts_page.h"
#include "host/data_manager_page.h"
#include "host/editor_demo_page.h"
#include "host/form_sample_page.h"
#include "host/menu_list_page.h"
#include "host/netdrive_pages.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {

std::span<const SiteLink> OpenPages() {
  static const SiteLink links[] = {
      {kFormSamplePage, u"表单示例"},
      {kMenuListPage, u"菜单列表"},
      {kChartsPage, u"统计图表"},
      {kEditorDemoPage, u"在线编辑器"},
  };
  return links;
}

std::span<const SiteLink> UserPages() {
  static const SiteLink links[] = {
      {kNetDriversPage, u"网络硬盘"},
  };
  return links;
}

std::span<const SiteLink> SuperManagerPages() {
  // The data manager's forms by number; form 6 is its bare window.
  static const SiteLink links[] = {
      {u"/datemanager/data_manager.asp?p_FormType=1", u"数据备份"},
      {u"/datemanager/data_manager.asp?p_FormType=2", u"数据恢复"},
      {u"/datemanager/data_manager.asp?p_FormType=3", u"数据清理"},
      {u"/datemanager/data_manager.asp?p_FormType=4", u"数据压缩"},
      {u"/datemanager/data_manager.asp?p_FormType=5", u"数据导入导出"},
      {u"/datemanager/data_manager.asp?p_FormType=6", u"数据管理"},
      {u"/datemanager/data_manager.asp?p_FormType=7", u"数据结构创建"},
      {u"/datemanager/data_manager.asp?p_FormType=8", u"数据初始化"},
      {u"/datemanager/data_manager.asp?p_FormType=9", u"数据维护"},
      {kOperatorAccountsPage, u"用户管理"},
  };
  return links;
}

vb::String LinkList(const char16_t* id, std::span<const SiteLink> links) {
  vb::String html = u"<ul class=\"site-links\" id=\"" + vb::String(id) + u"\">\n";
  for (const SiteLink& link : links)
    html += u"<li><a href=\"" + qe::HtmlEncodeText(link.address) + u"\">" + qe::HtmlEncodeText(link.text) + u"</a></li>\n";
  return html + u"</ul>\n";
}

vb::String PageOpening(const vb::String& title, bool heading) {
  const vb::String system = qe::SystemTitle();
  const vb::String full = title.empty() ? system : title + u" - " + system;
  return u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n<title>" + full +
         u"</title>\n<link rel=\"stylesheet\" href=\"/qe/qe.css\">\n</head>\n<body>\n" +
         (heading ? u"<h1>" + system + u"</h1>\n" : vb::String());
}

bool LoggedIn(Page& page) {
  vb::Variant info = com::ValueOf(com::Call(page.Session, u"", vb::String(u"UserInfo")));
  return !info.IsNull() && !info.IsEmpty() && !vb::CStr(info).empty();
}

}  // namespace host
