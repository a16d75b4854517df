// The WebAssembly core under Node.js against the native executable as oracle: every input of the
// fuzz corpora, the example and generated motions (a million keys among them), both ways, give
// the same status, message, lines and output bytes (lines that quote a file's bytes compared by
// their ASCII: the console's code page does not carry every byte back). Where outputs differ, the CSV lines that
// differ are named, as a math library that rounds an angle otherwise would show.
//   node tests/web/core_test.mjs MODULE.wasm NATIVE_EXECUTABLE MAKE_MOTION
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { basename, join, resolve } from 'node:path';
import { nativeRun, outputNameOf } from './native.mjs';

const [modulePath, native, makeMotion] = process.argv.slice(2).map((path) => resolve(path));
const root = new URL('../../', import.meta.url).pathname;
const QlxCore = createRequire(import.meta.url)(join(root, 'web/core.js'));
const converter = await QlxCore.load(readFileSync(modulePath));
const work = mkdtempSync(join(tmpdir(), 'qlx-core-'));
let failures = 0;

// Bytes already in memory, as the converter takes a file's bytes.
const inMemory = (bytes) => ({
  ready: async () => {},
  copy: (offset, into) => {
    const part = bytes.subarray(offset, offset + into.length);
    into.set(part);
    return part.length;
  },
});

// Text without what a console's code page may not carry back: printable ASCII alone.
const skeleton = (text) => text.replace(/[^\x20-\x7e]/g, '');

// The CSV lines of two outputs that differ, or the first differing byte of a motion file.
function differences(a, b) {
  const linesA = a.toString('latin1').split('\r\n');
  const linesB = b.toString('latin1').split('\r\n');
  const named = [];
  for (let k = 0; k < Math.max(linesA.length, linesB.length) && named.length < 5; k++) {
    if (linesA[k] === linesB[k]) continue;
    const [fieldsA, fieldsB] = [linesA[k].split(','), (linesB[k] ?? '').split(',')];
    const fields = fieldsA.flatMap((field, f) => (field === fieldsB[f] ? [] : [`column ${f + 1}: ${field} here, ${fieldsB[f]} natively`]));
    named.push(`line ${k + 1}, ${fields.join(', ')}`);
  }
  return named.join('\n  ');
}

async function check(name, bytes) {
  const page = await converter.convert(name, bytes.length, inMemory(bytes), 0);
  const oracle = nativeRun(native, work, name, bytes);
  const fault = [];
  if (page.output && page.output.name !== outputNameOf(name)) fault.push(`output ${page.output.name}`);
  if (page.status !== oracle.status) fault.push(`status ${page.status}, natively ${oracle.status}`);
  if (page.message !== oracle.message) fault.push(`message ${page.message}, natively ${oracle.message}`);
  // Lines that quote a file's bytes are compared by their ASCII, which the console keeps.
  const lines = page.lines.map((line) => `  ${line}\n`).join('');
  if (lines !== oracle.rest && skeleton(lines) !== skeleton(oracle.rest)) {
    fault.push(`lines ${JSON.stringify(page.lines)}, natively ${JSON.stringify(oracle.rest)}`);
  }
  const pageOutput = page.output ? Buffer.from(await page.output.blob.arrayBuffer()) : null;
  page.bytes = pageOutput;
  if (!pageOutput !== !oracle.output) fault.push(`an output ${pageOutput ? 'only here' : 'only natively'}`);
  else if (pageOutput && !pageOutput.equals(oracle.output.bytes)) {
    fault.push(`other output bytes:\n  ${differences(pageOutput, oracle.output.bytes)}`);
  }
  if (fault.length) {
    failures++;
    console.log(`FAILED ${name}: ${fault.join('; ')}`);
  }
  return page;
}

// The corpora: every file as a CSV (import) or a motion file (export).
let count = 0;
for (const [folder, extension] of [['import', '.csv'], ['load', '.qlx']]) {
  const dir = join(root, 'tests/fuzz/corpus', folder);
  for (const file of readdirSync(dir)) {
    await check(`in${extension}`, readFileSync(join(dir, file)));
    count++;
  }
}
console.log(`corpora: ${count} inputs`);

// A file the module cannot hold: the words of exhausted memory, the size asked for in them; and
// the next file converts in a fresh module.
const held = await converter.convert('huge.qlx', 4e9, inMemory(Buffer.alloc(0)), 0);
const asked = 'the conversion asked for 3,815 MB of memory, more than the system could give';
if (held.status !== -5 || held.lines.join() !== asked || held.output) {
  failures++;
  console.log(`FAILED a file larger than the module's memory: ${JSON.stringify(held)}`);
}

// The example both ways, and generated motions whose rotations are random, of up to a million
// keys, both ways.
const example = readFileSync(join(root, 'examples/walk.csv'));
const motion = (await check('walk.csv', example)).bytes;
await check('walk.qlx', Buffer.from(motion));
for (const [bones, extra] of [[3000, ['300', '300', '300']], [1000000, []]]) {
  const path = join(work, `made${bones}.qlx`);
  execFileSync(makeMotion, [String(bones), path, ...extra]);
  const made = readFileSync(path);
  const csv = (await check(basename(path), made)).bytes;
  await check(`made${bones}.csv`, Buffer.from(csv));
  console.log(`${bones} bone keys both ways`);
}

rmSync(work, { recursive: true });
console.log(failures ? `${failures} FAILED` : 'all as the native converter');
process.exit(failures ? 1 : 0);
