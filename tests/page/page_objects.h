#pragma once
// Late-bound stand-ins for a list page's recordset: one current row read by
// column name, and the paging properties alone.
#include <map>
#include <utility>
#include <vector>

#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace page_test {

// Rs(column) of one current row; a missing column raises 3265 and a
// recordset past its end raises 3021, as ADO's do.
class RowRecordset : public com::Dispatch<RowRecordset> {
 public:
  explicit RowRecordset(std::vector<std::pair<vb::String, vb::Variant>> row, bool at_end = false)
      : row(std::move(row)), at_end(at_end) {}
  vb::String TypeName() const override { return u"Recordset"; }
  static const com::MemberTable<RowRecordset>& Members() {
    static const com::MemberTable<RowRecordset> table = {
        {u"", com::kGet, 1, 1, [](RowRecordset& r, com::ArgList& a) -> vb::Variant {
           vb::String name = vb::CStr(com::ValueOf(a[0]));
           for (const auto& [column, value] : r.row)
             if (vb::EqualsNoCase(column, name)) {
               if (r.at_end) vb::Raise(3021, u"Either BOF or EOF is True");
               return value;
             }
           vb::Raise(3265, u"Item cannot be found in the collection");
         }},
    };
    return table;
  }
  std::vector<std::pair<vb::String, vb::Variant>> row;
  bool at_end;
};

// PageCount, RecordCount and PageSize, and AbsolutePage to set: nothing else,
// so a procedure that walked the rows would fail.
class PagedRecordset : public com::Dispatch<PagedRecordset> {
 public:
  PagedRecordset(vb::Variant page_count, vb::Variant record_count, vb::Variant page_size = int32_t{10})
      : page_count(std::move(page_count)), record_count(std::move(record_count)), page_size(std::move(page_size)) {}
  vb::String TypeName() const override { return u"Recordset"; }
  static const com::MemberTable<PagedRecordset>& Members() {
    static const com::MemberTable<PagedRecordset> table = {
        {u"PageCount", com::kGet, 0, 0, [](PagedRecordset& r, com::ArgList&) { return r.page_count; }},
        {u"RecordCount", com::kGet, 0, 0, [](PagedRecordset& r, com::ArgList&) { return r.record_count; }},
        {u"PageSize", com::kGet, 0, 0, [](PagedRecordset& r, com::ArgList&) { return r.page_size; }},
        {u"AbsolutePage", com::kLet, 1, 1, [](PagedRecordset& r, com::ArgList& a) {
           r.pages_set.push_back(com::ValueOf(a[0]));
           return vb::Variant();
         }},
    };
    return table;
  }
  vb::Variant page_count, record_count, page_size;
  std::vector<vb::Variant> pages_set;
};

}  // namespace page_test
