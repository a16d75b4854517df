// The page's worker: converts the files the page sends, one at a time, so that the page never
// waits. The page reads each file and sends its bytes in slices, in order, as they come; the
// conversion takes them as it needs them, before the last has come where the module can wait.
'use strict';

const converter = QlxCore.load(Uint8Array.from(atob(QLX_MODULE), (c) => c.charCodeAt(0)));

// The bytes of the file being converted, as they come: slices in order, or a failed read.
class Arrivals {
  constructor(size) {
    this.size = size;
    this.slices = [];
    this.starts = [];
    this.received = 0;
    this.failure = null;
    this.waiting = [];
  }

  add(slice) {
    this.starts.push(this.received);
    this.slices.push(new Uint8Array(slice));
    this.received += slice.byteLength;
    this.settle();
  }

  fail(message) {
    this.failure = new Error(message);
    this.settle();
  }

  settle() {
    this.waiting = this.waiting.filter(({ end, done, failed }) => {
      if (this.failure) failed(this.failure);
      else if (this.received >= end) done();
      else return true;
      return false;
    });
  }

  ready(end) {
    return new Promise((done, failed) => {
      this.waiting.push({ end: Math.min(end, this.size), done, failed });
      this.settle();
    });
  }

  copy(offset, into) {
    let copied = 0;
    // The last slice that starts at or before the offset, then those after it.
    let k = this.starts.findLastIndex((start) => start <= offset);
    for (; k >= 0 && k < this.slices.length && copied < into.length; k++) {
      const part = this.slices[k].subarray(offset + copied - this.starts[k]);
      const taken = part.subarray(0, into.length - copied);
      into.set(taken, copied);
      copied += taken.length;
    }
    return copied;
  }
}

let arrivals = null;

onmessage = async ({ data }) => {
  if (data.slice || data.failed) {
    if (data.id === arrivals?.id) data.slice ? arrivals.add(data.slice) : arrivals.fail(data.failed);
    return;
  }
  const { id, name, size, japanese } = data;
  arrivals = Object.assign(new Arrivals(size ?? 0), { id });
  try {
    const result = await (await converter).convert(name, size, arrivals, japanese);
    postMessage({ id, result });
  } catch (error) {
    postMessage({ id, error: String(error) });
  } finally {
    arrivals = null;
  }
};
