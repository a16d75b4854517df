// The page: files dropped or picked are read here and converted in turn by the worker, each shown
// with its status, what went wrong and where, what the motion holds, and its download.
'use strict';

const japanese = (navigator.language || '').toLowerCase().startsWith('ja');
const words = {
  lead: [
    'Converts motion files (.qlx) to CSV and back, in this page. Nothing is installed, and no file leaves this computer: no upload, no fonts, no analytics.',
    'モーションファイル（.qlx）とCSVを、このページの中で相互に変換します。インストールは不要で、ファイルはこのコンピューターから出ません（アップロード、フォント、アクセス解析なし）。',
  ],
  drop: ['Drop .qlx and .csv files here, or', '.qlx と .csv ファイルをここにドロップするか、'],
  pick: ['choose files', 'ファイルを選ぶ'],
  zip: ['Save all as one zip', 'すべてをzipで保存'],
  read: ['bytes read', 'バイト読み込み済み'],
  save: ['Save', '保存'],
  model: ['Model', 'モデル'],
  keys: ['Keys', 'キー'],
  frames: ['Frames', 'フレーム'],
  bone: ['Bone', 'ボーン'],
  names: ['Bone names', 'ボーン名'],
  tables: [
    ['bones', 'morphs', 'cameras', 'lights'],
    ['ボーン', 'モーフ', 'カメラ', '照明'],
  ],
};
const say = (key) => words[key][japanese ? 1 : 0];

const element = (tag, attributes = {}, ...children) => {
  const made = Object.assign(document.createElement(tag), attributes);
  made.append(...children);
  return made;
};

const worker = new Worker(
  URL.createObjectURL(
    new Blob([document.getElementById('worker-source').textContent], { type: 'text/javascript' }),
  ),
);
const queue = [];
const outputs = [];

// The motion as a person would look at it: the model, the keys of each table, the frames they
// span, and each bone with its keys.
function summary(motion) {
  const counts = [motion.bones, motion.morphs, motion.cameras, motion.lights]
    .map((count, k) => `${say('tables')[k]} ${count.toLocaleString()}`)
    .join(' · ');
  const frames = motion.frames ? `${motion.frames[0]}–${motion.frames[1]}` : '—';
  const bones = element('table', { className: 'bones' });
  bones.append(element('tr', {}, element('th', {}, say('bone')), element('th', {}, say('keys'))));
  for (const [name, keys] of motion.boneKeys) {
    bones.append(element('tr', {}, element('td', {}, name), element('td', {}, String(keys))));
  }
  const row = (term, ...value) => [element('dt', {}, term), element('dd', {}, ...value)];
  return element(
    'div',
    { className: 'motion' },
    element(
      'dl',
      {},
      ...row(say('model'), element('b', {}, motion.model)),
      ...row(say('keys'), counts),
      ...row(say('frames'), frames),
    ),
    element('details', {}, element('summary', {}, `${say('names')}: ${motion.boneKeys.length}`), bones),
  );
}

function show(card, result) {
  card.progress.remove();
  card.read.remove();
  card.root.classList.add(result.status === 0 ? 'ok' : 'failed');
  const status = result.status === undefined ? result.message : `${result.message} (${result.status})`;
  card.root.append(element('p', { className: 'status' }, status));
  if (result.lines.length) {
    card.root.append(element('ul', {}, ...result.lines.map((line) => element('li', {}, line))));
  }
  if (result.output) {
    const { name, blob } = result.output;
    outputs.push({ name, blob });
    card.root.append(
      element(
        'a',
        { className: 'save', href: URL.createObjectURL(blob), download: name },
        `${say('save')} ${name}`,
      ),
    );
  }
  if (result.motion) card.root.append(summary(result.motion));
  document.getElementById('zip').hidden = outputs.length < 2;
}

// Reads the running file in slices, a few at a time (the browser reads them faster so), and
// sends them to the worker in order as they come, while it converts; says how much is read.
async function read(running) {
  const { id, card, name, file } = running;
  const kSlice = 8 << 20;
  const count = Math.ceil(file.size / kSlice);
  const arrived = new Map();
  let [asked, sent] = [0, 0];
  const reader = async () => {
    while (asked < count && running === current) {
      const k = asked++;
      const slice = await file.slice(k * kSlice, (k + 1) * kSlice).arrayBuffer();
      if (slice.byteLength !== Math.min(kSlice, file.size - k * kSlice)) {
        throw new Error(`${name} was cut while it was read`);
      }
      arrived.set(k, slice);
      for (; arrived.has(sent) && running === current; sent++) {
        worker.postMessage({ id, slice: arrived.get(sent) }, [arrived.get(sent)]);
        arrived.delete(sent);
        const read = Math.min(file.size, (sent + 1) * kSlice);
        card.progress.value = read;
        card.read.textContent = `${read.toLocaleString()} / ${file.size.toLocaleString()} ${say('read')}`;
      }
    }
  };
  try {
    await Promise.all([reader(), reader(), reader(), reader()]);
  } catch (error) {
    // The browser could not read the file (it changed after it was chosen, say): no more is read.
    asked = count;
    worker.postMessage({ id, failed: String(error.message ?? error) });
  }
}

let current = null;
let lastId = 0;

function next() {
  if (current || !queue.length) return;
  current = { ...queue.shift(), id: ++lastId };
  const { id, card, name, file } = current;
  worker.postMessage({ id, name, size: file ? file.size : null, japanese: japanese ? 1 : 0 });
  card.progress.max = file ? file.size : 1;
  if (file) read(current);
}

worker.onmessage = ({ data }) => {
  if (data.id !== current?.id) return;
  show(current.card, data.result ?? { message: data.error, lines: [] });
  current = null;
  next();
};

// A file, or a folder where `file` is null, to convert after those before it.
function add(name, file) {
  const progress = element('progress', { value: 0 });
  const read = element('span', { className: 'read' });
  const root = element('li', { className: 'file' }, element('h2', {}, name), progress, read);
  document.getElementById('files').append(root);
  queue.push({ card: { root, progress, read }, name, file });
  next();
}

const drop = document.getElementById('drop');
const picker = document.getElementById('picker');
drop.addEventListener('dragover', (event) => {
  event.preventDefault();
  drop.classList.add('over');
});
drop.addEventListener('dragleave', () => drop.classList.remove('over'));
drop.addEventListener('drop', (event) => {
  event.preventDefault();
  drop.classList.remove('over');
  for (const item of event.dataTransfer.items) {
    const entry = item.webkitGetAsEntry?.();
    const file = item.getAsFile();
    if (entry?.isDirectory) add(entry.name, null);
    else if (file) add(file.name, file);
  }
});
picker.addEventListener('change', () => {
  for (const file of picker.files) add(file.name, file);
  picker.value = '';
});

// Outputs of one name, in any case, are kept apart in the zip: "walk (2).csv".
document.getElementById('zip').addEventListener('click', async () => {
  const taken = new Map();
  const files = outputs.map(({ name, blob }) => {
    const key = name.toLowerCase();
    const count = (taken.get(key) ?? 0) + 1;
    taken.set(key, count);
    const dot = name.lastIndexOf('.');
    return { name: count === 1 ? name : `${name.slice(0, dot)} (${count})${name.slice(dot)}`, blob };
  });
  const zip = await Zip.zip(files);
  const link = element('a', { href: URL.createObjectURL(zip), download: 'QLXConverter.zip' });
  link.click();
});

document.documentElement.lang = japanese ? 'ja' : 'en';
document.getElementById('lead').textContent = say('lead');
document.getElementById('drop-text').textContent = say('drop');
document.getElementById('pick').textContent = say('pick');
document.getElementById('zip').textContent = say('zip');
