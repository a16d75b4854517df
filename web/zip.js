// A zip of several outputs, stored as they are (a motion or a CSV file compresses, but the point
// is one download): local headers, the central directory, its end. Names are UTF-8.
'use strict';

const Zip = (() => {
  const table = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  const crc32 = (bytes) => {
    let c = 0xffffffff;
    for (let i = 0; i < bytes.length; i++) c = table[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  };
  const header = (size, fill) => {
    const bytes = new Uint8Array(size);
    fill(new DataView(bytes.buffer));
    return bytes;
  };

  // A Blob of the files ({name, blob}), in order.
  async function zip(files) {
    const parts = [];
    const directory = [];
    let offset = 0;
    for (const { name, blob } of files) {
      const bytes = new Uint8Array(await blob.arrayBuffer());
      const nameBytes = new TextEncoder().encode(name);
      const crc = crc32(bytes);
      const common = (v, at) => {
        v.setUint16(at, 20, true); // version needed
        v.setUint16(at + 2, 0x0800, true); // names in UTF-8
        v.setUint16(at + 8, 0x21, true); // 1 January 1980, the format's first day
        v.setUint32(at + 10, crc, true);
        v.setUint32(at + 14, bytes.length, true);
        v.setUint32(at + 18, bytes.length, true);
        v.setUint16(at + 22, nameBytes.length, true);
      };
      parts.push(
        header(30, (v) => {
          v.setUint32(0, 0x04034b50, true);
          common(v, 4);
        }),
        nameBytes,
        blob,
      );
      directory.push(
        header(46, (v) => {
          v.setUint32(0, 0x02014b50, true);
          v.setUint16(4, 20, true);
          common(v, 6);
          v.setUint32(42, offset, true);
        }),
        nameBytes,
      );
      offset += 30 + nameBytes.length + bytes.length;
    }
    const size = directory.reduce((sum, part) => sum + part.length, 0);
    const end = header(22, (v) => {
      v.setUint32(0, 0x06054b50, true);
      v.setUint16(8, files.length, true);
      v.setUint16(10, files.length, true);
      v.setUint32(12, size, true);
      v.setUint32(16, offset, true);
    });
    return new Blob([...parts, ...directory, end], { type: 'application/zip' });
  }

  return { zip };
})();
