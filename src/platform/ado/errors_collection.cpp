#include "platform/ado/errors_collection.h"

#include "platform/ado/ado_collection.h"
#include "platform/com/enumeration.h"

namespace ado {

const com::MemberTable<ErrorItem>& ErrorItem::Members() {
  static const com::MemberTable<ErrorItem> table = {
      {u"Number", com::kGet, 0, 0, [](ErrorItem& e, com::ArgList&) { return Variant(e.number_); }},
      {u"", com::kGet, 0, 0, [](ErrorItem& e, com::ArgList&) { return Variant(e.description_); }},
      {u"Description", com::kGet, 0, 0, [](ErrorItem& e, com::ArgList&) { return Variant(e.description_); }},
      {u"Source", com::kGet, 0, 0, [](ErrorItem& e, com::ArgList&) { return Variant(e.source_); }},
      {u"SQLState", com::kGet, 0, 0, [](ErrorItem& e, com::ArgList&) { return Variant(e.sql_state_); }},
      {u"NativeError", com::kGet, 0, 0, [](ErrorItem& e, com::ArgList&) { return Variant(e.native_); }},
      {u"HelpFile", com::kGet, 0, 0, [](ErrorItem&, com::ArgList&) { return Variant(String()); }},
      {u"HelpContext", com::kGet, 0, 0, [](ErrorItem&, com::ArgList&) { return Variant(int32_t{0}); }},
  };
  return table;
}

const com::MemberTable<Errors>& Errors::Members() {
  static const com::MemberTable<Errors> table = [] {
    auto item = [](Errors& e, com::ArgList& a) {
      size_t i = ResolveIndex(a[0], e.items_.size(), [](size_t) { return String(); }, kSourceConnection);
      return Variant(e.items_[i]);
    };
    return com::MemberTable<Errors>{
        {u"Count", com::kGet, 0, 0, [](Errors& e, com::ArgList&) { return Variant(static_cast<int32_t>(e.Count())); }},
        {u"Item", com::kGet, 1, 1, item},
        {u"", com::kGet, 1, 1, item},
        {u"Clear", com::kGet, 0, 0, [](Errors& e, com::ArgList&) { e.Clear(); return Variant(); }},
        {u"Refresh", com::kGet, 0, 0, [](Errors&, com::ArgList&) { return Variant(); }},
        {u"_NewEnum", com::kGet, 0, 0, [](Errors& e, com::ArgList&) { return com::NewEnum(e.items_); }},
    };
  }();
  return table;
}

}  // namespace ado
