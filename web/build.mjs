// Builds the page as one HTML file: its style, its script and the worker's, and the module
// inside the worker's script, so that it opens from the disk as well as from any host.
// node web/build.mjs MODULE.wasm OUT.html
import { readFileSync, writeFileSync } from 'node:fs';

const [modulePath, outPath] = process.argv.slice(2);
const source = (name) => readFileSync(new URL(name, import.meta.url), 'utf8');
const module = readFileSync(modulePath).toString('base64');
const worker = `${source('core.js')}\nconst QLX_MODULE = '${module}';\n${source('worker.js')}`;
const page = `${source('zip.js')}\n${source('page.js')}`;
for (const [name, text] of [['worker', worker], ['page', page]]) {
  if (/<\/script/i.test(text)) throw new Error(`the ${name} script would end its element early`);
}
// Replacements are functions, so that a "$" in the sources stays as it is.
const html = source('index.html')
  .replace('/*STYLE*/', () => source('page.css'))
  .replace('/*WORKER*/', () => worker)
  .replace('/*PAGE*/', () => page);
writeFileSync(outPath, html);
