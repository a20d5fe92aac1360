#include "platform/asp/request_collection.h"

#include "platform/asp/member_args.h"
#include "platform/asp/url_encoding.h"
#include "platform/com/enumeration.h"

namespace asp {
namespace {

String Joined(const std::vector<String>& values) {
  String text;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) text += u", ";
    text += values[i];
  }
  return text;
}

}  // namespace

const com::MemberTable<RequestCollection>& RequestCollection::Members() {
  using Self = RequestCollection;
  // Item(name, key): a cookie's sub-key. VB reads it as Cookies(name)(key);
  // the value here is text, so the key comes as a second argument.
  static const auto item = [](Self& self, com::ArgList& args) -> Variant {
    if (args.IsMissing(0)) return self.Raw();
    if (!args.IsMissing(1)) return self.SubKey(ArgText(args[0]), ArgText(args[1]));
    return self.Lookup(args[0]);
  };
  static const com::MemberTable<Self> table{
      {u"", com::kGet, 0, 2, item},
      {u"Item", com::kGet, 0, 2, item},
      {u"Count", com::kGet, 0, 0,
       [](Self& self, com::ArgList&) -> Variant { return static_cast<int32_t>(self.Count()); }},
      {u"Key", com::kGet, 1, 1,
       [](Self& self, com::ArgList& args) -> Variant {
         return self.Key(IndexArg(args[0], self.Count()) + 1);
       }},
      {u"_NewEnum", com::kGet, 0, 0, [](Self& self, com::ArgList&) { return com::NewEnum(self.Keys()); }},
  };
  return table;
}

const String& RequestCollection::Raw() const {
  if (!raw_) raw_ = raw_utf8_ ? vb::FromUtf8(raw_bytes_) : DecodeText(raw_bytes_);
  return *raw_;
}

void RequestCollection::Add(StringView name, String value) {
  values_.Insert(name).push_back(std::move(value));
}

void RequestCollection::AddCookie(StringView name, String value, std::string raw) {
  Add(name, std::move(value));
  std::string& kept = cookie_raw_.Insert(name);
  if (kept.empty()) kept = std::move(raw);
}

String RequestCollection::Item(StringView name) const {
  const auto* values = values_.Find(name);
  return values ? Joined(*values) : String();
}

String RequestCollection::ItemAt(size_t position) const {
  if (position < 1 || position > values_.size()) vb::Raise(vb::kSubscriptOutOfRange);
  return Joined(values_.at(position - 1).value);
}

std::vector<String> RequestCollection::Values(StringView name) const {
  const auto* values = values_.Find(name);
  return values ? *values : std::vector<String>();
}

String RequestCollection::SubKey(StringView name, StringView key) const {
  const std::string* raw = cookie_raw_.Find(name);
  if (!raw) return {};
  for (auto& [k, v] : ParseUrlEncoded(*raw))
    if (vb::EqualsNoCase(k, key)) return v;
  return {};
}

String RequestCollection::Key(size_t position) const {
  if (position < 1 || position > values_.size()) vb::Raise(vb::kSubscriptOutOfRange);
  return values_.at(position - 1).name;
}

std::vector<String> RequestCollection::Keys() const {
  std::vector<String> keys;
  for (const auto& entry : values_) keys.push_back(entry.name);
  return keys;
}

Variant RequestCollection::Lookup(const Variant& selector) const {
  if (IsIndexArg(selector)) return ItemAt(IndexArg(selector, Count()) + 1);
  return Item(ArgText(selector));
}

}  // namespace asp
