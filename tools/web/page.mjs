// The site's page in a browser tab, as the tools and tests wait for it.

// Loads the page and waits until the program has opened its calculator and
// waits for input.
export async function openCalculator(page, url, {timeout = 30000} = {}) {
  const failures = [];
  page.on('pageerror', (error) => failures.push(error.message));
  await page.goto(url, {waitUntil: 'load', timeout});
  await page.waitForFunction(
    () => !['loading', 'running'].includes(document.documentElement.dataset.state) ||
          (window.Module && typeof Module.whenIdle === 'function' &&
           document.querySelector('.kz-window[role=dialog]') !== null),
    {timeout, polling: 10});
  const state = await page.evaluate(async () => {
    if (window.Module && Module.whenIdle) await Module.whenIdle();
    return document.documentElement.dataset.state;
  });
  if (state !== 'running') throw new Error(`the program is ${state} instead of running: ${failures.join('; ')}`);
}
