#pragma once
// For Each over late-bound collections: one convention for all of them.
//
// A collection answers the member "_NewEnum" (as COM names it) with an
// Enumerator that hands out what For Each visits, in order: a dictionary's
// keys, the names of an ASP collection, a recordset's Field objects, a
// folder's File or Folder objects. The enumerator works on a copy taken when
// the loop starts, so a body that adds or removes items does not disturb it.
//
//   for (const vb::Variant& key : com::ForEach(dictionary)) ...
#include <memory>
#include <vector>

#include "platform/com/object.h"

namespace com {

// What "_NewEnum" returns; pages see an object without members ("Unknown").
class Enumerator : public Object {
 public:
  explicit Enumerator(std::vector<Variant> items) : items_(std::move(items)) {}
  String TypeName() const override { return u"Unknown"; }
  Variant Invoke(StringView name, CallType type, ArgList& args) override;

  // The next item; false once every item has been handed out.
  bool Next(Variant& item);

 private:
  std::vector<Variant> items_;
  size_t next_ = 0;
};

// The "_NewEnum" result over these items, for a member table entry.
Variant NewEnum(std::vector<Variant> items);
// Over names, each as a text.
Variant NewEnum(const std::vector<String>& names);
// Over objects.
template <class T>
Variant NewEnum(const std::vector<std::shared_ptr<T>>& objects) {
  return NewEnum(std::vector<Variant>(objects.begin(), objects.end()));
}

// The items For Each visits in `collection`: an array's elements in storage
// order; an object's items through its "_NewEnum". As VB raises: 91 for
// Nothing, 424 for a value that is neither, 438 for an object that is not a
// collection.
class ForEach {
 public:
  explicit ForEach(const Variant& collection);

  class iterator {
   public:
    using value_type = Variant;
    using difference_type = std::ptrdiff_t;
    iterator() = default;
    explicit iterator(Enumerator* source) : source_(source) { Advance(); }
    const Variant& operator*() const { return current_; }
    const Variant* operator->() const { return &current_; }
    iterator& operator++() {
      Advance();
      return *this;
    }
    void operator++(int) { Advance(); }
    friend bool operator==(const iterator& a, const iterator& b) { return a.source_ == b.source_; }

   private:
    void Advance() {
      if (source_ && !source_->Next(current_)) source_ = nullptr;
    }
    Enumerator* source_ = nullptr;
    Variant current_;
  };

  iterator begin() { return iterator(enumerator_.get()); }
  iterator end() { return iterator(); }

 private:
  std::shared_ptr<Enumerator> enumerator_;
};

// Every item For Each visits, in order.
std::vector<Variant> ForEachItems(const Variant& collection);

}  // namespace com
