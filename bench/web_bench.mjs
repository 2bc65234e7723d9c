// `make bench-web`: the browser's figures, in the system's headless Chromium
// with WebGL on SwiftShader: a frame of the start view against its floor in
// the same page (bench.html), and the page's load to its first frame.
import { openPage } from '../tests/web/page.mjs';

const session = await openPage(6, 'bench.html');
const line = await new Promise((resolve, reject) => {
  const timer = setTimeout(() => reject(new Error('the bench page printed nothing: ' + JSON.stringify([session.errors, session.messages.slice(-5)]))), Number(process.env.BENCH_WAIT_MS || 120000));
  const look = () => {
    const found = session.messages.find((m) => /^(frame, start view|verdalo_web_bench:)/.test(m.text));
    if (!found) setTimeout(look, 100);
    else if (found.text.startsWith('verdalo_web_bench:')) { clearTimeout(timer); reject(new Error(found.text)); }
    else { clearTimeout(timer); resolve(found.text); }
  };
  look();
});
const version = await session.browser.version();
await session.close();
console.log(`${version}, WebGL on SwiftShader; world of seed 6`);
console.log(line);

// Navigation start to the first buffer swap, over five loads of the real page.
const loads = [];
for (let k = 0; k < 5; k++) {
  const page = await openPage(1700000300);
  loads.push(await page.page.evaluate(() => Module.firstFrameMs));
  await page.close();
}
const mean = loads.reduce((a, b) => a + b, 0) / loads.length;
console.log(`page load to first frame: ${mean.toFixed(0)} ms (mean of 5; ${loads.map((t) => t.toFixed(0)).join(', ')})`);
