#include "transfer/download_headers.h"

#include <utility>

namespace qe {
namespace {

// Tested in this order; jpg and jpeg, mpg and mpeg share a type.
constexpr std::pair<vb::StringView, vb::StringView> kContentTypes[] = {
    {u"asf", u"video/x-ms-asf"},
    {u"avi", u"video/avi"},
    {u"rm", u"application/vnd.rn-realmedia"},
    {u"doc", u"application/vnd.ms-word"},
    {u"zip", u"application/zip"},
    {u"xls", u"application/vnd.ms-excel"},
    {u"gif", u"image/gif"},
    {u"jpg", u"image/jpeg"},
    {u"jpeg", u"image/jpeg"},
    {u"wav", u"audio/wav"},
    {u"mp3", u"audio/mpeg3"},
    {u"mp4", u"video/mp4"},
    {u"mpg", u"video/mpeg"},
    {u"mpeg", u"video/mpeg"},
    {u"rtf", u"application/rtf"},
    {u"htm", u"text/html"},
    {u"html", u"text/html"},
    {u"txt", u"text/plain"},
};

// The server-script kinds the download always refused, and the databases
// (Access files in every version, their lock files) and settings files that
// a path could otherwise name anywhere on the site.
constexpr vb::StringView kRefusedExtensions[] = {u"asp", u"asa",   u"aspx",   u"asax", u"php",
                                                 u"mdb", u"accdb", u"ldb",    u"laccdb",
                                                 u"inc", u"config", u"ini"};

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Characters that old clients read as the end of the name or of the header.
bool NeedsExtendedName(char16_t c) {
  return c > 0x7E || c == u' ' || c == u';' || c == u',' || c == u'"' || c == u'\'';
}

bool StaysInExtendedName(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

}  // namespace

vb::StringView DownloadContentType(vb::StringView extension) {
  for (const auto& [known, type] : kContentTypes)
    if (extension == known) return type;
  return u"application/octet-stream";
}

bool IsRefusedDownloadExtension(vb::StringView extension) {
  for (vb::StringView refused : kRefusedExtensions)
    if (extension == refused) return true;
  return false;
}

vb::String AttachmentDisposition(vb::StringView name, vb::StringView head) {
  vb::String clean;
  bool extended = false;
  for (char16_t c : name) {
    if (IsControl(c)) continue;
    clean.push_back(c);
    extended = extended || NeedsExtendedName(c);
  }
  if (!extended) return vb::String(head) + clean;
  // A raw "," makes Chromium see two dispositions and refuse the download.
  vb::String legacy = clean;
  for (char16_t& c : legacy)
    if (c == u';' || c == u'"' || c == u',') c = u'_';
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  vb::String encoded;
  for (unsigned char byte : vb::ToUtf8(clean)) {
    if (StaysInExtendedName(byte)) {
      encoded.push_back(byte);
      continue;
    }
    encoded.push_back(u'%');
    encoded.push_back(kHex[byte >> 4]);
    encoded.push_back(kHex[byte & 0xF]);
  }
  return vb::String(head) + legacy + u"; filename*=UTF-8''" + encoded;
}

}  // namespace qe
