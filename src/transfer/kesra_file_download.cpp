#include "transfer/kesra_file_download.h"

#include <optional>
#include <utility>

#include "common/kesra_dates.h"
#include "common/kesra_error_page.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "common/kesra_installed_objects.h"
#include "common/markup_encode.h"
#include "common/page_address.h"
#include "common/private_site_files.h"
#include "platform/asp/response.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/fs/file.h"
#include "platform/fs/file_write.h"
#include "platform/fs/paths.h"
#include "platform/net/xml_http.h"
#include "platform/regex/regexp.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/numbers.h"
#include "platform/vb/random.h"
#include "platform/vb/strings.h"
#include "transfer/download_headers.h"

namespace qe {
namespace {

// Large enough that a block costs little per byte, small enough that a
// download holds little memory and notices a client that left soon.
constexpr size_t kDownloadBlock = 1024 * 1024;

constexpr char16_t kNoSuchFile[] = u"文件不存在！";
constexpr char16_t kRefusedFile[] = u"不允许该类文件下载！";
constexpr char16_t kUnknownError[] = u"未知错误！";

// Pages rely on this pattern as it stands, its false matches and misses included.
constexpr char16_t kPictureAddressPattern[] =
    u"((http|https|ftp|rtsp|mms):(\\/\\/|\\\\\\\\){1}((\\w)+[.]){1,}(net|com|cn|org|cc|tv|[0-9]{1,3})(\\S*\\/)"
    u"((\\S)+[.]{1}(gif|jpg|png|bmp)))";

// A copy whose random digits another copy took draws new ones this often.
constexpr int kCopyNameAttempts = 100;

// The extension of a file name: after its last ".", in lower case; the whole
// name when it has none.
vb::String DownloadExtension(const vb::String& name) {
  size_t dot = name.rfind(u'.');
  return vb::LCase(dot == vb::String::npos ? name : name.substr(dot + 1));
}

// A file's bytes to a Response: any object but our own goes through its
// late-bound members, with a byte array per block.
class BlockSender {
 public:
  explicit BlockSender(vb::Variant& response)
      : response_(response), typed_(std::dynamic_pointer_cast<asp::Response>(response.GetObject())) {}

  // Our own Response hands the file to its connection, which sends it
  // straight from the file at the client's pace; any other object gets it
  // in blocks, while its client is there.
  void SendFile(fs::File& file, uint64_t size) {
    if (typed_) return typed_->SendFileRange(file.Descriptor(), 0, size);
    std::string block(kDownloadBlock, '\0');
    for (uint64_t sent = 0; sent < size && ClientConnected();) {
      size_t got;
      try {
        got = file.Read(block.data(), static_cast<size_t>(std::min<uint64_t>(block.size(), size - sent)));
      } catch (const vb::Error&) {
        return;  // the head is out: the client sees a short file, never an error text in it
      }
      if (got == 0) return;
      Send(std::string_view(block.data(), got));
      sent += got;
    }
  }

 private:
  void Send(std::string_view block) {
    com::Call(response_, u"BinaryWrite", vb::Variant(vb::Array::OfBytes({block.begin(), block.end()})));
    com::Call(response_, u"Flush");
  }
  bool ClientConnected() {
    return vb::CBool(com::ValueOf(com::Call(response_, u"IsClientConnected")));
  }

  vb::Variant& response_;
  std::shared_ptr<asp::Response> typed_;
};

// The real file a path names, with links resolved; nothing when there is no
// such file.
std::optional<std::filesystem::path> RealFile(const vb::String& path) {
  std::optional<std::filesystem::path> found;
  try {
    found = fs::ResolveExisting(path);
  } catch (const vb::Error&) {
    return std::nullopt;
  }
  if (!found || !fs::IsExistingFile(path)) return std::nullopt;
  std::error_code error;
  std::filesystem::path real = std::filesystem::canonical(*found, error);
  if (error) return std::nullopt;
  return real;
}

// True when the site's private folders or the drive map keep the file on the server.
bool IsKeptOnServer(vb::Variant& Server, const std::filesystem::path& file) {
  if (!IsInsideMappedDrive(file)) return true;
  try {
    std::filesystem::path site = fs::ToHostPath(vb::CStr(com::ValueOf(com::Call(Server, u"MapPath", vb::String(u"/")))));
    return IsPrivateSiteFile(site, file);
  } catch (const vb::Error&) {
    return true;  // a site that cannot be placed keeps its files
  }
}

// A file's own address for a Location: always a path of this site with one
// "/" at its start ("//name" would send the browser to another host), "\" as
// "/", and a relative one placed in the page's folder, as MapPath placed it.
vb::String OwnAddress(vb::Variant& Request, const vb::String& file) {
  vb::String path = vb::Replace(file, u"\\", u"/");
  if (path.empty() || path[0] != u'/') {
    vb::String page;
    if (Request.IsObject()) page = vb::CStr(com::ValueOf(com::Call(Request, u"ServerVariables", vb::String(u"PATH_INFO"))));
    path = page.substr(0, page.rfind(u'/') + 1) + path;
  }
  const size_t first = path.find_first_not_of(u'/');
  return HeaderValueEncode(u"/" + (first == vb::String::npos ? vb::String() : path.substr(first)));
}

// The viewer address of the extension's kind, or the file's own.
vb::String ViewAddress(const vb::String& extension, const vb::String& file, const vb::String& title,
                       const vb::String& own_address) {
  static const std::pair<vb::StringView, vb::StringView> kViews[] = {
      {u"|doc|txt|ppt|xls|pdf|chm|mht|", u""},
      {u"|mp3|wav|", u"?FileType=Wav"},
      {u"|mp4|flv|", u"?FileType=Mp4"},
      {u"|rm|avi|rmvb|ram|mpg|mpeg|", u"?FileType=Movie&RunSystem=rtsp"},
      {u"|wmv|asf|wma|", u"?FileType=Movie&RunSystem=mms"},
      {u"|swf|", u"?FileType=Flash&PlayType=FullScreen"},
      {u"|gif|jpg|jpeg|bmp|png|wmf|tif|tiff|pct|pict|pxr|raw|sct|tga|vda|icb|vst|rle|dib|pcx|", u"?FileType=Image"},
  };
  const vb::String encoded_file = HeaderValueEncode(file);
  if (extension.find(u'|') == vb::String::npos) {
    const vb::String framed = u"|" + extension + u"|";
    for (const auto& [extensions, query] : kViews) {
      if (extensions.find(framed) == vb::StringView::npos) continue;
      if (query.empty()) break;
      return u"../comm/kesra_FileView.asp" + vb::String(query) + u"&Url=" + encoded_file + u"&Title=" +
             HeaderValueEncode(title);
    }
  }
  return own_address;
}

// The picture's bytes, or why there are none.
struct RemotePicture {
  std::optional<std::string> bytes;
  vb::String error;
};

bool StartsAsPicture(std::string_view bytes) {
  return bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a") || bytes.starts_with("\xFF\xD8\xFF") ||
         bytes.starts_with("\x89PNG\r\n\x1A\n") || bytes.starts_with("BM");
}

RemotePicture FetchRemotePicture(const vb::String& address) {
  vb::Variant request(com::CreateObject(u"Microsoft.XMLHTTP"));
  try {
    com::Call(request, u"Open", vb::String(u"Get"), address, false, vb::String(), vb::String());
    com::Call(request, u"Send");
  } catch (const vb::Error& error) {
    return {std::nullopt, error.Description()};
  }
  int32_t status = vb::CLng(com::ValueOf(com::Call(request, u"Status")));
  if (status < 200 || status > 299)
    return {std::nullopt, u"The server answered " + address + u" with status " + vb::CStr(vb::Variant(status))};
  vb::Variant body = com::ValueOf(com::Call(request, u"ResponseBody"));
  std::string bytes;
  if (body.IsArray() && body.As<vb::Array>().IsBytes()) {
    const std::vector<uint8_t>& got = body.As<vb::Array>().Bytes();
    bytes.assign(got.begin(), got.end());
  }
  if (!StartsAsPicture(bytes)) return {std::nullopt, u"The answer for " + address + u" is not a GIF, JPEG, PNG or BMP picture"};
  return {std::move(bytes), {}};
}

vb::String CopyName(const vb::String& folder, const vb::String& address) {
  int32_t digits = static_cast<int32_t>(vb::Int(vb::Rnd() * 900)) + 100;
  return folder + KesraGetDateTime() + vb::CStr(vb::Variant(digits)) + u"." + address.substr(address.rfind(u'.') + 1);
}

// Saves the picture under a new copy name in the folder, drawing new digits
// while another copy holds the name; the copy's site path.
vb::String SaveNewCopy(vb::Variant& Server, const vb::String& folder, const vb::String& address, const std::string& bytes) {
  for (int attempt = 1;; ++attempt) {
    vb::String name = CopyName(folder, address);
    try {
      fs::CreateNewFile(MapPathWithoutDrive(Server, name), bytes);
      return name;
    } catch (const vb::Error& error) {
      if (error.Number() != vb::kFileAlreadyExists || attempt == kCopyNameAttempts) throw;
    }
  }
}

// The headers, then the file in blocks.
void SendFile(vb::Variant& Response, const vb::String& path, const vb::String& name, vb::StringView content_type,
              bool attachment, bool p_CloseParent, const vb::String& p_DialogID) {
  std::optional<fs::File> file;
  uint64_t size = 0;
  try {
    file.emplace(fs::File::Open(path, false, fs::Disposition::kOpenExisting));
    size = file->Size();
  } catch (const vb::Error&) {
    KesraShowErrorPageWithoutData(Response, kUnknownError, p_CloseParent, p_DialogID);
    return;
  }

  if (attachment)
    com::Call(Response, u"AddHeader", vb::String(u"Content-Disposition"), AttachmentDisposition(name));
  com::Call(Response, u"AddHeader", vb::String(u"Content-Length"), vb::FromUtf8(std::to_string(size)));
  com::Let(Response, u"Charset", vb::String(u"GB2312"));
  com::Let(Response, u"ContentType", vb::String(content_type));
  BlockSender sender(Response);
  sender.SendFile(*file, size);
  file->Close();
  com::Call(Response, u"End");
}

}  // namespace

void KesraFileDownload(vb::Variant& Response, vb::Variant& Server, vb::String p_FileFullName, bool p_CloseParent,
                       vb::String p_DialogID) {
  const vb::String path = MapPathWithoutDrive(Server, p_FileFullName);
  com::Let(Response, u"Buffer", true);
  com::Call(Response, u"Clear");

  std::optional<std::filesystem::path> real = RealFile(path);
  if (!real) {
    KesraShowErrorPageWithoutData(Response, kNoSuchFile, p_CloseParent, p_DialogID);
    return;
  }
  const vb::String name = vb::FromUtf8(real->filename().string());
  if (IsRefusedDownloadExtension(DownloadExtension(name)) || IsKeptOnServer(Server, *real)) {
    KesraShowErrorPageWithoutData(Response, kRefusedFile, p_CloseParent, p_DialogID);
    return;
  }
  SendFile(Response, path, name, DownloadContentType(DownloadExtension(name)), true, p_CloseParent, p_DialogID);
}

void SendConfinedFile(vb::Variant& Response, const vb::String& real_path, vb::StringView content_type,
                      bool attachment) {
  com::Let(Response, u"Buffer", true);
  com::Call(Response, u"Clear");
  std::optional<std::filesystem::path> real = RealFile(real_path);
  if (!real) {
    KesraShowErrorPageWithoutData(Response, kNoSuchFile, false, u"");
    return;
  }
  const vb::String name = vb::FromUtf8(real->filename().string());
  if (content_type.empty()) content_type = DownloadContentType(DownloadExtension(name));
  SendFile(Response, real_path, name, content_type, attachment, false, u"");
}

void KesraFileView(vb::Variant& Server, vb::Variant& Response, vb::Variant& Request, vb::String p_CurrentFile,
                   vb::String p_Act, vb::String p_FileTitle) {
  // An address that is no site path (another scheme, a drive) names no file
  // here: the page answers as for a missing one, never with the mapping's error.
  vb::String mapped;
  if (IsPageAddress(p_CurrentFile)) {
    try {
      mapped = vb::CStr(com::ValueOf(com::Call(Server, u"MapPath", p_CurrentFile)));
    } catch (const vb::Error&) {
      mapped.clear();
    }
  }
  if (mapped.empty() || !KesraFolderExist(mapped)) {
    com::Call(Response, u"Write", vb::String(u"<Script language='javascript'>"));
    com::Call(Response, u"Write", vb::String(u"alert('文件不存在!');"));
    com::Call(Response, u"Write", KesraCloseWindowNoMessagebox());
    com::Call(Response, u"Write", vb::String(u"</Script>"));
    com::Call(Response, u"End");
    return;
  }
  const vb::String extension = KesraFileGetExt(p_CurrentFile, 0);
  if (p_FileTitle.empty()) p_FileTitle = KesraFileGetFullName(p_CurrentFile);
  if (p_Act == u"DownLoad") {
    KesraFileDownload(Response, Server, p_CurrentFile, false, u"");
  } else if (p_Act == u"View") {
    com::Call(Response, u"Redirect", ViewAddress(extension, p_CurrentFile, p_FileTitle, OwnAddress(Request, p_CurrentFile)));
  } else {
    com::Call(Response, u"Redirect", OwnAddress(Request, p_CurrentFile));
  }
}

vb::String KesraGetRemotefileUrl(vb::Variant& Server, vb::String p_String, vb::String p_SavefilePath) {
  if (!KesraCheckIsObjInstalled(Server, u"Microsoft.XMLHTTP")) return p_String;
  if (p_SavefilePath.empty() || p_SavefilePath.back() != u'/') p_SavefilePath += u'/';
  regex::RegExp pattern;
  pattern.IgnoreCase(true);
  pattern.Global(true);
  pattern.Pattern(kPictureAddressPattern);
  std::vector<vb::String> addresses;
  const std::shared_ptr<regex::MatchCollection> matches = pattern.Execute(p_String);
  for (const auto& match : matches->Items()) addresses.push_back(match->Value());

  vb::String text = p_String;
  for (const vb::String& address : addresses) {
    if (!fs::IsExistingFolder(MapPathWithoutDrive(Server, p_SavefilePath)))
      vb::Raise(vb::kPathNotFound, u"The folder " + p_SavefilePath + u" does not exist");
    RemotePicture picture = FetchRemotePicture(address);
    if (!picture.bytes) continue;  // one unreachable or refused picture must not fail the whole text
    vb::String copy = SaveNewCopy(Server, p_SavefilePath, address, *picture.bytes);
    text = vb::Replace(text, address, copy);
  }
  return text;
}

void KesraSaveRemoteFile(vb::Variant& Server, vb::String p_LocalFileName, vb::String p_RemoteFileUrl) {
  const vb::String path = MapPathWithoutDrive(Server, p_LocalFileName);
  RemotePicture picture = FetchRemotePicture(p_RemoteFileUrl);
  if (!picture.bytes) vb::Raise(net::kDownloadFailed, picture.error);
  fs::ReplaceFile(path, *picture.bytes);
}

}  // namespace qe
