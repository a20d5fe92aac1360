#include "host/editor_demo_page.h"

#include "common/kesra_html_encode.h"
#include "common/system_title.h"
#include "host/site_links.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {
namespace {

void Write(Page& page, const vb::String& text) { com::Call(page.Response, u"Write", text); }

vb::String FormValue(Page& page, const char16_t* name) {
  return vb::CStr(com::ValueOf(com::Call(page.Request, u"Form", vb::String(name))));
}

struct Field {
  const char16_t* name;
  const char16_t* title;
  const char16_t* height;
};
constexpr Field kFields[] = {{u"content", u"正文", u"260px"}, {u"summary", u"摘要", u"120px"}};

// One editor: its script, the hidden text area holding `value`, and the start
// of the editor on it with the site's upload page.
vb::String EditorField(const vb::String& script, const Field& field, const vb::String& value) {
  vb::String name = field.name;
  return u"<p class=\"title\">" + vb::String(field.title) + u"</p>\n" + script + u"\n<textarea name=\"" + name +
         u"\" id=\"" + name + u"\" style=\"display:none\">" + qe::KesraEncodeString(value) + u"</textarea>\n" +
         u"<script>qe.editor('" + name + u"',function(){this.height = '" + field.height +
         u"';this.uploadUrl = '../comm_qeeditor/upload.asp';this.create();});</script>\n";
}

}  // namespace

void EditorDemoPage(Page& page) {
  com::Let(page.Response, u"Charset", vb::String(u"gb2312"));
  vb::Variant qe = com::Call(page.Server, u"CreateObject", vb::String(u"QE.QeCls"));
  com::Call(qe, u"CommCheckInject", page.Request, page.Response);
  if (page.Ended()) return;
  bool posted =
      vb::CStr(com::ValueOf(com::Call(page.Request, u"ServerVariables", vb::String(u"REQUEST_METHOD")))) == u"POST";
  if (posted) {
    com::Call(qe, u"CommCheckPost", page.Request, page.Response);
    if (page.Ended()) return;
  }
  bool readable = vb::CStr(com::ValueOf(com::Call(page.Request, u"QueryString", vb::String(u"readable")))) == u"1";
  vb::String script = vb::CStr(com::ValueOf(com::Call(qe, readable ? u"CommQeEditorJs" : u"CommQeEditorAllJs")));
  vb::String action = readable ? u"demo.asp?readable=1" : u"demo.asp";

  Write(page, u"<!DOCTYPE html>\n<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
              u"<title>编辑器演示 - " + qe::SystemTitle() + u"</title>\n"
              u"<style>body{font-family:sans-serif;margin:20px;background:#f4f6f9}"
              u".title{margin:14px 0 6px;font-weight:bold}pre{white-space:pre-wrap;background:#fff;border:1px solid #ccc;"
              u"padding:8px}.switch{float:right}</style>\n</head>\n<body>\n"
              u"<a class=\"switch\" href=\"" + vb::String(readable ? u"demo.asp" : u"demo.asp?readable=1") + u"\">" +
              vb::String(readable ? u"改用单行脚本" : u"改用可读脚本") + u"</a>\n<h1>编辑器演示</h1>\n"
              u"<form id=\"myform\" name=\"myform\" method=\"post\" action=\"" + action + u"\">\n");
  for (const Field& field : kFields) Write(page, EditorField(script, field, posted ? FormValue(page, field.name) : u""));
  Write(page, u"<p><input type=\"submit\" id=\"save\" value=\"提交\"></p>\n</form>\n");
  if (posted) {
    Write(page, u"<h2>收到的内容</h2>\n");
    for (const Field& field : kFields)
      Write(page, u"<p class=\"title\">" + vb::String(field.title) + u"</p>\n<pre id=\"arrived-" + field.name + u"\">" +
                      qe::KesraEncodeString(FormValue(page, field.name)) + u"</pre>\n");
  }
  Write(page, kPageClosing);
}

}  // namespace host
