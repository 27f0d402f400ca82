// Runs the built program once, here in Node, on a small stand-in for the
// page, and returns its first window as the page's own markup: the
// calculator as the program makes it, with its texts, its checked radio
// button and its focus. The page shows that window as soon as it has read
// it, before the program in the page with it has run, and the program takes
// it over when it starts (web_dom.js), rather than making its window only
// once its JavaScript and WebAssembly have been compiled and run.
//
// The stand-in is what web_dom.js and Emscripten's loader touch while the
// program opens its first window, and no more. Text is measured with the
// advance widths of DejaVu Sans at the dialogs' 8 points, the sans-serif
// of most Linux desktops: where the page has another font, the program lays
// the window out again for it when it starts.
import {readFileSync} from 'node:fs';
import vm from 'node:vm';

// Advance widths in CSS pixels of the printable ASCII characters, space
// first, in DejaVu Sans at 8 points (10.67 pixels), as a browser measures
// them; its line is 10 pixels above the baseline and 3 below.
const ADVANCES = [
  3.39, 4.27, 4.90, 8.93, 6.78, 10.13, 8.31, 2.93, 4.16, 4.16, 5.33, 8.93, 3.39, 3.85, 3.39, 3.59,
  6.78, 6.78, 6.78, 6.78, 6.78, 6.78, 6.78, 6.78, 6.78, 6.78, 3.59, 3.59, 8.93, 8.93, 8.93, 5.66,
  10.66, 7.29, 7.31, 7.44, 8.21, 6.73, 6.13, 8.26, 8.01, 3.14, 3.14, 6.99, 5.94, 9.19, 7.97, 8.39,
  6.43, 8.39, 7.40, 6.76, 6.51, 7.80, 7.29, 10.54, 7.30, 6.51, 7.30, 4.16, 3.59, 4.16, 8.93, 5.33,
  5.33, 6.53, 6.76, 5.86, 6.76, 6.56, 3.75, 6.76, 6.75, 2.96, 2.96, 6.17, 2.96, 10.38, 6.75, 6.52,
  6.76, 6.76, 4.38, 5.55, 4.18, 6.75, 6.31, 8.72, 6.31, 6.31, 5.59, 6.78, 3.59, 6.78, 8.93];
const ASCENT = 10;
const DESCENT = 3;
const DIALOG_FONT_PIXELS = 8 * 4 / 3;

// The page's size while the program places its window; the page moves the
// window to the middle of its own size as the program would (web_dom.js).
const DESKTOP = {width: 1280, height: 800};

function measure(font, text) {
  const size = /([\d.]+)pt/.exec(font);
  const scale = size ? Number(size[1]) * 4 / 3 / DIALOG_FONT_PIXELS : 1;
  let width = 0;
  for (const ch of text) {
    const code = ch.codePointAt(0);
    width += code >= 32 && code < 127 ? ADVANCES[code - 32] : ADVANCES['M'.charCodeAt(0) - 32];
  }
  return {width: width * scale, fontBoundingBoxAscent: ASCENT * scale, fontBoundingBoxDescent: DESCENT * scale};
}

class Style {
  #props = new Map();
  setProperty(name, value) {
    if (value === '' || value === null || value === undefined) this.#props.delete(name);
    else this.#props.set(name, String(value));
  }
  getPropertyValue(name) { return this.#props.get(name) ?? ''; }
  get cssText() { return [...this.#props].map(([name, value]) => `${name}: ${value};`).join(' '); }
}
// The style properties the program sets, as element.style.name.
for (const [property, name] of [['left', 'left'], ['top', 'top'], ['width', 'width'], ['height', 'height'],
  ['font', 'font'], ['visibility', 'visibility'], ['textAlign', 'text-align'], ['paddingLeft', 'padding-left'],
  ['paddingRight', 'padding-right'], ['transform', 'transform']]) {
  Object.defineProperty(Style.prototype, property, {
    set(value) { this.setProperty(name, value); },
    get() { return this.getPropertyValue(name); },
  });
}

const escapeText = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
const escapeAttribute = (text) => escapeText(text).replace(/"/g, '&quot;');
const VOID = new Set(['input', 'img']);

class Element {
  constructor(document, tagName) {
    this.ownerDocument = document;
    this.tagName = tagName.toUpperCase();
    this.attributes = new Map();
    this.children = [];
    this.parentNode = null;
    this.style = new Style();
    this.text = '';
    this.value = '';
    this.checked = false;
    this.classList = {
      add: (name) => { if (!this.classList.contains(name)) this.className = `${this.className} ${name}`.trim(); },
      contains: (name) => this.className.split(/\s+/).includes(name),
    };
  }
  setAttribute(name, value) { this.attributes.set(name, String(value)); }
  getAttribute(name) { return this.attributes.has(name) ? this.attributes.get(name) : null; }
  removeAttribute(name) { this.attributes.delete(name); }
  set className(value) { this.setAttribute('class', value); }
  get className() { return this.getAttribute('class') ?? ''; }
  set id(value) { this.setAttribute('id', value); }
  get id() { return this.getAttribute('id') ?? ''; }
  set type(value) { this.setAttribute('type', value); }
  get type() { return this.getAttribute('type') ?? ''; }
  set name(value) { this.setAttribute('name', value); }
  set tabIndex(value) { this.setAttribute('tabindex', value); }
  set autocomplete(value) { this.setAttribute('autocomplete', value); }
  set spellcheck(value) { this.setAttribute('spellcheck', value ? 'true' : 'false'); }
  set readOnly(value) { if (value) this.setAttribute('readonly', ''); else this.removeAttribute('readonly'); }
  get readOnly() { return this.attributes.has('readonly'); }
  set textContent(value) { this.text = String(value); this.children = []; }
  get textContent() { return this.text + this.children.map((child) => child.textContent).join(''); }
  appendChild(child) {
    if (child.parentNode) child.remove();
    child.parentNode = this;
    this.children.push(child);
    return child;
  }
  remove() {
    if (!this.parentNode) return;
    this.parentNode.children = this.parentNode.children.filter((child) => child !== this);
    this.parentNode = null;
  }
  contains(other) {
    for (let node = other; node; node = node.parentNode) if (node === this) return true;
    return false;
  }
  // The selectors web_dom.js asks of a control: a tag name.
  querySelector(selector) {
    for (const child of this.children) {
      if (child.tagName === selector.toUpperCase()) return child;
      const found = child.querySelector(selector);
      if (found) return found;
    }
    return null;
  }
  addEventListener() {}
  focus() { this.ownerDocument.activeElement = this; }
  setSelectionRange(start, end) { this.selection = [start, end]; }
  getContext() {
    const context = {font: '10px sans-serif', measureText: (text) => measure(context.font, text)};
    return context;
  }
  insertBefore(child, before) {
    if (!before) return this.appendChild(child);
    if (child.parentNode) child.remove();
    child.parentNode = this;
    this.children.splice(this.children.indexOf(before), 0, child);
    return child;
  }
  get lastElementChild() { return this.children[this.children.length - 1] ?? null; }
  // The element as markup. The page's Content-Security-Policy allows no
  // style attributes: an element's style goes to a rule, by the selector
  // the element is given as its selector.
  markup(rules) {
    const attributes = new Map(this.attributes);
    const css = this.style.cssText;
    if (css) {
      if (!this.selector) throw new Error(`prerender: a styled ${this.tagName} the page cannot select`);
      rules.push(`${this.selector} { ${css} }`);
    }
    if (this.tagName === 'INPUT') {
      if (this.value !== '') attributes.set('value', this.value);
      if (this.checked) attributes.set('checked', '');
    }
    const tag = this.tagName.toLowerCase();
    const open = `<${tag}${[...attributes].map(([name, value]) => ` ${name}="${escapeAttribute(value)}"`).join('')}>`;
    if (VOID.has(tag)) return open;
    return `${open}${escapeText(this.text)}${this.children.map((child) => child.markup(rules)).join('')}</${tag}>`;
  }
}

class Document {
  constructor() {
    this.documentElement = new Element(this, 'html');
    this.body = this.documentElement.appendChild(new Element(this, 'body'));
    this.documentElement.clientWidth = DESKTOP.width;
    this.documentElement.clientHeight = DESKTOP.height;
    this.activeElement = this.body;
  }
  createElement(tagName) { return new Element(this, tagName); }
  getElementById(id) {
    const find = (node) => node.id === id ? node : node.children.map(find).find(Boolean) ?? null;
    return find(this.documentElement);
  }
  addEventListener() {}
}

// Runs the program (kadenzo.js, and its WebAssembly at wasmPath) until it
// waits for its first event, and returns its window as markup, with the
// colours it gives the page.
export function prerender(programPath, wasmPath) {
  const document = new Document();
  let waiting = false;
  const page = {
    document,
    window: null,
    innerWidth: DESKTOP.width,
    innerHeight: DESKTOP.height,
    matchMedia: () => ({matches: false, addEventListener() {}}),
    addEventListener() {},
    performance: {mark() { waiting = true; }, now: () => 0},
    console,
    setTimeout,
    clearTimeout,
    TextDecoder,
    WebAssembly,
    Module: {
      instantiateWasm(imports, receiveInstance) {
        const module = new WebAssembly.Module(readFileSync(wasmPath));
        receiveInstance(new WebAssembly.Instance(module, imports), module);
        return {};
      },
    },
  };
  page.window = page;
  vm.runInNewContext(readFileSync(programPath, 'utf8'), page, {filename: programPath});
  if (!waiting) throw new Error('prerender: the program did not wait for input');
  const windows = Object.values(page.KZ?.windows ?? {});
  if (windows.length !== 1) throw new Error(`prerender: the program opened ${windows.length} windows, not one`);
  const [win] = windows;
  // What the page and the program need to know of the window: the desktop
  // it was placed on, each control's index, the focus and its selection.
  // The window stays hidden until the page shows it.
  const frame = '#kadenzo-desktop > .kz-window[data-kz-desktop]';
  win.frame.setAttribute('data-kz-desktop', `${DESKTOP.width}x${DESKTOP.height}`);
  win.frame.setAttribute('data-kz-place', `${win.left},${win.top},${win.width},${win.height}`);
  win.frame.style.visibility = 'hidden';
  win.frame.selector = frame;
  win.client.selector = `${frame} > .kz-client`;
  win.controls.forEach((element, index) => {
    if (!element) return;
    element.setAttribute('data-kz-index', index);
    element.selector = `${frame} [data-kz-index="${index}"]`;
  });
  const focused = document.activeElement;
  if (win.frame.contains(focused)) {
    focused.setAttribute('data-kz-focused', '');
    if (focused.selection) focused.setAttribute('data-kz-selection', focused.selection.join(','));
  }
  const rules = [`:root { ${document.documentElement.style.cssText} }`];
  const markup = win.frame.markup(rules);
  return {markup, styles: rules.join('\n') + '\n'};
}
