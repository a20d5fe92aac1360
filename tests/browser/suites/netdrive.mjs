// The network drive's page in a real browser: the seeded administrator
// creates a folder and a file through create_it's prompt, renames the file
// through ReNameIt's prompt, copies and pastes it into the folder, and
// deletes what is checked through delbatch's confirmation. Each action's
// alert is read, and the page lists what the drive then holds. Then files go
// in and out through the drive's own windows: upload, view, download, unpack;
// the text editor fits the window the drive opens it in.
import fs from 'node:fs';
import zlib from 'node:zlib';
import { logIn as logInAsAdmin } from '../helpers.mjs';

const kDrive = '/qe/main/netdrivers.asp';

async function logIn(t) {
  await logInAsAdmin(t);
  await t.page.goto(new URL(kDrive, t.url('')).href, { waitUntil: 'load' });
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

// A zip archive of stored entries: [name, text] pairs.
function storedZip(entries) {
  const locals = [], centrals = [];
  let offset = 0;
  for (const [name, text] of entries) {
    const nameBytes = Buffer.from(name), data = Buffer.from(text);
    const crc = zlib.crc32(data);
    const local = Buffer.alloc(30);
    local.writeUInt32LE(0x04034b50, 0); local.writeUInt16LE(20, 4); local.writeUInt32LE(crc, 14);
    local.writeUInt32LE(data.length, 18); local.writeUInt32LE(data.length, 22); local.writeUInt16LE(nameBytes.length, 26);
    const central = Buffer.alloc(46);
    central.writeUInt32LE(0x02014b50, 0); central.writeUInt16LE(20, 4); central.writeUInt16LE(20, 6);
    central.writeUInt32LE(crc, 16); central.writeUInt32LE(data.length, 20); central.writeUInt32LE(data.length, 24);
    central.writeUInt16LE(nameBytes.length, 28); central.writeUInt32LE(offset, 42);
    locals.push(local, nameBytes, data);
    centrals.push(central, nameBytes);
    offset += 30 + nameBytes.length + data.length;
  }
  const directory = Buffer.concat(centrals);
  const end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054b50, 0); end.writeUInt16LE(entries.length, 8); end.writeUInt16LE(entries.length, 10);
  end.writeUInt32LE(directory.length, 12); end.writeUInt32LE(offset, 16);
  return Buffer.concat([...locals, directory, end]);
}

// The window a click on the drive page opens, loaded.
async function windowFrom(page, click) {
  const [popup] = await Promise.all([page.waitForEvent('popup'), click()]);
  await popup.waitForLoadState('load');
  return popup;
}

const row = (page, name) => page.locator('#list tr', { hasText: name });

// What of the editor lies outside its window: the page's sideways overflow,
// and the text area and buttons whose box leaves the viewport.
function editorOutside(page) {
  return page.evaluate(() => {
    const outside = [];
    const root = document.documentElement;
    if (root.scrollWidth > root.clientWidth) outside.push(`page ${root.scrollWidth} px wide`);
    const controls = [['text area', document.querySelector('textarea[name=fcontent]')],
      ...['保存编辑', '复原', '关闭'].map((value) => [value, document.querySelector(`input[value="${value}"]`)])];
    for (const [name, element] of controls) {
      if (!element) {
        outside.push(`${name} missing`);
        continue;
      }
      const box = element.getBoundingClientRect();
      if (box.left < 0 || box.top < 0 || box.right > root.clientWidth || box.bottom > root.clientHeight)
        outside.push(`${name} at ${box.left},${box.top} to ${box.right},${box.bottom}`);
    }
    return outside;
  });
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
    // The dialog event can reach the test after the click returns.
    await Promise.all([page.waitForEvent('dialog'), page.click('#delete')]);
    t.eq(seen, ['你真的要删除该文件或目录吗？']);
    t.eq(await listed(page), ['docs/', 'b c.txt']);
    await page.locator('#list input[name=folders]').check();
    await page.locator('#list input[name=files]').check();
    seen = await act(page, [true, true], () => page.click('#delete'));
    t.eq(seen, ['你真的要删除该文件或目录吗？', '已删除!']);
    t.eq(await listed(page), []);
  },

  async 'upload several files, view text and a picture, download one under its name, unpack a zip'(t) {
    const page = t.page;
    await logIn(t);
    const text = '<b>中文</b> 1\n';
    const picture = fs.readFileSync(new URL('../fixtures/wide_1000x600.png', import.meta.url));

    const upload = await windowFrom(page, () => page.click('#upload'));
    await upload.locator('#files').setInputFiles([
      { name: '笔记 1.txt', mimeType: 'text/plain', buffer: Buffer.from(text) },
      { name: 'wide.png', mimeType: 'image/png', buffer: picture },
      { name: 'pack.zip', mimeType: 'application/zip', buffer: storedZip([['inner/a.txt', 'from the zip']]) },
    ]);
    let seen = [];
    answer(upload, [true], seen);
    // The upload alerts, reloads the drive page and closes its window.
    await Promise.all([upload.waitForEvent('close'), page.waitForEvent('load'), upload.click('#send')]);
    t.eq(seen, ['上传成功！']);
    t.eq(await listed(page), ['pack.zip', 'wide.png', '笔记 1.txt']);

    const shownText = await windowFrom(page, () => row(page, '笔记 1.txt').locator('.entry').click());
    t.eq(await shownText.locator('#text').textContent(), text);
    await shownText.close();
    const shownPicture = await windowFrom(page, () => row(page, 'wide.png').locator('.entry').click());
    await shownPicture.waitForFunction(() => {
      const img = document.querySelector('#picture');
      return img && img.complete && img.naturalWidth === 1000 && img.naturalHeight === 600;
    });
    await shownPicture.close();
    await t.shot('uploaded');

    const [download] = await Promise.all([page.waitForEvent('download'),
      row(page, '笔记 1.txt').locator('.download').click()]);
    t.eq(download.suggestedFilename(), '笔记 1.txt');
    t.eq(fs.readFileSync(await download.path(), 'utf8'), text);

    // The unpack window alerts, reloads the drive page and closes itself.
    // Its alert can come before the window reaches the test: answered for the
    // whole context.
    seen = [];
    const context = page.context();
    const accept = async (dialog) => {
      seen.push(dialog.message());
      await dialog.accept();
    };
    context.on('dialog', accept);
    await Promise.all([page.waitForEvent('load'), row(page, 'pack.zip').locator('.unzip').click()]);
    context.off('dialog', accept);
    t.eq(seen, ['操作成功']);
    t.eq(await listed(page), ['inner/', 'pack.zip', 'wide.png', '笔记 1.txt']);
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), row(page, 'inner/').locator('.entry').click()]);
    t.eq(await listed(page), ['a.txt']);
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#up')]);
    t.eq(await listed(page), ['inner/', 'pack.zip', 'wide.png', '笔记 1.txt']);
  },
};

// Each a dozen round trips through the drive's pages: 6 to 8 s alone, up to
// 36 s at ctest -j 16 on a busy machine.
for (const test of Object.values(tests)) test.timeoutMs = 80000;

// The editor in the window the drive opens (800 by 550), and in a wider one;
// a second alone, so the default limit.
async function theEditorFitsItsWindow(t) {
  const page = t.page;
  await logIn(t);
  await act(page, ['notes.txt', true], () => page.click('#newfile'));
  const editor = await windowFrom(page, () => row(page, 'notes.txt').locator('a', { hasText: '编辑' }).click());
  t.eq(await editor.evaluate(() => [innerWidth, innerHeight]), [800, 550]);
  t.eq(await editorOutside(editor), []);
  await editor.close();
  await page.setViewportSize({ width: 1024, height: 768 });
  await page.goto(new URL('/qe/main/netdrivers_edit.asp?p_CurrentFile=notes.txt', t.url('')).href, { waitUntil: 'load' });
  t.eq(await editorOutside(page), []);
}
tests['the text editor fits the window the drive opens it in, and a wider one, with every button inside'] =
  theEditorFitsItsWindow;
