#pragma once
// ADOX: "ADOX.Catalog" and the Table, Column, Index and Key objects, over the
// catalog of the SQLite provider. A table, column or index made with
// CreateObject is free; once appended to a catalog it is bound to the
// database, and changes to it (appending columns or indexes, renaming) are
// made in the database at once.
#include <memory>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/jet_catalog.h"
#include "platform/com/object.h"

namespace ado::adox {

using catalog::ColumnDef;
using catalog::IndexDef;

class Catalog;

// Where a bound object lives: the catalog's connection and a table's name.
struct Binding {
  std::shared_ptr<Connection> connection;
  String table;
  Database& Db() const;  // 3709 when the connection is closed or not an Access one
  catalog::TableDef Read() const;  // the table as the database has it now
};

class Column : public com::Dispatch<Column> {
 public:
  Column() = default;
  Column(ColumnDef def, std::shared_ptr<Binding> bound) : def_(std::move(def)), bound_(std::move(bound)) {}
  static const com::MemberTable<Column>& Members();
  String TypeName() const override { return u"Column"; }

  const ColumnDef& Def() const { return def_; }
  void Bind(std::shared_ptr<Binding> bound) { bound_ = std::move(bound); }
  // Changes the definition; a bound column changes in the database.
  void Change(const std::function<void(ColumnDef&)>& edit);

  int sort_order = 1;          // as an index's column
  Variant parent_catalog;      // ParentCatalog, as set

 private:
  ColumnDef def_;
  std::shared_ptr<Binding> bound_;
};

class Index : public com::Dispatch<Index> {
 public:
  static const com::MemberTable<Index>& Members();
  String TypeName() const override { return u"Index"; }
  IndexDef Def() const;  // with its columns as they are now

  IndexDef def;
  std::vector<std::shared_ptr<Column>> columns;
  bool bound = false;
};

class Key : public com::Dispatch<Key> {
 public:
  static const com::MemberTable<Key>& Members();
  String TypeName() const override { return u"Key"; }

  String name;
  int type = 1;  // adKeyPrimary 1, adKeyForeign 2, adKeyUnique 3
  String related_table;
  std::vector<std::shared_ptr<Column>> columns;
  bool bound = false;
};

class Table : public com::Dispatch<Table> {
 public:
  static const com::MemberTable<Table>& Members();
  String TypeName() const override { return u"Table"; }

  // The definition that appending this free table creates.
  catalog::TableDef Definition() const;
  void Bind(std::shared_ptr<Binding> bound);
  bool IsBound() const { return bound_ != nullptr; }
  const std::shared_ptr<Binding>& Bound() const { return bound_; }
  String Name() const { return bound_ ? bound_->table : name_; }
  void SetName(StringView name);

  // The collections' contents: free ones are kept here, bound ones read.
  std::vector<std::shared_ptr<Column>> ColumnList();
  void AppendColumn(std::shared_ptr<Column> column);
  void DeleteColumn(const Variant& index);
  std::vector<std::shared_ptr<Index>> IndexList();
  void AppendIndex(std::shared_ptr<Index> index);
  void DeleteIndex(const Variant& index);
  std::vector<std::shared_ptr<Key>> KeyList();
  void AppendKey(std::shared_ptr<Key> key);

  Variant parent_catalog;

 private:
  String name_;
  std::vector<std::shared_ptr<Column>> columns_;
  std::vector<std::shared_ptr<Index>> indexes_;
  std::vector<std::shared_ptr<Key>> keys_;
  std::shared_ptr<Binding> bound_;
};

class Catalog : public com::Dispatch<Catalog> {
 public:
  static const com::MemberTable<Catalog>& Members();
  String TypeName() const override { return u"Catalog"; }

  // Creates a new database file and binds the catalog to it; returns its
  // connection. "Database already exists." when the file is there.
  Variant Create(StringView connection_string);
  void SetActiveConnection(const Variant& connection);
  Variant ActiveConnection() const;

  std::vector<catalog::TableEntry> TableList();
  std::shared_ptr<Table> TableNamed(const String& name);
  void AppendTable(const Variant& table);
  void DeleteTable(const Variant& index);

 private:
  std::shared_ptr<Connection> Bound() const;
  std::shared_ptr<Connection> connection_;
};

}  // namespace ado::adox
