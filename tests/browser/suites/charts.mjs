// The interactive line chart's legend in a real browser. Browsers no longer
// draw VML, but its elements are in the page and its script runs: pointing
// at a legend entry shows that entry's frame and line group, leaving hides
// them again unless a click pinned them.
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
};
