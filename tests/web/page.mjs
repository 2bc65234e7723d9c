// The real page in the system's headless Chromium: served from 127.0.0.1 on
// a free port, its clock frozen so that the world is always the same one, and
// its frames read back as pixels.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

import { serveFolder } from '../../tools/serve-web.mjs';

export const pageFolder = process.env.VERDALO_WEB_BUILD || path.resolve('build-web');
export const shotFolder = process.env.VERDALO_WEB_SHOTS || path.join(pageFolder, 'shots');
export const canvasWidth = 1000, canvasHeight = 500;

function findChromium() {
  if (process.env.CHROMIUM) return process.env.CHROMIUM;
  for (const name of ['/usr/bin/chromium', '/usr/bin/chromium-browser', '/usr/bin/google-chrome'])
    if (fs.existsSync(name)) return name;
  throw new Error('no Chromium found (Debian: apt-get install chromium)');
}

// WebGL through SwiftShader, on the CPU, whatever the machine's GPU.
const chromiumFlags = [
  '--headless=new', '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--no-sandbox', '--no-first-run', '--no-default-browser-check', '--disable-extensions',
  '--hide-scrollbars', '--mute-audio', '--window-size=1100,700',
];

// Opens the page (or another file of the folder) with Date.now() frozen at
// seed seconds, which is what the program's time(0) reads. Every console
// message and page error is kept.
export async function openPage(seed, file = '') {
  const { server, url } = await serveFolder(pageFolder);
  const browser = await puppeteer.launch({
    executablePath: findChromium(), headless: true, args: chromiumFlags,
    defaultViewport: { width: 1100, height: 700 },
  });
  const page = await browser.newPage();
  const messages = [], errors = [], loads = [];
  page.on('console', (m) => messages.push({ type: m.type(), text: m.text() }));
  page.on('pageerror', (e) => errors.push(String(e && e.message || e)));
  page.on('requestfailed', (r) => errors.push(`request failed: ${r.url()}`));
  page.on('response', (r) => { if (r.status() >= 400) errors.push(`${r.status()} for ${r.url()}`); });
  page.on('load', () => loads.push(Date.now()));
  await page.evaluateOnNewDocument((ms) => { Date.now = () => ms; }, seed * 1000);
  await page.goto(url + file);
  if (!file) await waitForSwaps(page, 1);
  const session = {
    browser, page, server, messages, errors, loads,
    async close() {
      await browser.close();
      server.close();
    },
  };
  return session;
}

export function swaps(page) { return page.evaluate(() => Module.swaps); }

// Waits until the program has swapped at least n times, then for the page to
// show that frame.
export async function waitForSwaps(page, n, timeout = 60000) {
  await page.waitForFunction((k) => typeof Module === 'object' && Module.swaps >= k, { timeout, polling: 20 }, n);
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
}

// The canvas as the page shows it, 8-bit RGB.
export async function grab(page, name) {
  const png = await page.screenshot({ clip: { x: 0, y: 0, width: canvasWidth, height: canvasHeight } });
  if (name) {
    fs.mkdirSync(shotFolder, { recursive: true });
    fs.writeFileSync(path.join(shotFolder, `${name}.png`), png);
  }
  return pictureFromPng(png);
}

export function pictureFromPng(png) {
  const rgb = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], { input: png, maxBuffer: 1 << 26 });
  const size = execFileSync('identify', ['-format', '%w %h', 'png:-'], { input: png }).toString().split(' ');
  return { width: +size[0], height: +size[1], rgb };
}

// Pixel counts per class in the rectangle (whole picture by default), by the
// end-to-end harness's classes: the desktop build's verdalo_census counts them.
const classes = ['sky', 'water', 'land', 'tree', 'snow', 'other'];
export function census(picture, x0 = 0, y0 = 0, x1 = picture.width, y1 = picture.height) {
  const ppm = Buffer.concat([Buffer.from(`P6\n${picture.width} ${picture.height}\n255\n`), Buffer.from(picture.rgb)]);
  const line = execFileSync(process.env.VERDALO_CENSUS, ['-', `${x1 - x0}x${y1 - y0}+${x0}+${y0}`], { input: ppm })
    .toString().trim().split(' ').map(Number);
  return Object.fromEntries(classes.map((name, k) => [name, line[k]]));
}

// Pixels that differ between two pictures of the same size by more than
// tolerance in any channel.
export function differing(a, b, tolerance = 0) {
  let n = 0;
  for (let k = 0; k < a.rgb.length; k += 3)
    if (Math.abs(a.rgb[k] - b.rgb[k]) > tolerance || Math.abs(a.rgb[k + 1] - b.rgb[k + 1]) > tolerance ||
        Math.abs(a.rgb[k + 2] - b.rgb[k + 2]) > tolerance)
      n++;
  return n;
}
