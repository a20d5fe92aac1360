// The dialogs: every rule of the video dialog, the audio and picture dialogs,
// closing, Enter in a field, and the emoticon panel.
import { bodyHTML, collectAlerts, entry, openEditor, selectIn } from '../editor_helpers.mjs';

async function video(t, address, width = '', height = '') {
  const dialog = t.page.locator('div.qeEditor-popup[id^="_video"]');
  if (!(await dialog.locator('.qeEditor-popupMain').isVisible())) {  // a refused address leaves it open
    await selectIn(t, 'p', { collapse: true });
    await entry(t, 'video').click();
  }
  await dialog.locator('.qeEditor-videoUrl').fill(address);
  await dialog.locator('.qeEditor-inputWidth').fill(width);
  await dialog.locator('.qeEditor-inputHeight').fill(height);
  await dialog.locator('button.qeEditor-btn').click();
  return t.page.evaluate(() => {
    const node = window.ed.d.body.querySelector('iframe, video');
    if (!node) return null;
    const seen = { tag: node.tagName.toLowerCase(), src: node.getAttribute('src'), width: node.getAttribute('width'),
      height: node.getAttribute('height') };
    if (node.tagName === 'IFRAME') {
      seen.frameborder = node.getAttribute('frameborder');
      seen.full = node.hasAttribute('allowfullscreen');
    } else {
      seen.controls = node.hasAttribute('controls');
    }
    node.remove();
    return seen;
  });
}

export const tests = {
  async videoAddressesThatAreRefused(t) {
    await openEditor(t, { value: '<p>x</p>' });
    const alerts = collectAlerts(t);
    t.eq(await video(t, ''), null);
    t.eq(await video(t, 'ftp://vone.example/video/BV1'), null);
    t.eq(await video(t, 'vone.example/video/BV1'), null);
    t.eq(await video(t, 'https://vtwo.example/v_show/show.html'), null);
    t.eq(await video(t, 'https://vtwo.example/v_show/id_XMz'), null);
    t.eq(alerts, ['视频地址不能为空', 'URL地址不合法！', 'URL地址不合法！', '二号视频：抱歉，无法处理该链接！',
      '二号视频：抱歉，无法处理该链接！']);
    t.eq(await bodyHTML(t), '<p>x</p>');
    t.eq(await t.page.locator('.qeEditor-video label').first().textContent(), '默认支持一号视频、二号视频');
  },

  async eachPlatformGetsItsPlayer(t) {
    await openEditor(t, { value: '<p>x</p>' });
    const frame = (src, width = '510', height = '498') => ({ tag: 'iframe', src, width, height, frameborder: '0', full: true });
    t.eq(await video(t, 'https://www.vone.example/video/BV1xy4?p=2&t=3'),
      frame('https://player.vone.example/player.html?bvid=BV1xy4'));
    t.eq(await video(t, 'HTTP://vone.example/video/AB12'), frame('https://player.vone.example/player.html?bvid=AB12'));
    t.eq(await video(t, 'https://vtwo.example/v_show/id_XMz12==.html?s=1', '640', '360'),
      frame('https://player.vtwo.example/embed/XMz12%3D%3D', '640', '360'));
    t.eq(await video(t, 'https://vthree.example/v/12345678?from=9'), frame('https://vthree.example/iframe/12345678'));
  },

  async otherAddressesGetAVideoElement(t) {
    await openEditor(t, { value: '<p>x</p>' });
    const element = (src, width = '510', height = '498') => ({ tag: 'video', src, width, height, controls: true });
    t.eq(await video(t, 'https://media.example/clip.mp4', '320'), element('https://media.example/clip.mp4', '320'));
    // A first platform without "video/" and a third without six digits in a row play the address itself.
    t.eq(await video(t, 'https://vone.example/watch/BV1'), element('https://vone.example/watch/BV1'));
    t.eq(await video(t, 'https://vthree.example/v/12345'), element('https://vthree.example/v/12345'));
    t.eq(await t.page.locator('div.qeEditor-popup[id^="_video"]').evaluate((el) => el.style.display), 'none');
  },

  async theAudioAndPictureDialogs(t) {
    await openEditor(t, { value: '<p>x</p>' });
    await selectIn(t, 'p', { collapse: true });
    await entry(t, 'music').click();
    await t.page.locator('input[id^="_musicInput"]').fill('https://media.example/song.mp3');
    await t.page.locator('div.qeEditor-popup[id^="_music"] button.qeEditor-btn').click();
    const image = t.page.locator('div.qeEditor-popup[id^="_image"]');
    await entry(t, 'insertImage').click();
    t.eq(await image.locator('.qeEditor-popupTitle span').first().textContent(), '图片上传');
    await image.locator('.qeEditor-insertImageUrl').fill(' https://pictures.example/a.png ');
    await image.locator('.qeEditor-inputWidth').fill(' 120 ');
    await image.locator('button.qeEditor-btn').click();
    await entry(t, 'insertImage').click();
    await image.locator('.qeEditor-insertImageUrl').fill('');
    await image.locator('button.qeEditor-btn').click();  // no address: nothing
    await image.locator('.qeEditor-popupClose').click();
    t.eq(await bodyHTML(t),
      '<p>x<audio controls="controls" src="https://media.example/song.mp3"></audio>' +
      '<img src="https://pictures.example/a.png" width="120"></p>');
    t.ok(!(await image.locator('.qeEditor-popupMain').isVisible()), 'closed by its mark');
    t.eq(await t.page.evaluate(() => document.getElementById('content').value), await bodyHTML(t));
  },

  async dialogsKeepTheirMarkupAndSizes(t) {
    await openEditor(t);
    const dialogs = await t.page.evaluate(() => Array.from(document.querySelectorAll('.qeEditor-popup')).map((popup) => {
      const main = popup.querySelector('.qeEditor-popupMain');
      return [popup.id.replace(/\d+$/, ''), main.style.width, main.style.height,
        popup.querySelector('.qeEditor-popupTitle span').textContent,
        popup.querySelector('.qeEditor-popupClose').textContent];
    }));
    t.eq(dialogs, [['_link', '320px', '110px', '添加链接', '╳'], ['_music', '320px', '80px', '添加音乐', '╳'],
      ['_files', '320px', '200px', '附件上传', '╳'], ['_image', '320px', '250px', '图片上传', '╳'],
      ['_video', '320px', '170px', '添加视频', '╳']]);
    const fields = await t.page.evaluate(() => {
      const files = document.querySelector('input[id^="_filesUpload"]');
      const pictures = document.querySelector('input[id^="_imgUpload"]');
      return [files.name, files.className, files.multiple, pictures.name, pictures.accept,
        document.querySelector('label[for="' + files.id + '"]').textContent,
        document.querySelector('label.qeEditor-uploadBtn[for="' + pictures.id + '"]').textContent,
        getComputedStyle(files).display];
    });
    t.eq(fields, ['file[]', 'qeEditor-uploadInput', true, 'file[]', 'image/*', '点击上传附件', '点击上传图片', 'none']);
    await entry(t, 'insertImage').click();
    await t.shot('picture-dialog');
  },

  async theEmoticonPanelInsertsEntriesAndSwitchesGroups(t) {
    await openEditor(t, {
      value: '<p>x</p>',
      options: { face: [
        { title: '文字', type: 'text', list: [{ title: '开心', content: '(^_^)' }, { title: '尖', content: '<b>' }] },
        { title: '图片', type: 'img', list: [{ title: '笑', content: '/comm_ubb/emot/face1.asp' }] },
      ] },
    });
    await t.page.evaluate(() => window.ed.create());  // the panel's rules reach the page from the second create()
    await selectIn(t, 'p', { collapse: true });
    await entry(t, 'face').hover();
    await t.page.locator('.qeEditor-faceText[title="开心"]').click();
    await t.page.locator('.qeEditor-faceText[title="尖"]').click();
    t.eq(await bodyHTML(t), '<p>x (^_^)  &lt;b&gt; </p>');
    const groups = () => t.page.evaluate(() => Array.from(document.querySelectorAll('.qeEditor-faceList'))
      .map((list) => getComputedStyle(list).display));
    t.eq(await groups(), ['block', 'none']);
    await t.page.locator('.qeEditor-faceTitle span', { hasText: '图片' }).click();
    t.eq(await groups(), ['none', 'block']);
    t.eq(await t.page.locator('.qeEditor-faceList img').getAttribute('src'), '/comm_ubb/emot/face1.asp');
    await t.shot('emoticons');
  },
};
