// A newcomer's way through the site in a real browser: the start page leads
// in, the seeded administrator (empty password) is sent to set a password at
// once, the start page and the desk then show the user's pages, and the pop-up
// layer of the data manager's forms opens inside the window. The change of
// password runs first among the logged-in tests: nothing else opens before it.
import { logIn } from '../helpers.mjs';

const kStart = '/qe/index.asp';
const address = (t, path) => new URL(path, t.url('')).href;
const linkTexts = (page, list) => page.locator(`#${list} a`).allTextContents();

async function follow(page, locator) {
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), locator.click()]);
}

export const tests = {
  async 'a visitor finds the login and the open pages on the start page'(t) {
    const page = t.page;
    await page.goto(address(t, '/'), { waitUntil: 'load' });
    t.ok(page.url().endsWith(kStart), page.url());
    t.eq(await linkTexts(page, 'open-pages'), ['表单示例', '菜单列表', '统计图表', '在线编辑器']);
    t.eq(await page.locator('text=我的桌面').count(), 0);
    // The menu links only the pages the site has.
    t.eq(await page.locator('.menu dd a').allTextContents(), ['网络硬盘', '修改密码', '用户管理', '数据备份', '数据恢复', '数据压缩', '数据初始化', '数据维护']);
    await follow(page, page.locator('.account a', { hasText: '登录' }));
    t.ok(page.url().endsWith('/qe/login.asp'), page.url());
  },

  async 'the administrator sets a password at once, and logs in with it'(t) {
    const page = t.page;
    await page.goto(address(t, '/qe/login.asp'), { waitUntil: 'load' });
    await page.fill('input[name=UserName]', 'tolva');
    await follow(page, page.locator('input[type=submit]'));
    t.ok(page.url().endsWith('/qe/main/password.asp'), `an empty password leads here: ${page.url()}`);
    t.ok(await page.locator('#empty-password').isVisible());
    await t.shot('empty-password');
    await page.fill('input[name=NewPassWord]', 'Qe 2026');
    await page.fill('input[name=NewPassWord2]', 'Qe 2026');
    await follow(page, page.locator('input[type=submit]'));
    t.ok(await page.locator('#changed').isVisible(), await page.content());

    await page.context().clearCookies();
    await page.goto(address(t, '/qe/login.asp'), { waitUntil: 'load' });
    await page.fill('input[name=UserName]', 'tolva');
    await follow(page, page.locator('input[type=submit]'));
    t.ok((await page.content()).includes('用户名或密码错误！'), 'the empty password no longer opens it');
    await page.goto(address(t, '/qe/login.asp'), { waitUntil: 'load' });
    await page.fill('input[name=UserName]', 'tolva');
    await page.fill('input[name=PassWord]', 'Qe 2026');
    await follow(page, page.locator('input[type=submit]'));
    t.ok(page.url().endsWith('/qe/main/desk.asp'), page.url());
    await page.goto(address(t, '/qe/main/password.asp'), { waitUntil: 'load' });
    t.eq(await page.locator('#empty-password').count(), 0);
  },

  async 'logged in, the start page names the user and the desk links every page of a super manager'(t) {
    const page = t.page;
    await logIn(t);
    await page.goto(address(t, kStart), { waitUntil: 'load' });
    t.eq(await page.textContent('#user'), '管理员');
    t.eq(await page.locator('.account a').allTextContents(), ['我的桌面', '退出登录']);
    await follow(page, page.locator('text=我的桌面'));
    t.eq(await linkTexts(page, 'user-pages'), ['网络硬盘']);
    t.eq(await linkTexts(page, 'open-pages'), ['表单示例', '菜单列表', '统计图表', '在线编辑器']);
    t.eq(await linkTexts(page, 'manager-pages'), ['数据备份', '数据恢复', '数据清理', '数据压缩', '数据导入导出',
      '数据管理', '数据结构创建', '数据初始化', '数据维护', '用户管理']);
    t.eq(await page.locator('.account a').allTextContents(), ['修改密码', '退出登录', '首页']);
    await t.shot('desk');
  },

  async 'the restore form picks its folder in a pop-up layer that stays inside the window'(t) {
    const page = t.page;
    await logIn(t);
    for (const width of [800, 1024, 1280]) {
      await page.setViewportSize({ width, height: 600 });
      await page.goto(address(t, '/datemanager/data_manager.asp?p_FormType=2'), { waitUntil: 'load' });
      await page.locator('input[title="选择原备份文件所在路径"]').click();
      const layer = page.locator('.qe-popup');
      await layer.waitFor();
      const box = await layer.boundingBox();
      t.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= width && box.y + box.height <= 600, JSON.stringify(box));
      t.eq(await layer.locator('.qe-popup-title span').textContent(), '请选择备份文件路径：');
      if (width === 1024) await t.shot('restore-picker');
      await layer.locator('.qe-popup-close').click();
      t.eq(await page.locator('.qe-popup, .qe-popup-shade').count(), 0);
    }
  },
};
