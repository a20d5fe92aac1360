#include "office/qe_classes.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "common/decimal_text.h"
#include "common/markup_encode.h"
#include "common/page_address.h"
#include "common/record_values.h"
#include "common/request_values.h"
#include "page/kesra_show_form.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/information.h"
#include "platform/vb/numbers.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

constexpr int32_t kOpenKeyset = 1, kLockReadOnly = 1;

bool AtEof(const vb::Variant& rs) { return vb::CBool(com::Call(rs, u"EOF")); }

// The class number as the SQL gets it: the value of a numeric text, written
// in plain decimal, so that no text can change the statement.
vb::String ClassNumberForSql(const vb::String& class_id) {
  if (!vb::IsNumeric(vb::Variant(class_id))) vb::Raise(vb::kTypeMismatch, u"栏目编号不是数字：" + class_id);
  const double value = vb::CDbl(vb::Variant(class_id));
  if (value == std::floor(value) && std::fabs(value) < 9.0e15) return DecimalText(static_cast<int64_t>(value));
  char digits[400];
  std::snprintf(digits, sizeof digits, "%.15f", value);
  std::string text(digits);
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return vb::String(text.begin(), text.end());
}

double WholeNumberOf(vb::StringView text) { return std::floor(vb::Val(text)); }

}  // namespace

vb::String QeShowClassList(vb::Variant& Request, vb::Variant& Conn, vb::String p_TableName, int16_t p_ColumnNumber,
                           vb::String p_ImageName) {
  // With fewer than one column the grid would never move past a record.
  if (p_ColumnNumber < 0) vb::Raise(vb::kInvalidProcedureCall, u"分类的列数不能为负数");
  if (p_ColumnNumber == 0) vb::Raise(vb::kDivisionByZero);
  const vb::String cell_width = DecimalText(600 / p_ColumnNumber);
  vb::String out = KesraShowEmptyLine(4, u"") +
                   u"<table cellspacing=0 cellpadding=0 width='98%' border=0 class=Content_border height=30 "
                   u"align=center>";
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  ClosedAtEnd closed(rs);
  com::Call(rs, u"Open", u"Select * From [" + p_TableName + u"] Order By SortId", Conn, kOpenKeyset, kLockReadOnly);
  if (AtEof(rs))
    return out + u"<tr height=20 class=tdbg><td><font class='3dfont'>还没有任何分类</font></td></tr></table>";
  const double current = WholeNumberOf(RequestText(Request, u"Classid"));
  while (!AtEof(rs)) {
    out += u"<tr height=20 class=tdbg>";
    for (int column = 1; column <= p_ColumnNumber && !AtEof(rs); ++column) {
      const vb::Variant id = com::ValueOf(RecordValue(rs, u"classid"));
      const vb::String name = RecordText(rs, u"class");
      out += u"<td width=" + cell_width + u" align=left><img src='" +
             PageAddressInAttribute(p_ImageName, AttributeQuote::kSingle) + u"' align='absmiddle'>";
      if (!id.IsNull() && vb::CDbl(id) == current)
        out += u"<font color='blue'>" + name + u"</font>";
      else
        out += u"<a href='?classid=" + HtmlEncodeText(vb::CStr(id)) + u"'>" + name + u"</a>";
      out += u"</td>";
      com::Call(rs, u"MoveNext");
    }
    out += u"</tr>";
  }
  return out + u"</table>";
}

vb::String QeShowClassSelect(vb::Variant& Conn, vb::String p_TableName, vb::String p_ClassID, int16_t p_AddEditRead,
                             vb::String p_SelectTitle, vb::String p_SqlString) {
  const vb::String filter = p_SqlString.empty() ? vb::String() : u" And " + p_SqlString;
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  ClosedAtEnd closed(rs);
  if (p_AddEditRead == 3) {
    const vb::String sql = u"Select [Class] From [" + p_TableName + u"] Where ClassID =" +
                           ClassNumberForSql(p_ClassID) + filter + u" Order By SortID";
    com::Call(rs, u"Open", sql, Conn, kOpenKeyset, kLockReadOnly);
    if (vb::CBool(com::Call(rs, u"BOF")) && AtEof(rs)) return u"";
    return vb::Trim(RecordText(rs, u"Class"));
  }
  com::Call(rs, u"Open",
            u"Select [ClassID],[Class] From [" + p_TableName + u"] Where 1=1 " + filter + u" Order By [SortID]", Conn,
            kOpenKeyset, kLockReadOnly);
  const double wanted = WholeNumberOf(p_ClassID);
  vb::String out = u"<select name='ClassID' size='1'><option selected value=0>" + p_SelectTitle + u"</option>";
  while (!AtEof(rs)) {
    const vb::Variant id = com::ValueOf(RecordValue(rs, u"ClassID"));
    const bool marked = p_AddEditRead == 2 && !id.IsNull() && vb::CDbl(id) == wanted;
    out += u"<option " + vb::String(marked ? u" selected " : u"") + u" value='" + HtmlEncodeText(vb::CStr(id)) + u"'>" +
           RecordText(rs, u"Class") + u"</option>";
    com::Call(rs, u"MoveNext");
  }
  return out + u"</select>";
}

}  // namespace qe
