// What the browser suites share.

// A point inside the viewport where a click lands on the element (or inside
// it): for controls drawn by pseudo-elements around an empty box.
export async function pointOn(page, selector) {
  return page.evaluate((wanted) => {
    const element = document.querySelector(wanted);
    const box = element.getBoundingClientRect();
    for (let dy = -30; dy <= 40; dy += 2) {
      for (let dx = -40; dx <= 40; dx += 2) {
        const x = box.left + dx, y = box.top + dy;
        const hit = document.elementFromPoint(x, y);
        if (hit && (hit === element || element.contains(hit))) return { x, y };
      }
    }
    return null;
  }, selector);
}

// Presses the mouse on the element, moves it by (dx, dy) in a few steps and
// lets go; then waits two frames, so that moves written per frame are done.
export async function drag(page, selector, dx, dy) {
  const box = await page.locator(selector).boundingBox();
  const x = box.x + Math.min(20, box.width / 2), y = box.y + box.height / 2;
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.move(x + dx, y + dy, { steps: 4 });
  await page.mouse.up();
  await nextFrames(page);
}

export async function nextFrames(page) {
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
}

// Waits until the page's animations have run their course and two frames
// have been drawn since: the events that they and the page's first
// rendering bring (animation ends, autofocus, details toggles) are out.
export async function pageSettled(page) {
  await page.evaluate(() => Promise.all(document.getAnimations()
    .filter((animation) => animation.effect && animation.effect.getComputedTiming().endTime !== Infinity)
    .map((animation) => animation.finished.catch(() => {}))));
  await nextFrames(page);
}

// Turns the mouse wheel and waits until the page has had the wheel event
// and drawn two frames since: a scroll it starts has begun by then.
export async function wheel(page, dx, dy) {
  const arrived = page.evaluate(() => new Promise((done) => {
    window.addEventListener('wheel', () => done(), { once: true, capture: true, passive: true });
  }));
  await page.mouse.wheel(dx, dy);
  await arrived;
  await nextFrames(page);
}

// How many listeners the page's scripts add while `action` runs.
export async function countListenersAdded(page, action) {
  await page.evaluate(() => {
    window.listenersAdded = 0;
    const add = EventTarget.prototype.addEventListener;
    EventTarget.prototype.addEventListener = function (...args) {
      window.listenersAdded += 1;
      return add.apply(this, args);
    };
  });
  await action();
  return page.evaluate(() => window.listenersAdded);
}

// The password the seeded administrator gets here when it has none.
export const kAdminPassword = 'Qe 2026';
// What the administrator's password is in this suite's site, once known.
let adminPassword = null;

async function sendLogin(t, password, page) {
  await page.goto(new URL('/qe/login.asp', t.url('')).href, { waitUntil: 'load' });
  await page.locator('input[name=UserName]').fill('tolva');
  await page.locator('input[name=PassWord]').fill(password);
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }),
    page.locator('input[type=submit]').click()]);
  return new URL(page.url()).pathname;
}

// Logs the page in through the plain login page as the seeded administrator:
// the session that pages behind a login read. A new site's administrator has
// an empty password, which must be changed before any other page opens: the
// first login here sets kAdminPassword (a suite that set it itself is found
// out by one wrong try).
export async function logIn(t, page = t.page) {
  let password = adminPassword ?? '';
  let landed = await sendLogin(t, password, page);
  if (landed === '/qe/login.asp' && adminPassword === null) {
    password = kAdminPassword;
    landed = await sendLogin(t, password, page);
  }
  if (landed === '/qe/main/password.asp') {
    password = kAdminPassword;
    await page.locator('input[name=NewPassWord]').fill(password);
    await page.locator('input[name=NewPassWord2]').fill(password);
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.locator('input[type=submit]').click()]);
    await page.locator('#changed').waitFor();
  } else if (landed !== '/qe/main/desk.asp') {
    throw new Error(`the login led to ${page.url()}`);
  }
  adminPassword = password;
}
