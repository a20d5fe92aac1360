// The network drive's page in a real browser: the seeded administrator
// creates a folder and a file through create_it's prompt, renames the file
// through ReNameIt's prompt, copies and pastes it into the folder, and
// deletes what is checked through delbatch's confirmation. Each action's
// alert is read, and the page lists what the drive then holds.
const kLogin = '/qe/login.asp';
const kDrive = '/qe/main/netdrivers.asp';

async function logIn(t) {
  const page = t.page;
  await page.goto(new URL(kLogin, t.url('')).href, { waitUntil: 'load' });
  await page.locator('input[name=UserName]').fill('tolva');
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.locator('input[type=submit]').click()]);
  await page.goto(new URL(kDrive, t.url('')).href, { waitUntil: 'load' });
}

// Answers the page's next dialogs in turn (a prompt's text, true to accept,
// false to dismiss) and records their messages.
function answer(page, replies, seen) {
  const handler = async (dialog) => {
    seen.push(dialog.message());
    const reply = replies.shift();
    if (reply === false) await dialog.dismiss();
    else await dialog.accept(typeof reply === 'string' ? reply : undefined);
    if (replies.length === 0) page.off('dialog', handler);
  };
  page.on('dialog', handler);
}

async function act(page, replies, click) {
  const seen = [];
  answer(page, replies, seen);
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), click()]);
  // The action page alerts, then sends the browser back to the drive page.
  await page.waitForURL(/netdrivers\.asp\?/);
  await page.waitForLoadState('load');
  return seen;
}

async function listed(page) {
  return page.locator('#list .entry').allTextContents();
}

export const tests = {
  async 'create, rename, copy, paste and delete through the page\'s prompts and confirmations'(t) {
    const page = t.page;
    await logIn(t);
    t.eq(await listed(page), []);

    let seen = await act(page, ['docs', true], () => page.click('#newfolder'));
    t.eq(seen, ['请输入要创建的文件(夹)的名称：', '文件夹创建成功！']);
    seen = await act(page, ["it's a.txt", true], () => page.click('#newfile'));
    t.eq(seen, ['请输入要创建的文件(夹)的名称：', '文本文件创建成功！']);
    t.eq(await listed(page), ['docs/', "it's a.txt"]);

    const file = page.locator('#list tr', { hasText: "it's a.txt" });
    seen = await act(page, ['b c.txt', true], () => file.locator('.rename').click());
    t.eq(seen, ['请输入文件(夹)的新名称：', "重命名文件 [it's a.txt] 为 [b c.txt] 成功！"]);
    t.eq(await listed(page), ['docs/', 'b c.txt']);

    await page.locator('#list input[name=files]').check();
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#copy')]);
    await page.waitForURL(/netdrivers\.asp\?/);
    await page.waitForLoadState('load');
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#list .entry >> text=docs/')]);
    t.eq(await listed(page), []);
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#paste')]);
    t.eq(await listed(page), ['b c.txt']);
    await t.shot('pasted');

    await page.goto(new URL(kDrive, t.url('')).href, { waitUntil: 'load' });
    await page.locator('#list input[name=folders]').check();
    await page.locator('#list input[name=files]').check();
    // Dismissed: nothing is sent.
    seen = [];
    answer(page, [false], seen);
    await page.click('#delete');
    // The dialog event can reach the test after the click returns.
    for (let waited = 0; seen.length === 0 && waited < 5000; waited += 20) await page.waitForTimeout(20);
    t.eq(seen, ['你真的要删除该文件或目录吗？']);
    t.eq(await listed(page), ['docs/', 'b c.txt']);
    await page.locator('#list input[name=folders]').check();
    await page.locator('#list input[name=files]').check();
    seen = await act(page, [true, true], () => page.click('#delete'));
    t.eq(seen, ['你真的要删除该文件或目录吗？', '已删除!']);
    t.eq(await listed(page), []);
  },
};
