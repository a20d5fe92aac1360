#include "common/kesra_file_text.h"

#include "common/ansi_form.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "platform/fs/file.h"
#include "platform/fs/search.h"
#include "platform/stream/stream.h"
#include "platform/text/ansi.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace qe {

namespace {

constexpr uint8_t kOverwrite = 2;

stream::Stream TextStream(const vb::String& charset) {
  stream::Stream s;
  s.Mode(stream::adModeReadWrite);
  s.Type(stream::adTypeText);
  s.Charset(charset);
  s.Open();
  return s;
}

}  // namespace

bool KesraSaveToTextFile(vb::String p_FileFullName, vb::String p_String, uint8_t p_SaveModen) {
  vb::String name = AnsiForm(vb::Trim(p_FileFullName));
  vb::String folder = vb::Left(name, vb::InStrRev(name, u"\\"));
  if (!KesraFolderExist(folder)) KesraFolderCreate(folder);
  if (name.empty()) return false;
  try {
    bool overwrite = p_SaveModen == kOverwrite;
    fs::File file = fs::File::Open(name, true, overwrite ? fs::Disposition::kCreateAlways : fs::Disposition::kOpenAlways);
    if (!overwrite) file.SeekToEnd();
    bool written = file.Write(text::EncodeAnsi(p_String));
    return file.Close() && written;
  } catch (const vb::Error&) {
    return false;
  }
}

bool KesraFileCreateEmptyTxt(vb::String p_FileFullName, vb::String p_OverWriteModen) {
  if (vb::LCase(vb::Trim(p_OverWriteModen)) != u"overwrite" && KesraFileExist(p_FileFullName, 0)) return false;
  return KesraSaveToTextFile(p_FileFullName, {}, kOverwrite);
}

vb::String KesraReadFromTextFile(vb::String p_FileFullName) {
  if (!KesraFileExist(p_FileFullName, 0)) return {};
  try {
    return text::DecodeAnsi(fs::ReadAllBytes(AnsiForm(p_FileFullName)));
  } catch (const vb::Error&) {
    return {};
  }
}

vb::String KesraSearchPathFile(vb::String p_SearchPath, int16_t p_SearchType) {
  std::vector<fs::FoundEntry> entries;
  try {
    entries = fs::FindFiles(AnsiForm(p_SearchPath + u"\\*.*"));
  } catch (const vb::Error&) {
    // A path the search cannot take lists nothing.
  }
  vb::String list;
  for (const fs::FoundEntry& entry : entries) {
    if (entry.name == u"." || entry.name == u"..") continue;
    bool keep = p_SearchType == 1 ? (entry.attributes & fs::kAttributeDirectory) != 0
                                  : (entry.attributes & ~uint32_t{fs::kAttributeDirectory}) != 0;
    if (keep) list += u"|" + AnsiForm(entry.name);
  }
  return vb::Mid(vb::Trim(list), 2);
}

vb::String KesraReadTextByStream(vb::Variant& Server, vb::String p_FileName, vb::String p_CharsetType) {
  vb::String path = KesraGetFileRealFullName(Server, p_FileName);
  stream::Stream s = TextStream(p_CharsetType);
  s.LoadFromFile(path);
  vb::String text = s.ReadText();
  s.Close();
  return text;
}

void KesraWritedTextByStream(vb::Variant& Server, vb::String p_TextString, vb::String p_FileName,
                             vb::String p_CharsetType) {
  vb::String path = KesraGetFileRealFullName(Server, p_FileName);
  stream::Stream s = TextStream(p_CharsetType);
  s.WriteText(p_TextString);
  s.SaveToFile(path, stream::adSaveCreateOverWrite);
  s.Close();
}

}  // namespace qe
