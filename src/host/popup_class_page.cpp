#include "host/comm_pages.h"
#include "platform/com/object.h"

namespace host {
namespace {

// Texts are \u escapes, so the script reads the same in any code page.
constexpr char16_t kPopupClass[] = uR"js(function Popup(options) {
  options = options || {};
  this.contentType = options.contentType || 1;
  this.isReloadOnClose = !!options.isReloadOnClose;
  this.width = parseInt(options.width, 10) || 400;
  this.height = parseInt(options.height, 10) || 300;
  this.content = {};
  this.shade = null;
  this.box = null;
}
Popup.prototype.setContent = function (key, value) { this.content[key] = value; };
Popup.prototype.button = function (text, action) {
  var b = document.createElement('input');
  b.type = 'button';
  b.value = text;
  b.className = 'button_image';
  b.style.margin = '0 6px';
  b.onclick = action;
  return b;
};
Popup.prototype.build = function () {
  if (this.box) return;
  var self = this, c = this.content;
  var shade = document.createElement('div');
  shade.className = 'qe-popup-shade';
  shade.style.cssText = 'position:fixed;left:0;top:0;right:0;bottom:0;background:rgba(0,0,0,.25);z-index:10000';
  var box = document.createElement('div');
  box.className = 'qe-popup';
  // Centred, and never past the window's edges whatever size was asked for.
  box.style.cssText = 'position:fixed;left:50%;top:50%;transform:translate(-50%,-50%);z-index:10001;' +
      'box-sizing:border-box;display:flex;flex-direction:column;background:#fff;border:1px solid #6b8fb5;' +
      'box-shadow:0 2px 10px rgba(0,0,0,.3);font-size:12px;max-width:calc(100vw - 8px);max-height:calc(100vh - 8px);' +
      'width:' + this.width + 'px;height:' + this.height + 'px';
  var bar = document.createElement('div');
  bar.className = 'qe-popup-title';
  bar.style.cssText = 'display:flex;align-items:center;padding:4px 6px;background:#dce8f5;font-weight:bold';
  var title = document.createElement('span');
  title.style.flex = '1';
  title.textContent = c.title || '';
  var close = document.createElement('a');
  close.href = 'javascript:void(0)';
  close.className = 'qe-popup-close';
  close.title = '\u5173\u95ed';
  close.textContent = '\u00d7';
  close.style.cssText = 'text-decoration:none;font-size:16px;color:#333';
  close.onclick = function () { self.close(); return false; };
  bar.appendChild(title);
  bar.appendChild(close);
  var body = document.createElement('div');
  body.className = 'qe-popup-body';
  body.style.cssText = 'flex:1;overflow:auto;padding:6px;min-height:0';
  if (this.contentType === 1) {
    var frame = document.createElement('iframe');
    frame.src = c.contentUrl || 'about:blank';
    frame.style.cssText = 'width:100%;height:100%;border:0;display:block';
    body.style.padding = '0';
    body.appendChild(frame);
  } else if (this.contentType === 2) {
    body.innerHTML = c.contentHtml || '';
  } else {
    var text = document.createElement('div');
    text.innerHTML = (this.contentType === 3 ? c.confirmCon : c.alertCon) || '';
    var buttons = document.createElement('div');
    buttons.style.cssText = 'text-align:center;margin-top:10px';
    if (this.contentType === 3) {
      buttons.appendChild(this.button('\u786e\u5b9a', function () {
        if (typeof c.callBack === 'function') c.callBack(c.parameter); else self.close();
      }));
      buttons.appendChild(this.button('\u53d6\u6d88', function () { self.close(); }));
    } else {
      buttons.appendChild(this.button('\u786e\u5b9a', function () { self.close(); }));
    }
    body.appendChild(text);
    body.appendChild(buttons);
  }
  box.appendChild(bar);
  box.appendChild(body);
  this.shade = shade;
  this.box = box;
};
Popup.prototype.show = function () {
  if (!this.box) this.build();
  document.body.appendChild(this.shade);
  document.body.appendChild(this.box);
};
Popup.prototype.close = function () {
  if (this.box && this.box.parentNode) this.box.parentNode.removeChild(this.box);
  if (this.shade && this.shade.parentNode) this.shade.parentNode.removeChild(this.shade);
  if (this.isReloadOnClose) location.reload();
};
)js";

}  // namespace

void PopupClassPage(Page& page) {
  com::Let(page.Response, u"ContentType", vb::String(u"application/javascript"));
  com::Let(page.Response, u"Charset", vb::String(u"gb2312"));
  com::Call(page.Response, u"Write", vb::String(kPopupClass));
}

}  // namespace host
