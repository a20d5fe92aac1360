// The form sample (/qe/form_sample.asp) in a real browser: the stored row is
// shown in the component's field cells, a submit without changes changes
// nothing, and what is typed (quotes, markup characters, Chinese, line
// breaks, boxes ticked and unticked, rich text in the editor) comes back as
// it was typed.
import { logIn } from '../helpers.mjs';

const kForm = '../qe/form_sample.asp';

// What the form holds, as the browser would send it (line ends as LF).
function formState() {
  const form = document.forms.myform;
  const data = new FormData(form);
  const state = {};
  for (let [name, value] of data.entries()) {
    // The editor's own file choosers sit in the form too.
    if (name === 'save' || typeof value !== 'string') continue;
    value = value.replace(/\r\n/g, '\n');
    state[name] = name in state ? `${state[name]}, ${value}` : value;
  }
  state.editorShown = !!document.querySelector('.qeEditor');
  return state;
}

// The form saves only for a user the site's login step admits: the seeded
// administrator, with a password set.
async function openForm(t) {
  await logIn(t);
  return t.open(kForm);
}

async function save(page) {
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.locator('input[name=save]').click()]);
}

// The editor's frame, once the editor has been built on the field Content.
async function contentEditor(page) {
  const frame = await (await page.waitForSelector('.qeEditor iframe')).contentFrame();
  await frame.waitForSelector('body p');
  return frame;
}

export const tests = {
  async 'the stored row is shown in its controls'(t) {
    const page = await openForm(t);
    const state = await page.evaluate(formState);
    t.eq(state.Title, '表单示例');
    t.eq(state.Day, '2024-01-05', 'the date stamp reaches the date input');
    t.eq(state.Part, '网管中心');
    t.eq(state.Active, 'on');
    t.eq(state.Notes, '第一行');
    t.eq(state.Grades, 'a');
    t.eq(state.Amount, '1');
    t.eq(await page.locator('#Title').getAttribute('required'), '', 'the title may not stay empty');
    t.eq(state.Content, '<p>示例</p>');
    const editor = await contentEditor(page);
    t.eq(await editor.evaluate(() => document.body.innerHTML), '<p>示例</p>', 'the editor edits Content');
    t.ok(!(await page.locator('#Content').isVisible()), 'its text area is hidden');
    const shot = await t.shot('stored-row');
    t.ok(shot.endsWith('.png'));
  },

  async 'a submit without changes changes nothing'(t) {
    const page = await openForm(t);
    const before = await page.evaluate(formState);
    await save(page);
    t.ok(page.url().endsWith('/qe/form_sample.asp'), `back on the form: ${page.url()}`);
    t.eq(await page.evaluate(formState), before);
    await save(page);
    t.eq(await page.evaluate(formState), before);
  },

  async 'typed values come back as they were typed'(t) {
    const page = await openForm(t);
    const title = `O'Brien <b>&amp;</b> "q" 中文`;
    const notes = '\nfirst line after a break\na < b & c\r\n"quoted" </textarea><script>window.leaked=1</script>\n中文';
    await page.locator('#Title').fill(title);
    await page.locator('#Day').fill('2024-03-09');
    await page.locator('#Active').uncheck();
    await page.locator('#Notes').fill(notes);
    await page.locator('input[name=Grades][value=c]').check();
    await page.locator('#Amount').fill('42');
    await save(page);
    const saved = await page.evaluate(formState);
    t.eq(saved.Title, title);
    t.eq(saved.Day, '2024-03-09');
    t.eq(saved.Active, undefined, 'unticked');
    // The browser reads a text area's line ends as LF.
    t.eq(saved.Notes, notes.replace(/\r\n/g, '\n'));
    t.eq(saved.Grades, 'a, c');
    t.eq(saved.Amount, '42');
    t.eq(await page.evaluate(() => window.leaked), undefined, 'the stored text ran nothing');
    await t.shot('typed-values');
    await save(page);
    t.eq(await page.evaluate(formState), saved, 'saved again unchanged');
  },

  async 'rich text reaches the editor as text and comes back unchanged'(t) {
    const page = await openForm(t);
    const rich = '<p>x &lt;y&gt; &amp; 中</p>';
    let editor = await contentEditor(page);
    await editor.evaluate(() => {
      const range = document.createRange();
      range.selectNodeContents(document.querySelector('p'));
      getSelection().removeAllRanges();
      getSelection().addRange(range);
    });
    await editor.locator('body').pressSequentially('x <y> & 中');
    await save(page);
    t.eq((await page.evaluate(formState)).Content, rich, 'typed markup characters are saved as text');

    editor = await contentEditor(page);
    t.eq(await editor.evaluate(() => document.body.innerHTML), rich);
    t.eq(await editor.evaluate(() => [document.querySelectorAll('y').length, document.querySelector('p').textContent]),
      [0, 'x <y> & 中'], 'no element of the text');
    await t.shot('rich-text');
    await save(page);
    t.eq((await page.evaluate(formState)).Content, rich, 'saved again unchanged');
    editor = await contentEditor(page);
    t.eq(await editor.evaluate(() => document.body.innerHTML), rich);
  },

  async 'a link saved in an article opens a new window from the article page'(t) {
    const page = await openForm(t);
    const link = '<p><a href="/fixtures/article_link.htm" target="_blank">链接</a></p>';
    const editor = await contentEditor(page);
    await editor.evaluate((html) => { document.body.innerHTML = html; }, link);
    await save(page);
    t.eq((await page.evaluate(formState)).Content, link);

    await page.goto(t.url('../comm/tymk_ArticleRead.asp?ReadType=FormSample&Id=1'), { waitUntil: 'load' });
    const article = page.frameLocator('#article');
    t.eq(await article.locator('body').evaluate(() => self.origin), 'null', 'the article has no origin of its own');
    const [linked] = await Promise.all([page.context().waitForEvent('page'), article.locator('a').click()]);
    await linked.waitForLoadState('load');
    t.eq(new URL(linked.url()).pathname, '/fixtures/article_link.htm');
    t.eq(await linked.locator('#linked').textContent(), '链接的页面', 'the linked page runs its scripts');
    await t.shot('article-link');
  },
};
