// The rollover-image script and the two style blocks.
#include <gtest/gtest.h>

#include "common/kesra_style.h"
#include "support/node_script.h"

namespace {

TEST(KesraStyle, FragmentsAreFixedTexts) {
  EXPECT_EQ(qe::KesraScriptSwapImage(), qe::KesraScriptSwapImage());
  EXPECT_EQ(qe::KesraStylePopupClose(), qe::KesraStylePopupClose());
  EXPECT_EQ(qe::KesraStyleDialog(), qe::KesraStyleDialog());
  for (const auto& style : {qe::KesraStylePopupClose(), qe::KesraStyleDialog()}) {
    EXPECT_EQ(style.rfind(u"<style type=\"text/css\"><!--", 0), 0u);
    EXPECT_TRUE(style.ends_with(u"--></style>"));
    EXPECT_EQ(style.find(u'\n'), vb::String::npos);
  }
  EXPECT_NE(qe::KesraStyleDialog().find(u".close-btn:hover {transform: translateY(-50%) scale(1.2);}-->"),
            vb::String::npos);
  EXPECT_NE(qe::KesraStylePopupClose().find(u"}.popup-close a:hover{color:#b9b9b9;}-->"), vb::String::npos);
}

// Runs the rollover functions against a small stand-in for a browser document.
std::string RunRollover(const std::string& body) {
  std::string script = vb::ToUtf8(qe::KesraScriptSwapImage());
  const std::string open = "<Script Language=\"JavaScript\">", close = "</Script>";
  EXPECT_EQ(script.rfind(open, 0), 0u);
  EXPECT_TRUE(script.ends_with(close));
  script = script.substr(open.size(), script.size() - open.size() - close.size());
  std::string program =
      "var loaded = [];\n"
      "function Image() { this.src = ''; }\n"
      "var parent = { frames: [] };\n"
      "function makeDocument() {\n"
      "  var d = { images: [], forms: [], byId: {} };\n"
      "  d.getElementById = function (id) { return d.byId[id] || null; };\n"
      "  return d;\n"
      "}\n"
      "var document = makeDocument();\n"
      "document.logo = { src: 'logo.gif' };\n"
      "document.forms.push({ save: { src: 'save.gif' } });\n"
      "document.byId.help = { src: 'help.gif' };\n" +
      script + "\n" + body;
  return test_support::RunNode(program);
}

TEST(KesraStyle, RolloverScriptSwapsAndRestoresImages) {
  if (!test_support::HaveNode()) GTEST_SKIP() << "node is not installed";
  // Four arguments (name, ignored, address, trailing 1): one image swapped.
  EXPECT_EQ(RunRollover("KesraSwapImage('logo', '', 'logo_on.gif', 1);\n"
                        "console.log(document.logo.src, document.mm_sr.length);\n"
                        "KesraSwapImgRestore();\n"
                        "console.log(document.logo.src);\n"),
            "logo_on.gif 1\nlogo.gif\n");
  // Seven arguments: two images, found through a form and through getElementById.
  EXPECT_EQ(RunRollover("KesraSwapImage('save', '', 's2.gif', 'help', '', 'h2.gif', 1);\n"
                        "console.log(document.forms[0].save.src, document.byId.help.src, document.mm_sr.length);\n"
                        "KesraSwapImage('save', '', 's3.gif');\n"
                        "KesraSwapImgRestore();\n"
                        "console.log(document.forms[0].save.src, document.byId.help.src);\n"),
            "s2.gif h2.gif 2\nsave.gif h2.gif\n");
  // Missing elements are skipped; restore without a swap does nothing.
  EXPECT_EQ(RunRollover("KesraSwapImgRestore();\n"
                        "KesraSwapImage('nothing', '', 'x.gif');\n"
                        "console.log(document.mm_sr.length);\n"),
            "0\n");
}

TEST(KesraStyle, PreloadSkipsAddressesStartingWithHash) {
  if (!test_support::HaveNode()) GTEST_SKIP() << "node is not installed";
  EXPECT_EQ(RunRollover("KesraPreloadImages('a.gif', '#b.gif', 'c.gif');\n"
                        "KesraPreloadImages('d.gif');\n"
                        "console.log(document.mm_p.map(function (i) { return i.src; }).join(','));\n"),
            "a.gif,c.gif,d.gif\n");
}

}  // namespace
