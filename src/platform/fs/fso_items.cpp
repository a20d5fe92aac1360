#include "platform/fs/fso_items.h"

#include <filesystem>

#include "platform/com/enumeration.h"
#include "platform/fs/full_path.h"
#include "platform/fs/paths.h"
#include "platform/fs/search.h"
#include "platform/fs/windows_names.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace scripting {

namespace {

namespace stdfs = std::filesystem;
using com::ArgList;
using com::kGet;
using vb::Variant;

fs::FoundEntry Existing(StringView path, int32_t missing_error) {
  std::optional<fs::FoundEntry> entry = fs::FindEntry(path);
  if (!entry) vb::Raise(missing_error);
  return *entry;
}

void CheckWritable(const fs::FoundEntry& entry, bool force) {
  if (!force && (entry.attributes & fs::kAttributeReadOnly)) vb::Raise(vb::kPermissionDenied);
}

void RemoveHost(StringView path) {
  std::error_code error;
  stdfs::remove_all(fs::ToHostPath(fs::FullPath(path)), error);
  if (error) vb::Raise(vb::kPermissionDenied);
}

// The entries of a folder (no "." or ".."), with the directory attribute or without.
std::vector<fs::FoundEntry> EntriesOf(StringView folder, bool folders) {
  Existing(folder, vb::kPathNotFound);
  std::vector<fs::FoundEntry> kept;
  for (fs::FoundEntry& entry : fs::FindFiles(String(folder) + u"\\*")) {
    if (entry.name == u"." || entry.name == u"..") continue;
    if (((entry.attributes & fs::kAttributeDirectory) != 0) == folders) kept.push_back(std::move(entry));
  }
  return kept;
}

template <class Item>
std::vector<std::shared_ptr<Item>> ItemsOf(StringView folder, bool folders) {
  std::vector<std::shared_ptr<Item>> items;
  for (const fs::FoundEntry& entry : EntriesOf(folder, folders)) {
    items.push_back(std::make_shared<Item>(String(folder) + u"\\" + entry.name));
  }
  return items;
}

bool ForceArg(const ArgList& a) { return !a.IsMissing(0) && vb::CBool(com::ValueOf(a[0])); }

}  // namespace

String File::Name() const { return Existing(path_, vb::kFileNotFound).name; }

double File::Size() const { return static_cast<double>(Existing(path_, vb::kFileNotFound).size); }

void File::Delete(bool force) {
  CheckWritable(Existing(path_, vb::kFileNotFound), force);
  RemoveHost(path_);
}

const com::MemberTable<File>& File::Members() {
  static const com::MemberTable<File> table{
      {u"", kGet, 0, 0, [](File& f, ArgList&) { return Variant(f.Path()); }},
      {u"Path", kGet, 0, 0, [](File& f, ArgList&) { return Variant(f.Path()); }},
      {u"Name", kGet, 0, 0, [](File& f, ArgList&) { return Variant(f.Name()); }},
      {u"Size", kGet, 0, 0, [](File& f, ArgList&) { return Variant(f.Size()); }},
      {u"Delete", kGet, 0, 1,
       [](File& f, ArgList& a) {
         f.Delete(ForceArg(a));
         return Variant();
       }},
  };
  return table;
}

String Folder::Name() const { return Existing(path_, vb::kPathNotFound).name; }

double Folder::Size() const {
  Existing(path_, vb::kPathNotFound);
  std::error_code error;
  uintmax_t total = 0;
  stdfs::recursive_directory_iterator it(fs::ToHostPath(fs::FullPath(path_)),
                                         stdfs::directory_options::skip_permission_denied, error);
  for (stdfs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
    // An entry another thread renames or removes meanwhile counts as gone:
    // its failed size (all ones) must never reach the total.
    std::error_code gone;
    if (!it->is_regular_file(gone) || it->is_symlink(gone)) continue;
    uintmax_t size = it->file_size(gone);
    if (!gone) total += size;
  }
  return static_cast<double>(total);
}

std::shared_ptr<Folders> Folder::SubFolders() const {
  return std::make_shared<Folders>(ItemsOf<Folder>(path_, true));
}

std::shared_ptr<Files> Folder::FilesIn() const { return std::make_shared<Files>(ItemsOf<File>(path_, false)); }

void Folder::Delete(bool force) {
  CheckWritable(Existing(path_, vb::kPathNotFound), force);
  if (!force) {
    std::shared_ptr<Files> files = FilesIn();
    for (const auto& file : files->Items()) CheckWritable(Existing(file->Path(), vb::kFileNotFound), false);
    std::shared_ptr<Folders> folders = SubFolders();
    for (const auto& folder : folders->Items()) folder->Delete(false);
  }
  RemoveHost(path_);
}

const com::MemberTable<Folder>& Folder::Members() {
  static const com::MemberTable<Folder> table{
      {u"", kGet, 0, 0, [](Folder& f, ArgList&) { return Variant(f.Path()); }},
      {u"Path", kGet, 0, 0, [](Folder& f, ArgList&) { return Variant(f.Path()); }},
      {u"Name", kGet, 0, 0, [](Folder& f, ArgList&) { return Variant(f.Name()); }},
      {u"Size", kGet, 0, 0, [](Folder& f, ArgList&) { return Variant(f.Size()); }},
      {u"SubFolders", kGet, 0, 0, [](Folder& f, ArgList&) { return Variant(f.SubFolders()); }},
      {u"Files", kGet, 0, 0, [](Folder& f, ArgList&) { return Variant(f.FilesIn()); }},
      {u"Delete", kGet, 0, 1,
       [](Folder& f, ArgList& a) {
         f.Delete(ForceArg(a));
         return Variant();
       }},
  };
  return table;
}

template <class T>
std::shared_ptr<T> ItemCollection<T>::Item(StringView name) const {
  for (const auto& item : items_) {
    const String& path = item->Path();
    if (fs::detail::SameNameNoCase(StringView(path).substr(path.find_last_of(u'\\') + 1), name)) return item;
  }
  vb::Raise(vb::kInvalidProcedureCall);
}

template <class T>
String ItemCollection<T>::TypeName() const {
  return std::is_same_v<T, File> ? u"Files" : u"Folders";
}

template <class T>
const com::MemberTable<ItemCollection<T>>& ItemCollection<T>::Members() {
  auto item = [](ItemCollection& c, ArgList& a) { return Variant(c.Item(vb::CStr(com::ValueOf(a[0])))); };
  static const com::MemberTable<ItemCollection> table{
      {u"", kGet, 1, 1, item},
      {u"Item", kGet, 1, 1, item},
      {u"Count", kGet, 0, 0, [](ItemCollection& c, ArgList&) { return Variant(c.Count()); }},
      {u"_NewEnum", kGet, 0, 0, [](ItemCollection& c, ArgList&) { return com::NewEnum(c.Items()); }},
  };
  return table;
}

template class ItemCollection<File>;
template class ItemCollection<Folder>;

}  // namespace scripting
