// The browser program's costs, each against a baseline in the same browser
// and the same run, in turns, so that their ratio holds on a busy machine:
//   keystroke  one key in the calculator's first count (the sheet, the field
//              writes, the page's style, layout and paint) against the same
//              key in a bare <input> on a page of its own;
//   load       from navigation to the calculator ready for input, against a
//              page with one input ready for input, in tabs of one browser;
//   first      the same on a first visit, in each engine: every page in a
//              fresh browser context (nothing cached, no service worker);
//   size       the site's files as a server sends them compressed.
// Not a test: nothing passes or fails on a figure.
//   node web_bench.mjs SITE_DIR [--keys N] [--batches N] [--loads N] [--visits N]
//                      [--engines chromium,firefox,webkit]
import {mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {brotliCompressSync, constants, gzipSync} from 'node:zlib';
import {launchChromium} from '../../tools/web/browser.mjs';
import {launchEngine} from '../../tools/web/engine.mjs';
import {openCalculator} from '../../tools/web/page.mjs';
import {serve} from '../../tools/web/serve.mjs';

const args = process.argv.slice(2);
const site = args[0];
const option = (name, fallback) => {
  const at = args.indexOf(`--${name}`);
  return at >= 0 ? Number(args[at + 1]) : fallback;
};
const keysPerBatch = option('keys', 200);
const batches = option('batches', 9);
const loads = option('loads', 21);
const visits = option('visits', 15);
const textOption = (name, fallback) => {
  const at = args.indexOf(`--${name}`);
  return at >= 0 ? args[at + 1] : fallback;
};
const engineNames = textOption('engines', 'chromium,firefox').split(',');
if (!site) {
  console.error('usage: node web_bench.mjs SITE_DIR [--keys N] [--batches N] [--loads N] [--visits N] [--engines LIST]');
  process.exit(2);
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const spread = (values) => `${Math.min(...values).toFixed(1)} to ${Math.max(...values).toFixed(1)}`;

// The baseline pages, served beside the site: the same font and size of
// field as the calculator's first count.
const baselines = mkdtempSync(join(tmpdir(), 'kadenzo-bench-'));
writeFileSync(join(baselines, 'input.html'), `<!doctype html>
<html lang="en"><head><meta charset="utf-8"><meta name="viewport" content="width=device-width, initial-scale=1">
<title>One input</title>
<style>html, body { margin: 0; height: 100%; background: #008080; }
input { position: absolute; left: 600px; top: 380px; width: 70px; height: 21px; font: 8pt "MS Sans Serif", sans-serif; }</style>
</head><body><input id="field" type="text" inputmode="numeric" autocomplete="off" value="0">
<script>
window.addEventListener('load', function () {
  var field = document.getElementById('field');
  field.focus();
  performance.mark('kadenzo-ready');
});
</script></body></html>
`);

const {server: siteServer, url: siteUrl} = await serve(site);
const {server: baseServer, url: baseUrl} = await serve(baselines);
const browser = await launchChromium();

// Main-thread time of a batch of keys: the renderer's task time, read
// before and after through the DevTools protocol. Each key is followed by
// one frame, so that every key pays for its own style, layout and paint.
// Without keys, the same loop measures what the frames and the measuring
// cost by themselves, which is taken off both sides.
async function typeBatch(page, session, keys, {press = true} = {}) {
  const before = await session.send('Performance.getMetrics');
  for (const key of keys) {
    if (press) await page.keyboard.press(key);
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0))));
  }
  const after = await session.send('Performance.getMetrics');
  const task = (metrics) => metrics.metrics.find((m) => m.name === 'TaskDuration').value;
  return ((task(after) - task(before)) * 1e6) / keys.length;  // microseconds a key
}

// Alternating a digit and Backspace at the end of "1800000": at 30 frames
// per second each key changes the count, the hours and frames, and the
// result's count, hours and frames.
function keys(count) {
  return Array.from({length: count}, (_, i) => (i % 2 === 0 ? '5' : 'Backspace'));
}

async function prepareField(page, selector) {
  await page.click(selector, {clickCount: 1});
  await page.keyboard.press('End');
  await page.keyboard.down('Shift');
  await page.keyboard.press('Home');
  await page.keyboard.up('Shift');
  await page.keyboard.type('1800000');
  await page.keyboard.press('End');
}

console.log(`== Keystroke: ${batches} batches of ${keysPerBatch} keys on each side, in turns`);
const calculator = await browser.newPage();
await openCalculator(calculator, siteUrl);
const calculatorSession = await calculator.createCDPSession();
await calculatorSession.send('Performance.enable');
await prepareField(calculator, '[data-control-id="128"]');
const bare = await browser.newPage();
await bare.goto(baseUrl + 'input.html', {waitUntil: 'load'});
const bareSession = await bare.createCDPSession();
await bareSession.send('Performance.enable');
await prepareField(bare, '#field');

const calculatorKeys = [];
const bareKeys = [];
const calculatorIdle = [];
const bareIdle = [];
// One untimed batch each first.
for (let batch = -1; batch < batches; ++batch) {
  await calculator.bringToFront();
  const c = await typeBatch(calculator, calculatorSession, keys(keysPerBatch));
  const ci = await typeBatch(calculator, calculatorSession, keys(keysPerBatch), {press: false});
  await bare.bringToFront();
  const b = await typeBatch(bare, bareSession, keys(keysPerBatch));
  const bi = await typeBatch(bare, bareSession, keys(keysPerBatch), {press: false});
  if (batch >= 0) {
    calculatorKeys.push(c - ci);
    bareKeys.push(b - bi);
    calculatorIdle.push(ci);
    bareIdle.push(bi);
  }
}
const fieldText = await calculator.$eval('[data-control-id="128"]', (e) => e.value);
const resultText = await calculator.$eval('[data-control-id="119"]', (e) => e.value);
if (fieldText !== '1800000' || resultText !== '1800000') throw new Error(`the calculator shows ${fieldText}, ${resultText}`);
const keyRatio = median(calculatorKeys) / median(bareKeys);
console.log(`frame and measuring alone: ${median(calculatorIdle).toFixed(1)} µs (calculator), ${median(bareIdle).toFixed(1)} µs (bare input), taken off`);
console.log(`calculator: ${median(calculatorKeys).toFixed(1)} µs a key (${spread(calculatorKeys)})`);
console.log(`bare input: ${median(bareKeys).toFixed(1)} µs a key (${spread(bareKeys)})`);
console.log(`ratio:      ${keyRatio.toFixed(2)}x (goal: at most 2x)`);
await calculator.close();
await bare.close();

// Each load in a fresh tab with the browser's cache off, so that every load
// fetches its files from the server, as a first visit does.
async function timeLoad(url, ready) {
  const page = await browser.newPage();
  const session = await page.createCDPSession();
  await session.send('Network.setCacheDisabled', {cacheDisabled: true});
  await ready(page, url);
  const ms = await page.evaluate(() => performance.getEntriesByName('kadenzo-ready')[0].startTime);
  await page.close();
  return ms;
}
const openInput = async (page, url) => {
  await page.goto(url, {waitUntil: 'load'});
  await page.waitForFunction(() => performance.getEntriesByName('kadenzo-ready').length > 0, {polling: 10});
};

console.log(`== Load to ready: ${loads} loads of each page, in turns, cache off`);
const calculatorLoads = [];
const inputLoads = [];
for (let run = -1; run < loads; ++run) {
  const c = await timeLoad(siteUrl, openCalculator);
  const i = await timeLoad(baseUrl + 'input.html', openInput);
  if (run >= 0) {
    calculatorLoads.push(c);
    inputLoads.push(i);
  }
}
const loadRatio = median(calculatorLoads) / median(inputLoads);
console.log(`calculator: ${median(calculatorLoads).toFixed(1)} ms (${spread(calculatorLoads)})`);
console.log(`one input:  ${median(inputLoads).toFixed(1)} ms (${spread(inputLoads)})`);
console.log(`ratio:      ${loadRatio.toFixed(2)}x (goal: at most 1.5x)`);

// A first visit: each page in a browser context of its own, as a person
// opens the site for the first time, with nothing in any cache and no
// service worker yet, the calculator and the one-input page in turns. In
// Chromium and Firefox a fresh context of one browser; WebKit's driver
// keeps one window, so each visit there starts a browser of its own.
async function firstVisit(engine, url) {
  const own = engine === null ? await launchEngine('webkit') : null;
  const page = await (own || engine).newPage();
  try {
    await page.goto(url, {timeout: 60000});
    // Ready: the calculator shown with its first field focused, taking
    // keys. The calculator's program itself starts then or soon after
    // (kadenzo-started), at the latest at the first key.
    return await page.evaluate(() => new Promise((resolve) => {
      const poll = () => {
        const mark = performance.getEntriesByName('kadenzo-ready')[0];
        const started = performance.getEntriesByName('kadenzo-started')[0];
        const input = !document.getElementById('kadenzo-desktop');
        if (mark && (started || input)) resolve({ready: mark.startTime, started: started ? started.startTime : 0});
        else setTimeout(poll, 5);
      };
      poll();
    }));
  } finally {
    await page.close();
    if (own) await own.close();
  }
}

for (const name of engineNames) {
  console.log(`== First visit, ${name}: ${visits} visits of each page, in turns, each in a fresh context`);
  const engine = name === 'webkit' ? null : await launchEngine(name);
  const calculatorVisits = [];
  const programStarts = [];
  const inputVisits = [];
  for (let run = -1; run < visits; ++run) {
    const c = await firstVisit(engine, siteUrl);
    const i = await firstVisit(engine, baseUrl + 'input.html');
    if (run >= 0) {
      calculatorVisits.push(c.ready);
      programStarts.push(c.started);
      inputVisits.push(i.ready);
    }
  }
  if (engine) await engine.close();
  const ratio = median(calculatorVisits) / median(inputVisits);
  console.log(`calculator: ${median(calculatorVisits).toFixed(1)} ms (${spread(calculatorVisits)})`);
  console.log(`  its program started: ${median(programStarts).toFixed(1)} ms (${spread(programStarts)})`);
  console.log(`one input:  ${median(inputVisits).toFixed(1)} ms (${spread(inputVisits)})`);
  console.log(`ratio:      ${ratio.toFixed(2)}x (goal: at most 1.5x)`);
}

await browser.close();
siteServer.close();
baseServer.close();
rmSync(baselines, {recursive: true, force: true});

console.log('== Site size: each file as sent, gzip -9 and brotli 11');
let plain = 0;
let gzip = 0;
let brotli = 0;
for (const name of readdirSync(site).sort()) {
  const data = readFileSync(join(site, name));
  const g = gzipSync(data, {level: 9}).length;
  const b = brotliCompressSync(data, {params: {[constants.BROTLI_PARAM_QUALITY]: 11}}).length;
  // A server sends images as they are; compressing a PNG again gains nothing.
  const sentG = name.endsWith('.png') ? data.length : g;
  const sentB = name.endsWith('.png') ? data.length : b;
  plain += data.length;
  gzip += sentG;
  brotli += sentB;
  console.log(`${name.padEnd(22)} ${String(data.length).padStart(8)} B  gzip ${String(sentG).padStart(7)} B  brotli ${String(sentB).padStart(7)} B`);
}
const kb = (bytes) => (bytes / 1024).toFixed(1);
console.log(`${'whole site'.padEnd(22)} ${kb(plain).padStart(6)} KiB  gzip ${kb(gzip).padStart(5)} KiB  brotli ${kb(brotli).padStart(5)} KiB (goal: under 300 KB)`);
