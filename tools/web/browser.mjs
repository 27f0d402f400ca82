// Debian's Chromium, headless, started for the web tests, benchmarks and
// screenshots: a fresh profile each time, nothing that reaches out to the
// network on its own, and no sandbox when run as root (Chromium refuses
// to start a sandboxed browser as root).
import {mkdtempSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import puppeteer from 'puppeteer-core';

export function chromiumPath() {
  return process.env.KADENZO_CHROMIUM || '/usr/bin/chromium';
}

export async function launchChromium({width = 1280, height = 800} = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'kadenzo-chromium-'));
  const args = [
    '--headless',
    '--disable-gpu',
    '--no-first-run',
    '--no-default-browser-check',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
    '--disable-extensions',
    '--disable-default-apps',
    '--metrics-recording-only',
    '--password-store=basic',
    '--hide-scrollbars',
    `--user-data-dir=${profile}`,
    `--window-size=${width},${height}`,
  ];
  if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  const browser = await puppeteer.launch({
    executablePath: chromiumPath(),
    headless: true,
    args,
    ignoreDefaultArgs: ['--enable-automation'],
    defaultViewport: {width, height},
    pipe: true,
  });
  // The profile goes once the browser has exited; Chromium may still be
  // writing to it while it disconnects.
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, {recursive: true, force: true, maxRetries: 5, retryDelay: 100});
  };
  return browser;
}
