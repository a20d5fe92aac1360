#pragma once
// Late-bound objects: members invoked by name (case-insensitive), arguments
// by value or by reference, a default member under the empty name.
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/vb/convert.h"
#include "platform/vb/variant.h"

namespace com {

using vb::ObjectPtr;
using vb::String;
using vb::StringView;
using vb::Variant;

// How a member is invoked: a method call or property read (VB does not tell
// them apart late-bound), a property assignment, or an object assignment.
enum class CallType { Get = 1, Let = 2, Set = 4 };

// The arguments of one call. Each is either the caller's own variable (by
// reference: writes reach the caller) or a value the list owns. An omitted
// optional argument is a Missing variant.
class ArgList {
 public:
  ArgList() = default;
  ArgList(const ArgList&) = delete;
  ArgList& operator=(const ArgList&) = delete;

  void PushRef(Variant& v) { refs_.push_back(&v); }
  void PushValue(Variant v) {
    owned_.push_back(std::move(v));
    refs_.push_back(&owned_.back());
  }
  void PushMissing() { PushValue(Variant::Missing()); }

  size_t size() const { return refs_.size(); }
  Variant& operator[](size_t i) { return *refs_.at(i); }
  const Variant& operator[](size_t i) const { return *refs_.at(i); }
  // True when the argument was left out or is beyond the list.
  bool IsMissing(size_t i) const { return i >= refs_.size() || refs_[i]->IsMissing(); }
  // The argument, or the given default when it was left out.
  Variant Or(size_t i, Variant fallback) const { return IsMissing(i) ? fallback : *refs_[i]; }

 private:
  std::vector<Variant*> refs_;
  std::deque<Variant> owned_;
};

class Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object() = default;
  // TypeName() of the object.
  virtual String TypeName() const = 0;
  // Invoke a member by name; the empty name is the default member.
  // Raises 438 for an unknown member, 450 for a wrong argument count,
  // 449 when a required argument is missing.
  virtual Variant Invoke(StringView name, CallType type, ArgList& args) = 0;
};

// Invoke on a variant: raises 424 when it holds no object, 91 for Nothing.
Variant InvokeOn(const Variant& target, StringView name, CallType type, ArgList& args);

namespace detail {
inline void Push(ArgList& list, Variant& v) { list.PushRef(v); }
template <class T>
void Push(ArgList& list, T&& v) {
  list.PushValue(Variant(std::forward<T>(v)));
}
}  // namespace detail

// obj.Name(args...): a method call or property read. A non-const Variant
// lvalue goes by reference, as a VB variable does; anything else by value.
template <class... A>
Variant Call(const Variant& target, StringView name, A&&... args) {
  ArgList list;
  (detail::Push(list, std::forward<A>(args)), ...);
  return InvokeOn(target, name, CallType::Get, list);
}

// obj.Name(args...) = value
template <class... A>
void Let(const Variant& target, StringView name, Variant value, A&&... args) {
  ArgList list;
  (detail::Push(list, std::forward<A>(args)), ...);
  list.PushValue(std::move(value));
  InvokeOn(target, name, CallType::Let, list);
}

// Set obj.Name(args...) = value
template <class... A>
void SetRef(const Variant& target, StringView name, Variant value, A&&... args) {
  ArgList list;
  (detail::Push(list, std::forward<A>(args)), ...);
  list.PushValue(std::move(value));
  InvokeOn(target, name, CallType::Set, list);
}

// The value of a variant as VB reads it in an expression: an object's default
// member, anything else as it is.
Variant ValueOf(const Variant& v);

// A member table for a C++ class that is late-bound. Each entry names a
// member, the call types it answers, its argument counts and its handler.
template <class T>
class MemberTable {
 public:
  using Handler = std::function<Variant(T&, ArgList&)>;
  struct Entry {
    String name;      // "" for the default member
    int call_types;   // CallType bits
    int min_args;
    int max_args;     // -1: any number
    Handler handler;
  };

  MemberTable(std::initializer_list<Entry> entries) : entries_(entries) {
    for (size_t i = 0; i < entries_.size(); ++i)
      index_[vb::AsciiLowerCopy(entries_[i].name)].push_back(i);
  }

  bool Has(StringView name) const { return index_.count(vb::AsciiLowerCopy(name)) > 0; }

  Variant Invoke(T& self, StringView name, CallType type, ArgList& args) const {
    auto it = index_.find(vb::AsciiLowerCopy(name));
    if (it == index_.end()) vb::Raise(vb::kMemberNotSupported);
    const Entry* chosen = nullptr;
    for (size_t i : it->second) {
      const Entry& e = entries_[i];
      if (e.call_types & static_cast<int>(type)) {
        chosen = &e;
        break;
      }
      // A Set to a property that only takes Let (and the reverse) is the same
      // assignment late-bound.
      if (type != CallType::Get && (e.call_types & (static_cast<int>(CallType::Let) |
                                                    static_cast<int>(CallType::Set))))
        chosen = &e;
    }
    if (!chosen) vb::Raise(type == CallType::Get ? vb::kMemberNotSupported : vb::kWrongArgumentCount);
    int n = static_cast<int>(args.size());
    while (n > chosen->min_args && args.IsMissing(static_cast<size_t>(n - 1))) --n;
    if (n < chosen->min_args || (chosen->max_args >= 0 && n > chosen->max_args)) {
      vb::Raise(n < chosen->min_args && static_cast<int>(args.size()) >= chosen->min_args
                    ? vb::kArgumentNotOptional
                    : vb::kWrongArgumentCount);
    }
    for (int i = 0; i < chosen->min_args; ++i)
      if (args.IsMissing(static_cast<size_t>(i))) vb::Raise(vb::kArgumentNotOptional);
    return chosen->handler(self, args);
  }

 private:
  std::vector<Entry> entries_;
  std::unordered_map<String, std::vector<size_t>> index_;
};

inline constexpr int kGet = static_cast<int>(CallType::Get);
inline constexpr int kLet = static_cast<int>(CallType::Let);
inline constexpr int kSet = static_cast<int>(CallType::Set);

// Base for late-bound classes with a static member table.
template <class T>
class Dispatch : public Object {
 public:
  Variant Invoke(StringView name, CallType type, ArgList& args) override {
    return T::Members().Invoke(static_cast<T&>(*this), name, type, args);
  }
};

}  // namespace com
