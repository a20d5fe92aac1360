#include "host/form_sample_page.h"

#include <optional>
#include <utility>
#include <vector>

#include "common/kesra_error_page.h"
#include "common/rich_text_cleaner.h"
#include "common/sql_literal.h"
#include "common/system_title.h"
#include "host/page_steps.h"
#include "host/site_links.h"
#include "platform/ado/errors.h"
#include "platform/asp/request.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/information.h"
#include "platform/vb/strings.h"
#include "shell/application_lock.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

constexpr int32_t kOpenKeyset = 1, kLockReadOnly = 1;
constexpr int16_t kEditState = 2, kRichText = 16;

constexpr char16_t kTooMuchMarkup[] = u"的格式过于复杂，不能保存！";
constexpr char16_t kRowGone[] = u"保存失败：表单示例的记录已不存在，请刷新页面后重试。";

constexpr char16_t kCreateTable[] =
    u"Create Table [FormSample] ([ID] Counter Primary Key, [Title] Text(100), [Day] Text(8), [Part] Text(50), "
    u"[Active] YesNo, [Notes] Memo, [Grades] Text(100), [Amount] Long, [Content] Memo)";
constexpr char16_t kFirstRow[] =
    u"Insert Into [FormSample] ([Title], [Day], [Part], [Active], [Notes], [Grades], [Amount], [Content]) "
    u"Values ('表单示例', '20240105', '网管中心', True, '第一行', 'a', 1, '<p>示例</p>')";
constexpr char16_t kRowSql[] = u"Select Top 1 * From [FormSample] Order By [ID]";

// The fields, each a column of the table under its own name.
struct FieldRow {
  int16_t type;
  int32_t width, height;
  const char16_t* title;
  const char16_t* column;
  const char16_t* pop_field;
  int16_t allow_empty;
  int32_t longest;  // the column's width in characters; 0 for no limit
};
constexpr FieldRow kFields[] = {
    {1, 300, 1, u"标题", u"Title", u"", 0, 100},
    {2, 160, 1, u"日期", u"Day", u"", 1, 8},
    {3, 160, 1, u"部门", u"Part", u"", 1, 50},  // the departments of [Part]
    {4, 0, 1, u"启用", u"Active", u"", 1, 0},
    {5, 400, 6, u"备注", u"Notes", u"", 1, 0},
    {14, 0, 1, u"年级", u"Grades", u"$a$b$c$", 1, 100},
    {160, 120, 1, u"数量", u"Amount", u"0|100000|1", 1, 0},
    {kRichText, 600, 240, u"内容", u"Content", u"", 1, 0},
};

constexpr char16_t kPageHead[] =
    u"<style>body{font:13px \"WenQuanYi Zen Hei\",sans-serif;margin:8px}table.form{border-collapse:collapse}"
    u"table.form td{padding:4px;border:1px solid #c9d7ec}.inputtext,.inputedit{font-size:13px}"
    u".button_image{padding:2px 12px}</style>\n";

void Write(Page& page, const String& text) { com::Call(page.Response, u"Write", text); }

String Text(const Variant& value) {
  Variant plain = com::ValueOf(value);
  return plain.IsNull() || plain.IsEmpty() ? String() : vb::CStr(plain);
}

// Request.Form(name); nothing when the form did not carry the field.
std::optional<String> FormValue(Page& page, const char16_t* name) {
  if (asp::FormValues(page.Request, name).empty()) return std::nullopt;
  return Text(com::Call(page.Request, u"Form", String(name)));
}

Variant OpenRow(Page& page, Variant& conn, int32_t lock) {
  Variant rs = com::Call(page.Server, u"CreateObject", String(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", String(kRowSql), conn, kOpenKeyset, lock);
  return rs;
}

// The table and its one row, made under the Application lock the first time
// a request finds them missing.
void ProvideTable(Page& page, Variant& conn) {
  qe::ApplicationLock lock(page.Application);
  bool table = true;
  try {
    Variant rs = OpenRow(page, conn, kLockReadOnly);
    const bool empty = vb::CBool(com::Call(rs, u"EOF"));
    com::Call(rs, u"Close");
    if (!empty) return;
  } catch (const vb::Error& error) {
    if (error.Number() != ado::kDbNoSuchTable) throw;
    table = false;
  }
  if (!table) com::Call(conn, u"Execute", String(kCreateTable));
  com::Call(conn, u"Execute", String(kFirstRow));
}

// The date input's yyyy-mm-dd as the system stores dates: an eight-digit
// stamp. Anything else is kept as it came.
String DateStamp(const String& posted) {
  const String digits = vb::Replace(posted, u"-", u"");
  if (posted.size() != 10 || digits.size() != 8) return posted;
  for (char16_t c : digits)
    if (c < u'0' || c > u'9') return posted;
  return digits;
}

// What the form posted for the field. Unchecked boxes send nothing, so for
// them nothing means none; any other field that did not come keeps its value.
std::optional<Variant> PostedValue(Page& page, const FieldRow& field) {
  const std::optional<String> value = FormValue(page, field.column);
  if (!value && field.type != 4 && field.type != 14) return std::nullopt;
  const String posted = value.value_or(String());
  switch (field.type) {
    case 2: return Variant(DateStamp(posted));
    case 4: return Variant(posted == u"on");
    case 160: {
      double number = 0;
      if (!vb::ParseNumber(vb::Trim(posted), number) || number < INT32_MIN || number > INT32_MAX) return Variant::Null();
      return Variant(vb::CLng(Variant(number)));
    }
    default: return Variant(posted);
  }
}

// A value as the UPDATE writes it.
String SqlValue(const Variant& value) {
  if (value.IsNull()) return u"Null";
  if (value.Type() == vb::vbBoolean) return vb::CBool(value) ? u"True" : u"False";
  if (value.Type() == vb::vbLong) return vb::CStr(value);
  return qe::SqlText(vb::CStr(value));
}

// False, after the error page, when a value does not fit its column (or the
// body is more markup than the cleaner reads), or when the row it shows is
// gone by the time it is saved: the table is left as it was.
bool Save(Page& page, Variant& conn) {
  std::vector<std::pair<const FieldRow*, Variant>> values;
  for (const FieldRow& field : kFields) {
    std::optional<Variant> value = PostedValue(page, field);
    if (!value) continue;
    if (field.type == kRichText) {
      // What is stored acts for nobody who views it.
      std::optional<String> clean = qe::CleanRichText(vb::CStr(*value));
      if (!clean) {
        qe::KesraShowErrorPageWithoutData(page.Response, String(field.title) + kTooMuchMarkup, false, u"");
        return false;
      }
      *value = Variant(std::move(*clean));
    }
    if (field.longest > 0 && value->IsString() && vb::Len(vb::CStr(*value)) > field.longest) {
      qe::KesraShowErrorPageWithoutData(
          page.Response, String(field.title) + u"不能超过" + vb::CStr(Variant(field.longest)) + u"个字符！", false, u"");
      return false;
    }
    values.emplace_back(&field, std::move(*value));
  }
  String id;
  {
    Variant rs = OpenRow(page, conn, kLockReadOnly);
    if (!vb::CBool(com::Call(rs, u"EOF"))) id = vb::CStr(com::ValueOf(com::Call(rs, u"", String(u"ID"))));
    com::Call(rs, u"Close");
  }
  Variant changed = int32_t{0};
  if (!id.empty() && !values.empty()) {
    String sql;
    for (auto& [field, value] : values)
      sql += (sql.empty() ? u"Update [FormSample] Set " : u", ") + qe::SqlName(field->column) + u"=" + SqlValue(value);
    try {
      com::Call(conn, u"Execute", sql + u" Where [ID]=" + id, changed);
    } catch (const vb::Error& error) {
      if (error.Number() != ado::kDbNoSuchTable) throw;  // the data were made anew meanwhile
    }
  }
  // Saved only when the row it showed took the values, and nothing else did.
  if (!id.empty() && (values.empty() || vb::CLng(com::ValueOf(changed)) == 1)) return true;
  qe::KesraShowErrorPageWithoutData(page.Response, kRowGone, false, u"");
  return false;
}

void ShowForm(Page& page, Variant& qe, Variant& conn) {
  Variant rs = OpenRow(page, conn, kLockReadOnly);
  Write(page, u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n<title>表单示例 - " +
                  qe::SystemTitle() + u"</title>\n" + String(kPageHead) +
                  Text(com::Call(qe, u"CommScriptOnKeyDownDefault")) + u"</head>\n<body>\n");
  Write(page, Text(com::Call(qe, u"CommShowFormLeft", String(u"form_sample.asp"))) +
                  u"<table class=form align=center>\n");
  for (const FieldRow& field : kFields) {
    Write(page, Text(com::Call(qe, u"CommShowTr", conn, rs, String(), field.type, field.width, field.height,
                               int16_t{1}, String(field.title), String(), String(field.column), int16_t{0},
                               String(field.pop_field), kEditState, int16_t{1},
                               String(field.allow_empty == 0 ? u"*" : u""), String(), String(), String(), int16_t{0},
                               String(), field.allow_empty)) +
                    u"\n");
  }
  Write(page, u"<tr><td colspan=3 align=center>" + Text(com::Call(qe, u"CommShowButton")) +
                  u"</td></tr>\n</table>\n</form>\n");
  Write(page, Text(com::Call(qe, u"CommShowCopyRight", conn, rs)) + u"\n" + kPageClosing);
}

}  // namespace

void FormSamplePage(Page& page) {
  Variant qe;
  if (!ComponentChecked(page, qe) || !MainDatabaseReady(page, qe)) return;
  const bool posted = Posted(page);
  // Only a logged-in user saves: one whose session still stands for the
  // account, with a password of its own.
  if (posted && !UserAdmitted(page, qe)) return;

  Variant conn = com::Call(page.Server, u"CreateObject", String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", String(qe::kPublicQeDataConnString)));
  ProvideTable(page, conn);
  if (posted) {
    const bool saved = Save(page, conn);
    Variant rs(u"");
    com::Call(qe, u"CommCloseData", rs, conn);
    if (saved) com::Call(page.Response, u"Redirect", String(u"form_sample.asp"));
    return;
  }
  ShowForm(page, qe, conn);
}

}  // namespace host
