#pragma once
// "Scripting.Dictionary": items under keys, kept in the order the keys came.
//
// Keys are texts (compared as CompareMode says), numbers (compared by value,
// whatever their type: 1, 1.0 and CLng(1) are one key), objects (by
// identity), Empty or Null. Errors are the scripting run-time's: 457 for a
// key that is there already, 32811 for one that is not, 5 for changing
// CompareMode once the dictionary holds items.
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "platform/com/object.h"

namespace scripting {

using vb::String;
using vb::Variant;

inline constexpr int32_t kKeyAlreadyExists = 457;
inline constexpr int32_t kElementNotFound = 32811;

class Dictionary : public com::Dispatch<Dictionary> {
 public:
  struct Entry {
    Variant key;
    Variant item;
  };

  static const com::MemberTable<Dictionary>& Members();
  String TypeName() const override { return u"Dictionary"; }

  // 457 when the key is there.
  void Add(const Variant& key, Variant item);
  // Item(key) as a page reads it: a missing key is added with Empty.
  Variant& Item(const Variant& key);
  // Item(key) = value: replaces the item, or adds the key.
  void Put(const Variant& key, Variant item);
  // The item, or nullptr; adds nothing.
  const Variant* Find(const Variant& key) const;
  bool Exists(const Variant& key) const { return Find(key) != nullptr; }
  // 32811 when the key is not there.
  void Remove(const Variant& key);
  void RemoveAll();
  // Key(key) = new_key: the item keeps its place under its new key; 32811
  // when `key` is not there, 457 when `new_key` is.
  void Rename(const Variant& key, const Variant& new_key);

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  std::vector<Variant> Keys() const;
  std::vector<Variant> Items() const;
  const std::list<Entry>& Entries() const { return entries_; }

  // vb::vbBinaryCompare (0) or text compare (1, 2 and above); 5 when negative
  // or when the dictionary holds items.
  int32_t CompareMode() const { return compare_mode_; }
  void SetCompareMode(int32_t mode);

 private:
  // The key as the index holds it: equal keys give equal texts.
  String IndexKey(const Variant& key) const;

  std::list<Entry> entries_;
  std::unordered_map<String, std::list<Entry>::iterator> index_;
  int32_t compare_mode_ = 0;
};

// Registers "Scripting.Dictionary" for CreateObject.
void RegisterDictionary();

}  // namespace scripting
