#include "host/netdrive_file_pages.h"

#include <algorithm>
#include <optional>

#include "common/kesra_error_page.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "common/markup_encode.h"
#include "host/netdrive_file_parts.h"
#include "host/netdrive_page_gate.h"
#include "office/net_drive.h"
#include "office/net_drive_answers.h"
#include "office/net_drive_space.h"
#include "page/kesra_opener_refresh.h"
#include "platform/asp/context.h"
#include "platform/asp/text_codec.h"
#include "platform/com/object.h"
#include "platform/fs/file.h"
#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "transfer/kesra_class_upload_file.h"
#include "transfer/kesra_class_upload_file_ex.h"
#include "transfer/kesra_file_download.h"
#include "transfer/picture_sniff.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

// A text file is shown up to this many bytes; the rest is for the download.
constexpr size_t kShownTextBytes = 1024 * 1024;
constexpr uint8_t kCloseWindow = 1;

// The kinds shown as text: the editor's text types and the usual plain-text ones.
constexpr char16_t kTextTypes[] =
    u"|txt|bat|c|htm|html|css|js|vbs|inc|stm|shtm|shtml|asp|asa|aspx|asax|ascx|asmx|aspa|php|php3|php4|jsp|cgi|"
    u"log|csv|xml|json|md|ini|sql|py|java|cpp|h|sh|";

// The file's first bytes, at most `count`.
std::string Head(const String& real, size_t count) {
  fs::File file = fs::File::Open(real, false, fs::Disposition::kOpenExisting);
  std::string bytes(static_cast<size_t>(std::min<uint64_t>(file.Size(), count)), '\0');
  bytes.resize(file.Read(bytes.data(), bytes.size()));
  file.Close();
  return bytes;
}

String PageHead(const String& title) {
  return u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n<title>" +
         qe::HtmlEncodeText(title) + u"</title>\n<link rel=\"stylesheet\" href=\"/qe/qe.css\">\n</head>\n";
}

String FileQuery(const String& path) { return u"p_CurrentFile=" + qe::HtmlEncodeText(qe::QueryValueEncode(path)); }

}  // namespace

void NetDriversDownload(Page& page) {
  std::optional<DriveFile> file = RequestedDriveFile(page);
  if (file) qe::SendConfinedFile(page.Response, file->real, u"", true);
}

namespace {

// Characters encoded and sent at once by the view.
constexpr size_t kShownBlock = 16 * 1024;

// A text file's first bytes as the view shows them: UTF-8 when they are (a
// byte-order mark dropped, a sequence cut by the end left out), else code
// page 936.
String DecodedText(std::string_view bytes) {
  std::string_view whole = bytes;
  // A sequence the cut left unfinished: its lead byte within the last three.
  for (size_t back = 1; back <= std::min<size_t>(3, whole.size()); ++back) {
    unsigned char c = static_cast<unsigned char>(whole[whole.size() - back]);
    if ((c & 0xC0) == 0x80) continue;
    size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (length > back) whole.remove_suffix(back);
    break;
  }
  if (!asp::IsUtf8Text(whole)) return text::DecodeAnsi(bytes);
  if (whole.starts_with("\xEF\xBB\xBF")) whole.remove_prefix(3);
  return vb::FromUtf8(whole);
}

}  // namespace

void NetDriversViewPage(Page& page) {
  Variant qe = DriveGate(page);
  if (qe.IsEmpty()) return;
  std::optional<DriveFile> file = RequestedDriveFile(page);
  if (!file) return;
  std::string head;
  try {
    head = Head(file->real, kShownTextBytes + 1);
  } catch (const vb::Error&) {
    qe::KesraShowErrorPageWithoutData(page.Response, u"未知错误！", false, u"");
    return;
  }
  std::optional<qe::PictureInfo> picture = qe::SniffPicture(head);
  if (DriveRequestText(page, u"p_Act") == u"Picture") {
    // Served by what the bytes are, never by the name: a page named ".png" is no picture.
    if (picture)
      qe::SendConfinedFile(page.Response, file->real, PictureContentType(*picture), false);
    else
      qe::KesraShowErrorPageWithoutData(page.Response, u"不允许该类文件下载！", false, u"");
    return;
  }
  String body = u"<body>\n<h1>" + qe::HtmlEncodeText(file->name) + u"</h1>\n<p><a id=\"download\" href=\"netdrivers.asp?p_Act=download&amp;" +
                FileQuery(file->path) + u"\">下载</a></p>\n";
  String type = u"|" + vb::LCase(qe::KesraFileGetExt(file->name, 0)) + u"|";
  if (picture) {
    body += u"<p><img id=\"picture\" src=\"netdrivers_view.asp?p_Act=Picture&amp;" + FileQuery(file->path) +
            u"\" alt=\"" + qe::HtmlEncodeText(file->name) + u"\"></p>\n";
  } else if (vb::StringView(kTextTypes).find(type) != vb::StringView::npos && head.find('\0') == std::string::npos) {
    bool cut = head.size() > kShownTextBytes;
    if (cut) head.resize(kShownTextBytes);
    // Encoded block by block as it is sent: markup and numeric references
    // make a text up to five times longer, and it is never held whole so.
    com::Call(page.Response, u"Write", PageHead(file->name) + body + u"<pre id=\"text\">");
    String text = DecodedText(head);
    std::string().swap(head);
    for (size_t at = 0; at < text.size();) {
      size_t end = std::min(text.size(), at + kShownBlock);
      if (end < text.size() && text[end] >= 0xDC00 && text[end] < 0xE000) ++end;  // a pair stays whole
      com::Call(page.Response, u"Write", ShownText(vb::ToUtf8(vb::StringView(text).substr(at, end - at))));
      com::Call(page.Response, u"Flush");
      at = end;
    }
    com::Call(page.Response, u"Write",
              String(u"</pre>\n") + (cut ? u"<p>文件较大，这里只显示了开头的 1 MB，全文请下载。</p>\n" : u"") +
                  u"</body>\n</html>\n");
    return;
  } else {
    body += u"<p id=\"other\">该类型文件不能在这里显示，请下载后查看。</p>\n";
  }
  com::Call(page.Response, u"Write", PageHead(file->name) + body + u"</body>\n</html>\n");
}

void NetDriversUploadPage(Page& page) {
  Variant qe = DriveGate(page);
  if (qe.IsEmpty()) return;
  String folder = DriveFolder(page);
  if (vb::UCase(vb::CStr(com::Call(page.Request, u"ServerVariables", String(u"REQUEST_METHOD")))) != u"POST") {
    com::Call(page.Response, u"Write",
              PageHead(u"上传文件") + u"<body>\n<h1>上传文件</h1>\n<p>上传到：" + qe::HtmlEncodeText(folder) +
                  u"</p>\n<form name=\"upload\" method=\"post\" enctype=\"multipart/form-data\" "
                  u"action=\"netdrivers_upload.asp?p_CurrentFolder=" +
                  qe::HtmlEncodeText(qe::QueryValueEncode(folder)) +
                  u"\">\n<p><input type=\"file\" name=\"files\" id=\"files\" multiple></p>\n"
                  u"<p><input type=\"submit\" id=\"send\" value=\"上传\"></p>\n</form>\n</body>\n</html>\n");
    return;
  }
  if (!DriveFromThisSite(page, qe)) return;
  std::optional<DriveFolderPlace> place = RequestedDriveFolder(page, folder);
  if (!place) return;

  auto upload = std::make_shared<qe::Kesra_Class_UploadFile>();
  // A body past the server's limit is not read: the upload says so in its own words.
  upload->MaxSize = static_cast<double>(asp::CurrentContext()->RequestObject().Info().max_body_bytes);
  upload->GetData(page.Request);
  if (upload->ErrorID() != qe::kUploadDone) {
    qe::netdrive::RefuseAndGoBack(page.Response, qe::netdrive::ScriptString(upload->Description()));
    return;
  }
  std::vector<std::shared_ptr<qe::Kesra_Class_UploadFileEx>> files;
  double room = 0;
  for (const auto& [key, entry] : upload->FileTable().Entries()) {
    auto file = std::dynamic_pointer_cast<qe::Kesra_Class_UploadFileEx>(entry.GetObject());
    if (!file) continue;
    String name = vb::CStr(file->LocalName);
    if (name.empty()) continue;  // a file box left empty
    // The drive's name rules, as creating a file has them.
    if (!qe::netdrive::IsEntryName(name) || name.find_first_of(u":\\?*") != String::npos ||
        !qe::netdrive::MapInside(page.Server, place->virtual_path + name, place->real, false)) {
      qe::KesraShowErrorPageWithoutData(page.Response, qe::netdrive::kIllegalPathMessage, false, u"");
      return;
    }
    room += qe::netdrive::FileSpace(vb::CDbl(file->Size));
    files.push_back(file);
  }
  if (files.empty()) {
    qe::netdrive::RefuseAndGoBack(page.Response, u"请选择要上传的文件！");
    return;
  }
  // Each file is a new entry (a taken name gets "(n)"), so it adds all its room.
  std::optional<qe::netdrive::DriveSpace> space =
      qe::netdrive::ReserveSpace(page.Session, page.Response, place->drive, room, true);
  if (!space) return;
  int saved = 0;
  for (const auto& file : files) {
    if (!file->SavetoFile(page.Server, Variant(place->real), int16_t{1}, false)) continue;
    space->Add(qe::netdrive::FileSpace(vb::CDbl(file->Size)));
    ++saved;
  }
  String message = saved == static_cast<int>(files.size()) ? String(u"上传成功！") : String(u"部分文件上传失败！");
  com::Call(page.Response, u"Write", qe::KesraOpenerEditRefresh(message, kCloseWindow));
}

}  // namespace host
