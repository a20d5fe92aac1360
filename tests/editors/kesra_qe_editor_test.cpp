// The editor's script as pages receive it: the readable text and its one-line
// form, the minifier's rules, and the three façade members. What the script
// does in a browser is tested by the editor suites of tests/browser.
#include "editors/kesra_qe_editor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "facade/qecls.h"
#include "support/case_table.h"
#include "support/node_script.h"

namespace {

std::vector<vb::String> Lines(const vb::String& text) {
  std::vector<vb::String> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(u"\r\n", start)) != vb::String::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

size_t Count(const vb::String& text, vb::StringView part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != vb::String::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The script between the element's tags.
std::string ScriptBody(const vb::String& element) {
  const vb::String open = u"<script>", close = u"</script>";
  size_t start = element.find(open) + open.size();
  return vb::ToUtf8(element.substr(start, element.rfind(close) - start));
}

// `node --check` of the script; its messages, "" when it compiles.
std::string NodeCheck(const std::string& script) {
  auto path = std::filesystem::temp_directory_path() / ("qe_editor_check_" + std::to_string(::getpid()) + ".js");
  std::ofstream(path, std::ios::binary) << script;
  std::string out;
  if (FILE* p = ::popen(("node --check " + path.string() + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    if (::pclose(p) != 0 && out.empty()) out = "node --check failed";
  }
  std::filesystem::remove(path);
  return out;
}

TEST(KesraQeEditorJs, HasTheFixedTopLevelBetweenItsTagLines) {
  const vb::String script = qe::KesraQeEditorJs();
  EXPECT_TRUE(script.starts_with(u"\r\n<script>\r\n'use strict';\r\nvar qe = qe || {};\r\n"
                                 u"qe.editor = function (id,callback) {\r\n"));
  EXPECT_NE(script.find(u"\r\n return new qeEditor(id,callback);\r\n};\r\nfunction getPathFromUrl() {\r\n"),
            vb::String::npos);
  EXPECT_TRUE(script.ends_with(u"}\r\n</script>\r\n"));
  // One class, defined inside the factory; the callback is not a constructor argument.
  EXPECT_EQ(Count(script, u"\r\n class qeEditor {\r\n"), 1u);
  EXPECT_EQ(Count(script, u"constructor(id) {"), 1u);
}

TEST(KesraQeEditorJs, LinesAreCleanForTheMinifier) {
  const std::vector<vb::String> lines = Lines(qe::KesraQeEditorJs());
  ASSERT_GT(lines.size(), 1000u);
  EXPECT_EQ(lines.front(), u"");
  EXPECT_EQ(lines.back(), u"");  // the text ends with CR LF
  for (size_t i = 0; i < lines.size(); ++i) {
    const vb::String& line = lines[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(line.find_first_of(u"\r\n\t"), vb::String::npos);
    if (!line.empty()) EXPECT_NE(line.back(), u' ');  // 3a runs before the lines are joined
    EXPECT_FALSE(vb::Trim(line).starts_with(u"//"));   // the script holds no comments
    // What follows the indentation has no run of blanks for 3a to shrink.
    EXPECT_EQ(vb::String(vb::LTrim(line)).find(u"  "), vb::String::npos);
    for (const char16_t* cut : {u"; //", u"{ //", u"} //"}) EXPECT_EQ(line.find(cut), vb::String::npos) << vb::ToUtf8(cut);
  }
}

TEST(KesraQeEditorJs, NothingEndsTheElementEarly) {
  for (const vb::String& text : {qe::KesraQeEditorJs(), qe::KesraQeEditorAllJs()}) {
    EXPECT_EQ(Count(vb::LCase(text), u"</script"), 1u);
    EXPECT_EQ(Count(text, u"<!--"), 0u);
  }
}

TEST(KesraQeEditorJs, StyleInitCarriesTheStylesheetAndTheSprite) {
  const vb::String script = qe::KesraQeEditorJs();
  EXPECT_EQ(Count(script, u"\r\n         qe.editor.css = this.globalCss ? this.globalCss : '" + qe::KesraQeEditorCss() +
                              u"';\r\n"),
            1u);
  EXPECT_EQ(Count(script, u"\r\n         qe.editor.svg = this.globalIcon ? this.globalIcon : '" +
                              qe::KesraQeEditorSvg() + u"';\r\n"),
            1u);
}

TEST(KesraQeEditorAllJs, IsTheReadableScriptOnOneLine) {
  const vb::String all = qe::KesraQeEditorAllJs();
  EXPECT_TRUE(all.starts_with(u"<script>'use strict';var qe = qe || {};qe.editor = function (id,callback) {"));
  EXPECT_TRUE(all.ends_with(u"return folder.substr(folder.lastIndexOf('/') + 1);}</script>"));
  EXPECT_EQ(all.find_first_of(u"\r\n\t"), vb::String::npos);
  EXPECT_EQ(all.find(u"  "), vb::String::npos);
  // The stylesheet and sprite hold no run of blanks and no line break.
  EXPECT_NE(all.find(qe::KesraQeEditorCss()), vb::String::npos);
  EXPECT_NE(all.find(qe::KesraQeEditorSvg()), vb::String::npos);
  EXPECT_LT(all.size(), qe::KesraQeEditorJs().size());
}

TEST(KesraQeEditorMiniJs, AppliesItsStepsInOrder) {
  qe_test::ExpectEach<vb::String>(
      [](const vb::String& text) { return qe::KesraQeEditorMiniJs(text); },
      {
          {u"a  b", u"a b"},
          {u"a\t\tb", u"a b"},  // a tab is a blank before runs shrink
          {u"x = 1; // note\r\ny = 2;", u"x = 1;y = 2;"},
          {u"// only a comment", u""},
          {u"   // indented\r\nz();", u"z();"},
          {u"if (a) { // why\r\n    b();\r\n} // done", u"if (a) { b();}"},
          {u"s = a != '//';", u"s = a != '//';"},
          {u"f(a, // kept\r\nb);", u"f(a, // keptb);"},  // the form a script must not use
          {u"one\r\ntwo\rthree\nfour", u"onetwothreefour"},
      });
}

TEST(QeClsEditorMembers, EmptyOrOmittedArgumentsGiveThePagesScript) {
  auto object = std::make_shared<qe::QeCls>();
  vb::Variant qe(object);
  const vb::String all = vb::CStr(com::Call(qe, u"CommQeEditorAllJs"));
  EXPECT_EQ(vb::CStr(com::Call(qe, u"commqeeditorminijs")), all);
  EXPECT_EQ(vb::CStr(com::Call(qe, u"CommQeEditorMiniJs", vb::String())), all);
  EXPECT_EQ(object->CommQeEditorAllJs(), all);
  EXPECT_EQ(vb::CStr(com::Call(qe, u"CommQeEditorMiniJs", vb::String(u"a  b"))), u"a b");

  const vb::String readable = vb::CStr(com::Call(qe, u"CommQeEditorJs"));
  EXPECT_EQ(readable.substr(0, 2), u"\r\n");
  EXPECT_TRUE(readable.ends_with(u"\r\n</script>\r\n"));
  for (const char16_t* end_char : {u"x", u"\n", u""})
    EXPECT_EQ(vb::CStr(com::Call(qe, u"CommQeEditorJs", vb::String(end_char))), readable) << vb::ToUtf8(end_char);
}

TEST(KesraQeEditorJs, BothFormsCompile) {
  if (!test_support::HaveNode()) GTEST_SKIP() << "node is not installed";
  EXPECT_EQ(NodeCheck(ScriptBody(qe::KesraQeEditorAllJs())), "");
  EXPECT_EQ(NodeCheck(ScriptBody(qe::KesraQeEditorJs())), "");
}

TEST(KesraQeEditorJs, DefinesOnlyTheFactoryAndThePathFunction) {
  if (!test_support::HaveNode()) GTEST_SKIP() << "node is not installed";
  // Run without a page: nothing at the top level may touch the document, and
  // a second copy keeps the global qe object.
  std::string body = ScriptBody(qe::KesraQeEditorAllJs());
  std::string out = test_support::RunNode(
      "var window = {location: {pathname: '/office/news/edit.asp'}};\n" + body + "\nvar first = qe;\n" + body +
      "\nconsole.log(typeof qe.editor, first === qe, JSON.stringify(getPathFromUrl()));\n"
      "window.location.pathname = '/edit.asp';\nconsole.log(JSON.stringify(getPathFromUrl()));\n");
  EXPECT_EQ(out, "function true \"news\"\n\"\"\n");
}

}  // namespace
