// The demonstration page of the site, /comm_qeeditor/demo.asp: type, make a
// word bold, upload a picture, send the form at once, and see what arrived;
// at every common width the page is no wider than the window and each
// dialog holds its controls.
import zlib from 'node:zlib';
import { readable, settled } from '../editor_helpers.mjs';
import { logIn } from '../helpers.mjs';

// A 160 x 90 picture of our own: a colour gradient, as a PNG.
function gradientPng() {
  const width = 160, height = 90;
  const rows = Buffer.alloc((width * 3 + 1) * height);
  for (let y = 0; y < height; y++) {
    const row = y * (width * 3 + 1);
    for (let x = 0; x < width; x++) {
      rows[row + 1 + x * 3] = Math.round(255 * x / width);
      rows[row + 2 + x * 3] = Math.round(160 * y / height) + 60;
      rows[row + 3 + x * 3] = 200;
    }
  }
  const crcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  const crc = (bytes) => {
    let c = 0xffffffff;
    for (const byte of bytes) c = crcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  };
  const chunk = (kind, data) => {
    const body = Buffer.concat([Buffer.from(kind, 'ascii'), data]);
    const out = Buffer.alloc(body.length + 8);
    out.writeUInt32BE(data.length, 0);
    body.copy(out, 4);
    out.writeUInt32BE(crc(body), body.length + 4);
    return out;
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;
  header[9] = 2;
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

// The controls of the open dialog that stick out of its window.
const outsideItsDialog = (page) => page.evaluate(() => {
  const main = Array.from(document.querySelectorAll('.qeEditor-popupMain')).find((m) => m.getClientRects().length > 0);
  const box = main.getBoundingClientRect();
  return Array.from(main.querySelectorAll('input, button, label, svg, span'))
    .filter((el) => el.getClientRects().length > 0 && getComputedStyle(el).visibility === 'visible')
    .filter((el) => {
      const r = el.getBoundingClientRect();
      return r.top < box.top || r.left < box.left || r.bottom > box.bottom || r.right > box.right;
    })
    .map((el) => `${el.tagName} ${el.textContent || el.placeholder || ''}`.trim());
});

export const tests = {
  async 'nothing hidden widens the page, and each dialog holds its controls'(t) {
    const page = t.page;
    for (const width of [800, 1024, 1280]) {
      await page.setViewportSize({ width, height: 768 });
      await t.open('../comm_qeeditor/demo.asp' + (readable ? '?readable=1' : ''));
      t.eq(await page.evaluate(() => [document.documentElement.scrollWidth, window.innerWidth]), [width, width],
        `page width at ${width} px`);
      for (const title of ['添加链接', '添加音乐', '附件上传', '添加图片', '添加视频']) {
        await page.locator(`li:has(> div.qeEditor-exec[title="${title}"])`).first().click();
        const dialog = page.locator('.qeEditor-popupMain:visible');
        await settled(dialog);  // it slides in from above
        t.eq(await outsideItsDialog(page), [], `${title} at ${width} px`);
        await dialog.locator('.qeEditor-popupClose').click();
        await page.waitForFunction(() => Array.from(document.querySelectorAll('.qeEditor-popupMain'))
          .every((main) => main.getClientRects().length === 0));
      }
    }
  },


  async typeBoldUploadAndSubmit(t) {
    const page = t.page;
    await logIn(t);  // uploads are for logged-in users
    await t.open('../comm_qeeditor/demo.asp' + (readable ? '?readable=1' : ''));
    const frame = page.frameLocator('iframe[id^="_iframe"]').first();
    await frame.locator('body').click();
    await page.keyboard.type('Sports day ');
    await page.keyboard.down('Shift');
    for (let i = 0; i < 4; i++) await page.keyboard.press('ArrowLeft');
    await page.keyboard.up('Shift');
    await page.keyboard.press('ArrowLeft');  // leave the trailing blank out of the selection
    await page.keyboard.down('Shift');
    for (let i = 0; i < 3; i++) await page.keyboard.press('ArrowRight');
    await page.keyboard.up('Shift');
    await page.locator('div.qeEditor-exec[data="bold"]').first().click();
    await frame.locator('body').press('End');
    await page.locator('li:has(> div.qeEditor-exec[title="添加图片"])').first().click();
    await page.setInputFiles('input[id^="_imgUpload"] >> nth=0',
      [{ name: 'gradient.png', mimeType: 'image/png', buffer: gradientPng() }]);
    await frame.locator('img').waitFor();
    await page.waitForFunction(() => document.querySelector('iframe').contentDocument.images[0].naturalWidth === 160);
    await page.frameLocator('iframe[id^="_iframe"]').nth(1).locator('body').click();
    await page.keyboard.type('A short summary.');
    await t.shot('typed');
    await page.locator('#save').click();
    await page.waitForLoadState('load');
    const arrived = await page.locator('#arrived-content').textContent();
    t.ok(/^<p>Sports <span style="font-weight: bold;">day<\/span>(&nbsp;| )<img src="\/Data_UploadFiles\/comm_qeeditor\/\d+\.png"><\/p>$/.test(arrived),
      arrived);
    t.eq(await page.locator('#arrived-summary').textContent(), '<p>A short summary.</p>');
    // The form comes back with what was sent, in both editors.
    t.eq(await page.evaluate(() => document.getElementById('content').value), arrived);
    await page.locator('#arrived-content').scrollIntoViewIfNeeded();
    await t.shot('submitted');
  },
};

// Three widths, the page loaded at each and five dialogs opened over 0.5 s
// each: 33 s at ctest -j 16 on a busy machine.
tests['nothing hidden widens the page, and each dialog holds its controls'].timeoutMs = 100000;
