// The page in a real headless Chromium, opened from the disk with the network cut: files set on
// its file input and dropped on it (a folder too) convert as the command line converts them, the
// downloads and the zip byte for byte the native outputs, with the same status and words; a CSV
// with a deleted key gives -2 and names its line, with no download; no request leaves the page;
// the same downloads where the browser cannot let the module wait for bytes, so each file is read
// whole first; a read that fails midway fails its file alone. A screenshot of the page is kept.
//   node tests/web/page_test.mjs PAGE.html NATIVE MAKE_MOTION SCREENSHOT.png
import { execFileSync, spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';
import { nativeRun } from './native.mjs';

const [pagePath, native, makeMotion, screenshot] = process.argv.slice(2).map((p) => resolve(p));
const root = new URL('../../', import.meta.url).pathname;
const work = mkdtempSync(join(tmpdir(), 'qlx-page-'));
const [inputs, downloads] = [join(work, 'in'), join(work, 'downloads')];
mkdirSync(inputs);
mkdirSync(downloads);
const failures = [];
const expect = (ok, what) => ok || failures.push(what);

// The inputs: the example both ways, a million keys, a CSV of 100,000, the example in UTF-16 and
// as Calc saves it, with a bone key deleted, in capitals beside itself, and a folder.
const example = readFileSync(join(root, 'examples/walk.csv'));
writeFileSync(join(inputs, 'walk.csv'), example);
writeFileSync(join(inputs, 'WALK.CSV'), example);
execFileSync(native, ['walk.csv'], { cwd: inputs, env: { ...process.env, QLXCONVERTER_NO_PAUSE: '1' }, stdio: 'ignore' });
execFileSync(makeMotion, ['1000000', join(inputs, 'million.qlx')]);
// A CSV of several of the slices the page reads, converted as its slices come.
execFileSync(makeMotion, ['100000', join(inputs, 'many.qlx')]);
execFileSync(native, ['many.qlx'], { cwd: inputs, env: { ...process.env, QLXCONVERTER_NO_PAUSE: '1' }, stdio: 'ignore' });
const text = new TextDecoder('shift_jis').decode(example);
writeFileSync(join(inputs, 'utf16.csv'), Buffer.from(`\ufeff${text}`, 'utf16le'));
const rows = example.toString('latin1').split('\r\n');
rows.splice(3, 1); // the first bone key
writeFileSync(join(inputs, 'deleted.csv'), Buffer.from(rows.join('\r\n'), 'latin1'));
mkdirSync(join(inputs, 'folder.qlx'));
const picked = ['walk.csv', 'walk.qlx', 'million.qlx', 'many.csv', 'utf16.csv'];
const dropped = ['deleted.csv', 'WALK.CSV', 'folder.qlx'];
const calc = spawnSync('soffice', ['--headless', '--norestore', `-env:UserInstallation=file://${work}/profile`,
  '--infilter=CSV:44,34,64,1', '--convert-to', 'csv:Text - txt - csv (StarCalc):44,34,64', '--outdir', join(work, 'calc'), join(inputs, 'walk.csv')]);
if (calc.status === 0 && existsSync(join(work, 'calc/walk.csv'))) {
  writeFileSync(join(inputs, 'calc.csv'), readFileSync(join(work, 'calc/walk.csv')));
  picked.push('calc.csv');
} else {
  console.log('skipped the file Calc saves: LibreOffice Calc is not installed');
}
const expected = new Map([...picked, ...dropped].map((n) => [n, nativeRun(native, work, n, n === 'folder.qlx' ? null : readFileSync(join(inputs, n)))]));

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  args: ['--no-sandbox', '--lang=en-US', '--disable-gpu'],
  userDataDir: join(work, 'profile-chromium'),
});
try {
  const page = await browser.newPage();
  const requests = [];
  page.on('request', (request) => /^(file|data|blob):/.test(request.url()) || requests.push(request.url()));
  await page.setOfflineMode(true);
  const session = await browser.target().createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads, eventsEnabled: true });
  const done = new Set();
  session.on('Browser.downloadProgress', (e) => e.state === 'completed' && done.add(e.guid));
  // Until `count` files are shown converted or failed; until `count` downloads have completed.
  const settled = (tab, count) => tab.waitForFunction((n) => document.querySelectorAll('.file.ok, .file.failed').length === n, { timeout: 300000 }, count);
  const downloadsDone = async (count) => {
    for (let wait = 0; done.size < count && wait < 600; wait++) await new Promise((r) => setTimeout(r, 100));
  };
  // Whether the download in `folder` of the output of `name` holds the native output's bytes.
  const downloadedAsNative = (folder, name) => {
    const want = expected.get(name).output;
    return existsSync(join(folder, want.name)) && readFileSync(join(folder, want.name)).equals(want.bytes);
  };
  // The page in a tab of its own, `hook` run there before the page's scripts.
  const opened = async (hook) => {
    const tab = await browser.newPage();
    await tab.evaluateOnNewDocument(hook);
    await tab.goto(`file://${pagePath}`);
    return tab;
  };
  await page.goto(`file://${pagePath}`);

  await (await page.$('#picker')).uploadFile(...picked.map((n) => join(inputs, n)));
  // Long work shows the bytes read as it goes, the page answering meanwhile.
  const million = statSync(join(inputs, 'million.qlx')).size.toLocaleString('en-US');
  const reading = await page.waitForFunction((total) => new RegExp(`[\\d,]+ / ${total} bytes read`).exec(document.body.textContent)?.[0], { timeout: 120000 }, million);
  console.log(`while the million keys are read the page shows "${await reading.jsonValue()}"`);
  const box = await (await page.$('#drop')).boundingBox();
  const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
  const data = { items: [], files: dropped.map((n) => join(inputs, n)), dragOperationsMask: 1 };
  const cdp = await page.createCDPSession();
  for (const type of ['dragEnter', 'dragOver', 'drop']) await cdp.send('Input.dispatchDragEvent', { type, x, y, data });

  const count = picked.length + dropped.length;
  await settled(page, count);
  const cards = await page.$$eval('.file', (all) => all.map((card) => ({
    name: card.querySelector('h2').textContent,
    status: card.querySelector('.status').textContent,
    lines: [...card.querySelectorAll('ul li')].map((li) => li.textContent),
    save: card.querySelector('a.save')?.download ?? null,
    model: card.querySelector('.motion b')?.textContent ?? null,
  })));
  expect(cards.length === count, `${cards.length} files shown of ${count}`);
  let downloaded = 0;
  for (const [k, card] of cards.entries()) {
    const want = expected.get(card.name);
    const shown = `${want.message} (${want.status})`;
    expect(card.status === shown, `${card.name}: "${card.status}", natively "${shown}"`);
    expect(JSON.stringify(card.lines) === JSON.stringify(want.lines), `${card.name}: lines ${JSON.stringify(card.lines)}, natively ${JSON.stringify(want.lines)}`);
    expect(card.save === (want.output?.name ?? null), `${card.name}: offers ${card.save}, natively ${want.output?.name}`);
    expect(!want.output || card.model === '森野ユラ' || /^(million|many)/.test(card.name), `${card.name}: model ${card.model}`);
    if (card.save) {
      await page.click(`.file:nth-child(${k + 1}) a.save`);
      downloaded++;
    }
  }
  await page.click('#zip');
  await downloadsDone(downloaded + 1);
  for (const [name, want] of expected) {
    if (want.output) expect(downloadedAsNative(downloads, name), `${name}: the download differs from the native output`);
  }
  // The zip holds every output, the two of one name kept apart, each the native bytes.
  const listed = execFileSync('python3', ['-c', 'import sys, zipfile, hashlib\nfor i in zipfile.ZipFile(sys.argv[1]).infolist(): print(i.filename, hashlib.sha256(zipfile.ZipFile(sys.argv[1]).read(i)).hexdigest(), sep="\\t")', join(downloads, 'QLXConverter.zip')], { encoding: 'utf8' });
  const zipped = new Map(listed.trim().split('\n').map((line) => line.split('\t')));
  const sha = (bytes) => createHash('sha256').update(bytes).digest('hex');
  for (const [name, want] of expected) {
    if (!want.output) continue;
    const zipName = name === 'WALK.CSV' ? 'WALK (2).qlx' : want.output.name;
    expect(zipped.get(zipName) === sha(want.output.bytes), `the zip's ${zipName} differs from ${name}'s native output`);
  }
  // As a browser without JavaScript Promise Integration runs it (Firefox and Safari today): each
  // file is read whole before it converts, with the same outputs.
  const wholeDownloads = join(work, 'whole');
  mkdirSync(wholeDownloads);
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: wholeDownloads, eventsEnabled: true });
  const plain = await opened(() => {
    const PageBlob = Blob;
    window.Blob = class extends PageBlob {
      constructor(parts, options) {
        super(options?.type === 'text/javascript' ? ['delete WebAssembly.Suspending;\n', ...parts] : parts, options);
      }
    };
  });
  const whole = ['many.csv', 'utf16.csv', 'walk.qlx'];
  await (await plain.$('#picker')).uploadFile(...whole.map((n) => join(inputs, n)));
  await settled(plain, whole.length);
  const before = done.size;
  for (const link of await plain.$$('a.save')) await link.click();
  await downloadsDone(before + whole.length);
  for (const name of whole) {
    expect(downloadedAsNative(wholeDownloads, name), `${name}, read whole first: the download differs from the native output`);
  }
  await plain.close();

  // A read that fails while a CSV streams in (the file changed on the disk, say) fails that file
  // with the words of a file that cannot be read, and no download; the next file converts.
  const failing = await opened(() => {
    const read = Blob.prototype.arrayBuffer;
    let reads = 0;
    Blob.prototype.arrayBuffer = function () {
      return ++reads === 2 ? Promise.reject(new DOMException('gone', 'NotReadableError')) : read.call(this);
    };
  });
  await (await failing.$('#picker')).uploadFile(join(inputs, 'many.csv'), join(inputs, 'walk.csv'));
  await settled(failing, 2);
  const [lost, after] = await failing.$$eval('.file', (all) => all.map((card) => [card.querySelector('.status').textContent, card.querySelector('ul li')?.textContent, !!card.querySelector('a.save')]));
  expect(/\(-1\)$/.test(lost[0]) && /^the file cannot be read/.test(lost[1]) && !lost[2], `a read that fails: ${JSON.stringify(lost)}`);
  expect(after[0] === `${expected.get('walk.csv').message} (0)` && after[2], `the file after a failed read: ${JSON.stringify(after)}`);
  await failing.close();

  const deleted = cards.find((card) => card.name === 'deleted.csv');
  expect(deleted.status.endsWith('(-2)') && /^line \d+ /.test(deleted.lines[0]) && !deleted.save, `deleted.csv: ${JSON.stringify(deleted)}`);
  expect(requests.length === 0, `requests left the page: ${requests.join(' ')}`);
  await page.screenshot({ path: screenshot, fullPage: true });
} finally {
  await browser.close();
  rmSync(work, { recursive: true, force: true });
}
for (const failure of failures) console.log(`FAILED ${failure}`);
console.log(failures.length ? `${failures.length} FAILED` : 'the page converts as the command line does');
process.exit(failures.length ? 1 : 0);
