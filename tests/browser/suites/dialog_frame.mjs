// The dialog frame (a modal `dialog` element opened by ShowPopDialog) in a
// real browser: its sizes, re-opening, close control, backdrop, dragging, and
// a page in an iframe that opens its parent's dialog.
import { pointOn, drag, countListenersAdded } from '../helpers.mjs';

function frameState(id) {
  const dialog = document.getElementById(id);
  const frame = document.getElementById('Frame_' + id).getBoundingClientRect();
  const style = getComputedStyle(dialog);
  return {
    open: dialog.open, width: style.width, height: style.height, transform: dialog.style.transform,
    frame: [frame.width, frame.height], title: document.getElementById('Title_' + id).textContent,
  };
}

export const tests = {
  async 'ShowPopDialog 600, 400: a 600 × 430 dialog around a 600 × 400 iframe'(t) {
    const page = await t.open('dialog_frame.htm');
    t.eq(await page.evaluate(() => [document.getElementById('Body_Dialog').style.height,
                                    document.getElementById('Frame_Dialog').style.height]),
         ['375px', '375px'], 'as written by the server');
    await page.evaluate(() => ShowPopDialog('', 600, 400, '编辑记录', 'dialog_inner.htm', 0));
    await page.frameLocator('#Frame_Dialog').locator('h2').waitFor();
    t.eq(await page.evaluate(frameState, 'Dialog'), {
      open: true, width: '600px', height: '430px', transform: 'translate(0px, 0px)', frame: [600, 400],
      title: '编辑记录',
    });
    const box = await page.locator('#Dialog').boundingBox();
    t.near(box.x + box.width / 2, 512, 1, 'centred across');
    t.near(box.y + box.height / 2, 384, 1, 'centred down');
    await t.shot('open');
  },

  async 're-opened while open: new size and title, same place'(t) {
    const page = await t.open('dialog_frame.htm');
    await page.evaluate(() => ShowPopDialog('Dialog', 600, 400, '第一次', 'dialog_inner.htm', 0));
    await drag(page, '#Title_Dialog', 60, 40);
    t.eq((await page.evaluate(frameState, 'Dialog')).transform, 'translate(60px, 40px)');
    const src = await page.evaluate(() => document.getElementById('Frame_Dialog').src);
    await page.evaluate(() => ShowPopDialog('Dialog', 500, 300, '第二次', '', 0));
    t.eq(await page.evaluate(frameState, 'Dialog'), {
      open: true, width: '500px', height: '330px', transform: 'translate(60px, 40px)', frame: [500, 300],
      title: '第二次',
    });
    t.eq(await page.evaluate(() => document.getElementById('Frame_Dialog').src), src, 'no address: the same page');
    // Closed and opened again, it starts from the centre.
    await page.evaluate(() => { document.getElementById('Dialog').close(); ShowPopDialog('Dialog', 500, 300, '', '', 0); });
    t.eq((await page.evaluate(frameState, 'Dialog')).transform, 'translate(0px, 0px)');
  },

  async 'close control: closes, and reloads the page only when built to'(t) {
    const page = await t.open('dialog_frame.htm');
    await page.evaluate(() => { window.token = 42; ShowPopDialog('Keep', 300, 200, '', 'dialog_inner.htm', 0); });
    const keep = await pointOn(page, '#Close_Keep');
    t.ok(keep, 'the close cross can be clicked');
    await page.mouse.click(keep.x, keep.y);
    t.eq(await page.evaluate(() => [document.getElementById('Keep').open, window.token]), [false, 42]);

    await page.evaluate(() => ShowPopDialog('Dialog', 600, 400, '', 'dialog_inner.htm', 0));
    const reload = await pointOn(page, '#Close_Dialog');
    await Promise.all([page.waitForEvent('load'), page.mouse.click(reload.x, reload.y)]);
    t.eq(await page.evaluate(() => [document.getElementById('Dialog').open, window.token]), [false, undefined]);
  },

  async 'backdrop: each opening decides whether a click there closes'(t) {
    const page = await t.open('dialog_frame.htm');
    await page.evaluate(() => { window.token = 1; });
    const open = (byBackdrop) => page.evaluate((flag) => ShowPopDialog('Keep', 300, 200, '', '', flag), byBackdrop);
    const isOpen = () => page.evaluate(() => document.getElementById('Keep').open);
    await open(0);
    await page.mouse.click(5, 5);
    t.eq(await isOpen(), true, 'opened with 0 on a fresh page');
    await open(1);
    await page.mouse.click(5, 5);
    t.eq(await isOpen(), false, 'opened with 1');
    await open(0);
    await page.mouse.click(5, 5);
    t.eq(await isOpen(), true, 'opened with 0 after an opening with 1');
    await open(1);
    const title = await page.locator('#Title_Keep').boundingBox();
    await page.mouse.click(title.x + 5, title.y + 5);
    t.eq(await isOpen(), true, 'a click inside the dialog');
    await open(0);
    await page.mouse.click(5, 5);
    t.eq(await isOpen(), true, 're-opened while open with 0');
    await page.evaluate(() => ShowPopDialog('Keep', 300, 200, '', '', '1'));
    await page.mouse.click(1000, 700);
    t.eq(await isOpen(), false, 'the flag as text');
    t.eq(await page.evaluate(() => window.token), 1, 'a backdrop click never reloads');
  },

  async 'five openings later one mouse-down starts one drag'(t) {
    const page = await t.open('dialog_frame.htm');
    const added = await countListenersAdded(page, async () => {
      for (let i = 0; i < 6; i++) {
        await page.evaluate((flag) => { ShowPopDialog('Keep', 300, 200, '', '', flag); }, i % 2);
        await page.evaluate(() => document.getElementById('Keep').close());
      }
    });
    t.eq(added, 7, 'title bar (mouse, touch), document (four), dialog: each once');
    await page.evaluate(() => {
      ShowPopDialog('Keep', 300, 200, '', '', 1);
      window.starts = 0;
      const start = window.startDrag;
      window.startDrag = function (e) { window.starts++; return start(e); };
    });
    await drag(page, '#Title_Keep', 30, 20);
    t.eq(await page.evaluate(() => [window.starts, document.getElementById('Keep').style.transform]),
         [1, 'translate(30px, 20px)']);
    // The drag layer covered the iframe while dragging and is gone again.
    t.eq(await page.evaluate(() => [document.getElementById('Frame_Keep_OverLay').style.display,
                                    document.getElementById('Frame_Keep').style.pointerEvents]), ['none', 'auto']);
    // A second drag goes on from where the first left the dialog.
    await drag(page, '#Title_Keep', -10, 5);
    t.eq(await page.evaluate(() => document.getElementById('Keep').style.transform), 'translate(20px, 25px)');
  },

  async 'a page in an iframe opens its parent\'s MainDialog, else its own'(t) {
    const page = await t.open('dialog_frame.htm');
    const child = page.frameLocator('#child');
    await child.locator('#openMain').click();
    await page.frameLocator('#Frame_MainDialog').locator('h2').waitFor();
    t.eq(await page.evaluate(frameState, 'MainDialog'), {
      open: true, width: '400px', height: '330px', transform: 'translate(0px, 0px)', frame: [400, 300],
      title: '来自子页',
    });
    await drag(page, '#Title_MainDialog', 25, 15);
    t.eq((await page.evaluate(frameState, 'MainDialog')).transform, 'translate(25px, 15px)');
    await page.mouse.click(5, 5);
    t.eq(await page.evaluate(() => document.getElementById('MainDialog').open), false, 'closed by its backdrop');

    await child.locator('#openLocal').click();
    const childFrame = page.frame({ url: /dialog_child\.htm$/ });
    t.eq(await childFrame.evaluate(() => document.getElementById('MainDialogLocal').open), true, 'its own dialog');
    t.eq(await page.evaluate(() => document.getElementById('MainDialogLocal')), null, 'the parent has none');
  },
};
