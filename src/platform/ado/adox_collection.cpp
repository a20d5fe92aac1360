#include "platform/ado/adox_collection.h"

#include "platform/ado/ado_collection.h"
#include "platform/ado/errors.h"
#include "platform/com/enumeration.h"

namespace ado::adox {

const std::vector<Variant>& Collection::Items() {
  if (!items_) items_ = backend_.items();
  return *items_;
}

Variant Collection::Item(const Variant& index) {
  const std::vector<Variant>& items = Items();
  size_t i = ResolveIndex(index, items.size(), [&](size_t k) { return backend_.name_of(items[k]); }, kSourceAdox);
  return items[i];
}

int32_t Collection::Count() { return static_cast<int32_t>(Items().size()); }

void Collection::Append(com::ArgList& args) {
  if (!backend_.append) RaiseAdo(kErrFeatureNotAvailable, kSourceAdox);
  items_.reset();
  backend_.append(args);
}

void Collection::Remove(const Variant& index) {
  if (!backend_.remove) RaiseAdo(kErrFeatureNotAvailable, kSourceAdox);
  items_.reset();
  backend_.remove(index);
}

const com::MemberTable<Collection>& Collection::Members() {
  using A = com::ArgList;
  static const com::MemberTable<Collection> table = {
      {u"", com::kGet, 1, 1, [](Collection& c, A& a) { return c.Item(a[0]); }},
      {u"Item", com::kGet, 1, 1, [](Collection& c, A& a) { return c.Item(a[0]); }},
      {u"Count", com::kGet, 0, 0, [](Collection& c, A&) { return Variant(c.Count()); }},
      {u"Append", com::kGet, 1, 5,
       [](Collection& c, A& a) {
         c.Append(a);
         return Variant();
       }},
      {u"Delete", com::kGet, 1, 1,
       [](Collection& c, A& a) {
         c.Remove(a[0]);
         return Variant();
       }},
      {u"Refresh", com::kGet, 0, 0,
       [](Collection& c, A&) {
         c.items_.reset();
         return Variant();
       }},
      {u"_NewEnum", com::kGet, 0, 0, [](Collection& c, A&) { return com::NewEnum(c.Items()); }},
  };
  return table;
}

const com::MemberTable<Property>& Property::Members() {
  using A = com::ArgList;
  auto get = [](Property& p, A&) { return p.Get(); };
  auto set = [](Property& p, A& a) {
    p.Set(a[0]);
    return Variant();
  };
  static const com::MemberTable<Property> table = {
      {u"", com::kGet, 0, 0, get},
      {u"", com::kLet, 1, 1, set},
      {u"Value", com::kGet, 0, 0, get},
      {u"Value", com::kLet, 1, 1, set},
      {u"Name", com::kGet, 0, 0, [](Property& p, A&) { return Variant(p.Name()); }},
      {u"Type", com::kGet, 0, 0, [](Property& p, A&) { return Variant(static_cast<int32_t>(p.Type())); }},
      {u"Attributes", com::kGet, 0, 0, [](Property&, A&) { return Variant(int32_t{0}); }},
  };
  return table;
}

Variant PropertiesOf(std::vector<std::shared_ptr<Property>> properties) {
  Collection::Backend backend;
  backend.items = [properties] {
    std::vector<Variant> out;
    for (const auto& p : properties) out.emplace_back(p);
    return out;
  };
  backend.name_of = [](const Variant& v) { return std::static_pointer_cast<Property>(v.GetObject())->Name(); };
  return Variant(std::make_shared<Collection>(u"Properties", std::move(backend)));
}

Variant PropertiesMember(const std::vector<std::shared_ptr<Property>>& properties, com::ArgList& args, bool let) {
  if (!let && (args.size() == 0 || args.IsMissing(0))) return PropertiesOf(properties);
  String name = vb::CStr(args[0]);
  for (const auto& p : properties) {
    if (!vb::EqualsNoCase(p->Name(), name)) continue;
    if (!let) return Variant(p);
    p->Set(args[1]);
    return Variant();
  }
  RaiseAdo(kErrItemNotFound, kSourceAdox);
}

}  // namespace ado::adox
