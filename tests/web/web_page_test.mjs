// What the page does around the dialogs, which the dialog behaviour suite
// cannot see: the end of the program and its new start, the About box as
// assistive technology finds it, phones and narrow pages, installing and
// working offline, and no network traffic once the program runs.
//   node --test web_page_test.mjs   (KADENZO_WEB_SITE: the site's folder)
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';
import {fileURLToPath} from 'node:url';
import {launchChromium} from '../../tools/web/browser.mjs';
import {openCalculator} from '../../tools/web/page.mjs';
import {serve} from '../../tools/web/serve.mjs';

const site = process.env.KADENZO_WEB_SITE || fileURLToPath(new URL('../../build/web/site', import.meta.url));
let server;
let url;
let browser;

before(async () => {
  ({server, url} = await serve(site));
  browser = await launchChromium();
});

after(async () => {
  await browser.close();
  server.close();
});

// A tab in a context of its own, or in the browser's own profile, which
// alone can install a site.
async function freshPage(viewport, {profile = false} = {}) {
  const context = profile ? browser.defaultBrowserContext() : await browser.createBrowserContext();
  const page = await context.newPage();
  if (viewport) await page.setViewport(viewport);
  return {context, page};
}

const idle = (page) => page.evaluate(() => Module.whenIdle());
const field = (page, id) => page.$eval(`[data-control-id="${id}"]`, (e) => e.value);
const focusedId = (page) => page.evaluate(() => document.activeElement.closest('[data-control-id]')?.dataset.controlId);

async function clickControl(page, id) {
  const box = await (await page.$(`[data-control-id="${id}"]`)).boundingBox();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
  await idle(page);
}

test('Enter ends the program, the page says so and starts it anew, and nothing goes over the network meanwhile', async () => {
  const {context, page} = await freshPage();
  await openCalculator(page, url);
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));

  await page.keyboard.type('1800');
  await idle(page);
  assert.equal(await field(page, 119), '1800');
  await page.keyboard.press('Enter');
  await idle(page);
  assert.equal(await page.evaluate(() => document.documentElement.dataset.state), 'ended');
  assert.equal(await page.evaluate(() => document.documentElement.dataset.exitCode), '0');
  assert.equal(await page.$('.kz-window'), null, 'a window is left on the page');
  assert.equal(await page.$eval('#ended', (e) => !e.hidden && e.innerText.includes('Kadenzo has ended.')), true);

  // The offer to start again has the focus: Enter takes it.
  await page.keyboard.press('Enter');
  await page.waitForSelector('.kz-window[aria-label="Kadenzo"]');
  await idle(page);
  assert.equal(await page.evaluate(() => document.documentElement.dataset.state), 'running');
  for (const id of [128, 119, 102]) assert.equal(await field(page, id), '0', `field ${id} after the new start`);
  assert.equal(await focusedId(page), '128');
  await page.keyboard.type('25');
  await idle(page);
  assert.equal(await field(page, 123), '25');

  assert.deepEqual(requests, []);
  await context.close();
});

test('The About box is a modal dialog named "About Kadenzo" over an inert calculator', async () => {
  const {context, page} = await freshPage();
  await openCalculator(page, url);
  await clickControl(page, 127);

  const tree = await page.accessibility.snapshot({interestingOnly: true});
  const dialogs = [];
  const walk = (node) => {
    if (node.role === 'dialog') dialogs.push(node.name);
    (node.children || []).forEach(walk);
  };
  walk(tree);
  // The calculator, inert, is out of the tree meanwhile.
  assert.deepEqual(dialogs, ['About Kadenzo']);
  assert.equal(await page.$eval('.kz-window[aria-label="Kadenzo"]', (e) => e.inert), true);
  assert.equal(await page.$eval('.kz-window[aria-label="About Kadenzo"]', (e) => e.getAttribute('aria-modal')), 'true');

  // Tab stays in the box; Escape closes it and the focus is back on About.
  await page.keyboard.press('Tab');
  await idle(page);
  assert.equal(await focusedId(page), '1');
  assert.equal(await page.evaluate(() => document.activeElement.closest('.kz-window').getAttribute('aria-label')),
               'About Kadenzo');
  await page.keyboard.press('Escape');
  await idle(page);
  assert.equal(await page.$('.kz-window[aria-label="About Kadenzo"]'), null);
  assert.equal(await focusedId(page), '127');
  await context.close();
});

test('Fields ask phones for digits, and a page narrower than the calculator shows all of it, smaller, and working', async () => {
  const {context, page} = await freshPage({width: 240, height: 480, isMobile: true, hasTouch: true});
  await openCalculator(page, url);
  const modes = await page.$$eval('input[type=text]', (fields) => fields.map((f) => f.getAttribute('inputmode')));
  assert.equal(modes.length, 15);
  assert.ok(modes.every((mode) => mode === 'numeric'), modes.join());

  const frame = await page.$eval('.kz-window', (e) => {
    const r = e.getBoundingClientRect();
    return {left: r.left, right: r.right, top: r.top, width: r.width, offsetWidth: e.offsetWidth};
  });
  assert.ok(frame.left >= 0 && frame.right <= 240, `the calculator spans ${frame.left} to ${frame.right}`);
  assert.ok(frame.width < frame.offsetWidth, 'the calculator is not scaled down');

  // Taps land on the scaled controls.
  await clickControl(page, 118);
  assert.equal(await page.$eval('[data-control-id="118"]', (e) => e.checked), true);
  await clickControl(page, 128);
  await page.keyboard.press('End');
  await page.keyboard.type('00');
  await idle(page);
  assert.equal(await field(page, 128), '000');
  await context.close();
});

test('The site is installable, and once visited it starts without a network', async () => {
  const {page} = await freshPage(undefined, {profile: true});
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
