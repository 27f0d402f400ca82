// A static server for the site, on this machine only. Used by scripts/web.sh,
// by the web tests and by the benchmarks; any static server would do.
//   node serve.mjs DIR [PORT]   (port 0 or none: a free one)
// Prints the site's address once it listens.
import {createReadStream, statSync} from 'node:fs';
import {createServer} from 'node:http';
import {extname, join, normalize, resolve, sep} from 'node:path';
import {fileURLToPath} from 'node:url';

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

// Serves root's files; resolves to the server and its address.
export function serve(root, port = 0, host = '127.0.0.1') {
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
    let size;
    try {
      const stat = statSync(file);
      if (!stat.isFile()) throw new Error('not a file');
      size = stat.size;
    } catch {
      response.writeHead(404, {'Content-Type': 'text/plain'}).end('not found');
      return;
    }
    response.writeHead(200, {
      'Content-Type': types[extname(file)] || 'application/octet-stream',
      'Content-Length': size,
      'Cache-Control': 'no-cache',
    });
    if (request.method === 'HEAD') {
      response.end();
      return;
    }
    createReadStream(file).pipe(response);
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
