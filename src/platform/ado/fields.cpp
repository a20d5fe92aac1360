#include "platform/ado/fields.h"

#include "platform/ado/ado_types.h"
#include "platform/com/enumeration.h"
#include "platform/vb/convert.h"

namespace ado {
namespace {

int32_t Long(const Variant& v) { return vb::CLng(v); }

const FieldInfo& Info(Field& f) { return f.rs().FieldAt(f.index()); }

}  // namespace

const com::MemberTable<Fields>& Fields::Members() {
  using com::ArgList;
  static const com::MemberTable<Fields> table = [] {
    auto item = [](Fields& f, ArgList& a) { return f.rs().FieldObject(a[0]); };
    auto set_item = [](Fields& f, ArgList& a) {
      f.rs().SetValue(f.rs().FieldIndex(a[0]), a[1]);
      return Variant();
    };
    return com::MemberTable<Fields>{
        {u"", com::kGet, 1, 1, item},
        {u"", com::kLet, 2, 2, set_item},
        {u"Item", com::kGet, 1, 1, item},
        {u"Item", com::kLet, 2, 2, set_item},
        {u"Count", com::kGet, 0, 0,
         [](Fields& f, ArgList&) { return Variant(static_cast<int32_t>(f.rs().FieldCount())); }},
        {u"Append", com::kGet, 2, 5,
         [](Fields& f, ArgList& a) {
           f.rs().AppendField(vb::CStr(a[0]), Long(a[1]), a.IsMissing(2) ? 0 : Long(a[2]),
                              a.IsMissing(3) ? 0 : Long(a[3]), a.Or(4, Variant()));
           return Variant();
         }},
        {u"Refresh", com::kGet, 0, 0, [](Fields&, ArgList&) { return Variant(); }},
        {u"_NewEnum", com::kGet, 0, 0,
         [](Fields& f, ArgList&) {
           std::vector<Variant> fields;
           for (size_t i = 0; i < f.rs().FieldCount(); ++i)
             fields.push_back(f.rs().FieldObject(Variant(static_cast<int32_t>(i))));
           return com::NewEnum(std::move(fields));
         }},
    };
  }();
  return table;
}

const com::MemberTable<Field>& Field::Members() {
  using com::ArgList;
  static const com::MemberTable<Field> table = [] {
    auto value = [](Field& f, ArgList&) { return f.rs().Value(f.index()); };
    auto set_value = [](Field& f, ArgList& a) {
      f.rs().SetValue(f.index(), a[0]);
      return Variant();
    };
    return com::MemberTable<Field>{
        {u"", com::kGet, 0, 0, value},
        {u"", com::kLet, 1, 1, set_value},
        {u"Value", com::kGet, 0, 0, value},
        {u"Value", com::kLet, 1, 1, set_value},
        {u"Name", com::kGet, 0, 0, [](Field& f, ArgList&) { return Variant(Info(f).name); }},
        {u"Type", com::kGet, 0, 0, [](Field& f, ArgList&) { return Variant(static_cast<int32_t>(Info(f).type)); }},
        {u"DefinedSize", com::kGet, 0, 0, [](Field& f, ArgList&) { return Variant(Info(f).defined_size); }},
        {u"ActualSize", com::kGet, 0, 0,
         [](Field& f, ArgList&) { return Variant(ActualSizeOf(f.rs().Value(f.index()), Info(f).type)); }},
        {u"Attributes", com::kGet, 0, 0, [](Field& f, ArgList&) { return Variant(static_cast<int32_t>(Info(f).attributes)); }},
        {u"Precision", com::kGet, 0, 0, [](Field& f, ArgList&) { return Variant(Info(f).precision); }},
        {u"NumericScale", com::kGet, 0, 0, [](Field& f, ArgList&) { return Variant(Info(f).scale); }},
        {u"OriginalValue", com::kGet, 0, 0, [](Field& f, ArgList&) { return f.rs().OriginalValue(f.index()); }},
        {u"UnderlyingValue", com::kGet, 0, 0, [](Field& f, ArgList&) { return f.rs().OriginalValue(f.index()); }},
        {u"AppendChunk", com::kGet, 1, 1,
         [](Field& f, ArgList& a) {
           f.rs().AppendChunk(f.index(), a[0]);
           return Variant();
         }},
        {u"GetChunk", com::kGet, 1, 1,
         [](Field& f, ArgList& a) { return f.rs().GetChunk(f.index(), vb::CLng(a[0])); }},
    };
  }();
  return table;
}

}  // namespace ado
