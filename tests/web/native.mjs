// The native converter as the web tests' oracle: a file (or a folder, where `bytes` is null)
// converted in a folder of its own, in English, as the command line prints it into a file.
import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const shiftJis = new TextDecoder('shift_jis');

// The name the command line gives the output of `name`.
export const outputNameOf = (name) =>
  name.replace(/\.(qlx|csv)$/i, (e) => (e.toLowerCase() === '.qlx' ? '.csv' : '.qlx'));

// Status, message, what was said after it (`rest`, and as `lines` without their indent), and the
// output ({name, bytes}) where there is one.
export function nativeRun(native, work, name, bytes) {
  const dir = mkdtempSync(join(work, 'n'));
  if (bytes === null) mkdirSync(join(dir, name));
  else writeFileSync(join(dir, name), bytes);
  const run = spawnSync(native, [name], {
    cwd: dir,
    env: { ...process.env, LANG: 'C', LC_ALL: '', LC_MESSAGES: '', QLXCONVERTER_NO_PAUSE: '1' },
  });
  const said = shiftJis.decode(run.stderr).split('\n');
  const outputName = outputNameOf(name);
  const output = existsSync(join(dir, outputName)) ? { name: outputName, bytes: readFileSync(join(dir, outputName)) } : null;
  rmSync(dir, { recursive: true });
  return {
    status: run.status > 127 ? run.status - 256 : run.status,
    message: said[1],
    rest: said.slice(2).join('\n'),
    lines: said.slice(2, -1).map((line) => line.slice(2)),
    output,
  };
}
