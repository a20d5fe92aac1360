#pragma once
// What a provider gives the ADO objects: sessions that run statements, and
// row sources behind recordsets, with writers for the updatable ones.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ado/connection_string.h"
#include "platform/vb/variant.h"

namespace ado {

using vb::Variant;

enum class CursorType { kForwardOnly = 0, kKeyset = 1, kDynamic = 2, kStatic = 3 };

// A recordset's field as the provider describes it.
struct FieldInfo {
  String name;
  int type = 12;             // ADO DataTypeEnum; adVariant until known
  int32_t defined_size = 0;
  uint8_t precision = 0;
  uint8_t scale = 0;
  int attributes = 0;        // FieldAttributeEnum
  bool typed = true;         // false: the type comes from the first value
};

// One row: the provider's key (row id) and the field values.
struct RowData {
  int64_t key = 0;
  bool deleted = false;  // the row was deleted by another recordset
  std::vector<Variant> values;
};

// The rows behind a recordset. A scrollable source knows its size and gives
// any row by position; a forward-only source gives them in order.
class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual std::vector<FieldInfo>& Fields() = 0;
  virtual bool Scrollable() const = 0;
  virtual int64_t Size() const { return -1; }
  virtual const RowData& At(int64_t index) = 0;
  virtual bool Next(RowData& out) = 0;
  virtual void Rewind() = 0;
  // Before the recordset adds or deletes rows: reads whatever the positions
  // of the rows depend on, so that the change cannot shift what is read later.
  virtual void Settle() {}
  // After the recordset changed the rows through its writer (or on its own,
  // for a recordset without a connection).
  virtual void Appended(RowData row) = 0;
  virtual void Removed(int64_t index) = 0;
  virtual void Changed(int64_t index, const RowData& row) = 0;
  // The memory that the source keeps per row for keys (keyset cursors).
  virtual size_t KeyBytes() const { return 0; }
};

// Writes a recordset's edits to the rows' table.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  // Inserts the assigned values; returns the new row's key.
  virtual int64_t Insert(const std::vector<Variant>& values, const std::vector<bool>& assigned) = 0;
  virtual void Update(int64_t key, const std::vector<Variant>& values, const std::vector<bool>& changed) = 0;
  virtual void Delete(int64_t key) = 0;
  // The row as it is stored now (defaults and numbering filled in).
  virtual RowData Reload(int64_t key) = 0;
};

struct QueryResult {
  std::unique_ptr<RowSource> rows;   // null for a statement that returns none
  std::unique_ptr<RowWriter> writer; // null when the rows cannot be updated
  CursorType cursor = CursorType::kForwardOnly;  // the cursor the provider gave
  int64_t records_affected = -1;
};

// A statement that returns no rows, prepared once and run with values bound
// to its "?" markers in order (never put into its text).
class BoundStatement {
 public:
  virtual ~BoundStatement() = default;
  // Runs it with these values; the number of rows it changed.
  virtual int64_t Run(const std::vector<Variant>& values) = 0;
};

// One open connection of a provider.
class Session {
 public:
  virtual ~Session() = default;
  virtual ProviderId Provider() const = 0;
  // Runs one statement. `updatable` asks for a writer when the rows allow it.
  virtual QueryResult Execute(StringView sql, CursorType cursor, bool updatable) = 0;
  // Nested transactions; BeginTrans returns the new level.
  virtual int BeginTrans() = 0;
  virtual void CommitTrans() = 0;
  virtual void RollbackTrans() = 0;
  virtual int TransactionLevel() const = 0;
  // Prepares a statement with "?" markers; raises as Execute does. A
  // provider that cannot raises E_FAIL.
  virtual std::unique_ptr<BoundStatement> Prepare(StringView sql);
};

}  // namespace ado
