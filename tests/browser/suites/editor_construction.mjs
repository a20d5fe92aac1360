// The editor's construction: binding to a text area or a div, the starting
// content, element ids, the callback and create(), the copy back into the
// text area, the installed stylesheet and sprite, plugin(), and the editing
// frame that runs no script.
import { addEditor, collectAlerts, collectConsole, fixture, openEditor, textareaValue } from '../editor_helpers.mjs';
import { pageSettled } from '../helpers.mjs';
import { drag } from '../helpers.mjs';

export const tests = {
  async textAreasStartWrappedInAParagraph(t) {
    await t.open(fixture);
    const cases = { plain: 'word', para: '<p>a</p><p>b</p>', empty: '', spaced: '  <p>x</p>', other: '<div>d</div>' };
    for (const [id, value] of Object.entries(cases)) await addEditor(t, { id, value });
    const bodies = await t.page.evaluate(() => Object.fromEntries(
      Object.entries(window.editors).map(([id, ed]) => [id, ed.getHTML()])));
    t.eq(bodies, { plain: '<p>word</p>', para: '<p>a</p><p>b</p>', empty: '<p></p>', spaced: '  <p>x</p>',
      other: '<p></p><div>d</div><p></p>' });
    const shape = await t.page.evaluate(() => {
      const ed = window.editors.plain;
      const area = document.getElementById('plain');
      return {
        hidden: area.style.display,
        next: area.nextElementSibling === ed.editor,
        boxId: ed.editor.id === '_div' + ed.getTime,
        boxClass: ed.editor.className,
        parts: Array.from(ed.editor.children).slice(0, 6).map((el) => el.tagName + '.' + el.className),
        toolId: ed.tool.id === '_tool' + ed.getTime,
        frameId: ed.iframe.id === '_iframe' + ed.getTime,
        dragId: ed.drag.id === '_drag' + ed.getTime,
        dragIcon: ed.drag.querySelector('use').getAttribute('href'),
        stamp: /^1\d{8}$/.test(ed.getTime),
      };
    });
    t.eq(shape, {
      hidden: 'none', next: true, boxId: true, boxClass: 'qeEditor',
      parts: ['STYLE.', 'DIV.qeEditor-tool qeEditor-noselect', 'IFRAME.qeEditor-noselect', 'DIV.qeEditor-dragBg',
        'DIV.qeEditor-drag qeEditor-noselect', 'DIV.qeEditor-disabled'],
      toolId: true, frameId: true, dragId: true, dragIcon: '#icon-drag', stamp: true,
    });
    await t.shot('five-editors');
  },

  async aDivIsEditedInPlace(t) {
    await openEditor(t, { tag: 'div', value: '<p>in a <b>div</b></p>' });
    const seen = await t.page.evaluate(() => {
      const div = document.getElementById('content');
      return { cls: div.classList.contains('qeEditor'), html: window.ed.getHTML(), textarea: window.ed.textarea,
        box: window.ed.editor === div, extraBox: !!document.getElementById('_div' + window.ed.getTime),
        first: div.firstElementChild.tagName };
    });
    t.eq(seen, { cls: true, html: '<p>in a <b>div</b></p>', textarea: 0, box: true, extraBox: false, first: 'STYLE' });
  },

  async aMissingIdAlertsAndOtherTagsOnlyLog(t) {
    await t.open(fixture);
    const alerts = collectAlerts(t);
    const lines = collectConsole(t);
    const built = await t.page.evaluate(() => {
      const span = document.createElement('span');
      span.id = 'notes';
      document.body.appendChild(span);
      qe.editor('nothing-here');
      qe.editor('notes');
      return document.querySelectorAll('.qeEditor').length;
    });
    // The alert held the script until it was answered: both lines are in.
    t.eq(alerts, ['请提供一个有效的id']);
    t.ok(lines.includes('qeEditor：暂不支持该标签「SPAN」，推荐使用div或textarea'), lines.join('\n'));
    t.eq(built, 0);
  },

  async twoEditorsInOneMillisecondTakeDifferentStamps(t) {
    await t.open(fixture);
    await t.page.evaluate(() => {
      const fixed = 1700000123456;
      Date.prototype.getTime = () => fixed;
      Date.now = () => fixed;
    });
    await addEditor(t, { id: 'first' });
    await addEditor(t, { id: 'second' });
    const seen = await t.page.evaluate(() => {
      const [a, b] = [window.editors.first, window.editors.second];
      a.ajax.success = function () { return 'mine'; };
      return { a: a.getTime, b: b.getTime, frames: document.querySelectorAll('iframe[id^="_iframe"]').length,
        distinct: new Set(Array.from(document.querySelectorAll('[id]')).map((el) => el.id)).size ===
          document.querySelectorAll('[id]').length,
        ownHook: b.ajax.success('x') === 'x', ownRoutine: a.ajax !== b.ajax };
    });
    t.eq(seen, { a: '100012345', b: '100012346', frames: 2, distinct: true, ownHook: true, ownRoutine: true });
  },

  async theCallbackRunsOnceAndCreateAppliesItsOptions(t) {
    await openEditor(t, { options: { width: '600px', height: '200px', menu: ['bold', 'line', 'italic', 'nosuch'] } });
    const seen = await t.page.evaluate(() => ({
      callbacks: window.callbacks,
      itself: window.callbackSawItself,
      entries: Array.from(window.ed.tool.querySelectorAll('ul.qeEditor-menu > li'))
        .map((li) => li.className || li.firstChild.title),
      boxWidth: window.ed.editor.style.width,
      frame: [window.ed.iframe.style.width, window.ed.iframe.style.height, window.ed.iframe.offsetHeight],
    }));
    t.eq(seen, {
      callbacks: 1, itself: true,
      entries: ['加粗', 'qeEditor-line', '倾斜', 'qeEditor-maxWindow', 'qeEditor-minWindow', 'qeEditor-disabledMask'],
      boxWidth: '600px', frame: ['600px', '200px', 200],
    });
  },

  async theDisabledOverlayAndDesignModeSwitch(t) {
    await openEditor(t, { options: { disabled: 1 } });
    t.eq(await t.page.evaluate(() => getComputedStyle(window.ed.disableds).display), 'block');
    const modes = await t.page.evaluate(() => {
      const ed = window.ed;
      ed.inputDisabled();
      const off = [ed.d.designMode, ed.d.body.isContentEditable];
      ed.inputEnable();
      return [off, [ed.d.designMode, ed.d.body.isContentEditable]];
    });
    t.eq(modes, [['off', false], ['on', true]]);
  },

  async theTextareaGetsRealHtmlAndPreLineFeeds(t) {
    await openEditor(t, { value: '<p>a &amp; b</p><pre>one<br>two<br>three</pre><p>x<br>y</p>' });
    await t.page.evaluate(() => window.ed.setTextarea());
    t.eq(await textareaValue(t), '<p>a &amp; b</p><pre>one\ntwo\nthree</pre><p>x<br>y</p>');
    await t.page.locator('div.qeEditor-exec[data="code"]').click();
    t.ok((await t.page.evaluate(() => window.ed.getHTML())).includes('&lt;p&gt;a &amp;amp; b'), 'escaped source');
    await t.page.evaluate(() => window.ed.setTextarea());
    t.eq(await textareaValue(t), '<p>a &amp; b</p>\n<pre>one\ntwo\nthree</pre>\n<p>x<br>y</p>');
  },

  async valuesAndTextThroughThePageCalls(t) {
    await openEditor(t, { value: '<p>start</p>' });
    const seen = await t.page.evaluate(() => {
      const ed = window.ed;
      ed.setValue('<p>one</p>');
      const afterSet = document.getElementById('content').value;
      ed.addValue('<p>two</p>');
      return { afterSet, afterAdd: document.getElementById('content').value, html: ed.getHTML(),
        value: ed.getValue(), text: ed.getText().replace(/\n+/g, '|') };
    });
    t.eq(seen, { afterSet: '<p>one</p>', afterAdd: '<p>one</p><p>two</p>', html: '<p>one</p><p>two</p>',
      value: '<p>one</p><p>two</p>', text: 'one|two' });
  },

  async inputCallbackGetsHtmlAndText(t) {
    await openEditor(t, { value: '<p></p>' });
    await t.page.evaluate(() => {
      window.inputs = [];
      window.ed.inputCallback(function (html, text) { window.inputs.push([this === window.ed, html, text]); });
    });
    await t.page.frameLocator('iframe[id^="_iframe"]').locator('body').click();
    await t.page.keyboard.type('ab');
    const inputs = await t.page.evaluate(() => window.inputs);
    t.eq(inputs[inputs.length - 1], [true, '<p>ab</p>', 'ab']);
  },

  async theFrameRunsNoScriptOfItsContent(t) {
    await openEditor(t, {
      value: '<p><img src="missing.png" onerror="parent.fired=(parent.fired||0)+1">text</p>' +
        '<svg onload="parent.fired=(parent.fired||0)+10"></svg><img src=x onerror=parent.fired=100>',
    });
    // The pictures have failed (their handlers with them) and the page has settled.
    await t.page.waitForFunction(() => Array.from(window.ed.d.images).every((img) => img.complete));
    await pageSettled(t.page);
    const seen = await t.page.evaluate(() => ({
      fired: window.fired || 0,
      first: window.ed.d.head.firstElementChild.outerHTML,
      kept: window.ed.getHTML().includes('onerror'),
    }));
    t.eq(seen, { fired: 0, first: '<meta http-equiv="Content-Security-Policy" content="script-src \'none\'">',
      kept: true });
  },

  async oneStylesheetAndOneSpriteWhateverTheEditors(t) {
    await t.open(fixture);
    await addEditor(t, { id: 'first' });
    await addEditor(t, { id: 'second' });
    const seen = await t.page.evaluate(() => {
      window.editors.first.create();
      const sprite = document.getElementById('qeEditor-icon');
      const box = sprite.getBoundingClientRect();
      return {
        css: document.querySelectorAll('#qeEditor-css').length,
        icons: document.querySelectorAll('#qeEditor-icon').length,
        inHead: document.getElementById('qeEditor-css').parentNode === document.head,
        first: document.body.firstChild === sprite,
        hidden: sprite.getAttribute('aria-hidden'),
        size: [box.width, box.height, getComputedStyle(sprite).overflow, getComputedStyle(sprite).position],
        symbols: sprite.querySelectorAll('symbol').length,
        svgCleared: qe.editor.svg,
        css0: qe.editor.css.indexOf('.qeEditor{'),
      };
    });
    t.eq(seen, { css: 1, icons: 1, inHead: true, first: true, hidden: 'true', size: [0, 0, 'hidden', 'absolute'],
      symbols: 44, svgCleared: '', css0: 0 });
  },

  async aGlobalIconWithoutSvgInstallsOnlyTheStylesheet(t) {
    await openEditor(t, { options: { globalIcon: '<b>no sprite here</b>', globalCss: '.qeEditor{border:3px solid red}' } });
    const seen = await t.page.evaluate(() => ({
      css: document.getElementById('qeEditor-css').textContent,
      icon: document.getElementById('qeEditor-icon'),
      border: getComputedStyle(window.ed.editor).borderTopWidth,
    }));
    t.eq(seen, { css: '.qeEditor{border:3px solid red}', icon: null, border: '3px' });
  },

  async pluginAddsAnEntryAndRefusesBadNames(t) {
    await openEditor(t);
    const lines = collectConsole(t);
    await t.page.evaluate(() => {
      const ed = window.ed;
      window.placed = 0;
      window.clicked = [];
      ed.plugin({});
      ed.plugin({ name: 'bold' });
      ed.plugin({ name: 'mine', title: '我的', menu: '<b>M</b>', css: 'mine', style: '.mine{color:#123456}',
        success: function (li, editor) { window.placed += li.className === 'mine' && editor === ed ? 1 : 0; },
        click: function (li, editor) { window.clicked.push(li.className + '|' + (editor === ed)); } });
      ed.plugin({ name: 'mine' });
      ed.create();
    });
    await t.page.locator('li.mine > div.qeEditor-exec').click();
    const seen = await t.page.evaluate(() => ({
      menu: window.ed.menu.slice(-2),
      button: document.querySelector('li.mine > div.qeEditor-exec').innerHTML,
      placed: window.placed,
      clicked: window.clicked,
      styled: getComputedStyle(document.querySelector('li.mine > div.qeEditor-exec')).color,
    }));
    t.eq(seen, { menu: ['code', 'mine'], button: '<b>M</b>', placed: 1, clicked: ['mine|true'],
      styled: 'rgb(18, 52, 86)' });
    t.ok(lines.includes('plugin：menu参数不能为空'), lines.join('\n'));
    t.eq(lines.filter((line) => line === 'plugin：menu已经存在，请重新命名').length, 2);
  },

  async theHandleResizesTheFrame(t) {
    await openEditor(t, { options: { height: '300px' } });
    const before = await t.page.evaluate(() => window.ed.iframe.clientHeight);
    await drag(t.page, '.qeEditor-drag', 0, 120);
    const after = await t.page.evaluate(() => [window.ed.iframe.clientHeight, window.ed.height,
      getComputedStyle(window.ed.dragBg).display]);
    t.near(after[0], before + 120, 2, 'frame height');
    t.eq(after[1], after[0] + 'px');
    t.eq(after[2], 'none');
  },
};
