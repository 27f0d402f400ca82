// The site's page in a browser tab, as the tools and tests wait for it.

// Loads the page and waits until the program has opened its calculator and
// waits for input. The page is a puppeteer page or one of
// tools/web/engine.mjs; the wait is a promise in the page itself, which
// every engine can wait for.
export async function openCalculator(page, url, {timeout = 30000} = {}) {
  const failures = [];
  if (page.onError) page.onError((message) => failures.push(message));
  else page.on('pageerror', (error) => failures.push(error.message));
  await page.goto(url, {waitUntil: 'load', timeout});
  const state = await page.evaluate((limit) => new Promise((resolve) => {
    const started = performance.now();
    const poll = () => {
      const state = document.documentElement.dataset.state;
      const ready = !['loading', 'running'].includes(state) ||
                    (window.Module && typeof Module.whenIdle === 'function' &&
                     document.querySelector('.kz-window[role=dialog]') !== null);
      if (ready && state === 'running') Module.whenIdle().then(() => resolve(document.documentElement.dataset.state));
      else if (ready) resolve(state);
      else if (performance.now() - started > limit) resolve('still ' + state);
      else setTimeout(poll, 10);
    };
    poll();
  }), timeout);
  if (state !== 'running') throw new Error(`the program is ${state} instead of running: ${failures.join('; ')}`);
}
