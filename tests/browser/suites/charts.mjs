// The interactive line chart's legend in a real browser. Browsers no longer
// draw VML, but its elements are in the page and its script runs: pointing
// at a legend entry shows that entry's frame and line group, leaving hides
// them again unless a click pinned them. The site's charts page: the picture
// chart comes first and shows; each VML chart keeps to a box of its own, so a
// browser without VML lays out a page of ordinary size.
import fs from 'node:fs';

const ids = ['rec1', 'line_1', 'rec2', 'line_2'];
const shown = (page) =>
  page.evaluate((list) => list.map((id) => document.getElementById(id).style.display), ids);
const entry = (page, i) => page.locator(`div[onmouseover="moveon(rec${i},line_${i})"]`);

export const tests = {
  async 'the first series shows at first, the second is hidden'(t) {
    const page = await t.open('charts.htm');
    t.eq(await shown(page), ['', '', 'none', 'none']);
    t.eq(await page.evaluate(() => showit.length), 2);
  },

  async 'pointing at entry 2 shows rec2 and line_2 and hides series 1; leaving hides them'(t) {
    const page = await t.open('charts.htm');
    await entry(page, 2).hover();
    t.eq(await shown(page), ['none', 'none', '', '']);
    await t.shot('entry-2');
    await page.mouse.move(1, 1);
    t.eq(await shown(page), ['none', 'none', 'none', 'none']);
  },

  async 'a click pins the entry, a second click unpins it'(t) {
    const page = await t.open('charts.htm');
    await entry(page, 2).click();
    await page.mouse.move(1, 1);
    t.eq(await shown(page), ['none', 'none', '', ''], 'pinned: leaving keeps it');
    await entry(page, 1).hover();
    t.eq(await shown(page), ['', '', '', ''], 'entry 1 shows beside the pinned one');
    await page.mouse.move(1, 1);
    t.eq(await shown(page), ['none', 'none', '', '']);
    await entry(page, 2).click();
    await page.mouse.move(1, 1);
    t.eq(await shown(page), ['none', 'none', 'none', 'none'], 'unpinned');
  },

  async 'the charts page stays within 2,000 x 2,000 px, and its picture chart is drawn'(t) {
    const page = t.page;
    await page.goto(new URL('/qe/charts.asp', t.url('')).href, { waitUntil: 'load' });
    const size = await page.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.scrollHeight]);
    t.ok(size[0] <= 2000 && size[1] <= 2000, `page of ${size}`);
    // What shows of each element: its box cut by the boxes that clip it.
    const outside = await page.evaluate(() => Array.from(document.body.querySelectorAll('*')).filter((el) => {
      let { left, top, right, bottom } = el.getBoundingClientRect();
      for (let up = el.parentElement; up; up = up.parentElement) {
        if (getComputedStyle(up).overflow === 'visible') continue;
        const clip = up.getBoundingClientRect();
        left = Math.max(left, clip.left); top = Math.max(top, clip.top);
        right = Math.min(right, clip.right); bottom = Math.min(bottom, clip.bottom);
      }
      const shows = right > left && bottom > top;
      return shows && (left < 0 || top < 0 || right + scrollX > 2000 || bottom + scrollY > 2000);
    }).map((el) => el.tagName + (el.id ? `#${el.id}` : '')));
    t.eq(outside, []);
    const picture = await page.evaluate(() => {
      const img = document.getElementById('picture');
      const box = img.getBoundingClientRect();
      const first = document.querySelector('img, .chart-box');
      return { loaded: img.complete && img.naturalWidth === 400, first: first === img,
        inView: box.top >= 0 && box.bottom <= innerHeight && box.left >= 0 && box.right <= innerWidth };
    });
    t.eq(picture, { loaded: true, first: true, inView: true });
    t.eq(await page.locator('.chart-box').count(), 4);
    // A browser without VML cannot draw the charts: no box of theirs shows.
    t.eq(await page.evaluate(() => Array.from(document.querySelectorAll('.chart-box'))
      .filter((box) => box.getClientRects().length > 0).length), 0);
    t.eq(await page.locator('.chart-note').count(), 1);
    await t.shot('charts-page');
  },

  async 'the picture chart downloads through the download page, from a folder the injection check accepts'(t) {
    const page = t.page;
    await page.goto(new URL('/qe/charts.asp', t.url('')).href, { waitUntil: 'load' });
    const [download] = await Promise.all([page.waitForEvent('download'), page.locator('text=下载图片').click()]);
    t.eq(download.suggestedFilename(), 'marks.png');
    const bytes = fs.readFileSync(await download.path());
    t.eq(bytes.subarray(1, 4).toString(), 'PNG');
  },
};
