// The page against the desktop program: with the web's random source
// preloaded into the desktop program, both grow the same world for the same
// clock second, so after the same keys and clicks their frames must agree up
// to what two rasterizers (llvmpipe, SwiftShader) do differently. A wrong
// camera, a black mesh or missing trees differ by thousands of pixels.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { after, before, describe, it } from 'node:test';

import { census, differing, grab, openPage, pictureFromPng, swaps, waitForSwaps } from './page.mjs';

const seed = 1700000300;
// Name, then xdotool keys or a click, as verdalo_frames takes them.
const steps = [
  ['start', ''], ['turn', 'd d d'], ['look-down', 'f f f'], ['walk', 'w w w'],
  ['billboards-off', 'click:3'], ['rise', 'space space'], ['zoom', 'x x x'], ['f5', 'F5'],
];
const pageKeys = { space: ' ', F5: 'F5' };

let session, native;

describe('the page and the desktop program', { concurrency: false }, () => {
  before(async () => {
    for (const need of ['VERDALO_NATIVE_FRAMES', 'VERDALO_MUSL_RAND', 'VERDALO_CENSUS'])
      assert.ok(fs.existsSync(process.env[need] || ''), `${need} (${process.env[need]}) not built: make test builds build/ first`);
    const files = execFileSync(process.env.VERDALO_NATIVE_FRAMES, [String(seed), process.env.VERDALO_WEB_SHOTS, ...steps.map(([n, a]) => `native-${n}=${a}`)],
      { env: { ...process.env, VERDALO_PRELOAD: process.env.VERDALO_MUSL_RAND }, stdio: ['ignore', 'pipe', 'inherit'] })
      .toString().trim().split('\n');
    native = new Map(steps.map(([name], k) => [name, pictureFromPng(fs.readFileSync(files[k]))]));
    session = await openPage(seed);
  });
  after(async () => { if (session) await session.close(); });

  for (const [name, action] of steps) {
    it(`agree after ${name}${action ? ` (${action})` : ''}`, async (t) => {
      const page = session.page;
      const n = await swaps(page);
      let frames = 0;
      if (action.startsWith('click:')) {
        await page.mouse.click(500, 250, { button: action === 'click:3' ? 'right' : 'left' });
        frames = 2;
      } else if (action) {
        for (const key of action.split(' ')) {
          await page.keyboard.press(pageKeys[key] || key);
          frames += 2;
        }
      }
      await waitForSwaps(page, n + frames);
      const web = await grab(page, `compare-${name}`);
      const desktop = native.get(name);
      const off = differing(web, desktop, 24);
      const counts = `page ${JSON.stringify(census(web))}, desktop ${JSON.stringify(census(desktop))}`;
      t.diagnostic(`${off} pixels differ by more than 24`);
      assert.ok(off < 500, `${off} pixels differ by more than 24; ${counts}`);
    });
  }
});
