// Randomized pastes (seeded: QE_FUZZ_SEED picks another run): fragments built
// from handlers, script and data addresses, entities, office markup and nested
// raw-text elements. After each paste neither the editing body nor the text
// area holds a handler, a script address or a script-capable element, and no
// handler has run.
import { openEditor } from '../editor_helpers.mjs';
import { pageSettled } from '../helpers.mjs';

const seed = Number(process.env.QE_FUZZ_SEED || 20240607);

function generator(start) {
  let state = start >>> 0;
  const next = () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let x = state;
    x = Math.imul(x ^ (x >>> 15), x | 1);
    x ^= x + Math.imul(x ^ (x >>> 7), x | 61);
    return ((x ^ (x >>> 14)) >>> 0) / 4294967296;
  };
  const pick = (list) => list[Math.floor(next() * list.length)];
  return { next, pick };
}

const payload = 'parent.__qeFired=(parent.__qeFired||0)+1';
const handlers = ['onerror', 'onload', 'onclick', 'ONMOUSEOVER', 'onfocus', 'onanimationstart', 'ontoggle', 'onbegin',
  'onpointerenter', 'OnError'];
const schemes = ['javascript:', 'JaVaScRiPt:', ' javascript:', 'java&#x09;script:', 'java&#10;script:', '&#106;avascript:',
  'javascript&colon;', 'vbscript:', 'data:text/html,', 'DATA:text/html;base64,PHNjcmlwdD4=', '\u0001javascript:',
  'data:image/svg+xml,', 'data:image/png;base64,iVBORw0KGgo='];
const tags = ['p', 'span', 'div', 'a', 'img', 'b', 'font', 'table', 'td', 'svg', 'math', 'iframe', 'object', 'embed',
  'form', 'button', 'input', 'video', 'audio', 'details', 'marquee', 'meta', 'link', 'base', 'style', 'script',
  'noscript', 'xmp', 'noembed', 'noframes', 'title', 'textarea', 'template', 'select', 'o:p', 'v:shape', 'xml'];
const urlAttributes = ['href', 'src', 'action', 'formaction', 'data', 'poster', 'background', 'xlink:href', 'srcdoc'];
const texts = ['text', '&lt;img src=x onerror=' + payload + '&gt;', '&amp;lt;b&amp;gt;', '&quot;', '&#39;', '&nbsp;',
  '</noscript><img src=x onerror=' + payload + '>', '</style><img src=x onerror=' + payload + '>', '--><img src=x onerror=' +
  payload + '>', '<!-- c -->', '<![if !supportLists]>', ']]>', '\r\n', '  '];
const officeBits = [' class=MsoNormal', " style='mso-list:l0 level1;margin-left:-18.0pt'", ' lang=EN-US', ' align=center',
  ' style="font-family:&quot;x&quot;;mso-foreground:red"', ' v:ext="edit"'];

function fragment(random, depth = 0) {
  const { next, pick } = random;
  let out = '';
  const parts = 1 + Math.floor(next() * 4);
  for (let i = 0; i < parts; i++) {
    const roll = next();
    if (roll < 0.25 || depth > 3) {
      out += pick(texts);
      continue;
    }
    const tag = pick(tags);
    let attributes = '';
    const count = Math.floor(next() * 3);
    for (let k = 0; k < count; k++) {
      const kind = next();
      if (kind < 0.4) attributes += ` ${pick(handlers)}="${payload}"`;
      else if (kind < 0.75) attributes += ` ${pick(urlAttributes)}="${pick(schemes)}${payload}"`;
      else attributes += pick(officeBits);
    }
    if (next() < 0.1) attributes += ` title="</${pick(tags)}><img src=x onerror=${payload}>"`;
    out += `<${tag}${attributes}>` + (next() < 0.85 ? fragment(random, depth + 1) : '') + (next() < 0.8 ? `</${tag}>` : '');
  }
  return out;
}

// Runs in the page: pastes each fragment, and returns what any of them left.
function pasteAll(fragments) {
  const ed = window.ed;
  const forbidden = /^(script|iframe|frame|frameset|object|embed|applet|base|link|meta|svg|math|noscript|style|template|xmp|noembed|noframes|plaintext|title)$/i;
  const problems = [];
  const inspect = (root, where, index) => {
    root.querySelectorAll('*').forEach((el) => {
      if (forbidden.test(el.localName)) problems.push(`${index} ${where}: <${el.localName}>`);
      for (const attribute of Array.from(el.attributes)) {
        const name = attribute.name.toLowerCase();
        const value = attribute.value.replace(/[\u0000-\u0020\u007f-\u00a0]/g, '').toLowerCase();
        if (name.startsWith('on')) problems.push(`${index} ${where}: ${name} on <${el.localName}>`);
        if (/^(javascript|vbscript|livescript|data):/.test(value) && name !== 'style' &&
            !(el.localName === 'img' && name === 'src' && value.startsWith('data:image/'))) {
          problems.push(`${index} ${where}: ${name}=${attribute.value} on <${el.localName}>`);
        }
      }
    });
  };
  fragments.forEach((html, index) => {
    if (index % 25 === 0) ed.setValue('<p>start</p>');
    ed.filterTag = index % 3 === 0 ? [] : ['meta', 'script', 'object', 'form', 'iframe'];
    const range = ed.d.createRange();
    range.selectNodeContents(ed.d.body.lastChild || ed.d.body);
    range.collapse(false);
    ed.select(range);
    const data = new ed.w.DataTransfer();
    data.setData('text/plain', 'plain');
    data.setData('text/html', html);
    ed.d.body.dispatchEvent(new ed.w.ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
    inspect(ed.d.body, 'body', index);
    const copy = new DOMParser().parseFromString(document.getElementById('content').value, 'text/html');
    inspect(copy.body, 'textarea', index);
  });
  return problems;
}

async function run(t, offset) {
  await openEditor(t, { value: '<p>start</p>', options: { pasteText: 0, imgAutoUpload: 0, screenshot: 1 } });
  const random = generator(seed + offset);
  const fragments = Array.from({ length: 100 }, () => fragment(random));
  const problems = await t.page.evaluate(pasteAll, fragments);
  // Handlers that would run late: the pictures' loads and errors, animations.
  await t.page.waitForFunction(() => Array.from(window.ed.d.images).every((img) => img.complete));
  await pageSettled(t.page);
  const fired = await t.page.evaluate(() => window.__qeFired || 0);
  t.eq({ seed: seed + offset, problems: problems.slice(0, 10), fired }, { seed: seed + offset, problems: [], fired: 0 });
}

export const tests = {
  async pastesOneToAHundred(t) { await run(t, 0); },
  async pastesAHundredToTwoHundred(t) { await run(t, 1); },
  async pastesTwoHundredToThreeHundred(t) { await run(t, 2); },
};
