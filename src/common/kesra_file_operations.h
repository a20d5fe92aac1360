#pragma once
// Tests for files and folders, and creating, deleting, renaming, copying and
// moving them through the shell's file operation.
//
// Rename, copy and move answer a code: 0 done, 1 the shell operation failed,
// 2 the source does not exist, 3 the target exists (and, for copy and move,
// overwriting was not asked for).
#include "platform/vb/variant.h"

namespace qe {

enum FileOperationCode : int16_t {
  kFileOperationDone = 0,
  kFileOperationFailed = 1,
  kFileSourceMissing = 2,
  kFileTargetExists = 3,
};

// The shell's operation (1 move, 2 copy, 3 delete, 4 rename) on "|"-joined
// lists, silently, the n-th destination for the n-th source; true when it
// succeeded.
bool KesraShellFileOperation(vb::String p_Source, vb::String p_Destination, int16_t p_Function);

// True when a folder of that name exists, or a plain file does (a search with
// the directory attribute finds both). Names are literal; any error is false.
bool KesraFolderExist(vb::String p_FolderName);
// Creates every missing folder of the chain; false when one cannot be made.
bool KesraFolderCreate(vb::String p_FolderName);
// Deletes the folder with everything in it; true when it was not there.
bool KesraFolderDelete(vb::String p_FolderName);
int16_t KesraFolderRename(vb::String p_FolderNameOld, vb::String p_FolderNameNew);
// "copy" copies, any other mode moves; "overwrite" (any case) merges into an
// existing destination.
int16_t KesraFolderCopyMove(vb::String p_FolderNameSource, vb::String p_FolderNameDestination,
                            vb::String p_CopyMoveModen, vb::String p_OverWriteModen);

// True when a search with the attribute mask finds the name (mask 0: an
// ordinary file). Names are literal; any error is false.
bool KesraFileExist(vb::String p_FileName, int16_t p_Attributes);
int16_t KesraFileRename(vb::String p_FileNameOld, vb::String p_FileNameNew);
// Deletes the file; true when it was not there. The flag is not used.
bool KesraFileDelete(vb::String p_FileName, bool p_Flag);
int16_t KesraFileCopyMove(vb::String p_FileNameSource, vb::String p_FileNameDestination, vb::String p_CopyMoveModen,
                          vb::String p_OverWriteModen);
// The file's length in bytes (its low 32 bits), 0 when it is not there.
int32_t KesraFileGetSize(vb::String p_FileName);

// Deletes the images that the HTML text names in tags opened by "<img src='"
// and closed by "'>", as long as they lie in the site's upload folder
// "/Data_UploadFiles/". False when a tag could not be read or mapped.
bool KesraFileDeleteImage(vb::Variant& Server, vb::String p_String);

}  // namespace qe
