// The page as a person uses it, in headless Chromium: what it shows first,
// F5, every key and button, Escape, and the GPU memory over many frames.
import assert from 'node:assert/strict';
import { execSync } from 'node:child_process';
import fs from 'node:fs';
import { after, before, describe, it } from 'node:test';

import { canvasWidth, census, differing, grab, openPage, shotFolder, swaps, waitForSwaps } from './page.mjs';

// A second whose world shows water, land, snow and trees from the start view.
const seed = 1700000300;
let session, page, firstFrameMiB;

// Non-sky pixels of the picture, the first row and column holding one.
function terrainExtent(picture) {
  let count = 0, top = picture.height, left = picture.width;
  for (let y = 0; y < picture.height; y++)
    for (let x = 0; x < picture.width; x++) {
      const k = (y * picture.width + x) * 3;
      const [r, g, b] = [picture.rgb[k], picture.rgb[k + 1], picture.rgb[k + 2]];
      if (!((r === 127 || r === 128) && (g === 127 || g === 128) && b === 255)) {
        count++;
        top = Math.min(top, y);
        left = Math.min(left, x);
      }
    }
  // Zooming scales the picture about its centre: the terrain's top edge moves
  // away from the middle row or towards it.
  return { count, top, left, spread: Math.abs(top - picture.height / 2) };
}

// Presses and releases a key (two frames: GLUT draws on both) and grabs the result.
async function press(key, name) {
  const n = await swaps(page);
  await page.keyboard.press(key);
  await waitForSwaps(page, n + 2);
  return grab(page, name);
}

async function click(button, name) {
  const n = await swaps(page);
  await page.mouse.click(500, 250, { button });
  await waitForSwaps(page, n + 2);
  return grab(page, name);
}

// The resident memory of Chromium's GPU process, where SwiftShader keeps
// every GL buffer, in MiB.
function gpuProcessMiB() {
  const root = session.browser.process().pid;
  const parents = new Map();
  for (const pid of fs.readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      parents.set(+pid, +stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
    } catch { /* ended meanwhile */ }
  }
  const descends = (pid) => { for (let p = pid; p > 1; p = parents.get(p)) if (p === root) return true; return false; };
  for (const pid of parents.keys()) {
    if (!descends(pid)) continue;
    let command = '';
    try { command = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8'); } catch { continue; }
    if (command.includes('--type=gpu-process')) {
      const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
      return +/VmRSS:\s+(\d+)/.exec(status)[1] / 1024;
    }
  }
  throw new Error('no GPU process found under the browser');
}

describe('the page', { concurrency: false }, () => {
  before(async () => {
    session = await openPage(seed);
    page = session.page;
    firstFrameMiB = gpuProcessMiB();
  });
  after(async () => { if (session) await session.close(); });

  it('is the window: title, a 1000 x 500 canvas at the top left, no border, scroll bars or context menu', async () => {
    assert.equal(await page.title(), 'Verdalo');
    const layout = await page.evaluate(() => {
      const c = document.getElementById('canvas');
      const box = c.getBoundingClientRect();
      const style = getComputedStyle(c);
      const menu = new MouseEvent('contextmenu', { bubbles: true, cancelable: true, button: 2 });
      c.dispatchEvent(menu);
      return {
        box: [box.left, box.top, box.width, box.height], size: [c.width, c.height],
        border: style.borderTopWidth, scrolls: document.documentElement.scrollHeight > innerHeight ||
          document.documentElement.scrollWidth > innerWidth || getComputedStyle(document.body).overflow !== 'hidden',
        menuShown: !menu.defaultPrevented,
      };
    });
    assert.deepEqual(layout, { box: [0, 0, 1000, 500], size: [1000, 500], border: '0px', scrolls: false, menuShown: false });
  });

  it('draws the first frame: sky above, water, land and trees cut out below', async () => {
    const first = await grab(page, 'first');
    const all = census(first), top = census(first, 0, 0, canvasWidth, 50);
    const black = (() => {
      let n = 0;
      for (let k = 0; k < first.rgb.length; k += 3) if (first.rgb[k] < 4 && first.rgb[k + 1] < 4 && first.rgb[k + 2] < 4) n++;
      return n;
    })();
    assert.ok(top.sky >= 49500, `top rows: ${JSON.stringify(top)}`);
    assert.ok(all.water >= 500 && all.land >= 500 && all.tree >= 20, JSON.stringify(all));
    // A black mesh, or trees drawn as black or opaque quads, darken whole areas.
    assert.ok(black < 500, `${black} black pixels`);
  });

  it('F5 prints one "N trees" line, N as the world code counts for that second, without reloading', async () => {
    const expected = execSync(`${process.env.VERDALO_TREE_COUNT} ${seed}`, { stdio: ['ignore', 'pipe', 'ignore'] })
      .toString().trim();
    assert.match(expected, /^\d+ trees$/);
    await page.evaluate(() => { window.beforeF5 = true; });
    const before = await grab(page);
    const after = await press('F5', 'after-f5');
    const printed = session.messages.filter((m) => m.type === 'log').map((m) => m.text);
    assert.deepEqual(printed, [expected]);
    const shown = await page.evaluate(() => document.getElementById('output').textContent);
    assert.equal(shown, expected);
    assert.equal(await page.evaluate(() => window.beforeF5), true, 'the page reloaded');
    assert.equal(session.loads.length, 1);
    assert.ok(differing(before, after) > 10000, 'F5 drew the same world');
    // The page as a person sees it, for the README.
    await page.screenshot({ path: `${shotFolder}/page.png`, clip: { x: 0, y: 0, width: 1000, height: 540 } });
  });

  it('the buttons toggle wireframe and billboards, and toggle back', async () => {
    const start = await grab(page);
    const wire = await click('left', 'wireframe');
    assert.ok(terrainExtent(wire).count < terrainExtent(start).count * 0.9, 'wireframe leaves the sky between its lines');
    assert.equal(differing(await click('left'), start), 0);
    const flat = await click('right', 'billboards-off');
    const changed = differing(flat, start);
    // Only the trees turn: some pixels, far fewer than the terrain holds.
    assert.ok(changed > 0 && changed < terrainExtent(start).count / 4, `${changed} pixels changed`);
    assert.equal(differing(await click('right'), start), 0);
  });

  it('the walk, turn, look, rise, zoom and mode keys move the view as bound', async () => {
    // A step forward and one back come home exactly: the view looks along -z.
    const home = await grab(page);
    assert.ok(differing(await press('w'), home) > 1000, "'w' did not walk");
    assert.equal(differing(await press('s'), home), 0, "'s' did not walk back");
    const cases = [
      // key, then what must grow (+) or shrink (-) of count, top, left
      ['d', { left: '-' }], ['a', { left: '+' }],
      ['f', { top: '-' }], ['r', { top: '+' }],
      [' ', { top: '+' }], ['ArrowDown', { top: '-' }],
      ['x', { spread: '+' }], ['z', { spread: '-' }],
    ];
    for (const [key, wanted] of cases) {
      const before = terrainExtent(await grab(page));
      const now = terrainExtent(await press(key));
      for (const [what, sign] of Object.entries(wanted)) {
        const grew = now[what] > before[what], shrank = now[what] < before[what];
        assert.ok(sign === '+' ? grew : shrank, `'${key}': ${what} ${before[what]} -> ${now[what]}`);
      }
    }
    // Level mode holds the height: no rise. Free mode rises again.
    const held = await grab(page);
    await press('1');
    assert.equal(differing(await press(' '), held), 0, 'space rose in level mode');
    await press('2');
    assert.ok(differing(await press(' '), held) > 0, 'space did not rise in free mode');
  });

  it('keeps the GPU memory flat over 300 frames', async (t) => {
    const n = await swaps(page);
    for (let k = 0; k < 150; k++) await page.mouse.click(500, 250, { button: 'left' });
    await waitForSwaps(page, n + 300);
    const end = gpuProcessMiB();
    const growth = `GPU process ${firstFrameMiB.toFixed(0)} MiB at the first frame, ${end.toFixed(0)} MiB ${await swaps(page)} frames later`;
    t.diagnostic(growth);
    // Each frame's mesh is 8 MiB: a buffer held per frame would add hundreds.
    assert.ok(end - firstFrameMiB < 128, growth);
  });

  it('Escape ends the program with status 1; later keys and clicks are ignored', async () => {
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => Module.exitStatus !== undefined, { timeout: 10000 });
    assert.equal(await page.evaluate(() => Module.exitStatus), 1);
    const lines = (await page.evaluate(() => document.getElementById('output').textContent));
    assert.match(lines, /The flight has ended \(status 1\)\. Reload the page to start a new one\.$/);
    const n = await swaps(page);
    await page.keyboard.press('w');
    await page.keyboard.press('F5');
    await page.mouse.click(500, 250);
    await page.evaluate(() => new Promise((r) => setTimeout(r, 300)));
    assert.equal(await swaps(page), n, 'frames drawn after the end');
  });

  it('raised no page error and no console error in the whole run', () => {
    const consoleErrors = session.messages.filter((m) => m.type === 'error').map((m) => m.text);
    assert.deepEqual({ pageErrors: session.errors, consoleErrors }, { pageErrors: [], consoleErrors: [] });
  });
});
