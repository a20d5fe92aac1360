#include "common/kesra_file_paths.h"

#include "platform/com/object.h"
#include "platform/vb/strings.h"

namespace qe {

namespace {

bool Holds(vb::StringView text, vb::StringView part) { return text.find(part) != vb::StringView::npos; }

}  // namespace

vb::String KesraFileGetPath(vb::String p_String) {
  vb::String path = vb::Trim(p_String);
  size_t last = path.rfind(Holds(path, u"\\") ? u'\\' : u'/');
  return last == vb::String::npos ? vb::String() : path.substr(0, last + 1);
}

vb::String KesraFileGetFullName(vb::String p_String) {
  vb::String path = vb::Trim(p_String);
  size_t last = path.rfind(Holds(path, u"\\") ? u'\\' : u'/');
  return last == vb::String::npos ? path : path.substr(last + 1);
}

vb::String KesraFileGetName(vb::String p_String) {
  size_t dot = p_String.rfind(u'.');
  return vb::LCase(dot == vb::String::npos ? p_String : p_String.substr(0, dot));
}

vb::String KesraFileGetExt(vb::String p_String, uint8_t p_HasPoint) {
  vb::String path = vb::Trim(p_String);
  int32_t dot = vb::InStrRev(path, u".");
  if (dot == 0) return vb::String();
  return vb::LCase(vb::Right(path, vb::Len(path) - dot + p_HasPoint));
}

vb::String KesraFileGetIcon(vb::String p_FileExt, vb::String p_IconExt, vb::String p_IconType) {
  vb::String icon = Holds(kFileIconList, u"|" + vb::LCase(p_FileExt) + u"|") ? p_FileExt : vb::String(u"unknown");
  if (vb::LCase(p_IconType) == u"big") {
    return u"<img src=../comm/image/fileswt1/" + icon + u"." + p_IconExt + u" border=0 width=35 height=32 title='" +
           p_FileExt + u"' align='absmiddle'>";
  }
  return u"<img src=../comm/image/fileswt/" + icon + u"." + p_IconExt + u" border=0 width=16 height=16 title='" +
         p_FileExt + u"' align='absmiddle'>";
}

vb::String KesraGetFileRealFullName(vb::Variant& Server, vb::String p_FileName) {
  if (Holds(p_FileName, u":/") || Holds(p_FileName, u":\\")) return p_FileName;
  return vb::CStr(com::Call(Server, u"MapPath", p_FileName));
}

vb::String MapPathWithoutDrive(vb::Variant& Server, const vb::String& path) {
  if (path.find(u':') != vb::String::npos) return path;
  return vb::CStr(com::Call(Server, u"MapPath", path));
}

}  // namespace qe
