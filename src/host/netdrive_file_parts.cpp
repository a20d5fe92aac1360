#include "host/netdrive_file_parts.h"

#include "common/kesra_error_page.h"
#include "common/kesra_file_operations.h"
#include "common/markup_encode.h"
#include "common/request_values.h"
#include "platform/com/object.h"
#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

constexpr char16_t kNoSuchFile[] = u"文件不存在！";

// The length of the longest prefix of whole UTF-8 sequences, or npos when
// the bytes are not UTF-8 (a sequence only cut by the end is not a fault).
size_t Utf8Length(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || (length == 2 && c < 0xC2) || (length == 4 && c > 0xF4)) return std::string_view::npos;
    if (i + length > bytes.size()) {
      for (size_t k = i + 1; k < bytes.size(); ++k)
        if ((static_cast<unsigned char>(bytes[k]) & 0xC0) != 0x80) return std::string_view::npos;
      return i;
    }
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return std::string_view::npos;
    i += length;
  }
  return i;
}

}  // namespace

std::optional<DriveFile> RequestedDriveFile(Page& page) {
  std::optional<qe::netdrive::Drive> drive = qe::netdrive::UserDrive(page.Server, page.Session, page.Response);
  if (!drive) return std::nullopt;
  String path = qe::SubmittedText(page.Request, u"p_CurrentFile");
  if (!path.starts_with(u'/')) path.insert(0, u"/");
  String name = path.substr(path.find_last_of(u"/\\") + 1);
  std::optional<String> real;
  if (qe::netdrive::HasSafeElements(path) && qe::netdrive::IsEntryName(name))
    real = qe::netdrive::MapInside(page.Server, drive->root + path, drive->real_root, false);
  if (!real || !qe::KesraFileExist(*real, 0)) {
    qe::KesraShowErrorPageWithoutData(page.Response, kNoSuchFile, false, u"");
    return std::nullopt;
  }
  return DriveFile{*drive, path, *real, name};
}

std::optional<DriveFolderPlace> RequestedDriveFolder(Page& page, const String& folder) {
  std::optional<qe::netdrive::Drive> drive = qe::netdrive::UserDrive(page.Server, page.Session, page.Response);
  if (!drive) return std::nullopt;
  String path = folder;
  if (!path.starts_with(u'/')) path.insert(0, u"/");
  if (!path.ends_with(u'/')) path += u"/";
  std::optional<String> real;
  if (qe::netdrive::HasSafeElements(path))
    real = qe::netdrive::MapInside(page.Server, drive->root + path, drive->real_root, true);
  if (!real || !qe::KesraFolderExist(*real)) {
    qe::KesraShowErrorPageWithoutData(page.Response, qe::netdrive::kIllegalPathMessage, false, u"");
    return std::nullopt;
  }
  return DriveFolderPlace{*drive, drive->root + path, *real};
}

String PictureContentType(const qe::PictureInfo& picture) {
  String type = vb::LCase(picture.type);
  return u"image/" + (type == u"jpg" ? String(u"jpeg") : type);
}

String ShownText(std::string_view bytes) {
  String text;
  if (size_t length = Utf8Length(bytes); length != std::string_view::npos) {
    std::string_view whole = bytes.substr(0, length);
    if (whole.starts_with("\xEF\xBB\xBF")) whole.remove_prefix(3);
    text = vb::FromUtf8(whole);
  } else {
    text = text::DecodeAnsi(bytes);
  }
  String shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < 0x80) {
      switch (c) {
        case u'<': shown += u"&lt;"; break;
        case u'>': shown += u"&gt;"; break;
        case u'&': shown += u"&amp;"; break;
        default: shown.push_back(c);
      }
      continue;
    }
    uint32_t code = c;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      code = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    shown += u"&#" + vb::FromUtf8(std::to_string(code)) + u";";
  }
  return shown;
}

}  // namespace host
