// The browser engine the web tests drive, behind one small interface, so
// that the same tests run in Chromium, Firefox and WebKit:
//
//   const engine = await launchEngine();   // KADENZO_WEB_ENGINE, or chromium
//   const page = await engine.newPage({viewport, darkScheme, styles});
//   await page.goto(url); await page.evaluate(fn, ...args); await page.evaluate(scriptText);
//   await page.addInitScript(fn) (before the page's own scripts where the engine can);
//   await page.keyDown('Shift'); await page.press('Tab'); await page.keyUp('Shift');
//   await page.type('7'); await page.click(x, y);
//   await page.screenshot({clip}) (a PNG); page.readClipboard(); page.writeClipboard(text)
//   await page.close(); await engine.close();
//
// Keys are named as in KeyboardEvent.key, and letters by their code
// (KeyC). Input is real: trusted events through the DevTools protocol
// (Chromium), WebDriver BiDi (Firefox) or WebDriver (WebKit), which the page
// cannot tell from a person's.
//
// Chromium and Firefox run headless through puppeteer-core. WebKit is
// WebKitGTK's MiniBrowser, driven by WebKitWebDriver through
// selenium-webdriver; it has no headless mode, so it runs on an Xvfb
// display of its own, started as the project's scripts start theirs
// (scripts/lib/virtual-display.sh), and its clipboard is that display's,
// reached with xclip.
import {execFile, spawn} from 'node:child_process';
import {mkdtempSync, rmSync} from 'node:fs';
import {createServer} from 'node:net';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {fileURLToPath} from 'node:url';
import {deflateSync, inflateSync} from 'node:zlib';
import puppeteer from 'puppeteer-core';
import {launchChromium} from './browser.mjs';

// The tests read painted pixels, so every engine they start sees the same
// fonts, whatever else the machine has (fonts-dejavu-core; the install
// script puts it in). Chromium, for one, draws its sans-serif as Arial,
// which becomes Liberation Sans where that is installed (Wine's packages
// recommend it), lighter at the dialogs' size.
process.env.FONTCONFIG_FILE ||= fileURLToPath(new URL('fonts.conf', import.meta.url));

export const engines = ['chromium', 'firefox', 'webkit'];

export function engineName() {
  const name = process.env.KADENZO_WEB_ENGINE || 'chromium';
  if (!engines.includes(name)) throw new Error(`KADENZO_WEB_ENGINE must be one of ${engines.join(', ')}, not ${name}`);
  return name;
}

export async function launchEngine(name = engineName(), {width = 1280, height = 800} = {}) {
  if (name === 'chromium') return puppeteerEngine(name, await launchChromium({width, height}), {width, height});
  if (name === 'firefox') return puppeteerEngine(name, await launchFirefox({width, height}), {width, height});
  return launchWebKit({width, height});
}

// A function and its arguments as the text of a call, for engines that
// take a script as text.
const callText = (fn, args) => `(${fn})(${args.map((a) => JSON.stringify(a === undefined ? null : a)).join(', ')})`;

// Adds a person's own style sheet: in a cascade layer of its own, which
// gives it less weight than any of the page's rules, as a person's sheet
// has against the page's; and made by script rather than put into the
// document, so that the page's Content-Security-Policy, which rules over
// the page's own styles and not over a person's, lets it be.
function addPersonalStyles(css) {
  const sheet = new CSSStyleSheet();
  sheet.replaceSync(`@layer person {\n${css}\n}`);
  document.adoptedStyleSheets = [...document.adoptedStyleSheets, sheet];
}

// --- Chromium and Firefox, through puppeteer-core ---------------------------

export function firefoxPath() {
  return process.env.KADENZO_FIREFOX || '/usr/bin/firefox-esr';
}

async function launchFirefox({width, height}) {
  const profile = mkdtempSync(join(tmpdir(), 'kadenzo-firefox-'));
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: firefoxPath(),
    headless: true,
    userDataDir: profile,
    defaultViewport: {width, height},
    extraPrefsFirefox: {
      // The tests put text on the clipboard and read it back, as a person
      // does with another program; Firefox otherwise asks before a page
      // reads it. Glyphs on whole pixels, as Chromium and WebKit place them
      // here: at fractions of a pixel the thin stems of a button's text are
      // painted grey, which the colour checks would take for another
      // colour than the text's.
      'dom.events.testing.asyncClipboard': true,
      'dom.events.asyncClipboard.readText': true,
      'dom.events.asyncClipboard.clipboardItem': true,
      'gfx.text.subpixel-position.force-disabled': true,
    },
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, {recursive: true, force: true, maxRetries: 5, retryDelay: 100});
  };
  return browser;
}

function puppeteerEngine(name, browser, size) {
  return {
    name,
    browser,  // puppeteer's own, for what only it can do
    async newPage({viewport = size, darkScheme = false, styles = null} = {}) {
      const context = await browser.createBrowserContext();
      if (name === 'chromium') {
        const origin = (url) => new URL(url).origin;
        context.grantClipboard = (url) =>
          context.overridePermissions(origin(url), ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
      }
      const page = await context.newPage();
      if (viewport !== size) await page.setViewport(viewport);
      // Firefox takes its colour scheme from its settings alone, not from
      // a page's emulation (which is Chromium's DevTools protocol).
      if (darkScheme && name === 'chromium') await page.emulateMediaFeatures([{name: 'prefers-color-scheme', value: 'dark'}]);
      if (styles) await page.evaluateOnNewDocument(addPersonalStyles, styles);
      return puppeteerPage(page, context);
    },
    close: () => browser.close(),
  };
}

function puppeteerPage(page, context) {
  const errorListeners = [];
  page.on('pageerror', (error) => errorListeners.forEach((listen) => listen(error.message)));
  return {
    async goto(url, {timeout = 30000} = {}) {
      if (context.grantClipboard) await context.grantClipboard(url);
      await page.goto(url, {waitUntil: 'load', timeout});
    },
    evaluate: (fn, ...args) => page.evaluate(fn, ...args),
    addInitScript: (fn) => page.evaluateOnNewDocument(fn),
    onError: (listen) => errorListeners.push(listen),
    keyDown: (key) => page.keyboard.down(key),
    keyUp: (key) => page.keyboard.up(key),
    press: (key) => page.keyboard.press(key),
    type: (text) => page.keyboard.type(text),
    click: (x, y) => page.mouse.click(Math.round(x), Math.round(y)),
    async screenshot({clip} = {}) {
      return Buffer.from(await page.screenshot(clip ? {type: 'png', clip} : {type: 'png'}));
    },
    readClipboard: () => page.evaluate(() => navigator.clipboard.readText()),
    writeClipboard: (text) => page.evaluate((t) => navigator.clipboard.writeText(t), text),
    close: () => context.close(),
    puppeteer: page,
  };
}

// --- WebKit, through WebKitWebDriver ---------------------------------------

export function miniBrowserPath() {
  return process.env.KADENZO_MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
}

const sourceRoot = fileURLToPath(new URL('../..', import.meta.url));

// An Xvfb display for as long as this process lives: the shell that starts
// it waits on a pipe from here, and when the pipe closes, however this
// process ends, the shell's exit trap stops Xvfb.
async function startVirtualDisplay() {
  const shell = spawn('bash', ['-c', '. scripts/lib/virtual-display.sh && start_virtual_display && echo "$DISPLAY" && read -r _'],
                      {cwd: sourceRoot, stdio: ['pipe', 'pipe', 'inherit']});
  const display = await new Promise((resolve, reject) => {
    let out = '';
    shell.stdout.on('data', (data) => {
      out += data;
      if (out.includes('\n')) resolve(out.trim());
    });
    shell.on('exit', () => reject(new Error('Xvfb did not start')));
  });
  shell.unref();
  shell.stdin.unref?.();
  return {display, stop: () => shell.stdin.end()};
}

async function freePort() {
  const server = createServer();
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const {port} = server.address();
  await new Promise((resolve) => server.close(resolve));
  return port;
}

async function launchWebKit({width, height}) {
  const {Builder, Key, Origin} = await import('selenium-webdriver');
  const screen = await startVirtualDisplay();
  const env = {...process.env, DISPLAY: screen.display};
  delete env.WAYLAND_DISPLAY;
  const port = await freePort();
  const service = spawn('WebKitWebDriver', [`--port=${port}`, '--host=127.0.0.1'], {env, stdio: 'ignore'});
  const stop = () => {
    service.kill();
    screen.stop();
  };
  const capabilities = {
    browserName: 'MiniBrowser',
    'webkitgtk:browserOptions': {binary: miniBrowserPath(), args: ['--automation']},
  };
  let driver = null;
  for (let tries = 0; driver === null; ++tries) {
    try {
      driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities(capabilities).build();
    } catch (error) {
      // The driver takes a moment to listen.
      if (tries >= 50) {
        stop();
        throw error;
      }
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }
  const readClipboard = () => new Promise((resolve) => {
    // An empty clipboard is an error to xclip, and empty text to a page.
    execFile('xclip', ['-selection', 'clipboard', '-o'], {env}, (error, stdout) => resolve(error ? '' : stdout));
  });
  // xclip stays in the background to hand the text to whoever asks, until
  // another program takes the clipboard: only the first process is waited
  // for, and nothing of it is read.
  const writeClipboard = (text) => new Promise((resolve, reject) => {
    const child = spawn('xclip', ['-selection', 'clipboard', '-i'], {env, stdio: ['pipe', 'ignore', 'ignore']});
    child.on('error', reject);
    child.on('exit', (code) => code === 0 ? resolve() : reject(new Error(`xclip failed with ${code}`)));
    child.stdin.end(text);
  });

  const keyOf = (key) => {
    const named = {
      Shift: Key.SHIFT, Control: Key.CONTROL, Alt: Key.ALT, Meta: Key.META,
      Tab: Key.TAB, Enter: Key.ENTER, Escape: Key.ESCAPE, Backspace: Key.BACK_SPACE, Delete: Key.DELETE,
      Home: Key.HOME, End: Key.END, ArrowLeft: Key.ARROW_LEFT, ArrowRight: Key.ARROW_RIGHT,
      ArrowUp: Key.ARROW_UP, ArrowDown: Key.ARROW_DOWN,
    }[key];
    if (named) return named;
    if (/^F\d+$/.test(key)) return Key[key];
    if (/^Key[A-Z]$/.test(key)) return key[3].toLowerCase();
    if (/^Digit\d$/.test(key)) return key[5];
    if ([...key].length === 1) return key;
    throw new Error(`no such key: ${key}`);
  };

  // One window, one page at a time: a new page is the window's document
  // replaced, with what the last one stored cleared.
  let windowSize = null;
  async function sizeWindow(viewport) {
    const wanted = `${viewport.width}x${viewport.height}`;
    if (windowSize === wanted) return;
    // The window is the page plus MiniBrowser's tool bar: sized once, then
    // corrected by what the page measures.
    await driver.manage().window().setRect({x: 0, y: 0, width: viewport.width, height: viewport.height});
    const inner = await driver.executeScript('return [innerWidth, innerHeight]');
    const rect = await driver.manage().window().getRect();
    await driver.manage().window().setRect({x: 0, y: 0, width: rect.width + viewport.width - inner[0],
                                            height: rect.height + viewport.height - inner[1]});
    windowSize = wanted;
  }

  return {
    name: 'webkit',
    async newPage({viewport = {width, height}, darkScheme = false, styles = null} = {}) {
      void darkScheme;  // WebKitGTK follows the desktop's theme; a page cannot be given another.
      await driver.get('about:blank');
      await sizeWindow(viewport);
      const errorListeners = [];
      // The page's promise is waited for by WebDriver's asynchronous
      // script; a failure comes back as a value and is thrown here, and the
      // page's errors since the last call come with the answer.
      // A script given as text (a library's own, say) runs as a function's
      // body, with no value.
      const execute = async (fn, args) => {
        const call = typeof fn === 'string' ? `{\n${fn}\n}` : callText(fn, args);
        const outcome = await driver.executeAsyncScript(
          `const done = arguments[arguments.length - 1];
           const errors = () => { const e = window.__kadenzoErrors || []; window.__kadenzoErrors = []; return e; };
           Promise.resolve().then(() => ${call})
             .then((value) => done({value: value === undefined ? null : value, errors: errors()}),
                   (error) => done({error: String(error && error.message || error), errors: errors()}));`);
        for (const message of outcome.errors || []) errorListeners.forEach((listen) => listen(message));
        if (outcome.error !== undefined) throw new Error(outcome.error);
        return outcome.value;
      };
      const actions = () => driver.actions({async: true});
      const initScripts = [];
      return {
        async goto(url, {timeout = 30000} = {}) {
          await driver.manage().setTimeouts({pageLoad: timeout, script: timeout});
          await driver.get(url);
          // WebDriver has no script before the page's own: the sheet comes
          // once the page has loaded, which its layer makes no different.
          // Errors are caught from here on.
          if (styles) await execute(addPersonalStyles, [styles]);
          for (const fn of initScripts) await execute(fn, []);
          await execute(() => {
            window.__kadenzoErrors = [];
            window.addEventListener('error', (event) => window.__kadenzoErrors.push(event.message));
            window.addEventListener('unhandledrejection', (event) => window.__kadenzoErrors.push(String(event.reason)));
          }, []);
        },
        evaluate: (fn, ...args) => execute(fn, args),
        // WebDriver has no script before the page's own: these run once
        // the page has loaded, before anything else is asked of it.
        addInitScript: (fn) => initScripts.push(fn),
        onError: (listen) => errorListeners.push(listen),
        keyDown: (key) => actions().keyDown(keyOf(key)).perform(),
        keyUp: (key) => actions().keyUp(keyOf(key)).perform(),
        press: (key) => actions().keyDown(keyOf(key)).keyUp(keyOf(key)).perform(),
        async type(text) {
          let chain = actions();
          for (const c of text) chain = chain.keyDown(c).keyUp(c);
          await chain.perform();
        },
        click: (x, y) => actions().move({origin: Origin.VIEWPORT, x: Math.round(x), y: Math.round(y)})
          .press().release().perform(),
        async screenshot({clip} = {}) {
          // What is drawn reaches the window's picture a frame later.
          await execute(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))), []);
          const png = Buffer.from(await driver.takeScreenshot(), 'base64');
          return clip ? cropPng(png, clip) : png;
        },
        readClipboard,
        writeClipboard,
        close: async () => {},
      };
    },
    async close() {
      try {
        await driver.quit();
      } finally {
        stop();
      }
    },
  };
}

// --- PNG pictures ----------------------------------------------------------

// A PNG's pixels (8-bit RGB or RGBA, not interlaced), which is what the
// engines' screenshots are.
export function decodePng(png) {
  let at = 8;
  let width = 0;
  let height = 0;
  let channels = 0;
  const data = [];
  while (at < png.length) {
    const length = png.readUInt32BE(at);
    const type = png.toString('ascii', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0 || (body[9] !== 2 && body[9] !== 6)) throw new Error('an unexpected PNG');
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; ++x) {
      const value = raw[y * (stride + 1) + 1 + x];
      const left = x >= channels ? pixels[y * stride + x - channels] : 0;
      const up = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const corner = y > 0 && x >= channels ? pixels[(y - 1) * stride + x - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = left;
      else if (filter === 2) predicted = up;
      else if (filter === 3) predicted = (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - corner;
        const pa = Math.abs(p - left);
        const pb = Math.abs(p - up);
        const pc = Math.abs(p - corner);
        predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
      }
      pixels[y * stride + x] = (value + predicted) & 255;
    }
  }
  return {width, height, channels, pixels,
          at: (x, y) => [...pixels.subarray(y * stride + x * channels, y * stride + x * channels + 3)]};
}

const crcTable = Array.from({length: 256}, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function chunk(type, body) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(body.length, 0);
  head.write(type, 4, 'ascii');
  let crc = 0xffffffff;
  for (const byte of Buffer.concat([head.subarray(4), body])) crc = crcTable[(crc ^ byte) & 255] ^ (crc >>> 8);
  const tail = Buffer.alloc(4);
  tail.writeUInt32BE((crc ^ 0xffffffff) >>> 0, 0);
  return Buffer.concat([head, body, tail]);
}

// A part of a PNG as a PNG of its own, for an engine that only takes the
// whole page.
function cropPng(png, {x, y, width, height}) {
  const image = decodePng(png);
  x = Math.round(x);
  y = Math.round(y);
  width = Math.round(width);
  height = Math.round(height);
  const stride = width * image.channels;
  const raw = Buffer.alloc(height * (stride + 1));
  for (let row = 0; row < height; ++row) {
    const from = (y + row) * image.width * image.channels + x * image.channels;
    image.pixels.copy(raw, row * (stride + 1) + 1, from, from + stride);
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;
  header[9] = image.channels === 4 ? 6 : 2;
  return Buffer.concat([png.subarray(0, 8), chunk('IHDR', header), chunk('IDAT', deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]);
}
