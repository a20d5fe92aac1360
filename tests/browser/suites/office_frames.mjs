// The office look of the dialogs in a real browser, on an office page frame:
// the sizes the scripts set, the close buttons, the backdrop and overlay
// decided by the latest opening, listeners added once, the body scrolling
// again, the div dialog kept inside the window, a page in an iframe opening
// its parent's MainDialog, the form footer closing the dialog that holds it,
// and the preview button opening the page's div dialog.
import { countListenersAdded, drag, pointOn } from '../helpers.mjs';

const openDialog = (page, id, w, h, flag, url = 'dialog_inner.htm') =>
  page.evaluate(([i, ww, hh, f, u]) => ShowPopDialog(i, ww, hh, '编辑记录', u, f), [id, w, h, flag, url]);
const openDiv = (page, id, w, h, flag, url = 'dialog_inner.htm') =>
  page.evaluate(([i, ww, hh, f, u]) => divOpenDialog(i, ww, hh, '用户列表', u, f), [id, w, h, flag, url]);

function sizes(ids) {
  return ids.map((id) => {
    const r = document.getElementById(id).getBoundingClientRect();
    return [Math.round(r.width), Math.round(r.height)];
  });
}

export const tests = {
  async 'ShowPopDialog 800, 500: a dialog of 802 × 560 around an iframe of 784 × 500'(t) {
    const page = await t.open('office_frames.htm');
    await openDialog(page, 'Dialog', 800, 500, 0);
    await page.frameLocator('#Frame_Dialog').locator('h2').waitFor();
    t.eq(await page.evaluate(() => {
      const d = document.getElementById('Dialog');
      return [d.open, d.style.width, d.style.height, document.getElementById('Title_Dialog').textContent];
    }), [true, '802px', '560px', '编辑记录']);
    t.eq(await page.evaluate(sizes, ['Frame_Dialog', 'DivLeft_Dialog', 'DivRight_Dialog']),
         [[784, 500], [9, 500], [9, 500]]);
    await t.shot('office-dialog');
  },

  async 'divOpenDialog 100, 100: a dialog of 100 × 130, an iframe of 82 × 78, sides and body 80 high'(t) {
    const page = await t.open('office_frames.htm');
    await openDiv(page, 'divDialogUserList', 100, 100, 0);
    t.eq(await page.evaluate(sizes, ['divDialogUserList', 'divDialogUserList_Frame']), [[100, 130], [82, 78]]);
    t.eq(await page.evaluate(() => ['DivLeft_', 'DivBody_', 'DivRight_'].map(
      (p) => document.getElementById(p + 'divDialogUserList').style.height)), ['80px', '80px', '80px']);
    await openDiv(page, 'Reload', 400, 300, 0);
    await t.shot('office-div-dialog');
  },

  async 'close buttons close, and reload the page only when built to'(t) {
    const page = await t.open('office_frames.htm');
    await page.evaluate(() => { window.token = 5; });
    await openDialog(page, 'Keep', 300, 200, 0);
    const keep = await pointOn(page, '#Keep > div[onclick]');
    await page.mouse.click(keep.x, keep.y);
    await openDiv(page, 'divDialogUserList', 300, 200, 0);
    await page.locator('#divDialogUserList_CloseBtn').click();
    t.eq(await page.evaluate(() => [document.getElementById('Keep').open,
                                    document.getElementById('divDialogUserList').style.display, window.token]),
         [false, 'none', 5]);
    await openDialog(page, 'Dialog', 600, 300, 0);
    const reload = await pointOn(page, '#Dialog > div[onclick]');
    await Promise.all([page.waitForEvent('load'), page.mouse.click(reload.x, reload.y)]);
    t.eq(await page.evaluate(() => window.token), undefined);
    await page.evaluate(() => { window.token = 6; });
    await openDiv(page, 'Reload', 300, 200, 0);
    await Promise.all([page.waitForEvent('load'), page.locator('#Reload_CloseBtn').click()]);
    t.eq(await page.evaluate(() => window.token), undefined);
  },

  async 'backdrop and overlay close with 1, not with 0, also after an opening with 1'(t) {
    const page = await t.open('office_frames.htm');
    const dialogOpen = () => page.evaluate(() => document.getElementById('Keep').open);
    const divShown = () => page.evaluate(() => document.getElementById('divDialogUserList').style.display);
    for (const [flag, open, shown] of [[0, true, 'flex'], [1, false, 'none'], [0, true, 'flex']]) {
      await openDialog(page, 'Keep', 300, 200, flag);
      await page.mouse.click(5, 5);
      t.eq(await dialogOpen(), open, `dialog opened with ${flag}`);
      await page.evaluate(() => document.getElementById('Keep').close());
      await openDiv(page, 'divDialogUserList', 300, 200, flag);
      await page.mouse.click(5, 5);
      t.eq(await divShown(), shown, `div opened with ${flag}`);
      await page.evaluate(() => divCloseDialog());
    }
  },

  async 'after ten openings one click closes once and no listener was added again'(t) {
    const page = await t.open('office_frames.htm');
    await openDialog(page, 'Keep', 300, 200, 1);
    await page.evaluate(() => document.getElementById('Keep').close());
    await openDiv(page, 'divDialogUserList', 300, 200, 1);
    await page.evaluate(() => divCloseDialog());
    const added = await countListenersAdded(page, async () => {
      for (let i = 0; i < 10; i++) {
        await openDialog(page, 'Keep', 300, 200, 1);
        await openDiv(page, 'divDialogUserList', 300, 200, 1);
      }
    });
    t.eq(added, 0, 'no listener added by later openings');
    await page.evaluate(() => {
      window.closes = 0;
      const close = HTMLDialogElement.prototype.close;
      HTMLDialogElement.prototype.close = function () { window.closes++; return close.call(this); };
      const divClose = window.divCloseDialog;
      window.divCloseDialog = function () { window.closes++; return divClose(); };
    });
    // The modal dialog's backdrop lies over the div dialog's overlay.
    await page.mouse.click(5, 5);
    t.eq(await page.evaluate(() => [window.closes, document.getElementById('Keep').open]), [1, false],
         'the backdrop click closed the dialog once');
    await page.mouse.click(5, 5);
    t.eq(await page.evaluate(() => [window.closes, document.getElementById('divDialogUserList').style.display]),
         [2, 'none'], 'the overlay click closed the div dialog once');
  },

  async 'the body scrolls after divCloseDialog, and dragging stops at the window edge'(t) {
    const page = await t.open('office_frames.htm');
    await openDiv(page, 'divDialogUserList', 300, 200, 0);
    t.eq(await page.evaluate(() => document.body.style.overflow), 'hidden');
    await drag(page, '#divDialogUserList_Title', 2000, 2000);
    let box = await page.locator('#divDialogUserList').boundingBox();
    const view = page.viewportSize();
    t.eq([Math.round(box.x + box.width), Math.round(box.y + box.height)], [view.width, view.height], 'bottom right');
    await drag(page, '#divDialogUserList_Title', -3000, -3000);
    box = await page.locator('#divDialogUserList').boundingBox();
    t.eq([Math.round(box.x), Math.round(box.y)], [0, 0], 'top left');
    await page.evaluate(() => divCloseDialog());
    t.eq(await page.evaluate(() => document.body.style.overflow), '');
    await page.mouse.move(500, 400);
    await page.mouse.wheel(0, 400);
    await page.waitForFunction(() => window.scrollY > 0);
  },

  async 'MainDialog from a page in an iframe opens the parent\'s'(t) {
    const page = await t.open('office_frames.htm');
    await page.frameLocator('#child').locator('#openMain').click();
    await page.frameLocator('#Frame_MainDialog').locator('h2').waitFor();
    t.eq(await page.evaluate(() => {
      const d = document.getElementById('MainDialog');
      return [d.open, d.style.width, d.style.height, document.getElementById('Title_MainDialog').textContent];
    }), [true, '402px', '360px', '来自子页']);
    await drag(page, '#DivHeader_MainDialog', 25, 15);
    t.eq(await page.evaluate(() => document.getElementById('MainDialog').style.transform), 'translate(25px, 15px)');
  },

  async 'the form footer closes the dialog that holds it and reloads the parent'(t) {
    const page = await t.open('office_frames.htm');
    const marks = () => page.evaluate(() => {
      const close = HTMLDialogElement.prototype.close;
      HTMLDialogElement.prototype.close = function () { sessionStorage.setItem('closed', this.id); return close.call(this); };
      const divClose = window.divCloseDialog;
      window.divCloseDialog = function () { sessionStorage.setItem('closed', 'div'); return divClose(); };
      window.token = 9;
    });
    for (const [open, which] of [[() => openDialog(page, 'Keep', 500, 300, 0, 'office_footer.htm'), 'Keep'],
                                 [() => openDialog(page, 'Dialog', 500, 300, 0, 'office_footer.htm'), 'Dialog'],
                                 [() => openDiv(page, 'divDialogUserList', 500, 300, 0, 'office_footer.htm'), 'div']]) {
      await marks();
      await open();
      const frame = which === 'div' ? '#divDialogUserList_Frame' : `#Frame_${which}`;
      const close = page.frameLocator(frame).locator('input[value="关 闭"]');
      await close.waitFor();
      await Promise.all([page.waitForEvent('load'), close.click()]);
      t.eq(await page.evaluate(() => [sessionStorage.getItem('closed'), window.token]), [which, undefined], which);
      await page.evaluate(() => sessionStorage.clear());
    }
  },

  async 'the preview button opens the page\'s div dialog'(t) {
    const page = await t.open('office_frames.htm');
    await page.locator('#preview').click();
    t.eq(await page.evaluate(() => {
      const d = document.getElementById('divDialogUserList');
      return [d.style.display, d.style.width, document.getElementById('divDialogUserList_Title').textContent,
              new URL(document.getElementById('divDialogUserList_Frame').src).pathname];
    }), ['flex', '1024px', '预览', '/comm/tymk_ArticleRead.asp']);
    // The preview shows the form's content, and runs none of its scripts.
    const article = page.frameLocator('#divDialogUserList_Frame').frameLocator('#article');
    t.eq(await article.locator('p').evaluate((p) => p.firstChild.nodeValue), '预览的正文');
    t.eq(await page.frameLocator('#divDialogUserList_Frame').locator('body').evaluate(() => window.previewRan), undefined);
    await t.shot('office-preview');
  },
};
