// The page's worker: converts the files the page sends, one at a time, so that the page never
// waits; reads each in slices straight into the module's memory, saying how many bytes it has read.
'use strict';

const kSlice = 8 << 20;
const converter = QlxCore.load(Uint8Array.from(atob(QLX_MODULE), (c) => c.charCodeAt(0)));

onmessage = async ({ data: { name, file, japanese } }) => {
  try {
    const fill = async (memory, at) => {
      for (let read = 0; read < file.size; ) {
        const slice = new Uint8Array(await file.slice(read, read + kSlice).arrayBuffer());
        if (!slice.length) throw new Error(`${name} was cut while it was read`);
        new Uint8Array(memory.buffer, at + read, slice.length).set(slice);
        read += slice.length;
        postMessage({ read });
      }
    };
    const result = await (await converter).convert(name, file ? file.size : null, fill, japanese);
    postMessage({ result });
  } catch (error) {
    postMessage({ error: String(error) });
  }
};
