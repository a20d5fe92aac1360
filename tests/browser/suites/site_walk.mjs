// Every page of the site in a real browser, as a visitor and as the super
// manager: each of the site's pages, and every address a page links, frames,
// loads by script or names in a handler (the dialogs its buttons open), is
// visited; any answer of 400 or above, and any script error, fails the walk.
// Then how pages lie in a wide and a narrow window: the way on at the end of
// the pages that had none, the data forms' explanation inside its box.
//
// Left out of the walk, each for its reason:
// - the logout, visited last (it ends the session the walk needs);
// - the pages that view or download a file, when visited bare: without a file
//   they answer 404 by design; every link to them names a file and is walked;
// - the editor's upload address, which takes POSTs only (405 to a visit).
import { kAdminPassword, logIn } from '../helpers.mjs';

const kLogout = '/comm/logout.asp';
const kNotVisitedBare = ['/comm/kesra_fileview.asp', '/comm/kesra_download.asp', '/comm_qeeditor/upload.asp'];
const kMostAddresses = 300;
// An address takes about 130 ms alone, 300 ms at ctest -j 16 on a busy
// machine: 400 ms each.
const kWalkTimeoutMs = kMostAddresses * 400;

// Addresses named in the page's links, frames and handlers, on this site.
function addressesOf(page) {
  return page.evaluate(() => {
    const found = new Set();
    const add = (value) => {
      try {
        const url = new URL(value, location.href);
        if (url.origin === location.origin) found.add(url.pathname + url.search);
      } catch { /* not an address */ }
    };
    for (const el of document.querySelectorAll('a[href], area[href], iframe[src], frame[src]')) {
      const value = el.getAttribute(el.hasAttribute('href') ? 'href' : 'src');
      if (!/^(javascript:|mailto:|#)/i.test(value)) add(value);
    }
    // Pages that handlers open: quoted ".asp" addresses in on... attributes
    // and javascript: links.
    const quoted = /['"]([\w./-]+\.asp(?:\?[^'"]*)?)['"]/g;
    for (const el of document.querySelectorAll('*')) {
      for (const attr of el.attributes) {
        if (!/^on/i.test(attr.name) && !/^javascript:/i.test(attr.value)) continue;
        for (const match of attr.value.matchAll(quoted)) add(match[1]);
      }
    }
    return [...found];
  });
}

async function walk(t, sitePages) {
  const page = t.page;
  const failures = [];
  page.on('response', (response) => {
    if (response.status() >= 400) failures.push(`${response.status()} ${response.url()} (on ${page.url()})`);
  });
  const origin = new URL(t.url('')).origin;
  const queue = sitePages.filter((path) => !kNotVisitedBare.includes(path.toLowerCase()) && path.toLowerCase() !== kLogout);
  const seen = new Set(queue);
  let logoutLinked = false;
  for (let i = 0; i < queue.length && i < kMostAddresses; i += 1) {
    const target = origin + queue[i];
    // What the address answers, without a browser's navigation: a download
    // does not open as a page.
    const answer = await page.context().request.get(target, { maxRedirects: 0 });
    if (answer.status() >= 400) failures.push(`${answer.status()} ${queue[i]}`);
    if (!(answer.headers()['content-type'] || '').startsWith('text/html')) continue;
    await page.goto(target, { waitUntil: 'load' });
    if (new URL(page.url()).pathname !== new URL(target).pathname) continue;  // sent elsewhere: walked from there
    let found;
    try {
      found = await addressesOf(page);
    } catch {
      continue;  // the page sent the browser on by script: walked from where it went
    }
    for (const path of found) {
      if (path.toLowerCase().startsWith(kLogout)) {
        logoutLinked = true;
        continue;
      }
      if (!seen.has(path)) {
        seen.add(path);
        queue.push(path);
      }
    }
  }
  t.ok(queue.length <= kMostAddresses, `${queue.length} addresses: more than the walk visits`);
  if (logoutLinked) {
    const answer = await page.context().request.get(origin + kLogout, { maxRedirects: 0 });
    if (answer.status() >= 400) failures.push(`${answer.status()} ${kLogout}`);
  }
  t.eq(failures, []);
  return seen.size;
}

async function sitePages(t) {
  const answer = await t.page.context().request.get(t.url('site_pages.txt'));
  return (await answer.text()).split('\n').filter(Boolean);
}

async function walkAsAVisitor(t) {
  const visited = await walk(t, await sitePages(t));
  t.ok(visited > 20, `${visited} addresses`);
}
walkAsAVisitor.timeoutMs = kWalkTimeoutMs;

async function walkAsTheSuperManager(t) {
  await logIn(t);
  const visited = await walk(t, await sitePages(t));
  t.ok(visited > 30, `${visited} addresses`);
}
walkAsTheSuperManager.timeoutMs = kWalkTimeoutMs;

const kDesk = '/qe/main/desk.asp';
const kStart = '/qe/index.asp';
const kLoginPage = '/qe/login.asp', kOfficeLoginPage = '/qe/main/login.asp', kPasswordPage = '/qe/main/password.asp';
const pathOf = (href) => new URL(href, 'http://x/').pathname.toLowerCase();

// The pages the desk links, by their text: the pages the site has.
async function deskLinks(t) {
  await t.page.goto(new URL(kDesk, t.url('')).href, { waitUntil: 'load' });
  return t.page.evaluate(() => Array.from(document.querySelectorAll('a[href]'), (a) => [a.textContent, a.getAttribute('href')])
    .filter(([, href]) => !/^javascript:/i.test(href)));
}

async function menuItemsOfPagesTheSiteHasAreLinks(t) {
  await logIn(t);
  const site = new Set(await sitePages(t));
  const desk = new Map(await deskLinks(t));
  await t.page.goto(new URL(kStart, t.url('')).href, { waitUntil: 'load' });
  const items = await t.page.evaluate(() => Array.from(document.querySelectorAll('.menu dd'), (dd) => ({
    text: dd.textContent, address: dd.title, link: dd.querySelector('a') && dd.querySelector('a').getAttribute('href') })));
  t.ok(items.length > 50, `${items.length} menu items`);
  const wrong = items.filter(({ text, address, link }) => {
    const has = desk.has(text) || site.has(pathOf(`/${address}`));
    if (!has) return link !== null;
    return link === null || (desk.has(text) && pathOf(link) !== pathOf(desk.get(text)));
  }).map(({ text, link }) => `${text} -> ${link}`);
  t.eq(wrong, []);
}

// Every page the desk offers ends with the way back: a link to the desk and
// one to the start page.
async function everyPageLeadsBackToTheDesk(t) {
  await logIn(t);
  const targets = [...new Set((await deskLinks(t)).map(([, href]) => href))]
    .filter((href) => ![kDesk, kStart, '/comm/logout.asp'].includes(pathOf(href)));
  t.ok(targets.length > 15, `${targets.length} pages`);
  const without = [];
  for (const href of targets) {
    await t.page.goto(new URL(href, t.url('')).href, { waitUntil: 'load' });
    const back = await t.page.evaluate(() => Array.from(document.querySelectorAll('.way-back a'),
      (a) => new URL(a.href).pathname.toLowerCase()));
    if (!back.includes(kDesk) || !back.includes(kStart)) without.push(href);
  }
  t.eq(without, []);
}
everyPageLeadsBackToTheDesk.timeoutMs = 30000;  // some twenty pages: 5 s alone

const kWindowSizes = [{ width: 1280, height: 800 }, { width: 1024, height: 768 }, { width: 800, height: 550 }];

// What of the data form's explanation lies outside its box: text past the
// box's bottom, or a box reaching down over the form's controls.
function explanationOutside(page) {
  return page.evaluate(() => {
    const box = document.getElementById('show_info');
    const outside = [];
    if (box.scrollHeight > box.clientHeight) outside.push(`${box.scrollHeight} px of text in ${box.clientHeight} px`);
    const bottom = box.getBoundingClientRect().bottom;
    for (const control of document.querySelectorAll('input:not([type=hidden]), select')) {
      if (control.getBoundingClientRect().top < bottom && control.closest('#show_info ~ div:not([style*=float])'))
        outside.push(`over ${control.name || control.value}`);
    }
    return outside;
  });
}

// Each data form's explanation, and each repair level's once chosen, stays
// in its box above the form's controls, in a wide and a narrow window.
async function theDataFormsExplanationStaysInItsBox(t) {
  await logIn(t);
  const spilled = [];
  for (const size of kWindowSizes) {
    await t.page.setViewportSize(size);
    for (let type = 1; type <= 9; type += 1) {
      await t.page.goto(new URL(`/datemanager/data_manager.asp?p_FormType=${type}`, t.url('')).href, { waitUntil: 'load' });
      const shown = [['', await explanationOutside(t.page)]];
      for (const level of await t.page.locator('input[name=level]').all()) {
        await level.check();
        shown.push([` level ${await level.getAttribute('value')}`, await explanationOutside(t.page)]);
      }
      for (const [what, outside] of shown)
        if (outside.length) spilled.push(`${size.width}x${size.height} form ${type}${what}: ${outside.join(', ')}`);
    }
  }
  t.eq(spilled, []);
}
theDataFormsExplanationStaysInItsBox.timeoutMs = 40000;  // 27 pages: 4 s alone

// The links of the page's way on, each with whether it lies inside the
// window's width.
function wayOn(page) {
  return page.evaluate(() => Array.from(document.querySelectorAll('.way-back a'), (a) => {
    const box = a.getBoundingClientRect();
    const inside = box.width > 0 && box.left >= 0 && box.right <= document.documentElement.clientWidth;
    return `${a.textContent} ${new URL(a.href).pathname}${inside ? '' : ' outside'}`;
  }));
}

const kToStart = '首页 /qe/index.asp', kToDesk = '我的桌面 /qe/main/desk.asp';

// The pages that offered no way on end with the site's: the login pages
// (the logout lands on the office one), and the password page's answer to
// new passwords that differ; the desk only for a logged-in visitor.
async function pagesWithoutLinksOfTheirOwnLeadOn(t) {
  const page = t.page;
  const at = (path) => new URL(path, t.url('')).href;
  const wrong = [];
  const expect = async (what, wanted) => {
    const found = await wayOn(page);
    if (JSON.stringify(found) !== JSON.stringify(wanted)) wrong.push(`${what}: ${found.join(', ') || 'none'}`);
  };
  for (const size of [{ width: 1024, height: 768 }, { width: 800, height: 550 }]) {
    await page.setViewportSize(size);
    const where = `${size.width}x${size.height}`;
    for (const path of [kLoginPage, kOfficeLoginPage]) {
      await page.goto(at(path), { waitUntil: 'load' });
      await expect(`${where} ${path}`, [kToStart]);
    }
    await page.goto(at('/qe/no_such_page.asp'), { waitUntil: 'load' });
    await expect(`${where} an address that leads nowhere`, [kToDesk, kToStart]);
    await logIn(t);
    await page.goto(at(kLoginPage), { waitUntil: 'load' });
    await expect(`${where} ${kLoginPage} logged in`, [kToDesk, kToStart]);
    await page.goto(at(kPasswordPage), { waitUntil: 'load' });
    await page.locator('input[name=OldPassWord]').fill(kAdminPassword);
    await page.locator('input[name=NewPassWord]').fill('new 1');
    await page.locator('input[name=NewPassWord2]').fill('new 2');
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.locator('input[type=submit]').click()]);
    t.ok((await page.textContent('body')).includes('两次输入的新密码不一致！'));
    await expect(`${where} new passwords that differ`, [kToDesk, kToStart]);
    await page.goto(at(kDesk), { waitUntil: 'load' });
    await Promise.all([page.waitForURL((url) => url.pathname === kOfficeLoginPage, { waitUntil: 'load' }),
      page.click(`a[href="${kLogout}"]`)]);
    await expect(`${where} after the logout`, [kToStart]);
  }
  t.eq(wrong, []);
}

export const tests = {
  'every address a visitor can reach answers': walkAsAVisitor,
  'every address the super manager can reach answers': walkAsTheSuperManager,
  'a menu item whose page the site has is a link to it': menuItemsOfPagesTheSiteHasAreLinks,
  'every page the desk offers ends with links to the desk and the start page': everyPageLeadsBackToTheDesk,
  'each data form\'s explanation stays in its box above the controls': theDataFormsExplanationStaysInItsBox,
  'the login pages and the answer to new passwords that differ end with the way on': pagesWithoutLinksOfTheirOwnLeadOn,
};
