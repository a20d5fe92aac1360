#include "platform/fs/file_system_object.h"

#include <filesystem>

#include "platform/com/registry.h"
#include "platform/fs/folders.h"
#include "platform/fs/full_path.h"
#include "platform/fs/paths.h"
#include "platform/fs/search.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace scripting {

namespace {

namespace stdfs = std::filesystem;
using com::ArgList;
using com::kGet;
using vb::Variant;

// The path as FSO reports it: absolute, without a trailing separator.
String PathOf(StringView path) {
  String full = fs::FullPath(path);
  if (full.size() > 3 && full.back() == u'\\') full.pop_back();
  return full;
}

String FolderOf(const String& full) { return full.substr(0, full.find_last_of(u'\\') + 1); }

bool HasWildcard(StringView path) {
  return path.substr(path.find_last_of(u"\\/") + 1).find_first_of(u"*?") != StringView::npos;
}

bool IsFolder(const fs::FoundEntry& entry) { return (entry.attributes & fs::kAttributeDirectory) != 0; }

std::optional<fs::FoundEntry> EntryOrNothing(StringView path) {
  try {
    return fs::FindEntry(path);
  } catch (const vb::Error&) {
    return std::nullopt;
  }
}

// The files or folders that a source names, wildcards allowed in its last name.
std::vector<String> Matches(StringView path_spec, bool folders, int32_t none_error) {
  String full = PathOf(path_spec);
  std::vector<String> paths;
  std::vector<fs::FoundEntry> found;
  if (HasWildcard(full)) {
    found = fs::FindFiles(full);
  } else if (auto entry = fs::FindEntry(full)) {
    found.push_back(*entry);
  }
  for (const fs::FoundEntry& entry : found) {
    if (entry.name == u"." || entry.name == u"..") continue;
    if (IsFolder(entry) == folders) paths.push_back(FolderOf(full) + entry.name);
  }
  if (paths.empty()) vb::Raise(none_error);
  return paths;
}

stdfs::path HostOf(StringView path) { return fs::ToHostPath(fs::FullPath(path)); }

String TextArg(const ArgList& a, size_t i) { return vb::CStr(com::ValueOf(a[i])); }

bool BoolArg(const ArgList& a, size_t i, bool fallback) {
  return a.IsMissing(i) ? fallback : vb::CBool(com::ValueOf(a[i]));
}

}  // namespace

std::shared_ptr<Folder> FileSystemObject::GetSpecialFolder(int32_t which) const {
  static const char16_t* const kFolders[] = {fs::kWindowsFolder, fs::kSystemFolder, fs::kTempFolder};
  if (which < 0 || which > 2) vb::Raise(vb::kInvalidProcedureCall);
  String path = kFolders[which];
  try {
    fs::MakeSureDirectoryPathExists(path + u"\\");
  } catch (const vb::Error&) {
    // An unmapped drive: the folder is still named.
  }
  return std::make_shared<Folder>(path);
}

bool FileSystemObject::FileExists(StringView path) const {
  auto entry = EntryOrNothing(path);
  return entry && !IsFolder(*entry);
}

bool FileSystemObject::FolderExists(StringView path) const {
  auto entry = EntryOrNothing(path);
  return entry && IsFolder(*entry);
}

std::shared_ptr<File> FileSystemObject::GetFile(StringView path) const {
  if (!FileExists(path)) vb::Raise(vb::kFileNotFound);
  return std::make_shared<File>(PathOf(path));
}

std::shared_ptr<Folder> FileSystemObject::GetFolder(StringView path) const {
  if (!FolderExists(path)) vb::Raise(vb::kPathNotFound);
  return std::make_shared<Folder>(PathOf(path));
}

std::shared_ptr<Folder> FileSystemObject::CreateFolder(StringView path) const {
  fs::CreateDirectory(path);
  return std::make_shared<Folder>(PathOf(path));
}

void FileSystemObject::DeleteFile(StringView path_spec, bool force) const {
  for (const String& path : Matches(path_spec, false, vb::kFileNotFound)) File(path).Delete(force);
}

void FileSystemObject::DeleteFolder(StringView path_spec, bool force) const {
  for (const String& path : Matches(path_spec, true, vb::kPathNotFound)) Folder(path).Delete(force);
}

void FileSystemObject::CopyFile(StringView source, StringView destination, bool overwrite) const {
  std::vector<String> sources = Matches(source, false, vb::kFileNotFound);
  String target = fs::FullPath(destination);
  bool into_folder = target.back() == u'\\' || FolderExists(target) || sources.size() > 1;
  if (into_folder && !FolderExists(target)) vb::Raise(vb::kPathNotFound);
  if (into_folder && target.back() != u'\\') target += u'\\';
  for (const String& path : sources) {
    String to = into_folder ? target + path.substr(path.find_last_of(u'\\') + 1) : target;
    if (auto existing = EntryOrNothing(to)) {
      if (!overwrite || IsFolder(*existing)) vb::Raise(vb::kFileAlreadyExists);
      if (existing->attributes & fs::kAttributeReadOnly) vb::Raise(vb::kPermissionDenied);
    }
    std::error_code error;
    stdfs::copy_file(HostOf(path), HostOf(to), stdfs::copy_options::overwrite_existing, error);
    if (error) vb::Raise(vb::kPermissionDenied);
  }
}

void FileSystemObject::MoveFile(StringView source, StringView destination) const {
  std::vector<String> sources = Matches(source, false, vb::kFileNotFound);
  String target = fs::FullPath(destination);
  bool into_folder = target.back() == u'\\' || FolderExists(target);
  if (into_folder && target.back() != u'\\') target += u'\\';
  for (const String& path : sources) {
    String to = into_folder ? target + path.substr(path.find_last_of(u'\\') + 1) : target;
    if (EntryOrNothing(to)) vb::Raise(vb::kFileAlreadyExists);
    std::error_code error;
    stdfs::rename(HostOf(path), HostOf(to), error);
    if (error == std::errc::cross_device_link) {
      error.clear();
      stdfs::copy_file(HostOf(path), HostOf(to), error);
      if (!error) stdfs::remove(HostOf(path), error);
    }
    if (error) vb::Raise(error == std::errc::no_such_file_or_directory ? vb::kPathNotFound : vb::kPermissionDenied);
  }
}

const com::MemberTable<FileSystemObject>& FileSystemObject::Members() {
  using F = FileSystemObject;
  static const com::MemberTable<F> table{
      {u"GetSpecialFolder", kGet, 1, 1,
       [](F& f, ArgList& a) { return Variant(f.GetSpecialFolder(vb::CLng(com::ValueOf(a[0])))); }},
      {u"FileExists", kGet, 1, 1, [](F& f, ArgList& a) { return Variant(f.FileExists(TextArg(a, 0))); }},
      {u"FolderExists", kGet, 1, 1, [](F& f, ArgList& a) { return Variant(f.FolderExists(TextArg(a, 0))); }},
      {u"GetFile", kGet, 1, 1, [](F& f, ArgList& a) { return Variant(f.GetFile(TextArg(a, 0))); }},
      {u"GetFolder", kGet, 1, 1, [](F& f, ArgList& a) { return Variant(f.GetFolder(TextArg(a, 0))); }},
      {u"CreateFolder", kGet, 1, 1, [](F& f, ArgList& a) { return Variant(f.CreateFolder(TextArg(a, 0))); }},
      {u"DeleteFile", kGet, 1, 2,
       [](F& f, ArgList& a) {
         f.DeleteFile(TextArg(a, 0), BoolArg(a, 1, false));
         return Variant();
       }},
      {u"DeleteFolder", kGet, 1, 2,
       [](F& f, ArgList& a) {
         f.DeleteFolder(TextArg(a, 0), BoolArg(a, 1, false));
         return Variant();
       }},
      {u"CopyFile", kGet, 2, 3,
       [](F& f, ArgList& a) {
         f.CopyFile(TextArg(a, 0), TextArg(a, 1), BoolArg(a, 2, true));
         return Variant();
       }},
      {u"MoveFile", kGet, 2, 2,
       [](F& f, ArgList& a) {
         f.MoveFile(TextArg(a, 0), TextArg(a, 1));
         return Variant();
       }},
  };
  return table;
}

void RegisterClasses() {
  com::RegisterClass({u"Scripting.FileSystemObject", u"{0D43FE01-F093-11CF-8940-00A0C9054228}",
                      [] { return std::make_shared<FileSystemObject>(); }});
}

}  // namespace scripting
