// UBB markup in a real browser: a corpus of attack shapes through the three
// members (CommUBBCode, CommUBBCode1, CommFilterJS) runs nothing while
// pictures fail, fields take the focus and every element gets the pointer,
// focus, toggle and animation events; the editor's toolbar inserts tags
// through the browser's own prompts (loaded as its own page in a frame, its
// body copies itself into the page's ubbDiv); and the sticker picker, in the
// div dialog, appends its tags to the page's Content and closes the dialog;
// the editor block works in a form of its own page.
import { pageSettled } from '../helpers.mjs';

// The CSS colour names, in the order of the toolbar's colour list.
const kColourNames = [
  'aliceblue', 'antiquewhite', 'aqua', 'aquamarine', 'azure', 'beige', 'bisque', 'black', 'blanchedalmond', 'blue',
  'blueviolet', 'brown', 'burlywood', 'cadetblue', 'chartreuse', 'chocolate', 'coral', 'cornflowerblue',
  'cornsilk', 'crimson', 'cyan', 'darkblue', 'darkcyan', 'darkgoldenrod', 'darkgray', 'darkgreen', 'darkkhaki',
  'darkmagenta', 'darkolivegreen', 'darkorange', 'darkorchid', 'darkred', 'darksalmon', 'darkseagreen',
  'darkslateblue', 'darkslategray', 'darkturquoise', 'darkviolet', 'deeppink', 'deepskyblue', 'dimgray',
  'dodgerblue', 'firebrick', 'floralwhite', 'forestgreen', 'fuchsia', 'gainsboro', 'ghostwhite', 'gold',
  'goldenrod', 'gray', 'green', 'greenyellow', 'honeydew', 'hotpink', 'indianred', 'indigo', 'ivory', 'khaki',
  'lavender', 'lavenderblush', 'lawngreen', 'lemonchiffon', 'lightblue', 'lightcoral', 'lightcyan',
  'lightgoldenrodyellow', 'lightgreen', 'lightgrey', 'lightpink', 'lightsalmon', 'lightseagreen', 'lightskyblue',
  'lightslategray', 'lightsteelblue', 'lightyellow', 'lime', 'limegreen', 'linen', 'magenta', 'maroon',
  'mediumaquamarine', 'mediumblue', 'mediumorchid', 'mediumpurple', 'mediumseagreen', 'mediumslateblue',
  'mediumspringgreen', 'mediumturquoise', 'mediumvioletred', 'midnightblue', 'mintcream', 'mistyrose', 'moccasin',
  'navajowhite', 'navy', 'oldlace', 'olive', 'olivedrab', 'orange', 'orangered', 'orchid', 'palegoldenrod',
  'palegreen', 'paleturquoise', 'palevioletred', 'papayawhip', 'peachpuff', 'peru', 'pink', 'plum', 'powderblue',
  'purple', 'red', 'rosybrown', 'royalblue', 'saddlebrown', 'salmon', 'sandybrown', 'seagreen', 'seashell',
  'sienna', 'silver', 'skyblue', 'slateblue', 'slategray', 'snow', 'springgreen', 'steelblue', 'tan', 'teal',
  'thistle', 'tomato', 'turquoise', 'violet', 'wheat', 'white', 'whitesmoke', 'yellow', 'yellowgreen'
];

// What the corpus page must not hold, as the browser built it.
function findLiveMarkup() {
  const forbidden = ['script', 'base', 'meta', 'link', 'svg', 'math', 'template', 'noscript', 'frame', 'frameset',
                     'applet'];
  const addresses = ['href', 'src', 'action', 'formaction', 'data', 'codebase', 'background', 'poster', 'xlink:href'];
  const allowed = ['http:', 'https:', 'ftp:', 'rtsp:', 'mms:', 'mailto:'];
  const fit = 'JavaScript:if(this.width>screen.width-333)this.width=screen.width-333';
  const found = [];
  for (const element of document.querySelectorAll('div.case *')) {
    const tag = element.localName;
    const where = `${element.closest('div.case').className}: <${tag}>`;
    if (forbidden.includes(tag) || element.namespaceURI !== 'http://www.w3.org/1999/xhtml') found.push(`${where} element`);
    const second = element.closest('div.ubb1') !== null;
    for (const name of element.getAttributeNames()) {
      const value = element.getAttribute(name);
      const kept = second && ((name === 'onfocus' && value === 'this.blur()') || (name === 'onload' && value === fit));
      if (name.startsWith('on') && !kept) found.push(`${where} ${name}=${value}`);
      if (name === 'srcdoc') found.push(`${where} srcdoc`);
      const address = addresses.includes(name) || (tag === 'param' && name === 'value');
      if (address) {
        const protocol = new URL(value, location.href).protocol;
        const picture = tag === 'img' && name === 'src' && /^data:image\//i.test(value.trim());
        if (!allowed.includes(protocol) && !picture) found.push(`${where} ${name}=${value}`);
      }
    }
  }
  return found;
}

// Every element of the corpus gets the events its handlers could wait for.
function provokeEverything() {
  const types = ['mouseover', 'mouseenter', 'mousemove', 'mousedown', 'pointerover', 'pointerenter', 'pointerdown',
                 'focus', 'focusin', 'blur', 'toggle', 'animationstart', 'load', 'error', 'input', 'change'];
  for (const element of document.querySelectorAll('div.case *')) {
    for (const type of types) element.dispatchEvent(new Event(type, { bubbles: false }));
    if (typeof element.focus === 'function') element.focus();
  }
}

export const tests = {
  async 'no attack shape runs: pictures fail, focus moves, every event arrives'(t) {
    const page = await t.open('ubb_attacks.htm');
    await pageSettled(page);
    // The pointer across the page, a screen at a time.
    const height = await page.evaluate(() => document.documentElement.scrollHeight);
    for (let top = 0; top < height; top += 700) {
      await page.evaluate((y) => window.scrollTo(0, y), top);
      for (let y = 5; y < 760; y += 25) await page.mouse.move(y % 2 ? 1000 : 5, y, { steps: 3 });
    }
    await page.evaluate(provokeEverything);
    await pageSettled(page);
    t.eq(await page.evaluate(() => window.ran), [], 'nothing ran');
    t.eq(await page.evaluate(findLiveMarkup), [], 'nothing could run');
    t.eq(await page.evaluate(() => document.getElementById('about').textContent), 'about:1', 'a reference keeps its character');
    t.ok(await page.evaluate(() => document.querySelectorAll('div.ubb a[target=_blank]').length > 0), 'links stay');
    await t.shot('attacks');
  },

  async 'the ordinary markup stays: pictures keep their fitting handler'(t) {
    const page = await t.open('ubb_attacks.htm');
    const picture = await page.evaluate(() => {
      const img = document.querySelector('div.ubb1 img[onload]');
      const link = img.closest('a');
      return [img.getAttribute('src'), link.getAttribute('onfocus'), document.querySelector('div.ubb1 b').textContent];
    });
    t.eq(picture, ['http://127.0.0.1:1/none.gif', 'this.blur()', '粗']);
  },

  async 'the toolbar inserts through the browser prompts, in each mode'(t) {
    const page = await t.open('ubb_editor.htm');
    await page.locator('#ubbDiv img[onclick="bold()"]').waitFor();
    const answers = [];
    const asked = [];
    page.on('dialog', async (dialog) => {
      asked.push([dialog.type(), dialog.message()]);
      if (dialog.type() === 'prompt' && answers.length) await dialog.accept(answers.shift());
      else await dialog.dismiss();
    });
    const content = () => page.evaluate(() => document.getElementById('Content').value);
    answers.push('粗体字');
    await page.locator('img[onclick="bold()"]').first().click();
    t.eq(await content(), '[b]粗体字[/b]', 'full mode asks');
    answers.push('1', '甲', '乙', '');
    await page.locator('img[onclick="list()"]').first().click();
    t.eq(await content(), '[b]粗体字[/b][list=1][*]甲[/*][*]乙[/*][/list] ');
    await page.locator('input[name=font][value="0"]').first().check();
    await page.locator('img[onclick="italicize()"]').first().click();
    t.eq(await content(), '[b]粗体字[/b][list=1][*]甲[/*][*]乙[/*][/list] [i][/i]', 'basic mode inserts the pair');
    await page.locator('input[name=font][value="1"]').first().check();
    await page.locator('img[onclick="underline()"]').first().click();
    t.eq(asked[asked.length - 1], ['alert', '下划线标记\n给文字加下划线.\n用法: [u]要加下划线的文字[/u]'], 'help mode explains');
    await page.locator('input[name=font][value="2"]').first().check();
    answers.push('红字');
    await page.locator('select[name=color]').first().selectOption('#FF0000');
    t.ok((await content()).endsWith('[color=#FF0000]红字[/color]'), 'the colour list asks for the text');
    t.eq(await page.locator('select[name=color]').first().inputValue(), '#FF0000');
  },

  async 'each colour of the list is the colour its name gives'(t) {
    const page = await t.open('ubb_editor.htm');
    await page.locator('#ubbDiv select[name=color]').waitFor();
    const wrong = await page.evaluate((names) => {
      const values = [...document.querySelectorAll('#ubbDiv select[name=color] option')].map((o) => o.value);
      const probe = document.createElement('span');
      document.body.appendChild(probe);
      const css = (colour) => {
        probe.style.color = colour;
        return getComputedStyle(probe).color;
      };
      const found = values.length === names.length ? [] : [`${values.length} options`];
      names.forEach((name, i) => { if (css(name) !== css(values[i])) found.push(`${name} ${values[i]}`); });
      return found;
    }, kColourNames);
    t.eq(wrong, []);
  },

  async 'the sticker picker appends to Content and closes its dialog'(t) {
    const page = await t.open('ubb_stickers.htm');
    await page.evaluate(() => divOpenDialog('divDialogUbb', 500, 400, 'Q帖图一', '../comm_ubb/qpic.asp?Sn=1', false));
    const picker = page.frameLocator('#divDialogUbb_Frame');
    await picker.locator('img').first().waitFor();
    t.eq(await picker.locator('img').count(), 20);
    await picker.locator('img').nth(2).click();
    await picker.locator('img').nth(19).click();
    t.eq(await page.evaluate(() => document.getElementById('Content').value),
         '[img=0,0]../comm_ubb/qpic/1/3.asp[/img][img=0,0]../comm_ubb/qpic/1/20.asp[/img]');
    await t.shot('sticker picker');
    await picker.locator('input[type=button]').click();
    t.eq(await page.evaluate(() => document.getElementById('divDialogUbb').style.display), 'none');
  },

  async 'the editor block in a form: its toolbar and sticker links fill its one Content'(t) {
    const page = await t.open('ubb_block.htm');
    page.on('dialog', (dialog) => dialog.accept('粗体字'));
    await page.locator('form img[onclick="bold()"]').click();
    const content = () => page.evaluate(() => document.getElementById('Content').value);
    t.eq(await content(), '[b]粗体字[/b]');
    await page.getByText('Q帖图二', { exact: true }).click();
    const picker = page.frameLocator('#divDialogUbb_Frame');
    await picker.locator('img').first().waitFor();
    t.eq(await picker.locator('img').count(), 30);
    await picker.locator('img').nth(4).click();
    t.eq(await content(), '[b]粗体字[/b][img=0,0]../comm_ubb/qpic/2/5.asp[/img]');
    await t.shot('editor block');
    await picker.locator('input[type=button]').click();
    await page.locator('#Content').press('End');
    await page.keyboard.type('!');
    t.eq(await page.evaluate(() => new FormData(document.forms.myform).getAll('Content')),
         ['[b]粗体字[/b][img=0,0]../comm_ubb/qpic/2/5.asp[/img]!'], 'the form posts one body, as typed');
  },

  async 'a sticker set that is not a number shows no pictures'(t) {
    const page = await t.open('ubb_stickers.htm');
    await page.evaluate(() => divOpenDialog('divDialogUbb', 500, 400, 'Q帖图', '../comm_ubb/qpic.asp?Sn=1%3Cb', false));
    const picker = page.frameLocator('#divDialogUbb_Frame');
    await picker.locator('input[type=button]').waitFor();
    t.eq(await picker.locator('img').count(), 0);
  },
};

// The pointer across the whole corpus, a screen at a time: 15 s at ctest -j 16
// on a busy machine.
tests['no attack shape runs: pictures fail, focus moves, every event arrives'].timeoutMs = 60000;
