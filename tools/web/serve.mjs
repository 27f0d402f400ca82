// A static server for the site, on this machine only. Used by scripts/web.sh,
// by the web tests and by the benchmarks; any static server would do. Like
// most, it sends text and WebAssembly gzip-compressed to a browser that
// accepts it, so that what the tests and Lighthouse measure is what a
// visitor downloads.
//   node serve.mjs DIR [PORT]   (port 0 or none: a free one)
// Prints the site's address once it listens.
import {readFileSync, statSync} from 'node:fs';
import {createServer} from 'node:http';
import {extname, join, normalize, resolve, sep} from 'node:path';
import {fileURLToPath} from 'node:url';
import {gzipSync} from 'node:zlib';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
  '.json': 'application/json',
};

// What gains from compression; the PNGs are compressed already.
const compressible = new Set(['.html', '.js', '.mjs', '.css', '.wasm', '.webmanifest', '.json']);

// The compressed files, by path, as long as the file is unchanged.
const gzipped = new Map();
function gzipOf(file, stat) {
  const key = `${stat.mtimeMs}:${stat.size}`;
  const known = gzipped.get(file);
  if (known && known.key === key) return known.body;
  const body = gzipSync(readFileSync(file), {level: 9});
  gzipped.set(file, {key, body});
  return body;
}

// Whether the request's Accept-Encoding takes gzip (and does not refuse it
// with q=0).
function acceptsGzip(request) {
  return (request.headers['accept-encoding'] || '').split(',').some((entry) => {
    const [coding, ...parameters] = entry.trim().split(';');
    if (coding.trim().toLowerCase() !== 'gzip' && coding.trim() !== '*') return false;
    const q = parameters.map((p) => p.trim()).find((p) => p.startsWith('q='));
    return !q || Number(q.slice(2)) > 0;
  });
}

// Serves root's files; resolves to the server and its address. types
// overrides the Content-Type by extension, as another server would say it.
export function serve(root, port = 0, host = '127.0.0.1', {types: ownTypes = {}} = {}) {
  const base = resolve(root);
  const server = createServer((request, response) => {
    let path;
    try {
      path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    if (path.endsWith('/')) path += 'index.html';
    const file = normalize(join(base, path));
    // Nothing outside the site, whatever the path says.
    if (file !== base && !file.startsWith(base + sep)) {
      response.writeHead(403).end();
      return;
    }
    let stat;
    try {
      stat = statSync(file);
      if (!stat.isFile()) throw new Error('not a file');
    } catch {
      response.writeHead(404, {'Content-Type': 'text/plain'}).end('not found');
      return;
    }
    const compress = compressible.has(extname(file));
    const gzip = compress && acceptsGzip(request);
    const body = gzip ? gzipOf(file, stat) : readFileSync(file);
    const headers = {
      'Content-Type': ownTypes[extname(file)] || types[extname(file)] || 'application/octet-stream',
      'Content-Length': body.length,
      'Cache-Control': 'no-cache',
    };
    if (compress) headers['Vary'] = 'Accept-Encoding';
    if (gzip) headers['Content-Encoding'] = 'gzip';
    response.writeHead(200, headers);
    response.end(request.method === 'HEAD' ? undefined : body);
  });
  return new Promise((resolveServer, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => {
      const address = server.address();
      resolveServer({server, url: `http://${host === '127.0.0.1' ? 'localhost' : host}:${address.port}/`});
    });
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [root, port] = process.argv.slice(2);
  if (!root) {
    console.error('usage: node serve.mjs DIR [PORT]');
    process.exit(2);
  }
  const {url} = await serve(root, Number(port || 0));
  console.log(url);
}
