// Logging in through the plain login page (/qe/login.asp) in a real browser:
// a page that needs a login sends a visitor there, saying so, and the login
// leads back to it; an empty password keeps every such page closed until it
// is changed; the login cookie that "记住我" leaves is out of reach of the
// page's scripts while the server still reads it; the title bar's exit link
// logs out. The change of password runs last: the other tests log in with
// the seeded administrator's empty password.
const kLogin = '/qe/login.asp';
const kDesk = '/qe/main/desk.asp';
const kPassword = '/qe/main/password.asp';
const kBackup = '/datemanager/data_manager.asp?p_FormType=1';
const pathOf = (page) => { const url = new URL(page.url()); return url.pathname + url.search; };

// The login page's answer to a visitor sent by `wanted`.
async function expectSentToLogin(t, wanted) {
  const page = t.page;
  await page.waitForURL((url) => url.pathname === kLogin);
  t.eq(new URL(page.url()).searchParams.get('p_Back'), wanted);
  t.ok(await page.locator('#login-needed').isVisible(), 'the page says why');
}

async function submitAndWait(page, click) {
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), click()]);
}

export const tests = {
  async 'a page that needs a login sends a visitor to it, saying so'(t) {
    const page = t.page;
    for (const wanted of [kDesk, kBackup, '/qe/main/netdrivers.asp']) {
      await page.goto(new URL(wanted, t.url('')).href, { waitUntil: 'load' });
      await expectSentToLogin(t, wanted);
    }
    await t.shot('login-needed');
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
    // An empty password leads to its change first, and every page that knows
    // the user leads there again until it is changed.
    t.ok(page.url().endsWith(kPassword), page.url());
    for (const wanted of [kDesk, kBackup]) {
      await page.goto(new URL(wanted, t.url('')).href, { waitUntil: 'load' });
      t.eq(pathOf(page), kPassword);
    }

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
    t.ok(page.url().endsWith(kPassword), 'an empty password leads to its change');
    await page.goto(new URL('/qe/menu_list.asp', t.url('')).href, { waitUntil: 'load' });
    page.once('dialog', (dialog) => dialog.accept());
    await Promise.all([page.waitForURL(/\/qe\/main\/login\.asp$/), page.locator('img[title=安全退出]').click()]);
    t.eq(await page.locator('input[name=PassWord]').count(), 1, 'the login form');
    await page.goto(new URL(kDesk, t.url('')).href, { waitUntil: 'load' });
    await expectSentToLogin(t, kDesk);
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
    await expectSentToLogin(t, kDesk);
  },

  async 'once the password is set, the login leads back to the page that asked for it'(t) {
    const page = t.page;
    await page.goto(new URL(kBackup, t.url('')).href, { waitUntil: 'load' });
    await expectSentToLogin(t, kBackup);
    await page.locator('input[name=UserName]').fill('tolva');
    await submitAndWait(page, () => page.locator('input[type=submit]').click());
    t.eq(pathOf(page), kPassword, 'the empty password first');
    await page.locator('input[name=NewPassWord]').fill('Qe 2026');
    await page.locator('input[name=NewPassWord2]').fill('Qe 2026');
    await submitAndWait(page, () => page.locator('input[type=submit]').click());
    t.ok(await page.locator('#changed').isVisible());

    await page.context().clearCookies();
    await page.goto(new URL(kBackup, t.url('')).href, { waitUntil: 'load' });
    await expectSentToLogin(t, kBackup);
    await page.locator('input[name=UserName]').fill('tolva');
    await page.locator('input[name=PassWord]').fill('Qe 2026');
    await submitAndWait(page, () => page.locator('input[type=submit]').click());
    t.eq(pathOf(page), kBackup);
    t.ok((await page.content()).includes('数据备份'));
    await t.shot('back-after-login');
  },
};
