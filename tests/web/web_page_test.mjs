// What the page does around the dialogs, which the dialog behaviour suite
// cannot see: the end of the program and its new start, the About box as
// assistive technology finds it and what axe-core finds wrong with it,
// phones and narrow pages, the Content-Security-Policy, installing and
// working offline, and no network traffic once the program runs.
//   node --test web_page_test.mjs   (KADENZO_WEB_SITE: the site's folder;
//                                    KADENZO_WEB_ENGINE: chromium, firefox or webkit)
import assert from 'node:assert/strict';
import {cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {createRequire} from 'node:module';
import {after, before, test} from 'node:test';
import {fileURLToPath} from 'node:url';
import {launchEngine} from '../../tools/web/engine.mjs';
import {openCalculator} from '../../tools/web/page.mjs';
import {serve} from '../../tools/web/serve.mjs';

const site = process.env.KADENZO_WEB_SITE || fileURLToPath(new URL('../../build/web/site', import.meta.url));
let server;
let url;
let engine;
// What only Chromium's DevTools protocol can ask or do: the accessibility
// tree, installability, phones' touch screens and no network. The other
// engines are asked the rest, through the engine's own interface.
let chromium;

before(async () => {
  ({server, url} = await serve(site));
  engine = await launchEngine();
  chromium = engine.name === 'chromium';
});

after(async () => {
  await engine.close();
  server.close();
});

const idle = (page) => page.evaluate(() => Module.whenIdle());
const field = (page, id) => page.evaluate((id) => document.querySelector(`[data-control-id="${id}"]`).value, id);
const focusedId = (page) => page.evaluate(() => document.activeElement.closest('[data-control-id]')?.dataset.controlId ?? null);
const exists = (page, selector) => page.evaluate((selector) => document.querySelector(selector) !== null, selector);
const state = (page) => page.evaluate(() => document.documentElement.dataset.state);

// Waits in the page until a selector finds something; false if it never does.
const waitForSelector = (page, selector, timeout = 5000) => page.evaluate((selector, timeout) => new Promise((resolve) => {
  const started = performance.now();
  const poll = () => {
    if (document.querySelector(selector) !== null) resolve(true);
    else if (performance.now() - started > timeout) resolve(false);
    else setTimeout(poll, 10);
  };
  poll();
}), selector, timeout);

// A click in the middle of what a selector finds, scrolled into view as a
// person would.
async function clickOn(page, selector) {
  const box = await page.evaluate((selector) => {
    const element = document.querySelector(selector);
    element.scrollIntoView({block: 'nearest', inline: 'nearest'});
    const r = element.getBoundingClientRect();
    return {x: r.x + r.width / 2, y: r.y + r.height / 2};
  }, selector);
  await page.click(box.x, box.y);
  await idle(page);
}
const clickControl = (page, id) => clickOn(page, `[data-control-id="${id}"]`);

test('Enter ends the program, the page says so and starts it anew, and nothing goes over the network meanwhile', async () => {
  const page = await engine.newPage();
  await openCalculator(page, url);
  // The icon the calculator shows can arrive after the program is ready: the
  // page's own files are all in before the count starts.
  assert.equal(await page.evaluate(() => new Promise((resolve) => {
    const icon = new URL('icon-32.png', location.href).href;
    const started = performance.now();
    const poll = () => {
      if (performance.getEntriesByName(icon).some((e) => e.responseEnd > 0)) resolve(true);
      else if (performance.now() - started > 10000) resolve(false);
      else setTimeout(poll, 10);
    };
    poll();
  })), true, 'the icon never came');
  const requests = [];
  // The browser fetches the page's favicon itself, when it likes (under load,
  // after the program is ready): that request is the browser's, not the page's.
  // An engine that cannot tell the two apart leaves it to the page's own
  // account below, which holds only the page's fetches.
  const favicon = await page.evaluate(() => document.querySelector('link[rel="icon"]').href);
  const browsersOwn = (request) => {
    if (request.url() !== favicon) return false;
    try {
      return request.resourceType() === 'other';
    } catch {
      return true;
    }
  };
  page.puppeteer?.on('request', (request) => {
    if (!browsersOwn(request)) requests.push(request.url());
  });
  const since = await page.evaluate(() => performance.now());

  await page.type('1800');
  await idle(page);
  assert.equal(await field(page, 119), '1800');
  await page.press('Enter');
  await idle(page);
  assert.equal(await state(page), 'ended');
  assert.equal(await page.evaluate(() => document.documentElement.dataset.exitCode), '0');
  assert.equal(await exists(page, '.kz-window'), false, 'a window is left on the page');
  assert.equal(await page.evaluate(() => {
    const ended = document.getElementById('ended');
    return !ended.hidden && ended.innerText.includes('Kadenzo has ended.');
  }), true);

  // The offer to start again has the focus: Enter takes it.
  await page.press('Enter');
  assert.equal(await waitForSelector(page, '.kz-window[aria-label="Kadenzo"]'), true);
  await idle(page);
  assert.equal(await state(page), 'running');
  for (const id of [128, 119, 102]) assert.equal(await field(page, id), '0', `field ${id} after the new start`);
  assert.equal(await focusedId(page), '128');
  await page.type('25');
  await idle(page);
  assert.equal(await field(page, 123), '25');

  assert.deepEqual(requests, []);
  // The page's own account, in every engine: what it fetched since it was
  // ready (an entry can come later than its fetch) and not from the
  // browser's memory.
  assert.deepEqual(await page.evaluate((since) => performance.getEntriesByType('resource')
    .filter((e) => e.startTime >= since && e.transferSize !== 0).map((e) => e.name), since), []);
  await page.close();
});

// A page whose program cannot start says so rather than loading for ever,
// and takes down the calculator it showed.
test('With the program\'s WebAssembly damaged, the page says the program failed', async () => {
  const root = mkdtempSync(join(tmpdir(), 'kadenzo-site-'));
  cpSync(site, root, {recursive: true});
  const index = join(root, 'index.html');
  const damaged = readFileSync(index, 'utf8').replace(/(<script type="application\/wasm" id="kadenzo-wasm">)AGFzbQ/, '$1AGFzbX');
  assert.ok(damaged.includes('AGFzbX'), 'the page holds the module as base64');
  writeFileSync(index, damaged);
  const {server: own, url: ownUrl} = await serve(root, 0, '127.0.0.1');
  const page = await engine.newPage();
  try {
    await page.goto(ownUrl);
    assert.equal(await page.evaluate(() => new Promise((resolve) => {
      const started = performance.now();
      const poll = () => {
        const state = document.documentElement.dataset.state;
        if (state !== 'loading' || performance.now() - started > 10000) resolve(state);
        else setTimeout(poll, 10);
      };
      poll();
    })), 'failed');
    assert.equal(await page.evaluate(() => !document.getElementById('ended').hidden &&
      document.getElementById('ended-text').textContent.includes('stopped after an error') &&
      document.querySelector('.kz-window') === null), true);
  } finally {
    await page.close();
    own.close();
    rmSync(root, {recursive: true, force: true});
  }
});

// The page shows the calculator before the program has run, and the first
// key starts the program before the browser handles it: keys typed at once
// are handled as they are once the program runs. Where the engine runs a
// script before the page's own, the module's compilation is held back, so
// that the keys surely come first.
test('Keys typed the moment the calculator shows are handled as the program handles them later', async () => {
  const keys = async (page) => {
    await page.type('90');
    await page.press('Tab');
    await page.type('7');
    await page.press('Tab');
    await page.press('Tab');
    await page.type('3');
  };
  const fields = (page) => page.evaluate(() => ({
    texts: [...document.querySelectorAll('.kz-window input[type=text]')].map((e) => e.value),
    checked: [...document.querySelectorAll('.kz-window input[type=radio]')].map((e) => e.checked),
    focused: document.activeElement.dataset.controlId,
    count: document.querySelector('[data-control-id="128"]').value,
  }));
  const later = await engine.newPage();
  await openCalculator(later, url);
  await keys(later);
  await idle(later);
  const expected = await fields(later);
  await later.close();

  const page = await engine.newPage();
  await page.addInitScript(() => { WebAssembly.compile = () => new Promise(() => {}); });
  await page.goto(url);
  const before = await page.evaluate(() => new Promise((resolve) => {
    const poll = () => {
      if (performance.getEntriesByName('kadenzo-ready').length)
        resolve({state: document.documentElement.dataset.state, programRun: 'callMain' in Module});
      else setTimeout(poll, 1);
    };
    poll();
  }));
  // WebDriver runs scripts only once the page has loaded, when the program
  // may have started already. Elsewhere the first key finds none of the
  // program run, not even kadenzo.js.
  if (engine.name !== 'webkit') assert.deepEqual(before, {state: 'loading', programRun: false});
  // The calculator shown is the one the program makes: nothing moves when
  // the program takes it over.
  const places = () => page.evaluate(() => [...document.querySelectorAll('.kz-window, .kz-window *')]
    .map((e) => { const r = e.getBoundingClientRect(); return `${e.tagName} ${r.x},${r.y} ${r.width}x${r.height}`; }));
  const shown = await places();
  await keys(page);
  assert.equal(await page.evaluate(() => new Promise((resolve) => {
    const started = performance.now();
    const poll = () => {
      if (window.Module && Module.whenIdle) Module.whenIdle().then(() => resolve('running'));
      else if (performance.now() - started > 10000) resolve('never started');
      else setTimeout(poll, 5);
    };
    poll();
  })), 'running');
  assert.deepEqual(await fields(page), expected);
  assert.notEqual(expected.count, '0');
  assert.deepEqual(await places(), shown);
  await page.close();
});

test('The About box is a modal dialog named "About Kadenzo" over an inert calculator', async () => {
  const page = await engine.newPage();
  await openCalculator(page, url);
  await clickControl(page, 127);

  if (chromium) {
    const tree = await page.puppeteer.accessibility.snapshot({interestingOnly: true});
    const dialogs = [];
    const walk = (node) => {
      if (node.role === 'dialog') dialogs.push(node.name);
      (node.children || []).forEach(walk);
    };
    walk(tree);
    // The calculator, inert, is out of the tree meanwhile.
    assert.deepEqual(dialogs, ['About Kadenzo']);
  }
  assert.equal(await page.evaluate(() => document.querySelector('.kz-window[aria-label="Kadenzo"]').inert), true);
  assert.equal(await page.evaluate(() => document.querySelector('.kz-window[aria-label="About Kadenzo"]')
    .getAttribute('aria-modal')), 'true');

  // Tab stays in the box; Escape closes it and the focus is back on About.
  await page.press('Tab');
  await idle(page);
  assert.equal(await focusedId(page), '1');
  assert.equal(await page.evaluate(() => document.activeElement.closest('.kz-window').getAttribute('aria-label')),
               'About Kadenzo');
  await page.press('Escape');
  await idle(page);
  assert.equal(await exists(page, '.kz-window[aria-label="About Kadenzo"]'), false);
  assert.equal(await focusedId(page), '127');
  await page.close();
});

// axe-core's own script, put into the page by the test rather than loaded
// by it: the page's policy allows no script but the site's.
const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
async function axeViolations(page) {
  if (!(await page.evaluate(() => typeof window.axe !== 'undefined'))) await page.evaluate(axeSource);
  const violations = await page.evaluate(async () => (await window.axe.run(document)).violations
    .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
  return violations;
}

test('axe-core finds nothing wrong with the calculator, the About box over it, or the page once the program has ended', async () => {
  const page = await engine.newPage();
  await openCalculator(page, url);
  assert.deepEqual(await axeViolations(page), [], 'the calculator');
  await clickControl(page, 127);
  assert.deepEqual(await axeViolations(page), [], 'the About box over the calculator');
  await page.press('Escape');
  await idle(page);
  await clickOn(page, '.kz-window[aria-label="Kadenzo"] .kz-close');
  assert.equal(await state(page), 'ended');
  assert.deepEqual(await axeViolations(page), [], 'the ended page');
  await page.close();
});

test('The Content-Security-Policy lets the program run unhindered and blocks and reports what is not the site\'s', async () => {
  const page = await engine.newPage();
  // The console is Chromium's and Firefox's to tell (WebDriver does not
  // pass WebKit's on); the page's own reports are every engine's, from the
  // page's start where the engine can run a script before the page's own.
  const messages = [];
  page.puppeteer?.on('console', (message) => {
    if (/Content.Security.Policy|Refused to/i.test(message.text())) messages.push(message.text());
  });
  await page.addInitScript(() => {
    window.violations = [];
    document.addEventListener('securitypolicyviolation', (event) => {
      window.violations.push(`${event.effectiveDirective} ${event.blockedURI}`);
    });
  });
  await openCalculator(page, url);
  await page.type('1800');
  await clickControl(page, 127);
  await page.press('Escape');
  await idle(page);
  await page.press('Enter');
  await idle(page);
  await page.press('Enter');
  assert.equal(await waitForSelector(page, '.kz-window[aria-label="Kadenzo"]'), true);
  await idle(page);
  assert.deepEqual(await page.evaluate(() => window.violations), [], 'the program itself broke the policy');
  assert.deepEqual(messages, []);

  // What an injection would try: each is refused, and reported.
  for (const {what, attempt, directive} of [
    {what: 'an inline script', directive: 'script-src-elem', attempt: () => {
      const script = document.createElement('script');
      script.textContent = 'window.injected = true;';
      document.body.appendChild(script);
      return window.injected === true;
    }},
    // Code from a string, run by the page itself: a test's own evaluation
    // would be let through by the browser whatever the policy says.
    {what: 'code from a string', directive: 'script-src', attempt: async () => {
      setTimeout('window.evaluated = true;', 0);
      await new Promise((resolve) => setTimeout(resolve, 50));
      return window.evaluated === true;
    }},
    {what: 'a style attribute', directive: 'style-src-attr', attempt: () => {
      const p = document.createElement('p');
      p.setAttribute('style', 'display: none');
      document.body.appendChild(p);
      return getComputedStyle(p).display === 'none';
    }},
    {what: 'another origin', directive: 'connect-src', attempt: async () => {
      try {
        await fetch('http://127.0.0.1:9/');
        return true;
      } catch {
        return false;
      }
    }},
  ]) {
    await page.evaluate(() => { window.violations = []; });
    assert.equal(await page.evaluate(attempt), false, `${what} was allowed`);
    const reported = await page.evaluate(() => new Promise((resolve) => {
      const started = performance.now();
      const poll = () => {
        if (window.violations.length > 0 || performance.now() - started > 5000) resolve(window.violations);
        else setTimeout(poll, 10);
      };
      poll();
    }));
    assert.ok(reported.some((v) => v.startsWith(directive)), `${what}: reported ${JSON.stringify(reported)}`);
  }
  await page.close();
});

// A phone's page, on which the calculator fills the width, and pages
// smaller than the calculator, which scroll to it: never is it shown smaller
// than its size, nor its text below 12 CSS pixels on a touch screen.
for (const {width, height, touch, fills} of [
  {width: 360, height: 740, touch: true, fills: true},
  {width: 414, height: 896, touch: true, fills: true},
  {width: 200, height: 300, touch: false, fills: false},
  {width: 480, height: 260, touch: false, fills: false},
]) {
  test(`On a ${width} by ${height} page${touch ? ' with touch' : ''} the calculator ${fills ? 'fills the width' : 'scrolls'}, legible, and taps work as clicks`, async (t) => {
    if (touch && !chromium) return t.skip('a touch screen is emulated in Chromium alone');
    const page = await engine.newPage({viewport: {width, height, isMobile: touch, hasTouch: touch}});
    await openCalculator(page, url);
    // WebKit's page is its window's, less MiniBrowser's tool bar, which
    // keeps the window wider than a phone: a case it cannot show is not
    // passed, it is skipped.
    const size = await page.evaluate(() => [innerWidth, innerHeight]);
    if (size[0] !== width || size[1] !== height) {
      await page.close();
      return t.skip(`${engine.name} makes the page ${size.join(' by ')} at the least`);
    }
    const modes = await page.evaluate(() => [...document.querySelectorAll('input[type=text]')]
      .map((f) => f.getAttribute('inputmode')));
    assert.equal(modes.length, 15);
    assert.ok(modes.every((mode) => mode === 'numeric'), modes.join());

    const shown = (caption) => page.evaluate((caption) => {
      const e = document.querySelector(`.kz-window[aria-label="${caption}"]`);
      const r = e.getBoundingClientRect();
      const scale = r.width / e.offsetWidth;
      const text = Math.min(...[...e.querySelectorAll('.kz-label, .kz-button, .kz-edit')]
        .map((control) => parseFloat(getComputedStyle(control).fontSize)));
      const page = document.scrollingElement;
      return {left: r.left + scrollX, right: r.right + scrollX, top: r.top + scrollY, bottom: r.bottom + scrollY,
              scale, text, scrollWidth: page.scrollWidth, scrollHeight: page.scrollHeight};
    }, caption);
    const check = async (caption) => {
      const frame = await shown(caption);
      const where = `${caption}: ${JSON.stringify(frame)}`;
      assert.ok(frame.scale >= 1, `${where} is shown smaller than its size`);
      // Its text is laid out at 12 pixels, not only drawn larger: what
      // the browser's text settings and audits go by.
      if (touch) assert.ok(frame.text >= 12 - 1e-6, `${where} has text below 12 pixels`);
      assert.ok(frame.left >= 0 && frame.top >= 0, `${where} is off the page`);
      assert.ok(frame.right <= frame.scrollWidth + 0.5 && frame.bottom <= frame.scrollHeight + 0.5,
                `${where} is out of the page's reach`);
      return frame;
    };
    const calculator = await check('Kadenzo');
    if (fills) assert.ok(calculator.right - calculator.left >= width - 16 && calculator.right <= width, 'the calculator does not fill the width');

    // Taps (clicks on a page without touch) where the scaled controls are,
    // scrolled into view as a person would.
    const tap = async (caption, id) => {
      const selector = `.kz-window[aria-label="${caption}"] [data-control-id="${id}"]`;
      if (!touch) return clickOn(page, selector);
      const element = await page.puppeteer.$(selector);
      await element.scrollIntoView();
      const box = await element.boundingBox();
      await page.puppeteer.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
      await idle(page);
    };
    await tap('Kadenzo', 118);
    assert.equal(await page.evaluate(() => document.querySelector('[data-control-id="118"]').checked), true);
    await tap('Kadenzo', 128);
    assert.equal(await focusedId(page), '128');
    await page.press('End');
    await page.type('00');
    await idle(page);
    assert.equal(await field(page, 128), '000');
    await tap('Kadenzo', 127);
    await check('About Kadenzo');
    await tap('About Kadenzo', 1);
    assert.equal(await exists(page, '.kz-window[aria-label="About Kadenzo"]'), false, 'the About box is still open');
    const again = await check('Kadenzo');
    if (fills) assert.equal(again.right - again.left, calculator.right - calculator.left, 'the calculator changed size');
    await page.close();
  });
}

test('The site is installable, and once visited it starts without a network', async (t) => {
  if (!chromium) return t.skip('installability and no network are asked of Chromium alone');
  // The browser's own profile, which alone can install a site.
  const page = await engine.browser.defaultBrowserContext().newPage();
  await openCalculator(page, url);
  const session = await page.createCDPSession();
  const {installabilityErrors} = await session.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors, []);
  await page.evaluate(() => navigator.serviceWorker.ready);

  await page.setOfflineMode(true);
  await openCalculator(page, url);
  assert.equal(await field(page, 128), '0');
  await page.keyboard.type('108000');
  await idle(page);
  assert.equal(await field(page, 102), '1');
  await page.setOfflineMode(false);
  await page.close();
});
