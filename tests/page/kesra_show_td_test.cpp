// The field-cell renderer's exact texts: its frame, the read-only display,
// and each control in the states that change it.
#include <gtest/gtest.h>

#include "common/kesra_dates.h"
#include "editors/kesra_qe_editor.h"
#include "page/field_cell_test.h"
#include "platform/vb/error.h"

namespace {

using page_test::FieldArgs;
using page_test::RowOf;
using page_test::Td;

constexpr char16_t kTextBox[] =
    u"<input name='n' id='n' type='text' class='inputtext' style='width:200px;;'  onkeydown='onKeyDownDefault(this);' ";

int32_t ErrorOf(const FieldArgs& a) {
  try {
    Td(a);
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

vb::String Today() { return qe::KesraPutDate(qe::KesraGetDate()); }

TEST(FieldCellFrame, ABlankTitleAndNameComeFromTheField) {
  FieldArgs a;
  a.type = 21, a.title = u" ", a.name = u"", a.field = u"Name", a.div_height = 0;
  EXPECT_EQ(Td(a), u"<td align='right' bgcolor='#dcdcf9' colspan=2>Name：</td>"
                   u"<td align='left' bgcolor='#eeeeff'  colspan=1>&nbsp;"
                   u"<input name='Name' id='Name' type='text' class='inputtext' style='width:200px;;'  "
                   u"onkeydown='onKeyDownDefault(this);' ></td>");
}

TEST(FieldCellFrame, NullDropsTheTitleCellAndAllnullBothCellsTags) {
  FieldArgs a;
  a.type = 21, a.title = u"Null", a.colspan = 3, a.td_title = u" 提示 ", a.value_color = u"#fff";
  EXPECT_EQ(Td(a), u"<td align='left' bgcolor='#fff'  colspan=3 title='提示'>" + vb::String(kTextBox) + u"></td>");
  a.title = u"ALLNULL";
  EXPECT_EQ(Td(a), vb::String(kTextBox) + u">");
}

TEST(FieldCellFrame, ATitleWithItsOwnColonGetsNoSecond) {
  FieldArgs a;
  a.type = 13, a.title = u"姓名：", a.title_color = u"red";
  EXPECT_EQ(Td(a), u"<td align='right' bgcolor='red' colspan=2>姓名：</td><td align='left' bgcolor='#eeeeff'  colspan=1></td>");
}

TEST(FieldCellFrame, APositiveDivHeightBoxesTheValue) {
  FieldArgs a;
  a.type = 13, a.title = u"null", a.div_height = 100;
  EXPECT_EQ(Td(a), u"<td align='left' bgcolor='#eeeeff'  colspan=1>"
                   u"<div style='padding-left:5px;font-size:9px;line-height:150%;overflow:auto; height:100px;' valign=top>"
                   u"<table width='100%' border='0' cellpadding='0' cellspacing='0' bgcolor='#eeeeff' height=96 "
                   u"style='table-layout: fixed; word-wrap:break-word; word-break:break-all' valign=top>"
                   u"<tr valign=top><td bgcolor='#eeeeff' valgin=top></td></tr></table></div></td>");
}

TEST(FieldCellFrame, TheMarkerFollowsControlsOnly) {
  FieldArgs a;
  a.star = u" * ";
  EXPECT_EQ(Td(a), vb::String(kTextBox) + u">&nbsp;<font color=red>*</font>");
  a.type = 99;  // no control: the marker alone
  EXPECT_EQ(Td(a), u"&nbsp;<font color=red>*</font>");
  a.type = 20, a.pop_field = u" <b>说明</b> ";
  EXPECT_EQ(Td(a), u"<b>说明</b>");
  a.type = 1, a.state = 3;
  EXPECT_EQ(Td(a, RowOf(u"x")), u"<font style='word-wrap: break-word'>x</font>");
}

TEST(FieldCellReadOnly, ShowsTheTrimmedValueAsGiven) {
  struct Case {
    int16_t type;
    vb::Variant value;
    const char16_t* expected;
  };
  const Case cases[] = {
      {1, vb::Variant(u"  x  "), u"<font style='word-wrap: break-word'>x</font>"},
      {1, vb::Variant::Null(), u"<font style='word-wrap: break-word'></font>"},
      {1, vb::Variant(u"<b>粗</b>"), u"<font style='word-wrap: break-word'><b>粗</b></font>"},
      {2, vb::Variant(u"0:00:00"), u""},
      {200, vb::Variant(u"0:00:00"), u"<font style='word-wrap: break-word'>0:00:00</font>"},
      {2, vb::Variant(vb::Date{0}), u""},
      {4, vb::Variant(true), u"√"},
      {4, vb::Variant(false), u""},
      {4, vb::Variant(int32_t{1}), u""},  // only True itself (-1) shows the tick
      {21, vb::Variant(u"v"), u"<input type='hidden'><font style='word-wrap: break-word'>v</font>"},
  };
  for (const Case& c : cases) {
    FieldArgs a;
    a.type = c.type, a.state = 3;
    EXPECT_EQ(Td(a, RowOf(c.value)), c.expected) << "type " << c.type;
  }
}

TEST(FieldCellReadOnly, NotEditableIsReadOnlyInEveryState) {
  FieldArgs a;
  a.state = 2, a.allow_edit = 0, a.field = u"$ abc ";
  EXPECT_EQ(Td(a), u"<font style='word-wrap: break-word'>abc</font>");
  a.state = 1, a.type = 21;
  EXPECT_EQ(Td(a), u"<input type='hidden'><font style='word-wrap: break-word'>abc</font>");
}

TEST(FieldCellTextBox, StatesWidthsAndRequired) {
  FieldArgs a;
  EXPECT_EQ(Td(a, RowOf(u"never read")), vb::String(kTextBox) + u">");
  a.state = 2;
  EXPECT_EQ(Td(a, RowOf(u" abc ")), vb::String(kTextBox) + u" value='abc'>");
  a.field = u"$a$bc ";
  EXPECT_EQ(Td(a), vb::String(kTextBox) + u" value='abc '>") << "a literal stands as given";
  a.width = 0, a.allow_empty = 0, a.state = 1;
  EXPECT_EQ(Td(a), u"<input name='n' id='n' type='text' class='inputtext' style='width:0%;;'  "
                   u"onkeydown='onKeyDownDefault(this);'  required >");
}

TEST(FieldCellTextBox, TheTypesClickAndCheckHandlers) {
  struct Case {
    int16_t type;
    const char16_t* field;
    int16_t pop_allow;
    const char16_t* pop_field;
    const char16_t* tail;
  };
  const Case cases[] = {
      {1, u"f", 1, u"部门", u" title='点击左键会弹出选择菜单' onclick='PopSelectData(document.myform.n,\"部门\")' >"},
      {1, u"f", 0, u"部门", u">"},
      {1, u"身份证号码", 0, u"", u" onblur='return isIdCardNo(document.myform.postcard,document.myform.postcard.value,0,1); ' >"},
      {1, u"身份证号码", -1, u"", u">"},
      {9, u"f", 0, u" pick(this) ", u" readonly  onclick=\"pick(this)\">"},
      {9, u"f", 0, u"", u" readonly >"},
      {8, u"f", 0, u"a.asp|500|300",
       u" readonly title='点击左键会弹出选择对话框'  onclick=\"return OpenWindowModalScroll('a.asp',500,300);\">"},
      {800, u"f", 0, u"page.asp||标题|600|400|1",
       u" readonly title='点击左键会弹出选择对话框'  onclick=\"ShowPopDialog('Dialog',600,400,'标题','page.asp', 1);\">"},
      {800, u"f", 0, u"page.asp|dlg|t|1|2|x",
       u" readonly title='点击左键会弹出选择对话框'  onclick=\"ShowPopDialog('dlg',1,2,'t','page.asp', 0);\">"},
      {800, u"f", 0, u"page.asp|",
       u" readonly title='点击左键会弹出选择对话框'  onclick=\"ShowPopDialog('Dialog',,,'','page.asp', 0);\">"},
      {21, u"f", 1, u"x", u">"},
  };
  for (const Case& c : cases) {
    FieldArgs a;
    a.type = c.type, a.field = c.field, a.name = u"n", a.pop_allow = c.pop_allow, a.pop_field = c.pop_field;
    EXPECT_EQ(Td(a), vb::String(kTextBox) + c.tail) << "type " << c.type << " with " << vb::ToUtf8(c.pop_field);
  }
}

TEST(FieldCellTextBox, DialogArgumentsWithTooFewPartsRaiseNine) {
  FieldArgs a;
  a.type = 8, a.pop_field = u"a.asp|500";
  EXPECT_EQ(ErrorOf(a), 9);
  a.type = 800, a.pop_field = u"page.asp";
  EXPECT_EQ(ErrorOf(a), 9);
  a.type = 8, a.pop_field = u"", a.title = u"标题";  // defaulted to the title: one part
  EXPECT_EQ(ErrorOf(a), 9);
}

TEST(FieldCellDateBox, TodayForANewRecordAndTheStoredDateWhenEditing) {
  const vb::String opening =
      u"<input name='n' id='n' type='date' class='inputtext' style='width:200px;'  onkeydown='onKeyDownDefault(this);' ";
  FieldArgs a;
  a.type = 2;
  EXPECT_EQ(Td(a), opening + u" value='" + Today() + u"' >");
  a.type = 200, a.allow_empty = 0;
  EXPECT_EQ(Td(a), opening + u" value='" + Today() + u"' required  >");
  a.allow_empty = 1, a.state = 2;
  EXPECT_EQ(Td(a, RowOf(vb::Variant::Null())), opening + u" value='' >");
  EXPECT_EQ(Td(a, RowOf(vb::Variant(vb::Date{45296.75}))), opening + u" value='2024-01-05' >");
  a.field = u"$2024-1-6";
  EXPECT_EQ(Td(a), opening + u" value='2024-1-6' >") << "a literal stands as given";
}

TEST(FieldCellCheckBox, CheckedWhenTheStoredValueIsTrue) {
  const vb::String box =
      u"<input name='n' id='n' type='checkbox' class='inputtext'  onkeydown='onKeyDownDefault(this);' value='on'";
  struct Case {
    const char16_t* field;
    vb::Variant value;
    bool checked;
  };
  const Case cases[] = {
      {u"f", vb::Variant(true), true},        {u"f", vb::Variant(false), false},
      {u"f", vb::Variant::Null(), false},     {u"f", vb::Variant(int32_t{5}), true},
      {u"$True", vb::Variant(), true},        {u"$ false ", vb::Variant(), false},
      {u"$tRuE", vb::Variant(), true},        {u"$0", vb::Variant(), false},
      {u"$-1", vb::Variant(), true},
  };
  for (const Case& c : cases) {
    FieldArgs a;
    a.type = 4, a.state = 2, a.field = c.field, a.allow_empty = 0;
    EXPECT_EQ(Td(a, RowOf(c.value)), box + (c.checked ? u" Checked >" : u">")) << vb::ToUtf8(c.field);
  }
  FieldArgs fresh;
  fresh.type = 4;
  EXPECT_EQ(Td(fresh, RowOf(vb::Variant(true))), box + u">") << "a new record is never checked";
}

TEST(FieldCellTextArea, EachStateAndSwitch) {
  const vb::String opening =
      u"<textarea rows='5' name='n'  id='n'  class='inputedit' onkeydown='onKeyDownDefault(this);' style='width:200px;";
  FieldArgs a;
  a.type = 5;
  EXPECT_EQ(Td(a, RowOf(u"abc")), opening + u" '></textarea>");
  a.state = 2;
  EXPECT_EQ(Td(a, RowOf(u" abc ")), opening + u" '>abc</textarea>");
  a.state = 3, a.width = 0;
  EXPECT_EQ(Td(a, RowOf(u"abc")),
            u"<textarea rows='5' name='n'  id='n'  class='inputedit' onkeydown='onKeyDownDefault(this);' "
            u"style='width:0%; word-wrap: break-word;border:0px;background:3;border-style:none;"
            u"background-color:transparent;outline:none;resize:none;' readonly >abc</textarea>");
  a.state = 2, a.width = 200, a.allow_edit = 0, a.pop_allow = 1, a.pop_field = u"src", a.allow_empty = 0,
  a.star = u"*";
  EXPECT_EQ(Td(a, RowOf(u"abc")),
            opening + u" background:#eeeeff;' readonly  onclick='popup_select_data(document.myform.n,\"src\")'  "
                      u"required >abc</textarea>&nbsp;<font color=red>*</font>");
  a.allow_edit = 1, a.pop_allow = 0, a.allow_empty = 1, a.star = u"", a.field = u"$ x$ ";
  EXPECT_EQ(Td(a), opening + u" '> x </textarea>") << "a literal stands untrimmed";
}

TEST(FieldCellPassword, NeverPrefilled) {
  FieldArgs a;
  a.type = 6, a.state = 2, a.allow_empty = 0;
  EXPECT_EQ(Td(a, RowOf(u"secret")),
            u"<input name='n' id='n' type='password' class='inputtext' style='width:200px;' value=''  required  "
            u"onkeydown='onKeyDownDefault(this);' >");
}

TEST(FieldCellChoosers, EditorPagePhotoAndUpload) {
  FieldArgs a;
  a.type = 10, a.field = u"edit.asp", a.state = 2, a.allow_empty = 0;
  EXPECT_EQ(Td(a), u"<textarea name='n' id='n' style='display:none'></textarea><iframe id='Editor' src='edit.asp' "
                   u"frameborder=1 scrolling=no width='200' height='5'></iframe>");
  a = FieldArgs{};
  a.type = 11, a.pop_field = u"image/*";
  EXPECT_EQ(Td(a), u"<input name='n' id='n' type='text' class='inputtext' Readonly style='width:132px;'>"
                   u"<input type='file' name='n22' id='n22' style='width:68px;' class='inputtext' accept='image/*' "
                   u"onchange = \"document.getElementById('n').value=this.value; "
                   u"document.myform.encoding='multipart/form-data'; document.PhotoPre.src=document.myform.url.value;\">");
  a.type = 12, a.pop_field = u".doc";
  EXPECT_EQ(Td(a), u"<input type='file' Title='点击选择上传文件' name='n22' id='n22' style='width:88px;'accept='.doc' "
                   u"class='inputtext' onchange = \"myform.submit();;\">");
  a.title = u"标题", a.pop_field = u"";  // a blank filter takes the title
  EXPECT_NE(Td(a).find(u"accept='标题'"), vb::String::npos);
}

TEST(FieldCellRichText, TheEditorOverItsHiddenTextArea) {
  const vb::String script = qe::KesraQeEditorAllJs();
  const vb::String upload = u"this.uploadUrl = '../comm_qeeditor/upload.asp';";
  FieldArgs a;
  a.type = 16, a.width = 600, a.height = 240, a.allow_empty = 0, a.star = u"*";
  EXPECT_EQ(Td(a, RowOf(u"<p>never read</p>")),
            script + u"<textarea name='n' id='n' style='display: none;'></textarea><div class='qeEditor'></div>"
                     u"<script>qe.editor('n',function(){this.width = '600';this.height = '240';" +
                upload + u"this.create();});</script>&nbsp;<font color=red>*</font>")
      << "a new record: empty, and never required";

  a = FieldArgs{};
  a.type = 16, a.state = 2, a.width = 0, a.height = 0, a.name = u"", a.field = u"content";
  EXPECT_EQ(Td(a, RowOf(u"", {{u"content", vb::Variant(u"  <p>x &lt;y&gt; &amp; 中</p>  ")}})),
            script + u"<textarea name='content' id='content' style='display: none;'>"
                     u"&lt;p&gt;x &amp;lt;y&amp;gt; &amp;amp; 中&lt;/p&gt;</textarea><div class='qeEditor'></div>"
                     u"<script>qe.editor('content',function(){this.width = '100%';this.height = '100%';" +
                upload + u"this.create();});</script>")
      << "the name after its default; the stored HTML trimmed, as text";

  a = FieldArgs{};
  a.type = 17, a.state = 2, a.name = u"Content";
  EXPECT_EQ(Td(a, RowOf(vb::Variant::Null())),
            script + u"<textarea name='Content' id='Content' style='display: none;'></textarea>"
                     u"<div class='qeEditor'></div><script>qe.editor('Content',function(){this.width = '200';"
                     u"this.height = '5';" + upload +
                u"this.menu = ['backColor', 'fontSize', 'foreColor', 'bold', 'italic', 'underline', "
                u"'strikeThrough', 'line', 'justifyLeft','justifyCenter', 'justifyRight', 'indent', 'outdent', "
                u"'line', 'insertOrderedList', 'insertUnorderedList', 'line', 'superscript','subscript', "
                u"'createLink', 'unlink', 'line','removeFormat','code'];this.create();});</script>");
}

TEST(FieldCellRichText, ReadOnlyShowsTheHtmlAndLiteralsAreNotRead) {
  FieldArgs a;
  a.type = 16, a.state = 3;
  EXPECT_EQ(Td(a, RowOf(u" <p>粗</p> ")), u"<font style='word-wrap: break-word'><p>粗</p></font>");
  a.state = 2, a.allow_edit = 0, a.type = 17;
  EXPECT_EQ(Td(a, RowOf(u"<p>x</p>")), u"<font style='word-wrap: break-word'><p>x</p></font>");
  // The editor always reads the record: "$x" names a column the row lacks.
  a.allow_edit = 1, a.field = u"$x";
  EXPECT_THROW(Td(a, RowOf(u"<p>x</p>")), vb::Error);
  a.state = 1;
  EXPECT_NE(Td(a).find(u"style='display: none;'></textarea>"), vb::String::npos) << "a new record reads nothing";
}

TEST(FieldCellDropDown, ALiteralListSelectsBeforeTheHash) {
  const vb::String opening = u"<select name='n' id='n'  class='inputtext'  style='width:200px;' required >";
  FieldArgs a;
  a.type = 3, a.pop_field = u"$a$b|B$";
  EXPECT_EQ(Td(a), opening + u"<option value='a'>a</option><option value='b'>B</option></select>");
  a.state = 2, a.pop_field = u"$ a#1 $b|B|x";
  EXPECT_EQ(Td(a, RowOf(u" a ")),
            opening + u"<option value='a#1' Selected >a#1</option><option value='b'>B</option></select>");
  EXPECT_EQ(Td(a, RowOf(u"b")), opening + u"<option value='a#1'>a#1</option><option value='b' Selected >B</option></select>");
  a.pop_field = u" <SELECT name=x></select> ";
  EXPECT_EQ(Td(a), u"<SELECT name=x></select>") << "the caller's own list";
}

TEST(FieldCellGroups, LiteralItemsCheckNumbersAndLists) {
  FieldArgs a;
  a.type = 14, a.state = 2, a.pop_field = u"$1$2$3$";
  EXPECT_EQ(Td(a, RowOf(u"2")), u"<input name='n' id='n'  type='checkbox'  value='1'>1"
                                u"<input name='n' id='n'  type='checkbox'  value='2' Checked >2"
                                u"<input name='n' id='n'  type='checkbox'  value='3'>3");
  a.pop_field = u"$a$b$c";
  const vb::String out = Td(a, RowOf(u"a, c"));
  EXPECT_NE(out.find(u"value='a' Checked >a"), vb::String::npos);
  EXPECT_NE(out.find(u"value='b'>b"), vb::String::npos);
  EXPECT_NE(out.find(u"value='c' Checked >c"), vb::String::npos);
  EXPECT_EQ(Td(a, RowOf(vb::Variant(int32_t{2}))).find(u"Checked"), vb::String::npos);
}

TEST(FieldCellGroups, RequiredAndTheFirstOptionOfANewRecord) {
  FieldArgs a;
  a.type = 14, a.pop_field = u"x$y", a.allow_empty = 0;
  EXPECT_EQ(Td(a), u"<input name='n' id='n'  type='checkbox'  value='x'>x<input name='n' id='n'  type='checkbox'  value='y'>y");
  a.type = 7;
  EXPECT_EQ(Td(a), u"<input name='n' id='n'  type='radio'  value='x' required >x"
                   u"<input name='n' id='n'  type='radio'  value='y' required >y");
  a.pop_field = u"$1|是$0|否", a.allow_empty = 1;
  EXPECT_EQ(Td(a), u"<input name='n' id='n' type='radio'  value='1' Checked>是<input name='n' id='n' type='radio'  value='0'>否");
  a.type = 14, a.allow_empty = 0;
  EXPECT_EQ(Td(a), u"<input name='n' id='n' type='checkbox'  value='1' Checked required >是"
                   u"<input name='n' id='n' type='checkbox'  value='0' required >否");
}

TEST(FieldCellGroups, CaptionedItemsCompareBooleansNumbersAndTexts) {
  struct Case {
    vb::Variant stored;
    const char16_t* list;
    const char16_t* checked_value;  // nullptr: none
  };
  const Case cases[] = {
      {vb::Variant(true), u"$-1|是$0|否", u"-1"},
      {vb::Variant(false), u"$True|是$False|否", u"False"},
      {vb::Variant(int32_t{3}), u"$3.4|三$4|四", u"3.4"},
      {vb::Variant(u"b"), u"$a|甲$ b |乙", u"b"},
      {vb::Variant::Null(), u"$a|甲$|空", u""},
  };
  for (const Case& c : cases) {
    FieldArgs a;
    a.type = 7, a.state = 2, a.pop_field = c.list;
    const vb::String out = Td(a, RowOf(c.stored));
    const vb::String expected = u"value='" + vb::String(c.checked_value) + u"' Checked >";
    EXPECT_NE(out.find(expected), vb::String::npos) << vb::ToUtf8(out);
    EXPECT_EQ(out.find(u"Checked"), out.rfind(u"Checked")) << "one option only: " << vb::ToUtf8(out);
  }
}

TEST(FieldCellSuggestions, ALiteralListKeepsItsEmptyEnds) {
  FieldArgs a;
  a.type = 15, a.pop_field = u"$x$y|Y";
  EXPECT_EQ(Td(a), u"<input name='n' id='n' type='text' class='inputtext' style='width:200px;'  "
                   u"onkeydown='onKeyDownDefault(this);'  list='n_list_h5'><datalist id='n_list_h5' style='display:none'>"
                   u"<option value=''></option><option value='x'>x</option><option value='y'>Y</option></datalist>");
  a.state = 2, a.allow_empty = 0, a.pop_field = u"x#1$y";
  EXPECT_EQ(Td(a, RowOf(u" y ")),
            u"<input name='n' id='n' type='text' class='inputtext' style='width:200px;'  "
            u"onkeydown='onKeyDownDefault(this);'  list='n_list_h5' value='y' required >"
            u"<datalist id='n_list_h5' style='display:none'><option value='x#1'>x#1</option>"
            u"<option value='y' Selected >y</option></datalist>");
}

TEST(FieldCellHtml5, KindsLimitsAndColours) {
  FieldArgs a;
  a.type = 160, a.pop_field = u"1||2";
  EXPECT_EQ(Td(a), u"<input name='n' id='n'  type='number'  class='inputtext' style='width:200px;'  min='1' step='2'  "
                   u"onkeydown='onKeyDownDefault(this);'>");
  a.type = 301, a.pop_field = u"", a.title = u"null", a.state = 2, a.allow_empty = 0;
  EXPECT_EQ(Td(a, RowOf(u" v ")),
            u"<td align='left' bgcolor='#eeeeff'  colspan=1><input name='n' id='n'  type='file' multiple   "
            u"class='inputtext' style='width:200px;'  value='v' required   onkeydown='onKeyDownDefault(this);'></td>");
  a = FieldArgs{};
  a.type = 400;
  EXPECT_EQ(Td(a), u"<input name='n' id='n'  type='color'  class='inputtext' style='width:200px; "
                   u"background-color:#ffffff;border: 1px solid #000000;color:#000000;'   "
                   u"onkeydown='onKeyDownDefault(this);'>");
  a.state = 2;
  EXPECT_EQ(Td(a, RowOf(u"#a0b0c0 ")),
            u"<input name='n' id='n'  type='color'  class='inputtext' style='width:200px; "
            u"background-color:#a0b0c0 ;border: 1px solid #000000;color:#000000;'  value='#a0b0c0' "
            u"title=' 单击本框可选择颜色，外框颜色为当前已设置的颜色，内框颜色为当前选择的颜色。'   "
            u"onkeydown='onKeyDownDefault(this);'>");
  const std::pair<int16_t, const char16_t*> kinds[] = {
      {180, u"email"}, {181, u"url"},    {182, u"tel"},
      {190, u"search"}, {201, u"time"},   {202, u"datetime-local"}, {203, u"month"}, {204, u"week"}, {300, u"file"}};
  for (const auto& [type, kind] : kinds) {
    FieldArgs k;
    k.type = type, k.pop_field = u" ";
    EXPECT_EQ(Td(k), u"<input name='n' id='n'  type='" + vb::String(kind) +
                         u"'  class='inputtext' style='width:200px;'   onkeydown='onKeyDownDefault(this);'>");
  }
  // A blank list of limits takes the title, as every blank type argument does.
  a = FieldArgs{};
  a.type = 171, a.title = u"null";
  EXPECT_NE(Td(a).find(u" type='range'  class='inputtext' style='width:200px;'  min='null'  onkeydown"), vb::String::npos);
  a.type = 172, a.pop_field = u"|9";
  EXPECT_NE(Td(a).find(u" type='progress'  class='inputtext' style='width:200px;'  max='9'  onkeydown"), vb::String::npos);
}

TEST(FieldCellControls, TypesWithoutAControlWriteNothing) {
  for (int16_t type : {0, 13, 18, 19, 99, -1}) {
    FieldArgs a;
    a.type = type, a.state = 2;
    EXPECT_EQ(Td(a, RowOf(u"x")), u"") << type;
  }
}

}  // namespace
