#include "page/kesra_show_td.h"

#include <vector>

#include "common/kesra_dates.h"
#include "common/kesra_number_text.h"
#include "common/markup_encode.h"
#include "common/page_address.h"
#include "common/record_values.h"
#include "common/rich_text_cleaner.h"
#include "editors/kesra_qe_editor.h"
#include "page/field_cell.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/error.h"
#include "platform/vb/information.h"
#include "platform/vb/operators.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

using field_cell::Field;
using vb::String;

constexpr char16_t kTitleColor[] = u"#dcdcf9";
constexpr char16_t kValueColor[] = u"#eeeeff";
// The full-width colon that ends a label.
constexpr char16_t kLabelColon[] = u"：";
// Pages check this column's identity numbers on the field "postcard".
constexpr char16_t kIdentityNumberColumn[] = u"身份证号码";
// A time alone, as a date column without a date reads; shown as nothing.
constexpr char16_t kMidnightOnly[] = u"0:00:00";

String Decimal(int64_t value) { return vb::FromUtf8(std::to_string(value)); }

bool IsBlank(const String& text) { return vb::Trim(text).empty(); }

// The width of the text boxes and the text area: percent below 1.
String FlexibleWidth(int32_t width) { return Decimal(width) + (width < 1 ? u"%;" : u"px;"); }

String Font(const String& text) { return u"<font style='word-wrap: break-word'>" + text + u"</font>"; }

String ReadOnlyText(const Field& field) {
  if (field.type == 4) return vb::Equals(RecordValue(*field.rs, field.field), vb::Variant(true)) ? u"√" : u"";
  String out = field.type == 21 ? u"<input type='hidden'>" : u"";
  if (field.IsLiteral()) return out + Font(vb::Trim(field.Literal()));
  const String value = field.StoredText(true);
  if (field.type == 2 && value == kMidnightOnly) return out;
  // A rich-text field's markup is shown as the cleaner keeps it.
  if (field.type == 16 || field.type == 17) return out + Font(CleanRichTextOrText(value));
  return out + Font(value);
}

// The split parts of a "|"-joined argument; 9 when it has too few.
const String& Part(const std::vector<String>& parts, size_t index) {
  if (index >= parts.size()) vb::Raise(vb::kSubscriptOutOfRange);
  return parts[index];
}

String TextBox(const Field& field) {
  String out = u"<input name='" + field.name + u"' id='" + field.name +
               u"' type='text' class='inputtext' style='width:" + FlexibleWidth(field.width) +
               u";'  onkeydown='onKeyDownDefault(this);' ";
  if (field.Editing()) out += u" value='" + field.StoredMarkup(false) + u"'";
  switch (field.type) {
    case 9:
      out += u" readonly ";
      if (!IsBlank(field.pop_field)) out += u" onclick=\"" + vb::Trim(field.pop_field) + u"\"";
      break;
    case 1:
      if (field.field == kIdentityNumberColumn) {
        if (field.pop_allow >= 0)
          out += u" onblur='return isIdCardNo(document.myform.postcard,document.myform.postcard.value," +
                 Decimal(field.pop_allow) + u",1); ' ";
      } else if (field.pop_allow > 0) {
        out += u" title='点击左键会弹出选择菜单' onclick='PopSelectData(document.myform." + field.name + u",\"" +
               field.pop_field + u"\")' ";
      }
      break;
    case 8: {
      const std::vector<String> parts = vb::SplitParts(field.pop_field, u"|");
      out += u" readonly title='点击左键会弹出选择对话框'  onclick=\"return OpenWindowModalScroll('" + Part(parts, 0) +
             u"'," + Part(parts, 1) + u"," + Part(parts, 2) + u");\"";
      break;
    }
    case 800: {
      const std::vector<String> parts = vb::SplitParts(field.pop_field + u"||||", u"|");
      const String id = IsBlank(Part(parts, 1)) ? String(u"Dialog") : Part(parts, 1);
      const vb::Currency closing = KesraStringToNumeric(Part(parts, 5));
      out += u" readonly title='点击左键会弹出选择对话框'  onclick=\"ShowPopDialog('" + id + u"'," + Part(parts, 3) +
             u"," + Part(parts, 4) + u",'" + Part(parts, 2) + u"','" + Part(parts, 0) + u"', " +
             vb::CStr(vb::Variant(closing)) + u");\"";
      break;
    }
    default:
      break;
  }
  return out + field.Required() + u">";
}

// An eight-digit date stamp (yyyymmdd) of a real day.
bool IsDateStamp(const String& text, vb::DateParts& parts) {
  if (text.size() != 8) return false;
  for (char16_t c : text)
    if (c < u'0' || c > u'9') return false;
  const std::string digits = vb::ToUtf8(text);
  parts.year = std::stoi(digits.substr(0, 4));
  parts.month = std::stoi(digits.substr(4, 2));
  parts.day = std::stoi(digits.substr(6, 2));
  return parts.year >= 100 && parts.month >= 1 && parts.month <= 12 && parts.day >= 1 &&
         parts.day <= vb::DaysInMonth(parts.year, parts.month);
}

// yyyy-mm-dd, the one form a date input holds.
String DateInputText(const vb::DateParts& parts) {
  String year = Decimal(parts.year);
  while (year.size() < 4) year.insert(0, u"0");
  return year + u"-" + vb::Right(u"0" + Decimal(parts.month), 2) + u"-" + vb::Right(u"0" + Decimal(parts.day), 2);
}

// The record's value as the date input's value: dates, date texts and date
// stamps as yyyy-mm-dd (anything else would blank the input, and the next
// save would store the blank); other text as it stands, encoded.
String DateBoxValue(const vb::Variant& value) {
  if (value.IsNull()) return String();
  if (value.Type() == vb::vbDate) return DateInputText(vb::PartsOfDate(value.As<vb::Date>()));
  const String text = vb::CStr(value);
  vb::DateParts parts;
  if (IsDateStamp(vb::Trim(text), parts)) return DateInputText(parts);
  if (vb::IsDate(vb::Variant(text))) return DateInputText(vb::PartsOfDate(vb::CDate(vb::Variant(text))));
  return HtmlEncodeText(text);
}

String DateBox(const Field& field) {
  String out = u"<input name='" + field.name + u"' id='" + field.name +
               u"' type='date' class='inputtext' style='width:" + Decimal(field.width) +
               u"px;'  onkeydown='onKeyDownDefault(this);' ";
  if (!field.Editing()) out += u" value='" + KesraPutDate(KesraGetDate()) + u"'";
  else if (field.IsLiteral()) out += u" value='" + field.Literal() + u"'";
  else out += u" value='" + DateBoxValue(RecordValue(*field.rs, field.field)) + u"'";
  return out + field.Required() + u" >";
}

String CheckBox(const Field& field) {
  String out = u"<input name='" + field.name + u"' id='" + field.name +
               u"' type='checkbox' class='inputtext'  onkeydown='onKeyDownDefault(this);' value='on'";
  if (field.Editing() && field_cell::BooleanOf(field.Stored()) == true) out += u" Checked ";
  return out + u">";
}

// A text area's content: browsers drop one line break right after the start
// tag, so a value that begins with one gets one more.
String TextAreaContent(const String& value) {
  if (!value.empty() && (value.front() == u'\n' || value.front() == u'\r')) return u"\n" + value;
  return value;
}

String TextArea(const Field& field) {
  String out = u"<textarea rows='" + Decimal(field.height) + u"' name='" + field.name + u"'  id='" + field.name +
               u"'  class='inputedit' onkeydown='onKeyDownDefault(this);' style='width:" + FlexibleWidth(field.width);
  if (field.state == field_cell::kShowState)
    out += u" word-wrap: break-word;border:0px;background:3;border-style:none;background-color:transparent;"
           u"outline:none;resize:none;' readonly ";
  else if (field.allow_edit != 0) out += u" '";
  else out += u" background:#eeeeff;' readonly ";
  if (field.pop_allow == 1)
    out += u" onclick='popup_select_data(document.myform." + field.name + u",\"" + field.pop_field + u"\")' ";
  out += field.Required() + u">";
  if (field.state == field_cell::kEditState || field.state == field_cell::kShowState)
    out += TextAreaContent(field.StoredMarkup(false));
  return out + u"</textarea>";
}

String PasswordBox(const Field& field) {
  return u"<input name='" + field.name + u"' id='" + field.name + u"' type='password' class='inputtext' style='width:" +
         Decimal(field.width) + u"px;' value='' " + field.Required() + u" onkeydown='onKeyDownDefault(this);' >";
}

String EditorPage(const Field& field) {
  return u"<textarea name='" + field.name + u"' id='" + field.name + u"' style='display:none'></textarea>" +
         u"<iframe id='Editor' src='" + PageAddressInAttribute(field.field, AttributeQuote::kSingle) +
         u"' frameborder=1 scrolling=no width='" + Decimal(field.width) +
         u"' height='" + Decimal(field.height) + u"'></iframe>";
}

String Accept(const Field& field) {
  return IsBlank(field.pop_field) ? String() : u"accept='" + field.pop_field + u"'";
}

String PhotoChooser(const Field& field) {
  const int64_t box = int64_t{field.width} - 68;
  if (box < INT32_MIN) vb::Raise(vb::kOverflow);
  return u"<input name='" + field.name + u"' id='" + field.name + u"' type='text' class='inputtext' Readonly style='width:" +
         Decimal(box) + u"px;'>" + u"<input type='file' name='" + field.name + u"22' id='" + field.name +
         u"22' style='width:68px;' class='inputtext' " + Accept(field) + u" onchange = \"document.getElementById('" +
         field.name + u"').value=this.value; document.myform.encoding='multipart/form-data';"
         u" document.PhotoPre.src=document.myform.url.value;\">";
}

String UploadChooser(const Field& field) {
  return u"<input type='file' Title='点击选择上传文件' name='" + field.name + u"22' id='" + field.name +
         u"22' style='width:88px;'" + Accept(field) + u" class='inputtext' onchange = \"myform.submit();;\">";
}

// The fixed menu of type 17: the editor's own menu without pictures,
// attachments, media, tables, faces, rules and pasting.
constexpr char16_t kFixedEditorMenu[] =
    u"'backColor', 'fontSize', 'foreColor', 'bold', 'italic', 'underline', 'strikeThrough', 'line'"
    u", 'justifyLeft','justifyCenter', 'justifyRight', 'indent', 'outdent', 'line'"
    u", 'insertOrderedList', 'insertUnorderedList', 'line'"
    u", 'superscript','subscript', 'createLink', 'unlink', 'line'"
    u",'removeFormat','code'";

// The editor over a hidden text area that holds the record's HTML as text
// (encoded: the editor reads the text area's value, so "&lt;" in the stored
// HTML stays text), cleaned first: the editor's frame writes it as markup
// for whoever opens the form. The editor starts on the field's own id:
// started on a fixed id, it would find nothing for any other name.
String RichTextEditor(const Field& field) {
  String out = KesraQeEditorAllJs() + u"<textarea name='" + field.name + u"' id='" + field.name +
               u"' style='display: none;'>";
  if (field.state == field_cell::kEditState || field.state == field_cell::kShowState)
    out += TextAreaContent(HtmlEncodeText(CleanRichTextOrText(vb::Trim(RecordText(*field.rs, field.field)))));
  out += u"</textarea><div class='qeEditor'></div><script>qe.editor('" + field.name + u"',function(){";
  out += u"this.width = '" + (field.width == 0 ? String(u"100%") : Decimal(field.width)) + u"';";
  out += u"this.height = '" + (field.height == 0 ? String(u"100%") : Decimal(field.height)) + u"';";
  out += u"this.uploadUrl = '../comm_qeeditor/upload.asp';";
  if (field.type == 17) out += u"this.menu = [" + String(kFixedEditorMenu) + u"];";
  return out + u"this.create();});</script>";
}

const char16_t* Html5Type(int16_t type) {
  switch (type) {
    case 160: return u" type='number' ";
    case 171: return u" type='range' ";
    case 172: return u" type='progress' ";
    case 180: return u" type='email' ";
    case 181: return u" type='url' ";
    case 182: return u" type='tel' ";
    case 190: return u" type='search' ";
    case 201: return u" type='time' ";
    case 202: return u" type='datetime-local' ";
    case 203: return u" type='month' ";
    case 204: return u" type='week' ";
    case 300: return u" type='file' ";
    case 301: return u" type='file' multiple  ";
    case 400: return u" type='color' ";
    default: return nullptr;
  }
}

String Html5Input(const Field& field) {
  String out = u"<input name='" + field.name + u"' id='" + field.name + u"' " + Html5Type(field.type) +
               u" class='inputtext' style='width:" + Decimal(field.width) + u"px;";
  if (field.type == 400) {
    String color = u"#ffffff";
    if (field.Editing())
      color = field.IsLiteral() ? field.Literal() : HtmlEncodeText(RecordText(*field.rs, field.field));
    out += u" background-color:" + color + u";border: 1px solid #000000;color:#000000;";
  }
  out += u"' ";
  if (field.Editing()) out += u" value='" + field.StoredMarkup(true) + u"'";
  if ((field.type == 160 || field.type == 171 || field.type == 172) && !IsBlank(field.pop_field)) {
    const std::vector<String> limits = vb::SplitParts(field.pop_field + u"|||", u"|");
    const char16_t* names[] = {u" min='", u" max='", u" step='"};
    for (size_t i = 0; i < 3; ++i)
      if (!IsBlank(limits[i])) out += names[i] + vb::Trim(limits[i]) + u"'";
  }
  if (field.type == 400 && field.Editing())
    out += u" title=' 单击本框可选择颜色，外框颜色为当前已设置的颜色，内框颜色为当前选择的颜色。' ";
  return out + field.Required() + u"  onkeydown='onKeyDownDefault(this);'>";
}

// The control of the field's type; "" for a type without one.
String Control(const Field& field) {
  switch (field.type) {
    case 1: case 8: case 9: case 21: case 800: return TextBox(field);
    case 2: case 200: return DateBox(field);
    case 3: return field_cell::DropDownList(field);
    case 4: return CheckBox(field);
    case 5: return TextArea(field);
    case 6: return PasswordBox(field);
    case 7: case 14: return field_cell::Group(field);
    case 10: return EditorPage(field);
    case 11: return PhotoChooser(field);
    case 12: return UploadChooser(field);
    case 15: return field_cell::SuggestionBox(field);
    case 16: case 17: return RichTextEditor(field);
    default: return Html5Type(field.type) ? Html5Input(field) : String();
  }
}

}  // namespace

String KesraShowTd(vb::Variant& Conn, vb::Variant& Rs, int16_t p_Type, int32_t p_Width, int32_t p_Height,
                   int16_t p_ColSpan, String p_Title, String p_Name, String p_Field, int16_t p_Pop_Allow,
                   String p_Pop_Field, int16_t p_State, int16_t p_Allow_Edit, String p_Star, String p_Title_Bgcolor,
                   String p_Value_Bgcolor, String p_TdTitle, int16_t p_DivHeight, String /*p_EditorTemplate*/,
                   int16_t p_AllowEmpty) {
  if (IsBlank(p_Title)) p_Title = p_Field;
  if (IsBlank(p_Pop_Field) && p_Type != 3 && p_Type != 9) p_Pop_Field = p_Title;
  if (IsBlank(p_Name)) p_Name = p_Field;
  if (IsBlank(p_Title_Bgcolor)) p_Title_Bgcolor = kTitleColor;
  if (IsBlank(p_Value_Bgcolor)) p_Value_Bgcolor = kValueColor;

  Field field;
  field.conn = &Conn;
  field.rs = &Rs;
  field.type = p_Type;
  field.width = p_Width;
  field.height = p_Height;
  field.title = p_Title;
  field.name = p_Name;
  field.field = p_Field;
  field.pop_field = p_Pop_Field;
  field.pop_allow = p_Pop_Allow;
  field.state = p_State;
  field.allow_edit = p_Allow_Edit;
  field.allow_empty = p_AllowEmpty;
  field.value_color = p_Value_Bgcolor;

  const String title_key = vb::LCase(p_Title);
  const bool no_cells = title_key == u"allnull";
  String out;
  if (title_key != u"null" && !no_cells)
    out += u"<td align='right' bgcolor='" + p_Title_Bgcolor + u"' colspan=2>" + p_Title +
           (p_Title.find(kLabelColon) == String::npos ? kLabelColon : u"") + u"</td>";
  if (!no_cells) {
    out += u"<td align='left' bgcolor='" + p_Value_Bgcolor + u"'  colspan=" + Decimal(p_ColSpan);
    if (!IsBlank(p_TdTitle)) out += u" title='" + vb::Trim(p_TdTitle) + u"'";
    out += u">";
  }
  if (p_DivHeight > 0)
    out += u"<div style='padding-left:5px;font-size:9px;line-height:150%;overflow:auto; height:" +
           Decimal(p_DivHeight) + u"px;' valign=top>" +
           u"<table width='100%' border='0' cellpadding='0' cellspacing='0' bgcolor='" + p_Value_Bgcolor +
           u"' height=" + Decimal(p_DivHeight - 4) +
           u" style='table-layout: fixed; word-wrap:break-word; word-break:break-all' valign=top>" +
           u"<tr valign=top><td bgcolor='" + p_Value_Bgcolor + u"' valgin=top>";
  else if (p_DivHeight == 0) out += u"&nbsp;";

  if (p_Type == 20) {
    out += vb::Trim(p_Pop_Field);
  } else if (p_Type != 5 && (p_State == field_cell::kShowState || p_Allow_Edit == 0)) {
    out += ReadOnlyText(field);
  } else {
    out += Control(field);
    if (!IsBlank(p_Star)) out += u"&nbsp;<font color=red>" + vb::Trim(p_Star) + u"</font>";
  }

  if (p_DivHeight > 0) out += u"</td></tr></table></div>";
  if (!no_cells) out += u"</td>";
  return out;
}

}  // namespace qe
