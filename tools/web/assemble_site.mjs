// Assembles the static site: the page, with the dialogs' styles, the
// program's first window and the program itself (.js and .wasm) in it; the
// icons drawn from the XPM, the web app manifest and the service worker
// that keeps all of them for offline use.
//   node assemble_site.mjs --out DIR --program kadenzo.js --page index.html
//        --styles web_dialog.css --worker service-worker.js --icons DIR --version X.Y.Z
import {createHash} from 'node:crypto';
import {mkdirSync, readFileSync, readdirSync, renameSync, rmSync, writeFileSync} from 'node:fs';
import {basename, dirname, join} from 'node:path';
import {prerender} from './prerender.mjs';

const options = {};
for (let i = 2; i < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const name of ['out', 'program', 'page', 'styles', 'worker', 'icons', 'version']) {
  if (!options[name]) throw new Error(`assemble_site: --${name} is missing`);
}

// Built beside the site and put in its place at the end, so that a failed
// assembly never leaves half a site behind.
const out = options.out;
const staging = out + '.new';
rmSync(staging, {recursive: true, force: true});
mkdirSync(staging, {recursive: true});
const files = new Map();  // name -> contents
const add = (name, contents) => files.set(name, contents);

const program = options.program;
const wasm = join(dirname(program), basename(program, '.js') + '.wasm');
const programText = readFileSync(program, 'utf8');
// Inside the page's script element, text that would end the element or
// change how the browser reads it.
if (/<\/script|<!--|<script/i.test(programText)) throw new Error(`${program} cannot go inside the page's script element`);

const icons = [32, 192, 512].map((size) => {
  add(`icon-${size}.png`, readFileSync(join(options.icons, `icon-${size}.png`)));
  return {src: `icon-${size}.png`, sizes: `${size}x${size}`, type: 'image/png'};
});

add('manifest.webmanifest', Buffer.from(JSON.stringify({
  name: 'Kadenzo',
  short_name: 'Kadenzo',
  description: 'Time codes and frame counts, converted, added and subtracted exactly.',
  id: './',
  start_url: './',
  scope: './',
  display: 'standalone',
  background_color: '#008080',
  theme_color: '#008080',
  icons: icons.map((icon) => ({...icon, purpose: 'any'})),
}, null, 2) + '\n'));

// The page's Content-Security-Policy allows its inline scripts and styles
// by their hashes, taken here from the page as it is shipped, so that an
// edit to either never leaves a policy that blocks it.
function withInlineHashes(html) {
  const hashes = (tag) => {
    const found = [...html.matchAll(new RegExp(`<${tag}(\\s[^>]*)?>([\\s\\S]*?)</${tag}>`, 'gi'))]
      .filter((match) => !/\ssrc\s*=|\stype\s*=\s*"application\/wasm"/i.test(match[1] || ''))
      .map((match) => `'sha256-${createHash('sha256').update(match[2]).digest('base64')}'`);
    return [...new Set(found)].join(' ');
  };
  for (const mark of ['@INLINE-SCRIPTS@', '@INLINE-STYLES@']) {
    if (!html.includes(mark)) throw new Error(`the page's Content-Security-Policy has no ${mark}`);
  }
  return html.replace('@INLINE-SCRIPTS@', () => hashes('script')).replace('@INLINE-STYLES@', () => hashes('style'));
}

// The page holds the whole program: the first window as the program makes
// it (prerender.mjs), with its styles beside the dialogs' own, and the
// program itself, so that a first visit fetches nothing more before the
// calculator is shown.
const first = prerender(program, wasm);
let page = readFileSync(options.page, 'utf8');
for (const [mark, contents] of [
  ['/*@STYLES@*/', readFileSync(options.styles, 'utf8') + first.styles],
  ['<!--@FIRST-WINDOW@-->', first.markup],
  ['<!--@PROGRAM-WASM@-->', readFileSync(wasm).toString('base64')],
  ['<!--@PROGRAM-JS@-->', programText],
]) {
  if (!page.includes(mark)) throw new Error(`the page has no place for ${mark}`);
  page = page.replace(mark, () => contents);
}
add('index.html', Buffer.from(withInlineHashes(page)));

// The cache's name changes with every file it keeps.
const hash = createHash('sha256');
for (const [name, contents] of [...files].sort()) hash.update(name).update(contents);
const cached = ['./', ...[...files.keys()].sort()];
const worker = readFileSync(options.worker, 'utf8')
  .replace("'@CACHE@'", () => JSON.stringify(`kadenzo-${options.version}-${hash.digest('hex').slice(0, 12)}`))
  .replace('@FILES@', () => JSON.stringify(cached));
add('service-worker.js', Buffer.from(worker));

for (const [name, contents] of files) writeFileSync(join(staging, name), contents);
rmSync(out, {recursive: true, force: true});
renameSync(staging, out);
console.log(`site: ${readdirSync(out).length} files in ${out}`);
