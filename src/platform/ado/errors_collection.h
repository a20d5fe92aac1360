#pragma once
// A connection's Errors collection and its Error objects.
#include <memory>
#include <vector>

#include "platform/ado/errors.h"
#include "platform/com/object.h"

namespace ado {

using vb::Variant;

class ErrorItem : public com::Dispatch<ErrorItem> {
 public:
  explicit ErrorItem(const ProviderError& e)
      : number_(e.Number()), description_(e.Description()), source_(e.Source()), sql_state_(e.SqlState()),
        native_(e.NativeError()) {}
  static const com::MemberTable<ErrorItem>& Members();
  String TypeName() const override { return u"Error"; }

  int32_t number_;
  String description_, source_, sql_state_;
  int32_t native_;
};

class Errors : public com::Dispatch<Errors> {
 public:
  static const com::MemberTable<Errors>& Members();
  String TypeName() const override { return u"Errors"; }

  // The errors of the last operation that failed in the provider.
  void Record(const ProviderError& e) { items_ = {std::make_shared<ErrorItem>(e)}; }
  void Clear() { items_.clear(); }
  size_t Count() const { return items_.size(); }

 private:
  std::vector<std::shared_ptr<ErrorItem>> items_;
};

}  // namespace ado
