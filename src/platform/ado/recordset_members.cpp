// The late-bound members of "ADODB.Recordset".
#include "platform/ado/recordset.h"
#include "platform/vb/convert.h"

namespace ado {

struct RecordsetMembers {
  using A = com::ArgList;
  using R = Recordset;

  static int OptionalLong(A& a, size_t i, int fallback) { return a.IsMissing(i) ? fallback : vb::CLng(a[i]); }
  static String OptionalText(A& a, size_t i, StringView fallback) {
    return a.IsMissing(i) ? String(fallback) : vb::CStr(a[i]);
  }

  static Variant Item(R& r, A& a) { return a.size() == 0 || a.IsMissing(0) ? r.FieldsObject() : r.FieldObject(a[0]); }
  static Variant SetItem(R& r, A& a) {
    r.SetValue(r.FieldIndex(a[0]), a[1]);
    return Variant();
  }

  static Variant SetConnection(R& r, A& a) {
    r.RequireClosed();
    const Variant& v = a[0];
    if (v.IsObject()) {
      auto c = std::dynamic_pointer_cast<Connection>(v.GetObject());
      if (v.GetObject() && !c) RaiseAdo(kErrInvalidArgument, kSourceRecordset);
      r.connection_ = c;
    } else {
      auto c = std::make_shared<Connection>();
      c->Open(vb::CStr(v), u"", u"");
      r.connection_ = c;
    }
    return Variant();
  }

  static bool Supports(R& r, int option) {
    r.RequireOpen();
    bool updatable = r.fabricated_ || (r.lock_type_ != adLockReadOnly && r.writer_);
    switch (option) {
      case 0x200: case 0x2000: case 0x4000: return r.Scrollable();
      case 0x1000400: case 0x1000800: case 0x1008000: return updatable;
      case 0x100: return true;
      default: return false;
    }
  }

  template <class F>
  static com::MemberTable<R>::Entry Get(StringView name, F f) {
    return {String(name), com::kGet, 0, 0, [f](R& r, A&) { return Variant(f(r)); }};
  }
  template <class F>
  static com::MemberTable<R>::Entry Do(StringView name, F f) {
    return {String(name), com::kGet, 0, 0, [f](R& r, A&) {
              f(r);
              return Variant();
            }};
  }
  template <class F>
  static com::MemberTable<R>::Entry Let(StringView name, F f) {
    return {String(name), com::kLet, 1, 1, [f](R& r, A& a) {
              f(r, a[0]);
              return Variant();
            }};
  }
};

const com::MemberTable<Recordset>& Recordset::Members() {
  using M = RecordsetMembers;
  using A = com::ArgList;
  static const com::MemberTable<Recordset> table = {
      {u"", com::kGet, 0, 1, M::Item},
      {u"", com::kLet, 2, 2, M::SetItem},
      {u"Fields", com::kGet, 0, 1, M::Item},
      {u"Fields", com::kLet, 2, 2, M::SetItem},
      {u"Collect", com::kGet, 1, 1, [](Recordset& r, A& a) { return r.Value(r.FieldIndex(a[0])); }},
      {u"Collect", com::kLet, 2, 2, M::SetItem},
      {u"Open", com::kGet, 0, 5,
       [](Recordset& r, A& a) {
         r.Open(a.Or(0, Variant::Missing()), a.Or(1, Variant::Missing()), M::OptionalLong(a, 2, -1),
                M::OptionalLong(a, 3, -1), M::OptionalLong(a, 4, -1));
         return Variant();
       }},
      M::Do(u"Close", [](Recordset& r) { r.Close(); }),
      M::Get(u"State", [](Recordset& r) { return static_cast<int32_t>(r.State()); }),
      M::Get(u"EOF", [](Recordset& r) { return r.Eof(); }),
      M::Get(u"BOF", [](Recordset& r) { return r.Bof(); }),
      M::Do(u"MoveFirst", [](Recordset& r) { r.MoveFirst(); }),
      M::Do(u"MoveLast", [](Recordset& r) { r.MoveLast(); }),
      M::Do(u"MoveNext", [](Recordset& r) { r.MoveNext(); }),
      M::Do(u"MovePrevious", [](Recordset& r) { r.MovePrevious(); }),
      {u"Move", com::kGet, 1, 2,
       [](Recordset& r, A& a) {
         r.Move(vb::CLng(a[0]), M::OptionalLong(a, 1, adBookmarkCurrent));
         return Variant();
       }},
      M::Get(u"RecordCount", [](Recordset& r) { return static_cast<int32_t>(r.RecordCount()); }),
      M::Get(u"PageSize", [](Recordset& r) { return r.PageSize(); }),
      M::Let(u"PageSize", [](Recordset& r, const Variant& v) { r.SetPageSize(vb::CLng(v)); }),
      M::Get(u"PageCount", [](Recordset& r) { return static_cast<int32_t>(r.PageCount()); }),
      M::Get(u"AbsolutePage", [](Recordset& r) { return static_cast<int32_t>(r.AbsolutePage()); }),
      M::Let(u"AbsolutePage", [](Recordset& r, const Variant& v) { r.SetAbsolutePage(vb::CLng(v)); }),
      M::Get(u"AbsolutePosition", [](Recordset& r) { return static_cast<int32_t>(r.AbsolutePosition()); }),
      M::Let(u"AbsolutePosition", [](Recordset& r, const Variant& v) { r.SetAbsolutePosition(vb::CLng(v)); }),
      {u"AddNew", com::kGet, 0, 2,
       [](Recordset& r, A& a) {
         r.AddNew(a.Or(0, Variant::Missing()), a.Or(1, Variant::Missing()));
         return Variant();
       }},
      {u"Update", com::kGet, 0, 2,
       [](Recordset& r, A& a) {
         r.Update(a.Or(0, Variant::Missing()), a.Or(1, Variant::Missing()));
         return Variant();
       }},
      M::Do(u"UpdateBatch", [](Recordset& r) { r.Update(Variant::Missing(), Variant::Missing()); }),
      M::Do(u"CancelUpdate", [](Recordset& r) { r.CancelUpdate(); }),
      M::Do(u"CancelBatch", [](Recordset& r) { r.CancelUpdate(); }),
      {u"Delete", com::kGet, 0, 1,
       [](Recordset& r, A&) {
         r.Delete();
         return Variant();
       }},
      {u"GetRows", com::kGet, 0, 3,
       [](Recordset& r, A& a) {
         return r.GetRows(M::OptionalLong(a, 0, -1), a.Or(1, Variant::Missing()), a.Or(2, Variant::Missing()));
       }},
      {u"GetString", com::kGet, 0, 5,
       [](Recordset& r, A& a) {
         return Variant(r.GetString(M::OptionalLong(a, 0, 2), M::OptionalLong(a, 1, -1), M::OptionalText(a, 2, u"\t"),
                                    M::OptionalText(a, 3, u"\r"), M::OptionalText(a, 4, u"")));
       }},
      {u"Requery", com::kGet, 0, 1,
       [](Recordset& r, A&) {
         r.Requery();
         return Variant();
       }},
      {u"Resync", com::kGet, 0, 2, [](Recordset& r, A&) {
         r.RequireOpen();
         return Variant();
       }},
      {u"Supports", com::kGet, 1, 1, [](Recordset& r, A& a) { return Variant(M::Supports(r, vb::CLng(a[0]))); }},
      M::Get(u"EditMode", [](Recordset& r) { return static_cast<int32_t>(r.EditModeValue()); }),
      M::Get(u"Status", [](Recordset& r) {
        r.RequireOpen();
        return int32_t{0};
      }),
      M::Get(u"CursorType", [](Recordset& r) { return static_cast<int32_t>(r.cursor_type_); }),
      M::Let(u"CursorType", [](Recordset& r, const Variant& v) {
        r.RequireClosed();
        r.cursor_type_ = static_cast<CursorType>(vb::CLng(v));
      }),
      M::Get(u"LockType", [](Recordset& r) { return static_cast<int32_t>(r.lock_type_); }),
      M::Let(u"LockType", [](Recordset& r, const Variant& v) {
        r.RequireClosed();
        r.lock_type_ = vb::CLng(v);
      }),
      M::Get(u"CursorLocation", [](Recordset& r) { return static_cast<int32_t>(r.cursor_location_); }),
      M::Let(u"CursorLocation", [](Recordset& r, const Variant& v) {
        r.RequireClosed();
        r.cursor_location_ = vb::CLng(v);
      }),
      M::Get(u"MaxRecords", [](Recordset& r) { return r.max_records_; }),
      M::Let(u"MaxRecords", [](Recordset& r, const Variant& v) { r.max_records_ = vb::CLng(v); }),
      M::Get(u"CacheSize", [](Recordset& r) { return r.cache_size_; }),
      M::Let(u"CacheSize", [](Recordset& r, const Variant& v) { r.cache_size_ = vb::CLng(v); }),
      M::Get(u"Source", [](Recordset& r) { return r.source_text_.IsMissing() ? Variant(String()) : r.source_text_; }),
      M::Let(u"Source", [](Recordset& r, const Variant& v) {
        r.RequireClosed();
        r.source_text_ = v;
      }),
      M::Get(u"ActiveConnection", [](Recordset& r) { return r.connection_ ? Variant(r.connection_) : Variant::Nothing(); }),
      {u"ActiveConnection", com::kLet | com::kSet, 1, 1, M::SetConnection},
      M::Get(u"Filter", [](Recordset&) { return int32_t{0}; }),
      M::Let(u"Filter", [](Recordset&, const Variant& v) {
        if (!(v.IsString() && v.As<String>().empty()) && !(v.IsNumericType() && vb::CLng(v) == 0))
          RaiseAdo(kErrFeatureNotAvailable, kSourceRecordset);
      }),
      M::Get(u"Sort", [](Recordset&) { return String(); }),
      M::Let(u"Sort", [](Recordset&, const Variant& v) {
        if (!vb::CStr(v).empty()) RaiseAdo(kErrFeatureNotAvailable, kSourceRecordset);
      }),
      {u"NextRecordset", com::kGet, 0, 1, [](Recordset&, A&) { return Variant::Nothing(); }},
  };
  return table;
}

}  // namespace ado
