// The toolbar: each command's effect on the content, drop-downs, the table
// picker, full screen, the source view's mask, the paste toggle and the
// toolbar's state.
import { bodyHTML, clickEntry, entry, openEditor, selectIn, settled } from '../editor_helpers.mjs';

async function commandState(t, name) {
  return t.page.evaluate((name) => window.ed.d.queryCommandState(name), name);
}

export const tests = {
  async boldItalicAndStrikeGoOnAndOff(t) {
    await openEditor(t, { value: '<p>hello</p>' });
    for (const name of ['bold', 'italic']) {
      await selectIn(t, 'p');
      await clickEntry(t, name);
      t.ok(await commandState(t, name), `${name} on`);
      await clickEntry(t, name);
      t.ok(!(await commandState(t, name)), `${name} off`);
    }
    t.eq(await t.page.evaluate(() => window.ed.d.body.textContent), 'hello');
    await selectIn(t, 'p');
    await clickEntry(t, 'bold');
    t.ok((await bodyHTML(t)).includes('font-weight: bold'), 'commands write styles (styleWithCSS)');
    await clickEntry(t, 'bold');

    await selectIn(t, 'p');
    await clickEntry(t, 'strikeThrough');
    t.eq(await t.page.evaluate(() => {
      const span = window.ed.d.querySelector('span');
      return span && [span.style.textDecoration, span.textContent];
    }), ['line-through', 'hello']);
    await selectIn(t, 'span', { offset: 2 });
    await clickEntry(t, 'strikeThrough');
    t.eq(await bodyHTML(t), '<p>hello</p>');
    t.eq(await t.page.evaluate(() => document.getElementById('content').value), '<p>hello</p>');
  },

  async listsRuleAndAlignment(t) {
    await openEditor(t, { value: '<p>one</p>' });
    await selectIn(t, 'p');
    await clickEntry(t, 'insertOrderedList');
    t.eq(await t.page.evaluate(() => window.ed.d.querySelectorAll('ol > li').length), 1);
    await clickEntry(t, 'insertOrderedList');
    t.eq(await t.page.evaluate(() => window.ed.d.querySelectorAll('ol').length), 0);
    await selectIn(t, 'p');
    await clickEntry(t, 'insertUnorderedList');
    t.eq(await t.page.evaluate(() => window.ed.d.body.querySelector('ul > li').textContent), 'one');
    await clickEntry(t, 'insertUnorderedList');
    await selectIn(t, null);
    await clickEntry(t, 'justifyCenter');
    t.eq(await t.page.evaluate(() => getComputedStyle(window.ed.d.body.firstElementChild).textAlign), 'center');
    await clickEntry(t, 'justifyRight');
    t.eq(await t.page.evaluate(() => getComputedStyle(window.ed.d.body.firstElementChild).textAlign), 'right');
    await selectIn(t, null, { collapse: true });
    await clickEntry(t, 'hr');
    t.eq(await t.page.evaluate(() => window.ed.d.querySelectorAll('hr').length), 1);
    t.ok((await t.page.evaluate(() => document.getElementById('content').value)).includes('<hr'),
      await t.page.evaluate(() => document.getElementById('content').value));
  },

  async aLinkTakesTheSelectionAndItsTarget(t) {
    await openEditor(t, { value: '<p>see <a href="old.htm">the <b>site</b></a> now</p>' });
    await selectIn(t, 'p');
    await entry(t, 'createLink').click();
    const dialog = t.page.locator('div.qeEditor-popup[id^="_link"]');
    t.ok(await dialog.locator('.qeEditor-popupMain').isVisible(), 'dialog shown');
    await t.page.locator('input[id^="_LinkInput"]').fill('https://example.com/a?b=1&c=2');
    await dialog.locator('button.qeEditor-btn').click();
    t.ok(!(await dialog.locator('.qeEditor-popupMain').isVisible()), 'dialog hidden');
    t.eq(await bodyHTML(t), '<p><a href="https://example.com/a?b=1&amp;c=2" target="_blank">see the <b>site</b> now</a></p>');

    await t.page.evaluate(() => window.ed.setValue('<p>plain</p>'));
    await selectIn(t, 'p');
    await entry(t, 'createLink').click();
    await dialog.locator('input[type=checkbox]').uncheck();
    await t.page.locator('input[id^="_LinkInput"]').fill('page.htm');
    await t.page.locator('input[id^="_LinkInput"]').press('Enter');  // Enter confirms and never posts the form
    t.eq(await bodyHTML(t), '<p><a href="page.htm">plain</a></p>');
    t.eq(t.page.url().endsWith('.htm') && !t.page.url().includes('posted'), true);
  },

  async theTablePickerInsertsRowsByColumns(t) {
    await openEditor(t, { value: '<p>x</p>' });
    await selectIn(t, 'p', { collapse: true });
    await entry(t, 'table').hover();
    await settled(entry(t, 'table').locator('.qeEditor-menuDropdown'));
    const box = await t.page.locator('.qeEditor-tableBox').boundingBox();
    await t.page.mouse.move(box.x + 5 + 3 * 18 - 4, box.y + 5 + 2 * 18 - 4, { steps: 3 });
    t.eq(await t.page.locator('.qeEditor-tableNum').textContent(), '表格：3×2');
    await t.shot('table-picker');
    await t.page.mouse.down();
    await t.page.mouse.up();
    const table = await t.page.evaluate(() => {
      const table = window.ed.d.querySelector('table');
      return { rows: table.rows.length, cells: table.rows[0].cells.length, width: table.getAttribute('width'),
        border: table.getAttribute('border'), cls: table.className, collapse: table.style.borderCollapse,
        spacing: table.style.borderSpacing, line: table.style.border, cell: table.rows[1].cells[2].innerHTML };
    });
    t.eq(table, { rows: 2, cells: 3, width: '100%', border: '1', cls: 'table table-border', collapse: 'collapse',
      spacing: '0px', line: '1px solid rgb(189, 189, 189)', cell: '<br>' });
  },

  async theTablePickersCornerGivesOneByOne(t) {
    await openEditor(t, { value: '<p>x</p>' });
    await selectIn(t, 'p', { collapse: true });
    await entry(t, 'table').hover();
    await settled(entry(t, 'table').locator('.qeEditor-menuDropdown'));
    const box = await t.page.locator('.qeEditor-tableBox').boundingBox();
    await t.page.mouse.move(box.x + 20, box.y + 20);
    await t.page.mouse.move(box.x + 2, box.y + 2, { steps: 2 });
    t.eq(await t.page.locator('.qeEditor-tableNum').textContent(), '表格：1×1');
    await t.page.mouse.down();
    await t.page.mouse.up();
    t.eq(await t.page.evaluate(() => [window.ed.d.querySelectorAll('table tr').length,
      window.ed.d.querySelectorAll('table td').length]), [1, 1]);
  },

  async dropDownsOpenOnHoverAndCloseOnAChoice(t) {
    // The page's clock stands still from the choice on, so the half second in
    // which pointing does not reopen the panel is counted exactly, however
    // slowly a loaded machine moves the pointer.
    await t.page.clock.install();
    await openEditor(t, { value: '<p>sized</p>' });
    const panel = entry(t, 'fontSize').locator('.qeEditor-menuDropdown');
    const open = () => panel.evaluate((el) => el.classList.contains('qeEditor-menuActive'));
    t.ok(!(await panel.isVisible()), 'closed at first');
    await entry(t, 'fontSize').hover();
    t.ok(await open(), 'opened by pointing');
    const items = await panel.locator('span.qeEditor-exec').evaluateAll((spans) => spans.map((s) => s.getAttribute('data')));
    t.eq(items, ['fontSize|1', 'fontSize|2', 'fontSize|3', 'fontSize|4', 'fontSize|5', 'fontSize|6', 'fontSize|7']);
    t.eq(await panel.locator('.qeEditor-menuTitle').textContent(), '文字大小');
    await selectIn(t, 'p');
    await settled(panel);
    await t.page.clock.pauseAt(await t.page.evaluate(() => Date.now() + 1000));
    await panel.locator('span[data="fontSize|5"]').click();
    t.ok(!(await open()), 'closed by the choice');
    const pointAgain = async () => {
      await t.page.mouse.move(5, 5);
      await entry(t, 'fontSize').hover();
      return open();
    };
    t.ok(!(await pointAgain()), 'kept closed at once');
    await t.page.clock.runFor(499);
    t.ok(!(await pointAgain()), 'still closed at 499 ms');
    await t.page.clock.runFor(1);
    t.ok(await pointAgain(), 'opens again at half a second');
    t.eq(await t.page.evaluate(() => getComputedStyle(window.ed.d.querySelector('p span, p font')).fontSize), '24px');
  },

  async colourSwatchesApplyTheirColour(t) {
    await openEditor(t, { value: '<p>red</p>', options: { foreColor: ['#ff0000', '#00ff00'] } });
    const swatches = await entry(t, 'foreColor').locator('span.qeEditor-exec').evaluateAll((spans) =>
      spans.map((s) => [s.getAttribute('data'), s.style.backgroundColor]));
    t.eq(swatches, [['foreColor|#ff0000', 'rgb(255, 0, 0)'], ['foreColor|#00ff00', 'rgb(0, 255, 0)']]);
    t.eq(await entry(t, 'backColor').locator('span.qeEditor-exec').count(), 70);
    await selectIn(t, 'p');
    await entry(t, 'foreColor').hover();
    await settled(entry(t, 'foreColor').locator('.qeEditor-menuDropdown'));
    await entry(t, 'foreColor').locator('span[data="foreColor|#ff0000"]').click();
    t.eq(await t.page.evaluate(() => getComputedStyle(window.ed.d.querySelector('p span')).color), 'rgb(255, 0, 0)');
  },

  async dropDownsAndDialogsStayInsideTheWindow(t) {
    for (const width of [800, 1024, 1280]) {
      await t.page.setViewportSize({ width, height: 700 });
      await openEditor(t, { value: '<p>x</p>' });
      const room = await t.page.evaluate(() => document.documentElement.clientWidth);
      const inside = (box, what) =>
        t.ok(box.x >= 0 && box.x + box.width <= room, `${what} at ${width} px: ${box.x} to ${box.x + box.width}`);
      for (const name of ['backColor', 'fontSize', 'foreColor', 'face', 'table']) {
        await t.page.mouse.move(room / 2, 690);
        await entry(t, name).hover();
        const panel = entry(t, name).locator('.qeEditor-menuDropdown');
        await settled(panel);
        inside(await panel.boundingBox(), name);
        if (width === 1024 && name === 'face') await t.shot('face-panel-1024');
      }
      for (const name of ['createLink', 'music', 'files', 'insertImage', 'video']) {
        await clickEntry(t, name);
        const dialog = t.page.locator('.qeEditor-popupMain:visible');
        await settled(dialog);
        inside(await dialog.boundingBox(), name);
        await dialog.locator('.qeEditor-popupClose').click();
      }
    }
  },

  async fullScreenAndRestore(t) {
    await openEditor(t, { options: { width: '700px', height: '250px' } });
    await clickEntry(t, 'max');
    const max = await t.page.evaluate(() => {
      const ed = window.ed, box = getComputedStyle(ed.editor);
      return { position: box.position, top: box.top, z: box.zIndex === ed.getTime,
        width: ed.editor.style.width + ' ' + box.left,
        frame: ed.iframe.style.height === (window.innerHeight - 55) + 'px',
        maxShown: getComputedStyle(ed.menuList.max).display, minShown: getComputedStyle(ed.menuList.min).display };
    });
    t.eq(max, { position: 'fixed', top: '0px', z: true, width: '100% 0px', frame: true, maxShown: 'none', minShown: 'block' });
    await t.shot('full-screen');
    await clickEntry(t, 'min');
    const min = await t.page.evaluate(() => {
      const ed = window.ed;
      return { style: ed.editor.style.cssText, frame: ed.iframe.style.height,
        maxShown: getComputedStyle(ed.menuList.max).display, minShown: getComputedStyle(ed.menuList.min).display };
    });
    t.eq(min, { style: '', frame: '250px', maxShown: 'block', minShown: 'none' });
  },

  async withoutMaxWindowTheMaskIsStillLast(t) {
    await openEditor(t, { options: { maxWindow: 0, menu: ['bold'] } });
    t.eq(await t.page.evaluate(() => Array.from(window.ed.tool.querySelectorAll('ul.qeEditor-menu > li'))
      .map((li) => li.className || 'entry')), ['entry', 'qeEditor-disabledMask']);
  },

  async theSourceViewMasksAllButItsButton(t) {
    await openEditor(t, { value: '<p>a</p><p>b &lt; c</p>' });
    await clickEntry(t, 'code');
    const on = await t.page.evaluate(() => {
      const ed = window.ed;
      const hit = (el) => {
        const box = el.getBoundingClientRect();
        return document.elementFromPoint(box.left + box.width / 2, box.top + box.height / 2);
      };
      const code = ed.tool.querySelector('div[data="code"]');
      return { mask: getComputedStyle(ed.menuList.disabled).display, button: code.className,
        boldCovered: hit(ed.tool.querySelector('div[data="bold"]')) === ed.menuList.disabled,
        codeFree: code.contains(hit(code)), bodyClass: ed.d.body.className, text: ed.d.body.textContent };
    });
    t.eq(on, { mask: 'block', button: 'qeEditor-exec qeEditor-active', boldCovered: true, codeFree: true,
      bodyClass: 'qeEditor-code', text: '<p>a</p>\n<p>b &lt; c</p>' });
    await t.shot('source-view');
    await clickEntry(t, 'code');
    t.eq(await bodyHTML(t), '<p>a</p>\n<p>b &lt; c</p>');
    t.eq(await t.page.evaluate(() => [getComputedStyle(window.ed.menuList.disabled).display, window.ed.code]),
      ['none', 0]);
  },

  async theSourceViewShowsPreLinesAndTakesThemBack(t) {
    await openEditor(t, { value: '<p>x</p><pre>1<br>2</pre><p>y</p>' });
    await clickEntry(t, 'code');
    t.eq(await t.page.evaluate(() => window.ed.d.body.textContent), '<p>x</p>\n<pre>1\n2</pre>\n<p>y</p>');
    await clickEntry(t, 'code');
    t.eq(await bodyHTML(t), '<p>x</p>\n<pre>1<br>2</pre>\n<p>y</p>');
  },

  async thePasteToggleIsLitForRichPaste(t) {
    await openEditor(t);
    const state = () => t.page.evaluate(() => [window.ed.pasteText, window.ed.menuList.paste.classList.contains('qeEditor-active-s')]);
    t.eq(await state(), [1, false]);
    await clickEntry(t, 'paste');
    t.eq(await state(), [0, true]);
    await clickEntry(t, 'paste');
    t.eq(await state(), [1, false]);
  },

  async theToolbarFollowsTheClickedText(t) {
    await openEditor(t, { value: '<p><b>strong</b> plain <i>slanted</i></p>' });
    const frame = t.page.frameLocator('iframe[id^="_iframe"]');
    await frame.locator('b').click();
    const lit = () => t.page.evaluate(() => ['bold', 'italic'].map((name) => window.ed.menuList[name].classList.contains('qeEditor-actives')));
    t.eq(await lit(), [true, false]);
    t.eq(await t.page.evaluate(() => window.ed.parentTagName), 'B');
    await frame.locator('i').click();
    t.eq(await lit(), [false, true]);
  },

  async otherCommandsRunAsTheBrowsersEditingCommands(t) {
    await openEditor(t, { value: '<p>abc</p>', options: { menu: ['subscript', 'superscript', 'underline', 'selectAll', 'removeFormat'] } });
    await selectIn(t, 'p');
    await clickEntry(t, 'subscript');
    t.ok(await commandState(t, 'subscript'), 'subscript');
    await clickEntry(t, 'subscript');
    await clickEntry(t, 'underline');
    t.ok(await commandState(t, 'underline'), 'underline');
    await clickEntry(t, 'removeFormat');
    t.ok(!(await commandState(t, 'underline')), 'format removed');
    await selectIn(t, 'p', { collapse: true });
    await clickEntry(t, 'selectAll');
    t.eq(await t.page.evaluate(() => window.ed.getSelectText()), 'abc');
  },
};

// Three widths, five panels that slide in over 0.4 s and five dialogs that
// open over 0.5 s each: 15 s of transitions, 33 s at ctest -j 16 on a busy
// machine.
tests.dropDownsAndDialogsStayInsideTheWindow.timeoutMs = 100000;
