#pragma once
// Row sources and the row writer of the SQLite provider.
#include <memory>
#include <optional>

#include "platform/ado/jet_catalog.h"
#include "platform/ado/provider.h"
#include "platform/ado/sqlite_db.h"

namespace ado {

// The fields of a prepared statement's columns from `first` on: the catalog's
// types for columns of tables, untyped for expressions. `base_columns`
// receives each field's table column ("" for an expression) and
// `base_tables` its table.
std::vector<FieldInfo> DescribeColumns(Database& db, sqlite3_stmt* stmt, int first,
                                       std::vector<String>* base_tables, std::vector<String>* base_columns);

// A column value as a field of the given type reads it.
Variant TypedColumn(sqlite3_stmt* stmt, int column, const FieldInfo& field);
void ReadRow(sqlite3_stmt* stmt, int first, const std::vector<FieldInfo>& fields, RowData& row);

// A keyset cursor: the number of rows is read when it opens, the row ids in
// blocks as positions are reached, and each row when it is read (one row is
// kept); so a page of a large table costs about what reading that page with
// LIMIT and OFFSET costs, and the keys take 8 bytes a row once all are read.
// No statement stays open between reads.
class KeysetRows : public RowSource {
 public:
  KeysetRows(std::shared_ptr<Database> db, std::vector<FieldInfo> fields, int64_t size, Statement key_block,
             Statement row_by_key);
  std::vector<FieldInfo>& Fields() override { return fields_; }
  bool Scrollable() const override { return true; }
  int64_t Size() const override { return size_; }
  const RowData& At(int64_t index) override;
  bool Next(RowData&) override { return false; }
  void Rewind() override {}
  void Settle() override { LoadAll(); }
  void Appended(RowData row) override;
  void Removed(int64_t index) override;
  void Changed(int64_t index, const RowData& row) override;
  size_t KeyBytes() const override;

  static constexpr int64_t kBlock = 512;

 private:
  int64_t KeyAt(int64_t index);
  void LoadBlocks(size_t first);
  void LoadAll();  // before the positions shift: one block holds every key

  std::shared_ptr<Database> db_;
  std::vector<FieldInfo> fields_;
  int64_t size_;
  Statement key_block_;  // ?1 keys from position ?2
  Statement row_by_key_;
  std::vector<std::vector<int64_t>> blocks_;  // empty: not read yet
  bool flat_ = false;                         // blocks_[0] holds all keys
  int64_t cached_ = -1;
  RowData row_;
};

// A forward-only cursor: the statement steps as the recordset moves; the
// first row is read when it opens.
class StreamRows : public RowSource {
 public:
  // `keyed`: the statement's first column is the row id.
  StreamRows(std::shared_ptr<Database> db, Statement stmt, bool keyed, std::vector<FieldInfo> fields);
  std::vector<FieldInfo>& Fields() override { return fields_; }
  bool Scrollable() const override { return false; }
  const RowData& At(int64_t) override { return first_; }
  bool Next(RowData& out) override;
  void Rewind() override;
  void Appended(RowData) override {}
  void Removed(int64_t) override {}
  void Changed(int64_t, const RowData&) override {}

 private:
  void Prefetch();
  std::shared_ptr<Database> db_;
  Statement stmt_;
  int first_column_;
  std::vector<FieldInfo> fields_;
  bool has_first_ = false;
  bool done_ = false;
  RowData first_;
};

// Writes edits to one table by row id.
class TableWriter : public RowWriter {
 public:
  TableWriter(std::shared_ptr<Database> db, String table, std::vector<String> columns,
              std::vector<FieldInfo> fields, std::string row_by_key_sql);
  int64_t Insert(const std::vector<Variant>& values, const std::vector<bool>& assigned) override;
  void Update(int64_t key, const std::vector<Variant>& values, const std::vector<bool>& changed) override;
  void Delete(int64_t key) override;
  RowData Reload(int64_t key) override;

 private:
  std::shared_ptr<Database> db_;
  String table_;
  std::vector<String> columns_;
  std::vector<FieldInfo> fields_;
  std::string row_by_key_sql_;
};

}  // namespace ado
