// Serves a built page folder (build-web/) on 127.0.0.1 only, on a free port,
// for `make serve-web` and the browser tests.
//   node tools/serve-web.mjs [FOLDER]   prints the address, serves until stopped
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
};

// Resolves to the running server and its address.
export function serveFolder(folder) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
    // Nothing outside the folder is served.
    if (file !== root && !file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      response.end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      resolve({ server, url: `http://127.0.0.1:${port}/` });
    });
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const folder = process.argv[2] || 'build-web';
  if (!fs.existsSync(path.join(folder, 'index.html'))) {
    console.error(`serve-web: no index.html in ${folder}; make web builds it`);
    process.exit(1);
  }
  const { url } = await serveFolder(folder);
  console.log(`Verdalo is served at ${url} (Ctrl-C stops it)`);
}
