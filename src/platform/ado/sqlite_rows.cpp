#include "platform/ado/sqlite_rows.h"

#include <optional>

#include "platform/ado/ado_types.h"
#include "platform/ado/errors.h"
#include "platform/ado/jet_dates.h"
#include "platform/ado/jet_sql.h"
#include "platform/ado/memory_rows.h"
#include "platform/ado/sqlite_values.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace ado {
namespace {

String Utf16(const char* text) { return text ? vb::FromUtf8(text) : String(); }

FieldInfo FieldOf(const String& name, const catalog::ColumnDef& c, bool updatable) {
  FieldInfo f;
  f.name = name;
  f.type = c.type;
  f.defined_size = c.DefinedSize();
  f.precision = static_cast<uint8_t>(c.precision);
  f.scale = static_cast<uint8_t>(c.scale);
  f.attributes = (updatable && !c.autoincrement ? adFldUpdatable : 0) |
                 (c.nullable && !c.autoincrement ? adFldIsNullable : 0) | adFldMayBeNull |
                 (IsLongType(c.type) ? adFldLong : 0) | (IsFixedType(c.type) ? adFldFixed : 0);
  return f;
}

}  // namespace

std::vector<FieldInfo> DescribeColumns(Database& db, sqlite3_stmt* stmt, int first,
                                       std::vector<String>* base_tables, std::vector<String>* base_columns) {
  catalog::CatalogCache& catalog = db.Catalog();
  std::vector<FieldInfo> fields;
  int n = sqlite3_column_count(stmt);
  for (int i = first; i < n; ++i) {
    String name = Utf16(sqlite3_column_name(stmt, i));
    String table = Utf16(sqlite3_column_table_name(stmt, i));
    String column = Utf16(sqlite3_column_origin_name(stmt, i));
    const catalog::ColumnDef* def = nullptr;
    std::shared_ptr<const catalog::TableDef> described;
    if (!table.empty()) {
      described = catalog.FindTable(db, table);
      if (described) def = described->FindColumn(column);
    }
    FieldInfo f;
    if (def && def->type != 0) {
      f = FieldOf(name, *def, true);
    } else {
      const char* declared = sqlite3_column_decltype(stmt, i);
      catalog::ColumnDef c = catalog::ColumnFromDeclaration(name, declared ? Utf16(declared) : String());
      if (c.type != 0) {
        f = FieldOf(name, c, !table.empty());
      } else {
        f.name = name;
        f.typed = false;
      }
    }
    fields.push_back(std::move(f));
    if (base_tables) base_tables->push_back(def ? table : String());
    if (base_columns) base_columns->push_back(def ? def->name : String());
  }
  return fields;
}

Variant TypedColumn(sqlite3_stmt* stmt, int column, const FieldInfo& field) {
  int stored = sqlite3_column_type(stmt, column);
  if (stored == SQLITE_NULL) return Variant::Null();
  if (!field.typed) return UntypedColumn(stmt, column);
  switch (field.type) {
    case adBoolean: return Variant(sqlite3_column_int64(stmt, column) != 0);
    case adSmallInt:
    case adTinyInt: return Variant(static_cast<int16_t>(sqlite3_column_int(stmt, column)));
    case adUnsignedTinyInt: return Variant(static_cast<uint8_t>(sqlite3_column_int(stmt, column)));
    case adInteger:
      if (stored == SQLITE_INTEGER) return Variant(static_cast<int32_t>(sqlite3_column_int64(stmt, column)));
      break;
    case adSingle: return Variant(static_cast<float>(sqlite3_column_double(stmt, column)));
    case adDouble:
    case adDecimal:
    case adNumeric:
    case adBigInt:
      if (stored != SQLITE_TEXT) return Variant(sqlite3_column_double(stmt, column));
      break;
    case adCurrency: {
      // An integer is a whole amount; a real the nearest to the amount stored.
      std::optional<vb::Currency> amount;
      if (stored == SQLITE_INTEGER) {
        const sqlite3_int64 whole = sqlite3_column_int64(stmt, column);
        if (whole >= -922337203685477 && whole <= 922337203685477) amount = vb::Currency{whole * 10000};
      } else if (stored == SQLITE_FLOAT) {
        amount = vb::CurrencyOfDouble(sqlite3_column_double(stmt, column));
      } else {
        break;
      }
      if (!amount) vb::Raise(vb::kOverflow);
      return Variant(*amount);
    }
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp: {
      if (stored == SQLITE_INTEGER || stored == SQLITE_FLOAT) return Variant(vb::Date{sqlite3_column_double(stmt, column)});
      const unsigned char* text = sqlite3_column_text(stmt, column);
      vb::Date d;
      std::string_view view(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
      if (jet::ParseStoredDate(view, d)) return Variant(d);
      break;
    }
    default:
      if (IsTextType(field.type)) {
        const void* p = sqlite3_column_text16(stmt, column);
        return Variant(String(static_cast<const char16_t*>(p), static_cast<size_t>(sqlite3_column_bytes16(stmt, column)) / 2));
      }
      if (IsBinaryType(field.type)) {
        const uint8_t* p = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, column));
        int bytes = sqlite3_column_bytes(stmt, column);
        return Variant(vb::Array::OfBytes(std::vector<uint8_t>(p, p + bytes)));
      }
  }
  // A value that does not fit its column's type (written by SQL): as stored.
  return UntypedColumn(stmt, column);
}

void ReadRow(sqlite3_stmt* stmt, int first, const std::vector<FieldInfo>& fields, RowData& row) {
  row.deleted = false;
  row.key = first > 0 ? sqlite3_column_int64(stmt, 0) : 0;
  row.values.resize(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) row.values[i] = TypedColumn(stmt, first + static_cast<int>(i), fields[i]);
}

KeysetRows::KeysetRows(std::shared_ptr<Database> db, std::vector<FieldInfo> fields, int64_t size,
                       Statement key_block, Statement row_by_key)
    : db_(std::move(db)),
      fields_(std::move(fields)),
      size_(size),
      key_block_(std::move(key_block)),
      row_by_key_(std::move(row_by_key)),
      blocks_(static_cast<size_t>((size + kBlock - 1) / kBlock)) {
  // The first rows' keys are read at once: what a page shows first is fixed
  // when the recordset opens.
  if (size_ > 0) KeyAt(0);
}

// A row id of 0 never names a row: a key that was not there any more when
// its block was read.
constexpr int64_t kMissingKey = 0;

int64_t KeysetRows::KeyAt(int64_t index) {
  if (flat_) return blocks_[0].at(static_cast<size_t>(index));
  size_t b = static_cast<size_t>(index / kBlock);
  if (blocks_.at(b).empty()) LoadBlocks(b);
  return blocks_[b][static_cast<size_t>(index % kBlock)];
}

void KeysetRows::LoadBlocks(size_t first) {
  // A jump reads one block. Reading on from the blocks before reads as many
  // blocks as are read already, so that going through all the rows reads
  // each key a bounded number of times.
  size_t run = 0;
  while (run < first && !blocks_[first - run - 1].empty()) ++run;
  size_t count = std::max<size_t>(run, 1);
  size_t last = first;
  while (last + 1 < blocks_.size() && last + 1 < first + count && blocks_[last + 1].empty()) ++last;
  int64_t from = static_cast<int64_t>(first) * kBlock;
  int64_t wanted = std::min(static_cast<int64_t>(last + 1) * kBlock, size_) - from;
  key_block_.Reset();
  key_block_.BindInt(1, wanted);
  key_block_.BindInt(2, from);
  for (size_t b = first; b <= last; ++b) {
    std::vector<int64_t>& block = blocks_[b];
    int64_t n = std::min(kBlock, size_ - static_cast<int64_t>(b) * kBlock);
    block.reserve(static_cast<size_t>(n));
    while (static_cast<int64_t>(block.size()) < n && key_block_.Step())
      block.push_back(sqlite3_column_int64(key_block_.get(), 0));
    // Rows deleted since the count read as deleted rows.
    block.resize(static_cast<size_t>(n), kMissingKey);
  }
  key_block_.Reset();
}

void KeysetRows::LoadAll() {
  if (flat_) return;
  std::vector<int64_t> all;
  all.reserve(static_cast<size_t>(size_));
  for (int64_t i = 0; i < size_; ++i) all.push_back(KeyAt(i));
  blocks_.clear();
  blocks_.push_back(std::move(all));
  flat_ = true;
}

size_t KeysetRows::KeyBytes() const {
  size_t bytes = blocks_.capacity() * sizeof(std::vector<int64_t>);
  for (const auto& b : blocks_) bytes += b.capacity() * sizeof(int64_t);
  return bytes;
}

const RowData& KeysetRows::At(int64_t index) {
  if (cached_ == index) return row_;
  int64_t key = KeyAt(index);
  row_.deleted = true;
  if (key != kMissingKey) {
    row_by_key_.Reset();
    row_by_key_.BindInt(1, key);
    if (row_by_key_.Step()) ReadRow(row_by_key_.get(), 0, fields_, row_);
    row_by_key_.Reset();  // no statement stays open between reads
  }
  // Deleted since the keys were read: the row reads as deleted.
  if (row_.deleted) row_.values.assign(fields_.size(), Variant::Null());
  row_.key = key;
  cached_ = index;
  return row_;
}

void KeysetRows::Appended(RowData row) {
  LoadAll();
  blocks_[0].push_back(row.key);
  ++size_;
  cached_ = -1;
}

void KeysetRows::Removed(int64_t index) {
  LoadAll();
  blocks_[0].erase(blocks_[0].begin() + index);
  --size_;
  cached_ = -1;
}

void KeysetRows::Changed(int64_t, const RowData&) { cached_ = -1; }

StreamRows::StreamRows(std::shared_ptr<Database> db, Statement stmt, bool keyed, std::vector<FieldInfo> fields)
    : db_(std::move(db)), stmt_(std::move(stmt)), first_column_(keyed ? 1 : 0), fields_(std::move(fields)) {
  Prefetch();
  // Expressions take the type of the first row's value.
  std::vector<RowData> first;
  if (has_first_) first.push_back(first_);
  TypeFieldsFromValues(fields_, first);
  if (has_first_) first_ = first.front();
}

void StreamRows::Prefetch() {
  has_first_ = stmt_.Step();
  done_ = !has_first_;
  if (has_first_) {
    // Untyped fields read as stored until the types are known.
    ReadRow(stmt_.get(), first_column_, fields_, first_);
  } else {
    stmt_.Reset();
  }
}

bool StreamRows::Next(RowData& out) {
  if (has_first_) {
    has_first_ = false;
    out = std::move(first_);
    return true;
  }
  if (done_) return false;
  if (!stmt_.Step()) {
    done_ = true;
    sqlite3_reset(stmt_.get());  // release the read lock at the end
    return false;
  }
  ReadRow(stmt_.get(), first_column_, fields_, out);
  return true;
}

void StreamRows::Rewind() {
  sqlite3_reset(stmt_.get());
  Prefetch();
}

TableWriter::TableWriter(std::shared_ptr<Database> db, String table, std::vector<String> columns,
                         std::vector<FieldInfo> fields, std::string row_by_key_sql)
    : db_(std::move(db)),
      table_(std::move(table)),
      columns_(std::move(columns)),
      fields_(std::move(fields)),
      row_by_key_sql_(std::move(row_by_key_sql)) {}

int64_t TableWriter::Insert(const std::vector<Variant>& values, const std::vector<bool>& assigned) {
  std::string names, marks;
  std::vector<const Variant*> bound;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (!assigned[i] || columns_[i].empty()) continue;
    if (!names.empty()) names += ", ", marks += ", ";
    names += jet::QuoteName(columns_[i]);
    marks += "?";
    bound.push_back(&values[i]);
  }
  std::string sql = "INSERT INTO " + jet::QuoteName(table_) +
                    (names.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")");
  Statement s = db_->Prepare(sql);
  for (size_t i = 0; i < bound.size(); ++i) s.Bind(static_cast<int>(i + 1), *bound[i]);
  s.Step();
  return db_->LastRowId();
}

void TableWriter::Update(int64_t key, const std::vector<Variant>& values, const std::vector<bool>& changed) {
  std::string sets;
  std::vector<const Variant*> bound;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (!changed[i] || columns_[i].empty()) continue;
    if (!sets.empty()) sets += ", ";
    sets += jet::QuoteName(columns_[i]) + "=?";
    bound.push_back(&values[i]);
  }
  if (sets.empty()) return;
  Statement s = db_->Prepare("UPDATE " + jet::QuoteName(table_) + " SET " + sets + " WHERE rowid=?");
  int n = 1;
  for (const Variant* v : bound) s.Bind(n++, *v);
  s.BindInt(n, key);
  s.Step();
}

void TableWriter::Delete(int64_t key) {
  Statement s = db_->Prepare("DELETE FROM " + jet::QuoteName(table_) + " WHERE rowid=?");
  s.BindInt(1, key);
  s.Step();
}

RowData TableWriter::Reload(int64_t key) {
  Statement s = db_->Prepare(row_by_key_sql_);
  s.BindInt(1, key);
  RowData row;
  if (s.Step()) {
    ReadRow(s.get(), 0, fields_, row);
  } else {
    row.deleted = true;
    row.values.assign(fields_.size(), Variant::Null());
  }
  row.key = key;
  return row;
}

}  // namespace ado
