#include "maintenance/kesra_update.h"

#include <charconv>

#include "common/kesra_error_page.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_text.h"
#include "common/kesra_file_version.h"
#include "common/request_values.h"
#include "page/kesra_show_form.h"
#include "platform/com/object.h"
#include "platform/fs/paths.h"
#include "platform/net/download.h"
#include "platform/sys/server_settings.h"
#include "platform/sys/shell_execute.h"
#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "platform/vb/operators.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr char16_t kProgramFiles[] = u"Qe.exe|Qe.dll";
constexpr char16_t kOwnVersion[] = u"04.01.01";
constexpr char16_t kRemoteFolder[] = u"/KESRA_STUDIO/";
constexpr char kFtpLogin[] = "tovik";
constexpr char16_t kDownloaded[] = u"下载完成！";

std::vector<vb::String> ProgramFiles() { return vb::SplitParts(kProgramFiles, u"|"); }

// The program folder and the update folder under it (with its separator).
vb::String ProgramFolder() { return sys::ComponentFolder(); }
vb::String UpdateFolder() { return ProgramFolder() + u"\\UPDATE\\"; }

// "host" or "host:port" (a bare IPv6 address has no port); port 0: the service's own.
std::pair<std::string, uint16_t> HostAndPort(const vb::String& setting) {
  std::string text = vb::ToUtf8(vb::Trim(setting));
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || text.find(':') != colon) return {text, 0};
  uint16_t port = 0;
  auto [end, error] = std::from_chars(text.data() + colon + 1, text.data() + text.size(), port);
  if (error != std::errc() || end != text.data() + text.size()) return {text, 0};
  return {text.substr(0, colon), port};
}

// The value of a version component: its leading digits ("01" is 1, "" is 0).
uint64_t LeadingNumber(const vb::String& part) {
  uint64_t value = 0;
  for (char16_t c : part) {
    if (c < u'0' || c > u'9') break;
    value = value > UINT64_MAX / 10 - 10 ? UINT64_MAX : value * 10 + static_cast<uint64_t>(c - u'0');
  }
  return value;
}

bool IsNewer(const vb::String& downloaded) {
  std::vector<vb::String> theirs = vb::SplitParts(downloaded + u".00.0000", u".");
  std::vector<vb::String> ours = vb::SplitParts(kOwnVersion, u".");
  for (size_t i = 0; i < 3; ++i) {
    uint64_t a = LeadingNumber(theirs[i]), b = LeadingNumber(ours[i]);
    if (a != b) return a > b;
  }
  return false;
}

vb::String DownloadFailed(const vb::String& other_mode) {
  return u"下载失败！请尝试用" + other_mode + u"方式进行下载或直接登录" + sys::ServerSetting("UPDATE_WEB_HOST") +
         u"网站进行手动下载升级。";
}

}  // namespace

vb::String KesraShowFormUpDate(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server) {
  vb::String intro = vb::SplitParts(KesraUpDateMessages(), u"|")[0];
  bool http = vb::Equals(RequestValue(Request, u"UpdateType"), vb::Variant(int32_t{2}));
  // The introduction's box grows with its text: in 100 px its last line
  // would run over the mode row below it.
  vb::String page =
      u"<form method='post' name='myform' action='?'>"
      u"<div style=\"font-weight: bold; font-size: 20px;font-family:隶书;height:30px;\" align=center>在线升级</div>"
      u"<div id='show_info' style=\"float:left;margin-left:5px;border: 3px double gray; background: transprant; "
      u"width: 70%; min-height: 100px;padding:5px;text-align:left;vertical-align: top\">&nbsp;&nbsp;&nbsp;&nbsp;" +
      intro +
      u"</div>"
      u"<div style=\"float:right;width: 23%; height: 100px;vertical-align: top\">"
      u"<input type=hidden name='save' value='save'>"
      u"<input type=submit style='height:40px;margin-top:5px;'class='button_image' value='升级' "
      u"onclick='show_wait.style.display=\"block\";'><br>"
      u"<input type=button style='height:40px;margin-top:10px;' class='button_image' value='退出' "
      u"onclick=\"location.href='../welcome/welcome.asp'\">"
      u"</div>"
      u"<div style=\"clear:both;\"></div>"
      u"<div style='padding-top:8px; padding-left:10px;height:100%;color:blue;' align='left'>升级模式："
      u"&nbsp;&nbsp;<input name='UpdateType' type='radio' value='1' checked>ftp"
      u"&nbsp;&nbsp;<input name='UpdateType' type='radio' value='2'" +
      vb::String(http ? u" checked " : u"") +
      u">http"
      u"</div>"
      u"</form>"
      u"<div id='show_wait' style=\"display:none;margin-top:-173px;margin-left:4px;margin-right:4px;padding-top:60px;"
      u"background: transprant; filter:alpha(opacity=80);background-color:white;z-index:2;width:100%;height:100%;;"
      u"color:blue;\" align='center'>"
      u"<img src=../comm/image/kesra_wait.asp><br><br>请稍候……"
      u"</div>";
  if (vb::CStr(com::ValueOf(com::Call(Request, u"Form", vb::String(u"save")))) == u"save") {
    // A submission without the mode is refused as the conversion of nothing is.
    vb::Variant mode = com::ValueOf(com::Call(Request, u"Form", vb::String(u"UpdateType")));
    if (mode.IsEmpty()) vb::Raise(vb::kTypeMismatch);
    vb::String message = KesraUpDateDownload(vb::CInt(mode));
    if (message == kDownloaded) {
      KesraUpDateWriteBatch();
      // Nothing is installed here: the page says where the new files are.
      std::vector<vb::String> texts = vb::SplitParts(KesraUpDateMessages(), u"|");
      message = texts[2] + texts[1];
    }
    page += KesraShowSuccess(message, u"");
  }
  return KesraShowForm(Response, Request, Server, 360, 202, page, false);
}

vb::String KesraUpDateMessages() {
  return u"本功能主要用于自动连接至" + sys::ServerSetting("UPDATE_PROVIDER") +
         u"服务器上升级最新的版本。下载后程序存放在系统的Update目录下。如果要手动升级，可直接将该目录下文件复制至系统程序目录下覆盖原文件即可。"
         u"|升级程序存放在update目录下。如需手动升级，可用此升级程序覆盖原文件即可。若升级后出现异常，可运行〖数据管理〗〗-〖数据维护〗即可。"
         u"|程序新版本下载成功！"
         u"|你可以选择是手动还是自动升级，选择“确定”按钮将进行自动升级，继续吗？";
}

vb::String KesraUpDateDownload(int16_t p_UpdateType) {
  const vb::String folder = vb::LCase(UpdateFolder());
  KesraFolderCreate(folder);
  bool failed = false;
  if (p_UpdateType == 1) {
    auto [host, port] = HostAndPort(sys::ServerSetting("UPDATE_FTP_HOST"));
    net::FtpSession session(host, port, kFtpLogin, kFtpLogin);
    if (!session.Connected()) return u"找不到指定的服务器,请尝试用HTTP方式下载。";
    for (const vb::String& name : ProgramFiles())
      failed |= !session.GetFile(vb::ToUtf8(kRemoteFolder + name), fs::ToHostPath(folder + name));
    if (failed) return DownloadFailed(u"http");
  } else {
    for (const vb::String& name : ProgramFiles()) {
      vb::String url = vb::LCase(u"HTTP://" + sys::ServerSetting("UPDATE_WEB_HOST") + kRemoteFolder + name);
      failed |= !net::UrlDownloadToFile(url, fs::ToHostPath(vb::LCase(folder + name)));
    }
    if (failed) return DownloadFailed(u"ftp");
  }
  vb::String library = folder + u"Qe.dll";
  if (!KesraFileExist(library, 0)) return {};
  vb::String version = KesraGetFileProductVersion(library);
  if (version.empty()) return u"不能检测下载程序的版本号，请重新下载或手动升级！";
  return IsNewer(version) ? kDownloaded : u"当前程序为最新版本，不需升级！";
}

void KesraUpDateWriteBatch() {
  const vb::String p = ProgramFolder();
  std::vector<vb::String> lines = {u"@ECHO OFF", u"@TASKKILL /F /IM Qe.exe"};
  std::vector<vb::String> files = ProgramFiles();
  for (auto f = files.rbegin(); f != files.rend(); ++f) {
    lines.push_back(u"@TASKKILL /F /IM " + *f);
    lines.push_back(u"@ATTRIB -A -R -S -H " + *f);
    lines.push_back(u"@COPY \"" + p + u"\\" + *f + u"\"  \"" + p + u"\\UPDATE\\BK_" + *f + u"\" /Y");
    lines.push_back(u"@IF EXIST \"" + p + u"\\UPDATE\\" + *f + u"\"   COPY \"" + p + u"\\UPDATE\\" + *f + u"\"  \"" + p +
                    u"\\" + *f + u"\" /Y");
  }
  lines.push_back(u"@COPY \"" + p + u"\\UPDATE\\BK_Qe.exe\"  \"" + p + u"\\BK_Qe.exe\" /Y");
  lines.push_back(u"@IF EXIST \"" + p + u"\\Qe.exe\"   START \"\" \"" + p + u"\\Qe.exe\"");
  lines.push_back(u"@DEL \"" + p + u"\\UPDATE\\UPDATE.BAT\" /Q /F");
  lines.push_back(u"@EXIT");
  lines.push_back(u"@ECHO ON");
  vb::String text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? u"\r\n" : u"") + lines[i];
  // Written for the administrator: replacing the program files of a running
  // server is not this process's to do, so the batch is never started here.
  KesraSaveToTextFile(p + u"\\update\\update.bat", text, 2);
}

}  // namespace qe
