// Takes a picture of the site's page as headless Chromium shows it, once the
// calculator is ready.
//   node screenshot.mjs SITE_DIR PICTURE.png
import {launchChromium} from './browser.mjs';
import {serve} from './serve.mjs';
import {openCalculator} from './page.mjs';

const [site, picture] = process.argv.slice(2);
if (!site || !picture) {
  console.error('usage: node screenshot.mjs SITE_DIR PICTURE.png');
  process.exit(2);
}
const {server, url} = await serve(site);
const browser = await launchChromium();
try {
  const page = await browser.newPage();
  await openCalculator(page, url);
  await page.screenshot({path: picture});
} finally {
  await browser.close();
  server.close();
}
