// Downloads and the media viewer in a real browser: files with a Chinese
// name, a blank or a comma arrive under their names with their bytes; the viewer fits a
// wide picture to 500 px and shows a hostile title as text; the view's
// redirection carries a title with "&", "#" and Chinese whole.
import fs from 'node:fs';

const docName = '报告 2024.doc';
// The site reads queries in code page 936: 报告 is B1A8 B8E6 there.
const docQuery = '/fixtures/%B1%A8%B8%E6%202024.doc';
const site = (t, path) => new URL(path, t.url('')).href;

async function downloadOf(t, query) {
  const url = site(t, `/comm/kesra_Download.asp?p_CurrentFile=${query}&p_Act=DownLoad`);
  const [download] = await Promise.all([t.page.waitForEvent('download'), t.page.goto(url).catch(() => null)]);
  return download;
}

function sameBytes(t, download, name) {
  return download.path().then((saved) => {
    const got = fs.readFileSync(saved);
    const want = fs.readFileSync(new URL(`../fixtures/${name}`, import.meta.url));
    t.ok(got.equals(want), `${name}: the bytes arrive unchanged (${got.length} of ${want.length})`);
  });
}

async function pictureSize(page) {
  await page.waitForFunction(() => {
    const img = document.querySelector('img[onmousewheel]');
    return img && img.complete && img.naturalWidth > 0 && img.width !== img.naturalWidth;
  });
  return page.evaluate(() => {
    const img = document.querySelector('img[onmousewheel]');
    return [img.width, img.height, img.naturalWidth, img.naturalHeight];
  });
}

export const tests = {
  async 'a file named 报告 2024.doc downloads under that name with its bytes'(t) {
    const download = await downloadOf(t, docQuery);
    t.eq(download.suggestedFilename(), docName);
    await sameBytes(t, download, docName);
  },

  // A raw "," once made Chromium see two dispositions and save nothing; a
  // name without a blank needs its UTF-8 name as much as one with.
  async 'a,b.txt and 报告.txt are saved under their names'(t) {
    for (const [name, query] of [['a,b.txt', 'a%2Cb.txt'], ['报告.txt', '%B1%A8%B8%E6.txt']]) {
      const download = await downloadOf(t, `/fixtures/${query}`);
      t.eq(download.suggestedFilename(), name);
      await sameBytes(t, download, name);
    }
  },

  async 'the viewer shows a 1000x600 picture 500 px wide'(t) {
    const page = await t.open(site(t, '/comm/kesra_FileView.asp?FileType=Image&Url=/fixtures/wide_1000x600.png&Title=wide'));
    t.eq(await pictureSize(page), [500, 300, 1000, 600]);
    await t.shot('image-viewer');
  },

  async 'a hostile title shows as text and runs nothing'(t) {
    const hostile = '</title><script>window.pwned=1</script><img src=x onerror=window.pwned=2>';
    const page = await t.open(
      site(t, `/comm/kesra_FileView.asp?FileType=Image&Url=/fixtures/wide_1000x600.png&Title=${encodeURIComponent(hostile)}`),
    );
    t.ok((await page.title()).includes(`【图像标题：${hostile}】`), await page.title());
    // At "load" the page's scripts have run and its pictures have loaded or
    // failed, their handlers with them.
    t.eq(await page.evaluate(() => window.pwned), undefined);
    for (const kind of ['Wav', 'Movie', 'Flash']) {
      const other = await t.open(
        site(t, `/comm/kesra_FileView.asp?FileType=${kind}&RunSystem=rtsp&Url=/fixtures/a.rm&Title=${encodeURIComponent(hostile)}`),
      );
      t.eq(await other.evaluate(() => window.pwned), undefined, kind);
    }
  },

  // 成绩表 in UTF-8 is no code page 936 text, so the viewer reads it as UTF-8.
  async 'a title a link sends in UTF-8 shows as written'(t) {
    const title = encodeURIComponent('成绩表');
    const page = await t.open(site(t, `/comm/kesra_FileView.asp?FileType=Image&Url=/fixtures/wide_1000x600.png&Title=${title}`));
    t.ok((await page.title()).endsWith('【图像标题：成绩表】'), await page.title());
  },

  // The download page's injection check refuses "%" in a query: that title is a unit test's.
  async 'the view sends the browser to the viewer with its title whole'(t) {
    const url = site(t, '/comm/kesra_Download.asp?p_CurrentFile=/fixtures/wide_1000x600.png&p_Act=View&p_FileTitle=A%26B%20%231%20%B1%A8%B8%E6');
    const page = await t.open(url);
    t.ok(page.url().includes('/comm/kesra_FileView.asp?FileType=Image&'), page.url());
    t.ok((await page.title()).endsWith('【图像标题：A&B #1 报告】'), await page.title());
    t.eq((await pictureSize(page))[0], 500);
  },
};
