'use strict';
var qe = qe || {};
qe.editor = function (id,callback) {
 class qeEditor {
     constructor(id) {
         const editor = this;
         this.menu = ['backColor', 'fontSize', 'foreColor', 'bold', 'italic', 'underline', 'strikeThrough', 'line',
             'justifyLeft', 'justifyCenter', 'justifyRight', 'indent', 'outdent', 'line',
             'insertOrderedList', 'insertUnorderedList', 'line',
             'superscript', 'subscript', 'createLink', 'unlink', 'line',
             'hr', 'face', 'table', 'files', 'music', 'video', 'insertImage', 'removeFormat', 'paste', 'line', 'code'];
         this.notMenu = [];
         this.backColor = [
             '#ffffff', '#000000', '#eeece1', '#1f497d', '#4f81bd', '#c0504d', '#9bbb59', '#8064a2', '#4bacc6', '#f79646',
             '#f2f2f2', '#979797', '#ddd9c3', '#c6d9f0', '#dbe5f1', '#f2dcdb', '#ebf1dd', '#e5e0ec', '#dbeef3', '#fdeada',
             '#d8d8d8', '#595959', '#c4bd97', '#8db3e2', '#b8cce4', '#e5b9b7', '#d7e3bc', '#ccc1d9', '#b7dde8', '#fbd5b5',
             '#bfbfbf', '#3f3f3f', '#938953', '#548dd4', '#95b3d7', '#d99694', '#c3d69b', '#b2a2c7', '#92cddc', '#fac08f',
             '#a5a5a5', '#262626', '#494429', '#17365d', '#366092', '#953734', '#76923c', '#5f497a', '#31859b', '#e36c09',
             '#7f7f7f', '#0c0c0c', '#1d1b10', '#0f243e', '#244061', '#632423', '#4f6128', '#3f3151', '#205867', '#974806',
             '#c00000', '#ff0000', '#ffc000', '#ffff00', '#92d050', '#00b050', '#00b0f0', '#0070c0', '#002060', '#7030a0'];
         this.foreColor = this.backColor;
         this.width = '100%';
         this.height = '400px';
         this.code = 0;
         this.maxWindow = 1;
         this.disabled = 0;
         this.css = '';
         this.globalCss = false;
         this.globalIcon = false;
         this.uploadUrl = 0;
         this.pasteText = 1;
         this.screenshot = 1;
         this.screenshotUpload = 1;
         this.imgAutoUpload = 1;
         this.imgDomain = 0;
         this.ajax.uploadTimeout = 15000;
         this.ajax.xhr = function () {};
         this.ajax.formData = function (data) {
             return data;
         };
         this.ajax.timeout = function () {};
         this.ajax.progress = function () {};
         this.ajax.success = function (answer) {
             return answer;
         };
         this.ajax.error = function () {};
         this.ajax.complete = function () {};
         this.filesUpload = this.uploadHooks();
         this.imgUpload = this.uploadHooks();
         this.face = [{
             title: '文字',
             type: 'text',
             list: [
                 {title: '开心', content: '(^_^)'},
                 {title: '受不了', content: '(>_<)'},
                 {title: '鄙视', content: '╭∩╮（￣▽￣）╭∩╮'},
                 {title: '难过', content: '(*>﹏<*)'},
                 {title: '惊讶', content: '(@口@)'},
                 {title: '无奈', content: '╮(╯_╰)╭'},
                 {title: '惊喜', content: '╰(*°▽°*)╯'},
                 {title: '流泪', content: '（┬_┬）'},
                 {title: '害羞', content: '（#￣▽￣#）'},
                 {title: '睡啦', content: '(∪︶∪)..zzZ'},
                 {title: '道歉', content: '〈（_　_）〉'},
                 {title: '流汗', content: '(ーー゛)'}
             ]
         }];
         this.filterTag = ['meta', 'script', 'object', 'form', 'iframe'];
         this.filterStyle = ['background-image'];
         this.blockTag = ['address', 'caption', 'dd', 'div', 'dl', 'dt', 'fieldset', 'h1', 'h2', 'h3', 'h4', 'h5', 'h6',
             'legend', 'fieldset', 'li', 'noframes', 'noscript', 'ol', 'ul', 'p', 'pre', 'table', 'tbody', 'tfoot', 'th',
             'thead', 'tr', 'video'];
         this.videoSites = [
             {name: '一号视频', hosts: ['vone.example', 'www.vone.example'], player: 'https://player.vone.example/player.html?bvid='},
             {name: '二号视频', hosts: ['vtwo.example'], player: 'https://player.vtwo.example/embed/'},
             {name: '三号视频', hosts: ['vthree.example'], player: 'https://vthree.example/iframe/'}
         ];
         this.getTime = this.freeStamp();
         this.ids = {};
         ['_iframe', '_tool', '_link', '_LinkInput', '_music', '_musicInput', '_video', '_image', '_imgUpload', '_files',
             '_filesUpload', '_table', '_drag', '_div'].forEach(function (name) {
             editor.ids[name] = name + editor.getTime;
         });
         this.menuList = {};
         this.parentTagName = '';
         this.textarea = 0;
         this.inputFunction = null;
         const element = this.id(id);
         if (!element) {
             alert('请提供一个有效的id');
             return;
         }
         if (element.tagName !== 'TEXTAREA' && element.tagName !== 'DIV') {
             console.log('qeEditor：暂不支持该标签「' + element.tagName + '」，推荐使用div或textarea');
             return;
         }
         if (element.tagName === 'TEXTAREA') {
             element.style.display = 'none';
             this.editor = this.c('div');
             this.editor.className = 'qeEditor';
             this.editor.id = this.ids._div;
             this.insertAfter(this.editor, element);
             this.textarea = element;
             this.value = element.value;
         } else {
             element.classList.add('qeEditor');
             this.value = element.innerHTML;
             element.innerHTML = '';
             this.editor = element;
         }
         this.cssConfig = this.c('style');
         this.cssConfig.type = 'text/css';
         this.tool = this.c('div');
         this.tool.id = this.ids._tool;
         this.tool.className = 'qeEditor-tool qeEditor-noselect';
         this.iframe = this.c('iframe');
         this.iframe.id = this.ids._iframe;
         this.iframe.className = 'qeEditor-noselect';
         this.iframe.setAttribute('frameborder', '0');
         this.dragBg = this.c('div');
         this.dragBg.className = 'qeEditor-dragBg';
         this.drag = this.c('div');
         this.drag.id = this.ids._drag;
         this.drag.className = 'qeEditor-drag qeEditor-noselect';
         this.drag.appendChild(this.icon('drag'));
         this.disableds = this.c('div');
         this.disableds.className = 'qeEditor-disabled';
         [this.cssConfig, this.tool, this.iframe, this.dragBg, this.drag, this.disableds].forEach(function (part) {
             editor.editor.appendChild(part);
         });
         this.w = this.iframe.contentWindow;
         this.d = this.w.document;
         this.d.open();
         this.d.write('<!DOCTYPE html><html><head>' +
             '<meta http-equiv="Content-Security-Policy" content="script-src \'none\'">' +
             '<style>' + this.innerStyle() + '</style></head><body></body></html>');
         this.d.close();
         let value = this.value;
         if (value.trim() === '' || value.trim().substr(0, 3) !== '<p>') {
             value = '<p>' + value + '</p>';
         }
         this.d.body.innerHTML = value;
         this.d.designMode = 'on';
         this.d.body.contentEditable = true;
         try {
             if (this.d.queryCommandSupported && this.d.queryCommandSupported('AutoUrlDetect')) {
                 this.d.execCommand('AutoUrlDetect', false, false);
             }
         } catch (e) {}
         this.d.body.addEventListener('click', function () {
             editor.toolState();
         });
         this.content = this.d.body;
         this.dragInit();
         if (this.textarea) {
             setInterval(function () {
                 editor.setTextarea();
             }, 1000);
             document.addEventListener('submit', function () {
                 editor.setTextarea();
             }, true);
         }
         this.init();
         this.create();
         this.paste();
         if (callback) {
             callback.call(this, this);
         }
     }
     freeStamp() {
         let stamp = '1' + String(new Date().getTime()).substr(4, 8);
         while (this.id('_iframe' + stamp) || this.id('_div' + stamp)) {
             stamp = String(Number(stamp) + 1);
         }
         return stamp;
     }
     uploadHooks() {
         return {
             name: 'file[]',
             formData: function (data) {
                 return data;
             },
             success: function (entry) {
                 return entry;
             },
             error: function () {},
             complete: function () {}
         };
     }
     innerStyle() {
         return 'body{font-family:Microsoft YaHei;font-size:14px;color:#363636;margin:15px;word-wrap:break-word;word-break:break-all}' +
             'img{max-width:100%}' +
             'p{margin:0;margin-bottom:5px;min-height:19px}' +
             'code{color:#696969;background:#eee;padding:2px 5px;display:inline-block;margin:0 5px;border-radius:3px;border:1px solid #dedede}' +
             '.qeEditor-code{font-family:Courier New;font-size:13px;line-height:20px;white-space:pre-wrap}' +
             'table{margin:10px 0}' +
             'table td{padding:8px;line-height:1.42857143;border:1px solid #bdbdbd}' +
             'pre{background:#f3f3f3;padding:10px;border-radius:3px;font-family:Microsoft YaHei}';
     }
     init() {
         this.files = null;
         this.insertImage = null;
         this.element = this.d.body;
         this.range = this.d.createRange ? this.w.getSelection() : this.d.selection.createRange();
     }
     create() {
         this.cssConfig.textContent = this.css;
         this.menuFormat();
         this.menuAction();
         this.disableds.style.display = this.disabled ? 'block' : 'none';
         this.styleInit();
     }
     getHTML() {
         return this.d.body.innerHTML;
     }
     getValue() {
         return this.d.body.innerHTML;
     }
     getText() {
         return this.d.body.innerText;
     }
     setValue(v) {
         this.d.body.innerHTML = v;
         this.setTextarea();
     }
     addValue(v) {
         this.d.body.innerHTML += v;
         this.setTextarea();
     }
     setTextarea() {
         if (!this.textarea) {
             return;
         }
         let html = this.d.body.innerHTML;
         if (this.code) {
             html = this.html(html);
         }
         this.textarea.value = html.replace(/<pre.*?<\/pre>/gi, function (pre) {
             return pre.replace(/<br>/gi, '\n');
         });
     }
     inputDisabled() {
         this.d.designMode = 'off';
         this.d.body.contentEditable = false;
     }
     inputEnable() {
         this.d.designMode = 'on';
         this.d.body.contentEditable = true;
     }
     inputCallback(fn) {
         this.inputFunction = fn;
     }
     changed() {
         this.setTextarea();
         if (this.inputFunction) {
             this.inputFunction.call(this, this.getHTML(), this.getText());
         }
     }
     id(a) {
         return document.getElementById(a);
     }
     c(a) {
         return document.createElement(a);
     }
     insertAfter(n, obj) {
         obj.parentNode.insertBefore(n, obj.nextSibling);
     }
     icon(name, className) {
         const ns = 'http://www.w3.org/2000/svg';
         const svg = document.createElementNS(ns, 'svg');
         svg.setAttribute('class', className || 'qeEditor-icon');
         svg.setAttribute('aria-hidden', 'true');
         const use = document.createElementNS(ns, 'use');
         use.setAttribute('href', '#icon-' + name);
         use.setAttributeNS('http://www.w3.org/1999/xlink', 'xlink:href', '#icon-' + name);
         svg.appendChild(use);
         return svg;
     }
     caretRange() {
         const body = this.d.body;
         this.w.focus();
         const selection = this.w.getSelection();
         if (selection.rangeCount && this.inNodeParent(selection.getRangeAt(0).commonAncestorContainer, body)) {
             return selection.getRangeAt(0);
         }
         const range = this.d.createRange();
         if (this.lastRange && this.inNodeParent(this.lastRange.commonAncestorContainer, body)) {
             range.setStart(this.lastRange.startContainer, this.lastRange.startOffset);
             range.setEnd(this.lastRange.endContainer, this.lastRange.endOffset);
         } else {
             const last = body.lastChild && body.lastChild.nodeType === 1 ? body.lastChild : body;
             range.selectNodeContents(last);
             range.collapse(false);
         }
         this.select(range);
         return range;
     }
     select(range) {
         const selection = this.w.getSelection();
         selection.removeAllRanges();
         selection.addRange(range);
         this.lastRange = range.cloneRange();
     }
     keepRange() {
         const selection = this.w.getSelection();
         if (selection.rangeCount && this.inNodeParent(selection.getRangeAt(0).commonAncestorContainer, this.d.body)) {
             this.lastRange = selection.getRangeAt(0).cloneRange();
         }
     }
     setHTML(html, a) {
         if (a) {
             this.setNodes([html]);
             return;
         }
         const range = this.caretRange();
         html.appendChild(range.extractContents());
         range.deleteContents();
         range.insertNode(html);
         range.setStartAfter(html);
         range.collapse(true);
         this.select(range);
     }
     setText(text, a) {
         const range = this.caretRange();
         range.deleteContents();
         let last;
         if (a) {
             const fragment = this.cleanFragment(text);
             last = fragment.lastChild;
             range.insertNode(fragment);
         } else {
             last = this.d.createTextNode(text);
             range.insertNode(last);
         }
         if (last) {
             range.setStartAfter(last);
             range.collapse(true);
             this.select(range);
         }
     }
     setNodes(nodes) {
         const fragment = this.d.createDocumentFragment();
         nodes.forEach(function (node) {
             fragment.appendChild(node);
         });
         const last = fragment.lastChild;
         const range = this.caretRange();
         range.deleteContents();
         const blocks = /^(P|DIV|TABLE|UL|OL|DL|PRE|BLOCKQUOTE|H[1-6]|HR|ADDRESS|FIELDSET|FORM|SECTION|ARTICLE|FIGURE)$/;
         let paragraph = range.startContainer;
         while (paragraph && paragraph !== this.d.body && paragraph.nodeName !== 'P') {
             paragraph = paragraph.parentNode;
         }
         if (paragraph && paragraph.nodeName === 'P' && nodes.some(function (node) {
             return blocks.test(node.nodeName);
         })) {
             const rest = this.d.createRange();
             rest.setStart(range.startContainer, range.startOffset);
             rest.setEnd(paragraph, paragraph.childNodes.length);
             const tail = rest.extractContents();
             const after = paragraph.cloneNode(false);
             after.appendChild(tail);
             paragraph.parentNode.insertBefore(after, paragraph.nextSibling);
             if (after.textContent === '' && !after.querySelector('img,iframe,video,audio,table,hr')) {
                 after.parentNode.removeChild(after);
             }
             range.setStartAfter(paragraph);
             range.collapse(true);
             if (paragraph.textContent === '' && !paragraph.querySelector('img,iframe,video,audio,table,hr')) {
                 paragraph.parentNode.removeChild(paragraph);
             }
         }
         range.insertNode(fragment);
         if (last) {
             range.setStartAfter(last);
             range.collapse(true);
             this.select(range);
         }
     }
     getSelectHTML() {
         const box = this.d.createElement('p');
         box.appendChild(this.caretRange().cloneContents());
         return box.innerHTML;
     }
     getSelectText() {
         const selection = this.w.getSelection();
         return selection && selection.rangeCount ? selection.toString() : '';
     }
     unhtml(str) {
         return str ? str.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
             .replace(/'/g, '&#39;').replace(/"/g, '&quot;') : '';
     }
     html(str) {
         return str ? str.replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&#39;/g, '\'')
             .replace(/&quot;/g, '"').replace(/&amp;/g, '&') : '';
     }
     inertDocument() {
         if (!this.inert) {
             this.inert = document.implementation.createHTMLDocument('');
         }
         return this.inert;
     }
     toText(html) {
         const box = this.inertDocument().createElement('div');
         box.textContent = html;
         return box.innerHTML;
     }
     toHTML(text) {
         const box = this.inertDocument().createElement('div');
         box.innerHTML = text;
         return box.textContent;
     }
     inNodeParent(el, parent) {
         while (el) {
             if (typeof parent === 'string' ? el.nodeName && el.nodeName.toUpperCase() === parent.toUpperCase() : el === parent) {
                 return true;
             }
             el = el.parentNode;
         }
         return false;
     }
     inArray(needle, array) {
         if (typeof needle !== 'string' && typeof needle !== 'number') {
             return false;
         }
         for (let i = 0; i < array.length; i++) {
             if (array[i] === needle) {
                 return true;
             }
         }
         return false;
     }
     getRangegetRange() {
         return this.caretRange();
     }
     getCoords(el) {
         const box = el.getBoundingClientRect();
         const root = document.documentElement;
         return {top: box.top - (root.clientTop || 0), left: box.left - (root.clientLeft || 0)};
     }
     pd(e) {
         e = e || window.event;
         if (e && e.stopPropagation) {
             e.stopPropagation();
         } else if (e) {
             e.cancelBubble = true;
         }
     }
     isIE() {
         return !!window.ActiveXObject || 'ActiveXObject' in window;
     }
     dragInit() {
         const editor = this;
         this.drag.onmousedown = function (e) {
             const top = e.clientY;
             const ch = editor.iframe.clientHeight;
             const move = function (event) {
                 const height = ch + event.clientY - top;
                 editor.height = height + 'px';
                 editor.iframe.style.height = ch < 100 ? '100px' : height + 'px';
             };
             const up = function () {
                 window.removeEventListener('mousemove', move);
                 window.removeEventListener('mouseup', up);
                 editor.dragBg.style.display = 'none';
             };
             editor.dragBg.style.display = 'block';
             window.addEventListener('mousemove', move);
             window.addEventListener('mouseup', up);
             return false;
         };
     }
     styleInit() {
         qe.editor.css = this.globalCss ? this.globalCss : '';
         qe.editor.svg = this.globalIcon ? this.globalIcon : '';
         ['qeEditor-css', 'qeEditor-icon'].forEach(function (name) {
             const old = document.getElementById(name);
             if (old) {
                 old.parentNode.removeChild(old);
             }
         });
         const style = this.c('style');
         style.type = 'text/css';
         if (style.styleSheet) {
             style.styleSheet.cssText = qe.editor.css;
         } else {
             style.textContent = qe.editor.css;
         }
         style.id = 'qeEditor-css';
         (document.head || document.getElementsByTagName('head')[0]).appendChild(style);
         const box = this.c('div');
         box.innerHTML = qe.editor.css + qe.editor.svg;
         qe.editor.svg = '';
         const svg = box.getElementsByTagName('svg')[0];
         if (svg) {
             svg.id = 'qeEditor-icon';
             svg.setAttribute('aria-hidden', 'true');
             svg.style.position = 'absolute';
             svg.style.width = '0';
             svg.style.height = '0';
             svg.style.overflow = 'hidden';
             if (document.body.firstChild) {
                 document.body.insertBefore(svg, document.body.firstChild);
             } else {
                 document.body.appendChild(svg);
             }
         }
     }
     createMenu(json) {
         const editor = this;
         const old = this.menuList[json.name];
         if (old && old.qePopup && old.qePopup.parentNode) {
             old.qePopup.parentNode.removeChild(old.qePopup);
         }
         const li = this.c('li');
         li.qeJson = json;
         if (json.id) {
             li.id = json.id;
         }
         if (json.css) {
             li.className = json.css;
         }
         if (json.style) {
             this.css += json.style;
         }
         if (json.menu || json.icon || json.title || json.data || json.click || json.popup) {
             const button = this.c('div');
             button.className = 'qeEditor-exec';
             if (json.title) {
                 button.title = json.title;
             }
             if (json.data) {
                 button.setAttribute('data', json.data);
             }
             if (json.menu) {
                 button.innerHTML = json.menu;
             } else if (json.icon) {
                 button.appendChild(this.icon(json.icon));
             }
             li.appendChild(button);
         }
         if (json.dropdown) {
             this.dropdownInit(li, json.dropdown);
         }
         if (json.popup) {
             const popup = this.popup(json.popup);
             if (json.popup.id) {
                 popup.id = json.popup.id;
             }
             this.editor.appendChild(popup);
             li.qePopup = popup;
             li.onclick = function (e) {
                 editor.popupShow(popup);
                 if (json.click) {
                     json.click.call(editor, li, editor, e);
                 }
                 return false;
             };
         } else if (json.click) {
             li.onclick = function (e) {
                 json.click.call(editor, li, editor, e);
                 return false;
             };
         }
         this.menuList[json.name] = li;
         return li;
     }
     dropdownInit(li, dropdown) {
         const panel = this.c('div');
         panel.className = 'qeEditor-menuDropdown';
         if (typeof dropdown === 'string') {
             panel.innerHTML = dropdown;
         } else {
             panel.appendChild(dropdown);
         }
         li.appendChild(panel);
         li.qeDropdown = panel;
         let blockedUntil = 0;
         li.qeCloseDropdown = function () {
             panel.className = 'qeEditor-menuDropdown';
             blockedUntil = new Date().getTime() + 500;
         };
         const editor = this;
         li.onmouseover = function () {
             if (new Date().getTime() >= blockedUntil) {
                 if (panel.className.indexOf('qeEditor-menuActive') < 0) {
                     panel.style.display = 'block';
                     panel.getBoundingClientRect();
                     panel.style.display = '';
                 }
                 panel.className = 'qeEditor-menuDropdown qeEditor-menuActive';
                 editor.keepInWindow(panel);
             }
         };
         li.onmouseleave = function () {
             panel.className = 'qeEditor-menuDropdown';
         };
         panel.addEventListener('click', function (e) {
             let target = e.target;
             while (target && target !== panel) {
                 if (target.classList && target.classList.contains('qeEditor-exec')) {
                     li.qeCloseDropdown();
                     return;
                 }
                 target = target.parentNode;
             }
         });
     }
     keepInWindow(panel) {
         const margin = 4;
         panel.style.left = '';
         panel.style.removeProperty('--qeEditor-arrow');
         const rect = panel.getBoundingClientRect();
         const room = document.documentElement.clientWidth;
         let shift = 0;
         if (rect.right > room - margin) {
             shift = room - margin - rect.right;
         }
         if (rect.left + shift < 0) {
             shift = -rect.left;
         }
         if (shift) {
             panel.style.left = shift + 'px';
             panel.style.setProperty('--qeEditor-arrow', (12 - shift) + 'px');
         }
     }
     popup(options) {
         const editor = this;
         const box = this.c('div');
         box.className = 'qeEditor-popup';
         const back = this.c('div');
         back.className = 'qeEditor-popupBox';
         const main = this.c('div');
         main.className = 'qeEditor-popupMain';
         main.style.width = (options.width || '400') + 'px';
         main.style.height = (options.height || '200') + 'px';
         const title = this.c('div');
         title.className = 'qeEditor-popupTitle';
         const name = this.c('span');
         name.textContent = options.title || '';
         const close = this.c('span');
         close.className = 'qeEditor-popupClose';
         close.textContent = '╳';
         close.onclick = function (e) {
             editor.popupHide(box);
             editor.pd(e);
             return false;
         };
         title.appendChild(name);
         title.appendChild(close);
         const content = this.c('div');
         content.className = 'qeEditor-popupContent';
         if (typeof options.content === 'string') {
             content.innerHTML = options.content;
         } else if (options.content) {
             content.appendChild(options.content);
         }
         main.appendChild(title);
         main.appendChild(content);
         box.appendChild(back);
         box.appendChild(main);
         box.addEventListener('click', function (e) {
             editor.pd(e);
         });
         box.addEventListener('keydown', function (e) {
             if (e.keyCode === 13 && e.target.tagName === 'INPUT') {
                 e.preventDefault();
                 const ok = box.querySelector('.qeEditor-btn');
                 if (ok) {
                     ok.click();
                 }
             }
         });
         return box;
     }
     popupShow(popup) {
         this.keepRange();
         popup.style.display = 'block';
     }
     popupHide(popup) {
         popup.style.display = 'none';
     }
     make(tag, props, children) {
         const el = this.c(tag);
         Object.keys(props || {}).forEach(function (key) {
             if (key === 'className' || key === 'textContent' || key === 'id' || key === 'type' || key === 'title') {
                 el[key] = props[key];
             } else {
                 el.setAttribute(key, props[key]);
             }
         });
         (children || []).forEach(function (child) {
             el.appendChild(typeof child === 'string' ? document.createTextNode(child) : child);
         });
         return el;
     }
     okButton(run) {
         const editor = this;
         const button = this.make('button', {type: 'button', className: 'qeEditor-btn', textContent: '确定'});
         button.onclick = function (e) {
             run.call(editor);
             editor.pd(e);
             return false;
         };
         return button;
     }
     menuHTML() {
         const editor = this;
         this.createMenu({name: 'fontSize', title: '文字大小', icon: 'fontSize', dropdown: this.fontSizeList()});
         this.createMenu({name: 'backColor', title: '文字背景颜色', icon: 'backColor',
             dropdown: this.colorList('backColor', this.backColor, '文字背景颜色')});
         this.createMenu({name: 'foreColor', title: '文字颜色', icon: 'foreColor',
             dropdown: this.colorList('foreColor', this.foreColor, '文字颜色')});
         [['bold', '加粗', 'bold'], ['italic', '倾斜', 'italic'], ['underline', '下划线', 'underline'],
             ['strikeThrough', '删除线', 'strike'], ['justifyLeft', '左对齐', 'alignleft'],
             ['justifyCenter', '居中对齐', 'aligncenter'], ['justifyRight', '右对齐', 'alignright'],
             ['indent', '缩进', 'indent'], ['outdent', '取消缩进', 'outdent'],
             ['insertOrderedList', '有序列表', 'orderedlist'], ['insertUnorderedList', '无序列表', 'unorderedlist'],
             ['subscript', '下标', 'subscript'], ['superscript', '上标', 'superscript'], ['unlink', '取消链接', 'unlink'],
             ['hr', '添加水平线', 'min', 'insertHorizontalRule'], ['removeFormat', '清除格式', 'remove']
         ].forEach(function (entry) {
             editor.createMenu({name: entry[0], title: entry[1], icon: entry[2], data: entry[3] || entry[0]});
         });
         this.createMenu({name: 'paste', title: '富文本粘贴', icon: 'word', css: this.pasteText ? '' : 'qeEditor-active-s',
             click: function (li) {
                 editor.pasteText = editor.pasteText ? 0 : 1;
                 li.classList.toggle('qeEditor-active-s', !editor.pasteText);
             }});
         this.createMenu({name: 'selectAll', title: '全选', icon: 'empty', data: 'selectAll'});
         this.createMenu({name: 'code', title: '查看源码', icon: 'code', data: 'code'});
         this.createMenu({name: 'face', title: '插入表情', icon: 'face', dropdown: this.faceList(), style: this.faceStyle()});
         this.createMenu({name: 'table', title: '表格', icon: 'table', dropdown: this.tableList()});
         this.createMenu({name: 'createLink', title: '添加链接', icon: 'link',
             popup: {width: '320', height: '110', title: '添加链接', content: this.linkDialog(), id: this.ids._link}});
         this.createMenu({name: 'music', title: '添加音乐', icon: 'music',
             popup: {width: '320', height: '80', title: '添加音乐', content: this.musicDialog(), id: this.ids._music}});
         this.createMenu({name: 'files', title: '附件上传', icon: 'files',
             popup: {width: '320', height: '200', title: '附件上传', content: this.filesDialog(), id: this.ids._files}});
         this.files = this.menuList.files.qePopup;
         this.createMenu({name: 'insertImage', title: '添加图片', icon: 'pic',
             popup: {width: '320', height: '250', title: '图片上传', content: this.imageDialog(), id: this.ids._image}});
         this.insertImage = this.menuList.insertImage.qePopup;
         this.createMenu({name: 'video', title: '添加视频', icon: 'video',
             popup: {width: '320', height: '170', title: '添加视频', content: this.videoDialog(), id: this.ids._video}});
         this.createMenu({name: 'max', title: '最大化', icon: 'max', data: 'max', css: 'qeEditor-maxWindow'});
         this.createMenu({name: 'min', title: '恢复', icon: 'min', data: 'min', css: 'qeEditor-minWindow'});
         this.createMenu({name: 'disabled', css: 'qeEditor-disabledMask'});
     }
     fontSizeList() {
         const sizes = ['10px', '13px', '16px', '18px', '24px', '32px', '48px'];
         const list = this.make('ul', {className: 'qeEditor-fontSize'});
         for (let size = 1; size <= 7; size++) {
             const span = this.make('span', {className: 'qeEditor-exec', data: 'fontSize|' + size}, ['|' + size]);
             span.style.fontSize = sizes[size - 1];
             list.appendChild(this.make('li', {}, [span]));
         }
         list.appendChild(this.make('li', {className: 'qeEditor-menuTitle'}, ['文字大小']));
         return list;
     }
     colorList(command, colors, title) {
         const list = this.make('ul', {className: 'qeEditor-backColor'});
         for (let i = 0; i < colors.length; i++) {
             const span = this.make('span', {className: 'qeEditor-exec', data: command + '|' + colors[i], title: colors[i]});
             span.style.background = colors[i];
             list.appendChild(this.make('li', {}, [span]));
         }
         list.appendChild(this.make('li', {className: 'qeEditor-menuTitle'}, [title]));
         return list;
     }
     faceStyle() {
         return '.qeEditor-face{width:310px}' +
             '.qeEditor-face span{cursor:pointer}' +
             '.qeEditor-faceTitle{border:2px solid #f7f7f7}' +
             '.qeEditor-faceTitle span{display:inline-block;padding:5px 10px;margin-bottom:-2px}' +
             '.qeEditor-faceTitle .qeEditor-faceActive{border-bottom:2px solid #333}' +
             '.qeEditor-faceMain{padding:15px 10px}' +
             '.qeEditor-faceList{display:none;width:100%}' +
             '.qeEditor-faceList.qeEditor-faceActive{display:block}' +
             '.qeEditor-faceList span{margin:3px 7px;display:inline-block}' +
             '.qeEditor-faceList .qeEditor-faceText{min-width:80px;text-align:center}';
     }
     faceList() {
         const editor = this;
         const box = this.make('div', {className: 'qeEditor-face'});
         const titles = this.make('div', {className: 'qeEditor-faceTitle'});
         const main = this.make('div', {className: 'qeEditor-faceMain'});
         const groups = [];
         this.face.forEach(function (group, index) {
             const name = editor.make('span', {}, [String(group.title)]);
             const list = editor.make('div', {className: 'qeEditor-faceList'});
             (group.list || []).forEach(function (item) {
                 const span = editor.make('span', {title: String(item.title)});
                 if (group.type === 'img') {
                     span.appendChild(editor.make('img', {title: String(item.title), src: String(item.content)}));
                 } else {
                     span.className = 'qeEditor-faceText';
                     span.textContent = item.content;
                 }
                 span.onclick = function () {
                     editor.setText(' ' + span.innerHTML + ' ', true);
                     editor.changed();
                     return false;
                 };
                 list.appendChild(span);
             });
             name.onclick = function () {
                 groups.forEach(function (other) {
                     other.name.className = other.name === name ? 'qeEditor-faceActive' : '';
                     other.list.className = other.list === list ? 'qeEditor-faceList qeEditor-faceActive' : 'qeEditor-faceList';
                 });
                 return false;
             };
             if (index === 0) {
                 name.className = 'qeEditor-faceActive';
                 list.className = 'qeEditor-faceList qeEditor-faceActive';
             }
             groups.push({name: name, list: list});
             titles.appendChild(name);
             main.appendChild(list);
         });
         box.appendChild(titles);
         box.appendChild(main);
         return box;
     }
     tableList() {
         const editor = this;
         const list = this.make('ul', {className: 'qeEditor-tableMain', id: this.ids._table});
         const box = this.make('div', {className: 'qeEditor-tableBox'});
         const off = this.make('div', {className: 'qeEditor-tableBgOff'});
         const on = this.make('div', {className: 'qeEditor-tableBgOn'});
         const label = this.make('div', {className: 'qeEditor-tableNum'}, ['表格：1×1']);
         let columns = 1;
         let rows = 1;
         const move = function (e) {
             const at = editor.getCoords(box);
             const x = e.clientX - at.left - 5;
             const y = e.clientY - at.top - 5;
             if (x <= 180 && y <= 180) {
                 columns = Math.max(1, Math.ceil(x / 18));
                 rows = Math.max(1, Math.ceil(y / 18));
                 on.style.width = columns * 18 + 'px';
                 on.style.height = rows * 18 + 'px';
                 label.textContent = '表格：' + columns + '×' + rows;
             }
         };
         box.onmouseenter = function () {
             box.addEventListener('mousemove', move);
         };
         box.onmouseleave = function () {
             box.removeEventListener('mousemove', move);
         };
         box.onmousedown = function () {
             editor.insertTable(rows, columns);
             const li = editor.menuList.table;
             if (li && li.qeCloseDropdown) {
                 li.qeCloseDropdown();
             }
             return false;
         };
         box.appendChild(off);
         box.appendChild(on);
         box.appendChild(label);
         list.appendChild(this.make('li', {}, [box]));
         return list;
     }
     insertTable(rows, columns) {
         const table = this.d.createElement('table');
         table.setAttribute('width', '100%');
         table.setAttribute('border', '1');
         table.style.border = '1px solid #bdbdbd';
         table.style.borderSpacing = '0';
         table.style.borderCollapse = 'collapse';
         table.className = 'table table-border';
         const body = this.d.createElement('tbody');
         for (let r = 0; r < rows; r++) {
             const row = this.d.createElement('tr');
             for (let k = 0; k < columns; k++) {
                 const cell = this.d.createElement('td');
                 cell.appendChild(this.d.createElement('br'));
                 row.appendChild(cell);
             }
             body.appendChild(row);
         }
         table.appendChild(body);
         this.setHTML(table, true);
         this.changed();
     }
     linkDialog() {
         const editor = this;
         const input = this.make('input', {type: 'text', className: 'qeEditor-link', id: this.ids._LinkInput, placeholder: '链接地址'});
         const blank = this.make('input', {type: 'checkbox'});
         blank.checked = true;
         const ok = this.okButton(function () {
             const link = editor.d.createElement('a');
             link.setAttribute('href', input.value);
             if (blank.checked) {
                 link.setAttribute('target', '_blank');
             }
             const selected = editor.caretRange().cloneContents();
             const anchors = selected.querySelectorAll('a');
             for (let i = 0; i < anchors.length; i++) {
                 while (anchors[i].firstChild) {
                     anchors[i].parentNode.insertBefore(anchors[i].firstChild, anchors[i]);
                 }
                 anchors[i].parentNode.removeChild(anchors[i]);
             }
             if (selected.textContent === '' && !selected.querySelector('img')) {
                 link.textContent = input.value;
             } else {
                 link.appendChild(selected);
             }
             editor.setHTML(link, true);
             editor.popupHide(editor.menuList.createLink.qePopup);
             editor.changed();
         });
         return this.make('div', {className: 'qeEditor-createLink'}, [
             this.make('div', {className: 'qeEditor-row'}, [this.make('label', {}, ['创建链接：']), input, ok]),
             this.make('div', {className: 'qeEditor-row'}, [this.make('label', {}, [blank, ' 新窗口打开'])])
         ]);
     }
     musicDialog() {
         const editor = this;
         const input = this.make('input', {type: 'text', className: 'qeEditor-link', id: this.ids._musicInput, placeholder: '链接地址'});
         const ok = this.okButton(function () {
             const audio = editor.d.createElement('audio');
             audio.setAttribute('controls', 'controls');
             audio.setAttribute('src', input.value);
             editor.setHTML(audio, true);
             editor.popupHide(editor.menuList.music.qePopup);
             editor.changed();
         });
         return this.make('div', {className: 'qeEditor-row'}, [this.make('label', {}, ['音乐链接：']), input, ok]);
     }
     uploadField(id, accept, kind) {
         const editor = this;
         const input = this.make('input', {type: 'file', className: 'qeEditor-uploadInput', id: id, name: 'file[]', multiple: 'multiple'});
         if (accept) {
             input.setAttribute('accept', accept);
         }
         input.onchange = function () {
             const files = input.files;
             if (files && files.length) {
                 editor.uploadFiles(files, kind);
             }
             input.value = '';
         };
         return input;
     }
     filesDialog() {
         const id = this.ids._filesUpload;
         return this.make('div', {className: 'qeEditor-insertImage'}, [
             this.uploadField(id, '', 'all'),
             this.icon('files', 'qeEditor-icon qeEditor-uploadIcon'),
             this.make('label', {'for': id, className: 'qeEditor-uploadBtn'}, ['点击上传附件'])
         ]);
     }
     imageDialog() {
         const editor = this;
         const id = this.ids._imgUpload;
         const url = this.make('input', {type: 'text', className: 'qeEditor-insertImageUrl', placeholder: '网络图片地址'});
         const width = this.make('input', {type: 'text', className: 'qeEditor-inputWidth', placeholder: 'px'});
         const height = this.make('input', {type: 'text', className: 'qeEditor-inputHeight', placeholder: 'px'});
         const ok = this.okButton(function () {
             if (url.value.trim() === '') {
                 return;
             }
             const img = editor.d.createElement('img');
             img.setAttribute('src', url.value.trim());
             editor.imageSize(img);
             editor.setHTML(img, true);
             editor.popupHide(editor.menuList.insertImage.qePopup);
             editor.changed();
         });
         return this.make('div', {className: 'qeEditor-insertImage'}, [
             this.make('div', {className: 'qeEditor-row'}, [this.make('label', {}, ['URL：']), url]),
             this.make('div', {className: 'qeEditor-row'}, [
                 this.make('div', {className: 'qeEditor-group'}, [this.make('label', {}, ['宽：']), width]),
                 this.make('div', {className: 'qeEditor-group'}, [this.make('label', {}, ['高：']), height]),
                 ok
             ]),
             this.uploadField(id, 'image/*', 'pic'),
             this.make('label', {'for': id}, [this.icon('pic', 'qeEditor-icon qeEditor-uploadIcon')]),
             this.make('label', {'for': id, className: 'qeEditor-uploadBtn'}, ['点击上传图片'])
         ]);
     }
     imageSize(img) {
         const popup = this.insertImage || (this.menuList.insertImage && this.menuList.insertImage.qePopup);
         if (!popup) {
             return;
         }
         const width = popup.querySelector('.qeEditor-inputWidth').value.trim();
         const height = popup.querySelector('.qeEditor-inputHeight').value.trim();
         if (width !== '') {
             img.setAttribute('width', width);
         }
         if (height !== '') {
             img.setAttribute('height', height);
         }
     }
     videoDialog() {
         const editor = this;
         const url = this.make('input', {type: 'text', className: 'qeEditor-videoUrl', placeholder: '网络视频地址'});
         const width = this.make('input', {type: 'text', className: 'qeEditor-inputWidth', placeholder: 'px'});
         const height = this.make('input', {type: 'text', className: 'qeEditor-inputHeight', placeholder: 'px'});
         const ok = this.okButton(function () {
             const node = editor.videoNode(url.value.trim(), width.value.trim(), height.value.trim());
             if (!node) {
                 return;
             }
             editor.setHTML(node, true);
             editor.popupHide(editor.menuList.video.qePopup);
             editor.changed();
         });
         const names = this.videoSites.slice(0, 2).map(function (site) {
             return site.name;
         });
         return this.make('div', {className: 'qeEditor-video'}, [
             this.make('div', {}, [this.make('label', {}, ['默认支持' + names.join('、')])]),
             this.make('div', {}, [this.make('label', {}, ['URL：']), url]),
             this.make('div', {}, [
                 this.make('label', {}, ['宽：']), width, ' ', this.make('label', {}, ['高：']), height, ok
             ])
         ]);
     }
     videoNode(address, width, height) {
         if (address === '') {
             alert('视频地址不能为空');
             return null;
         }
         const found = /^https?:\/\/([^\/]+)/i.exec(address);
         if (!found) {
             alert('URL地址不合法！');
             return null;
         }
         const host = found[1].toLowerCase();
         const frame = this.d.createElement('iframe');
         frame.setAttribute('width', width || '510');
         frame.setAttribute('height', height || '498');
         frame.setAttribute('frameborder', '0');
         frame.setAttribute('allowfullscreen', 'true');
         const sites = this.videoSites;
         let id = null;
         if (this.inArray(host, sites[0].hosts)) {
             const at = address.indexOf('video/');
             if (at >= 0) {
                 id = address.substr(at + 6).split('?')[0];
                 frame.setAttribute('src', sites[0].player + encodeURIComponent(id));
                 return frame;
             }
         } else if (this.inArray(host, sites[1].hosts)) {
             const at = address.indexOf('.html');
             const before = at >= 0 ? address.substr(0, at) : '';
             const mark = before.lastIndexOf('id_');
             id = mark >= 0 ? before.substr(mark + 3) : '';
             if (at < 0 || id === '') {
                 alert(sites[1].name + '：' + '抱歉，无法处理该链接！');
                 return null;
             }
             frame.setAttribute('src', sites[1].player + encodeURIComponent(id));
             return frame;
         } else if (this.inArray(host, sites[2].hosts)) {
             const digits = /\d{6,}/.exec(address);
             if (digits) {
                 frame.setAttribute('src', sites[2].player + digits[0]);
                 return frame;
             }
         }
         const video = this.d.createElement('video');
         video.setAttribute('src', address);
         video.setAttribute('width', width || '510');
         video.setAttribute('height', height || '498');
         video.setAttribute('controls', 'controls');
         return video;
     }
     plugin(json) {
         if (!json || !json.name) {
             console.log('plugin：menu参数不能为空');
             return;
         }
         if (this.inArray(json.name, this.menu)) {
             console.log('plugin：menu已经存在，请重新命名');
             return;
         }
         this.menu.push(json.name);
         this.createMenu(json);
     }
     menuFormat() {
         this.menuHTML();
         this.tool.innerHTML = '';
         const list = this.make('ul', {className: 'qeEditor-menu'});
         this.tool.appendChild(list);
         for (let i = 0; i < this.menu.length; i++) {
             const name = this.menu[i];
             if (name === 'line') {
                 list.appendChild(this.make('li', {className: 'qeEditor-line'}));
             } else if (!this.inArray(name, this.notMenu) && this.menuList[name]) {
                 const li = this.menuList[name];
                 list.appendChild(li);
                 if (li.qeJson.success) {
                     li.qeJson.success.call(this, li, this);
                 }
             }
         }
         if (this.maxWindow) {
             list.appendChild(this.menuList.max);
             list.appendChild(this.menuList.min);
         }
         list.appendChild(this.menuList.disabled);
         this.editor.style.width = this.width;
         this.iframe.style.width = this.width;
         this.iframe.style.height = this.height;
     }
     menuAction() {
         const editor = this;
         const buttons = this.tool.querySelectorAll('.qeEditor-exec');
         for (let i = 0; i < buttons.length; i++) {
             const button = buttons[i];
             const data = button.getAttribute('data');
             if (data) {
                 button.onclick = function () {
                     editor.command(data, button);
                     return false;
                 };
             }
         }
     }
     command(word, button) {
         if (word === 'strikeThrough') {
             this.strikeThrough();
         } else if (word === 'code') {
             this.codeView(button);
         } else if (word === 'max') {
             this.maxWindowOn();
         } else if (word === 'min') {
             this.minWindowOn();
         } else {
             const parts = word.split('|');
             this.w.focus();
             if (!this.d.qeStyleWithCSS) {
                 this.d.execCommand('styleWithCSS', false, true);
                 this.d.qeStyleWithCSS = 1;
             }
             if (parts.length > 1) {
                 this.d.execCommand(parts[0], false, parts[1]);
             } else {
                 this.d.execCommand(parts[0], false, null);
             }
         }
         this.changed();
     }
     strikeThrough() {
         const selection = this.w.getSelection();
         const range = this.caretRange();
         const anchor = selection.anchorNode || range.startContainer;
         const parent = anchor ? anchor.parentNode : null;
         if (parent && parent !== this.d.body && parent.style && /line-through/.test(parent.style.textDecoration + ' ' + parent.style.textDecorationLine)) {
             while (parent.firstChild) {
                 parent.parentNode.insertBefore(parent.firstChild, parent);
             }
             parent.parentNode.removeChild(parent);
         } else {
             const span = this.d.createElement('span');
             span.style.textDecoration = 'line-through';
             this.setHTML(span);
         }
     }
     codeView(button) {
         const body = this.d.body;
         const mask = this.menuList.disabled;
         if (!this.code) {
             this.code = 1;
             mask.style.display = 'block';
             button.className = 'qeEditor-exec qeEditor-active';
             body.classList.add('qeEditor-code');
             let html = body.innerHTML.replace(/<pre[\s\S]*?<\/pre>/gi, function (pre) {
                 return pre.replace(/<br\s*\/?>/gi, '\n');
             });
             html = html.replace(/<\/p><p/g, '</p>\n<p').replace(/>(<pre)/gi, '>\n$1').replace(/(<\/pre>)</gi, '$1\n<');
             body.innerHTML = this.unhtml(html);
         } else {
             this.code = 0;
             mask.style.display = 'none';
             button.className = 'qeEditor-exec';
             body.classList.remove('qeEditor-code');
             body.innerHTML = this.html(body.innerHTML).replace(/<pre[\s\S]*?<\/pre>/gi, function (pre) {
                 return pre.replace(/\n/g, '<br>');
             });
         }
     }
     maxWindowOn() {
         const root = document.documentElement;
         const height = window.innerHeight || (document.compatMode === 'CSS1Compat' ? root.clientHeight : document.body.clientHeight);
         const box = this.editor.style;
         box.position = 'fixed';
         box.top = '0';
         box.left = '0';
         box.width = '100%';
         box.height = '100%';
         box.zIndex = this.getTime;
         this.iframe.style.height = height - 35 - 20 + 'px';
         this.menuList.max.style.display = 'none';
         this.menuList.min.style.display = 'block';
     }
     minWindowOn() {
         this.editor.removeAttribute('style');
         this.iframe.style.height = this.height;
         this.menuList.min.style.display = 'none';
         this.menuList.max.style.display = 'block';
     }
     toolState() {
         const selection = this.w.getSelection();
         const anchor = selection.anchorNode;
         this.parentTagName = anchor && anchor.parentNode ? anchor.parentNode.nodeName : '';
         this.keepRange();
         for (let i = 0; i < this.menu.length; i++) {
             const name = this.menu[i];
             const li = this.menuList[name];
             if (name === 'line' || !li) {
                 continue;
             }
             let active = false;
             try {
                 active = this.d.queryCommandState(name);
             } catch (e) {}
             li.classList.toggle('qeEditor-actives', !!active);
         }
     }
     ajax(json) {
         const set = this.ajax;
         if (!json.url) {
             return;
         }
         const timeout = json.timeout || set.uploadTimeout;
         const data = json.data || {};
         const xhr = new XMLHttpRequest();
         let ended = false;
         let timer = 0;
         const end = function () {
             if (ended) {
                 return false;
             }
             ended = true;
             clearTimeout(timer);
             xhr.onreadystatechange = null;
             return true;
         };
         const fail = function () {
             set.error(xhr);
             set.complete(xhr, xhr);
             if (json.error) {
                 json.error(xhr);
             }
         };
         (xhr.upload || xhr).addEventListener('progress', function (e) {
             set.progress(e.lengthComputable && e.total ? Math.round(e.loaded / e.total * 100) : 0, e, xhr);
         });
         xhr.open('POST', json.url, true);
         xhr.setRequestHeader('X-Requested-With', 'XMLHttpRequest');
         let body;
         if (window.FormData && data instanceof FormData) {
             body = set.formData(data) || data;
         } else {
             xhr.setRequestHeader('Content-Type', 'application/x-www-form-urlencoded');
             body = Object.keys(data).map(function (name) {
                 return name + '=' + encodeURIComponent(data[name]);
             }).join('&');
         }
         xhr.onreadystatechange = function () {
             if (xhr.readyState !== 4 || !end()) {
                 return;
             }
             if (xhr.status !== 200) {
                 fail();
                 return;
             }
             let answer = '';
             if (xhr.responseText !== '') {
                 try {
                     answer = JSON.parse(xhr.responseText);
                 } catch (e) {
                     fail();
                     return;
                 }
             }
             answer = set.success(answer, xhr) || answer;
             set.complete(answer, xhr);
             if (json.success) {
                 json.success(answer);
             }
         };
         set.xhr(xhr);
         xhr.send(body);
         if (json.loading) {
             json.loading();
         }
         timer = setTimeout(function () {
             if (!end()) {
                 return;
             }
             xhr.abort();
             set.timeout(xhr);
             set.complete(xhr, xhr);
             if (json.error) {
                 json.error('网络超时。');
             }
         }, timeout);
     }
     uploadFiles(files, kind) {
         const editor = this;
         const hooks = kind === 'pic' ? this.imgUpload : this.filesUpload;
         const popup = kind === 'pic' ? this.insertImage : this.files;
         if (!this.uploadUrl) {
             alert('请配置uploadUrl项');
             return;
         }
         let data = new FormData();
         for (let i = 0; i < files.length; i++) {
             data.append(hooks.name, files[i]);
         }
         data = hooks.formData(data) || data;
         this.ajax({
             url: this.uploadUrl + '?DialogType=' + kind + '&SaveUpFilesPath=/Data_UploadFiles/' + getPathFromUrl(),
             data: data,
             success: function (answer) {
                 const answered = editor.eachEntry(answer, hooks, function (entry) {
                     if (kind === 'pic') {
                         const img = editor.d.createElement('img');
                         img.setAttribute('src', entry.url);
                         editor.imageSize(img);
                         editor.setHTML(img, true);
                     } else {
                         const link = editor.d.createElement('a');
                         link.setAttribute('href', entry.url);
                         link.className = 'download';
                         link.setAttribute('download', String(entry.name));
                         link.setAttribute('target', '_blank');
                         link.textContent = String(entry.name);
                         editor.setNodes([link, editor.d.createElement('br')]);
                     }
                 });
                 if (answered && popup) {
                     editor.popupHide(popup);
                 }
                 editor.changed();
             },
             error: function (why) {
                 hooks.error(why);
                 hooks.complete(why);
             }
         });
     }
     eachEntry(answer, hooks, insert) {
         if (!(answer instanceof Array)) {
             hooks.error(answer);
             hooks.complete(answer);
             return false;
         }
         answer.forEach(function (entry) {
             if (!entry || typeof entry !== 'object' || entry.error || typeof entry.url !== 'string') {
                 hooks.error(entry, answer);
                 hooks.complete(entry, answer);
                 alert(entry && entry.error ? entry.error : '上传失败');
                 return;
             }
             entry = hooks.success(entry, answer) || entry;
             insert(entry);
             hooks.complete(entry, answer);
         });
         return true;
     }
     pasteImage(dataUrl, img) {
         const editor = this;
         const hooks = this.imgUpload;
         if (!img) {
             img = this.d.createElement('img');
             img.setAttribute('src', dataUrl);
             const paragraph = this.d.createElement('p');
             paragraph.appendChild(img);
             this.setHTML(paragraph, true);
             this.changed();
         }
         if (!this.screenshotUpload || !this.uploadUrl) {
             return;
         }
         const comma = dataUrl.indexOf(',');
         const header = dataUrl.substr(0, comma);
         const text = dataUrl.substr(comma + 1);
         let bytes;
         try {
             bytes = header.indexOf('base64') >= 0 ? atob(text) : unescape(text);
         } catch (e) {
             return;
         }
         const semicolon = header.indexOf(';');
         const type = header.substring(header.indexOf(':') + 1, semicolon >= 0 ? semicolon : header.length);
         const array = new Uint8Array(bytes.length);
         for (let i = 0; i < bytes.length; i++) {
             array[i] = bytes.charCodeAt(i);
         }
         let data = new FormData();
         data.append(hooks.name, new Blob([array], {type: type}));
         data = hooks.formData(data) || data;
         this.ajax({
             url: this.uploadUrl,
             data: data,
             success: function (answer) {
                 let placed = false;
                 editor.eachEntry(answer, hooks, function (entry) {
                     if (!placed) {
                         img.setAttribute('src', entry.url);
                         placed = true;
                         return;
                     }
                     const more = editor.d.createElement('p');
                     const copy = editor.d.createElement('img');
                     copy.setAttribute('src', entry.url);
                     more.appendChild(copy);
                     const after = img.parentNode && img.parentNode.nodeName === 'P' ? img.parentNode : img;
                     if (after.parentNode) {
                         after.parentNode.insertBefore(more, after.nextSibling);
                     }
                 });
                 editor.changed();
             },
             error: function (why) {
                 hooks.error(why);
                 hooks.complete(why);
             }
         });
     }
     isLocalImage(address) {
         if (address.charAt(0) === '/' && address.charAt(1) !== '/') {
             return true;
         }
         const hosts = this.imgDomain instanceof Array ? this.imgDomain.slice() : [window.location.hostname];
         if (!this.inArray(window.location.hostname, hosts)) {
             hosts.push(window.location.hostname);
         }
         const rest = address.replace(/^(https?:)?\/*/i, '').toLowerCase();
         for (let i = 0; i < hosts.length; i++) {
             if (hosts[i] && rest.indexOf(String(hosts[i]).toLowerCase()) === 0) {
                 return true;
             }
         }
         return false;
     }
     foreignImages() {
         const editor = this;
         const hooks = this.imgUpload;
         const images = this.d.body.getElementsByTagName('img');
         const sent = {};
         for (let i = 0; i < images.length; i++) {
             const address = images[i].getAttribute('src') || '';
             if (address === '' || /^(data|blob):/i.test(address) || this.isLocalImage(address) || sent[address.toLowerCase()]) {
                 continue;
             }
             sent[address.toLowerCase()] = 1;
             this.ajax({
                 url: this.uploadUrl,
                 data: {'qeEditor-img': address},
                 success: function (answer) {
                     if (!answer || typeof answer !== 'object' || answer.error || typeof answer.url !== 'string') {
                         hooks.error(answer, answer);
                         hooks.complete(answer, answer);
                         return;
                     }
                     answer = hooks.success(answer, answer) || answer;
                     hooks.complete(answer, answer);
                     const now = editor.d.body.getElementsByTagName('img');
                     for (let k = 0; k < now.length; k++) {
                         if ((now[k].getAttribute('src') || '').toLowerCase() === address.toLowerCase()) {
                             now[k].setAttribute('src', answer.url);
                         }
                     }
                     editor.changed();
                 },
                 error: function (why) {
                     hooks.error(why);
                     hooks.complete(why);
                 }
             });
         }
     }
     paste() {
         const editor = this;
         this.content.addEventListener('paste', function (e) {
             editor.pasteEvent(e);
         });
         this.content.addEventListener('keydown', function (e) {
             editor.keyEvent(e);
         });
         this.content.addEventListener('input', function () {
             editor.changed();
         });
         this.content.addEventListener('keyup', function () {
             editor.keepRange();
         });
     }
     pasteEvent(e) {
         const editor = this;
         if (!this.isIE()) {
             e.preventDefault();
         }
         const clipboard = this.w.clipboardData || e.clipboardData || (e.originalEvent && e.originalEvent.clipboardData);
         if (!clipboard) {
             return;
         }
         const text = clipboard.getData('text/plain') || clipboard.getData('Text') || '';
         const htmlData = clipboard.getData('text/html') || '';
         const string = this.pasteText && text ? text : htmlData || text;
         const selection = this.w.getSelection();
         const anchor = selection.rangeCount ? selection.anchorNode : null;
         const inPre = !!anchor && this.inNodeParent(anchor, 'PRE');
         const takePictures = this.screenshot && !inPre;
         if (takePictures && clipboard.items && clipboard.items.length) {
             const item = clipboard.items[0];
             const file = item.kind === 'file' && /^image\//.test(item.type) ? item.getAsFile() : null;
             if (file) {
                 const reader = new FileReader();
                 reader.onload = function () {
                     editor.pasteImage(reader.result, null);
                 };
                 reader.readAsDataURL(file);
             }
         }
         if (string === '') {
             return;
         }
         if (this.code) {
             this.setText(text);
             this.changed();
             return;
         }
         const lines = string.split(/[\r\n]+/);
         if (inPre) {
             const nodes = [];
             text.split(/[\r\n]+/).forEach(function (line, index) {
                 if (index) {
                     nodes.push(editor.d.createElement('br'));
                 }
                 nodes.push(editor.d.createTextNode(line));
             });
             this.setNodes(nodes);
             this.changed();
             return;
         }
         if (this.pasteText && lines.length === 1 && string === text) {
             this.setText(string);
             this.changed();
             return;
         }
         let inserted = [];
         if (this.pasteText || !htmlData) {
             const paragraphs = [];
             lines.forEach(function (line) {
                 if (line.trim() === '') {
                     return;
                 }
                 if (string === text) {
                     const paragraph = editor.d.createElement('p');
                     paragraph.textContent = line.trim();
                     paragraphs.push(paragraph);
                 } else {
                     const paragraph = editor.d.createElement('p');
                     paragraph.appendChild(editor.cleanFragment(line.trim()));
                     paragraphs.push(paragraph);
                 }
             });
             inserted = paragraphs;
         } else {
             const html = this.formatHTML(this.pasteHTML(this.formatHTML(this.pasteWord(string))));
             const fragment = this.cleanFragment(html);
             for (let node = fragment.firstChild; node; node = node.nextSibling) {
                 inserted.push(node);
             }
         }
         const pictures = [];
         inserted.forEach(function (node) {
             const images = node.nodeName === 'IMG' ? [node] : node.getElementsByTagName ? node.getElementsByTagName('img') : [];
             for (let i = 0; i < images.length; i++) {
                 if (/^data:/i.test(images[i].getAttribute('src') || '')) {
                     pictures.push(images[i]);
                 }
             }
         });
         this.setNodes(inserted);
         this.tidyBody();
         if (takePictures) {
             pictures.forEach(function (img) {
                 editor.pasteImage(img.getAttribute('src'), img);
             });
         }
         if (this.imgAutoUpload) {
             this.foreignImages();
         }
         this.changed();
     }
     tidyBody() {
         const body = this.d.body;
         const keep = 'img,iframe,video,audio,embed,object,hr,table,canvas,svg,input,select,textarea';
         const breaks = body.querySelectorAll('br');
         for (let i = 0; i < breaks.length; i++) {
             const before = breaks[i].previousSibling;
             if (before && before.nodeName === 'P') {
                 breaks[i].parentNode.removeChild(breaks[i]);
             }
         }
         const inlines = body.querySelectorAll('span,font,p,b,i,u,s');
         for (let i = inlines.length - 1; i >= 0; i--) {
             const el = inlines[i];
             if (!body.contains(el) || el.querySelector(keep)) {
                 continue;
             }
             const textual = el.textContent.replace(/[ \t\r\n\f]/g, '');
             if (textual === '' && (el.nodeName === 'P' || el.textContent === '')) {
                 el.parentNode.removeChild(el);
             }
         }
     }
     cleanFragment(html) {
         const box = this.inertDocument().createElement('div');
         box.innerHTML = html;
         this.cleanNode(box);
         const fragment = this.d.createDocumentFragment();
         while (box.firstChild) {
             fragment.appendChild(this.d.importNode(box.firstChild, true));
             box.removeChild(box.firstChild);
         }
         return fragment;
     }
     cleanNode(root) {
         const drop = ['script', 'noscript', 'style', 'iframe', 'frame', 'frameset', 'object', 'embed', 'applet', 'base',
             'link', 'meta', 'template', 'svg', 'math', 'xmp', 'noembed', 'noframes', 'plaintext', 'title', 'portal',
             'param'].concat((this.filterTag || []).map(function (tag) {
             return String(tag).toLowerCase();
         }));
         const all = root.querySelectorAll('*');
         for (let i = 0; i < all.length; i++) {
             const el = all[i];
             if (!root.contains(el)) {
                 continue;
             }
             const tag = el.nodeName.toLowerCase();
             if (drop.indexOf(tag) >= 0) {
                 el.parentNode.removeChild(el);
                 continue;
             }
             const names = [];
             for (let k = 0; k < el.attributes.length; k++) {
                 names.push(el.attributes[k].name);
             }
             names.forEach(function (name) {
                 const lower = name.toLowerCase();
                 const value = (el.getAttribute(name) || '').replace(/[\u0000-\u0020\u007f-\u00a0]+/g, '').toLowerCase();
                 if (lower.indexOf('on') === 0) {
                     el.removeAttribute(name);
                 } else if (lower !== 'style' && /^(javascript|vbscript|livescript|data):/.test(value)) {
                     if (!(tag === 'img' && lower === 'src' && /^data:image\//.test(value))) {
                         el.removeAttribute(name);
                     }
                 }
             });
         }
     }
     pasteWord(html) {
         const office = /(class=("|')?mso|style=("|')[^"']*mso-|w:worddocument|<\/?(v|o):|lang=)/i;
         return office.test(html) ? this.filterPasteWord(html) : html;
     }
     filterPasteWord(html) {
         const editor = this;
         html = html.replace(/<\/?(html|body)(\s[^>]*)?>/gi, '')
             .replace(/<!-{2}[\s\S]*?-{2}>/g, '')
             .replace(/<![^>]*>/g, '')
             .replace(/<head(\s[^>]*)?>[\s\S]*?<\/head>/gi, '')
             .replace(/<\/(body|html)>/gi, '')
             .replace(/[ \t\r\n\f]+/g, ' ')
             .replace(/<xml(\s[^>]*)?>[\s\S]*?<\/xml>/gi, '')
             .replace(/<o:p(\s[^>]*)?>[\s\S]*?<\/o:p>/gi, '')
             .replace(/<span(\s[^>]*)?><\/span>/gi, '')
             .replace(/<(span|font|p|b|i|u|s)(\s[^>]*)?><\/\1>/gi, '')
             .replace(/<[a-z][^>]*>/gi, function (tag) {
                 return tag.replace(/\s+v:[\w-]+=("[^"]*"|'[^']*'|[^\s>]+)/gi, '');
             })
             .replace(/<p(\s[^>]*?)?\sclass=("|')?MsoHeading[^>]*>([\s\S]*?)<\/p>/gi, '<p><strong>$3</strong></p>')
             .replace(/<[a-z][^>]*>/gi, function (tag) {
                 return tag.replace(/\s+(class|lang|align)=("[^"]*"|'[^']*'|[^\s>]+)/gi, function (attribute, name, value) {
                     return name.toLowerCase() === 'class' && /^("|')?MsoListParagraph("|')?$/i.test(value) ? attribute : '';
                 });
             })
             .replace(/<(font|span)(\s[^>]*)?>[ \t\r\n\f]+<\/\1>/gi, ' ')
             .replace(/<([a-z][\w:-]*)([^>]*)>/gi, function (tag, name, attributes) {
                 return '<' + name + attributes.replace(/\sstyle=("([^"]*)"|'([^']*)')/gi, function (all, quoted, double, single) {
                     const style = editor.wordStyle(double !== undefined ? double : single, name.toLowerCase());
                     return style ? ' style="' + style + '"' : '';
                 }) + '>';
             });
         return html;
     }
     unitToPx(value) {
         return value.replace(/(-?\d*\.?\d+)(cm|pt)/gi, function (all, number, unit) {
             const px = unit.toLowerCase() === 'cm' ? Math.round(number * 25) : Math.round(number * 96 / 72);
             return px === 0 ? '0' : px + 'px';
         });
     }
     wordStyle(text, tag) {
         const kept = [];
         const dropped = /^(mso|column|font-emph|lang|layout|line-break|list-image|nav|panose|punct|row|ruby|sep|size|src|tab-|table-border|text-decor|text-trans|top-bar|version|vnd|word-break)/;
         const mapped = {'horiz-align': 'text-align', 'vert-align': 'vertical-align', 'mso-foreground': 'color',
             'mso-highlight': 'background', 'mso-default-height': 'min-height', 'mso-default-width': 'min-width'};
         this.unitToPx(text.replace(/&quot;|&#39;|"/g, '\'')).split(';').forEach(function (declaration) {
             const parts = declaration.split(':');
             if (parts.length !== 2) {
                 return;
             }
             const name = parts[0].trim().toLowerCase();
             const value = parts[1].trim();
             const lower = value.toLowerCase();
             if (name === '' || value === '') {
                 return;
             }
             if (name.indexOf('background') === 0 && /^\s*(initial\s*)+$/.test(lower)) {
                 return;
             }
             if (name.indexOf('margin') === 0 && /^0[a-z0-9]*$/.test(lower)) {
                 return;
             }
             if (name === 'margin' && !/[1-9]/.test(lower)) {
                 return;
             }
             if (name === 'mso-vertical-align-alt') {
                 if (tag !== 'table') {
                     kept.push('vertical-align:' + value);
                 }
                 return;
             }
             if (mapped[name]) {
                 kept.push(mapped[name] + ':' + value);
                 return;
             }
             if (name === 'mso-padding-between-alt') {
                 kept.push('border-collapse:separate;border-spacing:' + value);
                 return;
             }
             if (name === 'text-line-through') {
                 if (lower === 'single' || lower === 'double') {
                     kept.push('text-decoration:line-through');
                 }
                 return;
             }
             if (name === 'mso-zero-height') {
                 if (lower === 'yes') {
                     kept.push('display:none');
                 }
                 return;
             }
             if (dropped.test(name)) {
                 return;
             }
             if ((name === 'text-indent' || name.indexOf('padding') === 0 || name.indexOf('margin') === 0) && /-\d|-\.\d/.test(lower)) {
                 return;
             }
             kept.push(parts[0].trim() + ':' + value);
         });
         return kept.join(';').replace(/;{2,}/g, ';');
     }
     pasteHTML(html) {
         const editor = this;
         html = html.replace(/<html(\s[^>]*)?>/g, '')
             .replace(/<body(\s[^>]*)?>/g, '')
             .replace(/<!-{2}[\s\S]*?-{2}>/g, '')
             .replace(/<![^>]*>/g, '')
             .replace(/<head(\s[^>]*)?>[\s\S]*?<\/head>/g, '')
             .replace(/<\/body>/g, '')
             .replace(/<\/html>/g, '')
             .replace(/<[a-z][^>]*>/gi, function (tag) {
                 return tag.replace(/\s+(id|class|lang|align|data|data-[\w.:-]*)(=("[^"]*"|'[^']*'|[^\s>]+))?(?=[\s\/>])/gi, '');
             });
         (this.filterTag || []).forEach(function (name) {
             const tag = String(name).replace(/[^\w:-]/g, '');
             if (tag === '') {
                 return;
             }
             html = html.replace(new RegExp('<' + tag + '(\\s[^>]*)?>[\\s\\S]*?<\\/' + tag + '\\s*>', 'gi'), '')
                 .replace(new RegExp('<\\/?' + tag + '(\\s[^>]*)?\\/?>', 'gi'), '');
         });
         html = html.replace(/<([a-z][\w:-]*)([^>]*)>/gi, function (tag, name, attributes) {
             return '<' + name + attributes.replace(/\sstyle=("([^"]*)"|'([^']*)')/gi, function (all, quoted, double, single) {
                 const style = editor.htmlStyle(double !== undefined ? double : single);
                 return style ? ' style="' + style.replace(/"/g, '\'') + '"' : '';
             }) + '>';
         });
         return html.replace(/<(\/?)div(\s[^>]*)?>/gi, function (tag, slash, attributes) {
             return '<' + slash + 'p' + (attributes || '') + '>';
         });
     }
     htmlStyle(text) {
         const filter = (this.filterStyle || []).map(function (name) {
             return String(name).toLowerCase();
         });
         const kept = [];
         text.split(';').forEach(function (declaration) {
             const colon = declaration.indexOf(':');
             if (colon < 0) {
                 return;
             }
             const name = declaration.substr(0, colon).trim();
             if (name === '' || filter.indexOf(name.toLowerCase()) >= 0) {
                 return;
             }
             const value = declaration.substr(colon + 1).trim().replace(/rgb\(\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*\)/gi, function (all, r, g, b) {
                 return '#' + [r, g, b].map(function (part) {
                     return ('0' + Math.min(255, Number(part)).toString(16)).slice(-2);
                 }).join('');
             });
             kept.push(name + ':' + value);
         });
         return kept.join(';');
     }
     formatHTML(html) {
         const blocks = (this.blockTag || []).map(function (tag) {
             return String(tag).replace(/[^\w]/g, '');
         }).filter(function (tag) {
             return tag !== '';
         });
         html = html.replace(/[ \t\r\n\f]+/g, ' ')
             .replace(/<(span|font|p|b|i|u|s)(\s[^>]*)?>((?:<(?!img[\s\/>])[^>]*>)*)<\/\1>/gi, '')
             .replace(/(<br\s*\/?>)+/gi, '<br/>');
         if (blocks.length) {
             html = html.replace(new RegExp('(<\\/(' + blocks.join('|') + ')>)', 'gi'), '$1\r\n');
         }
         return html.trim();
     }
     keyEvent(e) {
         const selection = this.w.getSelection();
         const anchor = selection.rangeCount ? selection.anchorNode : null;
         const inPre = !!anchor && this.inNodeParent(anchor, 'PRE');
         if (e.keyCode === 13 && !e.ctrlKey && !e.metaKey && inPre) {
             e.preventDefault();
             if (anchor.parentNode && anchor.parentNode.nodeName === 'PRE') {
                 let next = anchor.nextSibling;
                 while (next && next.nodeType !== 1) {
                     next = next.nextSibling;
                 }
                 const first = this.d.createElement('br');
                 const range = this.caretRange();
                 range.deleteContents();
                 range.insertNode(first);
                 if (!next) {
                     first.parentNode.insertBefore(this.d.createElement('br'), first.nextSibling);
                 }
                 range.setStartAfter(first);
                 range.collapse(true);
                 this.select(range);
             } else if (this.parentTagName === 'PRE' || anchor.nodeName === 'PRE') {
                 this.setNodes([this.d.createElement('br')]);
             }
             this.changed();
             return;
         }
         if ((e.ctrlKey || e.metaKey) && [13, 66, 98, 73, 105, 85, 117].indexOf(e.keyCode) >= 0) {
             e.preventDefault();
         }
     }
 }
 return new qeEditor(id,callback);
};
function getPathFromUrl() {
    const path = window.location.pathname;
    const folder = path.substr(0, path.lastIndexOf('/'));
    return folder.substr(folder.lastIndexOf('/') + 1);
}
