// The clock at fixed times, the progress bar's growth, and both background
// loaders against a stand-in request, under node.
#include <gtest/gtest.h>

#include "page/client_script_run.h"
#include "page/kesra_script_clock.h"
#include "facade/qecls.h"

namespace {

using page_test::ExpectValues;
using page_test::ScriptCode;

// The clock's text at a local time; Date gives that time.
std::string ClockAt(int year, int month, int day, int hours, int minutes, int seconds) {
  char call[200];
  std::snprintf(call, sizeof call, "at(%d, %d, %d, %d, %d, %d)", year, month - 1, day, hours, minutes, seconds);
  return call;
}

constexpr char kClockPage[] = R"js(
var clock = add('span', { id: 'liveclock' });
var RealDate = Date;
function at() {
  var fixed = new RealDate(...arguments);
  globalThis.Date = function () { return fixed; };
  ShowDateAndTimeScript();
  globalThis.Date = RealDate;
  return clock.innerHTML;
}
)js";

std::string Line(const char* date, const char* weekday, const char* time, const char* part) {
  return std::string(R"("&nbsp;&nbsp;<font color=\"blue\">)") + date + "&nbsp;&nbsp;星期" + weekday + "&nbsp;&nbsp;" + time +
         "[" + part + "]</font>\"";
}

TEST(KesraScriptShowDateAndTime, ClockAtFixedTimes) {
  SKIP_WITHOUT_NODE();
  ExpectValues(ScriptCode(qe::QeCls().CommScriptShowDateAndTime()), kClockPage,
               {
                   {ClockAt(2024, 1, 5, 5, 59, 59), Line("2024年1月5日", "五", "5:59:59", "凌晨")},
                   {ClockAt(2024, 1, 5, 6, 0, 0), Line("2024年1月5日", "五", "6:00:00", "上午")},
                   {ClockAt(2024, 12, 29, 0, 5, 9), Line("2024年12月29日", "日", "0:05:09", "凌晨")},
                   {ClockAt(2024, 3, 2, 11, 59, 59), Line("2024年3月2日", "六", "11:59:59", "上午")},
                   {ClockAt(2024, 3, 4, 12, 0, 0), Line("2024年3月4日", "一", "12:00:00", "下午")},
                   {ClockAt(2024, 3, 5, 17, 59, 59), Line("2024年3月5日", "二", "17:59:59", "下午")},
                   {ClockAt(2024, 3, 6, 18, 0, 0), Line("2024年3月6日", "三", "18:00:00", "晚上")},
                   {ClockAt(2024, 3, 7, 23, 10, 10), Line("2024年3月7日", "四", "23:10:10", "晚上")},
                   // Each run schedules the next one a second later.
                   {"[timers.length, timers[0].ms, timers[0].f === ShowDateAndTimeScript]", "[8,1000,true]"},
               });
}

TEST(KesraScriptShowDateAndTime, CallersStatementsRunEverySecond) {
  SKIP_WITHOUT_NODE();
  ExpectValues(ScriptCode(qe::KesraScriptShowDateAndTime(u"ticks++;")), std::string(kClockPage) + "var ticks = 0;",
               {{"ShowDateAndTimeScript(), runTimers(), runTimers(), ticks", "3"}});
}

TEST(KesraScriptShowProcessBar, BarGrowsToItsLastStepBelowFullWidth) {
  SKIP_WITHOUT_NODE();
  // Each step closes 2.5 % of the distance left; the last step is the first
  // that reaches 98 % of the layer's width.
  const std::string page = R"js(
var bar = { width: 0 }; document.images.sbar = bar;
function grow(full) {
  KesraBarFull = full; KesraBarWidth = 1; bar.width = 1; timers = [];
  var steps = 0, widths = [];
  CheckClick(1);
  while (timers.length) { steps++; widths.push(bar.width); runTimers(); }
  var before = widths[widths.length - 2];
  return [steps, before < 0.98 * full, bar.width >= 0.98 * full, bar.width < full];
}
)js";
  ExpectValues(ScriptCode(qe::KesraScriptShowProcessBar()), page,
               {
                   {"[typeof AddProcessbar, written.length, written[0].indexOf('id=\"waiting\"') > 0]", R"(["function",1,true])"},
                   {"written[0].indexOf('系统正在处理中...') > 0", "true"},
                   // From 1 px: 299 × 0.975^n falls to 6 px (2 % of 300) at n = 155.
                   {"grow(300)", "[155,true,true,true]"},
                   {"CheckIsProcessBar({ getAttribute: function () { return 'True'; } })", "false"},
                   {"CheckIsProcessBar({ getAttribute: function () { return 'true'; } })", "true"},
                   {"CheckIsProcessBar({})", "true"},
               });
}

// A stand-in request object: what the loader asked for, answered by the test.
constexpr char kAjaxPage[] = R"js(
var requests = [];
function XMLHttpRequest() { this.headers = []; this.readyState = 0; requests.push(this); }
XMLHttpRequest.prototype.open = function (method, url, async) { this.method = method; this.url = url; this.async = async; };
XMLHttpRequest.prototype.setRequestHeader = function (k, v) { this.headers.push([k, v]); };
XMLHttpRequest.prototype.send = function (body) { this.body = body; };
function answer(status, text) {
  var r = requests[requests.length - 1];
  r.readyState = 2; r.onreadystatechange();
  r.readyState = 4; r.status = status; r.responseText = text; r.onreadystatechange();
  return target.innerHTML;
}
var target = add('div', { id: 'box', innerHTML: 'before' });
)js";

TEST(KesraAjax, AnswersReachTheElementOnlyWith200) {
  SKIP_WITHOUT_NODE();
  ExpectValues(ScriptCode(qe::KesraAjaxGet()), kAjaxPage,
               {
                   {"ShowAjax('box', 'list.asp?a=1'), [requests[0].method, requests[0].url, requests[0].async, requests[0].body,"
                    " requests[0].headers]",
                    R"(["GET","list.asp?a=1",true,null,[]])"},
                   {"answer(404, 'missing')", R"("before")"},
                   {"ShowAjax('box', 'x'), answer(500, 'error')", R"("before")"},
                   {"ShowAjax('box', 'x'), answer(200, '<b>新</b>')", R"("<b>新</b>")"},
                   {"ShowAjax('nothing', 'x'), answer(200, 'lost')", R"("<b>新</b>")"},
               });
  ExpectValues(ScriptCode(qe::KesraAjaxPost()), kAjaxPage,
               {
                   {"ShowAjax('box', 'save.asp', 'a=1&b=2'), [requests[0].method, requests[0].url, requests[0].async,"
                    " requests[0].body, requests[0].headers]",
                    R"(["POST","save.asp",true,"a=1&b=2",[["Cache-Control","no-cache"],)"
                    R"(["Content-Type","application/x-www-form-urlencoded;"]]])"},
                   {"answer(404, 'x')", R"("before")"},
                   {"ShowAjax('box', 'save.asp', ''), answer(200, 'saved')", R"("saved")"},
               });
}

}  // namespace
