// The UBB editor block and the sticker and smiley pickers, as golden texts.
#include "editors/kesra_ubb_pickers.h"

#include <gtest/gtest.h>

#include "editors/kesra_ubb_edit.h"
#include "page/field_cell_test.h"
#include "platform/vb/error.h"

namespace {

const vb::String kPickerHead =
    u"<script>window.focus()</script><title>Q贴图</title><body topmargin=0 leftmargin=0 bgcolor='#eeeeff'><table "
    u"border='0' width='100%' cellspacing='1' cellpadding='0' align='center'><tr><td align='center' height=24 "
    u"class=titlebg><b>Q帖图</b></td></tr><tr><td width='100%' align='center'>";
const vb::String kPickerTail =
    u"</td></tr><tr><td>&nbsp;</td></tr><tr><td align=center class=titlebg><input class=button_image type=button "
    u"value=关闭窗口 onClick='window.parent.divCloseDialog();'></td></tr></table>";

vb::String Sticker(int set, int i) {
  const vb::String picture = u"../comm_ubb/qpic/" + vb::FromUtf8(std::to_string(set)) + u"/" +
                             vb::FromUtf8(std::to_string(i)) + u".asp";
  return u"<img src='" + picture + u"' border=0 onclick=\"window.parent.document.getElementById('Content').value+='[img=0,0]" +
         picture + u"[/img]' \" style=cursor:hand>";
}

TEST(KesraShowQpicEdit, SetFour) {
  vb::String expected = kPickerHead;
  for (int i = 1; i <= 12; ++i) expected += Sticker(4, i) + (i == 7 ? u"<br>" : u"");
  EXPECT_EQ(qe::KesraShowQpicEdit(4), expected + kPickerTail);
  EXPECT_EQ(Sticker(4, 1),
            u"<img src='../comm_ubb/qpic/4/1.asp' border=0 "
            u"onclick=\"window.parent.document.getElementById('Content').value+='[img=0,0]../comm_ubb/qpic/4/1.asp[/img]' "
            u"\" style=cursor:hand>");
}

TEST(KesraShowQpicEdit, SetFiveBreaksAfterEverySeventh) {
  vb::String expected = kPickerHead;
  for (int i = 1; i <= 40; ++i) expected += Sticker(5, i) + (i % 7 == 0 ? u"<br>" : u"");
  EXPECT_EQ(qe::KesraShowQpicEdit(5), expected + kPickerTail);
}

TEST(KesraShowQpicEdit, UnknownSetsHaveNoPictures) {
  for (int16_t set : {0, 6, -1}) EXPECT_EQ(qe::KesraShowQpicEdit(set), kPickerHead + kPickerTail) << set;
}

vb::String Faces(int checked) {
  vb::String html = u"<div style='margin-top:-15px;'>";
  for (int i = 1; i <= 42; ++i) {
    const vb::String n = vb::FromUtf8(std::to_string(i));
    if (i % 14 == 1) html += u"<div style='padding-left:5px;'>";
    html += u"<input type='radio' value='" + n + u"' name='pic'" + (i == checked ? u" checked " : u"") +
            u"><img border=0 src='../comm_ubb/emot/face" + n + u".asp'>&nbsp;";
    if (i % 14 == 0) html += u"</div>";
  }
  return html + u"</div>";
}

TEST(KesraShowFaceEdit, TheCheckedFace) {
  EXPECT_EQ(qe::KesraShowFaceEdit(0), Faces(1));
  EXPECT_EQ(qe::KesraShowFaceEdit(-3), Faces(1));
  EXPECT_EQ(qe::KesraShowFaceEdit(42), Faces(42));
  EXPECT_EQ(qe::KesraShowFaceEdit(43), Faces(0));
  const vb::String start =
      u"<div style='margin-top:-15px;'><div style='padding-left:5px;'><input type='radio' value='1' name='pic' "
            u"checked ><img border=0 src='../comm_ubb/emot/face1.asp'>&nbsp;<input";
  EXPECT_EQ(Faces(1).substr(0, start.size()), start);
}

// The block around the body field: the editor, the sticker links for
// p_ShowQpic 1 only, and the field's text area in each state.
struct UbbBlock {
  int16_t show_qpic = 0, state = 1, allow_edit = 1, width = 500, height = 400;
  vb::Variant rs = page_test::RowOf(u"unused");  // no column "Content": reading it raises
  vb::Variant conn = vb::Variant(u"");

  vb::String Show() { return qe::KesraShowUbbEditContent(conn, rs, show_qpic, state, allow_edit, width, height); }
};

vb::Variant ContentRow(vb::Variant content) { return page_test::RowOf(u"", {{u"Content", std::move(content)}}); }

const vb::String kEditor = qe::KesraShowUbbEditJs() + qe::KesraShowUbbEdit();
const vb::String kAreaStart =
    u"<div>&nbsp;<textarea rows='21' name='Content'  id='Content'  class='inputedit' "
    u"onkeydown='onKeyDownDefault(this);' style='width:760px;";

TEST(KesraShowUbbEditContent, StickerLinksOnlyForOne) {
  UbbBlock block;
  const vb::String area = kAreaStart + u" '></textarea></div>";
  EXPECT_EQ(block.Show(), kEditor + area);
  block.show_qpic = 2;
  EXPECT_EQ(block.Show(), kEditor + area);
  vb::String links = u"<div style='padding-left:5px;'>";
  const char16_t* names[] = {u"一", u"二", u"三", u"四", u"五"};
  for (int n = 1; n <= 5; ++n)
    links += u"<a href=javascript:void(0); onclick=\"divOpenDialog('divDialogUbb',500,400,'Q帖图" + vb::String(names[n - 1]) +
             u"','../comm_ubb/qpic.asp?Sn=" + vb::FromUtf8(std::to_string(n)) + u"',false)\">Q帖图" + names[n - 1] +
             u"</a>&nbsp;";
  block.show_qpic = 1;
  EXPECT_EQ(block.Show(), kEditor + links + u"</div>" + area);
  block.width = -5, block.height = 0;
  EXPECT_NE(block.Show().find(u"divOpenDialog('divDialogUbb',-5,0,'Q帖图一'"), vb::String::npos);
}

TEST(KesraShowUbbEditContent, TheBodyFieldInEachState) {
  UbbBlock block;
  block.allow_edit = 0;
  EXPECT_EQ(block.Show(), kEditor + kAreaStart + u" background:#eeeeff;' readonly ></textarea></div>")
      << "a new record reads nothing from Rs";
  block.rs = ContentRow(u" [b]正文[/b]\r\n第二行 ");
  block.state = 2, block.allow_edit = 1;
  EXPECT_EQ(block.Show(), kEditor + kAreaStart + u" '>[b]正文[/b]\r\n第二行</textarea></div>");
  block.allow_edit = 0;
  EXPECT_EQ(block.Show(), kEditor + kAreaStart + u" background:#eeeeff;' readonly >[b]正文[/b]\r\n第二行</textarea></div>");
  block.state = 3, block.allow_edit = 1;
  EXPECT_EQ(block.Show(),
            kEditor + kAreaStart +
                u" word-wrap: break-word;border:0px;background:3;border-style:none;background-color:transparent;"
                u"outline:none;resize:none;' readonly >[b]正文[/b]\r\n第二行</textarea></div>");
  block.state = 2, block.rs = ContentRow(vb::Variant::Null());
  EXPECT_EQ(block.Show(), kEditor + kAreaStart + u" '></textarea></div>") << "a Null body is empty";
}

TEST(KesraShowUbbEditContent, TheStoredBodyCannotLeaveItsTextArea) {
  UbbBlock block;
  block.state = 2;
  block.rs = ContentRow(u"a</textarea><script>pwn('x\")</script>&amp;");
  EXPECT_EQ(block.Show(), kEditor + kAreaStart +
                              u" '>a&lt;/textarea&gt;&lt;script&gt;pwn(&#39;x&quot;)&lt;/script&gt;&amp;amp;</textarea></div>");
  block.rs = ContentRow(u"\n缩进");
  EXPECT_EQ(block.Show(), kEditor + kAreaStart + u" '>\n\n缩进</textarea></div>")
      << "the browser drops the first line break, not the body's";
}

TEST(KesraShowUbbEditContent, ARecordWithoutTheBodyFailsTheCall) {
  UbbBlock block;
  block.state = 2;
  try {
    block.Show();
    ADD_FAILURE() << "no error";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), 3265) << "the error of Rs reaches the page";
  }
}

}  // namespace
