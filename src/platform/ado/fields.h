#pragma once
// A recordset's Fields collection and its Field objects. Both keep the
// recordset alive and read it when asked, so a Field always shows the
// current row.
#include <memory>

#include "platform/ado/recordset.h"

namespace ado {

class Fields : public com::Dispatch<Fields> {
 public:
  explicit Fields(std::shared_ptr<Recordset> rs) : rs_(std::move(rs)) {}
  static const com::MemberTable<Fields>& Members();
  String TypeName() const override { return u"Fields"; }
  Recordset& rs() { return *rs_; }
  const std::shared_ptr<Recordset>& shared_rs() const { return rs_; }

 private:
  std::shared_ptr<Recordset> rs_;
};

class Field : public com::Dispatch<Field> {
 public:
  Field(std::shared_ptr<Recordset> rs, size_t index) : rs_(std::move(rs)), index_(index) {}
  static const com::MemberTable<Field>& Members();
  String TypeName() const override { return u"Field"; }
  Recordset& rs() { return *rs_; }
  size_t index() const { return index_; }

 private:
  std::shared_ptr<Recordset> rs_;
  size_t index_;
};

}  // namespace ado
