#pragma once
// Session and Application values: Session("x"), Application.Contents("x"),
// Remove, RemoveAll, Count, Key. Names are found in any letter case; an
// absent value reads as Empty.
#include <memory>
#include <vector>

#include "platform/asp/ordered_names.h"
#include "platform/com/object.h"

namespace asp {

using vb::String;
using vb::StringView;
using vb::Variant;

using ValueTable = OrderedNames<Variant>;

class ValueStore {
 public:
  virtual ~ValueStore() = default;
  virtual Variant Get(StringView name) const = 0;
  virtual void Put(StringView name, Variant value) = 0;
  virtual void Remove(StringView name) = 0;
  virtual void RemoveAll() = 0;
  virtual std::vector<String> Keys() const = 0;
};

// The late-bound members that Session, Application and their Contents share.
namespace contents {
// (name) or (position from 1).
Variant Get(const ValueStore& store, com::ArgList& args);
// (name, value): an object stores its default value, as VB's Let does.
void Let(ValueStore& store, com::ArgList& args);
// (name, object or Nothing): error 424 for anything else.
void SetRef(ValueStore& store, com::ArgList& args);
// (name) or (position from 1).
void Remove(ValueStore& store, com::ArgList& args);
}  // namespace contents

// The Contents collection of a Session or an Application.
class Contents : public com::Dispatch<Contents> {
 public:
  explicit Contents(std::shared_ptr<ValueStore> store) : store_(std::move(store)) {}

  static const com::MemberTable<Contents>& Members();
  String TypeName() const override { return u"IVariantDictionary"; }

 private:
  std::shared_ptr<ValueStore> store_;
};

// Session and Application: their own members first, then those of their
// Contents, so that Session("x") and Application.Remove work on the object.
template <class T>
Variant InvokeOrContents(T& self, Contents& contents, StringView name, com::CallType type,
                         com::ArgList& args) {
  if (T::Members().Has(name)) return T::Members().Invoke(self, name, type, args);
  return contents.Invoke(name, type, args);
}

}  // namespace asp
