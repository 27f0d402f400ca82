// Draws an XPM image as a PNG, scaled by whole pixels (nearest neighbour) so
// that it stays as sharp as its original.
import {deflateSync} from 'node:zlib';

// The quoted rows of an XPM file (which is C source).
export function xpmRows(source) {
  const rows = [];
  for (const match of source.matchAll(/"((?:[^"\\]|\\.)*)"/g)) rows.push(match[1]);
  return rows;
}

// RGBA pixels of the image, transparent where the XPM says None.
export function decodeXpm(rows) {
  const [width, height, colours, perPixel] = rows[0].trim().split(/\s+/).map(Number);
  if (!(width > 0 && height > 0 && colours > 0 && perPixel > 0)) throw new Error('not an XPM header: ' + rows[0]);
  const palette = new Map();
  for (let i = 1; i <= colours; ++i) {
    const key = rows[i].slice(0, perPixel);
    const value = rows[i].slice(perPixel).match(/\sc\s+(\S+)/);
    if (!value) throw new Error('an XPM colour without a c value: ' + rows[i]);
    const hex = value[1].match(/^#([0-9a-fA-F]{6})$/);
    if (hex) {
      const n = parseInt(hex[1], 16);
      palette.set(key, [n >> 16, (n >> 8) & 255, n & 255, 255]);
    } else if (value[1].toLowerCase() === 'none') {
      palette.set(key, [0, 0, 0, 0]);
    } else {
      throw new Error('an XPM colour that is neither #RRGGBB nor None: ' + rows[i]);
    }
  }
  const pixels = new Uint8Array(width * height * 4);
  for (let y = 0; y < height; ++y) {
    const row = rows[1 + colours + y];
    for (let x = 0; x < width; ++x) {
      const colour = palette.get(row.slice(x * perPixel, (x + 1) * perPixel));
      if (!colour) throw new Error(`an XPM pixel of no colour at ${x}, ${y}`);
      pixels.set(colour, (y * width + x) * 4);
    }
  }
  return {width, height, pixels};
}

const crcTable = Array.from({length: 256}, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 255] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const body = Buffer.concat([Buffer.from(type, 'ascii'), data]);
  const out = Buffer.alloc(body.length + 8);
  out.writeUInt32BE(data.length, 0);
  body.copy(out, 4);
  out.writeUInt32BE(crc32(body), body.length + 4);
  return out;
}

// The image enlarged scale times as an RGBA PNG.
export function png({width, height, pixels}, scale) {
  const w = width * scale;
  const h = height * scale;
  const raw = Buffer.alloc((w * 4 + 1) * h);
  for (let y = 0; y < h; ++y) {
    const line = y * (w * 4 + 1);
    raw[line] = 0;  // no filter
    for (let x = 0; x < w; ++x) {
      const from = (Math.floor(y / scale) * width + Math.floor(x / scale)) * 4;
      for (let c = 0; c < 4; ++c) raw[line + 1 + x * 4 + c] = pixels[from + c];
    }
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(w, 0);
  header.writeUInt32BE(h, 4);
  header[8] = 8;  // bits per channel
  header[9] = 6;  // RGBA
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
                        chunk('IDAT', deflateSync(raw, {level: 9})), chunk('IEND', Buffer.alloc(0))]);
}
