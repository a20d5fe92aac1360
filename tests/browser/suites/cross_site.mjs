// Other origins attack the site through the logged-in administrator's
// browser: a page of another service on this host (another port, so the
// session cookie goes with every request) and the site under another host
// name (localhost for 127.0.0.1). Each opens, auto-posts to and frames the
// site's changing pages; nothing changes and no page of the site shows in
// another origin's frame. The same actions from the site's own pages work.
import fs from 'node:fs';
import http from 'node:http';
import { logIn } from '../helpers.mjs';

const kAttackFile = 'cross_site_attack.htm';
const kRefusal = '您提交的数据不合法，请不要从外部提交数据。';

// The second service: a small server on another port of this host that
// serves the attack page and nothing else.
let otherPort;
async function otherService() {
  if (!otherPort) {
    const page = fs.readFileSync(new URL(`../fixtures/${kAttackFile}`, import.meta.url));
    const server = http.createServer((request, response) => {
      response.writeHead(200, { 'Content-Type': 'text/html' });
      response.end(page);
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    server.unref();  // the suite's process ends with its last test
    otherPort = server.address().port;
  }
  return `http://127.0.0.1:${otherPort}/${kAttackFile}`;
}

// The attack page under the origins to attack from.
async function attackers(t) {
  const site = new URL(t.url(''));
  return {
    'another port': await otherService(),
    'another host name': `http://localhost:${site.port}${site.pathname}${kAttackFile}`,
  };
}

function site(t, path) { return new URL(path, t.url('')).href; }


// One attack from the page `from`, in a tab of its own (left as it is: what
// it does after cannot reach the next attack); resolves once the site has
// answered it, with the answer's text when `read` (an answer the browser
// stays on).
async function attack(t, from, kind, target, fields, read) {
  const tab = await t.page.context().newPage();
  const path = new URL(target).pathname.toLowerCase();
  const answered = tab.waitForResponse((r) => new URL(r.url()).pathname.toLowerCase() === path);
  // The attack page acts once loaded: its own navigation is only committed.
  await tab.goto(`${from}?kind=${kind}&target=${encodeURIComponent(target)}&fields=${encodeURIComponent(fields)}`,
    { waitUntil: 'commit' });
  const response = await answered;
  // The browser hands the text over as it read it (in the page's code page).
  return read ? response.text() : '';
}

// Every kind of attack on each target from each attacker; a GET or a frame
// carries the fields in its query. What the attacks left is read after.
// Where the browser sends the session cookie (always from the same site on
// another port, and on a top-level GET from another site) and stays on the
// answer (not in a frame, whose answer it blocks), the answer is read: the
// origin refusal, where `guarded` for every method, elsewhere for a post
// (a GET only shows the page). Without the cookie the login gate sends the
// browser home.
// The attacks on one target run at once, each in its tab: none may change
// anything, so their order does not matter, and the suite stays quick on a
// loaded machine.
async function attackAll(t, targets, guarded, kinds = ['get', 'post', 'frame']) {
  const from = Object.entries(await attackers(t));
  for (const [target, fields] of targets) {
    await Promise.all(from.flatMap(([name, page]) => kinds.map(async (kind) => {
      const address = kind === 'post' || !fields ? target : `${target}${target.includes('?') ? '&' : '?'}${fields}`;
      const withCookie = name === 'another port' || kind === 'get';
      const read = withCookie && (kind === 'post' || (guarded && kind === 'get'));
      const answer = await attack(t, page, kind, address, fields, read);
      if (read) t.ok(answer.includes(kRefusal), `${kind} ${target} from ${name}: ${answer}`);
    })));
  }
}

// The drive's listing of a folder, through the drive page.
async function listed(t, folder = '/') {
  await t.page.goto(site(t, `/qe/main/netdrivers.asp?p_CurrentFolder=${encodeURIComponent(folder)}`),
    { waitUntil: 'load' });
  return t.page.locator('#list .entry').allTextContents();
}

async function editorText(t, file) {
  await t.page.goto(site(t, `/qe/main/netdrivers_edit.asp?p_CurrentFile=${encodeURIComponent(file)}`),
    { waitUntil: 'load' });
  return t.page.locator('textarea[name=fcontent]').inputValue();
}

// Answers the page's next dialogs in turn and records their messages.
function answerDialogs(page, replies, seen) {
  if (replies.length === 0) return;
  const handler = async (dialog) => {
    seen.push(dialog.message());
    const reply = replies.shift();
    await (reply === false ? dialog.dismiss() : dialog.accept(typeof reply === 'string' ? reply : undefined));
    if (replies.length === 0) page.off('dialog', handler);
  };
  page.on('dialog', handler);
}

// Clicks, answers the dialogs, and waits until the action page has sent the
// browser back to the drive page.
async function act(page, replies, click) {
  const seen = [];
  answerDialogs(page, replies, seen);
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), click()]);
  await page.waitForURL(/netdrivers\.asp\?/, { waitUntil: 'load' });
  return seen;
}

// The drive holds docs/ and victim.txt ("kept"), and the clipboard a copy of
// victim.txt: made through the drive page's own script and the editor.
async function prepareDrive(t) {
  const page = t.page;
  await listed(t);
  t.eq(await act(page, ['docs', true], () => page.click('#newfolder')), ['请输入要创建的文件(夹)的名称：', '文件夹创建成功！']);
  t.eq(await act(page, ['victim.txt', true], () => page.click('#newfile')),
    ['请输入要创建的文件(夹)的名称：', '文本文件创建成功！']);
  await saveInEditor(t, 'victim.txt', 'kept');
  await page.locator('#list input[name=files]').check();
  await act(page, [], () => page.click('#copy'));
}

// Edits the file through the editor window that the drive page opens.
async function saveInEditor(t, name, text) {
  const page = t.page;
  const row = page.locator('#list tr', { hasText: name });
  const [editor] = await Promise.all([page.waitForEvent('popup'), row.locator('a', { hasText: '编辑' }).click()]);
  await editor.waitForLoadState('load');
  await editor.locator('textarea[name=fcontent]').fill(text);
  const seen = [];
  answerDialogs(editor, [true], seen);
  // The editor alerts, reloads the drive page and closes itself.
  await Promise.all([editor.waitForEvent('close'), page.waitForEvent('load'), editor.locator('input[value=保存编辑]').click()]);
  t.eq(seen, ['文件已成功保存']);
}

// Sets cookies for this host from the attack page on another port: cookies
// do not keep ports apart.
async function tossCookies(t, cookies) {
  const tab = await t.page.context().newPage();
  const query = cookies.map((cookie) => `cookie=${encodeURIComponent(cookie)}`).join('&');
  await tab.goto(`${await otherService()}?kind=cookie&${query}`);
  await tab.waitForFunction(() => document.title === 'cookies set');
  await tab.close();
}

// Opens `address` in the site's picture viewer, as a link from anywhere
// would, once it has loaded the address as its picture.
async function viewPicture(t, address) {
  const path = new URL(address, t.url('')).pathname.toLowerCase();
  const loaded = t.page.waitForResponse((r) => new URL(r.url()).pathname.toLowerCase() === path);
  await t.page.goto(site(t, `/comm/kesra_FileView.asp?FileType=Image&Title=x&Url=${encodeURIComponent(address)}`),
    { waitUntil: 'load' });
  await loaded;
}

// Goes to `target` from a page of the site itself (a link the victim
// follows), in a tab of its own left as it is (its answer's dialogs would
// hold a close); resolves once the site has answered.
async function followFromSite(t, target) {
  const tab = await t.page.context().newPage();
  const path = new URL(target).pathname.toLowerCase();
  const answered = tab.waitForResponse((r) => new URL(r.url()).pathname.toLowerCase() === path);
  await tab.goto(`${t.url(kAttackFile)}?kind=get&target=${encodeURIComponent(target)}`, { waitUntil: 'commit' });
  await answered;
}

// Whether the drive page shows this visitor a drive (the login gate answers
// a visitor who is not logged in), read by the page's own script.
async function driveShown(t) {
  if (!t.page.url().startsWith(site(t, '/'))) await t.page.goto(site(t, '/qe/index.asp'), { waitUntil: 'load' });
  const text = await t.page.evaluate(async (address) => (await fetch(address)).text(),
    site(t, '/qe/main/netdrivers.asp'));
  return text.includes('<table id="list">');
}

// Whether the drive page shows the visitor of `page` a drive, as driveShown.
async function driveShownTo(t, page) {
  return page.evaluate(async (address) => (await fetch(address)).text().then((text) => text.includes('<table id="list">')),
    site(t, '/qe/main/netdrivers.asp'));
}

// What a logged-in user could store in a rich-text field to act for whoever
// opens it: frames of the drive's actions, a prefetch of the logout, a
// refresh to it, and a fetch preloaded from an action. The marker shows that
// the rest was read.
const kStoredLoaders = '<p>stored-marker</p>' +
  '<iframe src="/qe/main/netdrivers_create_del.asp?p_Act=DelFolder&p_CurrentFolder=/&p_CurrentFile=work"></iframe>' +
  '<iframe src="/qe/main/netdrivers_rename.asp?p_Act=ReNameFile&p_CurrentFolder=/&p_OldName=victim.txt' +
  '&p_NewName=renamed.txt"></iframe>' +
  '<link rel="prefetch" href="/comm/logout.asp">' +
  '<meta http-equiv="refresh" content="0;url=/comm/logout.asp">' +
  '<link rel="preload" as="fetch" href="/qe/main/netdrivers_create_del.asp?p_Act=CreateFolder&p_CurrentFolder=/' +
  '&p_CurrentFile=made">';

export const tests = {
  async 'stored rich text acts for nobody who opens it'(t) {
    await logIn(t);
    const page = t.page;
    await listed(t);
    t.eq(await act(page, ['work', true], () => page.click('#newfolder')), ['请输入要创建的文件(夹)的名称：', '文件夹创建成功！']);
    t.eq(await act(page, ['victim.txt', true], () => page.click('#newfile')),
      ['请输入要创建的文件(夹)的名称：', '文本文件创建成功！']);
    await listed(t, '/work/');
    t.eq(await act(page, ['w.txt', true], () => page.click('#newfile')), ['请输入要创建的文件(夹)的名称：', '文本文件创建成功！']);
    // A user stores the loaders in the form sample's body, as its form posts it.
    const stored = await page.request.post(site(t, '/qe/form_sample.asp'), {
      form: { Title: 'loaders', Content: kStoredLoaders },
      headers: { Referer: site(t, '/qe/form_sample.asp') },
    });
    t.eq(stored.status(), 200);

    // Another session opens the form: its editor shows what was stored.
    const other = await page.context().browser().newContext();
    const viewer = await other.newPage();
    await logIn(t, viewer);
    const sent = [];
    other.on('request', (request) => {
      const path = new URL(request.url()).pathname.toLowerCase();
      if (path === '/comm/logout.asp' || path.startsWith('/qe/main/netdrivers_')) sent.push(request.response());
    });
    await viewer.goto(site(t, '/qe/form_sample.asp'), { waitUntil: 'load' });
    await viewer.waitForFunction(() => Array.from(document.querySelectorAll('iframe')).some((frame) =>
      frame.contentDocument && frame.contentDocument.body && frame.contentDocument.body.textContent.includes('stored-marker')));
    // Whatever the stored text loads has been answered before anything is read.
    for (const frame of viewer.frames()) {
      if (frame !== viewer.mainFrame() && frame.parentFrame() !== viewer.mainFrame()) await frame.waitForLoadState('load');
    }
    await Promise.all(sent);
    t.eq(sent.length, 0, 'no action or logout was asked for');
    t.ok(await driveShownTo(t, viewer), 'the viewer is still logged in');
    await other.close();
    t.eq(await listed(t, '/work/'), ['w.txt']);
    t.eq(await listed(t), ['work/', 'victim.txt']);
    // The drive as the next tests expect it: empty.
    for (const [name, done] of [['work', '文件夹删除成功！'], ['victim.txt', '文件删除成功！']]) {
      const row = page.locator('#list tr', { hasText: name });
      t.eq(await act(page, [true, true], () => row.locator('a', { hasText: '删除' }).click()),
        ['你真的要删除该文件或目录吗？', done]);
    }
    t.eq(await listed(t), []);
  },

  async 'a session cookie name in another case from another port locks nobody out'(t) {
    await logIn(t);
    const [session] = (await t.page.context().cookies()).filter((cookie) => cookie.name.startsWith('ASPSESSIONID'));
    await tossCookies(t, [`${session.name.toLowerCase()}=JUNK; path=/; Max-Age=315360000`]);
    // The next answer takes the other spelling away: the login works, and
    // keeps working, page after page.
    await logIn(t);
    for (let i = 0; i < 3; i += 1) t.ok(await driveShown(t), `logged in, page ${i + 1}`);
    t.eq((await t.page.context().cookies()).filter((cookie) => cookie.name === session.name.toLowerCase()), []);
  },

  async 'a cookie holding NUL set from another port locks nobody out'(t) {
    await tossCookies(t, ['pref=%00; Path=/; Max-Age=315360000']);
    t.eq((await t.page.context().cookies()).filter((cookie) => cookie.name === 'pref').map((cookie) => cookie.value),
      ['%00']);
    // The site serves this browser its pages as if it had not sent the cookie.
    for (const path of ['/', '/qe/index.asp', '/qe/login.asp']) {
      const response = await t.page.goto(site(t, path), { waitUntil: 'load' });
      t.eq(response.status(), 200, path);
    }
    await logIn(t);
    t.ok(await driveShown(t), 'logged in');
  },

  async 'an address given to the picture viewer runs no script'(t) {
    await logIn(t);
    for (const address of ["javascript:document.title='ran'", " JavaScript\t:document.title='ran'",
      "data:text/html,<script>document.title='ran'</script>"]) {
      await t.page.goto(site(t, `/comm/kesra_FileView.asp?FileType=Image&Title=x&Url=${encodeURIComponent(address)}`),
        { waitUntil: 'load' });
      const picture = t.page.locator('img[onclick]');
      const shown = await picture.evaluate((img) => img.src);
      t.ok(shown.startsWith(site(t, '/comm/')), `${address}: ${shown}`);
      // A click opens what the picture shows: a page of the site.
      const [opened] = await Promise.all([t.page.waitForEvent('popup'), picture.dispatchEvent('click')]);
      await opened.waitForLoadState('load');
      t.ok(opened.url().startsWith(site(t, '/comm/')), opened.url());
      t.ok(await opened.title() !== 'ran', address);
      await opened.close();
    }
    // An address of the site is shown.
    await viewPicture(t, '/qe/qe.css');
    t.eq(await t.page.locator('img[onclick]').getAttribute('src'), '/qe/qe.css');
  },

  async 'addresses the site loads or follows change nothing by themselves'(t) {
    await logIn(t);
    await listed(t);
    t.eq(await act(t.page, ['victim.txt', true], () => t.page.click('#newfile')),
      ['请输入要创建的文件(夹)的名称：', '文本文件创建成功！']);
    // Values for the drive's delete, set from another port of this host.
    const action = '/qe/main/netdrivers_create_del.asp';
    await tossCookies(t, ['p_Act=DelFile', 'p_CurrentFile=victim.txt', 'p_CurrentFolder=/']
      .map((cookie) => `${cookie}; path=${action}`));
    // A link on a page of the site: the action reads no value from a cookie.
    await followFromSite(t, site(t, action));
    t.eq(await listed(t), ['victim.txt']);
    // The picture viewer loading the action and the logout as its picture.
    await viewPicture(t, action);
    t.eq(await listed(t), ['victim.txt']);
    await viewPicture(t, '/comm/logout.asp');
    t.ok(await driveShown(t), 'still logged in');

    // From the drive page itself the file is deleted, the tossed cookies
    // notwithstanding; the logout from the site's own page logs out.
    await listed(t);
    const row = t.page.locator('#list tr', { hasText: 'victim.txt' });
    t.eq(await act(t.page, [true, true], () => row.locator('a', { hasText: '删除' }).click()),
      ['你真的要删除该文件或目录吗？', '文件删除成功！']);
    t.eq(await listed(t), []);
    await followFromSite(t, site(t, '/comm/logout.asp'));
    t.ok(!(await driveShown(t)), 'logged out');
  },

  async 'a session cookie set from another port is not taken'(t) {
    // Another visitor's session, logged in, in a browser of its own.
    const other = await t.page.context().browser().newContext();
    await logIn(t, await other.newPage());
    const [session] = (await other.cookies()).filter((cookie) => cookie.name.startsWith('ASPSESSIONID'));
    await other.close();
    // This visitor has a session of his own (the start page counts visits),
    // and is not logged in.
    await t.page.goto(site(t, '/qe/index.asp'), { waitUntil: 'load' });
    t.eq((await t.page.context().cookies()).filter((cookie) => cookie.name === session.name).length, 1);
    await tossCookies(t, [`${session.name}=${session.value}; path=/qe/main`]);
    t.ok(!(await driveShown(t)), 'the tossed session is not his');
    t.ok(!(await driveShown(t)), 'nor on the next page');
    // His own login works, the drive pages included.
    await logIn(t);
    t.ok(await driveShown(t), 'his own session');
  },


  async 'drive actions from other origins change nothing'(t) {
    await logIn(t);
    await prepareDrive(t);
    const drive = (path) => site(t, `/qe/main/${path}`);
    await attackAll(t, [
      [drive('netdrivers_create_del.asp?p_CurrentFolder=%2F&p_CurrentFile=victim.txt&p_Act=DelFile'), ''],
      [drive('netdrivers_create_del.asp?p_CurrentFolder=%2F&p_CurrentFile=new.txt&p_Act=CreateFile'), ''],
      [drive('netdrivers_rename.asp?p_Act=ReNameFile&p_CurrentFolder=%2F&p_OldName=victim.txt&p_NewName=x.txt'), ''],
      [drive('netdrivers_edit.asp?p_CurrentFile=%2Fvictim.txt&p_Act=EditFile'), 'fcontent=changed'],
      [drive('netdrivers.asp?p_Act=paste&p_CurrentFolder=%2Fdocs%2F'), ''],
      [drive('netdrivers_copy.asp?p_CurrentFolder=%2F&p_CopyType=1&p_CurrentFile=victim.txt'), 'p_Act=cut'],
      [drive('netdrivers_delbatch.asp?p_CurrentFolder=%2F'), 'p_Act=DelBatch&files=victim.txt&folders=docs'],
    ], true);
    t.eq(await listed(t), ['docs/', 'victim.txt']);
    t.eq(await listed(t, '/docs/'), []);
    t.eq(await editorText(t, '/victim.txt'), 'kept');

    // The same from the drive page itself: the copy (not the attack's cut)
    // is pasted, and the file is deleted.
    await t.page.goto(site(t, '/qe/main/netdrivers.asp?p_CurrentFolder=%2Fdocs%2F'), { waitUntil: 'load' });
    await Promise.all([t.page.waitForNavigation({ waitUntil: 'load' }), t.page.click('#paste')]);
    t.eq(await t.page.locator('#list .entry').allTextContents(), ['victim.txt']);
    await listed(t);
    const row = t.page.locator('#list tr', { hasText: 'victim.txt' });
    t.eq(await act(t.page, [true, true], () => row.locator('a', { hasText: '删除' }).click()),
      ['你真的要删除该文件或目录吗？', '文件删除成功！']);
    t.eq(await listed(t), ['docs/']);
  },

  async 'the maintenance pages and the form sample refuse other origins'(t) {
    await logIn(t);
    const page = t.page;
    const accounts = async () => {
      await page.goto(site(t, '/datemanager/user_manager.asp'), { waitUntil: 'load' });
      return page.locator('#grid tr[onclick]').count();  // an account's row; the grid pads with empty ones
    };
    const backups = async () => {
      await page.goto(site(t, '/datemanager/data_manager.asp?p_FormType=2'), { waitUntil: 'load' });
      return page.content();
    };
    const title = async () => {
      await page.goto(site(t, '/qe/form_sample.asp'), { waitUntil: 'load' });
      return page.locator('#Title').inputValue();
    };
    const rows = await accounts();
    const stored = await title();
    await attackAll(t, [
      [site(t, '/datemanager/data_manager.asp?p_FormType=1'), 'save=save&DataBackupPath=crosssite'],
      [site(t, '/datemanager/user_manager.asp'), 'save=save&submit=添加'],
      [site(t, '/qe/form_sample.asp'), 'Title=changed'],
    ], false);
    t.eq(await accounts(), rows);
    t.ok(!(await backups()).includes('crosssite'), 'no backup was made');
    t.eq(await title(), stored);

    // From the accounts page itself an account is added.
    await accounts();
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#Add')]);
    t.eq(await accounts(), rows + 1);
  },

  async 'only the site frames its pages'(t) {
    await logIn(t);
    const page = t.page;
    const target = site(t, '/qe/main/netdrivers.asp');
    const framed = async (from) => {
      await page.goto(`${from}?kind=frame&target=${encodeURIComponent(target)}`);
      await page.waitForFunction(() => document.title === 'framed');
      const frame = page.frames().find((f) => f !== page.mainFrame());
      return frame.locator('#list').count();
    };
    for (const [name, from] of Object.entries(await attackers(t))) t.eq(await framed(from), 0, name);
    t.eq(await framed(t.url(kAttackFile)), 1, 'the site itself');
  },
};
