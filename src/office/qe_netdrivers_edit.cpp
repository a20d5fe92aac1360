#include "office/qe_netdrivers_edit.h"

#include <optional>
#include <string>

#include "common/kesra_file_operations.h"
#include "common/markup_encode.h"
#include "office/net_drive.h"
#include "office/net_drive_answers.h"
#include "office/net_drive_space.h"
#include "office/qe_user.h"
#include "page/kesra_opener_refresh.h"
#include "platform/asp/context.h"
#include "platform/asp/request.h"
#include "platform/com/object.h"
#include "platform/fs/file.h"
#include "platform/fs/file_write.h"
#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr char16_t kStyle[] =
    u"<style type=\"text/css\">"
    u"<!--"
    u"body{margin:0 0 0px;padding:0;background:#d6d3cc;}"
    u"form,p{margin:0;padding:0}"
    u"td{font-size: 9pt; font-family: \"宋体\";color: #000000}"
    u"a {color: #000000; text-decoration: none}"
    u"a:hover {color: #000000; text-decoration: none}"
    u".button1{cursor:hand;border:1 solid black;font-size: 9pt; font-style: normal; font-variant: normal; "
    u"font-weight: normal; height: 18px; line-height: normal}"
    u"-->"
    u"</style>";

constexpr char16_t kNotTextMessage[] =
    u"<center><font color=#ff3333>该类型文件为非ASCII文件，无法编辑！</font></center>";

// The file's text when its bytes come back unchanged from the text area:
// readable, no NUL, and the same bytes once decoded and encoded again.
std::optional<vb::String> EditableText(const vb::String& real_path) {
  std::string bytes;
  try {
    bytes = fs::ReadAllBytes(real_path);
  } catch (const vb::Error&) {
    return std::nullopt;
  }
  if (bytes.find('\0') != std::string::npos) return std::nullopt;
  vb::String text = text::DecodeAnsi(bytes);
  if (text::EncodeAnsi(text) != bytes) return std::nullopt;
  return text;
}

vb::String TextAreaContent(const vb::String& text) {
  vb::String escaped = vb::Replace(vb::Replace(vb::Replace(text, u"&", u"&amp;"), u"<", u"&lt;"), u">", u"&gt;");
  // Browsers drop one line break right after the start tag.
  if (!text.empty() && (text[0] == u'\r' || text[0] == u'\n')) escaped = u"\r\n" + escaped;
  return escaped;
}

vb::String Editor(vb::Variant& Server, const vb::String& real_path, const vb::String& p_CurrentFile) {
  vb::String attribute = HtmlEncodeText(p_CurrentFile);
  vb::String page = u"<body style='background:#d6d3cc'>"
                    u"<table width='100%' height='100%' align=center cellspacing=0 cellpadding=0>"
                    u"<tr><td style='vertical-align:middle;padding-left:15px;'>"
                    u"<form method='post' action='?'>"
                    u"<span style='position:relative;top:-3px;'>位置：</span>"
                    u"<input type='text' class='button1' name='p_CurrentFile' size=100 value='" +
                    attribute +
                    u"'> "
                    u"<input type='submit' class='button1' value='读文件'> "
                    u"</form>"
                    u"</td></tr>"
                    u"<tr><td height=470>";
  std::optional<vb::String> text = EditableText(real_path);
  if (!text) return page + kNotTextMessage + u"</td></tr></table>";
  vb::String address = vb::CStr(com::Call(Server, u"URLEncode", p_CurrentFile));
  // The drive opens the editor 800 px wide, less than 122 columns of most
  // monospace fonts: the text area takes the window's width instead, so
  // that it and the buttons below it stay inside the window.
  return page + u"<p style='text-align:center;padding-left:14px;padding-right:0px'>" +
         u"<form action='?p_CurrentFile=" + HtmlEncodeText(address) + u"' method=post>" +
         u"<input type='hidden' name='p_Act' value='EditFile'>" +
         u"<input type='hidden' name='p_CurrentFile' value='" + attribute + u"'>" +
         u"<textarea name='fcontent' cols='122' rows='31' style='font-size: 12px; width: 100%; box-sizing: border-box'>" +
         TextAreaContent(*text) + u"</textarea><br>" + u"<p style='text-align:right;padding-right:30px;padding-top:10px; height:25px;'>" +
         u"<input type='submit' class='button1' value='保存编辑'>&nbsp;" +
         u"<input type='reset' class='button1' value='复原'>&nbsp;" +
         u"<input type='button' class='button1' value='关闭' onclick=window.close();>" + u"</form>" +
         u"</td></tr>" + u"</table>";
}

// Replaces the file whole: the old text stays until the new one is written.
bool Save(const vb::String& real_path, const std::string& bytes) {
  try {
    fs::ReplaceFile(real_path, bytes);
    return true;
  } catch (const vb::Error&) {
    return false;
  }
}

}  // namespace

vb::String QeNetDriversFileEdit(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response,
                                vb::Variant& Request, vb::String p_CurrentFile, vb::String p_Act) {
  std::optional<netdrive::Drive> drive = netdrive::UserDrive(Server, Session, Response);
  if (!drive) return {};
  bool save = p_Act == u"EditFile";
  vb::String file = drive->root + u"/" + p_CurrentFile;
  std::optional<vb::String> real;
  if (!p_CurrentFile.empty() && file.find_first_of(u":\\") == vb::String::npos && vb::InStr(file, u"..") == 0 &&
      netdrive::HasSafeElements(p_CurrentFile))
    real = netdrive::MapInside(Server, file, drive->real_root, false);
  if (!real) {
    if (save) {
      netdrive::Write(Response, u"<script language='javascript'>");
      netdrive::Write(Response, u"alert('" + vb::String(netdrive::kIllegalPathMessage) + u"');");
      netdrive::Write(Response, u"window.close();");
      netdrive::Write(Response, u"</script>");
    } else {
      netdrive::Write(Response, u"<center><font color=#ff3333>你要编辑的文件不存在</font></center>");
    }
    com::Call(Response, u"End");
    return {};
  }
  if (!KesraFolderExist(*real)) {
    netdrive::Write(Response, u"<Script language='javascript'>");
    netdrive::Write(Response, u"alert('找不到指定的文件，可能该文件已经被删除!');");
    netdrive::Write(Response, u"window.close();");
    netdrive::Write(Response, u"</Script>");
    com::Call(Response, u"End");
    return {};
  }
  if (!save) return kStyle + Editor(Server, *real, p_CurrentFile);
  // The editor's form always sends its text area: a save without it would
  // empty the file.
  if (asp::FormValues(Request, u"fcontent").empty()) return kStyle + KesraOpenerEditRefresh(u"文件保存失败", 1);
  vb::String posted = vb::CStr(com::ValueOf(com::Call(com::Call(Request, u"Form"), u"Item", vb::String(u"fcontent"))));
  std::string bytes = text::EncodeAnsi(posted);
  int16_t quota = QeGetUserSizeNetdriver(Response, Session);
  if (asp::ResponseEnded(Response)) return {};
  netdrive::DriveSpace space(*drive, quota);
  // A file the editor would not show is not replaced by what was posted for it.
  bool editable = EditableText(*real).has_value();
  // Counted as the new size less the old, measured under the drive's lock.
  if (editable && !space.Fits(space.AddedOver(*real, static_cast<double>(bytes.size())))) {
    netdrive::RefuseForQuota(Response, quota);
    return {};
  }
  bool saved = editable && Save(*real, bytes);
  return kStyle + KesraOpenerEditRefresh(saved ? u"文件已成功保存" : u"文件保存失败", 1);
}

}  // namespace qe
