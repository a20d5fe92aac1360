// ADOX columns and the Jet provider's column properties.
#include "platform/ado/ado_types.h"
#include "platform/ado/adox.h"
#include "platform/ado/adox_collection.h"
#include "platform/ado/errors.h"
#include "platform/vb/convert.h"

namespace ado::adox {
namespace {

enum ColumnAttribute { adColFixed = 1, adColNullable = 2 };

using Edit = std::function<void(ColumnDef&)>;

std::shared_ptr<Property> Flag(const std::shared_ptr<Column>& c, StringView name, bool ColumnDef::*field) {
  return std::make_shared<Property>(
      String(name), adBoolean, [c, field] { return Variant(c->Def().*field); },
      [c, field](const Variant& v) {
        bool on = vb::CBool(v);
        c->Change([&](ColumnDef& d) { d.*field = on; });
      });
}

// A property that Jet has but that nothing here keeps: it reads its default.
std::shared_ptr<Property> Fixed(StringView name, uint16_t type, Variant value) {
  return std::make_shared<Property>(String(name), type, [value] { return value; }, [](const Variant&) {});
}

// The column's provider properties, in the order Jet lists them.
std::vector<std::shared_ptr<Property>> ColumnProperties(const std::shared_ptr<Column>& c) {
  return {
      Flag(c, u"Autoincrement", &ColumnDef::autoincrement),
      std::make_shared<Property>(
          u"Default", adVariant, [c] { return c->Def().default_value; },
          [c](const Variant& v) { c->Change([&](ColumnDef& d) { d.default_value = v; }); }),
      std::make_shared<Property>(
          u"Description", adVarWChar, [c] { return Variant(c->Def().description); },
          [c](const Variant& v) {
            String text = vb::CStr(v);
            c->Change([&](ColumnDef& d) { d.description = text; });
          }),
      Flag(c, u"Nullable", &ColumnDef::nullable),
      Flag(c, u"Fixed Length", &ColumnDef::fixed_length),
      Fixed(u"Seed", adInteger, Variant(int32_t{1})),
      Fixed(u"Increment", adInteger, Variant(int32_t{1})),
      Fixed(u"Jet OLEDB:Column Validation Text", adVarWChar, Variant(String())),
      Fixed(u"Jet OLEDB:Column Validation Rule", adVarWChar, Variant(String())),
      Fixed(u"Jet OLEDB:IISAM Not Last Column", adBoolean, Variant(false)),
      Fixed(u"Jet OLEDB:AutoGenerate", adBoolean, Variant(false)),
      Fixed(u"Jet OLEDB:One BLOB per Page", adBoolean, Variant(false)),
      Flag(c, u"Jet OLEDB:Compressed UNICODE Strings", &ColumnDef::compressed),
      Flag(c, u"Jet OLEDB:Allow Zero Length", &ColumnDef::allow_zero_length),
      Fixed(u"Jet OLEDB:Hyperlink", adBoolean, Variant(false)),
  };
}

std::shared_ptr<Column> Self(Column& c) { return std::static_pointer_cast<Column>(c.shared_from_this()); }

}  // namespace

void Column::Change(const std::function<void(ColumnDef&)>& edit) {
  ColumnDef updated = def_;
  edit(updated);
  if (bound_) catalog::ChangeColumn(bound_->Db(), bound_->table, def_.name, updated);
  def_ = std::move(updated);
}

const com::MemberTable<Column>& Column::Members() {
  using A = com::ArgList;
  static const com::MemberTable<Column> table = {
      {u"Name", com::kGet, 0, 0, [](Column& c, A&) { return Variant(c.Def().name); }},
      {u"Name", com::kLet, 1, 1,
       [](Column& c, A& a) {
         String name = vb::CStr(a[0]);
         c.Change([&](ColumnDef& d) { d.name = name; });
         return Variant();
       }},
      {u"Type", com::kGet, 0, 0, [](Column& c, A&) { return Variant(static_cast<int32_t>(c.Def().type)); }},
      {u"Type", com::kLet, 1, 1,
       [](Column& c, A& a) {
         int type = vb::CLng(a[0]);
         if (!IsKnownType(type)) RaiseAdo(kErrInvalidArgument, kSourceAdox);
         c.Change([&](ColumnDef& d) { d.type = type; });
         return Variant();
       }},
      // Jet gives memo and OLE object columns no size: 0, not the field's limit.
      {u"DefinedSize", com::kGet, 0, 0,
       [](Column& c, A&) {
         const ColumnDef& d = c.Def();
         return Variant(d.defined_size <= 0 && IsLongType(d.type) ? int32_t{0} : d.DefinedSize());
       }},
      {u"DefinedSize", com::kLet, 1, 1,
       [](Column& c, A& a) {
         int32_t size = vb::CLng(a[0]);
         c.Change([&](ColumnDef& d) { d.defined_size = size; });
         return Variant();
       }},
      {u"Attributes", com::kGet, 0, 0,
       [](Column& c, A&) {
         return Variant(static_cast<int32_t>((c.Def().fixed_length ? adColFixed : 0) |
                                             (c.Def().nullable ? adColNullable : 0)));
       }},
      {u"Attributes", com::kLet, 1, 1,
       [](Column& c, A& a) {
         int32_t bits = vb::CLng(a[0]);
         c.Change([&](ColumnDef& d) {
           d.fixed_length = bits & adColFixed;
           d.nullable = bits & adColNullable;
         });
         return Variant();
       }},
      {u"Precision", com::kGet, 0, 0, [](Column& c, A&) { return Variant(static_cast<int32_t>(c.Def().precision)); }},
      {u"Precision", com::kLet, 1, 1,
       [](Column& c, A& a) {
         int p = vb::CLng(a[0]);
         c.Change([&](ColumnDef& d) { d.precision = p; });
         return Variant();
       }},
      {u"NumericScale", com::kGet, 0, 0, [](Column& c, A&) { return Variant(static_cast<uint8_t>(c.Def().scale)); }},
      {u"NumericScale", com::kLet, 1, 1,
       [](Column& c, A& a) {
         int s = vb::CLng(a[0]);
         c.Change([&](ColumnDef& d) { d.scale = s; });
         return Variant();
       }},
      {u"SortOrder", com::kGet, 0, 0, [](Column& c, A&) { return Variant(static_cast<int32_t>(c.sort_order)); }},
      {u"SortOrder", com::kLet, 1, 1,
       [](Column& c, A& a) {
         c.sort_order = vb::CLng(a[0]);
         return Variant();
       }},
      {u"RelatedColumn", com::kGet, 0, 0, [](Column&, A&) { return Variant(String()); }},
      {u"ParentCatalog", com::kGet, 0, 0, [](Column& c, A&) { return c.parent_catalog; }},
      {u"ParentCatalog", com::kLet | com::kSet, 1, 1,
       [](Column& c, A& a) {
         c.parent_catalog = a[0];
         return Variant();
       }},
      {u"Properties", com::kGet, 0, 1, [](Column& c, A& a) { return PropertiesMember(ColumnProperties(Self(c)), a, false); }},
      {u"Properties", com::kLet, 2, 2, [](Column& c, A& a) { return PropertiesMember(ColumnProperties(Self(c)), a, true); }},
  };
  return table;
}

}  // namespace ado::adox
