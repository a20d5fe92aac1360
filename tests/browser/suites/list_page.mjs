// The menu list (/qe/menu_list.asp) in a real browser: the pager's Goto box
// and links, a Chinese search that the pager keeps, the title link that opens
// one item in the dialog frame, the export saved under the list's title, and
// how the page looks.
const kList = '../qe/menu_list.asp';

function listState() {
  const bar = document.querySelector('form[name=page]').textContent;
  const shown = /\[第(\d+)页\]/.exec(bar);
  const rows = [...document.querySelectorAll('table.list tr.tdbg')];
  return {
    page: shown ? shown[1] : '',
    total: (/\[总数(\d+)\]/.exec(bar.replace(/\s+/g, '')) || [])[1],
    titles: rows.map((row) => row.cells[1] ? row.cells[1].textContent : ''),
    groups: rows.map((row) => row.cells[3] ? row.cells[3].textContent : ''),
    ids: rows.map((row) => row.cells[0].textContent),
  };
}

async function submitAndWait(page, click) {
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), click()]);
}

export const tests = {
  async 'the export is saved under the list title'(t) {
    const url = new URL('/qe/menu_list.asp?export=1', t.url('')).href;
    const [download] = await Promise.all([t.page.waitForEvent('download'), t.page.goto(url).catch(() => null)]);
    t.eq(download.suggestedFilename(), '菜单项目.xls');
  },

  async 'typing a page number and pressing Goto shows that page'(t) {
    const page = await t.open(kList);
    t.eq((await page.evaluate(listState)).page, '1');
    await page.locator('form[name=page] input[name=page]').fill('3');
    await submitAndWait(page, () => page.locator('form[name=page] input[value=Goto]').click());
    const state = await page.evaluate(listState);
    t.eq(state.page, '3');
    t.eq(state.total, '67');
    t.eq(state.titles.length, 10);
    t.eq(await page.locator('form[name=page] input[name=page]').inputValue(), '3');
  },

  async '下一页 leads to the next page, 尾 页 to the last with seven items'(t) {
    const page = await t.open(kList);
    const first = await page.evaluate(listState);
    await submitAndWait(page, () => page.getByRole('link', { name: '下一页' }).click());
    const second = await page.evaluate(listState);
    t.eq(second.page, '2');
    t.ok(second.ids.every((id) => !first.ids.includes(id)), 'other items than page 1');
    await submitAndWait(page, () => page.getByRole('link', { name: '尾 页' }).click());
    const last = await page.evaluate(listState);
    t.eq([last.page, last.titles.length], ['7', 7]);
    t.eq(await page.getByRole('link', { name: '下一页' }).count(), 0, 'no next link on the last page');
  },

  async 'a Chinese search narrows the list and the pager keeps it'(t) {
    const page = await t.open(kList);
    await page.locator('select[name=moden]').selectOption('class');
    await page.locator('form[name=sele] input[name=keyword]').fill('管理');
    await submitAndWait(page, () => page.locator('form[name=sele] input[type=submit]').click());
    const found = await page.evaluate(listState);
    t.ok(Number(found.total) > 10 && Number(found.total) < 67, `narrowed: ${found.total}`);
    t.ok(found.groups.every((group) => group.includes('管理')), 'every group holds the keyword');
    t.eq(await page.locator('select[name=moden]').inputValue(), 'class', 'the column stays chosen');
    await t.shot('search');

    await submitAndWait(page, () => page.getByRole('link', { name: '下一页' }).click());
    const next = await page.evaluate(listState);
    t.eq([next.page, next.total], ['2', found.total]);
    t.ok(next.groups.every((group) => group.includes('管理')), 'the link carried the Chinese keyword');

    await page.locator('form[name=page] input[name=page]').fill('1');
    await submitAndWait(page, () => page.locator('form[name=page] input[value=Goto]').click());
    const back = await page.evaluate(listState);
    t.eq([back.page, back.total], ['1', found.total], 'the hidden inputs carried it too');
  },

  async 'a title opens its item in the dialog, whose bar closes it'(t) {
    const page = await t.open(kList);
    await page.locator('table.list tr.tdbg a').first().click();
    const item = page.frameLocator('#Frame_Dialog');
    await item.locator('.toptitle').waitFor();
    t.ok((await item.locator('.toptitle').textContent()).includes('内部通知'));
    t.eq(await page.evaluate(() => document.getElementById('Dialog').open), true);
    await t.shot('dialog');
    await item.locator("a[title='关闭']").click();
    await page.waitForFunction(() => !document.getElementById('Dialog').open);
  },

  async 'the page as it looks'(t) {
    const page = await t.open(kList);
    await page.locator('form[name=page] input[name=page]').fill('2');
    await submitAndWait(page, () => page.locator('form[name=page] input[value=Goto]').click());
    const file = await t.shot('page-2');
    t.ok(file.endsWith('list_page-page-2.png'));
  },
};
