// The form checks that run in the browser: checkform() built from rule
// lists, the value tests, and the identity-card checks and generator, run
// under node on a stand-in page.
#include <gtest/gtest.h>

#include "common/kesra_postcard.h"
#include "common/kesra_value_checks.h"
#include "page/client_script_run.h"
#include "page/kesra_script_check.h"

namespace {

using page_test::Cases;
using page_test::ExpectValues;
using page_test::ScriptCode;

std::string CheckForm(const char16_t* rules) { return ScriptCode(qe::KesraScriptCheckForm(rules)); }

// What one check leaves: its result, the last alert and the last focus.
constexpr char kOutcome[] = "[checkform(), alerts.length ? alerts.pop() : null, focused.length ? focused.pop() : null]";

std::string After(const std::string& statements) { return "(" + statements + ", " + kOutcome + ")"; }

TEST(KesraScriptCheckForm, LengthAndEmptyTestsOfAField) {
  SKIP_WITHOUT_NODE();
  ExpectValues(CheckForm(u"Title|请输入标题|50|标题太长"), "makeForm(); field('Title', '');",
               {
                   {After("myform.Title.value = ''"), R"([false,"请输入标题","Title"])"},
                   {After("myform.Title.value = '0'"), R"([false,"请输入标题","Title"])"},
                   {After("myform.Title.value = '00'"), R"([false,"请输入标题","Title"])"},
                   {After("myform.Title.value = '   '"), R"([false,"请输入标题","Title"])"},
                   {After("myform.Title.value = 'x'.repeat(51)"), R"([false,"标题太长","Title"])"},
                   {After("myform.Title.value = 'x'.repeat(50)"), R"([true,null,null])"},
                   {After("myform.Title.value = '标题'"), R"([true,null,null])"},
               });
}

TEST(KesraScriptCheckForm, SecondFieldMustMatch) {
  SKIP_WITHOUT_NODE();
  ExpectValues(CheckForm(u"PassWord2|请再输入密码|PassWord|两次输入的密码不同"),
               "makeForm(); field('PassWord', 'abc'); field('PassWord2', '');",
               {
                   {After("0"), R"([false,"请再输入密码","PassWord2"])"},
                   {After("myform.PassWord2.value = 'abd'"), R"([false,"两次输入的密码不同","PassWord2"])"},
                   {After("myform.PassWord2.value = 'abc'"), R"([true,null,null])"},
               });
}

TEST(KesraScriptCheckForm, RulesRunInOrderAndOnlyANameStillTestsEmptiness) {
  SKIP_WITHOUT_NODE();
  ExpectValues(CheckForm(u"Title$Author|请输入作者"), "makeForm(); field('Title', ''); field('Author', '');",
               {
                   {After("0"), R"([false,"","Title"])"},
                   {After("myform.Title.value = 't'"), R"([false,"请输入作者","Author"])"},
                   {After("myform.Author.value = 'a'"), R"([true,null,null])"},
               });
}

// The old editor: a frame "HtmlEdit" inside the element "Editor"; its text
// or its HTML is copied into Content by EditMode.
constexpr char kEditorPage[] = R"js(
makeForm(); field('Content', ''); field('EditorTitle', '');
var editBody = { innerText: '', innerHTML: '<p></p>', focus: function () { focused.push('editor body'); } };
add('iframe', { id: 'Editor', contentWindow: { EditMode: true, document: {
  getElementById: function (id) { return id == 'HtmlEdit' ? { contentWindow: { document: { body: editBody } } } : null; } } } });
add('iframe', { id: 'WBTB_Composition', contentWindow: { focus: function () { focused.push('WBTB_Composition'); } } });
var editor = { HtmlEdit: { focus: function () { focused.push('editor.HtmlEdit'); } } };
)js";

TEST(KesraScriptCheckForm, EditorCopiesItsTextOrHtmlIntoContent) {
  SKIP_WITHOUT_NODE();
  ExpectValues(CheckForm(u"Editor|请输入内容|10|内容太长"), kEditorPage,
               {
                   {After("0"), R"([false,"请输入内容","editor body"])"},
                   {After("editBody.innerText = 'x'.repeat(11)"), R"([false,"内容太长","editor.HtmlEdit"])"},
                   {"myform.Content.value", R"("xxxxxxxxxxx")"},
                   {After("byId.Editor.contentWindow.EditMode = false"), R"([true,null,null])"},
                   {"myform.Content.value", R"("<p></p>")"},
               });
}

TEST(KesraScriptCheckForm, Editor2AndEditorNamesTestContent) {
  SKIP_WITHOUT_NODE();
  ExpectValues(CheckForm(u"editor2|请输入内容|5|内容太长"), kEditorPage,
               {
                   {After("0"), R"([false,"请输入内容","WBTB_Composition"])"},
                   {After("myform.Content.value = '123456'"), R"([false,"内容太长","WBTB_Composition"])"},
                   {After("myform.Content.value = '12345'"), R"([true,null,null])"},
               });
  ExpectValues(CheckForm(u"EditorTitle|请输入|3|太长"), kEditorPage,
               {
                   {After("myform.EditorTitle.value = 'filled'"), R"([false,"请输入","EditorTitle"])"},
                   {After("myform.Content.value = '1234'"), R"([false,"太长","EditorTitle"])"},
                   {"myform.EditorTitle.value", R"("filled")"},
               });
}

TEST(KesraScriptCheckForm, EmptyListAndEmptyRules) {
  EXPECT_EQ(qe::KesraScriptCheckForm(u""), u"<script Language=\"JavaScript\">function checkform(){return true;}</script>");
  // A trailing "$" names no field: the rule is passed over, not written
  // as a script that cannot run.
  EXPECT_EQ(qe::KesraScriptCheckForm(u"Title|a$"), qe::KesraScriptCheckForm(u"Title|a"));
  EXPECT_EQ(qe::KesraScriptCheckForm(u"$ |x$"), qe::KesraScriptCheckForm(u""));
  // A length written in any form VB reads as a number is written as one.
  EXPECT_EQ(qe::KesraScriptCheckForm(u"T|a| 5 |b"), qe::KesraScriptCheckForm(u"T|a|5|b"));
}

std::string ValueTests() { return ScriptCode(qe::KesraScriptCheck()); }

TEST(KesraScriptCheck, ValueTestsAtTheirBoundaries) {
  SKIP_WITHOUT_NODE();
  ExpectValues(ValueTests(), "function year(n) { return String(new Date().getFullYear() - n); }",
               {
                   {"!!KesraRegCheckIsTelephone('123456')", "false"},
                   {"!!KesraRegCheckIsTelephone('1234567')", "true"},
                   {"!!KesraRegCheckIsTelephone('010-12345678-1234')", "true"},
                   {"!!KesraRegCheckIsTelephone('1234567890123456789')", "false"},
                   {"!!KesraRegCheckIsTelephone('12345a7')", "false"},
                   {"KesraRegCheckIsInteger('-12')", "true"},
                   {"KesraRegCheckIsInteger('007')", "true"},
                   {"KesraRegCheckIsInteger('+1')", "false"},
                   {"KesraRegCheckIsInteger('1.5')", "false"},
                   {"KesraRegCheckIsInteger('-')", "false"},
                   {"KesraRegCheckIsInteger('')", "false"},
                   {"KesraRegCheckIsAge(year(18))", "true"},
                   {"KesraRegCheckIsAge(year(17))", "false"},
                   {"KesraRegCheckIsAge(year(60))", "true"},
                   {"KesraRegCheckIsAge(year(61))", "false"},
                   {"KesraRegCheckIsAge(Number(year(30)))", "true"},
                   {"KesraRegCheckIsAge('')", "false"},
                   {"KesraRegCheckIsAge('19x0')", "false"},
                   {"KesraRegCheckIsChinese('中文')", "true"},
                   {"KesraRegCheckIsChinese('中a')", "false"},
                   {"KesraRegCheckIsChinese('')", "false"},
                   {"KesraRegCheckValidPasswd('12345')", "false"},
                   {"KesraRegCheckValidPasswd('123456')", "true"},
                   {"KesraRegCheckValidPasswd('1234567890123456')", "true"},
                   {"KesraRegCheckValidPasswd('12345678901234567')", "false"},
                   {"KesraRegCheckValidPasswd('abc中def')", "false"},
                   {"KesraRegCheckIsNull('')", "true"},
                   {"KesraRegCheckIsNull('   ')", "true"},
                   {"KesraRegCheckIsNull(' a ')", "false"},
                   {"KesraRegCheckIsIP('255.255.255.255')", "true"},
                   {"KesraRegCheckIsIP('255.255.255.256')", "false"},
                   {"KesraRegCheckIsIP('010.001.000.255')", "true"},
                   {"KesraRegCheckIsIP('1.2.3')", "false"},
                   {"KesraRegCheckIsIP('1.2.3.4.5')", "false"},
                   {"KesraRegCheckIsIP(' 1.2.3.4')", "false"},
               });
}

TEST(KesraScriptCheck, TrueNameHoldsChineseLatinBlanksAndTheMiddleDot) {
  SKIP_WITHOUT_NODE();
  const Cases names = {
      {"KesraRegCheckIsValidTrueName('张三')", "true"},
      {"KesraRegCheckIsValidTrueName('Zhang San')", "true"},
      {"KesraRegCheckIsValidTrueName('ZHANG')", "true"},
      {"KesraRegCheckIsValidTrueName('阿卜杜·热合曼')", "true"},
      {"KesraRegCheckIsValidTrueName('  王五  ')", "true"},
      {"KesraRegCheckIsValidTrueName('')", "false"},
      {"KesraRegCheckIsValidTrueName('   ')", "false"},
      {"KesraRegCheckIsValidTrueName('李1')", "false"},
      {"KesraRegCheckIsValidTrueName(\"O'Brien\")", "false"},
      {"KesraRegCheckIsValidTrueName('<b>')", "false"},
  };
  ExpectValues(ValueTests(), "", names);
  // The page's own Trim is used where the page has one.
  ExpectValues(ValueTests(), "function Trim(s) { return String(s).replace(/^_+|_+$/g, ''); }",
               {{"KesraRegCheckIsValidTrueName('__张三__')", "true"},
                {"KesraRegCheckIsValidTrueName('___')", "false"}});
}

TEST(KesraScriptCheck, EmailTestAgreesWithTheServer) {
  SKIP_WITHOUT_NODE();
  const vb::String addresses[] = {
      u"a.b@x.cn", u"li@mail.xx.edu.cn", u"a@b.12", u"a@b.c", u"a@b.info", u"a@b.inf0", u"a@b.museum",
      u"a@b.c-d", u"a_b-c@d_e.f-g", u".a@b.cn", u"a.@b.cn", u"a..b@c.cn", u"a@b..cn", u"a@.b.cn", u"a@b.cn.",
      u"a+tag@b.cn", u"a@b+c.cn", u"a@b", u"@b.cn", u"a@", u"a@b@c.cn", u"a b@c.cn", u"张@b.cn", u"a@b.中国",
      u"", u"a@b." + vb::String(63, u'x'), u"a@b." + vb::String(64, u'x'), u"a@b.com ", u" a@b.com",
  };
  Cases cases;
  for (const vb::String& address : addresses)
    cases.push_back({"KesraRegCheckIsEmail(" + page_test::JsString(vb::ToUtf8(address)) + ")",
                     qe::KesraCheckIsEmail(address) ? "true" : "false"});
  // The two that the older client pattern refused.
  EXPECT_TRUE(qe::KesraCheckIsEmail(u"a.b@x.cn"));
  EXPECT_TRUE(qe::KesraCheckIsEmail(u"li@mail.xx.edu.cn"));
  ExpectValues(ValueTests(), "", cases);
}

std::string PostCard() { return ScriptCode(qe::KesraScriptCheckPostCard()); }

// 11010519491231002X: born 31 December 1949, check character X.
constexpr char kIdPage[] = "var box = add('input', { id: 'postcard', value: '' }); box.value = '';";

std::string IdCard(const std::string& call) {
  return "(alerts = [], [" + call + ", alerts.length ? alerts[0] : null])";
}

TEST(KesraScriptCheckPostCard, IdCardNumberAtEachLevel) {
  SKIP_WITHOUT_NODE();
  ExpectValues(
      PostCard(), kIdPage,
      {
          {IdCard("isIdCardNo(box, 'anything', 1, 0)"), R"([true,null])"},
          {IdCard("isIdCardNo(box, '', '1', 0)"), R"([true,null])"},
          {IdCard("isIdCardNo(box, '', 0, 0)"), R"([true,null])"},
          {IdCard("isIdCardNo(box, '11010519491231002', 2, 0)"), R"([false,"输入身份证号码长度不对！"])"},
          {IdCard("isIdCardNo(box, '1101051949123100X2', 2, 0)"), R"([false,"错误的身份证号码！."])"},
          {IdCard("isIdCardNo(box, '11010519491231002Z', 2, 0)"), R"([true,null])"},
          {IdCard("isIdCardNo(box, '110105194913310021', 2, 0)"), R"([true,null])"},
          {IdCard("isIdCardNo(box, '110105194913310021', 3, 0)"), R"([false,"身份证中日期信息不正确！."])"},
          {IdCard("isIdCardNo(box, '110105194912310021', 3, 0)"), R"([true,null])"},
          {IdCard("isIdCardNo(box, '11010519491231002X', 4, 0)"), R"([true,null])"},
          {IdCard("isIdCardNo(box, '11010519491231002x', '4', 0)"), R"([true,null])"},
          {IdCard("isIdCardNo(box, '110105194912310021', 4, 0)"), R"([false,"身份证效验位错误!正确为： X."])"},
          {"box.value", R"("")"},
          {IdCard("isIdCardNo(box, '110105194912310021', 4, '1')"), R"([false,"身份证效验位错误!正确为： X."])"},
          {"box.value", R"("11010519491231002X")"},
          // Fifteen digits: "19" and the six digits from the seventh.
          {IdCard("isIdCardNo(box, '110105491231002', 4, 0)"), R"([true,null])"},
          {IdCard("isIdCardNo(box, '110105491331002', 3, 0)"), R"([false,"身份证日期信息有误！."])"},
          {IdCard("isIdCardNo(box, '110105491331002', 2, 0)"), R"([true,null])"},
      });
}

TEST(KesraScriptCheckPostCard, AgeAndBirthDateRange) {
  SKIP_WITHOUT_NODE();
  ExpectValues(
      PostCard(), kIdPage,
      {
          {IdCard("CheckIdCardRange(box, '11010519491231002X', 4, 0, 0, '', '')"), R"([true,null])"},
          {IdCard("CheckIdCardRange(box, '11010519491231002X', 4, 0, 50, '', '')"), R"([false,"超出了最大岁数[50]！"])"},
          {IdCard("CheckIdCardRange(box, '11010519491231002X', 4, 0, '200', '', '')"), R"([true,null])"},
          {IdCard("CheckIdCardRange(box, '11010519491231002X', 4, 0, 0, '19400101', '19491231')"), R"([true,null])"},
          {IdCard("CheckIdCardRange(box, '11010519491231002X', 4, 0, 0, '19500101', '20000101')"),
           R"([false,"出生年月范围为[19500101-20000101]！"])"},
          {IdCard("CheckIdCardRange(box, '11010519491231002X', 4, 0, 0, '', '19491230')"),
           R"([false,"出生年月范围为[-19491230]！"])"},
          {IdCard("CheckIdCardRange(box, '11010519491231002X', 4, 0, 0, '1950', '2000')"), R"([true,null])"},
          {IdCard("CheckIdCardRange(box, '110105491231002', 3, 0, 0, '19490101', '19500101')"), R"([true,null])"},
          {IdCard("CheckIdCardRange(box, '110105491231002', 3, 0, 0, '19500101', '')"),
           R"([false,"出生年月范围为[19500101-]！"])"},
          {IdCard("CheckIdCardRange(box, '110105194912310021', 4, 0, 0, '', '')"), R"([false,"身份证效验位错误!正确为： X."])"},
      });
}

TEST(KesraScriptCheckPostCard, CheckDateTakesEightDigitsOnly) {
  SKIP_WITHOUT_NODE();
  ExpectValues(PostCard(), "",
               {
                   {"checkDate('20240229')", "true"},
                   {"checkDate('20230229')", "true"},
                   {"checkDate('20240230')", "false"},
                   {"checkDate('20240431')", "true"},
                   {"checkDate('20240131')", "true"},
                   {"checkDate('20240132')", "false"},
                   {"checkDate('20240100')", "false"},
                   {"checkDate('20241301')", "false"},
                   {"checkDate('20240001')", "false"},
                   {"checkDate(String(new Date().getFullYear()) + '0101')", "true"},
                   {"checkDate(String(new Date().getFullYear() + 1) + '0101')", "false"},
                   {"checkDate('2024011')", "false"},
                   {"checkDate('202401011')", "false"},
                   {"checkDate('2024-1-1')", "false"},
                   {"checkDate(' 2024010')", "false"},
                   {"checkDate(20240101)", "true"},
               });
}

// The digits of the numbers in a JSON array of texts.
std::vector<vb::String> Texts(const std::string& json) {
  std::vector<vb::String> out;
  for (size_t at = json.find('"'); at != std::string::npos; at = json.find('"', at)) {
    size_t end = json.find('"', at + 1);
    out.push_back(vb::FromUtf8(json.substr(at + 1, end - at - 1)));
    at = end + 1;
  }
  return out;
}

TEST(KesraScriptCheckPostCard, MadeUpNumbersPassTheServersCheck) {
  SKIP_WITHOUT_NODE();
  // Many runs for each sex: eighteen characters, "99", the birthday, the
  // seventeenth digit's parity, no refusal by the page's own check; a sample
  // of each run goes to the server's check as well.
  const std::string runs = R"js(
var samples = [];
function madeUp(sex, birthday) {
  var bad = [];
  for (var i = 0; i < 2000; i++) {
    create_postcard(box, birthday, sex);
    var v = box.value;
    alerts = [];
    if (v.length != 18 || v.substr(0, 2) != '99' || v.substr(6, 8) != birthday.replace(/-/g, '') ||
        Number(v.charAt(16)) % 2 != (sex == '男' ? 1 : 0) || !/^[0-9]{17}[0-9X]$/.test(v) ||
        !isIdCardNo(box, v, 4, 0) || alerts.length) bad.push(v);
    if (i % 100 == 0) samples.push(v);
  }
  return bad.slice(0, 3);
})js";
  auto values = page_test::Evaluate(PostCard(), std::string(kIdPage) + runs,
                                    {"madeUp('男', '1990-05-17')", "madeUp('女', '2000-02-29')",
                                     "madeUp('男', '19851231')", "samples"});
  EXPECT_EQ(values[0], "[]");
  EXPECT_EQ(values[1], "[]");
  EXPECT_EQ(values[2], "[]");
  auto samples = Texts(values[3]);
  EXPECT_EQ(samples.size(), 60u);
  for (const vb::String& number : samples) EXPECT_EQ(qe::KesraCheckPostCard(number, 4), u"") << vb::ToUtf8(number);
}

TEST(KesraScriptCheckPostCard, MadeUpNumberFromExtremeRandomValues) {
  SKIP_WITHOUT_NODE();
  auto values = page_test::Evaluate(
      PostCard(), kIdPage,
      {
          "Math.random = function () { return 0; }, create_postcard(box, '1990-05-17', '男'), box.value",
          "Math.random = function () { return 0.00001; }, create_postcard(box, '1990-05-17', '女'), box.value",
          "Math.random = function () { return 0.9999999999; }, create_postcard(box, '1990-05-17', '男'), box.value",
          "box.value = 'kept', create_postcard(box, '1990-13-01', '男')",
          "create_postcard(box, '1990-05-17', 'x')",
          "create_postcard(box, '', '女')",
          "box.value",
      });
  const char* bodies[] = {"99000019900517003", "99000019900517202", "99999919900517001"};
  for (int i = 0; i < 3; ++i) {
    vb::String number = Texts(values[i]).empty() ? vb::String() : Texts(values[i])[0];
    EXPECT_EQ(vb::ToUtf8(number.substr(0, 17)), bodies[i]);
    EXPECT_EQ(number.size(), 18u);
    EXPECT_EQ(qe::KesraCheckPostCard(number, 4), u"") << vb::ToUtf8(number);
  }
  EXPECT_EQ(values[3], "false");
  EXPECT_EQ(values[4], "false");
  EXPECT_EQ(values[5], "false");
  EXPECT_EQ(values[6], R"("kept")");
}

}  // namespace
