// Logging in through the plain login page (/qe/login.asp) in a real browser:
// the desk page sends a visitor home until the form has been sent, then
// greets the user; the login cookie that "记住我" leaves is out of reach of
// the page's scripts while the server still reads it; the title bar's exit
// link logs out.
const kLogin = '/qe/login.asp';
const kDesk = '/qe/main/desk.asp';

async function submitAndWait(page, click) {
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), click()]);
}

export const tests = {
  async 'the desk sends a visitor who is not logged in to the start page'(t) {
    const page = t.page;
    await page.goto(new URL(kDesk, t.url('')).href, { waitUntil: 'load' });
    await page.waitForURL(/\/qe\/index\.asp$/);
    t.eq(await page.locator('#user').count(), 0);
  },

  async 'a remembered login: the desk greets the user, and KesraQe stays out of document.cookie'(t) {
    const page = t.page;
    await page.goto(new URL(kLogin, t.url('')).href, { waitUntil: 'load' });
    t.eq(await page.locator('input[name=UserName]').inputValue(), '', 'nothing remembered yet');
    // The seeded administrator, whose password is empty.
    await page.locator('input[name=UserName]').fill('tolva');
    await page.locator('input[name=SaveTime]').check();
    await submitAndWait(page, () => page.locator('input[type=submit]').click());
    // An empty password leads to its change first; the desk is open all the same.
    t.ok(page.url().endsWith('/qe/main/password.asp'), page.url());
    await page.goto(new URL(kDesk, t.url('')).href, { waitUntil: 'load' });
    t.eq(await page.textContent('#user'), '管理员');
    await t.shot('desk');

    const cookies = await page.context().cookies();
    const remembered = cookies.find((cookie) => cookie.name === 'KesraQe');
    t.ok(remembered, 'the browser holds the login cookie');
    t.eq([remembered.httpOnly, remembered.sameSite, remembered.path], [true, 'Lax', '/']);
    t.ok(remembered.expires * 1000 > Date.now() + 29 * 86400 * 1000, 'kept for thirty days');
    const seen = await page.evaluate(() => document.cookie);
    t.ok(!seen.includes('KesraQe'), `document.cookie: ${seen}`);
    t.ok(!seen.includes('PassWord'), 'nor its password');

    await page.goto(new URL(kLogin, t.url('')).href, { waitUntil: 'load' });
    t.eq(await page.locator('input[name=UserName]').inputValue(), 'tolva', 'the server read the cookie');
    t.ok(await page.locator('input[name=SaveTime]').isChecked());
    t.eq(await page.evaluate(() => document.cookie.includes('KesraQe')), false);
  },

  async 'the exit link of the title bar ends the session and leads to the login form'(t) {
    const page = t.page;
    await page.goto(new URL(kLogin, t.url('')).href, { waitUntil: 'load' });
    await page.locator('input[name=UserName]').fill('tolva');
    await submitAndWait(page, () => page.locator('input[type=submit]').click());
    t.ok(page.url().endsWith('/qe/main/password.asp'), 'an empty password leads to its change');
    await page.goto(new URL(kDesk, t.url('')).href, { waitUntil: 'load' });
    t.eq(await page.textContent('#user'), '管理员');
    await page.goto(new URL('/qe/menu_list.asp', t.url('')).href, { waitUntil: 'load' });
    page.once('dialog', (dialog) => dialog.accept());
    await Promise.all([page.waitForURL(/\/qe\/main\/login\.asp$/), page.locator('img[title=安全退出]').click()]);
    t.eq(await page.locator('input[name=PassWord]').count(), 1, 'the login form');
    await page.goto(new URL(kDesk, t.url('')).href, { waitUntil: 'load' });
    await page.waitForURL(/\/qe\/index\.asp$/);
  },

  async 'a wrong password shows the error page and the desk stays closed'(t) {
    const page = t.page;
    await page.goto(new URL(kLogin, t.url('')).href, { waitUntil: 'load' });
    await page.locator('input[name=UserName]').fill('tolva');
    await page.locator('input[name=PassWord]').fill('guess');
    await submitAndWait(page, () => page.locator('input[type=submit]').click());
    t.ok((await page.content()).includes('用户名或密码错误！'));
    t.eq((await page.context().cookies()).filter((cookie) => cookie.name === 'KesraQe'), []);
    await page.goto(new URL(kDesk, t.url('')).href, { waitUntil: 'load' });
    await page.waitForURL(/\/qe\/index\.asp$/);
  },
};
