#pragma once
// A collection of the Request object (QueryString, Form, Cookies,
// ClientCertificate, ServerVariables): names in order, each with one or more
// values, found in any letter case.
#include <optional>
#include <string>
#include <vector>

#include "platform/asp/ordered_names.h"
#include "platform/com/object.h"

namespace asp {

using vb::String;
using vb::StringView;
using vb::Variant;

class RequestCollection : public com::Dispatch<RequestCollection> {
 public:
  // `raw` is what calling the collection without arguments gives.
  explicit RequestCollection(String raw = {}) : raw_(std::move(raw)) {}
  // The same from URL-encoded bytes, as UTF-8 or in the text codec, decoded
  // only when asked for: a form's body may be megabytes that no page reads raw.
  RequestCollection(std::string raw_bytes, bool utf8) : raw_bytes_(std::move(raw_bytes)), raw_utf8_(utf8) {}

  static const com::MemberTable<RequestCollection>& Members();
  String TypeName() const override { return u"IRequestDictionary"; }

  void Add(StringView name, String value);
  // A cookie: its value as read, and its raw text where sub-keys are looked up
  // ("UserName=abc&PassWord=x").
  void AddCookie(StringView name, String value, std::string raw);

  bool Has(StringView name) const { return values_.Find(name) != nullptr; }
  // The values joined with ", "; "" when the name is absent.
  String Item(StringView name) const;
  // Position from 1; error 9 outside.
  String ItemAt(size_t position) const;
  std::vector<String> Values(StringView name) const;
  // A cookie's sub-key: "" when the cookie or the key is absent.
  String SubKey(StringView name, StringView key) const;
  size_t Count() const { return values_.size(); }
  String Key(size_t position) const;
  std::vector<String> Keys() const;
  const String& Raw() const;

  // Item by a name or a position, as the late-bound default member takes it.
  Variant Lookup(const Variant& selector) const;

 private:
  mutable std::optional<String> raw_;
  std::string raw_bytes_;
  bool raw_utf8_ = false;
  OrderedNames<std::vector<String>> values_;
  OrderedNames<std::string> cookie_raw_;
};

}  // namespace asp
