// The demonstration page of the site, /comm_qeeditor/demo.asp: type, make a
// word bold, upload a picture, send the form at once, and see what arrived.
import { readable, redSquarePng } from '../editor_helpers.mjs';

export const tests = {
  async typeBoldUploadAndSubmit(t) {
    const page = t.page;
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
      [{ name: 'red.png', mimeType: 'image/png', buffer: Buffer.from(redSquarePng, 'base64') }]);
    await frame.locator('img').waitFor();
    await page.frameLocator('iframe[id^="_iframe"]').nth(1).locator('body').click();
    await page.keyboard.type('A short summary.');
    await page.locator('#save').click();
    await page.waitForLoadState('load');
    const arrived = await page.locator('#arrived-content').textContent();
    t.ok(/^<p>Sports <span style="font-weight: bold;">day<\/span> <img src="\/Data_UploadFiles\/comm_qeeditor\/\d+\.png"><\/p>$/.test(arrived),
      arrived);
    t.eq(await page.locator('#arrived-summary').textContent(), '<p>A short summary.</p>');
    // The form comes back with what was sent, in both editors.
    t.eq(await page.evaluate(() => document.getElementById('content').value), arrived);
    await page.locator('#arrived-content').scrollIntoViewIfNeeded();
    await t.shot('submitted');
  },
};
