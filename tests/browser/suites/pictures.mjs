// The site's interface pictures in a real browser: the error page is whole
// (its box, its title bar and both buttons drawn, the buttons swap under the
// pointer and go back), and no picture of the start page, the site's other
// pages or the fixture pages answers with an error.
import fs from 'node:fs';
import { nextFrames } from '../helpers.mjs';

const kErrorPage = '/qe/index.asp?id=1%27';
const kErrorPictures = ['TopLeft', 'TopBg', 'TopRight', 'ButtonClose1', 'Bg', 'ButtonReturn1', 'Bottom',
  'ButtonClose2', 'ButtonReturn2'].map((name) => `kesra_error_${name.toLowerCase()}.asp`);

// The path of a picture the site itself serves; null for any other address
// (fixtures such as the UBB attack corpus ask for foreign and malformed ones).
function sitePath(page, url) {
  try {
    const address = new URL(url);
    return address.origin === new URL(page.url()).origin ? address.pathname : null;
  } catch {
    return null;
  }
}

// Follows the pictures a page asks of the site: what answered, and what failed.
// `idle()` waits until no picture the site was asked for is still coming.
function watchPictures(page) {
  const seen = { answered: new Map(), failed: [] };
  const pending = new Set(), waiting = [];
  const settle = () => {
    if (pending.size === 0) for (const done of waiting.splice(0)) done();
  };
  seen.idle = () => new Promise((done) => {
    waiting.push(done);
    settle();
  });
  page.on('request', (request) => {
    if (request.resourceType() === 'image' && sitePath(page, request.url()) !== null) pending.add(request);
  });
  for (const ended of ['requestfinished', 'requestfailed']) {
    page.on(ended, (request) => {
      pending.delete(request);
      settle();
    });
  }
  page.on('response', (response) => {
    if (response.request().resourceType() !== 'image') return;
    const path = sitePath(page, response.url());
    if (path === null) return;
    seen.answered.set(path.toLowerCase(), response.status());
    if (response.status() >= 400) seen.failed.push(`${response.status()} ${path}`);
  });
  page.on('requestfailed', (request) => {
    if (request.resourceType() !== 'image') return;
    const path = sitePath(page, request.url());
    if (path !== null) seen.failed.push(`failed ${path}`);
  });
  return seen;
}

// Pictures of the site in the page's img elements that did not come out as pictures.
const brokenImages = (page) => page.evaluate(() => Array.from(document.images)
  .filter((img) => img.getAttribute('src') && img.src.startsWith(`${location.origin}/`))
  .filter((img) => !(img.complete && img.naturalWidth > 0))
  .map((img) => img.getAttribute('src')));

async function buttonBox(page, name) {
  const box = await page.locator(`img[name=${name}]`).boundingBox();
  return box && [Math.round(box.width), Math.round(box.height)];
}

export const tests = {
  async 'the error page draws its box and both buttons, which swap under the pointer and go back'(t) {
    const page = t.page;
    const seen = watchPictures(page);
    await t.open('submitted.htm');
    const before = page.url();
    await page.goto(new URL(kErrorPage, t.url('')).href, { waitUntil: 'load' });
    await nextFrames(page);
    await seen.idle();  // the preloaded hover pictures
    t.eq(seen.failed, [], 'no picture of the error page failed');
    for (const name of kErrorPictures) t.eq(seen.answered.get(`/comm/image/${name}`), 200, name);
    t.eq(await brokenImages(page), []);
    t.eq(await buttonBox(page, 'close'), [15, 18], 'the close button at its size');
    t.eq(await buttonBox(page, 'back'), [73, 20], 'the return button at its size');
    t.ok(await page.locator('img[name=close]').isVisible() && await page.locator('img[name=back]').isVisible());
    // The title bar's text and the message sit on our pictures, not on white.
    const title = await page.locator('table[background]').first().boundingBox();
    t.eq(Math.round(title.width), 400, 'the title bar is as wide as the box');
    await t.shot('error-page');

    await page.hover('img[name=back]');
    t.ok(/Kesra_Error_ButtonReturn2\.asp$/.test(await page.getAttribute('img[name=back]', 'src')), 'the return button swaps');
    await t.shot('error-page-hover');
    await page.click('img[name=back]');
    await page.waitForURL(before);
    t.eq(await page.textContent('#submitted'), '已提交', 'the return button goes back');

    await page.goForward({ waitUntil: 'load' });
    await page.hover('img[name=close]');
    t.ok(/Kesra_Error_ButtonClose2\.asp$/.test(await page.getAttribute('img[name=close]', 'src')), 'the close button swaps');
    await page.click('img[name=close]');
    await page.waitForURL(before);
    t.eq(page.url(), before, 'the close button goes back too');
  },

  async 'no picture of the start page, the site\'s pages or the fixtures answers with an error'(t) {
    // Pages outside this suite's concern may have script errors of their own.
    t.errorsAllowed = true;
    const page = t.page;
    const seen = watchPictures(page);
    const listed = await (await fetch(t.url('site_pages.txt'))).text();
    const sitePages = listed.split('\n').filter((line) => line.trim() !== '');
    t.ok(sitePages.includes('/qe/index.asp'), 'the start page is among the site\'s pages');
    // An attack corpus asks for broken pictures on purpose.
    const fixtures = fs.readdirSync(new URL('../fixtures/', import.meta.url))
      .filter((name) => name.endsWith('.htm') && !name.endsWith('_attacks.htm'));
    const visits = [kErrorPage, ...sitePages, ...fixtures.map((name) => `/fixtures/${name}`)];
    const broken = [];
    for (const path of visits) {
      await page.goto(new URL(path, t.url('')).href, { waitUntil: 'load' });
      await nextFrames(page);  // pictures that the page's scripts ask for once it has loaded
      await seen.idle();
      for (const src of await brokenImages(page)) broken.push(`${path}: ${src}`);
    }
    t.eq(seen.failed, [], 'pictures that failed');
    t.eq(broken, [], 'img elements that show no picture');
    t.ok(seen.answered.size >= kErrorPictures.length, `pictures were loaded (${seen.answered.size})`);
  },
};

// Every page of the site and every fixture, each to its last picture: 27 s
// at ctest -j 16 on a busy machine.
tests['no picture of the start page, the site\'s pages or the fixtures answers with an error'].timeoutMs = 80000;
