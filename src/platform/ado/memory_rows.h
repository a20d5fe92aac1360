#pragma once
// Rows held in memory: static cursors, results of the SQL Server adapter, and
// recordsets built field by field without a connection.
#include "platform/ado/provider.h"

namespace ado {

class MemoryRows : public RowSource {
 public:
  MemoryRows(std::vector<FieldInfo> fields, std::vector<RowData> rows)
      : fields_(std::move(fields)), rows_(std::move(rows)) {}

  std::vector<FieldInfo>& Fields() override { return fields_; }
  bool Scrollable() const override { return true; }
  int64_t Size() const override { return static_cast<int64_t>(rows_.size()); }
  const RowData& At(int64_t index) override { return rows_.at(static_cast<size_t>(index)); }
  bool Next(RowData&) override { return false; }
  void Rewind() override {}
  void Appended(RowData row) override { rows_.push_back(std::move(row)); }
  void Removed(int64_t index) override { rows_.erase(rows_.begin() + index); }
  void Changed(int64_t index, const RowData& row) override { rows_.at(static_cast<size_t>(index)) = row; }

 private:
  std::vector<FieldInfo> fields_;
  std::vector<RowData> rows_;
};

// Gives untyped fields (expressions) the type of their first non-Null value.
void TypeFieldsFromValues(std::vector<FieldInfo>& fields, std::vector<RowData>& rows);

}  // namespace ado
