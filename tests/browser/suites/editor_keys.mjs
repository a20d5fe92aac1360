// Keys of the editing frame: Enter inside a pre block, and the shortcuts the
// editor keeps from the browser.
import { bodyHTML, openEditor, selectIn, textareaValue } from '../editor_helpers.mjs';

export const tests = {
  async enterAtTheEndOfAPreAddsALineThere(t) {
    await openEditor(t, { value: '<p>x</p><pre>abc</pre>' });
    await selectIn(t, 'pre', { offset: 3 });
    await t.page.keyboard.press('Enter');
    await t.page.keyboard.type('d');
    t.eq(await t.page.evaluate(() => window.ed.d.querySelector('pre').innerHTML), 'abc<br>d');
    t.eq(await t.page.evaluate(() => window.ed.d.querySelectorAll('pre').length), 1);
    t.ok((await textareaValue(t)).includes('<pre>abc\nd</pre>'), await textareaValue(t));
  },

  async enterBeforeAnElementOfThePreAddsOneBreak(t) {
    await openEditor(t, { value: '<p>x</p><pre>ab<br>cd</pre>' });
    await selectIn(t, 'pre', { offset: 1 });
    await t.page.keyboard.press('Enter');
    t.eq(await t.page.evaluate(() => window.ed.d.querySelector('pre').innerHTML), 'a<br>b<br>cd');
  },

  async enterDeeperInAPreIsKeptFromTheBrowser(t) {
    await openEditor(t, { value: '<p>x</p><pre><b>bold</b></pre>' });
    await selectIn(t, 'pre b', { offset: 2 });
    await t.page.keyboard.press('Enter');
    t.eq(await t.page.evaluate(() => window.ed.d.querySelector('pre').innerHTML), '<b>bold</b>');
    // A click noted the pre: the break goes in as markup.
    await t.page.evaluate(() => { window.ed.parentTagName = 'PRE'; });
    await selectIn(t, 'pre b', { offset: 2 });
    await t.page.keyboard.press('Enter');
    t.eq(await t.page.evaluate(() => window.ed.d.querySelector('pre').innerHTML), '<b>bo<br>ld</b>');
  },

  async enterOutsideAPreIsTheBrowsers(t) {
    await openEditor(t, { value: '<p>one</p>' });
    await selectIn(t, 'p', { collapse: true });
    await t.page.keyboard.press('Enter');
    await t.page.keyboard.type('two');
    t.eq(await bodyHTML(t), '<p>one</p><p>two</p>');
  },

  async controlShortcutsAreKeptFromTheBrowser(t) {
    await openEditor(t, { value: '<p>word</p>' });
    await selectIn(t, 'p');
    for (const key of ['Control+b', 'Control+i', 'Control+u', 'Meta+b', 'Control+Enter']) await t.page.keyboard.press(key);
    t.eq(await bodyHTML(t), '<p>word</p>');
    const prevented = await t.page.evaluate(() => [66, 98, 73, 105, 85, 117, 13, 65].map((keyCode) => {
      const event = new window.ed.w.KeyboardEvent('keydown', { keyCode, ctrlKey: true, bubbles: true, cancelable: true });
      window.ed.d.body.dispatchEvent(event);
      return event.defaultPrevented;
    }));
    t.eq(prevented, [true, true, true, true, true, true, true, false]);
  },
};
