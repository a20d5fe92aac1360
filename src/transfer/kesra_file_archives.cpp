#include "transfer/kesra_file_archives.h"

#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "page/kesra_opener_refresh.h"
#include "platform/com/registry.h"
#include "platform/sys/environ.h"
#include "platform/vb/strings.h"
#include "transfer/kesra_class_zip.h"

namespace qe {

namespace {

constexpr char16_t kDone[] = u"操作成功";
constexpr char16_t kFailed[] = u"操作失败";
constexpr uint8_t kCloseWindow = 1;
constexpr int32_t kNormalWindow = 1;

vb::String Result(bool done) { return KesraOpenerEditRefresh(done ? kDone : kFailed, kCloseWindow); }

vb::String MapPath(vb::Variant& Server, const vb::String& path) {
  return vb::CStr(com::ValueOf(com::Call(Server, u"MapPath", path)));
}

vb::String SingleSeparators(const vb::String& path) { return vb::Replace(path, u"\\\\", u"\\"); }

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// p_File comes from the page's query and goes between quotes on a command
// line and into paths: it must name something inside the folder. A quote
// would end the quoted argument; a control character has no place in a name;
// a drive, a leading separator or a name of dots ("..") would leave the
// folder, to another user's files.
bool NamesSomethingInside(vb::StringView name) {
  if (vb::Trim(name).empty() || IsSeparator(name.front())) return false;
  for (char16_t c : name) {
    if (c == u'"' || c == u':' || c < 0x20 || c == 0x7F) return false;
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    vb::StringView part = name.substr(start, end - start);
    if (!part.empty() && part.find_first_not_of(u". ") == vb::StringView::npos) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

vb::String KesraUnZipWithRar(vb::Variant& Server, vb::String p_Path, vb::String p_File, vb::String p_Act) {
  if (!NamesSomethingInside(p_File)) return Result(false);
  vb::String command_spec = sys::Environ(u"ComSpec");
  vb::String interpreter_folder = KesraFileGetPath(command_spec);
  vb::String interpreter_name = KesraFileGetFullName(command_spec);
  vb::String web_root = MapPath(Server, u"/");
  if (KesraFileExist(web_root + interpreter_name, 0)) interpreter_folder = web_root;
  vb::String rar_folder = KesraFileExist(MapPath(Server, u"/rar.exe"), 0) ? web_root
                                                                           : sys::Environ(u"SystemDrive") + u"\\";
  p_Path = MapPath(Server, p_Path);

  const vb::String interpreter = interpreter_folder + u"\\" + interpreter_name;
  const vb::String quote = u"\"";
  vb::String line;
  if (vb::LCase(p_Act) == u"unzip") {
    line = interpreter + u" /c  " + rar_folder + u"\\rar.exe x  -r -o+ -p- " + quote + p_Path + u"\\" + p_File +
           quote + u" " + quote + p_Path + quote;
  } else {
    vb::String archive = p_Path + u"\\" + KesraFileGetName(p_File) + u".rar";
    line = interpreter + u" /c  " + rar_folder + u"\\rar.exe a -ep1 -r -t -o+ " + quote + archive + quote + u" " +
           quote + p_Path + u"\\" + p_File + quote;
  }
  vb::Variant shell(com::CreateObject(u"WScript.Shell"));
  int32_t exit_code = vb::CLng(com::ValueOf(com::Call(shell, u"run", line, kNormalWindow, true)));
  shell = vb::Variant::Nothing();
  return Result(exit_code == 0);
}

vb::String KesraUnZipWithXceedZip(vb::Variant& Server, vb::String p_Path, vb::String p_File, vb::String p_Act) {
  if (!NamesSomethingInside(p_File)) return Result(false);
  p_Path = MapPath(Server, p_Path);
  Kesra_Class_Zip zip;
  vb::String act = vb::LCase(p_Act);
  bool done = false;
  if (act == u"zipfile") {
    vb::String archive = SingleSeparators(p_Path + u"\\" + KesraFileGetName(p_File) + u".RAR");
    done = zip.CompressFile(p_Path, p_File, archive, u"");
  } else if (act == u"zipfolder") {
    vb::String archive = SingleSeparators(p_Path + u"\\" + KesraFileGetName(p_File) + u".RAR");
    done = zip.CompressFile(SingleSeparators(p_Path + u"\\" + p_File), u"*.*", archive, u"");
  } else if (act == u"unzip") {
    done = zip.UnCompressFile(SingleSeparators(p_Path + u"\\" + p_File), p_Path, false, u"", u"");
  }
  return Result(done);
}

}  // namespace qe
