// Lighthouse's four scores for the site, as phones and desktops load it:
// the site served gzip-compressed by tools/web/serve.mjs, audited in
// Debian's Chromium, headless. The scores of performance move with the
// machine's load (Lighthouse simulates a slow phone from what it measures);
// the others do not. Not a test: nothing passes or fails on a figure, but a
// category below its target lists the audits that kept it there.
//   node lighthouse.mjs SITE_DIR [--runs N]   (N runs a mode; the median is printed)
import {mkdtempSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';
import {chromiumPath} from '../../tools/web/browser.mjs';
import {serve} from '../../tools/web/serve.mjs';

const args = process.argv.slice(2);
const site = args[0];
const at = args.indexOf('--runs');
const runs = at >= 0 ? Number(args[at + 1]) : 3;
if (!site || !(runs >= 1)) {
  console.error('usage: node lighthouse.mjs SITE_DIR [--runs N]');
  process.exit(2);
}

const categories = ['performance', 'accessibility', 'best-practices', 'seo'];
const targets = {performance: 95, accessibility: 100, 'best-practices': 100, seo: 100};

const {server, url} = await serve(site);
const profile = mkdtempSync(join(tmpdir(), 'kadenzo-lighthouse-'));
const flags = ['--headless', '--disable-gpu', '--no-first-run', '--no-default-browser-check',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--disable-extensions',
  '--disable-default-apps', '--password-store=basic'];
if (process.getuid && process.getuid() === 0) flags.push('--no-sandbox');
const chrome = await chromeLauncher.launch({chromePath: chromiumPath(), chromeFlags: flags, userDataDir: profile});
try {
  for (const [mode, config] of [['mobile', undefined], ['desktop', desktopConfig]]) {
    const scores = Object.fromEntries(categories.map((category) => [category, []]));
    const failing = new Map();
    for (let run = 0; run < runs; ++run) {
      const result = await lighthouse(url, {port: chrome.port, output: 'json', logLevel: 'error',
                                            onlyCategories: categories}, config);
      const {lhr} = result;
      if (lhr.runtimeError) throw new Error(`${mode}: ${lhr.runtimeError.message}`);
      for (const category of categories) {
        const score = Math.round(lhr.categories[category].score * 100);
        scores[category].push(score);
        if (score >= targets[category]) continue;
        for (const ref of lhr.categories[category].auditRefs) {
          const audit = lhr.audits[ref.id];
          if (ref.weight > 0 && audit.score !== null && audit.score < 1)
            failing.set(ref.id, `${audit.title}${audit.displayValue ? ` (${audit.displayValue})` : ''}`);
        }
      }
    }
    const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
    console.log(`${mode.padEnd(8)} ${categories.map((c) => `${c} ${median(scores[c])} [${scores[c].join(' ')}]`).join('  ')}`);
    for (const [id, title] of failing) console.log(`         below target: ${id}: ${title}`);
  }
} finally {
  chrome.kill();
  server.close();
  rmSync(profile, {recursive: true, force: true, maxRetries: 5, retryDelay: 100});
}
