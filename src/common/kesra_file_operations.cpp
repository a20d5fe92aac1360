#include "common/kesra_file_operations.h"

#include <optional>

#include "common/ansi_form.h"
#include "platform/com/object.h"
#include "platform/fs/file_operation.h"
#include "platform/fs/folders.h"
#include "platform/fs/full_path.h"
#include "platform/fs/search.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace qe {

namespace {

// Where the site keeps what users upload: the only folder whose images an
// article may take with it when it is deleted.
constexpr char16_t kUploadFolder[] = u"/Data_UploadFiles";

// The operation's list: each name followed by a NUL; the text's end is the second.
vb::String NulList(vb::StringView list) {
  vb::String joined;
  for (const vb::String& piece : vb::SplitParts(list, u"|")) {
    joined += piece;
    joined += u'\0';
  }
  return joined;
}

// The entry that a directory search finds for the name, or none (errors too).
std::optional<fs::FoundEntry> Search(vb::StringView name, uint32_t mask) {
  try {
    std::optional<fs::FoundEntry> entry = fs::FindEntry(AnsiForm(name));
    if (entry && fs::MatchesAttributeMask(entry->attributes, mask)) return entry;
  } catch (const vb::Error&) {
  }
  return std::nullopt;
}

int16_t Outcome(bool done) { return done ? kFileOperationDone : kFileOperationFailed; }

template <class Exists>
int16_t CopyMove(const vb::String& source, const vb::String& destination, const vb::String& copy_mode,
                 const vb::String& overwrite_mode, Exists exists) {
  if (!exists(source)) return kFileSourceMissing;
  if (vb::LCase(overwrite_mode) != u"overwrite" && exists(destination)) return kFileTargetExists;
  return Outcome(KesraShellFileOperation(source, destination, vb::LCase(copy_mode) == u"copy" ? fs::kFoCopy : fs::kFoMove));
}

template <class Exists>
int16_t Rename(const vb::String& from, const vb::String& to, Exists exists) {
  if (!exists(from)) return kFileSourceMissing;
  if (exists(to)) return kFileTargetExists;
  return Outcome(KesraShellFileOperation(from, to, fs::kFoRename));
}

bool IsOrdinaryFile(const vb::String& name) { return KesraFileExist(name, 0); }

// True when the real path lies inside the folder (both normalised, case ignored).
bool LiesIn(const vb::String& path, const vb::String& folder) {
  try {
    vb::String inside = vb::LCase(fs::FullPath(path));
    vb::String prefix = vb::LCase(fs::FullPath(folder)) + u"\\";
    return inside.size() > prefix.size() && inside.compare(0, prefix.size(), prefix) == 0;
  } catch (const vb::Error&) {
    return false;
  }
}

vb::String MapPath(vb::Variant& Server, const vb::String& path) { return vb::CStr(com::Call(Server, u"MapPath", path)); }

}  // namespace

bool KesraShellFileOperation(vb::String p_Source, vb::String p_Destination, int16_t p_Function) {
  fs::FileOperation operation;
  operation.function = static_cast<uint16_t>(p_Function);
  operation.from = AnsiForm(NulList(p_Source));
  operation.to = AnsiForm(p_Function == fs::kFoDelete ? p_Destination : NulList(p_Destination));
  operation.flags = fs::kFofMultiDestFiles | fs::kFofSilent | fs::kFofNoConfirmation | fs::kFofNoErrorUi;
  return fs::SHFileOperation(operation) == 0;
}

bool KesraFolderExist(vb::String p_FolderName) { return Search(p_FolderName, fs::kAttributeDirectory).has_value(); }

bool KesraFolderCreate(vb::String p_FolderName) {
  vb::String name = vb::Trim(p_FolderName);
  if (name.empty() || name.back() != u'\\') name += u'\\';
  try {
    return fs::MakeSureDirectoryPathExists(AnsiForm(name));
  } catch (const vb::Error&) {
    return false;
  }
}

bool KesraFolderDelete(vb::String p_FolderName) {
  if (!KesraFolderExist(p_FolderName)) return true;
  return KesraShellFileOperation(p_FolderName, {}, fs::kFoDelete);
}

int16_t KesraFolderRename(vb::String p_FolderNameOld, vb::String p_FolderNameNew) {
  return Rename(p_FolderNameOld, p_FolderNameNew, KesraFolderExist);
}

int16_t KesraFolderCopyMove(vb::String p_FolderNameSource, vb::String p_FolderNameDestination,
                            vb::String p_CopyMoveModen, vb::String p_OverWriteModen) {
  return CopyMove(p_FolderNameSource, p_FolderNameDestination, p_CopyMoveModen, p_OverWriteModen, KesraFolderExist);
}

bool KesraFileExist(vb::String p_FileName, int16_t p_Attributes) {
  return Search(p_FileName, static_cast<uint16_t>(p_Attributes)).has_value();
}

int16_t KesraFileRename(vb::String p_FileNameOld, vb::String p_FileNameNew) {
  return Rename(p_FileNameOld, p_FileNameNew, IsOrdinaryFile);
}

bool KesraFileDelete(vb::String p_FileName, bool) {
  if (!KesraFileExist(p_FileName, 0)) return true;
  return KesraShellFileOperation(p_FileName, {}, fs::kFoDelete);
}

int16_t KesraFileCopyMove(vb::String p_FileNameSource, vb::String p_FileNameDestination, vb::String p_CopyMoveModen,
                          vb::String p_OverWriteModen) {
  return CopyMove(p_FileNameSource, p_FileNameDestination, p_CopyMoveModen, p_OverWriteModen, IsOrdinaryFile);
}

int32_t KesraFileGetSize(vb::String p_FileName) {
  std::optional<fs::FoundEntry> file = Search(p_FileName, 0);
  return file ? static_cast<int32_t>(static_cast<uint32_t>(file->size)) : 0;
}

bool KesraFileDeleteImage(vb::Variant& Server, vb::String p_String) {
  bool result = true;
  std::optional<vb::String> uploads;
  try {
    uploads = MapPath(Server, kUploadFolder);
  } catch (const vb::Error&) {
    result = false;
  }
  std::vector<vb::String> pieces = vb::SplitParts(p_String, u"<img src='");
  for (size_t i = 1; i < pieces.size(); ++i) {
    size_t end = pieces[i].find(u"'>");
    if (end == vb::String::npos) {  // no image named here
      result = false;
      continue;
    }
    vb::String path = pieces[i].substr(0, end);
    try {
      if (path.find(u':') == vb::String::npos) path = MapPath(Server, path);
    } catch (const vb::Error&) {
      result = false;
      continue;
    }
    // Anything outside the upload folder (the database, the pages) stays.
    if (uploads && LiesIn(path, *uploads)) KesraFileDelete(path, true);
  }
  return result;
}

}  // namespace qe
