// The window, pop-up, menu and scroll scripts under node on a stand-in page,
// and the hint text.
#include <gtest/gtest.h>

#include "page/client_script_run.h"
#include "page/kesra_script_window.h"
#include "facade/qecls.h"

namespace {

using page_test::ExpectValues;
using page_test::ScriptCode;

TEST(KesraScriptOpenWindow, OpenersAndTheirFallbacks) {
  SKIP_WITHOUT_NODE();
  ExpectValues(
      ScriptCode(qe::KesraScriptOpenWindow()), "",
      {
          {"[OpenWindowModalScroll('e.asp', 300, 200), opened.pop()]",
           R"([false,["e.asp","_blank","width=300,height=200"]])"},
          {"var modal = []; window.showModalDialog = function () { modal.push([].slice.call(arguments, 2)); },"
           " [OpenWindowModalScroll('e.asp', 300, 200), OpenWindowModalNoScroll('e.asp', 30, 20), modal, opened.length]",
           R"([false,false,[["dialogHeight: 200px; dialogWidth: 300px; help: no;scroll: yes; status: no"],)"
           R"(["dialogHeight: 20px; dialogWidth: 30px; help: no;scroll: no; status: no"]],0])"},
          {"OpenWindowFullScreen('a.asp'), opened.pop()",
           R"(["a.asp?ScreenHeight=770","kesra","width=1270,height=770,top=0,left=0,fullscreen=1,toolbar=0,location=0,)"
           R"(directories=0,status=0,menubar=0,resizable=0"])"},
          {"OpenWindowFullScreen('a.asp?id=3'), opened.pop()[0]", R"("a.asp?id=3&ScreenHeight=770")"},
          {"[OpenWindowResize('x.asp', 800, 600), opened.pop()]",
           R"([false,["x.asp","OpenWindowResize","width=800,height=600,resizable=yes,scrollbars=no,status=no,)"
           R"(toolbar=no,menubar=no,location=no"]])"},
          {"[OpenWindowQQScroll('q.asp', 'qq', 1, 2, 3, 4), opened.pop()[2]]",
           R"([false,"toolbar=no,location=no,directories=no,status=no,menubar=no,scrollbars=yes,resizable=no,)"
           R"(top=2,left=1,width=3,height=4"])"},
          {"[OpenWindowQQNoScroll('q.asp', 'qq', 1, 2, 3, 4), opened.pop()[2].indexOf(',scrollbars=no,') > 0]", "[false,true]"},
          {"[OpenWindow1('o.asp', 'n', 5, 6), opened.pop()]", R"([null,["o.asp","n","width=5,height=6"]])"},
          {"[OpenWindow('o.asp', 'n', 5, 6), opened.pop()]", R"([false,["o.asp","n","width=5,height=6"]])"},
      });
}

TEST(KesraScriptOpenWindow, CenteredWindowClosesItsOpenerOnlyWhenAsked) {
  SKIP_WITHOUT_NODE();
  ExpectValues(ScriptCode(qe::KesraScriptOpenWindow()), "",
               {
                   {"OpenWindowCenterScreen('c.asp', 'c', 400, 300, 0), [opened.pop()[2], selfClosed]",
                    R"(["width=400,height=300,status=no,",0])"},
                   {"OpenWindowCenterScreen('c.asp', 'c', 400, 300, 1), selfClosed > 0", "true"},
                   {"selfClosed = 0, OpenWindowCenterScreen('c.asp', 'c', 400, 300, '1'), selfClosed > 0", "true"},
                   {"selfClosed = 0, [openResult.outerWidth, openResult.outerHeight]", "[1280,800]"},
                   // A window the browser refused: the opener stays open.
                   {"globalThis.open = function () { return null; }, OpenWindowCenterScreen('c.asp', 'c', 4, 3, 1),"
                    " [OpenWindowResize('x', 1, 1), selfClosed]",
                    "[false,0]"},
               });
}

TEST(KesraScriptPopSelect, PickedValueOrTheFieldAsItWas) {
  SKIP_WITHOUT_NODE();
  const std::string pick =
      "(function (answer) { var f = { value: 'old' }; window.showModalDialog = function (u, a, features) {"
      " asked = [u, features]; return answer; };"
      " (function onclick(event) { PopSelectData(f, 'class'); })({ type: 'click', screenX: 10, screenY: 20 });"
      " return f.value; })";
  ExpectValues(ScriptCode(qe::KesraScriptPopSelect()), "var asked = null;",
               {
                   {"(function () { var f = { value: 'old' }; PopSelectData(f, 'class'); return f.value; })()", R"("old")"},
                   {pick + "('新值')", R"("新值")"},
                   {"asked", R"(["../comm/kesra_selectdata.asp?zdm=class",)"
                             R"("dialogtop:20px;dialogleft:10px;dialogwidth:220px;dialogheight:510px;status:no"])"},
                   {pick + "(null)", R"("old")"},
                   {pick + "(undefined)", R"("old")"},
                   {pick + "('')", R"("")"},
               });
}

TEST(KesraScriptPopWindow, LayersAndTheirClosing) {
  SKIP_WITHOUT_NODE();
  vb::String script = qe::KesraScriptPopWindow();
  EXPECT_EQ(script.find(u"<script Language=\"JavaScript\" src=\"../comm/kesra_PopupClass.asp\"></script>"), 0u);
  const std::string popup = R"js(
var made = [];
function Popup(options) { this.options = options; this.content = []; this.closed = false; made.push(this); }
Popup.prototype.setContent = function (k, v) { this.content.push(k); this[k] = v; };
Popup.prototype.build = function () { this.built = true; };
Popup.prototype.show = function () { this.shown = this.built; };
Popup.prototype.close = function () { this.closed = true; };
add('button', { id: 'del' });
)js";
  ExpectValues(ScriptCode(script), popup,
               {
                   {"ClosePop(), pop", "null"},
                   {"ShowIframe('t', 'u.asp', 300, 200), [pop === made[0], pop.options, pop.content, pop.contentUrl, pop.shown]",
                    R"([true,{"contentType":1,"isReloadOnClose":false,"width":300,"height":200},["contentUrl","title"],"u.asp",true])"},
                   {"ShowHtmlString('t', '<b>x</b>', 1, 2), [pop.options.contentType, pop.content, pop.contentHtml]",
                    R"([2,["contentHtml","title"],"<b>x</b>"])"},
                   {"ShowAlert('t', 'a', 1, 2), [pop.options.contentType, pop.content]", R"([4,["title","alertCon"]])"},
                   {"var alertPop = pop; ShowConfirm('t', 'sure?', 'del', 's', 1, 2); var c = made[made.length - 1];"
                    " [pop === alertPop, c.options.contentType, c.content, c.parameter.id, c.parameter.str, c.parameter.obj === c]",
                    R"([true,3,["title","confirmCon","callBack","parameter"],"del","s",true])"},
                   // ClosePop closes the last layer, never the confirmation.
                   {"ClosePop(), [alertPop.closed, c.closed]", "[true,false]"},
                   {"c.callBack(c.parameter), [c.closed, clicked]", R"([true,["del"]])"},
               });
}

TEST(KesraScriptOnKeyDownDefault, DigitKeys) {
  SKIP_WITHOUT_NODE();
  const std::string press = "(function (code) { return (function onkeypress(event) { return [IsDigit(), IsDigitAndSign()]; })"
                            "({ type: 'keypress', keyCode: code }); })";
  ExpectValues(ScriptCode(qe::KesraScriptOnKeyDownDefault()), "",
               {
                   {press + "(47)", "[false,false]"},
                   {press + "(48)", "[true,true]"},
                   {press + "(57)", "[true,true]"},
                   {press + "(58)", "[false,false]"},
                   {press + "(45)", "[false,true]"},
                   {press + "(46)", "[false,true]"},
                   {"window.event = { type: 'keypress', keyCode: 50 }, IsDigit()", "true"},
               });
}

TEST(KesraScriptListMenu, OneChildOpenAtATime) {
  SKIP_WITHOUT_NODE();
  const std::string page = R"js(
['A', 'B', 'C'].forEach(function (x, i) { add('div', { id: x + 'Child', className: 'child' }); scores[i + 1] = x; });
add('div', { id: 'other', className: 'child other' });
numTotal = '3';
function shown() { return ['A', 'B', 'C', 'other'].map(function (x) { var e = byId[x + 'Child'] || byId[x]; return e.style.display || ''; }); }
)js";
  ExpectValues(ScriptCode(qe::KesraScriptListMenu()), page,
               {
                   {"[scores.length, typeof window.onload == 'function' && window.onload === initIt]", "[20,true]"},
                   {"initIt(), shown()", R"(["none","none","none",""])"},
                   {"expandIt('A'), shown()", R"(["block","none","none",""])"},
                   {"expandIt('B'), shown()", R"(["none","block","none",""])"},
                   {"expandIt('B'), shown()", R"(["none","none","none",""])"},
                   {"expandIt('C'), expandIt('X'), shown()", R"(["none","none","none",""])"},
               });
}

TEST(KesraScriptFloaterToggle, LoadHandlerStartsWhatTheFlagsAsk) {
  SKIP_WITHOUT_NODE();
  const std::string page = "var started = []; function initIt() { started.push('initIt'); } function moveIt() { started.push('moveIt'); }"
                           " var floater = add('div', { id: 'floater' });";
  struct {
    bool move, expand;
    const char* started;
  } cases[] = {{true, true, R"(["initIt","moveIt"])"},
               {true, false, R"(["moveIt"])"},
               {false, true, R"(["initIt"])"},
               {false, false, "[]"}};
  for (const auto& c : cases) {
    ExpectValues(ScriptCode(qe::KesraScriptListMenu() + qe::KesraScriptFloaterToggle(c.move, c.expand)), page,
                 {{"window.onload(), started", c.started},
                  {"showLoginForm(), [floater.style.top, floater.style.left, floater.style.visibility]",
                   R"(["0px","0px","visible"])"},
                  {"closeLoginForm(), floater.style.visibility", R"("hidden")"}});
  }
}

TEST(KesraScriptListMenuMove, DragMovesOnlyAlongTheMarkedAxes) {
  SKIP_WITHOUT_NODE();
  const std::string page = R"js(
var floater = add('div', { id: 'floater', offsetLeft: 100, offsetTop: 50 });
function drag() {
  listeners.filter(function (l) { return l.target === floater && l.type == 'mousedown'; })[0].f({ clientX: 110, clientY: 60 });
  fire('mousemove', { clientX: 150, clientY: 90 });
  return [floater.style.left || null, floater.style.top || null];
}
)js";
  ExpectValues(ScriptCode(qe::KesraScriptListMenuMove()), page,
               {
                   {"moveIt(), moveIt(), listeners.length", "1"},
                   {"drag()", "[null,null]"},
                   {"add('div', { id: 'scroll1' }), drag()", R"(["140px",null])"},
                   {"add('div', { id: 'scroll2' }), drag()", R"(["140px","80px"])"},
               });
}

TEST(KesraScriptShowToolTipText, BoxFollowsThePointer) {
  SKIP_WITHOUT_NODE();
  vb::String text = qe::KesraScriptShowToolTipText();
  EXPECT_EQ(text.find(u"<div id=\"dek\" class=\"dek\""), 0u);
  const std::string page = "var dek = add('div', { id: 'dek', offsetHeight: 40 }); window.pageYOffset = 100;";
  ExpectValues(ScriptCode(text), page,
               {
                   {"popwish('提示'), [dek.style.visibility, dek.innerHTML.indexOf('<font color=\"red\">提示</font>') > 0]",
                    R"(["visible",true])"},
                   {"(dek.innerHTML.match(/<tr/g) || []).length", "3"},
                   {"fire('mousemove', { clientX: 30, clientY: 70 }), [dek.style.left, dek.style.top]", R"(["30px","130px"])"},
                   {"kill(), dek.style.visibility", R"("hidden")"},
               });
}

TEST(KesraScriptShowMenu, SubmenuUnderItsAnchor) {
  SKIP_WITHOUT_NODE();
  const std::string page = R"js(
var menu = add('div', { id: 'menu_div' });
var body = { tagName: 'BODY', offsetLeft: 8, offsetTop: 8 };
var cell = { tagName: 'TD', offsetLeft: 20, offsetTop: 30, offsetParent: body };
var anchor = { tagName: 'A', offsetLeft: 5, offsetTop: 7, offsetHeight: 18, offsetParent: cell };
)js";
  ExpectValues(ScriptCode(qe::KesraScriptShowMenu()), page,
               {
                   {"(function onmouseover(event) { ShowMenu('<a href=x>子项</a>', '120px'); })({ type: 'mouseover', target: anchor }),"
                    " [menu.style.left, menu.style.top, menu.style.visibility, isvisible]",
                    R"(["27px","55px","visible",true])"},
                   {"menu.innerHTML",
                    R"("<table id=\"submenu\" cellspacing=\"1\" cellpadding=\"3\" style=\"border:0px; width:120px\" )"
                    R"(class=\"tableborder1\" onmouseout=\"HideMenu()\"><tr height=\"23\"><td nowrap align=\"left\" )"
                    R"(class=\"tablebody1\"><a href=x>子项</a></td></tr></table>")"},
               });
}

TEST(KesraScriptScrollWindow, ScrollsUntilThePageEnds) {
  SKIP_WITHOUT_NODE();
  const std::string page = R"js(
window.pageYOffset = 0;
window.scroll = function (x, y) { window.pageYOffset = Math.min(y, 3); };
var cleared = 0; clearInterval = function () { cleared++; };
)js";
  ExpectValues(ScriptCode(qe::KesraScriptScrollWindow()), page,
               {
                   {"fire('dblclick', {}), [timers.length, timers[0].ms]", "[1,1]"},
                   {"var tick = timers[0].f; tick(), tick(), tick(), [window.pageYOffset, cleared]", "[3,0]"},
                   {"tick(), [window.pageYOffset, cleared]", "[3,1]"},
                   {"fire('dblclick', {}), fire('mousedown', {}), cleared", "2"},
               });
}

TEST(KesraScriptScrollWindowFollow, MarkerWrittenAndKeptInView) {
  SKIP_WITHOUT_NODE();
  vb::Variant left(int16_t{20});
  const std::string page = "window.pageYOffset = 250;";
  ExpectValues(ScriptCode(qe::KesraScriptScrollWindowFollow(left)), page,
               {
                   {"written[0]",
                    R"("<style type=\"text/css\">#master{left:20px;position:absolute;top:0px;visibility:visible;z-index:999}</style>")"},
                   {"written[1]",
                    R"("<table id=\"master\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td align=\"right\">)"
                    R"(<a href=\"#\" title=\"返回顶部\"><img src=\"../comm/image/kesra_gotop.asp\" id=\"menu\" name=\"menutop\")"
                    R"( border=\"0\"></a></td></tr></table>")"},
                   {"var master = add('table', { id: 'master' }); timers[0].f(), [timers[0].ms, master.style.top]",
                    R"([100,"260px"])"},
               });
  vb::Variant null_left = vb::Variant::Null();
  EXPECT_NE(qe::KesraScriptScrollWindowFollow(null_left).find(u"{left:px;"), vb::String::npos);
}

TEST(KesraShowScrollWindowTitle, HintText) {
  EXPECT_EQ(qe::QeCls().CommShowScrollWindowTitle(),
            u"&nbsp;&nbsp;&nbsp;&nbsp;<font color=\"red\">（双击自动向上滚动，单击停止，点击"
            u"<img src=\"../comm/image/kesra_gotop.asp\" border=\"0\">回至顶部）</font>");
  EXPECT_EQ(qe::KesraShowScrollWindowTitle(u"#0000ff"),
            u"&nbsp;&nbsp;&nbsp;&nbsp;<font color=\"#0000ff\">（双击自动向上滚动，单击停止，点击"
            u"<img src=\"../comm/image/kesra_gotop.asp\" border=\"0\">回至顶部）</font>");
}

}  // namespace
