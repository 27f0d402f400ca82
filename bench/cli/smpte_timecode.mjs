// The Node yardstick of kadenzo-tc's benchmark: the npm package
// smpte-timecode (pinned in package.json) converting the same lines, drop-frame
// at 29.97, through its documented API only: Timecode(value, 29.97, true),
// then .toString() for a time code or .frameCount for a count.
//
//   node bench/cli/smpte_timecode.mjs < input.txt               each value as a time code
//   node bench/cli/smpte_timecode.mjs --to frames < input.txt   each value as a frame count
//
// The package's labels are those of a day (its hours go round at 24), as
// kadenzo-tc's with --wrap are. Input and output go in large pieces, as
// kadenzo-tc's do, so that what is measured is the package, not a line-at-a-
// time stream.
import Timecode from 'smpte-timecode';

const toFrames = process.argv[2] === '--to' && process.argv[3] === 'frames';
if (process.argv.length > 2 && !toFrames) {
  process.stderr.write('usage: node bench/cli/smpte_timecode.mjs [--to frames] < input\n');
  process.exit(2);
}

const kRate = 29.97;
const isCount = /^[0-9]+$/;

function convert(line) {
  const value = isCount.test(line) ? Number(line) : line;
  const timecode = Timecode(value, kRate, true);
  return toFrames ? String(timecode.frameCount) : timecode.toString();
}

let rest = '';
let failed = false;
process.stdin.setEncoding('latin1');
process.stdin.on('data', (chunk) => {
  const lines = (rest + chunk).split('\n');
  rest = lines.pop();
  const results = new Array(lines.length);
  for (let i = 0; i < lines.length; ++i) {
    try {
      results[i] = convert(lines[i]);
    } catch (error) {
      // As kadenzo-tc does: the line is left out, the others go on.
      process.stderr.write(`smpte_timecode.mjs: ${JSON.stringify(lines[i])}: ${error.message}\n`);
      failed = true;
      results[i] = null;
    }
  }
  const text = results.filter((result) => result !== null).join('\n');
  if (text.length > 0) process.stdout.write(text + '\n');
});
process.stdin.on('end', () => {
  if (rest.length > 0) {
    try {
      process.stdout.write(convert(rest) + '\n');
    } catch (error) {
      process.stderr.write(`smpte_timecode.mjs: ${JSON.stringify(rest)}: ${error.message}\n`);
      failed = true;
    }
  }
  if (failed) process.exitCode = 1;
});
