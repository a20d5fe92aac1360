// The UBB editor script under node on a stand-in page with scripted prompt
// answers (modes, cancels, the alignment and list loops), the toolbar page
// as a golden text, and its colour list held to its rules.
#include "editors/kesra_ubb_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "page/client_script_run.h"

namespace {

using page_test::Cases;
using page_test::ExpectValues;
using page_test::ScriptCode;

// Prompts answer from `answers` (null when they run out) and are recorded.
constexpr char kSetup[] = R"js(
var answers = [], prompts = [];
globalThis.prompt = function (message, answer) { prompts.push([message, answer]); return answers.length ? answers.shift() : null; };
makeForm(); field('Content', '');
function run(call, given) { answers = given; prompts = []; alerts = []; myform.Content.value = ''; call(); return myform.Content.value; }
)js";

std::string Editor() { return ScriptCode(qe::KesraShowUbbEditJs()); }

// One line: the three flags, then the functions in their order; help texts
// hold "\n" as a backslash and an "n".
TEST(KesraShowUbbEditJs, OneLineOfFlagsAndFunctionsInOrder) {
  const std::string script = vb::ToUtf8(qe::KesraShowUbbEditJs());
  const std::string head =
      "<script type=\"text/javascript\">helpstat = false;stprompt = true;basic = false;function thelp(swtch) {";
  EXPECT_EQ(script.substr(0, head.size()), head);
  EXPECT_EQ(script.substr(script.size() - 9), "</script>");
  EXPECT_EQ(script.find('\n'), std::string::npos);
  EXPECT_NE(script.find("function AddText(NewCode) {document.myform.Content.value+=NewCode;}"), std::string::npos);
  EXPECT_NE(script.find("alert(\"加粗标记\\n使文本加粗.\\n用法: [b]这是加粗的文字[/b]\")"), std::string::npos);
  size_t at = 0;
  for (const char* name : {"thelp(", "AddText(", "emails(", "flash(", "Cdir(", "Crm(", "Cwmv(", "Cmov(", "showsize(",
                           "bold(", "italicize(", "quote(", "showcolor(", "center(", "hyperlink(", "image(",
                           "showcode(", "list(", "showfont(", "underline(", "setfly(", "move(", "shadow(", "glow("}) {
    const size_t next = script.find(std::string("function ") + name, at);
    ASSERT_NE(next, std::string::npos) << name << " after position " << at;
    at = next;
  }
}

TEST(KesraShowUbbEditJs, ModesAndTheirSwitch) {
  SKIP_WITHOUT_NODE();
  ExpectValues(Editor(), kSetup,
               {
                   {"[helpstat, stprompt, basic]", "[false,true,false]"},
                   {"run(bold, ['粗'])", R"("[b]粗[/b]")"},
                   {"thelp(0), run(bold, [])", R"("[b][/b]")"},
                   {"myform.Content.value = '选中的文字'; bold(); myform.Content.value", R"("选中的文字[b][/b]")"},
                   {"run(list, [])", R"(" [list][*]  [/*][*]  [/*][*]  [/*][/list]")"},
                   {"run(function () { showsize(3); }, [])", R"("[size=3][/size]")"},
                   {"thelp(1), [run(bold, ['x']), alerts[0]]", R"(["","加粗标记\n使文本加粗.\n用法: [b]这是加粗的文字[/b]"])"},
                   {"[helpstat, stprompt, basic]", "[true,false,false]"},
                   {"thelp(5), [helpstat, stprompt, basic]", "[true,false,false]"},
                   {"thelp(2), [helpstat, stprompt, basic]", "[false,true,false]"},
               });
}

TEST(KesraShowUbbEditJs, FullModeAsksAndInserts) {
  SKIP_WITHOUT_NODE();
  ExpectValues(
      Editor(), kSetup,
      {
          {"[run(function () { showsize(3); }, ['x']), prompts]", R"(["[size=3]x[/size]",[["大小 3","文字"]]])"},
          {"run(function () { showcolor('#6495ED'); }, ['蓝'])", R"("[color=#6495ED]蓝[/color]")"},
          {"run(function () { showfont('黑体'); }, ['字'])", R"("[face=黑体]字[/face]")"},
          {"[run(flash, ['m.swf']), prompts[0][1]]", R"(["[flash]m.swf[/flash]","http://"])"},
          {"run(Cdir, ['a.dcr'])", R"("[dir=480,350]a.dcr[/dir]")"},
          {"run(Cwmv, ['a.wmv'])", R"("[mp=480,350]a.wmv[/mp]")"},
          {"run(image, ['p.gif'])", R"("\r[img=480,350]p.gif[/img]")"},
          {"run(showcode, ['a<b'])", R"("\r[code]a<b[/code]")"},
          {"run(emails, ['', 'a@b.cn'])", R"("[email]a@b.cn[/email]")"},
          {"run(emails, ['信箱', 'a@b.cn'])", R"("[email=a@b.cn]信箱[/email]")"},
          {"run(hyperlink, ['', 'http://a.cn/'])", R"("[url]http://a.cn/[/url]")"},
          {"run(hyperlink, ['链接', 'http://a.cn/'])", R"("[url=http://a.cn/]链接[/url]")"},
          {"run(shadow, ['', '字'])", R"("[SHADOW=255,blue,1]字[/SHADOW]")"},
          {"run(glow, ['9,red,1', '字'])", R"("[glow=9,red,1]字[/glow]")"},
          {"[run(glow, []), prompts]", R"(["",[["文字的长度、颜色和边界大小","255,red,2"]]])"},
      });
}

TEST(KesraShowUbbEditJs, ACancelledPromptInsertsNothing) {
  SKIP_WITHOUT_NODE();
  ExpectValues(Editor(), kSetup,
               {
                   {"run(bold, [null])", R"("")"},
                   {"run(emails, ['x', null])", R"("")"},
                   {"run(hyperlink, [null])", R"("")"},
                   {"run(center, [null])", R"("")"},
                   {"run(center, ['left', null])", R"("")"},
                   {"run(shadow, ['1,red,1', null])", R"("")"},
                   {"run(list, [null])", R"("")"},
               });
}

TEST(KesraShowUbbEditJs, AlignmentIsAskedAgainUntilValid) {
  SKIP_WITHOUT_NODE();
  ExpectValues(Editor(), kSetup,
               {
                   {"[run(center, ['middle', 'Left', 'right', '字']), prompts.map(function (p) { return p[1]; })]",
                    R"(["\r[align=right]字[/align]",["center","","","文本"]])"},
                   {"prompts[1][0]", R"("错误!\n类型只能输入 'center' 、 'left' 或者 'right'.")"},
                   {"run(center, ['', '字'])", R"("\r[align=]字[/align]")"},
                   {"run(center, ['middle', null])", R"("")"},
               });
}

TEST(KesraShowUbbEditJs, ListAsksItemsUntilAnEmptyOrCancelledOne) {
  SKIP_WITHOUT_NODE();
  ExpectValues(Editor(), kSetup,
               {
                   {"run(list, ['1', 'a', 'b', ''])", R"("[list=1][*]a[/*][*]b[/*][/list] ")"},
                   {"run(list, ['1', 'a', 'b', null])", R"("[list=1][*]a[/*][*]b[/*][/list] ")"},
                   {"run(list, ['', ''])", R"("[list][/list] ")"},
                   {"[run(list, ['x', 'B', 'a', 'c', '']), prompts.length]", R"(["[list=a][*]c[/*][/list] ",5])"},
                   {"prompts[1][0]", R"("错误!\n类型只能输入 'A' 、 '1' 或者留空.")"},
                   {"run(list, ['x', null])", R"("")"},
               });
}

TEST(KesraShowUbbEdit, ToolbarPage) {
  const vb::String page = qe::KesraShowUbbEdit();
  const vb::String head =
      u"<html>Ubb标签：[模式选择 <input type='radio' name='font' value='1' onClick='thelp(1)'> 帮助<input type='radio' "
      u"name='font' value='2' checked onClick='thelp(2)'> 完全<input type='radio' name='font' value='0' "
      u"onClick='thelp(0)'> 基本]<div id='ubbDiv'></div><body "
      u"onLoad=\"parent.document.all.ubbDiv.innerHTML=document.body.innerHTML\"><div style='padding-left:5px;'><img "
      u"onclick=bold() align=absmiddle src=\"../comm_ubb/pic/icon_editor_bold.asp\" width=\"22\" height=\"22\" "
      u"title=\"粗体\" border=\"0\"><img onclick=italicize() align=absmiddle "
      u"src=\"../comm_ubb/pic/icon_editor_italicize.asp\" width=\"23\" height=\"22\" title=\"斜体\" border=\"0\">";
  EXPECT_EQ(page.substr(0, head.size()), head);
  EXPECT_NE(page.find(u"<img onclick=list() align=absmiddle src=\"../comm_ubb/pic/icon_editor_list.asp\" width=\"23\" "
                      u"height=\"22\" title=\"目录\" border=\"0\"><img onclick=setfly() align=absmiddle height=22 "
                      u"title=飞行字 src=\"../comm_ubb/pic/fly.asp\" width=23 border=0>"),
            vb::String::npos);
  EXPECT_NE(page.find(u"<img onclick=shadow() align=absmiddle height=22 title=阴影字 src=\"../comm_ubb/pic/shadow.asp\" "
                      u"width=23 border=0></div><div style='padding-left:5px;'>字体：<select "
                      u"onchange=showfont(this.options[this.selectedIndex].value) name=font><option value=\"宋体\" "
                      u"selected>宋体</option><option value=\"楷体_GB2312\">楷体</option>"),
            vb::String::npos);
  EXPECT_NE(page.find(u"<option value=Arial>Arial</option><option value=\"Arial Black\">Arial Black</option>"),
            vb::String::npos);
  EXPECT_NE(page.find(u"<option value=\"Times New Roman\" >Times New Roman</option>"), vb::String::npos);
  EXPECT_NE(page.find(u"<option value=\"Lucida Console\">Lucida Console</option></select>字体大小<select name=\"size\" "
                      u"onChange=\"showsize(this.options[this.selectedIndex].value)\"><option value=\"1\">1</option>"
                      u"<option value=\"2\">2</option><option value=\"3\" selected>3</option><option "
                      u"value=\"4\">4</option></select>颜色：<select "
                      u"onchange=showcolor(this.options[this.selectedIndex].value) name=color><option "
                      u"style=\"background-color:#F0F8FF;color: #F0F8FF\" value=\"#F0F8FF\">#F0F8FF</option>"),
            vb::String::npos);
  EXPECT_NE(page.find(u"<option style=\"background-color:#6495ED;color: #6495ED\" value=\"#6495ED\" "
                      u"selected>#6495ED</option>"),
            vb::String::npos);
  const vb::String tail = u"<option style=\"background-color:#9ACD32;color: #9ACD32\" "
                          u"value=\"#9ACD32\">#9ACD32</option></select></div></body></html>";
  EXPECT_EQ(page.substr(page.size() - tail.size()), tail);
  EXPECT_EQ(std::count(page.begin(), page.end(), u'\n'), 0);
  size_t buttons = 0;
  for (size_t at = page.find(u"<img onclick="); at != vb::String::npos; at = page.find(u"<img onclick=", at + 1)) ++buttons;
  EXPECT_EQ(buttons, 19u);
}

// The classic list of CSS names: gray spellings plus lightgrey, aqua and
// cyan, fuchsia and magenta, no rebeccapurple, in the order of the names,
// the eighteenth cornflowerblue #6495ED.
TEST(KesraShowUbbEdit, ColourListFollowsItsRules) {
  const auto colours = qe::ubb::ToolbarColours();
  ASSERT_EQ(colours.size(), 140u);
  std::vector<std::u16string> names;
  std::set<std::u16string> distinct;
  for (const auto& c : colours) {
    names.push_back(c.name);
    distinct.insert(c.name);
    const std::u16string hex = c.hex;
    EXPECT_EQ(hex.size(), 6u);
    EXPECT_TRUE(std::all_of(hex.begin(), hex.end(), [](char16_t h) {
      return (h >= u'0' && h <= u'9') || (h >= u'A' && h <= u'F');
    })) << vb::ToUtf8(c.name);
  }
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_EQ(distinct.size(), 140u);
  for (const char16_t* name : {u"aqua", u"cyan", u"fuchsia", u"magenta", u"gray", u"darkslategray", u"lightgrey"})
    EXPECT_TRUE(distinct.count(name)) << vb::ToUtf8(name);
  for (const char16_t* name : {u"rebeccapurple", u"grey", u"lightgray", u"darkgrey"})
    EXPECT_FALSE(distinct.count(name)) << vb::ToUtf8(name);
  EXPECT_EQ(names[17], qe::ubb::kDefaultColourName);
  EXPECT_EQ(std::u16string(colours[17].hex), u"6495ED");
  auto hex_of = [&](const char16_t* name) {
    for (const auto& c : colours)
      if (c.name == std::u16string_view(name)) return std::u16string(c.hex);
    return std::u16string();
  };
  EXPECT_EQ(hex_of(u"aqua"), hex_of(u"cyan"));
  EXPECT_EQ(hex_of(u"fuchsia"), hex_of(u"magenta"));
}

}  // namespace
