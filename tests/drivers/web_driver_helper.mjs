// The browser side of the web dialog driver: serves the site on this
// machine, runs a browser engine (tools/web/engine.mjs: Chromium, Firefox
// or WebKit, as KADENZO_WEB_ENGINE says) and does what the driver asks, one
// request a line on standard input, with real input (trusted key and mouse
// events).
//
//   KADENZO_WEB_ENGINE=chromium|firefox|webkit node web_driver_helper.mjs SITE_DIR
//
// Requests, strings as JSON strings:
//   start FOREIGN ARGS_JSON   a new page of the site (a fresh profile's tab),
//                             under a foreign colour scheme when FOREIGN is 1
//   type TEXT | press KEY | click ID | clickin CAPTION ID | closebox
//   setclip TEXT | clip | colour face|background|text ID | finish | quit
// Every answer ends with a line ".". An action answers with the state the
// page shows once the program has handled it; "clip" with a value line;
// "colour" with "colour R G B"; a failure with "error MESSAGE".
import {createInterface} from 'node:readline';
import {decodePng, launchEngine} from '../../tools/web/engine.mjs';
import {openCalculator} from '../../tools/web/page.mjs';
import {serve} from '../../tools/web/serve.mjs';

const site = process.argv[2];
const {server, url} = await serve(site);
const engine = await launchEngine();
let page = null;
let pageErrors = [];

// A foreign colour scheme, as far as a page can be given one: the browser's
// dark scheme, and a person's own styles that colour everything they reach
// (orange buttons with green text on a blue face, pale yellow fields, a
// magenta selection). They have the least weight an author's rule can
// have, as a person's style sheet has against the page's own rules: only
// what the page leaves uncoloured shows them.
const foreignStyles = `
:where(html, body, div, section, span, label, p) { background-color: rgb(64, 96, 224); color: rgb(0, 160, 0); }
:where(button) { background-color: rgb(255, 128, 0); color: rgb(0, 160, 0); }
:where(input) { background-color: rgb(255, 255, 160); }
::selection { background-color: rgb(224, 0, 160); }
`;

// The page's state, read once the program has handled everything queued.
async function snapshot() {
  return page.evaluate(async () => {
    if (window.Module && typeof Module.whenIdle === 'function') await Module.whenIdle();
    const root = document.documentElement;
    const desktop = document.getElementById('kadenzo-desktop');
    const windows = [];
    for (const frame of document.querySelectorAll('.kz-window')) {
      if (frame.style.visibility === 'hidden') continue;
      const controls = [];
      for (const element of frame.querySelectorAll('[data-control-id]')) {
        const radio = element.tagName === 'INPUT' && element.type === 'radio';
        const text = radio ? element.closest('label').textContent
                   : element.tagName === 'INPUT' ? element.value
                   : element.textContent;
        controls.push([Number(element.dataset.controlId), radio && element.checked ? 1 : 0, text]);
      }
      const labels = [...frame.querySelectorAll('.kz-label')].map((label) => label.textContent).filter((t) => t);
      windows.push({
        caption: frame.getAttribute('aria-label'),
        alert: frame.getAttribute('role') === 'alertdialog',
        enabled: !frame.inert,
        rect: [frame.offsetLeft, frame.offsetTop, frame.offsetLeft + frame.offsetWidth, frame.offsetTop + frame.offsetHeight],
        controls,
        labels,
      });
    }
    const focused = document.activeElement && document.activeElement.closest('[data-control-id]');
    return {
      ended: root.dataset.state === 'ended',
      failed: root.dataset.state === 'failed',
      exit: root.dataset.exitCode === undefined ? null : Number(root.dataset.exitCode),
      desktop: desktop ? [0, 0, desktop.offsetWidth, desktop.offsetHeight] : [0, 0, 0, 0],
      focus: focused && focused.closest('.kz-window') === [...document.querySelectorAll('.kz-window:not([inert])')].pop()
        ? Number(focused.dataset.controlId) : 0,
      windows,
    };
  });
}

function stateLines(state) {
  if (state.failed) throw new Error('the program stopped after an error: ' + pageErrors.join('; '));
  const lines = [`state ${state.ended ? 1 : 0} ${state.exit ?? -1} ${state.focus} ${state.desktop.join(' ')}`];
  for (const w of state.windows) {
    lines.push(`window ${w.alert ? 1 : 0} ${w.enabled ? 1 : 0} ${w.rect.join(' ')} ${JSON.stringify(w.caption)}`);
    for (const [id, checked, text] of w.controls) lines.push(`control ${id} ${checked} ${JSON.stringify(text)}`);
    for (const text of w.labels) lines.push(`label ${JSON.stringify(text)}`);
  }
  return lines;
}

// The box of a control (or of a window's close box, id "close") in the
// window a request is for: by caption, or the innermost dialog.
async function boxOf(caption, id, {alert = false} = {}) {
  const found = await page.evaluate((name, alerts, i) => {
    const frames = [...document.querySelectorAll('.kz-window')].filter((f) => f.style.visibility !== 'hidden');
    const frame = name !== null ? frames.find((f) => f.getAttribute('aria-label') === name)
                                : frames.filter((f) => alerts || f.getAttribute('role') === 'dialog').pop();
    if (!frame) return 'no frame';
    const element = frame.querySelector(i === 'close' ? '.kz-close' : i === 'client' ? '.kz-client' : `[data-control-id="${i}"]`);
    if (!element) return 'no control';
    const r = element.getBoundingClientRect();
    if (r.width === 0 && r.height === 0) return 'not shown';
    return {x: r.left, y: r.top, width: r.width, height: r.height, tag: element.tagName};
  }, caption, alert, id);
  if (found === 'no frame') throw new Error(caption === null ? 'no dialog is open' : `no open dialog with that caption: ${caption}`);
  if (found === 'no control') throw new Error(`no control ${id} in the dialog`);
  if (found === 'not shown') throw new Error(`control ${id} is not shown`);
  return found;
}

async function clickAt(x, y) {
  await page.click(x, y);
}

const centre = (box) => [box.x + box.width / 2, box.y + box.height / 2];

const keys = {
  Tab: ['Tab'], ShiftTab: ['Shift', 'Tab'], Enter: ['Enter'], Escape: ['Escape'], F1: ['F1'],
  Backspace: ['Backspace'], Delete: ['Delete'], Home: ['Home'], End: ['End'],
  Left: ['ArrowLeft'], Right: ['ArrowRight'], Up: ['ArrowUp'], Down: ['ArrowDown'],
  ShiftEnd: ['Shift', 'End'], ShiftHome: ['Shift', 'Home'],
  Copy: ['Control', 'KeyC'], Paste: ['Control', 'KeyV'], Cut: ['Control', 'KeyX'], AltF4: ['Alt', 'F4'],
};

async function press(name) {
  const chord = keys[name];
  if (!chord) throw new Error(`no such key: ${name}`);
  const modifiers = chord.slice(0, -1);
  for (const modifier of modifiers) await page.keyDown(modifier);
  await page.press(chord[chord.length - 1]);
  for (const modifier of modifiers.reverse()) await page.keyUp(modifier);
}

async function grab(x, y, width, height) {
  return decodePng(await page.screenshot({clip: {x, y, width, height}}));
}

// Colours as painted: the active dialog's face where no control is, a
// control's background away from its text and border, and its text's
// darkest point inside its frame and focus rectangle.
async function colour(what, id) {
  if (what === 'face') {
    const box = await boxOf(null, 'client');
    return (await grab(Math.round(box.x), Math.round(box.y), 4, 4)).at(2, 2);
  }
  const box = await boxOf(null, Number(id));
  const x = Math.round(box.x);
  const y = Math.round(box.y);
  const width = Math.round(box.width);
  const height = Math.round(box.height);
  const image = await grab(x, y, width, height);
  const kind = box.tag;
  if (what === 'background') {
    // Right of a field's text, which starts at the left; a button's face
    // just inside its edges.
    return kind === 'INPUT' ? image.at(width - 5, height >> 1) : image.at(3, height >> 1);
  }
  const inset = 5;
  if (width <= 2 * inset || height <= 2 * inset) throw new Error('the control is too small to sample');
  let darkest = image.at(inset, inset);
  for (let py = inset; py < height - inset; ++py) {
    for (let px = inset; px < width - inset; ++px) {
      const c = image.at(px, py);
      if (c[0] + c[1] + c[2] < darkest[0] + darkest[1] + darkest[2]) darkest = c;
    }
  }
  return darkest;
}

async function start(foreign, args) {
  if (page) await page.close();
  pageErrors = [];
  page = await engine.newPage(foreign ? {darkScheme: true, styles: foreignStyles} : {});
  page.onError((message) => pageErrors.push(message));
  const query = args.map((a) => 'arg=' + encodeURIComponent(a)).join('&');
  await openCalculator(page, url + (query ? '?' + query : ''));
}

// Cancels what is left open, innermost first, through the close boxes.
async function finish() {
  for (let tries = 0; tries < 20; ++tries) {
    const state = await snapshot();
    if (state.ended || state.failed) return state;
    await clickAt(...centre(await boxOf(null, 'close', {alert: true})));
  }
  throw new Error('the program did not end when its dialogs were closed');
}

async function handle(line) {
  const words = line.match(/"(?:[^"\\]|\\.)*"|\S+/g) || [];
  const [command, ...rest] = words;
  const string = (word) => JSON.parse(word);
  switch (command) {
    case 'start':
      await start(rest[0] === '1', string(rest[1]));
      return stateLines(await snapshot());
    case 'type':
      for (const c of string(rest[0])) {
        await page.type(c);
        await page.evaluate(() => window.Module && Module.whenIdle && Module.whenIdle());
      }
      return stateLines(await snapshot());
    case 'press':
      await press(rest[0]);
      return stateLines(await snapshot());
    case 'click': {
      await clickAt(...centre(await boxOf(null, Number(rest[0]))));
      return stateLines(await snapshot());
    }
    case 'clickin': {
      // A click meant for a dialog that other windows may cover: they let it
      // through for the moment, so that it lands where the named dialog's
      // control is, as the browser delivers it there (not at all while the
      // dialog is inert).
      const caption = string(rest[0]);
      const box = await boxOf(caption, Number(rest[1]));
      await page.evaluate((name) => {
        for (const f of document.querySelectorAll('.kz-window')) {
          if (f.getAttribute('aria-label') !== name) f.style.pointerEvents = 'none';
        }
      }, caption);
      try {
        await clickAt(...centre(box));
      } finally {
        await page.evaluate(() => document.querySelectorAll('.kz-window').forEach((f) => { f.style.pointerEvents = ''; }));
      }
      return stateLines(await snapshot());
    }
    case 'closebox': {
      await clickAt(...centre(await boxOf(null, 'close')));
      return stateLines(await snapshot());
    }
    case 'setclip':
      await page.writeClipboard(string(rest[0]));
      return [];
    case 'clip':
      return [`value ${JSON.stringify(await page.readClipboard())}`];
    case 'colour':
      return [`colour ${(await colour(rest[0], rest[1])).join(' ')}`];
    case 'finish':
      return stateLines(await finish());
    default:
      throw new Error(`unknown request: ${command}`);
  }
}

const input = createInterface({input: process.stdin, crlfDelay: Infinity});
let queue = Promise.resolve();
input.on('line', (line) => {
  queue = queue.then(async () => {
    if (line === 'quit') {
      input.close();
      return;
    }
    let lines;
    try {
      lines = await handle(line);
    } catch (error) {
      lines = [`error ${JSON.stringify(String(error && error.message || error))}`];
    }
    process.stdout.write(lines.concat('.').join('\n') + '\n');
  });
});
input.on('close', async () => {
  await queue;
  await engine.close();
  server.close();
  process.exit(0);
});
