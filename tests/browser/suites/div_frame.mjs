// The div frame (divOpenDialog, divCloseDialog) in a real browser: centred
// at its size, the overlay decided per opening, dragging kept inside the
// window, the page scrolling again after closing, closing from the page
// inside, the close button, and listeners added once.
import { countListenersAdded, drag, nextFrames, pointOn, wheel } from '../helpers.mjs';

function divState(id) {
  const dialog = document.getElementById(id);
  const box = dialog.getBoundingClientRect();
  return {
    dialog: dialog.style.display, overlay: document.getElementById(id + '_Overly').style.display,
    overflow: document.body.style.overflow, width: dialog.style.width, height: dialog.style.height,
    title: document.getElementById(id + '_Title').style.width, body: document.getElementById(id + '_Body').style.width,
    box: [box.left, box.top, box.width, box.height].map(Math.round),
  };
}

const open = (page, flag, id = 'MyDiv', url = 'dialog_inner.htm') =>
  page.evaluate(([i, f, u]) => divOpenDialog(i, 600, 400, '用户列表', u, f), [id, flag, url]);

export const tests = {
  async 'divOpenDialog 600, 400: centred, 600 × 430, the body hidden behind'(t) {
    const page = await t.open('div_frame.htm');
    await open(page, 0);
    await page.frameLocator('#MyDiv_Frame').locator('h2').waitFor();
    t.eq(await page.evaluate(divState, 'MyDiv'), {
      dialog: 'flex', overlay: 'block', overflow: 'hidden', width: '600px', height: '430px', title: '576px',
      body: '592px', box: [212, 169, 600, 430],
    });
    t.eq(await page.evaluate(() => document.getElementById('MyDiv_Title').textContent), '用户列表');
    await t.shot('open');
  },

  async 'overlay: each opening decides, and closing by it never reloads'(t) {
    const page = await t.open('div_frame.htm');
    await page.evaluate(() => { window.token = 7; });
    const shown = () => page.evaluate(() => document.getElementById('MyDiv').style.display);
    await open(page, 0);
    await page.mouse.click(5, 5);
    t.eq(await shown(), 'flex', 'opened with 0 on a fresh page');
    await open(page, 1);
    await page.mouse.click(5, 5);
    t.eq(await shown(), 'none', 'opened with 1');
    t.eq(await page.evaluate(() => document.getElementById('MyDiv_Overly').style.display), 'none');
    await open(page, 0);
    await page.mouse.click(5, 5);
    t.eq(await shown(), 'flex', 'opened with 0 after an opening with 1');
    await open(page, 1);
    const title = await page.locator('#MyDiv_Title').boundingBox();
    await page.mouse.click(title.x + 100, title.y + 5);
    t.eq(await shown(), 'flex', 'a click inside the dialog');
    await page.mouse.click(1000, 700);
    t.eq(await shown(), 'none');
    t.eq(await page.evaluate(() => window.token), 7);
  },

  async 'dragging keeps the whole dialog inside the window'(t) {
    const page = await t.open('div_frame.htm');
    await open(page, 0);
    await drag(page, '#MyDiv_Title', 900, 900);
    let state = await page.evaluate(divState, 'MyDiv');
    t.eq(state.box, [424, 338, 600, 430], 'pinned to the bottom right corner');
    await drag(page, '#MyDiv_Title', -2000, -2000);
    state = await page.evaluate(divState, 'MyDiv');
    t.eq(state.box.slice(0, 2), [0, 0], 'pinned to the top left corner');
    await drag(page, '#MyDiv_Title', 30, 40);
    t.eq((await page.evaluate(divState, 'MyDiv')).box.slice(0, 2), [30, 40]);
    t.eq(await page.evaluate(() => document.getElementById('MyDiv_Frame').style.pointerEvents), '',
         'the iframe takes the mouse again');
    // Closed, it opens centred again.
    await page.evaluate(() => divCloseDialog());
    await open(page, 0);
    t.eq((await page.evaluate(divState, 'MyDiv')).box.slice(0, 2), [212, 169]);
  },

  async 'the page scrolls again after closing'(t) {
    const page = await t.open('div_frame.htm');
    await page.evaluate(() => { document.body.style.overflow = 'auto'; });
    await open(page, 1);
    await open(page, 1);
    await page.mouse.move(500, 700);
    await wheel(page, 0, 400);
    t.eq(await page.evaluate(() => [window.scrollY, document.body.style.overflow]), [0, 'hidden']);
    await page.mouse.click(5, 5);
    t.eq(await page.evaluate(() => document.body.style.overflow), 'auto', 'the page\'s own overflow is back');
    await page.mouse.wheel(0, 400);
    await page.waitForFunction(() => window.scrollY > 0);
  },

  async 'the page inside closes it with window.parent.divCloseDialog()'(t) {
    const page = await t.open('div_frame.htm');
    await open(page, 0);
    await page.frameLocator('#MyDiv_Frame').locator('#closeMe').click();
    t.eq(await page.evaluate(divState, 'MyDiv').then((s) => [s.dialog, s.overlay, s.overflow]), ['none', 'none', '']);
  },

  async 'close button: closes, and reloads the page only when built to'(t) {
    const page = await t.open('div_frame.htm');
    await page.evaluate(() => { window.token = 3; });
    await page.evaluate(() => divOpenDialog('Plain', 300, 200, '', '', 0));
    await page.locator('#Plain_CloseBtn').click();
    t.eq(await page.evaluate(() => [document.getElementById('Plain').style.display, window.token]), ['none', 3]);
    await open(page, 0);
    const cross = await pointOn(page, '#MyDiv_CloseBtn');
    await Promise.all([page.waitForEvent('load'), page.mouse.click(cross.x, cross.y)]);
    t.eq(await page.evaluate(() => window.token), undefined);
  },

  async 'listeners are added once however often it opens'(t) {
    const page = await t.open('div_frame.htm');
    const added = await countListenersAdded(page, async () => {
      for (let i = 0; i < 5; i++) {
        await open(page, i % 2);
        await page.evaluate(() => divCloseDialog());
      }
    });
    t.eq(added, 6, 'title, document (two), window, overlay, dialog: each once');
    await open(page, 1);
    await drag(page, '#MyDiv_Title', 40, -30);
    t.eq((await page.evaluate(divState, 'MyDiv')).box.slice(0, 2), [252, 139]);
  },

  async 'a resize keeps a dragged dialog inside and a centred one centred'(t) {
    const page = await t.open('div_frame.htm');
    await open(page, 0);
    const resize = async (width, height) => {
      await page.setViewportSize({ width, height });
      await page.waitForFunction((w) => window.innerWidth === w, width);
      await nextFrames(page);
    };
    await resize(800, 600);
    t.eq((await page.evaluate(divState, 'MyDiv')).box.slice(0, 2), [100, 85], 'still centred');
    await drag(page, '#MyDiv_Title', 150, 150);
    t.eq((await page.evaluate(divState, 'MyDiv')).box.slice(0, 2), [200, 170], 'dragged to the corner');
    await resize(700, 500);
    t.eq((await page.evaluate(divState, 'MyDiv')).box.slice(0, 2), [100, 70], 'kept inside the smaller window');
  },
};
