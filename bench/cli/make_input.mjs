// Writes the benchmark's input for kadenzo-tc and its two yardsticks: one
// expression a line, half of them drop-frame frame counts and half
// drop-frame time codes at 29.97, in an order that looks random but is the
// same on every run and machine (a fixed seed of our own generator, not
// Math.random).
//
//   node bench/cli/make_input.mjs LINES > input.txt
//
// What all three sides read alike, and so what is here:
// - counts from 0 to three days of drop-frame frames; the time code runs
//   read them as time of day (kadenzo-tc --wrap, the awk script's day,
//   smpte-timecode's own 24-hour labels);
// - time codes written HH:MM:SS;FF from 00:00:00;00 to 23:59:59;29, never a
//   label that drop-frame skips (smpte-timecode takes no hour past 23, nor
//   fewer than two digits a field);
// - no negative value: smpte-timecode writes -1 frame as "-1:-1:-1;-21".
// A quarter of the counts and of the time codes sit on the edges where
// drop-frame is easy to get wrong: the first frames of each minute, of each
// tenth minute, and of the day.

const lines = Number(process.argv[2] ?? 1000000);
if (!Number.isSafeInteger(lines) || lines < 0) {
  process.stderr.write('usage: node bench/cli/make_input.mjs LINES\n');
  process.exit(2);
}

const kFramesPer10Minutes = 17982;  // 10 minutes of 30 labels a second, less 9 × 2 skipped
const kFramesPerMinute = 1798;  // a minute that skips its first two labels
const kFramesPerDay = 144 * kFramesPer10Minutes;
const kMaxCount = 3 * kFramesPerDay - 1;

// xorshift32: small, fast and the same everywhere.
let state = 0x2545f491;
function next() {
  state ^= state << 13;
  state >>>= 0;
  state ^= state >>> 17;
  state ^= state << 5;
  state >>>= 0;
  return state;
}
const below = (n) => next() % n;

function count() {
  if (below(4) > 0) return below(kMaxCount + 1);
  // Near the start of a minute: the last frames before it and the first after.
  const day = below(3) * kFramesPerDay;
  const tens = below(144) * kFramesPer10Minutes;
  const minute = below(10);
  // The first minute of ten keeps all its 1800 labels; the other nine skip two.
  const start = minute === 0 ? 0 : 1800 + (minute - 1) * kFramesPerMinute;
  return Math.max(0, Math.min(kMaxCount, day + tens + start + below(6) - 3));
}

const two = (n) => (n < 10 ? '0' : '') + n;

function timecode() {
  let hours = below(24);
  let minutes = below(60);
  let seconds = below(60);
  let frames = below(30);
  if (below(4) === 0) {
    // The first labels of a minute, or the last of the one before.
    if (below(2) === 0) {
      seconds = 0;
      frames = below(4);
    } else {
      seconds = 59;
      frames = 26 + below(4);
    }
  }
  // Frames 0 and 1 of a minute not divisible by ten do not exist.
  if (seconds === 0 && frames < 2 && minutes % 10 !== 0) frames += 2;
  return `${two(hours)}:${two(minutes)}:${two(seconds)};${two(frames)}`;
}

// Written in large pieces: the generator is not what is measured, but ten
// million lines should not take long either.
let piece = [];
for (let i = 0; i < lines; ++i) {
  piece.push(below(2) === 0 ? String(count()) : timecode());
  if (piece.length === 65536) {
    process.stdout.write(piece.join('\n') + '\n');
    piece = [];
  }
}
if (piece.length > 0) process.stdout.write(piece.join('\n') + '\n');
