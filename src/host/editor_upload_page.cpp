#include "host/editor_upload_page.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "host/editor_upload_room.h"
#include "host/page_steps.h"
#include "host/static_files.h"
#include "platform/com/object.h"
#include "platform/fs/file_write.h"
#include "platform/fs/paths.h"
#include "platform/net/remote_fetch.h"
#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"
#include "transfer/kesra_file_upload.h"
#include "transfer/kesra_upload_image.h"
#include "transfer/picture_sniff.h"

namespace host {
namespace {

constexpr char16_t kUploadRoot[] = u"/Data_UploadFiles/";
constexpr double kMegabyte = 1024.0 * 1024.0;
constexpr char16_t kLoginFirst[] = u"请先登录，再上传文件。";
constexpr char16_t kPasswordFirst[] = u"请先设置密码，再上传文件。";
constexpr char16_t kForeignPictureFailed[] = u"远程图片保存失败。";

// The editor gives up on an answer after 15 seconds: the fetch of a foreign
// picture ends early enough for the page to answer before that.
constexpr std::chrono::seconds kForeignPictureDeadline{10};

vb::String RequestValue(Page& page, const char16_t* collection, const char16_t* name) {
  return vb::CStr(com::ValueOf(com::Call(page.Request, collection, vb::String(name))));
}

// A JSON string in ASCII: quotes, backslashes and every character outside
// printable ASCII as escapes, so the answer reads the same in any charset.
vb::String JsonText(vb::StringView text) {
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  vb::String out = u"\"";
  for (char16_t c : text) {
    if (c == u'"' || c == u'\\') {
      out += u'\\';
      out += c;
    } else if (c >= 0x20 && c < 0x7f && c != u'<' && c != u'>' && c != u'&') {
      out += c;
    } else {
      out += u"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xf];
    }
  }
  return out + u"\"";
}

vb::String ErrorEntry(vb::StringView why) { return u"{\"error\":" + JsonText(why) + u"}"; }

vb::String FileEntry(vb::StringView url, vb::StringView name) {
  return u"{\"url\":" + JsonText(url) + u",\"name\":" + JsonText(name) + u"}";
}

vb::String JsonArray(const std::vector<vb::String>& entries) {
  vb::String out = u"[";
  for (size_t i = 0; i < entries.size(); ++i) out += (i ? u"," : u"") + entries[i];
  return out + u"]";
}

// A site address for a link: letters, digits, "-._~/" as they are, every other
// byte of the code page 936 text as %XX, as the server reads paths back.
vb::String AddressOf(vb::StringView path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  vb::String out;
  for (unsigned char byte : text::EncodeAnsi(path)) {
    bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                 byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/';
    if (plain) {
      out += static_cast<char16_t>(byte);
    } else {
      out += u'%';
      out += static_cast<char16_t>(kHex[byte >> 4]);
      out += static_cast<char16_t>(kHex[byte & 0xf]);
    }
  }
  return out;
}

// The folder the client named: "/Data_UploadFiles/" (any letter case) and one
// plain folder name, or nothing after it. Nothing for any other path.
std::optional<vb::String> UploadFolderName(const vb::String& requested) {
  const vb::String root = kUploadRoot;
  if (requested.size() < root.size() || !vb::EqualsNoCase(requested.substr(0, root.size()), root))
    return std::nullopt;
  vb::String name = requested.substr(root.size());
  if (name.empty()) return name;
  if (name.size() > 64 || name == u"." || name == u".." || name.back() == u'.' || name.back() == u' ' ||
      name.front() == u' ')
    return std::nullopt;
  for (char16_t c : name)
    if (c < 0x20 || c == 0x7f || vb::String(u"/\\:*?\"<>|").find(c) != vb::String::npos) return std::nullopt;
  if (IsPrivateUploadFolderName(name)) return std::nullopt;
  return name;
}

vb::String RealPath(Page& page, vb::StringView site_path) {
  return vb::CStr(com::ValueOf(com::Call(page.Server, u"MapPath", vb::String(site_path))));
}

vb::String RoomFullText(const EditorUploadRoom& room) {
  return u"上传空间已满（共" + vb::CStr(vb::Variant(static_cast<double>(room.SizeMb()))) + u"MB），请联系管理员。";
}

// What making the folder would take of the room: a block when it is missing.
uint64_t NewFolderRoom(const vb::String& real_folder) {
  return fs::IsExistingFolder(real_folder) ? 0 : EditorUploadRoom::kFolderRoom;
}

// Makes the folder when it is missing; what that took of the room. A folder
// that cannot be made takes nothing: the saves into it fail and say so.
uint64_t MakeFolder(const vb::String& real_folder) {
  try {
    return fs::CreateFolderWithParents(real_folder) ? EditorUploadRoom::kFolderRoom : 0;
  } catch (const vb::Error&) {
    return 0;
  }
}

uint64_t SizeOnDisk(const vb::String& real_name) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(fs::ToHostPath(real_name), error);
  return error ? 0 : size;
}

// CommFileUpload's report ("Success|client name|saved name|size$" or
// "Error|why$" per file, then "#" and field values) as the editor's array;
// the room of the files saved added to `written`.
vb::String DialogAnswer(const vb::String& report, const vb::String& folder_address, uint64_t& written) {
  std::vector<vb::String> entries;
  vb::String items = report.substr(0, report.find(u'#'));
  for (const vb::String& item : vb::SplitParts(items, u"$")) {
    if (item.empty()) continue;
    std::vector<vb::String> fields = vb::SplitParts(item, u"|");
    if (fields[0] == u"Success" && fields.size() >= 3) {
      entries.push_back(FileEntry(AddressOf(folder_address + fields[2]), fields[1]));
      double size = 0;
      if (fields.size() < 4 || !vb::ParseNumber(fields[3], size)) size = 0;
      written += EditorUploadRoom::FileRoom(size);
    } else {
      entries.push_back(ErrorEntry(fields.size() > 1 ? fields[1] : item));
    }
  }
  return JsonArray(entries);
}

// The dialogs' files, saved as CommFileUpload saves them; the room is taken
// once the body shows how many files it holds and how large, before any of
// them, or their folder, is written.
vb::String DialogUpload(Page& page, EditorUploadRoom& room, const vb::String& kind) {
  std::optional<vb::String> name = UploadFolderName(RequestValue(page, u"QueryString", u"SaveUpFilesPath"));
  if (!name) return JsonArray({ErrorEntry(u"不允许上传到该文件夹。")});
  vb::String folder = kUploadRoot + *name;
  vb::String address = folder.back() == u'/' ? folder : folder + u"/";
  const vb::String real_folder = RealPath(page, folder);
  std::optional<EditorUploadRoom::Reservation> reserved;
  auto admit = [&](const std::vector<double>& sizes) -> vb::String {
    uint64_t needed = NewFolderRoom(real_folder);
    for (double size : sizes) needed += EditorUploadRoom::FileRoom(size);
    reserved.emplace(room, needed);
    if (!*reserved) return RoomFullText(room);
    reserved->Wrote(MakeFolder(real_folder));
    return {};
  };
  bool pictures = kind == u"pic";
  // The editor sends its files as a script's form data, whose names are UTF-8
  // whatever the page's own character set.
  vb::String report = qe::KesraFileUploadAdmitted(
      page.Server, page.Request, kind, pictures ? kPictureTotalMb : kAttachmentTotalMb,
      pictures ? kPictureSingleMb : kAttachmentSingleMb, folder, 0, true, vb::String(), u"utf-8", admit);
  uint64_t written = 0;
  vb::String answer = DialogAnswer(report, address, written);
  if (reserved && *reserved) reserved->Wrote(written);
  return answer;
}

// The one folder of pasted and foreign pictures, on disk, with its separator.
vb::String PictureFolderOnDisk(Page& page) {
  vb::String real_folder = RealPath(page, kPastedPictureFolder);
  return real_folder.ends_with(u"\\") ? real_folder : real_folder + u"\\";
}

enum class Saving { kSaved, kNameTaken, kFailed };

// Saves under a new generated name with `extension` in the folder, with
// another name when the one tried is taken (names made within one second
// share their first 14 digits), a few times at most. The name saved under,
// or nothing when saving failed.
std::optional<vb::String> SaveUnderNewName(vb::Variant& qe, const vb::String& real_folder, const vb::String& extension,
                                           const std::function<Saving(const vb::String& real_name)>& save) {
  constexpr int kNameTries = 8;
  for (int tries = 0; tries < kNameTries; ++tries) {
    const vb::String name = vb::CStr(com::ValueOf(com::Call(qe, u"CommFileGetRndName"))) + extension;
    switch (save(real_folder + name)) {
      case Saving::kSaved: return name;
      case Saving::kNameTaken: continue;
      case Saving::kFailed: return std::nullopt;
    }
  }
  return std::nullopt;
}

// A pasted picture: the first part "file[]", kept when its bytes are a
// picture, under a new name with that picture's extension. It takes its room
// by the size of its whole request, which holds it.
vb::String PastedPicture(Page& page, vb::Variant& qe, EditorUploadRoom& room) {
  double total = vb::CDbl(com::ValueOf(com::Call(page.Request, u"TotalBytes")));
  if (total > kPastedPictureMb * kMegabyte)
    return JsonArray({ErrorEntry(u"图片太大，粘贴的图片不能超过" + vb::CStr(vb::Variant(kPastedPictureMb)) + u"MB。")});
  const vb::String real_folder = PictureFolderOnDisk(page);
  EditorUploadRoom::Reservation reserved(room, EditorUploadRoom::FileRoom(total) + NewFolderRoom(real_folder));
  if (!reserved) return JsonArray({ErrorEntry(RoomFullText(room))});
  vb::Variant upload = com::Call(page.Server, u"CreateObject", vb::String(u"QE.Kesra_UploadImage"));
  vb::Variant part = com::Call(upload, u"binrequest", vb::String(u"file[]"), int32_t{0});
  vb::Variant width, height, type, size, bits;
  bool picture = vb::CBool(com::ValueOf(com::Call(part, u"IsImage", width, height, type, size, bits)));
  if (!picture) return JsonArray({ErrorEntry(u"粘贴的内容不是图片。")});

  reserved.Wrote(MakeFolder(real_folder));
  std::optional<vb::String> file_name =
      SaveUnderNewName(qe, real_folder, u"." + vb::LCase(vb::CStr(com::ValueOf(type))), [&](const vb::String& real_name) {
        const int32_t saved = vb::CLng(com::ValueOf(
            com::Call(upload, u"SavetoFile", vb::String(u"file[]"), int32_t{0}, real_name, false)));
        return saved == qe::kImageSaved ? Saving::kSaved
               : saved == qe::kImageFileExists ? Saving::kNameTaken : Saving::kFailed;
      });
  if (!file_name) return JsonArray({ErrorEntry(u"图片保存失败。")});
  reserved.Wrote(EditorUploadRoom::FileRoom(static_cast<double>(SizeOnDisk(real_folder + *file_name))));
  return JsonArray({FileEntry(AddressOf(kPastedPictureFolder + *file_name), *file_name)});
}

// The picture kind of a saved file's first bytes, in lower case; nothing when
// they are no picture.
std::optional<vb::String> SavedPictureType(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string head(64 * 1024, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  std::optional<qe::PictureInfo> picture = qe::SniffPicture(head);
  if (!picture) return std::nullopt;
  return vb::LCase(picture->type);
}

// A foreign picture address ("qeEditor-img"): fetched through
// CommSaveRemoteFile (public http and https addresses only, a picture only,
// size-limited) into the pictures' folder, named like a pasted picture by the
// kind its bytes show. One object, {"url"} or {"error"}.
vb::String ForeignPicture(Page& page, vb::Variant& qe, EditorUploadRoom& room) {
  const vb::String real_folder = PictureFolderOnDisk(page);
  // A fetch takes at most its limit, whatever the request holds.
  EditorUploadRoom::Reservation reserved(
      room, EditorUploadRoom::FileRoom(static_cast<double>(net::FetchLimits{}.max_bytes)) + NewFolderRoom(real_folder));
  if (!reserved) return ErrorEntry(RoomFullText(room));
  reserved.Wrote(MakeFolder(real_folder));
  vb::String address = RequestValue(page, u"Form", u"qeEditor-img");
  vb::String stem = vb::CStr(com::ValueOf(com::Call(qe, u"CommFileGetRndName")));
  vb::String real_stem = real_folder + stem;
  std::filesystem::path fetched = fs::ToHostPath(real_stem);
  try {
    net::FetchDeadline deadline(kForeignPictureDeadline);
    com::Call(qe, u"CommSaveRemoteFile", page.Server, real_stem, address);
  } catch (const vb::Error&) {
    return ErrorEntry(kForeignPictureFailed);
  }
  // The fetch took only a picture; its kind names the file, linked only under
  // a name no file has: a rename would replace a picture named in the same second.
  std::optional<vb::String> type = SavedPictureType(fetched);
  std::optional<vb::String> file_name;
  if (type) {
    file_name = SaveUnderNewName(qe, real_folder, u"." + *type, [&](const vb::String& real_name) {
      const std::filesystem::path name = fs::ToHostPath(real_name);
      if (::link(fetched.c_str(), name.c_str()) == 0) return Saving::kSaved;
      return errno == EEXIST ? Saving::kNameTaken : Saving::kFailed;
    });
  }
  std::error_code error;
  std::filesystem::remove(fetched, error);
  if (!file_name) return ErrorEntry(kForeignPictureFailed);
  reserved.Wrote(EditorUploadRoom::FileRoom(static_cast<double>(SizeOnDisk(real_folder + *file_name))));
  return u"{\"url\":" + JsonText(AddressOf(kPastedPictureFolder + *file_name)) + u"}";
}

void Answer(Page& page, const vb::String& json) {
  com::Let(page.Response, u"ContentType", vb::String(u"application/json"));
  com::Call(page.Response, u"Write", json);
}

void Refuse(Page& page, const char16_t* status, const char16_t* why) {
  com::Let(page.Response, u"Status", vb::String(status));
  Answer(page, ErrorEntry(why));
}

}  // namespace

void EditorUploadPage(Page& page) {
  if (RequestValue(page, u"ServerVariables", u"REQUEST_METHOD") != u"POST")
    return Refuse(page, u"405 Method Not Allowed", u"只接受编辑器的上传。");
  if (RequestValue(page, u"ServerVariables", u"HTTP_X_REQUESTED_WITH") != u"XMLHttpRequest")
    return Refuse(page, u"403 Forbidden", u"只接受编辑器的上传。");
  vb::Variant qe = com::Call(page.Server, u"CreateObject", vb::String(u"QE.QeCls"));
  com::Call(qe, u"CommCheckPost", page.Request, page.Response);
  if (page.Ended() || !MainDatabaseReady(page, qe)) return;

  vb::String content_type = vb::LCase(RequestValue(page, u"ServerVariables", u"HTTP_CONTENT_TYPE"));
  const bool foreign_picture = content_type.starts_with(u"application/x-www-form-urlencoded");
  // Refused in the editor's own answer (an object for a foreign picture, an
  // array of entries for files), which the editor shows to its user: an
  // error page or a redirect would reach the editor as an answer it cannot
  // read. The site's login step decides.
  auto answer = [&](const vb::String& entry) { Answer(page, foreign_picture ? entry : JsonArray({entry})); };
  switch (StandingOfUser(page)) {
    case UserStanding::kNotLoggedIn: return answer(ErrorEntry(kLoginFirst));
    case UserStanding::kPasswordEmpty: return answer(ErrorEntry(kPasswordFirst));
    case UserStanding::kAdmitted: break;
  }
  // Each kind takes its part of the room before it writes anything.
  std::shared_ptr<EditorUploadRoom> room =
      EditorUploadRoom::Of(page.Application, fs::ToHostPath(RealPath(page, kUploadRoot)));
  vb::String kind = vb::LCase(RequestValue(page, u"QueryString", u"DialogType"));
  vb::String query = RequestValue(page, u"ServerVariables", u"QUERY_STRING");
  if (foreign_picture) Answer(page, ForeignPicture(page, qe, *room));
  else if (kind == u"all" || kind == u"pic") Answer(page, DialogUpload(page, *room, kind));
  else if (query.empty()) Answer(page, PastedPicture(page, qe, *room));
  else Answer(page, JsonArray({ErrorEntry(u"不支持该上传类型。")}));
}

}  // namespace host
