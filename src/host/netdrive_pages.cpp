#include "host/netdrive_pages.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "common/kesra_error_page.h"
#include "common/markup_encode.h"
#include "common/request_values.h"
#include "common/system_title.h"
#include "host/netdrive_file_pages.h"
#include "host/netdrive_page_gate.h"
#include "host/page_steps.h"
#include "host/site_links.h"
#include "office/net_drive.h"
#include "platform/com/object.h"
#include "platform/fs/search.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_application_data.h"

namespace host {

using vb::String;
using vb::Variant;

constexpr char16_t kSharedNameMessage[] = u"另有帐号使用与您相同的姓名，网络硬盘暂不能使用，请联系管理员修改姓名！";

String DriveRequestText(Page& page, const char16_t* name) { return qe::SubmittedText(page.Request, name); }

namespace {

// The drive's folder is named by its owner's display name, so it is one
// account's only while no other account has that name (case-blind, blanks
// around it dropped): otherwise both would read and write one folder.
bool NameHasOneAccount(Page& page, Variant& qe, const String& name) {
  com::Call(qe, u"CommGetApplicationConnString", page.Response, page.Request, page.Server, page.Application);
  if (page.Ended()) return false;
  Variant conn = com::Call(page.Server, u"CreateObject", String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", String(qe::kPublicQeDataConnString)));
  Variant rs = com::Call(conn, u"Execute", String(u"Select [Name] From [User]"));
  const String wanted = vb::LCase(vb::Trim(name));
  int holders = 0;
  for (; !vb::CBool(com::Call(rs, u"EOF")) && holders < 2; com::Call(rs, u"MoveNext")) {
    Variant held = com::ValueOf(com::Call(rs, u"", String(u"Name")));
    if (!held.IsNull() && vb::LCase(vb::Trim(vb::CStr(held))) == wanted) ++holders;
  }
  com::Call(qe, u"CommCloseData", rs, conn);
  return holders < 2;
}

}  // namespace

Variant DriveGate(Page& page) {
  com::Let(page.Response, u"Charset", String(u"gb2312"));
  Variant qe = com::Call(page.Server, u"CreateObject", String(u"QE.QeCls"));
  if (!UserAdmitted(page, qe)) return {};
  const Variant name = com::ValueOf(com::Call(qe, u"CommGetUserName", page.Response, page.Session));
  if (page.Ended()) return {};
  if (!NameHasOneAccount(page, qe, name.IsNull() ? String() : vb::CStr(name))) {
    if (!page.Ended()) qe::KesraShowErrorPageWithoutData(page.Response, kSharedNameMessage, false, u"");
    return {};
  }
  return qe;
}

// A request that changes the drive must come from the site's own pages,
// whatever its method: the drive page's links navigate (GET) and its forms
// post.
bool DriveFromThisSite(Page& page, Variant& qe) {
  com::Call(qe, u"CommCheckPost", page.Request, page.Response);
  return !page.Ended();
}

String DriveFolder(Page& page) {
  String folder = DriveRequestText(page, u"p_CurrentFolder");
  return folder.empty() ? String(u"/") : folder;
}

namespace {

// A call's argument in the page: a name as the script passes it into an
// address, inside a single-quoted string, inside a double-quoted attribute.
String Argument(const String& name) {
  return qe::HtmlEncodeText(qe::netdrive::ScriptString(qe::QueryValueEncode(name)));
}

struct Entry {
  String name;
  bool folder;
};

// The folder's entries, folders first, each group by name; none when the
// folder is not inside the user's drive.
std::vector<Entry> Listing(Page& page, const String& folder) {
  std::vector<Entry> entries;
  Variant qe = com::Call(page.Server, u"CreateObject", String(u"QE.QeCls"));
  String user = vb::CStr(com::Call(qe, u"CommGetUserName", page.Response, page.Session));
  String root = qe::netdrive::kDrivesFolder + user;
  if (!qe::netdrive::IsPlainName(user) || !qe::netdrive::HasSafeElements(folder)) return entries;
  String real_root = vb::CStr(com::Call(page.Server, u"MapPath", root));
  std::optional<String> real = qe::netdrive::MapInside(page.Server, root + u"/" + folder, real_root, true);
  if (!real) return entries;
  try {
    for (const fs::FoundEntry& found : fs::FindFiles(*real + u"\\*")) {
      if (found.name == u"." || found.name == u"..") continue;
      entries.push_back({found.name, (found.attributes & fs::kAttributeDirectory) != 0});
    }
  } catch (const vb::Error&) {
    return {};
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.folder != b.folder ? a.folder : a.name < b.name;
  });
  return entries;
}

// A link that calls the script (in onclick: a "javascript:" address would be
// percent-decoded before it runs, and the names are percent-encoded).
String Call(const String& code, const String& text, const String& cls = {}) {
  return u"<a href=\"#\" onclick=\"" + code + u";return false;\"" + (cls.empty() ? String() : u" class=\"" + cls + u"\"") +
         u">" + text + u"</a>";
}

String Row(const Entry& entry) {
  String shown = qe::HtmlEncodeText(entry.name);
  String arg = Argument(entry.name);
  String type = entry.folder ? String(u"folder") : Argument(qe::KesraFileGetExt(entry.name, 0));
  String kind = entry.folder ? String(u"Folder") : String(u"File");
  String copy_type = entry.folder ? String(u"2") : String(u"1");
  String slash = entry.folder ? String(u"/") : String();
  String row = u"<tr><td><input type=\"checkbox\" name=\"" + String(entry.folder ? u"folders" : u"files") +
               u"\" value=\"" + shown + u"\"></td><td>" +
               Call(u"viewfile('" + arg + slash + u"','" + type + u"')", shown + slash, u"entry") + u"</td><td>";
  if (!entry.folder) {
    row += Call(u"down_file('" + arg + u"')", u"下载", u"download") + u" ";
    String ext = vb::LCase(qe::KesraFileGetExt(entry.name, 0));
    if (ext == u"zip" || ext == u"rar") row += Call(u"zipunzip('unzip','" + arg + u"')", u"解压", u"unzip") + u" ";
    row += Call(u"editfile('" + arg + u"','" + type + u"')", u"编辑") + u" ";
  }
  row += Call(u"ReNameIt('ReName" + kind + u"','" + arg + u"')", u"改名", u"rename") + u" " +
         Call(u"copyfile(" + copy_type + u",'" + arg + u"')", u"复制") + u" " +
         Call(u"cutfile(" + copy_type + u",'" + arg + u"')", u"剪切") + u" " +
         Call(u"delfile('Del" + kind + u"','" + arg + u"')", u"删除") + u"</td></tr>\n";
  return row;
}

// The link to the folder above, for any folder but the drive's root.
String UpLink(const String& folder) {
  String trimmed = folder;
  while (!trimmed.empty() && (trimmed.back() == u'/' || trimmed.back() == u'\\')) trimmed.pop_back();
  if (trimmed.empty()) return {};
  String parent = trimmed.substr(0, trimmed.find_last_of(u"/\\") + 1);
  if (parent.empty()) parent = u"/";
  return u"<a href=\"netdrivers.asp?p_CurrentFolder=" + qe::HtmlEncodeText(qe::QueryValueEncode(parent)) +
         u"\" id=\"up\">上一级</a> ";
}

}  // namespace

void NetDriversPage(Page& page) {
  Variant qe = DriveGate(page);
  if (qe.IsEmpty()) return;
  String folder = DriveFolder(page);
  String act = DriveRequestText(page, u"p_Act");
  if (act == u"download") return NetDriversDownload(page);
  if (act == u"paste" && !DriveFromThisSite(page, qe)) return;
  Variant script = com::Call(qe, u"CommNetDriversSave", page.Server, page.Session, page.Response, page.Request,
                             folder, act);
  if (page.Ended()) return;
  String html = u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n<title>" +
                qe::SystemTitle() + u"</title>\n<link rel=\"stylesheet\" href=\"/qe/qe.css\">\n" +
                vb::CStr(com::Call(qe, u"CommScriptOpenWindow")) +
                vb::CStr(script) + u"\n</head>\n<body>\n<p id=\"folder\">" + qe::HtmlEncodeText(folder) +
                u"</p>\n<p>" + UpLink(folder) + u"<a href=\"javascript:upfile()\" id=\"upload\">上传</a> "
                u"<a href=\"javascript:create_it('CreateFolder')\" id=\"newfolder\">新建文件夹</a> "
                u"<a href=\"javascript:create_it('CreateFile')\" id=\"newfile\">新建文件</a> "
                u"<a href=\"javascript:copyfile(0,'')\" id=\"copy\">复制</a> "
                u"<a href=\"javascript:cutfile(0,'')\" id=\"cut\">剪切</a> "
                u"<a href=\"javascript:pastefile()\" id=\"paste\">粘贴</a> "
                u"<a href=\"javascript:delbatch()\" id=\"delete\">删除</a> "
                u"<a href=\"javascript:selectall('files',true)\" id=\"all\">全选</a></p>\n"
                u"<form name=\"delthis\" method=\"post\" action=\"netdrivers_delbatch.asp?p_CurrentFolder=" +
                qe::HtmlEncodeText(qe::QueryValueEncode(folder)) +
                u"\">\n<input type=\"hidden\" name=\"p_Act\" value=\"DelBatch\">\n<table id=\"list\">\n";
  for (const Entry& entry : Listing(page, folder)) html += Row(entry);
  html += u"</table>\n</form>\n" + kPageClosing;
  com::Call(page.Response, u"Write", html);
}

namespace {

// An action page: the gate, then the member with the page's objects and the
// request's values of `names`, in order.
template <class... Names>
void RunAction(Page& page, const char16_t* member, Names... names) {
  Variant qe = DriveGate(page);
  if (qe.IsEmpty() || !DriveFromThisSite(page, qe)) return;
  com::Call(qe, member, page.Server, page.Session, page.Response, page.Request, DriveRequestText(page, names)...);
}

}  // namespace

void NetDriversRenamePage(Page& page) {
  RunAction(page, u"CommNetDriversReName", u"p_CurrentFolder", u"p_Act");
}

void NetDriversCreateDelPage(Page& page) {
  RunAction(page, u"CommNetDriversCreateOrDel", u"p_CurrentFolder", u"p_CurrentFile", u"p_Act");
}

void NetDriversCopyPage(Page& page) { RunAction(page, u"CommNetDriversCopyCut", u"p_CurrentFolder", u"p_Act"); }

void NetDriversDelBatchPage(Page& page) { RunAction(page, u"CommNetDriversDelBatch", u"p_CurrentFolder", u"p_Act"); }

void NetDriversEditPage(Page& page) {
  Variant qe = DriveGate(page);
  if (qe.IsEmpty()) return;
  String act = DriveRequestText(page, u"p_Act");
  if (act == u"EditFile" && !DriveFromThisSite(page, qe)) return;
  Variant body = com::Call(qe, u"CommNetDriversFileEdit", page.Server, page.Session, page.Response, page.Request,
                           DriveRequestText(page, u"p_CurrentFile"), act);
  if (page.Ended()) return;
  com::Call(page.Response, u"Write",
            u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
            u"<title>编辑文件</title>\n</head>\n" +
                vb::CStr(body) + u"\n</html>\n");
}

void MakeUserDrive(Page& page, const String& user_name) {
  if (!qe::netdrive::IsPlainName(user_name)) return;
  try {
    String real = vb::CStr(com::Call(page.Server, u"MapPath", qe::netdrive::kDrivesFolder + user_name));
    if (!qe::KesraFolderExist(real)) qe::KesraFolderCreate(real);
  } catch (const vb::Error&) {
    // A name the platform refuses gets no drive; its drive pages refuse it too.
  }
}

}  // namespace host
