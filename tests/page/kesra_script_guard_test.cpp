// The page-guard, picture and mouse scripts: the spreadsheet-export rule on
// the server, and the client functions under node on a stand-in page.
#include <gtest/gtest.h>

#include "page/client_script_run.h"
#include "page/kesra_script_guard.h"
#include "platform/asp/context.h"

namespace {

using page_test::ExpectValues;
using page_test::ScriptCode;

vb::String MouseScriptFor(const vb::String& url) {
  asp::RequestSpec request_spec;
  request_spec.url = url;
  asp::Context context(std::move(request_spec));
  vb::Variant request = context.Request();
  return qe::KesraScriptMouse(request);
}

TEST(KesraScriptMouse, LeftOutOfSpreadsheetExportPagesOnly) {
  const vb::String full = MouseScriptFor(u"/a.asp");
  EXPECT_NE(full.find(u"function NoContextMenu(e)"), vb::String::npos);
  EXPECT_NE(full.find(u"function cform()"), vb::String::npos);
  EXPECT_NE(full.find(u"window.onerror=killErrors;"), vb::String::npos);
  struct {
    const char16_t* url;
    bool left_out;
  } cases[] = {
      {u"/a.asp?excel=yes", true},       {u"/a.asp?excel=YES", true},    {u"/a.asp?excel=%20Yes%20", true},
      {u"/a.asp?Excel=yes&x=1", true},   {u"/a.asp?excel=no", false},    {u"/a.asp?excel=", false},
      {u"/a.asp?excel=yess", false},     {u"/a.asp?x=yes", false},       {u"/a.asp?excel=yes&excel=yes", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MouseScriptFor(c.url), c.left_out ? u"" : full) << vb::ToUtf8(c.url);
}

std::string Pictures() { return ScriptCode(qe::KesraScriptImage()); }

// The picture kesra_showpic wrote: its size, border, title, cursor and what
// a click opens.
constexpr char kShown[] =
    "(function () { var img = elements[elements.length - 1];"
    " var click = img.onclick ? (img.onclick(), opened.pop()) : null;"
    " return [img.src, img.width, img.height, img.getAttribute('border'), img.title || null, img.style.cursor || null,"
    " click, img.id]; })()";

TEST(KesraScriptImage, PictureFittedIntoItsBox) {
  SKIP_WITHOUT_NODE();
  const std::string viewer =
      R"(["../comm/kesra_FileView.asp?FileType=Image&Url=p.jpg&Title=t","photo_edit_windows",)"
      R"("width=700,height=540,resizable=yes,scrollbars=yes,status=no,toolbar=no,menubar=no,location=no"])";
  ExpectValues(Pictures(), "",
               {
                   {"kesra_showpic('p.jpg', 1000, 800, 500, 300, 1, 't', ''), " + std::string(kShown),
                    R"(["p.jpg",375,300,"1","按此在网络图像浏览器中查看图片","pointer",)" + viewer + R"(,""])"},
                   {"kesra_showpic('p.jpg', 400, 200, 500, 300, 0, 't', ''), " + std::string(kShown),
                    R"(["p.jpg",400,200,"0","按此在网络图像浏览器中查看图片","pointer",)" + viewer + R"(,""])"},
                   {"kesra_showpic('p.jpg', '1000', '200', '500', '300', 0, 't', ''), " + std::string(kShown) + "[2]",
                    "100"},
                   {"kesra_showpic('p.jpg', 400, 900, 500, 300, 2, 't', 'no_open'), " + std::string(kShown),
                    R"(["p.jpg",133.33333333333334,300,"2",null,null,null,""])"},
                   // Blanks and quotes in the address and title stay where they
                   // belong: nothing is written into markup but the element.
                   {"kesra_showpic(\"a b'\\\"c.jpg\", 10, 10, 50, 50, 0, \"x' y\", ''), " + std::string(kShown) + "[6][0]",
                    R"("../comm/kesra_FileView.asp?FileType=Image&Url=a b'\"c.jpg&Title=x' y")"},
                   {"written[written.length - 1]", R"("<img id=\"kesra_showpic_5\">")"},
               });
}

TEST(KesraScriptImage, DownImageShrinksWidePicturesOnly) {
  SKIP_WITHOUT_NODE();
  ExpectValues(Pictures(), "",
               {
                   {"(function () { var i = { naturalWidth: 400, naturalHeight: 300 }; DownImage(i); return [i.width, i.height]; })()",
                    "[400,300]"},
                   {"(function () { var i = { naturalWidth: 1000, naturalHeight: 600 }; DownImage(i); return [i.width, i.height]; })()",
                    "[500,300]"},
                   {"(function () { var i = { naturalWidth: 500, naturalHeight: 10 }; DownImage(i); return [i.width, i.height]; })()",
                    "[500,10]"},
                   {"(function () { var i = { naturalWidth: 0, naturalHeight: 0, width: 7 }; DownImage(i); return [i.width, i.height]; })()",
                    "[7,null]"},
               });
}

TEST(KesraScriptImage, WheelZoomNeverReachesZero) {
  SKIP_WITHOUT_NODE();
  ExpectValues(Pictures(), "var o = { style: {} };",
               {
                   {"[cgimg(o, { wheelDelta: 120 }), o.style.zoom]", R"([false,"110%"])"},
                   {"[cgimg(o, { wheelDelta: -240 }), o.style.zoom]", R"([false,"90%"])"},
                   {"o.style.zoom = '10%', cgimg(o, { wheelDelta: -120 }), o.style.zoom", R"("10%")"},
                   {"cgimg(o, { wheelDelta: -1200 }), o.style.zoom", R"("10%")"},
                   {"o.style.zoom = '', cgimg(o, { deltaY: 120, deltaMode: 0 }), o.style.zoom", R"("90%")"},
                   {"o.style.zoom = '', cgimg(o, { deltaY: -3, deltaMode: 1 }), o.style.zoom", R"("110%")"},
                   {"o.style.zoom = '', cgimg(o, { deltaY: 0 }), o.style.zoom", R"("100%")"},
               });
}

TEST(KesraScriptImage, ResizingStaysWithinTheLimits) {
  SKIP_WITHOUT_NODE();
  const std::string page = R"js(
var f = { photohight: { value: '100' }, photowidth: { value: '200' }, phototz: { value: '10' },
          photohight1: { value: '100' }, photowidth1: { value: '200' }, photofile: { width: 200, height: 100 } };
PhotoHeightMax = 120; PhotoHeightMin = 80; PhotoWidthMax = 240; PhotoWidthMin = 160; photo5 = 0.5; photo6 = 2.5;
function size() { return [f.photohight.value, f.photowidth.value, f.photofile.height, f.photofile.width]; }
)js";
  ExpectValues(Pictures(), page,
               {
                   {"dheight(f), size()", "[110,225,110,225]"},
                   {"dheight(f), size()", "[110,225,110,225]"},  // 250 would pass the widest
                   {"photohy(f), size()", R"(["100","200","100","200"])"},
                   {"xheight(f), size()", "[90,175,90,175]"},
                   {"xheight(f), size()", "[90,175,90,175]"},  // 150 would pass the narrowest
                   {"photohy(f), dwidth(f), size()", "[105,210,105,210]"},
                   {"dwidth(f), dwidth(f), dwidth(f), size()", "[115,230,115,230]"},
                   {"photohy(f), xwidth(f), xwidth(f), xwidth(f), xwidth(f), size()", "[85,170,85,170]"},
                   {"f.phototz.value = '3', photohy(f), dwidth(f), size()", "[101,203,101,203]"},
               });
}

TEST(KesraScriptMouse, BlockedKeysAndButtons) {
  SKIP_WITHOUT_NODE();
  vb::String script = MouseScriptFor(u"/a.asp");
  const std::string key =
      "(function (p) { var e = Object.assign({ keyCode: 0, ctrlKey: false, altKey: false, prevented: false,"
      " preventDefault: function () { this.prevented = true; } }, p); return [NoCtrlN(e), e.prevented]; })";
  const std::string mouse =
      "(function (p) { var e = Object.assign({ which: 1, shiftKey: false, target: { tagName: 'DIV' }, prevented: false,"
      " preventDefault: function () { this.prevented = true; } }, p); return [NoRightClick(e), e.prevented]; })";
  ExpectValues(ScriptCode(script), "globalThis.Event = function () {};",
               {
                   {key + "({ keyCode: 78, ctrlKey: true })", "[false,true]"},
                   {key + "({ keyCode: 78 })", "[true,false]"},
                   {key + "({ keyCode: 114 })", "[false,true]"},
                   {key + "({ keyCode: 115, altKey: true })", "[false,true]"},
                   {key + "({ keyCode: 115 })", "[true,false]"},
                   {mouse + "({ which: 3 })", "[false,true]"},
                   {mouse + "({ which: 2 })", "[false,true]"},
                   {mouse + "({ which: 1 })", "[true,false]"},
                   {mouse + "({ which: 1, shiftKey: true, target: { tagName: 'A' } })", "[true,true]"},
                   {"listeners.map(function (l) { return l.type; }).join()", R"("contextmenu,mousedown,keydown,click")"},
                   {"confirmAnswer = false, cform()", "false"},
                   {"confirmAnswer = true, cform()", "true"},
                   {"window.onerror === killErrors && killErrors()", "true"},
               });
}

}  // namespace
