#pragma once
// "Scripting.FileSystemObject": the members that the component and its pages
// use, on the path model (fs/paths.h, fs/full_path.h).
//
// Existence tests take names literally; DeleteFile, DeleteFolder and
// CopyFile accept the wildcards "*" and "?" in the last name of their source,
// as Windows does. Errors are the run-time's: 53 file not found, 76 path not
// found, 58 file already exists, 70 permission denied (a read-only entry
// without `force`), 5 for a bad argument.
#include <memory>

#include "platform/fs/fso_items.h"

namespace scripting {

// GetSpecialFolder's folders.
enum SpecialFolder : int32_t { kWindowsFolder = 0, kSystemFolder = 1, kTemporaryFolder = 2 };

class FileSystemObject : public com::Dispatch<FileSystemObject> {
 public:
  static const com::MemberTable<FileSystemObject>& Members();
  String TypeName() const override { return u"FileSystemObject"; }

  // C:\Windows, C:\Windows\System32 or C:\Windows\Temp, made when the drive
  // is mapped and the folder is missing (every Windows machine has them).
  std::shared_ptr<Folder> GetSpecialFolder(int32_t which) const;
  bool FileExists(StringView path) const;
  bool FolderExists(StringView path) const;
  std::shared_ptr<File> GetFile(StringView path) const;
  std::shared_ptr<Folder> GetFolder(StringView path) const;
  std::shared_ptr<Folder> CreateFolder(StringView path) const;
  void DeleteFile(StringView path_spec, bool force) const;
  void DeleteFolder(StringView path_spec, bool force) const;
  // A destination ending in a separator, or naming a folder, receives the
  // files under their own names.
  void CopyFile(StringView source, StringView destination, bool overwrite) const;
  void MoveFile(StringView source, StringView destination) const;
};

// Registers "Scripting.FileSystemObject" for CreateObject.
void RegisterClasses();

}  // namespace scripting
