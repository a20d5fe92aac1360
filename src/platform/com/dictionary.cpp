#include "platform/com/dictionary.h"

#include <cstring>

#include "platform/com/enumeration.h"
#include "platform/com/registry.h"
#include "platform/vb/case_fold.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace scripting {
namespace {

// Tags that keep keys of different kinds apart in the index.
constexpr char16_t kTextTag = u'T';
constexpr char16_t kNumberTag = u'N';

// The value's bytes as code units, so that it can stand in an index text.
template <class T>
String BitsOf(T value) {
  char16_t units[(sizeof(T) + 1) / 2] = {};
  std::memcpy(units, &value, sizeof(T));
  return String(units, std::size(units));
}

bool IsNumberKey(const Variant& key) {
  return key.IsNumericType() || key.Holds<vb::Boolean>() || key.Holds<vb::Date>();
}

}  // namespace

String Dictionary::IndexKey(const Variant& key) const {
  if (key.IsString()) {
    String text = kTextTag + key.As<String>();
    if (compare_mode_ != vb::vbBinaryCompare)
      for (size_t i = 1; i < text.size(); ++i) text[i] = vb::FoldChar(text[i]);
    return text;
  }
  if (IsNumberKey(key)) {
    double number = vb::CDbl(key);
    if (number == 0) number = 0;  // -0 is 0
    return kNumberTag + BitsOf(number);
  }
  if (key.IsObject()) return u'O' + BitsOf(reinterpret_cast<uintptr_t>(key.GetObject().get()));
  if (key.IsEmpty()) return u"E";
  if (key.IsNull()) return u"Z";
  if (key.Holds<vb::ErrorCode>()) return u'X' + BitsOf(key.As<vb::ErrorCode>().scode);
  vb::Raise(vb::kInvalidProcedureCall);  // an array cannot be a key
}

void Dictionary::Add(const Variant& key, Variant item) {
  String index_key = IndexKey(key);
  if (index_.count(index_key)) vb::Raise(kKeyAlreadyExists);
  entries_.push_back({key, std::move(item)});
  index_.emplace(std::move(index_key), std::prev(entries_.end()));
}

Variant& Dictionary::Item(const Variant& key) {
  String index_key = IndexKey(key);
  auto found = index_.find(index_key);
  if (found != index_.end()) return found->second->item;
  entries_.push_back({key, Variant()});
  index_.emplace(std::move(index_key), std::prev(entries_.end()));
  return entries_.back().item;
}

void Dictionary::Put(const Variant& key, Variant item) { Item(key) = std::move(item); }

const Variant* Dictionary::Find(const Variant& key) const {
  auto found = index_.find(IndexKey(key));
  return found == index_.end() ? nullptr : &found->second->item;
}

void Dictionary::Remove(const Variant& key) {
  auto found = index_.find(IndexKey(key));
  if (found == index_.end()) vb::Raise(kElementNotFound, u"Element not found");
  entries_.erase(found->second);
  index_.erase(found);
}

void Dictionary::RemoveAll() {
  index_.clear();
  entries_.clear();
}

void Dictionary::Rename(const Variant& key, const Variant& new_key) {
  auto found = index_.find(IndexKey(key));
  if (found == index_.end()) vb::Raise(kElementNotFound, u"Element not found");
  String new_index_key = IndexKey(new_key);
  if (index_.count(new_index_key)) vb::Raise(kKeyAlreadyExists);
  auto entry = found->second;
  index_.erase(found);
  entry->key = new_key;
  index_.emplace(std::move(new_index_key), entry);
}

std::vector<Variant> Dictionary::Keys() const {
  std::vector<Variant> keys;
  keys.reserve(entries_.size());
  for (const Entry& e : entries_) keys.push_back(e.key);
  return keys;
}

std::vector<Variant> Dictionary::Items() const {
  std::vector<Variant> items;
  items.reserve(entries_.size());
  for (const Entry& e : entries_) items.push_back(e.item);
  return items;
}

void Dictionary::SetCompareMode(int32_t mode) {
  if (mode < 0 || !entries_.empty()) vb::Raise(vb::kInvalidProcedureCall);
  compare_mode_ = mode;
}

const com::MemberTable<Dictionary>& Dictionary::Members() {
  using com::ArgList;
  // A key passed by a page is its value: an object key stays an object.
  static const auto get_item = [](Dictionary& d, ArgList& a) { return d.Item(a[0]); };
  static const auto let_item = [](Dictionary& d, ArgList& a) {
    d.Put(a[0], com::ValueOf(a[1]));
    return Variant();
  };
  static const auto set_item = [](Dictionary& d, ArgList& a) {
    d.Put(a[0], a[1]);
    return Variant();
  };
  static const com::MemberTable<Dictionary> table{
      {u"", com::kGet, 1, 1, get_item},
      {u"", com::kLet, 2, 2, let_item},
      {u"", com::kSet, 2, 2, set_item},
      {u"Item", com::kGet, 1, 1, get_item},
      {u"Item", com::kLet, 2, 2, let_item},
      {u"Item", com::kSet, 2, 2, set_item},
      {u"Add", com::kGet, 2, 2,
       [](Dictionary& d, ArgList& a) {
         d.Add(a[0], a[1]);
         return Variant();
       }},
      {u"Exists", com::kGet, 1, 1, [](Dictionary& d, ArgList& a) { return Variant(d.Exists(a[0])); }},
      {u"Remove", com::kGet, 1, 1,
       [](Dictionary& d, ArgList& a) {
         d.Remove(a[0]);
         return Variant();
       }},
      {u"RemoveAll", com::kGet, 0, 0,
       [](Dictionary& d, ArgList&) {
         d.RemoveAll();
         return Variant();
       }},
      {u"Count", com::kGet, 0, 0, [](Dictionary& d, ArgList&) { return Variant(d.Count()); }},
      {u"Keys", com::kGet, 0, 0,
       [](Dictionary& d, ArgList&) { return Variant(vb::Array::OfVariants(d.Keys())); }},
      {u"Items", com::kGet, 0, 0,
       [](Dictionary& d, ArgList&) { return Variant(vb::Array::OfVariants(d.Items())); }},
      {u"Key", com::kLet, 2, 2,
       [](Dictionary& d, ArgList& a) {
         d.Rename(a[0], com::ValueOf(a[1]));
         return Variant();
       }},
      {u"CompareMode", com::kGet, 0, 0, [](Dictionary& d, ArgList&) { return Variant(d.CompareMode()); }},
      {u"CompareMode", com::kLet, 1, 1,
       [](Dictionary& d, ArgList& a) {
         d.SetCompareMode(vb::CLng(com::ValueOf(a[0])));
         return Variant();
       }},
      {u"_NewEnum", com::kGet, 0, 0, [](Dictionary& d, ArgList&) { return com::NewEnum(d.Keys()); }},
  };
  return table;
}

void RegisterDictionary() {
  com::RegisterClass({u"Scripting.Dictionary", u"{EE09B103-97E0-11CF-978F-00A02463E06F}",
                      [] { return std::make_shared<Dictionary>(); }});
}

}  // namespace scripting
