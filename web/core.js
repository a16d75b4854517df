// The converter's module, run where the page's worker or Node.js runs it: a file's name and bytes
// in, the result the command line would give out. The module imports only WASI's plainest calls;
// a module that ran out of memory ends itself, and the next file gets a fresh one.
'use strict';

const QlxCore = (() => {
  const kNoSuchCall = 52; // WASI's ENOSYS

  // The module ended itself with this code: memory ran out, `code` bytes having been asked for.
  class Exit {
    constructor(code) {
      this.code = code;
    }
  }

  function instantiate(module) {
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
    return instance.exports;
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
    }

    // Converts the file `name` holding `size` bytes (a folder where `size` is null);
    // `fill(memory, at)` puts its bytes into the module's memory from `at` on. The result: status,
    // message, lines, the output ({name, blob}) where there is one, the motion's summary.
    async convert(name, size, fill, japanese) {
      const exports = (this.exports ??= instantiate(this.module));
      if (size > 0xffffffff) {
        // More than the module's memory can ever hold.
        return takeText(exports, exports.qlx_out_of_memory(0, japanese));
      }
      const nameBytes = new TextEncoder().encode(name);
      const nameAt = exports.qlx_allocate(nameBytes.length);
      new Uint8Array(exports.memory.buffer, nameAt, nameBytes.length).set(nameBytes);
      try {
        const at = exports.qlx_hold(nameAt, nameBytes.length, size ?? 0, size === null ? 1 : 0);
        if (size !== null) await fill(exports.memory, at);
        const result = takeText(exports, exports.qlx_convert(nameAt, nameBytes.length, japanese));
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
        const fresh = (this.exports = instantiate(this.module));
        return takeText(fresh, fresh.qlx_out_of_memory(error.code, japanese));
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
