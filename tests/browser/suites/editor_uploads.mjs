// Uploads: through the site's own upload page (attachments, pictures, size
// limits, pasted pictures; a logged-in user only), answers routed by the test
// (error entries, empty, failed, not JSON, too late), and foreign picture
// addresses.
import { collectAlerts, countRequests, entry, gate, openEditor, paste, redSquarePng, requestsEnded, selectIn, textareaValue }
  from '../editor_helpers.mjs';
import { logIn } from '../helpers.mjs';

const sitePage = '../comm_qeeditor/upload.asp';

// Hooks of both upload kinds and of the request routine, recording their calls.
async function recordHooks(t) {
  await t.page.evaluate(() => {
    window.calls = [];
    const show = (v) => (v instanceof XMLHttpRequest ? 'xhr:' + v.status : JSON.stringify(v));
    for (const kind of ['filesUpload', 'imgUpload']) {
      for (const hook of ['error', 'complete']) {
        window.ed[kind][hook] = (...args) => window.calls.push(`${kind}.${hook}(${args.map(show).join(', ')})`);
      }
    }
    window.ed.ajax.timeout = (xhr) => window.calls.push('ajax.timeout(' + show(xhr) + ')');
  });
}

function files(...names) {
  return names.map(([name, text]) => ({ name, mimeType: 'application/octet-stream', buffer: Buffer.from(text) }));
}

async function chooseFiles(t, kind, chosen) {
  const id = kind === 'pic' ? '_imgUpload' : '_filesUpload';
  const dialog = t.page.locator(`div.qeEditor-popup[id^="${kind === 'pic' ? '_image' : '_files'}"] .qeEditor-popupMain`);
  if (!(await dialog.isVisible())) await entry(t, kind === 'pic' ? 'insertImage' : 'files').click();
  await t.page.setInputFiles(`input[id^="${id}"]`, chosen);
}

// Serves `answer` for the next requests to answer.asp and records them; an
// answer with `held` (a promise) waits for it.
function routeAnswers(t, answer) {
  const requests = [];
  t.page.route(/answer\.asp/, async (route) => {
    const request = route.request();
    requests.push({ url: request.url(), headers: request.headers(), body: request.postDataBuffer() });
    if (answer.held) await answer.held;
    await route.fulfill({ status: answer.status || 200, contentType: 'application/json', body: answer.body })
      .catch(() => {});
  });
  return requests;
}

async function links(t) {
  return t.page.evaluate(() => Array.from(window.ed.d.querySelectorAll('a')).map((a) =>
    [a.getAttribute('href'), a.textContent, a.className, a.getAttribute('download'), a.getAttribute('target'),
      a.nextSibling && a.nextSibling.nodeName]));
}

export const tests = {
  async attachmentsThroughTheSitesPage(t) {
    await logIn(t);
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: sitePage } });
    const alerts = collectAlerts(t);
    await selectIn(t, 'p', { collapse: true });
    await countRequests(t);
    await Promise.all([t.page.waitForEvent('dialog'),
      chooseFiles(t, 'all', files(['a.txt', 'alpha'], ['b.doc', 'beta'], ['c.exe', 'gamma']))]);
    await requestsEnded(t);
    t.eq(alerts.length, 1);
    t.ok(alerts[0].startsWith('不允许上传该类文件'), alerts[0]);
    t.eq(await links(t), []);

    await chooseFiles(t, 'all', files(['a.txt', 'alpha'], ['报告 1.doc', 'beta']));
    await t.page.waitForFunction(() => window.ed.d.querySelectorAll('a').length === 2);
    const found = await links(t);
    t.eq(found.map((link) => link.slice(1)), [['a.txt', 'download', 'a.txt', '_blank', 'BR'],
      ['报告 1.doc', 'download', '报告 1.doc', '_blank', 'BR']]);
    for (const [href] of found) t.ok(/^\/Data_UploadFiles\/fixtures\/\d+\.(txt|doc)$/.test(href), href);
    const bodies = await t.page.evaluate((hrefs) => Promise.all(hrefs.map((href) => fetch(href).then((r) => r.text()))),
      found.map((link) => link[0]));
    t.eq(bodies, ['alpha', 'beta']);
    t.ok(!(await t.page.locator('div.qeEditor-popup[id^="_files"] .qeEditor-popupMain').isVisible()), 'dialog hidden');
    t.ok((await textareaValue(t)).includes('class="download"'), 'copied');
    t.eq(alerts.length, 1);
  },

  async picturesThroughTheSitesPageWithTheirSize(t) {
    await logIn(t);
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: sitePage } });
    const alerts = collectAlerts(t);
    await selectIn(t, 'p', { collapse: true });
    await entry(t, 'insertImage').click();
    await t.page.locator('div.qeEditor-popup[id^="_image"] .qeEditor-inputWidth').fill('40');
    await t.page.setInputFiles('input[id^="_imgUpload"]',
      [{ name: 'red.png', mimeType: 'image/png', buffer: Buffer.from(redSquarePng, 'base64') }]);
    await t.page.waitForFunction(() => window.ed.d.querySelector('img'));
    const img = await t.page.evaluate(() => {
      const img = window.ed.d.querySelector('img');
      return [img.getAttribute('src'), img.getAttribute('width'), img.hasAttribute('height')];
    });
    t.ok(/^\/Data_UploadFiles\/fixtures\/\d+\.png$/.test(img[0]), img[0]);
    t.eq(img.slice(1), ['40', false]);
    await t.page.waitForFunction(() => window.ed.d.querySelector('img').complete &&
      window.ed.d.querySelector('img').naturalWidth === 2);

    // Over the single-picture limit: refused with the upload's reason.
    await countRequests(t);
    await Promise.all([t.page.waitForEvent('dialog'),
      chooseFiles(t, 'pic', [{ name: 'big.png', mimeType: 'image/png', buffer: Buffer.alloc(5 * 1024 * 1024 + 10) }])]);
    await requestsEnded(t);
    t.eq(alerts.length, 1);
    t.ok(alerts[0].startsWith('超出了单文件最大容量'), alerts[0]);
    t.eq(await t.page.evaluate(() => window.ed.d.querySelectorAll('img').length), 1);
  },

  async aPastedScreenshotIsUploadedAndReplacesItsCopy(t) {
    await logIn(t);
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: sitePage, pasteText: 0 } });
    await selectIn(t, 'p', { collapse: true });
    await paste(t, { image: { bytes: redSquarePng } });
    await t.page.waitForFunction(() => {
      const img = window.ed.d.querySelector('img');
      return img && img.getAttribute('src').startsWith('/Data_UploadFiles/QeEditor/');
    });
    const src = await t.page.evaluate(() => window.ed.d.querySelector('img').getAttribute('src'));
    t.ok(/^\/Data_UploadFiles\/QeEditor\/\d{20}\.png$/.test(src), src);
    const bytes = await t.page.evaluate((src) => fetch(src).then((r) => r.arrayBuffer())
      .then((b) => btoa(String.fromCharCode(...new Uint8Array(b)))), src);
    t.eq(bytes, redSquarePng);
    t.eq(await t.page.evaluate(() => window.ed.d.querySelector('img').parentNode.nodeName), 'P');
    t.ok((await textareaValue(t)).includes(src), 'copied');
  },

  async onlyThePastesOwnPicturesAreSentAndEachStaysUntilReplaced(t) {
    const old = 'data:image/png;base64,' + redSquarePng;
    const pasted = 'data:image/gif;base64,R0lGODlhAQABAAAAACw=';
    await openEditor(t, { value: `<p><img src="${old}"></p>`, options: { uploadUrl: 'answer.asp', pasteText: 0 } });
    let answer = 0;
    const requests = [];
    await t.page.route(/answer\.asp/, async (route) => {
      requests.push(route.request().postDataBuffer().toString('latin1'));
      answer += 1;
      if (answer === 1) await route.fulfill({ status: 500, body: 'down' });
      else await route.fulfill({ status: 200, body: '[{"url":"/up/p.gif","name":"p.gif"}]' });
    });
    await selectIn(t, 'p', { collapse: true });
    await countRequests(t);
    await paste(t, { text: 'x', html: `<img src="${pasted}">` });
    await t.page.waitForFunction(() => window.ed.d.images.length === 2);
    await requestsEnded(t, 1);
    const srcs = () => t.page.evaluate(() => Array.from(window.ed.d.images).map((img) => img.getAttribute('src')));
    t.eq(await srcs(), [old, pasted]);  // the failed upload loses nothing
    t.eq(requests.length, 1);
    t.ok(requests[0].includes('Content-Type: image/gif') && requests[0].includes('GIF89a'), 'the pasted picture went');
    await selectIn(t, 'p', { collapse: true });
    await paste(t, { text: 'x', html: `<img src="${pasted}">` });
    await t.page.waitForFunction(() => Array.from(window.ed.d.images).some((img) => img.getAttribute('src') === '/up/p.gif'));
    t.eq(await srcs(), [old, pasted, '/up/p.gif']);
    t.eq(requests.length, 2);
  },

  async withoutUploadThePastedPictureStaysInline(t) {
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: 'answer.asp', screenshotUpload: 0 } });
    const requests = routeAnswers(t, { body: '[]' });
    await selectIn(t, 'p', { collapse: true });
    await countRequests(t);
    await paste(t, { image: { bytes: redSquarePng } });
    // An upload would go in the task that puts the picture in.
    await t.page.waitForFunction(() => window.ed.d.querySelector('img'));
    t.eq(await t.page.evaluate(() => window.__qeSent), 0);
    t.eq(await t.page.evaluate(() => window.ed.d.querySelector('img').getAttribute('src')),
      'data:image/png;base64,' + redSquarePng);
    t.eq(requests.length, 0);
  },

  async withoutAnUploadPageNothingIsSent(t) {
    await openEditor(t, { value: '<p>x</p>' });
    const alerts = collectAlerts(t);
    let sent = 0;
    t.page.on('request', (request) => { if (request.method() === 'POST') sent += 1; });
    await Promise.all([t.page.waitForEvent('dialog'), chooseFiles(t, 'all', files(['a.txt', 'alpha']))]);
    t.eq(alerts, ['请配置uploadUrl项']);
    await selectIn(t, 'p', { collapse: true });
    await paste(t, { image: { bytes: redSquarePng } });
    await t.page.waitForFunction(() => window.ed.d.querySelector('img'));
    t.eq(await t.page.evaluate(() => window.ed.d.querySelector('img').getAttribute('src').slice(0, 22)),
      'data:image/png;base64,');
    t.eq(sent, 0);
  },

  async anAnswerWithAnErrorEntryInsertsTheOthers(t) {
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: 'answer.asp' } });
    await recordHooks(t);
    const alerts = collectAlerts(t);
    const requests = routeAnswers(t, { body: JSON.stringify([{ url: '/up/a.txt', name: 'a.txt' },
      { error: '文件太大了' }, { url: '/up/b.txt', name: 'b.txt' }]) });
    await selectIn(t, 'p', { collapse: true });
    await chooseFiles(t, 'all', files(['a.txt', '1'], ['big.txt', '2'], ['b.txt', '3']));
    await t.page.waitForFunction(() => window.ed.d.querySelectorAll('a').length === 2);
    t.eq((await links(t)).map((link) => link.slice(0, 2)), [['/up/a.txt', 'a.txt'], ['/up/b.txt', 'b.txt']]);
    t.eq(alerts, ['文件太大了']);
    const answer = '[{"url":"/up/a.txt","name":"a.txt"},{"error":"文件太大了"},{"url":"/up/b.txt","name":"b.txt"}]';
    t.eq(await t.page.evaluate(() => window.calls), [
      'filesUpload.complete({"url":"/up/a.txt","name":"a.txt"}, ' + answer + ')',
      'filesUpload.error({"error":"文件太大了"}, ' + answer + ')',
      'filesUpload.complete({"error":"文件太大了"}, ' + answer + ')',
      'filesUpload.complete({"url":"/up/b.txt","name":"b.txt"}, ' + answer + ')']);
    // One request: the header, the query and three parts under file[].
    t.eq(requests.length, 1);
    const url = new URL(requests[0].url);
    t.eq([url.searchParams.get('DialogType'), url.searchParams.get('SaveUpFilesPath')], ['all', '/Data_UploadFiles/fixtures']);
    t.eq(requests[0].headers['x-requested-with'], 'XMLHttpRequest');
    t.eq(requests[0].body.toString('latin1').split('name="file[]"').length - 1, 3);
  },

  async emptyFailedAndUnreadableAnswersInsertNothing(t) {
    // The page's clock, run on by hand at the end: a timer left running fires.
    await t.page.clock.install();
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: 'answer.asp' } });
    await recordHooks(t);
    const answers = [{ body: '' }, { status: 500, body: '[{"url":"/up/x.txt","name":"x"}]' }, { body: 'not json' }];
    let next = 0;
    await t.page.route(/answer\.asp/, (route) => {
      const answer = answers[next++];
      route.fulfill({ status: answer.status || 200, contentType: 'application/json', body: answer.body });
    });
    await t.page.evaluate(() => {
      window.successes = 0;
      window.ed.ajax.success = (answer) => { window.successes += 1; return answer; };
      window.ed.ajax.uploadTimeout = 500;  // each request ends once: its answer stops its timer
    });
    for (let i = 0; i < answers.length; i++) {
      await chooseFiles(t, 'pic', files(['p.png', 'p']));
      await t.page.waitForFunction((n) => window.calls.length >= n, 2 * (i + 1));
    }
    await t.page.clock.runFor(1000);
    t.eq(await t.page.evaluate(() => window.calls), ['imgUpload.error("")', 'imgUpload.complete("")',
      'imgUpload.error(xhr:500)', 'imgUpload.complete(xhr:500)', 'imgUpload.error(xhr:200)', 'imgUpload.complete(xhr:200)']);
    t.eq(await t.page.evaluate(() => [window.successes, window.ed.d.querySelectorAll('img').length]), [1, 0]);
  },

  async aTimedOutRequestIgnoresItsLateAnswer(t) {
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: 'answer.asp' } });
    await t.page.evaluate(() => { window.ed.ajax.uploadTimeout = 300; });
    await recordHooks(t);
    await countRequests(t);
    const late = gate();
    routeAnswers(t, { held: late.held, body: '[{"url":"/up/late.txt","name":"late.txt"}]' });
    await chooseFiles(t, 'all', files(['late.txt', 'l']));
    await t.page.waitForFunction(() => window.calls.length >= 3);
    late.open();
    await requestsEnded(t, 1);
    t.eq(await t.page.evaluate(() => window.calls), ['ajax.timeout(xhr:0)', 'filesUpload.error("网络超时。")',
      'filesUpload.complete("网络超时。")']);
    t.eq(await links(t), []);
  },

  async onlyForeignPicturesAreSentAndTheirAnswerChangesOnlyThem(t) {
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: 'answer.asp', pasteText: 0, imgDomain: ['pictures.school.example'] } });
    await recordHooks(t);
    const answer = gate();
    const requests = routeAnswers(t, { held: answer.held, body: '{"url":"/Data_UploadFiles/QeEditor/1.png"}' });
    const sent = t.page.waitForRequest(/answer\.asp/);
    const host = new URL(t.url('editor.htm')).host;
    const foreign = 'https://far.example/p.png';
    await selectIn(t, 'p', { collapse: true });
    await paste(t, { html: `<p><img src="/own.png"><img src="//${host}/a.png"><img src="HTTP://${host}/b.png">` +
      `<img src="https://PICTURES.school.example/c.png"><img src="${foreign}"><img src="HTTPS://FAR.example/p.png">` +
      `<a href="${foreign}">${foreign}</a></p>` });
    await sent;
    await t.page.frameLocator('iframe[id^="_iframe"]').locator('a').click();
    await t.page.keyboard.press('End');
    await t.page.keyboard.type(' typed meanwhile');
    answer.open();
    await t.page.waitForFunction(() => window.ed.d.querySelectorAll('img[src="/Data_UploadFiles/QeEditor/1.png"]').length === 2);
    t.eq(requests.length, 1);
    t.eq(requests[0].body.toString(), 'qeEditor-img=' + encodeURIComponent(foreign));
    t.eq(requests[0].headers['content-type'], 'application/x-www-form-urlencoded');
    const seen = await t.page.evaluate(() => ({
      srcs: Array.from(window.ed.d.querySelectorAll('img')).map((img) => img.getAttribute('src')),
      link: window.ed.d.querySelector('a').getAttribute('href'),
      text: window.ed.d.body.textContent.replace(/\u00a0/g, ' '),
    }));
    t.eq(seen.srcs, ['/own.png', `//${host}/a.png`, `HTTP://${host}/b.png`, 'https://PICTURES.school.example/c.png',
      '/Data_UploadFiles/QeEditor/1.png', '/Data_UploadFiles/QeEditor/1.png']);
    t.eq(seen.link, foreign);
    t.ok(seen.text.includes(foreign + ' typed meanwhile'), seen.text);
    t.ok((await textareaValue(t)).includes('typed meanwhile'), 'the copy keeps the edit');
  },

  async theSitesPageAnswersAForeignPictureItCannotFetchWithAnError(t) {
    await logIn(t);
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: sitePage, pasteText: 0 } });
    await recordHooks(t);
    await selectIn(t, 'p', { collapse: true });
    // A reserved name no server answers for: the fetch fails and the picture stays remote.
    await paste(t, { html: '<img src="https://far.example/q.png">' });
    await t.page.waitForFunction(() => window.calls.length >= 2);
    t.eq(await t.page.evaluate(() => window.calls),
      ['imgUpload.error({"error":"远程图片保存失败。"}, {"error":"远程图片保存失败。"})',
        'imgUpload.complete({"error":"远程图片保存失败。"}, {"error":"远程图片保存失败。"})']);
    t.eq(await t.page.evaluate(() => window.ed.d.querySelector('img').getAttribute('src')), 'https://far.example/q.png');
  },

  async nobodyLoggedInUploadsNothing(t) {
    await openEditor(t, { value: '<p>x</p>', options: { uploadUrl: sitePage, pasteText: 0 } });
    const alerts = collectAlerts(t);
    await selectIn(t, 'p', { collapse: true });
    await countRequests(t);
    await chooseFiles(t, 'all', files(['a.txt', 'alpha']));
    await requestsEnded(t, 1);
    t.eq(alerts, ['请先登录，再上传文件。'], "the page's answer, shown as it stands");
    t.eq(await links(t), []);
    await paste(t, { image: { bytes: redSquarePng } });
    await requestsEnded(t, 2);
    t.eq(alerts.length, 2);
    t.ok(
      (await t.page.evaluate(() => window.ed.d.querySelector('img').getAttribute('src'))).startsWith('data:image/png'),
      'the pasted picture stays as it was');
  },
};

// Five megabytes through the site's upload page: 18 s at ctest -j 16 on a busy machine.
tests.picturesThroughTheSitesPageWithTheirSize.timeoutMs = 60000;
