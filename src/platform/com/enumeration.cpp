#include "platform/com/enumeration.h"

namespace com {
namespace {

constexpr char16_t kNewEnum[] = u"_NewEnum";

std::vector<Variant> ArrayElements(const vb::Array& array) {
  if (array.IsBytes()) {
    std::vector<Variant> bytes;
    bytes.reserve(array.Bytes().size());
    for (uint8_t b : array.Bytes()) bytes.emplace_back(b);
    return bytes;
  }
  return array.Items();
}

}  // namespace

Variant Enumerator::Invoke(StringView, CallType, ArgList&) { vb::Raise(vb::kMemberNotSupported); }

bool Enumerator::Next(Variant& item) {
  if (next_ >= items_.size()) return false;
  item = items_[next_++];
  return true;
}

Variant NewEnum(std::vector<Variant> items) { return Variant(std::make_shared<Enumerator>(std::move(items))); }

Variant NewEnum(const std::vector<String>& names) { return NewEnum(std::vector<Variant>(names.begin(), names.end())); }

ForEach::ForEach(const Variant& collection) {
  if (collection.IsArray()) {
    enumerator_ = std::make_shared<Enumerator>(ArrayElements(collection.As<vb::Array>()));
    return;
  }
  Variant result = Call(collection, kNewEnum);
  enumerator_ = std::dynamic_pointer_cast<Enumerator>(result.GetObject());
  if (!enumerator_) vb::Raise(vb::kMemberNotSupported);
}

std::vector<Variant> ForEachItems(const Variant& collection) {
  std::vector<Variant> items;
  for (const Variant& item : ForEach(collection)) items.push_back(item);
  return items;
}

}  // namespace com
