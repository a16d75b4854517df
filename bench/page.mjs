// The page's conversion of a motion, both ways, in headless Chromium beside the native converter
// as a whole process: the medians and ranges of each, their ratio, and the renderer's peak memory
// (VmHWM) against the input and output sizes. Each page run is a fresh tab in a fresh browser, so
// the peak is that run's; it is timed in the page, from the file given to its result shown.
//   node bench/page.mjs PAGE.html NATIVE MOTION.qlx RUNS
import { spawnSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { basename, join, resolve } from 'node:path';

const [pagePath, native, motion, runs] = process.argv.slice(2);
const puppeteer = createRequire(new URL('../tests/web/package.json', import.meta.url))('puppeteer-core');
const work = mkdtempSync(join(tmpdir(), 'qlx-page-bench-'));
const median = (t) => [...t].sort((a, b) => a - b)[Math.floor(t.length / 2)];
const row = (t) => `${median(t).toFixed(3)} ${Math.min(...t).toFixed(3)}-${Math.max(...t).toFixed(3)}`;

function nativeSeconds(input) {
  const start = performance.now();
  spawnSync(resolve(native), [input], { env: { ...process.env, QLXCONVERTER_NO_PAUSE: '1' } });
  return (performance.now() - start) / 1000;
}

async function pageRun(input) {
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--renderer-process-limit=1'],
    userDataDir: mkdtempSync(join(work, 'profile-')),
  });
  try {
    const page = await browser.newPage();
    await page.goto(`file://${resolve(pagePath)}`);
    // Timed in the page: from the file given to its result shown.
    await page.evaluate(() => {
      window.timed = {};
      document.getElementById('picker').addEventListener('change', () => (timed.start = performance.now()), true);
      new MutationObserver(() => {
        timed.end ??= document.querySelector('.file.ok, .file.failed') ? performance.now() : undefined;
      }).observe(document.body, { subtree: true, childList: true, attributes: true });
    });
    await (await page.$('#picker')).uploadFile(input);
    await page.waitForSelector('.file.ok, .file.failed', { timeout: 600000 });
    const seconds = await page.evaluate(() => (timed.end - timed.start) / 1000);
    const info = await (await browser.target().createCDPSession()).send('SystemInfo.getProcessInfo');
    const renderer = info.processInfo.find((p) => p.type === 'renderer');
    const status = readFileSync(`/proc/${renderer.id}/status`, 'utf8');
    return { seconds, peak: Number(/VmHWM:\s+(\d+)/.exec(status)[1]) * 1024 };
  } finally {
    await browser.close();
    await new Promise((done) => setTimeout(done, 500)); // the browser's processes end
  }
}

const csv = join(work, basename(motion).replace(/\.qlx$/, '.csv'));
copyFileSync(motion, join(work, basename(motion)));
nativeSeconds(join(work, basename(motion)));
const sizes = { qlx: statSync(motion).size, csv: statSync(csv).size };
console.log('way     page-median range           native-median range     x-native  peak-MB  x-io');
for (const [way, input, output] of [['export', join(work, basename(motion)), 'csv'], ['import', csv, 'qlx']]) {
  const page = [];
  const peaks = [];
  const alone = [];
  for (let k = 0; k < Number(runs); k++) {
    const run = await pageRun(input);
    page.push(run.seconds);
    peaks.push(run.peak);
    alone.push(nativeSeconds(input));
  }
  const io = sizes[way === 'export' ? 'qlx' : 'csv'] + sizes[output];
  const peak = Math.max(...peaks);
  console.log(`${way.padEnd(7)} ${row(page).padEnd(23)} ${row(alone).padEnd(23)} ${(median(page) / median(alone)).toFixed(2).padStart(8)} ${(peak / 2 ** 20).toFixed(0).padStart(8)} ${(peak / io).toFixed(2).padStart(5)}`);
}
rmSync(work, { recursive: true, force: true });
