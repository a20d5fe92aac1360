#include "common/markup_encode.h"
#include "common/rich_text_cleaner.h"
#include "host/comm_pages.h"
#include "host/site_links.h"
#include "host/page_steps.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

constexpr int32_t kOpenForwardOnly = 0, kLockReadOnly = 1;
constexpr char16_t kNothing[] = u"<p id=\"empty\">没有可预览的内容。</p>\n";

String Text(const Variant& value) {
  Variant v = com::ValueOf(value);
  return v.IsNull() || v.IsEmpty() ? String() : vb::CStr(v);
}

String Query(Page& page, const char16_t* name) { return Text(com::Call(page.Request, u"QueryString", String(name))); }

// The article in a frame that runs none of its scripts and has no origin of
// its own: what an editor holds is markup its author typed or pasted. Its
// links (the editor's open in a new window) may open one, which is not
// sandboxed, so that the linked page works.
constexpr char16_t kFrameAttributes[] =
    u"id=\"article\" sandbox=\"allow-popups allow-popups-to-escape-sandbox\" title=\"文章内容\" "
    u"style=\"width:100%;height:480px;border:0\"";

String ArticleFrame(const String& srcdoc) {
  return u"<iframe " + String(kFrameAttributes) + u" srcdoc=\"" + qe::HtmlEncodeText(srcdoc) + u"\"></iframe>\n";
}

// The editor's content is in the page that opened the dialog: the dialog's
// frame reads it from there, and makes the article's frame with it, so that
// the frame loads once.
String EditorPreview() {
  return u"<h2 id=\"title\"></h2>\n" + String(kNothing) +
         u"<template id=\"frame\"><iframe " + kFrameAttributes + u"></iframe></template>\n"
         u"<script>(function(){var form=null;try{form=parent.document.forms.myform||parent.document.forms[0];}"
         u"catch(e){}var content=form&&form.elements&&form.elements.Content,"
         u"title=form&&form.elements&&(form.elements.Title||form.elements.title);"
         u"document.getElementById('title').textContent=title&&title.value?title.value:'';"
         u"if(!content||!content.value)return;document.getElementById('empty').style.display='none';"
         u"var frame=document.getElementById('frame').content.firstElementChild.cloneNode();"
         u"frame.srcdoc=content.value;document.body.appendChild(frame);})();</script>\n";
}

bool IsPlainName(const String& name) {
  if (name.empty() || name.size() > 64) return false;
  for (char16_t c : name)
    if (!(c == u'_' || (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return false;
  return true;
}

bool IsRecordNumber(const String& id) {
  if (id.empty() || id.size() > 9) return false;
  for (char16_t c : id)
    if (c < u'0' || c > u'9') return false;
  return true;
}

// The record's title and content; kNothing when the table, the record or
// either column is missing.
String RecordPreview(Page& page, Variant& qe, const String& table, const String& id) {
  if (!IsPlainName(table) || !IsRecordNumber(id)) return kNothing;
  Variant conn = com::Call(page.Server, u"CreateObject", String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", String(qe::kPublicQeDataConnString)));
  Variant rs = com::Call(page.Server, u"CreateObject", String(u"Adodb.RecordSet"));
  String html = kNothing;
  try {
    com::Call(rs, u"Open", u"Select [Title],[Content] From [" + table + u"] Where [ID]=" + id, conn, kOpenForwardOnly,
              kLockReadOnly);
    if (!vb::CBool(com::Call(rs, u"EOF")))
      html = u"<h2 id=\"title\">" + qe::HtmlEncodeText(Text(com::Call(rs, u"", String(u"Title")))) + u"</h2>\n" +
             ArticleFrame(qe::CleanRichTextOrText(Text(com::Call(rs, u"", String(u"Content")))));
  } catch (const vb::Error&) {
    // No such table or columns: nothing to preview.
  }
  com::Call(qe, u"CommCloseData", rs, conn);
  return html;
}

}  // namespace

void ArticleReadPage(Page& page) {
  Variant qe;
  if (!ComponentChecked(page, qe)) return;
  String body;
  if (vb::LCase(Query(page, u"Preview")) == u"editor") {
    body = EditorPreview();
  } else {
    // A stored article is the office's own: only for a logged-in user.
    if (!MainDatabaseReady(page, qe)) return;
    if (!UserAdmitted(page, qe)) return;
    body = RecordPreview(page, qe, Query(page, u"ReadType"), Query(page, u"Id"));
  }
  com::Call(page.Response, u"Write", PageOpening(u"预览", false) + body + kDialogClosing);
}

}  // namespace host
