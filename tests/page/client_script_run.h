#pragma once
// Runs the component's client scripts under node on a small stand-in of a
// page (document, window, form fields, alerts, timers, opened windows), and
// evaluates expressions against them. Node tests skip where node is missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vb/string.h"
#include "support/node_script.h"

namespace page_test {

// The code of every inline script element of an HTML text, in order, each
// followed by a line break; script elements with a src are left out.
inline std::string ScriptCode(const vb::String& html) {
  std::string text = vb::ToUtf8(html), code;
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t at = 0;
  while ((at = lower.find("<script", at)) != std::string::npos) {
    size_t open_end = lower.find('>', at);
    size_t close = lower.find("</script>", open_end);
    if (open_end == std::string::npos || close == std::string::npos) break;
    if (lower.substr(at, open_end - at).find(" src=") == std::string::npos)
      code += text.substr(open_end + 1, close - open_end - 1) + "\n";
    at = close + 9;
  }
  return code;
}

// A JavaScript string literal holding `text`.
inline std::string JsString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

// The stand-in page. Elements are made with add(tag, props) (an id registers
// them); alerts, opened windows, written text, focus moves and timers are
// recorded; nothing runs by itself.
inline constexpr char kPageStandIn[] = R"js(
globalThis.window = globalThis;
globalThis.self = globalThis;
globalThis.top = globalThis;
globalThis.parent = globalThis;
var alerts = [], opened = [], written = [], focused = [], clicked = [], timers = [], listeners = [];
globalThis.screen = { availWidth: 1280, availHeight: 800 };
globalThis.alert = function (m) { alerts.push(String(m)); };
globalThis.confirm = function () { return confirmAnswer; };
var confirmAnswer = true;
var closedWindows = 0, selfClosed = 0;
var openResult = { focus: function () {}, moveTo: function () {}, resizeTo: function () {},
                   close: function () { closedWindows++; } };
globalThis.open = function (url, name, features) { opened.push([url, name, features]); return openResult; };
globalThis.close = function () { selfClosed++; };
globalThis.focus = function () {};
globalThis.setTimeout = function (f, ms) { timers.push({ f: f, ms: ms }); return timers.length; };
globalThis.setInterval = globalThis.setTimeout;
globalThis.clearTimeout = globalThis.clearInterval = function () {};
function runTimers() { var due = timers; timers = []; due.forEach(function (t) { typeof t.f == 'function' ? t.f() : eval(t.f); }); }
var byId = {}, elements = [];
function Element(tag, props) {
  this.tagName = tag.toUpperCase(); this.style = {}; this.attributes = {}; this.value = '';
  for (var k in props || {}) this[k] = props[k];
}
Element.prototype.getAttribute = function (n) { return n in this.attributes ? this.attributes[n] : null; };
Element.prototype.setAttribute = function (n, v) { this.attributes[n] = String(v); };
Element.prototype.removeAttribute = function (n) { delete this.attributes[n]; if (n == 'id') { delete byId[this.id]; this.id = ''; } };
Element.prototype.focus = function () { document.activeElement = this; focused.push(this.id || this.name || this.tagName); };
Element.prototype.select = function () { this.selected = true; };
Element.prototype.click = function () { clicked.push(this.id); };
Element.prototype.addEventListener = function (type, f) { listeners.push({ target: this, type: type, f: f }); };
function add(tag, props) {
  var e = new Element(tag, props); elements.push(e);
  if (e.id) byId[e.id] = e;
  if (e.name && document.forms.myform && e.form) document.forms.myform[e.name] = e;
  return e;
}
globalThis.document = {
  forms: {}, images: {}, activeElement: null,
  body: { style: {}, scrollTop: 0, scrollLeft: 0, clientHeight: 600, clientWidth: 800 },
  documentElement: { scrollTop: 0, scrollLeft: 0, clientHeight: 600, clientWidth: 800 },
  getElementById: function (id) { return byId[id] || null; },
  getElementsByTagName: function (tag) {
    return elements.filter(function (e) { return e.tagName == tag.toUpperCase(); });
  },
  write: function (text) {
    written.push(text);
    var m = /^<img id="([^"]+)">$/.exec(text);
    if (m) add('img', { id: m[1] });
  },
  addEventListener: function (type, f) { listeners.push({ target: document, type: type, f: f }); }
};
function fire(type, event) {
  listeners.filter(function (l) { return l.type == type; }).forEach(function (l) { l.f(event); });
}
function makeForm() { document.forms.myform = globalThis.myform = document.myform = add('form', { id: 'myform' }); return document.myform; }
function field(name, value, props) {
  var e = add('input', Object.assign({ name: name, value: value, type: 'text', form: true }, props || {}));
  document.myform[name] = e; return e;
}
function show(v) { return v === undefined ? 'undefined' : JSON.stringify(v); }
)js";

// Runs the stand-in, then `scripts` (as page scripts, in the global scope),
// then `setup`, then prints each expression's value as JSON ("undefined" for
// none, "throws: ..." for an error). The values, one per expression.
inline std::vector<std::string> Evaluate(const std::string& scripts, const std::string& setup,
                                         const std::vector<std::string>& expressions) {
  std::string program = "const vm = require('vm');\n";
  program += "vm.runInThisContext(" + JsString(kPageStandIn) + ");\n";
  program += "vm.runInThisContext(" + JsString(scripts) + ");\n";
  program += "vm.runInThisContext(" + JsString(setup) + ");\n";
  program += "var results = [];\n";
  for (const std::string& e : expressions)
    program += "try { results.push(show(vm.runInThisContext(" + JsString(e) +
               "))); } catch (x) { results.push('throws: ' + x.message); }\n";
  program += "process.stdout.write(results.map(function (r) { return r + '\\u0001'; }).join(''));\n";
  std::string out = test_support::RunNode(program);
  std::vector<std::string> values;
  size_t start = 0;
  for (size_t end; (end = out.find('\x01', start)) != std::string::npos; start = end + 1)
    values.push_back(out.substr(start, end - start));
  if (values.size() != expressions.size()) {
    ADD_FAILURE() << "node printed:\n" << out;
    values.resize(expressions.size());
  }
  return values;
}

// Each pair: an expression and the JSON of the value it must have.
using Cases = std::vector<std::pair<std::string, std::string>>;

inline void ExpectValues(const std::string& scripts, const std::string& setup, const Cases& cases) {
  std::vector<std::string> expressions;
  for (const auto& c : cases) expressions.push_back(c.first);
  std::vector<std::string> values = Evaluate(scripts, setup, expressions);
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(values[i], cases[i].second) << cases[i].first;
}

}  // namespace page_test

// Skips the test where node is not installed.
#define SKIP_WITHOUT_NODE() \
  if (!test_support::HaveNode()) GTEST_SKIP() << "node is not installed"
