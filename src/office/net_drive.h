#pragma once
// What the network drive's operations share: the session user's drive, the
// rules that keep every path inside it, the escapes of the answer scripts,
// the drive's size and the lock that keeps a quota test and its write
// together.
#include <mutex>
#include <optional>

#include "platform/vb/variant.h"

namespace qe::netdrive {

// The drives' folder: each user's drive is this & user name.
inline constexpr char16_t kDrivesFolder[] = u"/Data_UploadFiles/NetDriver/";
inline constexpr char16_t kIllegalPathMessage[] = u"指定的文件名或路径中含有非法字符";
inline constexpr double kBytesPerMegabyte = 1048576.0;

struct Drive {
  vb::String root;       // the virtual path, kDrivesFolder & user name
  vb::String real_root;  // Server.MapPath of it
};

// The session user's drive, the folder named by the user name; nullopt once
// the response has ended: nobody is logged in, or the user name is no plain
// name, or it finds another user's folder on the case-blind disk ("BOB" and
// bob's folder "bob"), or the drive's path does not map (the error page with
// the illegal-name text).
std::optional<Drive> UserDrive(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response);

// A user name: not empty; no leading or trailing blank or dot; no "/", "\",
// ":" or control character.
bool IsPlainName(vb::StringView name);
// A path as the pages pass it: no "." or ".." element between its "/" and
// "\" separators, no control character.
bool HasSafeElements(vb::StringView path);
// One entry of a folder: not empty, no separator, and safe as above.
bool IsEntryName(vb::StringView name);

// Server.MapPath of the virtual path when it maps and lies inside the real
// folder (or is it, with `or_same`), links followed; nullopt otherwise.
std::optional<vb::String> MapInside(vb::Variant& Server, vb::StringView virtual_path, vb::StringView real_folder,
                                    bool or_same);

// True when Server.MapPath raises for the virtual path (a name the platform
// refuses, such as "...." or "con").
bool MapPathRefuses(vb::Variant& Server, vb::StringView virtual_path);

// Text inside a single-quoted script string.
vb::String ScriptString(vb::StringView text);
// A folder in a script's address: "%", "&", "#" and "+" percent-encoded (so
// the drive page reads back the folder itself), then escaped as script text.
vb::String FolderInAddress(vb::StringView folder);

// The size in bytes of every file under the real folder, as the file-system
// object's Folder.Size gives it; 0 when there is no such folder.
double FolderSize(vb::StringView real_folder);

// The least room a file or folder takes on the disk. The quota counts each
// entry as at least this much: thousands of empty files or folders fill a
// disk as surely as their bytes would.
inline constexpr double kDiskBlockBytes = 4096;
// The room a file of `bytes` takes in the quota.
double FileSpace(double bytes);
// The room everything under the real folder takes in the quota: each file
// its FileSpace, each folder (and link) a block; 0 when there is no such
// folder.
double SpaceTaken(vb::StringView real_folder);
// The room one entry takes: a file's FileSpace, a folder's block and all it
// holds; 0 when it is missing.
double EntrySpace(vb::StringView real_path);
// The room a new folder takes with the missing folders above it that it
// brings: a block each.
double NewFolderSpace(vb::StringView real_path);

// Held from a quota test to the end of the writes it allows, so that two
// sessions of one user cannot both pass the test before either writes.
std::unique_lock<std::mutex> LockDrive(vb::StringView real_root);

}  // namespace qe::netdrive
