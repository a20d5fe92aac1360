#include "platform/asp/contents.h"

#include "platform/asp/member_args.h"
#include "platform/com/enumeration.h"

namespace asp {
namespace contents {
namespace {

String NameOf(const ValueStore& store, const Variant& selector) {
  if (!IsIndexArg(selector)) return ArgText(selector);
  std::vector<String> keys = store.Keys();
  return keys[IndexArg(selector, keys.size())];
}

}  // namespace

Variant Get(const ValueStore& store, com::ArgList& args) { return store.Get(NameOf(store, args[0])); }

void Let(ValueStore& store, com::ArgList& args) {
  store.Put(NameOf(store, args[0]), com::ValueOf(args[1]));
}

void SetRef(ValueStore& store, com::ArgList& args) {
  if (!args[1].IsObject()) vb::Raise(vb::kObjectRequired);
  store.Put(NameOf(store, args[0]), args[1]);
}

void Remove(ValueStore& store, com::ArgList& args) { store.Remove(NameOf(store, args[0])); }

}  // namespace contents

const com::MemberTable<Contents>& Contents::Members() {
  using Self = Contents;
  using Args = com::ArgList;
  static const auto get = [](Self& self, Args& args) { return contents::Get(*self.store_, args); };
  static const auto let = [](Self& self, Args& args) -> Variant {
    contents::Let(*self.store_, args);
    return {};
  };
  static const auto set = [](Self& self, Args& args) -> Variant {
    contents::SetRef(*self.store_, args);
    return {};
  };
  static const com::MemberTable<Self> table{
      {u"", com::kGet, 1, 1, get},
      {u"Item", com::kGet, 1, 1, get},
      {u"", com::kLet, 2, 2, let},
      {u"Item", com::kLet, 2, 2, let},
      {u"", com::kSet, 2, 2, set},
      {u"Item", com::kSet, 2, 2, set},
      {u"Count", com::kGet, 0, 0,
       [](Self& self, Args&) -> Variant { return static_cast<int32_t>(self.store_->Keys().size()); }},
      {u"Key", com::kGet, 1, 1,
       [](Self& self, Args& args) -> Variant {
         std::vector<String> keys = self.store_->Keys();
         return keys[IndexArg(args[0], keys.size())];
       }},
      {u"_NewEnum", com::kGet, 0, 0, [](Self& self, Args&) { return com::NewEnum(self.store_->Keys()); }},
      {u"Remove", com::kGet, 1, 1,
       [](Self& self, Args& args) -> Variant {
         contents::Remove(*self.store_, args);
         return {};
       }},
      {u"RemoveAll", com::kGet, 0, 0,
       [](Self& self, Args&) -> Variant {
         self.store_->RemoveAll();
         return {};
       }},
  };
  return table;
}

}  // namespace asp
