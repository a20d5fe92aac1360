// The copy into the text area: after every change and on submit, so that a
// form sent at once carries what was just typed or done.
import { clickEntry, entry, fixture, openEditor, paste, selectIn, textareaValue } from '../editor_helpers.mjs';

// The next post of the page's form, as name -> value.
function capturePost(t) {
  return new Promise((done) => {
    t.page.route('**/posted.htm', async (route) => {
      done(Object.fromEntries(new URLSearchParams(route.request().postData() || '')));
      await route.fulfill({ status: 200, contentType: 'text/html', body: '<p>posted</p>' });
    });
  });
}

async function typeInEditor(t, text) {
  await t.page.frameLocator('iframe[id^="_iframe"]').locator('p').last().click();
  await t.page.keyboard.press('End');
  await t.page.keyboard.type(text);
}

export const tests = {
  async typedTextIsCopiedAtOnce(t) {
    await openEditor(t, { value: '<p>a</p>' });
    await typeInEditor(t, 'bc');
    t.eq(await textareaValue(t), '<p>abc</p>');
  },

  async theSubmitButtonRightAfterTyping(t) {
    await openEditor(t, { value: '<p>x</p>' });
    const posted = capturePost(t);
    await typeInEditor(t, 'yz');
    await t.page.locator('#save').click();
    t.eq((await posted).content, '<p>xyz</p>');
  },

  async formSubmitRightAfterACommand(t) {
    await openEditor(t, { value: '<p>bold me</p>' });
    const posted = capturePost(t);
    await selectIn(t, 'p');
    await clickEntry(t, 'bold');
    await t.page.evaluate(() => document.getElementById('myform').submit());
    t.eq((await posted).content, '<p><span style="font-weight: bold;">bold me</span></p>');
  },

  async formSubmitRightAfterAPasteOrADialog(t) {
    await openEditor(t, { value: '<p>x</p>' });
    await selectIn(t, 'p', { collapse: true });
    await paste(t, { text: 'pasted' });
    t.eq(await textareaValue(t), '<p>xpasted</p>');
    await entry(t, 'music').click();
    await t.page.locator('input[id^="_musicInput"]').fill('song.mp3');
    const posted = capturePost(t);
    await t.page.evaluate(() => {
      document.querySelector('div.qeEditor-popup[id^="_music"] button.qeEditor-btn').click();
      document.getElementById('myform').submit();
    });
    t.eq((await posted).content, '<p>xpasted<audio controls="controls" src="song.mp3"></audio></p>');
  },

  async thePagesSubmitHandlerSeesTheCopy(t) {
    await openEditor(t, { value: '<p>old</p>' });
    const posted = capturePost(t);
    await t.page.evaluate(() => {
      const form = document.getElementById('myform');
      form.onsubmit = () => { window.seenBySubmit = document.getElementById('content').value; return true; };
      window.ed.d.body.innerHTML = '<p>changed without an input event</p>';
    });
    await t.page.locator('#save').click();
    t.eq((await posted).content, '<p>changed without an input event</p>');
  },

  async theSourceViewIsCopiedAsHtml(t) {
    await openEditor(t, { value: '<p>a</p>' });
    await clickEntry(t, 'code');
    await t.page.evaluate(() => { window.ed.d.body.innerHTML += '&lt;p&gt;b&lt;/p&gt;'; });
    const posted = capturePost(t);
    await t.page.locator('#save').click();
    t.eq((await posted).content, '<p>a</p><p>b</p>');
  },

  async theTimerStillCopiesOnceASecond(t) {
    await t.page.clock.install();
    await openEditor(t, { value: '<p>a</p>' });
    await t.page.evaluate(() => { window.ed.d.body.firstChild.textContent = 'timer'; });
    await t.page.clock.runFor(1000);
    t.eq(await t.page.evaluate(() => document.getElementById('content').value), '<p>timer</p>');
  },

  async twoEditorsPostTheirOwnFields(t) {
    await t.open(fixture);
    await t.page.evaluate(() => {
      for (const id of ['content', 'summary']) {
        const area = document.createElement('textarea');
        area.id = area.name = id;
        area.value = '<p>' + id + '</p>';
        document.getElementById('place').appendChild(area);
        window[id] = qe.editor(id);
      }
    });
    const posted = capturePost(t);
    await t.page.frameLocator('iframe[id^="_iframe"]').nth(1).locator('p').click();
    await t.page.keyboard.press('End');
    await t.page.keyboard.type('!');
    await t.page.locator('#save').click();
    const fields = await posted;
    t.eq([fields.content, fields.summary], ['<p>content</p>', '<p>summary!</p>']);
  },
};
