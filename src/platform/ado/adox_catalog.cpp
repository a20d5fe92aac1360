// "ADOX.Catalog": creating a database, and its tables.
#include "platform/ado/ado_collection.h"
#include "platform/ado/adox.h"
#include "platform/ado/adox_collection.h"
#include "platform/ado/errors.h"
#include "platform/ado/providers.h"
#include "platform/ado/sqlite_session.h"
#include "platform/vb/convert.h"

namespace ado::adox {

std::shared_ptr<Connection> Catalog::Bound() const {
  if (!connection_ || !connection_->IsOpen()) RaiseAdo(kErrInvalidConnection, kSourceAdox);
  return connection_;
}

Variant Catalog::Create(StringView connection_string) {
  auto cs = ConnectionString::Parse(connection_string);
  std::optional<ProviderId> id = ProviderOf(cs, u"");
  if (!id || !IsProviderInstalled(*id)) RaiseAdo(kErrProviderNotFound, kSourceAdox);
  if (!IsFileProvider(*id)) RaiseAdo(kErrFeatureNotAvailable, kSourceAdox);
  String source = EngineSource(*id);
  String path = DataSourceOf(cs);
  std::filesystem::path host = HostFileOf(path, source);
  {
    auto db = Database::Open(host, Database::Mode::kCreateNew, path, source);
    catalog::Ensure(*db);
    if (auto password = cs.Get({u"Jet OLEDB:Database Password"}); password && !password->empty())
      catalog::WriteSetting(*db, u"Password", *password);
  }
  auto connection = std::make_shared<Connection>();
  connection->Open(connection_string, u"", u"");
  connection_ = connection;
  return Variant(connection);
}

void Catalog::SetActiveConnection(const Variant& value) {
  if (value.IsObject()) {
    if (!value.GetObject()) {
      connection_.reset();
      return;
    }
    auto connection = std::dynamic_pointer_cast<Connection>(value.GetObject());
    if (!connection) RaiseAdo(kErrInvalidArgument, kSourceAdox);
    connection_ = connection;
    return;
  }
  auto connection = std::make_shared<Connection>();
  connection->Open(vb::CStr(value), u"", u"");
  connection_ = connection;
}

Variant Catalog::ActiveConnection() const { return connection_ ? Variant(connection_) : Variant::Nothing(); }

std::vector<catalog::TableEntry> Catalog::TableList() {
  auto connection = Bound();
  return catalog::ListTables(Binding{connection, {}}.Db());
}

std::shared_ptr<Table> Catalog::TableNamed(const String& name) {
  auto table = std::make_shared<Table>();
  table->Bind(std::make_shared<Binding>(Binding{Bound(), name}));
  table->parent_catalog = Variant(std::static_pointer_cast<Catalog>(shared_from_this()));
  return table;
}

void Catalog::AppendTable(const Variant& value) {
  auto connection = Bound();
  std::shared_ptr<Table> table;
  if (value.IsObject()) {
    table = std::dynamic_pointer_cast<Table>(value.GetObject());
    if (!table) RaiseAdo(kErrInvalidArgument, kSourceAdox);
    if (table->IsBound()) RaiseAdo(kErrObjectInCollection, kSourceAdox);
  } else {
    table = std::make_shared<Table>();
    table->SetName(vb::CStr(value));
  }
  catalog::TableDef def = table->Definition();
  if (def.name.empty()) RaiseAdo(kErrInvalidArgument, kSourceAdox);
  Binding binding{connection, def.name};
  catalog::CreateTable(binding.Db(), def);
  table->Bind(std::make_shared<Binding>(binding));
}

void Catalog::DeleteTable(const Variant& index) {
  auto tables = TableList();
  size_t i = ResolveIndex(index, tables.size(), [&](size_t k) { return tables[k].name; }, kSourceAdox);
  catalog::DropTable(Binding{Bound(), {}}.Db(), tables[i].name);
}

const com::MemberTable<Catalog>& Catalog::Members() {
  using A = com::ArgList;
  auto tables = [](Catalog& c, A& a) {
    auto self = std::static_pointer_cast<Catalog>(c.shared_from_this());
    self->Bound();
    Collection::Backend backend;
    backend.items = [self] {
      std::vector<Variant> out;
      for (const auto& t : self->TableList()) out.emplace_back(self->TableNamed(t.name));
      return out;
    };
    backend.name_of = [](const Variant& v) { return std::static_pointer_cast<Table>(v.GetObject())->Name(); };
    backend.append = [self](A& args) { self->AppendTable(args[0]); };
    backend.remove = [self](const Variant& index) { self->DeleteTable(index); };
    auto collection = std::make_shared<Collection>(u"Tables", std::move(backend));
    return a.size() == 0 || a.IsMissing(0) ? Variant(collection) : collection->Item(a[0]);
  };
  static const com::MemberTable<Catalog> table = {
      {u"Create", com::kGet, 1, 1, [](Catalog& c, A& a) { return c.Create(vb::CStr(a[0])); }},
      {u"ActiveConnection", com::kGet, 0, 0, [](Catalog& c, A&) { return c.ActiveConnection(); }},
      {u"ActiveConnection", com::kLet | com::kSet, 1, 1,
       [](Catalog& c, A& a) {
         c.SetActiveConnection(a[0]);
         return Variant();
       }},
      {u"Tables", com::kGet, 0, 1, tables},
  };
  return table;
}

}  // namespace ado::adox
