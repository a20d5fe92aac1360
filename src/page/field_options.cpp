// The option controls of the field-cell renderer: the drop-down list, the
// radio and check-box groups and the suggestion box, with their options from
// the dictionary (Sjzd), the departments (BuMen, Part) or a literal list.
#include <vector>

#include "common/markup_encode.h"
#include "common/sql_literal.h"
#include "page/field_cell.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/information.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe::field_cell {
namespace {

// The list is read once, front to back, and closed before the cell returns:
// a forward-only cursor reads it in one pass, where a keyset cursor would go
// back to the file for every row (about five times the time for a long list).
constexpr int32_t kOpenForwardOnly = 0, kLockReadOnly = 1;
constexpr char16_t kDepartmentColumn[] = u"部门名称";

// The trimmed "名称" of every row, in the order read.
std::vector<vb::String> OptionNames(const Field& field, const vb::String& sql) {
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  ClosedAtEnd closed(rs);
  com::Call(rs, u"Open", sql, *field.conn, kOpenForwardOnly, kLockReadOnly);
  vb::Variant fields = com::Call(rs, u"Fields");
  vb::Variant name = com::Call(fields, u"Item", vb::String(u"名称"));
  std::vector<vb::String> names;
  while (!vb::CBool(com::Call(rs, u"EOF"))) {
    vb::Variant value = com::ValueOf(com::Call(name, u"Value"));
    names.push_back(value.IsNull() ? vb::String() : vb::Trim(vb::CStr(value)));
    com::Call(rs, u"MoveNext");
  }
  return names;
}

// The list's SQL for the drop-down list and the suggestion box.
vb::String ListSql(const Field& field) {
  if (field.pop_field.empty()) {
    if (field.field == kDepartmentColumn) return u"Select 部门名称 As 名称 From [BuMen] Order By 排列顺序";
    if (field.field == u"Part") return u"Select Part As 名称 From [Part] Order By [SortId]";
    return u"Select 名称 From [Sjzd] Where 分类=" + SqlText(field.field);
  }
  return u"Select 名称 From [Sjzd] Where 分类=" + SqlText(field.pop_field) + u" Order By 序号 Asc";
}

vb::String Selected(bool selected) { return selected ? vb::String(u" Selected ") : vb::String(); }

// Options read from the database: values from the record are encoded,
// captions written as stored (pages may keep markup there).
vb::String DatabaseOptions(const Field& field) {
  const vb::String compared = field.Editing() ? field.Compared() : vb::String();
  vb::String out;
  for (const vb::String& name : OptionNames(field, ListSql(field)))
    out += u"<option value=\"" + HtmlEncodeText(name) + u"\"" + Selected(field.Editing() && name == compared) +
           u">" + name + u"</option>";
  return out;
}

// A literal list without one trailing and then one leading "$", split at "$".
std::vector<vb::String> LiteralItems(vb::String list) {
  if (!list.empty() && list.back() == u'$') list.pop_back();
  if (!list.empty() && list.front() == u'$') list.erase(0, 1);
  return vb::SplitParts(list, u"$");
}

struct ValueAndCaption {
  vb::String value, caption;
};
// An item "value|caption" (a further "|" ends the caption), both trimmed.
ValueAndCaption SplitItem(const vb::String& item) {
  std::vector<vb::String> parts = vb::SplitParts(item, u"|");
  return {vb::Trim(parts[0]), vb::Trim(parts[1])};
}

bool HasCaption(const vb::String& item) { return item.find(u'|') != vb::String::npos; }

// What a list item selects: its text before the first "#", trimmed.
vb::String BeforeHash(const vb::String& value) { return vb::Trim(value.substr(0, value.find(u'#'))); }

vb::String Checked(bool checked) { return checked ? vb::String(u" Checked ") : vb::String(); }

}  // namespace

vb::String DropDownList(const Field& field) {
  if (vb::LCase(field.pop_field).find(u"<select") != vb::String::npos) return vb::Trim(field.pop_field);
  vb::String out = u"<select name='" + field.name + u"' id='" + field.name + u"'  class='inputtext'  style='width:" +
                   vb::CStr(vb::Variant(field.width)) + u"px;' required >";
  if (field.pop_field.find(u'$') == vb::String::npos) return out + DatabaseOptions(field) + u"</select>";
  const vb::String compared = field.Editing() ? field.Compared() : vb::String();
  for (const vb::String& raw : LiteralItems(field.pop_field)) {
    const vb::String item = vb::Trim(raw);
    if (!HasCaption(item)) {
      out += u"<option value='" + item + u"'" + Selected(field.Editing() && BeforeHash(item) == compared) + u">" +
             item + u"</option>";
    } else {
      const ValueAndCaption option = SplitItem(item);
      out += u"<option value='" + option.value + u"'" +
             Selected(field.Editing() && BeforeHash(option.value) == compared) + u">" + option.caption + u"</option>";
    }
  }
  return out + u"</select>";
}

vb::String Group(const Field& field) {
  const vb::String opening = u"<input name='" + field.name + u"' id='" + field.name + u"'";
  vb::String out;
  if (field.pop_field.find(u'$') == vb::String::npos) {
    // Radio buttons for both types.
    const vb::String sql = field.field == kDepartmentColumn
                               ? vb::String(u"select 部门名称 as 名称 from bumen order by 排列顺序")
                               : u"select 名称 from sjzd where 分类=" + SqlText(field.field);
    const vb::String compared = field.Editing() ? field.Compared() : vb::String();
    bool first = true;
    for (const vb::String& name : OptionNames(field, sql)) {
      out += opening + u" type='radio' value=\"" + HtmlEncodeText(name) + u"\"";
      if (field.Editing()) out += Checked(name == compared);
      else if (first) out += u" Checked";
      out += field.Required() + u">" + name;
      first = false;
    }
    return out;
  }

  const vb::String type_piece = field.type == 7 ? u" type='radio' " : u" type='checkbox' ";
  const vb::Variant stored = field.Editing() ? field.Stored() : vb::Variant();
  const vb::String stored_text = stored.IsNull() ? vb::String() : vb::CStr(stored);
  bool first = true;
  for (const vb::String& raw : LiteralItems(field.pop_field)) {
    const vb::String item = vb::Trim(raw);
    if (!HasCaption(item)) {
      out += opening + u" " + type_piece + u" value='" + item + u"'";
      if (field.Editing()) {
        bool checked = vb::IsNumeric(vb::Variant(item)) && vb::IsNumeric(stored)
                           ? EqualWholeNumbers(vb::Variant(item), stored)
                           : vb::InStr(u"," + vb::Replace(stored_text, u" ", u"") + u",",
                                       u"," + vb::Replace(item, u" ", u"") + u",") > 0;
        out += Checked(checked);
      }
      if (field.type == 7) out += field.Required();
      out += u">" + item;
    } else {
      const ValueAndCaption option = SplitItem(item);
      out += opening + type_piece + u" value='" + option.value + u"'";
      if (field.Editing()) {
        bool checked;
        if (stored.Type() == vb::vbBoolean) checked = BooleanOf(vb::Variant(option.value)) == vb::CBool(stored);
        else if (vb::IsNumeric(vb::Variant(option.value)) && vb::IsNumeric(stored))
          checked = EqualWholeNumbers(vb::Variant(option.value), stored);
        else checked = option.value == vb::Trim(stored_text);
        out += Checked(checked);
      } else if (first) {
        out += u" Checked";
      }
      out += field.Required() + u">" + option.caption;
    }
    first = false;
  }
  return out;
}

vb::String SuggestionBox(const Field& field) {
  vb::String out = u"<input name='" + field.name + u"' id='" + field.name +
                   u"' type='text' class='inputtext' style='width:" + vb::CStr(vb::Variant(field.width)) +
                   u"px;'  onkeydown='onKeyDownDefault(this);'  list='" + field.name + u"_list_h5'";
  if (field.Editing()) out += u" value='" + field.StoredMarkup(false) + u"'";
  out += field.Required() + u">";
  out += u"<datalist id='" + field.name + u"_list_h5' style='display:none'>";
  if (field.pop_field.find(u'$') == vb::String::npos) return out + DatabaseOptions(field) + u"</datalist>";
  const vb::String compared = field.Editing() ? field.Compared() : vb::String();
  for (const vb::String& raw : vb::SplitParts(field.pop_field, u"$")) {
    const vb::String item = vb::Trim(raw);
    const ValueAndCaption option = HasCaption(item) ? SplitItem(item) : ValueAndCaption{item, item};
    out += u"<option value='" + option.value + u"'" + Selected(field.Editing() && option.value == compared) + u">" +
           option.caption + u"</option>";
  }
  return out + u"</datalist>";
}

}  // namespace qe::field_cell
