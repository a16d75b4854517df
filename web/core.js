// The converter's module, run where the page's worker or Node.js runs it: a file's name and bytes
// in, the result the command line would give out. The module imports only WASI's plainest calls;
// a module that ran out of memory ends itself, and the next file gets a fresh one. Where the
// engine lets a module wait on a promise (JavaScript Promise Integration), a CSV converts while it
// is still being read: the module asks for its bytes with `fd_pread` and waits until they come.
'use strict';

const QlxCore = (() => {
  const kNoSuchCall = 52; // WASI's ENOSYS
  const kInputOutputError = 29; // WASI's EIO
  const streams = typeof WebAssembly.Suspending === 'function';

  // The module ended itself with this code: memory ran out, `code` bytes having been asked for.
  class Exit {
    constructor(code) {
      this.code = code;
    }
  }

  // `input()` is the source of the file being converted (see `convert`).
  function instantiate(module, input) {
    let memory = null;
    const view = () => new DataView(memory.buffer);
    const wasi = {
      // Nothing the conversions write goes to a stream; what the C library writes is let go.
      fd_write(fd, iovs, count, written) {
        let total = 0;
        for (let i = 0; i < count; i++) total += view().getUint32(iovs + 8 * i + 4, true);
        view().setUint32(written, total, true);
        return 0;
      },
      fd_close: () => kNoSuchCall,
      fd_seek: () => kNoSuchCall,
      // The input's bytes from `offset` on, once they have been read; a read that failed fails.
      fd_pread: streams
        ? new WebAssembly.Suspending(async (fd, iovs, count, offset, read) => {
            let total = 0;
            for (let i = 0; i < count; i++) {
              const [at, size] = [view().getUint32(iovs + 8 * i, true), view().getUint32(iovs + 8 * i + 4, true)];
              const from = Number(offset) + total;
              try {
                await input().ready(from + size);
              } catch {
                return kInputOutputError;
              }
              const copied = input().copy(from, new Uint8Array(memory.buffer, at, size));
              total += copied;
              if (copied < size) break;
            }
            view().setUint32(read, total, true);
            return 0;
          })
        : () => kNoSuchCall,
      clock_time_get(id, precision, at) {
        view().setBigUint64(at, BigInt(Date.now()) * 1000000n, true);
        return 0;
      },
      random_get(at, size) {
        crypto.getRandomValues(new Uint8Array(memory.buffer, at, size));
        return 0;
      },
      proc_exit(code) {
        throw new Exit(code >>> 0);
      },
    };
    const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: wasi });
    memory = instance.exports.memory;
    instance.exports._initialize();
    const exports = { ...instance.exports };
    if (streams) exports.qlx_convert_waiting = WebAssembly.promising(instance.exports.qlx_convert);
    return exports;
  }

  function takeText(exports, at) {
    const bytes = new Uint8Array(exports.memory.buffer, at);
    const text = new TextDecoder().decode(bytes.subarray(0, bytes.indexOf(0)));
    exports.qlx_free(at);
    return JSON.parse(text);
  }

  class Converter {
    constructor(module) {
      this.module = module;
      this.exports = null;
      this.input = null;
    }

    // Converts the file `name` holding `size` bytes (a folder where `size` is null), whose bytes
    // `input` gives: `input.ready(end)` resolves once the bytes before `end` have been read (and
    // rejects where the read failed), `input.copy(offset, into)` copies what it has from `offset`
    // on into the Uint8Array `into` and says how many. The result: status, message, lines, the
    // output ({name, blob}) where there is one, the motion's summary.
    async convert(name, size, input, japanese) {
      this.input = input;
      const module = () => instantiate(this.module, () => this.input);
      const exports = (this.exports ??= module());
      if (size > 0xffffffff) {
        // More than the module's memory can ever hold.
        return takeText(exports, exports.qlx_out_of_memory(0, japanese));
      }
      const nameBytes = new TextEncoder().encode(name);
      const nameAt = exports.qlx_allocate(nameBytes.length);
      new Uint8Array(exports.memory.buffer, nameAt, nameBytes.length).set(nameBytes);
      try {
        const kind = size === null ? 1 : streams ? 2 : 0;
        const at = exports.qlx_hold(nameAt, nameBytes.length, size ?? 0, kind);
        const streamed = kind === 2 && at === 0;
        if (size && !streamed) {
          await input.ready(size);
          input.copy(0, new Uint8Array(exports.memory.buffer, at, size));
        }
        const text = streamed
          ? await exports.qlx_convert_waiting(nameAt, nameBytes.length, japanese)
          : exports.qlx_convert(nameAt, nameBytes.length, japanese);
        const result = takeText(exports, text);
        exports.qlx_free(nameAt);
        if (result.output) {
          const { buffer } = exports.memory;
          result.output.blob = new Blob(result.output.pieces.map(([at, size]) => new Uint8Array(buffer, at, size)));
          delete result.output.pieces;
        }
        return result;
      } catch (error) {
        this.exports = null;
        if (!(error instanceof Exit)) throw error;
        const fresh = (this.exports = module());
        return takeText(fresh, fresh.qlx_out_of_memory(error.code, japanese));
      } finally {
        this.input = null;
      }
    }
  }

  return {
    // The converter of the module's bytes.
    async load(wasmBytes) {
      return new Converter(await WebAssembly.compile(wasmBytes));
    },
  };
})();

if (typeof module !== 'undefined') module.exports = QlxCore;
