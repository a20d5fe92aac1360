// What the editor suites share: the fixture page with the script form under
// test (QE_EDITOR_SCRIPT=readable: the readable script, else the one-line
// script pages embed), building editors on it, and reaching into the frame.

export const readable = process.env.QE_EDITOR_SCRIPT === 'readable';
export const fixture = readable ? 'editor_readable.htm' : 'editor.htm';

// Opens the fixture and builds one editor on a text area (or a div) with id
// `id` holding `value`; `options` are set in the callback before create().
// The editor is window.ed (and window.editors[id]).
export async function openEditor(t, { value = '', options = {}, tag = 'textarea', id = 'content' } = {}) {
  await t.open(fixture);
  await addEditor(t, { value, options, tag, id });
  return t.page;
}

export async function addEditor(t, { value = '', options = {}, tag = 'textarea', id = 'content' } = {}) {
  await t.page.evaluate(({ value, options, tag, id }) => {
    const element = document.createElement(tag);
    element.id = id;
    element.name = id;
    if (tag === 'textarea') element.value = value;
    else element.innerHTML = value;
    document.getElementById('place').appendChild(element);
    window.editors = window.editors || {};
    window.callbacks = (window.callbacks || 0);
    window.ed = window.editors[id] = qe.editor(id, function (self) {
      window.callbacks += 1;
      window.callbackSawItself = this === self;
      Object.assign(this, options);
      this.create();
    });
  }, { value, options, tag, id });
}

// The editing frame of window.ed as a playwright Frame.
export async function editorFrame(t) {
  const handle = await t.page.evaluateHandle(() => window.ed.iframe);
  const element = handle.asElement();
  return element.contentFrame();
}

export async function bodyHTML(t) {
  return t.page.evaluate(() => window.ed.getHTML());
}

export async function textareaValue(t, id = 'content') {
  return t.page.evaluate((id) => document.getElementById(id).value, id);
}

// Selects the contents of the first element matching `selector` in the
// editing body (the whole body when it is omitted), or puts the caret at its
// end with `collapse`.
export async function selectIn(t, selector, { collapse = false, offset = null } = {}) {
  await t.page.evaluate(({ selector, collapse, offset }) => {
    const ed = window.ed;
    const node = selector ? ed.d.body.querySelector(selector) : ed.d.body;
    const range = ed.d.createRange();
    if (offset !== null) {
      const text = node.firstChild;
      range.setStart(text, offset);
      range.collapse(true);
    } else {
      range.selectNodeContents(node);
      if (collapse) range.collapse(false);
    }
    ed.w.focus();
    ed.select(range);
  }, { selector, collapse, offset });
}

// The toolbar entry of a built-in name (its li).
export function entry(t, name) {
  return t.page.locator(`li:has(> div.qeEditor-exec[title="${titles[name]}"])`).first();
}

export const titles = {
  fontSize: '文字大小', backColor: '文字背景颜色', foreColor: '文字颜色', bold: '加粗', italic: '倾斜',
  underline: '下划线', strikeThrough: '删除线', justifyLeft: '左对齐', justifyCenter: '居中对齐',
  justifyRight: '右对齐', indent: '缩进', outdent: '取消缩进', insertOrderedList: '有序列表',
  insertUnorderedList: '无序列表', subscript: '下标', superscript: '上标', unlink: '取消链接', hr: '添加水平线',
  removeFormat: '清除格式', paste: '富文本粘贴', selectAll: '全选', code: '查看源码', face: '插入表情', table: '表格',
  createLink: '添加链接', music: '添加音乐', files: '附件上传', insertImage: '添加图片', video: '添加视频',
  max: '最大化', min: '恢复',
};

export async function clickEntry(t, name) {
  await t.page.locator(`div.qeEditor-exec[title="${titles[name]}"]`).first().click();
}

// Dispatches a paste on the editing body at the current selection with the
// given clipboard: { text, html, image: { bytes (base64), type } }.
export async function paste(t, { text = '', html = '', image = null } = {}) {
  await t.page.evaluate(({ text, html, image }) => {
    const ed = window.ed;
    const data = new ed.w.DataTransfer();
    if (image) {
      const bytes = Uint8Array.from(atob(image.bytes), (c) => c.charCodeAt(0));
      data.items.add(new ed.w.File([bytes], 'image.png', { type: image.type || 'image/png' }));
    }
    if (text) data.setData('text/plain', text);
    if (html) data.setData('text/html', html);
    const event = new ed.w.ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true });
    ed.d.body.dispatchEvent(event);
  }, { text, html, image });
}

// A small PNG picture (a 2 x 2 red square), as base64.
export const redSquarePng =
  'iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD91JpzAAAAEElEQVR4nGP4z8AARAwQCgAf7gP9i18U1AAAAABJRU5ErkJggg==';

// Alerts of the page: collected messages, each dismissed.
export function collectAlerts(t) {
  const alerts = [];
  t.page.on('dialog', async (dialog) => {
    alerts.push(dialog.message());
    await dialog.dismiss().catch(() => {});
  });
  return alerts;
}

export function collectConsole(t) {
  const lines = [];
  t.page.on('console', (message) => lines.push(message.text()));
  return lines;
}

// Counts the page's requests as they are sent and as they end.
export async function countRequests(t) {
  await t.page.evaluate(() => {
    window.__qeSent = 0;
    window.__qeInFlight = 0;
    const send = XMLHttpRequest.prototype.send;
    XMLHttpRequest.prototype.send = function (...body) {
      window.__qeSent += 1;
      window.__qeInFlight += 1;
      this.addEventListener('loadend', () => { window.__qeInFlight -= 1; });
      return send.apply(this, body);
    };
  });
}

// Waits until at least `sent` requests have gone and none is in flight: the
// handlers of each have run ("loadend" comes after them).
export function requestsEnded(t, sent = 0) {
  return t.page.waitForFunction((n) => window.__qeSent >= n && window.__qeInFlight === 0, sent);
}

// An answer held back until the test lets it go.
export function gate() {
  let open;
  const held = new Promise((done) => { open = done; });
  return { held, open };
}

// Waits until the element's transitions have run their course: a drop-down
// slides into place and fades in over 0.4 s, and a point taken on it before
// then may land on something else. A transition cut short counts as done.
export async function settled(locator) {
  await locator.evaluate((el) => Promise.all(el.getAnimations({ subtree: true })
    .map((animation) => animation.finished.catch(() => {}))));
}
