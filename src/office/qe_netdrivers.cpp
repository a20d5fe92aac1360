#include "office/qe_netdrivers.h"

#include <cmath>
#include <vector>

#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "common/kesra_file_text.h"
#include "common/request_values.h"
#include "office/net_drive.h"
#include "office/net_drive_answers.h"
#include "office/net_drive_space.h"
#include "office/qe_user.h"
#include "platform/asp/context.h"
#include "platform/asp/request.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "platform/vb/numbers.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

using netdrive::AlertAndReturn;
using netdrive::Drive;
using netdrive::RefuseAndGoBack;

constexpr char16_t kRenameOpen[] = u"<Script language='javascript'>";
constexpr char16_t kRenameClose[] = u"</Script>";
constexpr char16_t kBadCommandMessage[] = u"命令参数错误！";
constexpr char16_t kNothingSelectedMessage[] = u"你没有选中任何文件和文件夹哦！";
constexpr char16_t kCopyFailedMessage[] = u"操作失败，请返回重试！";

// The working path of the current folder, as the drive pages build it.
vb::String WorkingPath(const Drive& drive, const vb::String& folder) { return drive.root + u"/" + folder; }

// The real path of the current folder when it is safe and lies in the drive
// (the root included).
std::optional<vb::String> CurrentFolder(vb::Variant& Server, const Drive& drive, const vb::String& folder) {
  if (!netdrive::HasSafeElements(folder)) return std::nullopt;
  return netdrive::MapInside(Server, WorkingPath(drive, folder), drive.real_root, true);
}

vb::String RenameMessage(int16_t code, const vb::String& kind, const vb::String& old_name, const vb::String& new_name) {
  switch (code) {
    case kFileOperationDone: return u"重命名" + kind + u" [" + old_name + u"] 为 [" + new_name + u"] 成功！";
    case kFileSourceMissing:
      return u"重命名" + kind + u" [" + old_name + u"] 失败，" + kind + u"[" + old_name + u"] 不存在！";
    case kFileTargetExists: return u"重命名" + kind + u"[" + old_name + u"] 失败，同名文件或文件夹已存在！";
    default: return u"重命名" + kind + u" [" + old_name + u"] 失败！";
  }
}

// The checked names of a list field, one by one, empty ones left out.
std::vector<vb::String> CheckedNames(vb::Variant& Request, vb::StringView field) {
  std::vector<vb::String> names;
  for (vb::String& name : asp::FormValues(Request, field))
    if (!name.empty()) names.push_back(std::move(name));
  return names;
}

vb::String JoinedByTab(const std::vector<vb::String>& names) {
  vb::String joined;
  for (size_t i = 0; i < names.size(); ++i) joined += (i ? u"\t" : u"") + names[i];
  return joined;
}

void SetSession(vb::Variant& Session, vb::StringView name, const vb::String& value) {
  com::Let(Session, u"", vb::Variant(value), vb::String(name));
}

vb::String FailureMessage(const vb::String& p_Act) {
  if (p_Act == u"DelFolder") return u"文件夹删除失败！";
  if (p_Act == u"DelFile") return u"文件删除失败！";
  if (p_Act == u"CreateFolder") return u"文件夹创建失败！";
  if (p_Act == u"CreateFile") return u"文本文件创建失败！";
  return kBadCommandMessage;
}

}  // namespace

void QeNetDriversReName(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response, vb::Variant& Request,
                        vb::String p_CurrentFolder, vb::String p_Act) {
  std::optional<Drive> drive = netdrive::UserDrive(Server, Session, Response);
  if (!drive) return;
  vb::String old_name = vb::Trim(SubmittedText(Request, u"p_OldName"));
  vb::String new_name = vb::Trim(SubmittedText(Request, u"p_NewName"));
  if (new_name.empty()) {
    RefuseAndGoBack(Response, u"指定的文件（夹）名称不能为空", kRenameOpen, kRenameClose);
    return;
  }
  auto illegal = [](const vb::String& name) { return !netdrive::IsEntryName(name) || vb::InStr(name, u"*") > 0; };
  std::optional<vb::String> folder;
  if (vb::Left(p_CurrentFolder, 1) == u"/" && !illegal(old_name) && !illegal(new_name))
    folder = CurrentFolder(Server, *drive, p_CurrentFolder);
  if (!folder) {
    RefuseAndGoBack(Response, u"指定的路径或文件名称非法", kRenameOpen, kRenameClose);
    return;
  }
  vb::String message;
  if (p_Act != u"ReNameFile" && p_Act != u"ReNameFolder") {
    message = kBadCommandMessage;
  } else {
    bool is_file = p_Act == u"ReNameFile";
    vb::String working = WorkingPath(*drive, p_CurrentFolder);
    std::optional<vb::String> from = netdrive::MapInside(Server, working + u"\\" + old_name, *folder, false);
    std::optional<vb::String> to = netdrive::MapInside(Server, working + u"\\" + new_name, *folder, false);
    int16_t code = kFileOperationFailed;
    if (from && to) code = is_file ? KesraFileRename(*from, *to) : KesraFolderRename(*from, *to);
    message = RenameMessage(code, is_file ? u"文件" : u"文件夹", old_name, new_name);
  }
  AlertAndReturn(Response, message, p_CurrentFolder, kRenameOpen);
}

void QeNetDriversCreateOrDel(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response,
                             vb::Variant& /*Request*/, vb::String p_CurrentFolder, vb::String p_CurrentFile,
                             vb::String p_Act) {
  std::optional<Drive> drive = netdrive::UserDrive(Server, Session, Response);
  if (!drive) return;
  static constexpr char16_t kIllegal[] = u":\\?*";
  auto illegal = [](const vb::String& path) {
    return path.find_first_of(kIllegal) != vb::String::npos || !netdrive::HasSafeElements(path);
  };
  std::optional<vb::String> folder, entry;
  // The entry lies strictly inside the current folder: an empty name or a
  // chain of separators would name the folder itself.
  if (!p_CurrentFolder.empty() && !illegal(p_CurrentFolder) && !p_CurrentFile.empty() && !illegal(p_CurrentFile))
    folder = CurrentFolder(Server, *drive, p_CurrentFolder);
  vb::String entry_path = WorkingPath(*drive, p_CurrentFolder) + p_CurrentFile;
  if (folder) entry = netdrive::MapInside(Server, entry_path, *folder, false);
  if (folder && !entry && netdrive::MapPathRefuses(Server, entry_path)) {
    // A name the platform refuses fails like the file system would.
    AlertAndReturn(Response, FailureMessage(p_Act), p_CurrentFolder);
    return;
  }
  if (!entry) {
    RefuseAndGoBack(Response, netdrive::kIllegalPathMessage);
    return;
  }
  const vb::String& path = *entry;
  const vb::String& name = p_CurrentFile;
  vb::String message;
  if (p_Act == u"DelFolder") {
    if (!KesraFolderExist(path))
      message = u"你要删除的文件夹[" + name + u"]没有找到！";
    else
      message = KesraFolderDelete(path) ? u"文件夹删除成功！" : FailureMessage(p_Act);
  } else if (p_Act == u"DelFile") {
    if (!KesraFileExist(path, 0))
      message = u"你要删除的文件[" + name + u"]没有找到！";
    else
      message = KesraFileDelete(path, false) ? u"文件删除成功！" : FailureMessage(p_Act);
  } else if (p_Act == u"CreateFolder") {
    if (KesraFolderExist(path)) {
      message = u"你要创建的文件夹[" + name + u"]已经存在！";
    } else {
      std::optional<netdrive::DriveSpace> space =
          netdrive::ReserveSpace(Session, Response, *drive, netdrive::NewFolderSpace(path), true);
      if (!space) return;
      message = KesraFolderCreate(path) ? u"文件夹创建成功！" : FailureMessage(p_Act);
    }
  } else if (p_Act == u"CreateFile") {
    if (KesraFileExist(path, 0)) {
      message = u"你要创建的文件[" + name + u"]已经存在！";
    } else {
      std::optional<netdrive::DriveSpace> space =
          netdrive::ReserveSpace(Session, Response, *drive, netdrive::FileSpace(0), true);
      if (!space) return;
      message = KesraFileCreateEmptyTxt(path, u"") ? u"文本文件创建成功！" : FailureMessage(p_Act);
    }
  } else {
    message = kBadCommandMessage;
  }
  AlertAndReturn(Response, message, p_CurrentFolder);
}

void QeNetDriversDelBatch(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response, vb::Variant& Request,
                          vb::String p_CurrentFolder, vb::String p_Act) {
  std::optional<Drive> drive = netdrive::UserDrive(Server, Session, Response);
  if (!drive) return;
  std::optional<vb::String> folder;
  if (p_Act == u"DelBatch" && vb::Left(p_CurrentFolder, 1) == u"/")
    folder = CurrentFolder(Server, *drive, p_CurrentFolder);
  vb::String message = kBadCommandMessage;
  if (folder) {
    vb::String working = WorkingPath(*drive, p_CurrentFolder);
    vb::String left;
    auto delete_each = [&](vb::StringView field, bool folders) {
      for (const vb::String& name : CheckedNames(Request, field)) {
        std::optional<vb::String> path;
        if (netdrive::IsEntryName(name)) path = netdrive::MapInside(Server, working + u"/" + name, *folder, false);
        bool gone = false;
        if (path) {
          if (folders) {
            KesraFolderDelete(*path);
            gone = !KesraFolderExist(*path);
          } else {
            KesraFileDelete(*path, false);
            gone = !KesraFileExist(*path, 0);
          }
        }
        if (!gone) left += u"【" + name + u"】";
      }
    };
    delete_each(u"Folders", true);
    delete_each(u"Files", false);
    message = left.empty() ? vb::String(u"已删除!") : left + u"删除失败!";
  }
  netdrive::Write(Response, u"<script language='javascript'>");
  netdrive::Write(Response, u"alert('" + netdrive::ScriptString(message) + u"');");
  netdrive::Write(Response, u"window.location.href='netdrivers.asp?&p_CurrentFolder=" +
                                netdrive::FolderInAddress(KesraFileGetPath(p_CurrentFolder)) + u"';");
  netdrive::Write(Response, u"</script>");
}

void QeNetDriversCopyCut(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response, vb::Variant& Request,
                         vb::String p_CurrentFolder, vb::String p_Act) {
  std::optional<Drive> drive = netdrive::UserDrive(Server, Session, Response);
  if (!drive) return;
  // A copy is refused once the drive is full; a cut adds nothing to it.
  if (p_Act == u"copy" && !netdrive::ReserveSpace(Session, Response, *drive, 0, true)) return;
  std::optional<vb::String> folder;
  if ((p_Act == u"copy" || p_Act == u"cut") && vb::Left(p_CurrentFolder, 1) == u"/")
    folder = CurrentFolder(Server, *drive, p_CurrentFolder);
  std::vector<vb::String> folders, files;
  if (folder) {
    vb::Variant copy_type = SubmittedValue(Request, u"p_CopyType");
    double type = vb::IsNumeric(copy_type) ? vb::Int(vb::CDbl(copy_type)) : -1;
    if (type == 0) {
      folders = CheckedNames(Request, u"Folders");
      files = CheckedNames(Request, u"files");
    } else if (type == 1 || type == 2) {
      vb::String name = SubmittedText(Request, u"p_CurrentFile");
      if (!name.empty()) (type == 1 ? files : folders).push_back(name);
    }
    for (const auto* list : {&folders, &files})
      for (const vb::String& name : *list)
        if (!netdrive::IsEntryName(name)) folder.reset();
  }
  if (!folder) {
    netdrive::Write(Response, u"<script language='javascript'>");
    netdrive::Write(Response, u"alert('" + vb::String(kCopyFailedMessage) + u"');");
    netdrive::Write(Response, u"</script>");
  } else {
    SetSession(Session, u"folders", JoinedByTab(folders));
    SetSession(Session, u"files", JoinedByTab(files));
    if (folders.empty() && files.empty()) {
      SetSession(Session, u"p_Act", u"");
      SetSession(Session, u"SourceFolder", u"");
      netdrive::Write(Response, u"<script language='javascript'>");
      netdrive::Write(Response, u"alert('" + vb::String(kNothingSelectedMessage) + u"');");
      netdrive::Write(Response, u"</script>");
    } else {
      SetSession(Session, u"p_Act", p_Act);
      SetSession(Session, u"SourceFolder", WorkingPath(*drive, p_CurrentFolder));
    }
  }
  netdrive::Write(Response, u"<script language='javascript'>");
  netdrive::Write(Response, u"window.location.href='netdrivers.asp?p_CurrentFolder=" +
                                netdrive::FolderInAddress(KesraFileGetPath(p_CurrentFolder)) + u"';");
  netdrive::Write(Response, u"</script>");
}

}  // namespace qe
