// The client-script libraries in a real browser: all of them on one page
// without a script error, and what pages do with them: key navigation, the
// list menu, the progress layer, the form check, the tooltip, picture zoom,
// scrolling, the back-to-top marker and the background loader.
import { nextFrames, wheel } from '../helpers.mjs';

const kLibraries = [
  'launchFullScreen', 'exitFullscreen', 'isFullScreen', 'toggleFullScreen', 'DownImage', 'cgimg', 'kesra_showpic',
  'dheight', 'xheight', 'dwidth', 'xwidth', 'photohy', 'NoContextMenu', 'NoRightClick', 'NoCtrlN', 'CancelLink',
  'cform', 'killErrors', 'OpenWindowModalScroll', 'OpenWindowModalNoScroll', 'OpenWindowFullScreen',
  'OpenWindowCenterScreen', 'OpenWindowQQNoScroll', 'OpenWindowQQScroll', 'OpenWindowResize', 'OpenWindow1',
  'OpenWindow', 'PopSelectData', 'ShowIframe', 'ShowHtmlString', 'ShowConfirm', 'ShowAlert', 'ShowCallBack',
  'ClosePop', 'onKeyDownDefault', 'IsDigit', 'IsDigitAndSign', 'initIt', 'expandIt', 'moveIt', 'popwish',
  'get_mouse', 'kill', 'ShowMenu', 'initialize', 'sc', 'KesraScriptScrollWindow', 'checkform',
  'KesraRegCheckIsTelephone', 'KesraRegCheckIsEmail', 'KesraRegCheckIsInteger', 'KesraRegCheckIsAge',
  'KesraRegCheckIsValidTrueName', 'KesraRegCheckIsChinese', 'KesraRegCheckValidPasswd', 'KesraRegCheckIsNull',
  'KesraRegCheckIsIP', 'CheckIdCardRange', 'isIdCardNo', 'create_postcard', 'checkDate', 'ShowDateAndTimeScript',
  'AddProcessbar', 'CheckIsProcessBar', 'CheckClick', 'ShowAjax', 'KesraSwapImage', 'KesraSwapImgRestore',
  'KesraPreloadImages', 'KesraFindObject', 'ShowPopDialog', 'startDrag', 'handleMove', 'endDrag', 'updateTransform',
  'divOpenDialog', 'divCloseDialog',
];

// Calls the loader and waits until its request has ended and the loader's
// own handler has run: "loadend" comes after the last state change.
const ajaxEnded = (page, ...args) => page.evaluate((args) => new Promise((done) => {
  const send = XMLHttpRequest.prototype.send;
  XMLHttpRequest.prototype.send = function (...body) {
    XMLHttpRequest.prototype.send = send;
    this.addEventListener('loadend', () => done());
    return send.apply(this, body);
  };
  ShowAjax(...args);
}), args);

const focusState = (page) => page.evaluate(() => {
  const e = document.activeElement;
  return [e.id, e.selectionStart === 0 && e.selectionEnd === String(e.value).length];
});

export const tests = {
  async 'all libraries on one page load without a script error'(t) {
    const page = await t.open('page_scripts.htm');
    t.eq(await page.evaluate((names) => names.filter((n) => typeof window[n] !== 'function'), kLibraries), []);
    t.eq(await page.evaluate(() => window.onerror === killErrors), true);
    t.ok(await page.evaluate(() => /星期/.test(document.getElementById('liveclock').textContent)), 'the clock runs');
    // The page's killErrors silences errors; the test still sees them.
    await page.evaluate(() => new Promise((done) => {
      window.addEventListener('error', () => done(), { once: true });  // after the harness's own listener
      setTimeout(() => { throw new Error('deliberate'); }, 0);
    }));
    t.eq(t.errors.length, 1, 'an error thrown after load is counted');
    t.errors.length = 0;
  },

  async 'Enter and the arrows move between the inputs'(t) {
    const page = await t.open('keys.htm');
    await page.focus('#a');
    await page.keyboard.press('Enter');
    t.eq(await focusState(page), ['b', true], 'Enter: the next input, its text selected');
    await page.keyboard.press('Shift+Enter');
    t.eq(await focusState(page), ['a', true], 'Shift+Enter: the one before');
    // The arrows keep their own action (the caret moves), so only the focus
    // tells where they led.
    await page.keyboard.press('ArrowUp');
    t.eq((await focusState(page))[0], 'a', 'Up in the first input stays there');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    t.eq((await focusState(page))[0], 'n');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowUp');
    t.eq((await focusState(page))[0], 'n', 'a number field keeps its arrows');
    await page.focus('#t');
    await page.keyboard.press('Enter');
    t.eq((await focusState(page))[0], 't', 'a text area keeps its Enter');
    await page.focus('#c');
    await page.keyboard.press('Enter');
    t.eq((await focusState(page))[0], 'd');
    await page.keyboard.press('Enter');
    t.eq(await focusState(page), ['a', true], 'from the last input to the first');
    await page.fill('#d', '');
    await page.focus('#d');
    await page.keyboard.type('4x5-');
    t.eq(await page.inputValue('#d'), '45', 'digits only');
    t.eq(page.url().endsWith('keys.htm'), true, 'Enter sent nothing');
    await page.focus('#b');
    await Promise.all([page.waitForURL(/submitted\.htm/), page.keyboard.press('Control+Enter')]);
  },

  async 'list menu: one group open at a time'(t) {
    const page = await t.open('page_scripts.htm');
    const shown = () => page.evaluate(() => ['AChild', 'BChild'].map((id) => document.getElementById(id).style.display));
    t.eq(await shown(), ['none', 'none'], 'closed on load');
    await page.click('#A');
    t.eq(await shown(), ['block', 'none']);
    await page.click('#B');
    t.eq(await shown(), ['none', 'block']);
    await page.click('#B');
    t.eq(await shown(), ['none', 'none']);
  },

  async 'progress layer: shown by a marked element, centred, its bar growing'(t) {
    const page = await t.open('page_scripts.htm');
    const layer = () => page.evaluate(() => {
      const w = document.getElementById('waiting');
      const box = w.getBoundingClientRect();
      return { visible: w.style.visibility, centre: [box.left + box.width / 2, box.top + box.height / 2].map(Math.round),
               bar: Number(document.images.sbar.width) };
    });
    t.eq((await layer()).visible, 'hidden', 'hidden until used');
    await page.click('#plain');
    t.eq((await layer()).visible, 'hidden', 'an unmarked button');
    await page.evaluate(() => window.scrollTo(0, 300));
    await page.click('#markedInner');
    const shown = await layer();
    t.eq(shown.visible, 'visible', 'inside a marked button');
    t.near(shown.centre[0], 512, 8, 'centred across');
    t.near(shown.centre[1], 384, 8, 'centred in the visible part');
    await page.waitForFunction(() => document.images.sbar.width > 20);
    const width = (await layer()).bar;
    await page.waitForFunction((before) => document.images.sbar.width > before, width);  // still growing
    await page.click('#plain');
    t.eq((await layer()).visible, 'hidden', 'hidden by the next unmarked click');
  },

  async 'the form check stops an empty or long title'(t) {
    const page = await t.open('page_scripts.htm');
    const alerts = [];
    page.on('dialog', (dialog) => { alerts.push(dialog.message()); dialog.accept(); });
    await page.click('#send');
    await page.fill('#Title', '这个标题实在是太长太长了');
    await page.click('#send');
    t.eq(alerts, ['请输入标题', '标题太长']);
    t.eq(page.url().endsWith('page_scripts.htm'), true);
    await page.fill('#Title', '期末考试');
    await Promise.all([page.waitForURL(/submitted\.htm/), page.click('#send')]);
  },

  async 'tooltip, picture zoom and the back-to-top marker'(t) {
    const page = await t.open('page_scripts.htm');
    await page.hover('#tip');
    t.eq(await page.evaluate(() => [document.getElementById('dek').style.visibility,
                                    document.getElementById('dek').textContent]), ['visible', '双击可以编辑']);
    // Placed by the pointer: its left at the pointer, its bottom just at it,
    // in page coordinates however far the page has scrolled.
    // The box's height, which places it, is whole once its pictures are in.
    await page.waitForFunction(() => Array.from(document.querySelectorAll('#dek img')).every((img) => img.complete));
    const placed = await page.evaluate(() => {
      window.scrollTo(0, 200);
      get_mouse({ clientX: 300, clientY: 400 });
      const box = document.getElementById('dek').getBoundingClientRect();
      return [box.left, box.bottom];
    });
    t.eq(placed, [300, 400]);
    await page.evaluate(() => window.scrollTo(0, 0));

    const pic = await page.locator('#pic').boundingBox();
    await page.mouse.move(pic.x + 10, pic.y + 10);
    await wheel(page, 0, 100);
    const zoom = await page.evaluate(() => [parseFloat(document.getElementById('pic').style.zoom), window.scrollY]);
    t.ok(zoom[0] < 100 && zoom[0] >= 90, `zoomed out a notch: ${zoom[0]}`);
    t.eq(zoom[1], 0, 'the page did not scroll');

    await page.evaluate(() => window.scrollTo(0, 500));
    await page.waitForFunction(() => document.getElementById('master').style.top === '510px');
    t.eq(await page.evaluate(() => getComputedStyle(document.getElementById('master')).left), '900px');
  },

  async 'a double-click scrolls the page down, a click stops it'(t) {
    // The page's clock, run on by hand after the click: the scrolling's timer
    // has its chance to move the page, however slow the machine.
    await t.page.clock.install();
    const page = await t.open('page_scripts.htm');
    await page.mouse.dblclick(600, 300);
    await page.waitForFunction(() => window.scrollY > 30);
    await page.mouse.click(600, 300);
    const stopped = await page.evaluate(() => window.scrollY);
    await page.clock.runFor(1000);
    await nextFrames(page);
    t.eq(await page.evaluate(() => window.scrollY), stopped);
  },

  async 'the loader puts an answer of 200 into the element, and nothing else'(t) {
    const page = await t.open('ajax_get.htm');
    await ajaxEnded(page, 'box', 'missing.htm');
    t.eq(await page.textContent('#box'), '原来的内容', '404');
    await page.evaluate(() => ShowAjax('box', 'ajax_answer.htm'));
    await page.waitForSelector('#answer');
    t.eq((await page.textContent('#box')).trim(), '服务器的回答');
    // The POST loader, written last on the library page, posts to a file
    // that takes no POST (405): the element stays.
    await t.open('page_scripts.htm');
    const posted = page.waitForRequest((r) => r.method() === 'POST');
    const ended = ajaxEnded(page, 'ajaxBox', 'ajax_answer.htm', 'a=1&b=%E4%B8%AD');
    const request = await posted;
    t.eq([request.postData(), request.headers()['content-type'], request.headers()['cache-control']],
         ['a=1&b=%E4%B8%AD', 'application/x-www-form-urlencoded;', 'no-cache']);
    await ended;
    t.eq(await page.textContent('#ajaxBox'), '原来的内容');
  },
};
