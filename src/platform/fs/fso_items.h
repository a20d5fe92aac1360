#pragma once
// The File and Folder objects of "Scripting.FileSystemObject", and the Files
// and SubFolders collections of a folder. Each object keeps its path and
// reads the disk when a member is used, so a file deleted meanwhile raises
// then. Path is the default member.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/com/object.h"

namespace scripting {

using vb::String;
using vb::StringView;

class File : public com::Dispatch<File> {
 public:
  explicit File(String path) : path_(std::move(path)) {}
  static const com::MemberTable<File>& Members();
  String TypeName() const override { return u"File"; }

  const String& Path() const { return path_; }
  String Name() const;  // as stored on disk
  double Size() const;  // bytes; error 53 when the file is gone
  void Delete(bool force);

 private:
  String path_;
};

class Folder;

// A folder's Files or SubFolders, in the order of the directory search.
template <class T>
class ItemCollection : public com::Dispatch<ItemCollection<T>> {
 public:
  explicit ItemCollection(std::vector<std::shared_ptr<T>> items) : items_(std::move(items)) {}
  static const com::MemberTable<ItemCollection>& Members();
  String TypeName() const override;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The item of that name (case ignored); error 5 when there is none.
  std::shared_ptr<T> Item(StringView name) const;
  const std::vector<std::shared_ptr<T>>& Items() const { return items_; }

 private:
  std::vector<std::shared_ptr<T>> items_;
};

using Files = ItemCollection<File>;
using Folders = ItemCollection<Folder>;

class Folder : public com::Dispatch<Folder> {
 public:
  explicit Folder(String path) : path_(std::move(path)) {}
  static const com::MemberTable<Folder>& Members();
  String TypeName() const override { return u"Folder"; }

  const String& Path() const { return path_; }
  String Name() const;
  // The bytes of every file in the tree (links are not followed); error 76
  // when the folder is gone.
  double Size() const;
  std::shared_ptr<Folders> SubFolders() const;
  std::shared_ptr<Files> FilesIn() const;  // "Files"
  void Delete(bool force);

 private:
  String path_;
};

}  // namespace scripting
