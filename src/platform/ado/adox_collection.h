#pragma once
// The collections of ADOX (Tables, Columns, Indexes, Keys, Properties) and
// its Property object: late-bound fronts over their owner's lists.
#include <functional>
#include <optional>
#include <vector>

#include "platform/com/object.h"

namespace ado::adox {

using vb::String;
using vb::StringView;
using vb::Variant;

// A collection reads its owner's list once, at its first use, and again
// after Append, Delete or Refresh through it (as ADOX's collections do), so a
// loop over Count and Item reads the list once.
class Collection : public com::Dispatch<Collection> {
 public:
  struct Backend {
    std::function<std::vector<Variant>()> items;     // the objects, in order
    std::function<String(const Variant&)> name_of;   // an item's name
    std::function<void(com::ArgList&)> append;       // Append(...); empty: not supported
    std::function<void(const Variant&)> remove;      // Delete(index); empty: not supported
  };
  Collection(String type_name, Backend backend) : type_name_(std::move(type_name)), backend_(std::move(backend)) {}
  static const com::MemberTable<Collection>& Members();
  String TypeName() const override { return type_name_; }

  Variant Item(const Variant& index);
  int32_t Count();
  void Append(com::ArgList& args);
  void Remove(const Variant& index);

 private:
  const std::vector<Variant>& Items();

  String type_name_;
  Backend backend_;
  std::optional<std::vector<Variant>> items_;
};

class Property : public com::Dispatch<Property> {
 public:
  Property(String name, uint16_t type, std::function<Variant()> get, std::function<void(const Variant&)> set)
      : name_(std::move(name)), type_(type), get_(std::move(get)), set_(std::move(set)) {}
  static const com::MemberTable<Property>& Members();
  String TypeName() const override { return u"Property"; }
  const String& Name() const { return name_; }
  Variant Get() const { return get_(); }
  void Set(const Variant& v) const { set_(v); }
  uint16_t Type() const { return type_; }

 private:
  String name_;
  uint16_t type_;  // the ADO type of the value
  std::function<Variant()> get_;
  std::function<void(const Variant&)> set_;
};

// A Properties collection over a fixed list.
Variant PropertiesOf(std::vector<std::shared_ptr<Property>> properties);
// The handlers of an object's "Properties" member: Properties, Properties(name),
// and Properties(name) = value.
Variant PropertiesMember(const std::vector<std::shared_ptr<Property>>& properties, com::ArgList& args, bool let);

}  // namespace ado::adox
