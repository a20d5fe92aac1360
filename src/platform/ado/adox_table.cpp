// ADOX tables, with their columns, indexes and keys.
#include "platform/ado/ado_collection.h"
#include "platform/ado/ado_types.h"
#include "platform/ado/adox.h"
#include "platform/ado/adox_collection.h"
#include "platform/ado/errors.h"
#include "platform/ado/sqlite_session.h"
#include "platform/vb/convert.h"

namespace ado::adox {
namespace {

enum KeyType { adKeyPrimary = 1, adKeyForeign = 2, adKeyUnique = 3 };

template <class T>
std::vector<Variant> AsVariants(const std::vector<std::shared_ptr<T>>& items) {
  return std::vector<Variant>(items.begin(), items.end());
}

template <class T>
std::shared_ptr<T> ObjectAs(const Variant& v) {
  auto object = std::dynamic_pointer_cast<T>(v.GetObject());
  if (!object) RaiseAdo(kErrInvalidArgument, kSourceAdox);
  return object;
}

String NameOfColumn(const Variant& v) { return std::static_pointer_cast<Column>(v.GetObject())->Def().name; }

// Columns.Append(column or name, type, size).
std::shared_ptr<Column> ColumnArgument(com::ArgList& a) {
  if (a[0].IsObject()) return ObjectAs<Column>(a[0]);
  ColumnDef def;
  def.name = vb::CStr(a[0]);
  def.type = a.IsMissing(1) ? adVarWChar : vb::CLng(a[1]);
  def.defined_size = a.IsMissing(2) ? 0 : vb::CLng(a[2]);
  if (!IsKnownType(def.type)) RaiseAdo(kErrInvalidArgument, kSourceAdox);
  return std::make_shared<Column>(std::move(def), nullptr);
}

template <class T>
size_t PositionIn(const std::vector<std::shared_ptr<T>>& items, const Variant& index,
                  const std::function<String(const T&)>& name_of) {
  return ResolveIndex(index, items.size(), [&](size_t i) { return name_of(*items[i]); }, kSourceAdox);
}

// The collection of column names that an index or key has; it keeps its
// owner (and so the list) alive.
Variant NameColumns(std::shared_ptr<void> owner, std::vector<std::shared_ptr<Column>>* columns, bool bound) {
  Collection::Backend backend;
  backend.items = [owner, columns] { return AsVariants(*columns); };
  backend.name_of = NameOfColumn;
  if (!bound) {
    backend.append = [owner, columns](com::ArgList& a) {
      auto c = ColumnArgument(a);
      for (const auto& existing : *columns)
        if (vb::EqualsNoCase(existing->Def().name, c->Def().name)) RaiseAdo(kErrObjectInCollection, kSourceAdox);
      columns->push_back(c);
    };
    backend.remove = [owner, columns](const Variant& index) {
      columns->erase(columns->begin() + static_cast<std::ptrdiff_t>(PositionIn<Column>(
                                            *columns, index, [](const Column& c) { return c.Def().name; })));
    };
  }
  return Variant(std::make_shared<Collection>(u"Columns", std::move(backend)));
}

std::shared_ptr<Index> IndexOf(const IndexDef& def) {
  auto index = std::make_shared<Index>();
  index->def = def;
  index->bound = true;
  for (const auto& ic : def.columns) {
    ColumnDef c;
    c.name = ic.name;
    auto column = std::make_shared<Column>(std::move(c), nullptr);
    column->sort_order = ic.sort_order;
    index->columns.push_back(std::move(column));
  }
  return index;
}

}  // namespace

Database& Binding::Db() const {
  auto* sqlite = dynamic_cast<SqliteSession*>(&connection->session());
  if (!sqlite) RaiseAdo(kErrFeatureNotAvailable, kSourceAdox);
  return sqlite->Db();
}

catalog::TableDef Binding::Read() const {
  auto t = catalog::ReadTable(Db(), table);
  if (!t) RaiseAdo(kErrItemNotFound, kSourceAdox);
  return *t;
}

IndexDef Index::Def() const {
  IndexDef d = def;
  d.columns.clear();
  for (const auto& c : columns) d.columns.push_back({c->Def().name, c->sort_order});
  return d;
}

catalog::TableDef Table::Definition() const {
  catalog::TableDef t;
  t.name = name_;
  for (const auto& c : columns_) t.columns.push_back(c->Def());
  for (const auto& ix : indexes_) t.indexes.push_back(ix->Def());
  for (const auto& k : keys_) {
    IndexDef d;
    d.name = k->name;
    d.primary_key = k->type == adKeyPrimary;
    d.unique = true;
    for (const auto& c : k->columns) d.columns.push_back({c->Def().name, 1});
    t.indexes.push_back(std::move(d));
  }
  return t;
}

void Table::Bind(std::shared_ptr<Binding> bound) {
  bound_ = std::move(bound);
  for (auto& c : columns_) c->Bind(bound_);
  for (auto& ix : indexes_) ix->bound = true;
  for (auto& k : keys_) k->bound = true;
}

void Table::SetName(StringView name) {
  if (!bound_) {
    name_ = String(name);
    return;
  }
  catalog::RenameTable(bound_->Db(), bound_->table, name);
  bound_->table = String(name);
}

std::vector<std::shared_ptr<Column>> Table::ColumnList() {
  if (!bound_) return columns_;
  std::vector<std::shared_ptr<Column>> out;
  for (auto& def : bound_->Read().columns) out.push_back(std::make_shared<Column>(std::move(def), bound_));
  return out;
}

void Table::AppendColumn(std::shared_ptr<Column> column) {
  if (bound_) {
    catalog::AddColumn(bound_->Db(), bound_->table, column->Def());
    column->Bind(bound_);
    return;
  }
  for (const auto& c : columns_)
    if (vb::EqualsNoCase(c->Def().name, column->Def().name)) RaiseAdo(kErrObjectInCollection, kSourceAdox);
  columns_.push_back(std::move(column));
}

void Table::DeleteColumn(const Variant& index) {
  auto list = ColumnList();
  size_t i = PositionIn<Column>(list, index, [](const Column& c) { return c.Def().name; });
  if (bound_) catalog::DropColumn(bound_->Db(), bound_->table, list[i]->Def().name);
  else columns_.erase(columns_.begin() + static_cast<std::ptrdiff_t>(i));
}

std::vector<std::shared_ptr<Index>> Table::IndexList() {
  if (!bound_) return indexes_;
  std::vector<std::shared_ptr<Index>> out;
  for (const auto& def : bound_->Read().indexes) out.push_back(IndexOf(def));
  return out;
}

void Table::AppendIndex(std::shared_ptr<Index> index) {
  if (index->def.name.empty()) RaiseAdo(kErrInvalidArgument, kSourceAdox);
  if (bound_) {
    catalog::AddIndex(bound_->Db(), bound_->table, index->Def());
    index->bound = true;
    return;
  }
  for (const auto& ix : indexes_)
    if (vb::EqualsNoCase(ix->def.name, index->def.name)) RaiseAdo(kErrObjectInCollection, kSourceAdox);
  indexes_.push_back(std::move(index));
}

void Table::DeleteIndex(const Variant& index) {
  auto list = IndexList();
  size_t i = PositionIn<Index>(list, index, [](const Index& ix) { return ix.def.name; });
  if (bound_) catalog::DropIndex(bound_->Db(), bound_->table, list[i]->def.name);
  else indexes_.erase(indexes_.begin() + static_cast<std::ptrdiff_t>(i));
}

std::vector<std::shared_ptr<Key>> Table::KeyList() {
  if (!bound_) return keys_;
  std::vector<std::shared_ptr<Key>> out;
  for (const auto& def : bound_->Read().indexes) {
    if (!def.primary_key) continue;
    auto key = std::make_shared<Key>();
    key->name = def.name;
    key->type = adKeyPrimary;
    key->columns = IndexOf(def)->columns;
    key->bound = true;
    out.push_back(std::move(key));
  }
  return out;
}

void Table::AppendKey(std::shared_ptr<Key> key) {
  if (key->type == adKeyForeign) RaiseAdo(kErrFeatureNotAvailable, kSourceAdox);
  if (!bound_) {
    keys_.push_back(std::move(key));
    return;
  }
  IndexDef d;
  d.name = key->name;
  d.primary_key = key->type == adKeyPrimary;
  d.unique = true;
  for (const auto& c : key->columns) d.columns.push_back({c->Def().name, 1});
  catalog::AddIndex(bound_->Db(), bound_->table, d);
  key->bound = true;
}

const com::MemberTable<Table>& Table::Members() {
  using A = com::ArgList;
  auto self = [](Table& t) { return std::static_pointer_cast<Table>(t.shared_from_this()); };
  auto columns = [self](Table& t, A& a) {
    auto table = self(t);
    Collection::Backend backend;
    backend.items = [table] { return AsVariants(table->ColumnList()); };
    backend.name_of = NameOfColumn;
    backend.append = [table](A& args) { table->AppendColumn(ColumnArgument(args)); };
    backend.remove = [table](const Variant& index) { table->DeleteColumn(index); };
    auto collection = std::make_shared<Collection>(u"Columns", std::move(backend));
    return a.size() == 0 || a.IsMissing(0) ? Variant(collection) : collection->Item(a[0]);
  };
  auto indexes = [self](Table& t, A& a) {
    auto table = self(t);
    Collection::Backend backend;
    backend.items = [table] { return AsVariants(table->IndexList()); };
    backend.name_of = [](const Variant& v) { return std::static_pointer_cast<Index>(v.GetObject())->def.name; };
    backend.append = [table](A& args) {
      std::shared_ptr<Index> index;
      if (args[0].IsObject()) {
        index = ObjectAs<Index>(args[0]);
      } else {
        index = std::make_shared<Index>();
        index->def.name = vb::CStr(args[0]);
      }
      // Indexes.Append(index, columns): a column's name or an array of names.
      if (!args.IsMissing(1)) {
        std::vector<Variant> names = args[1].IsArray() ? args[1].As<vb::Array>().Items() : std::vector<Variant>{args[1]};
        for (const auto& n : names) {
          ColumnDef c;
          c.name = vb::CStr(n);
          index->columns.push_back(std::make_shared<Column>(std::move(c), nullptr));
        }
      }
      table->AppendIndex(index);
    };
    backend.remove = [table](const Variant& index) { table->DeleteIndex(index); };
    auto collection = std::make_shared<Collection>(u"Indexes", std::move(backend));
    return a.size() == 0 || a.IsMissing(0) ? Variant(collection) : collection->Item(a[0]);
  };
  auto keys = [self](Table& t, A& a) {
    auto table = self(t);
    Collection::Backend backend;
    backend.items = [table] { return AsVariants(table->KeyList()); };
    backend.name_of = [](const Variant& v) { return std::static_pointer_cast<Key>(v.GetObject())->name; };
    backend.append = [table](A& args) {
      std::shared_ptr<Key> key;
      if (args[0].IsObject()) {
        key = ObjectAs<Key>(args[0]);
      } else {
        // Keys.Append(name, type, column, related table, related column).
        key = std::make_shared<Key>();
        key->name = vb::CStr(args[0]);
        key->type = args.IsMissing(1) ? adKeyPrimary : vb::CLng(args[1]);
        if (!args.IsMissing(2)) {
          ColumnDef c;
          c.name = vb::CStr(args[2]);
          key->columns.push_back(std::make_shared<Column>(std::move(c), nullptr));
        }
        if (!args.IsMissing(3)) key->related_table = vb::CStr(args[3]);
      }
      table->AppendKey(key);
    };
    auto collection = std::make_shared<Collection>(u"Keys", std::move(backend));
    return a.size() == 0 || a.IsMissing(0) ? Variant(collection) : collection->Item(a[0]);
  };
  static const com::MemberTable<Table> table = {
      {u"Name", com::kGet, 0, 0, [](Table& t, A&) { return Variant(t.Name()); }},
      {u"Name", com::kLet, 1, 1,
       [](Table& t, A& a) {
         t.SetName(vb::CStr(a[0]));
         return Variant();
       }},
      {u"Type", com::kGet, 0, 0,
       [](Table& t, A&) { return Variant(t.IsBound() ? t.Bound()->Read().type : String(u"TABLE")); }},
      {u"Columns", com::kGet, 0, 1, columns},
      {u"Indexes", com::kGet, 0, 1, indexes},
      {u"Keys", com::kGet, 0, 1, keys},
      {u"ParentCatalog", com::kGet, 0, 0, [](Table& t, A&) { return t.parent_catalog; }},
      {u"ParentCatalog", com::kLet | com::kSet, 1, 1,
       [](Table& t, A& a) {
         t.parent_catalog = a[0];
         return Variant();
       }},
      {u"Properties", com::kGet, 0, 1, [](Table&, A& a) { return PropertiesMember({}, a, false); }},
      {u"DateCreated", com::kGet, 0, 0, [](Table&, A&) { return Variant::Null(); }},
      {u"DateModified", com::kGet, 0, 0, [](Table&, A&) { return Variant::Null(); }},
  };
  return table;
}

const com::MemberTable<Index>& Index::Members() {
  using A = com::ArgList;
  auto flag = [](StringView name, bool IndexDef::*field) {
    return std::pair<com::MemberTable<Index>::Entry, com::MemberTable<Index>::Entry>{
        {String(name), com::kGet, 0, 0, [field](Index& ix, A&) { return Variant(ix.def.*field); }},
        {String(name), com::kLet, 1, 1, [field](Index& ix, A& a) {
           if (ix.bound) RaiseAdo(kErrIllegalOperation, kSourceAdox);
           ix.def.*field = vb::CBool(a[0]);
           return Variant();
         }}};
  };
  auto primary = flag(u"PrimaryKey", &IndexDef::primary_key);
  auto unique = flag(u"Unique", &IndexDef::unique);
  auto clustered = flag(u"Clustered", &IndexDef::clustered);
  static const com::MemberTable<Index> table = {
      {u"Name", com::kGet, 0, 0, [](Index& ix, A&) { return Variant(ix.def.name); }},
      {u"Name", com::kLet, 1, 1,
       [](Index& ix, A& a) {
         if (ix.bound) RaiseAdo(kErrIllegalOperation, kSourceAdox);
         ix.def.name = vb::CStr(a[0]);
         return Variant();
       }},
      primary.first, primary.second, unique.first, unique.second, clustered.first, clustered.second,
      {u"IndexNulls", com::kGet, 0, 0, [](Index& ix, A&) { return Variant(static_cast<int32_t>(ix.def.index_nulls)); }},
      {u"IndexNulls", com::kLet, 1, 1,
       [](Index& ix, A& a) {
         if (ix.bound) RaiseAdo(kErrIllegalOperation, kSourceAdox);
         ix.def.index_nulls = vb::CLng(a[0]);
         return Variant();
       }},
      {u"Columns", com::kGet, 0, 1,
       [](Index& ix, A& a) {
         auto self = std::static_pointer_cast<Index>(ix.shared_from_this());
         Variant collection = NameColumns(self, &self->columns, self->bound);
         return a.size() == 0 || a.IsMissing(0) ? collection : com::Call(collection, u"Item", a[0]);
       }},
      {u"Properties", com::kGet, 0, 1, [](Index&, A& a) { return PropertiesMember({}, a, false); }},
  };
  return table;
}

const com::MemberTable<Key>& Key::Members() {
  using A = com::ArgList;
  static const com::MemberTable<Key> table = {
      {u"Name", com::kGet, 0, 0, [](Key& k, A&) { return Variant(k.name); }},
      {u"Name", com::kLet, 1, 1,
       [](Key& k, A& a) {
         k.name = vb::CStr(a[0]);
         return Variant();
       }},
      {u"Type", com::kGet, 0, 0, [](Key& k, A&) { return Variant(static_cast<int32_t>(k.type)); }},
      {u"Type", com::kLet, 1, 1,
       [](Key& k, A& a) {
         k.type = vb::CLng(a[0]);
         return Variant();
       }},
      {u"RelatedTable", com::kGet, 0, 0, [](Key& k, A&) { return Variant(k.related_table); }},
      {u"RelatedTable", com::kLet, 1, 1,
       [](Key& k, A& a) {
         k.related_table = vb::CStr(a[0]);
         return Variant();
       }},
      {u"Columns", com::kGet, 0, 1,
       [](Key& k, A& a) {
         auto self = std::static_pointer_cast<Key>(k.shared_from_this());
         Variant collection = NameColumns(self, &self->columns, self->bound);
         return a.size() == 0 || a.IsMissing(0) ? collection : com::Call(collection, u"Item", a[0]);
       }},
  };
  return table;
}

}  // namespace ado::adox
