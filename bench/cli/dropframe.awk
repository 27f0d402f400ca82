# The awk yardstick of kadenzo-tc's benchmark: drop-frame time code at 29.97,
# one value a line, a frame count or a time code HH:MM:SS;FF.
#
#   awk -f bench/cli/dropframe.awk             each value as a time code of the day
#   awk -v to=frames -f bench/cli/dropframe.awk   each value as a frame count
#
# Drop-frame labels 30 frames a second but skips frame numbers 0 and 1 at
# the start of every minute, except the minutes divisible by ten, so that
# ten minutes hold 17982 frames as 29.97 frames a second do. The arithmetic
# is in whole numbers held in awk's doubles, exact far beyond the three days
# the benchmark's counts reach. What the benchmark feeds it is all it takes:
# no signs, no other rates, no checking of the input.

BEGIN {
  per10 = 17982  # frames in ten minutes: 10 × 1800 less 9 × 2 skipped labels
  perMinute = 1798  # frames in a minute that skips two labels
  perDay = 144 * per10
}

# A frame count.
/^[0-9]+$/ {
  n = $0 + 0
  if (to == "frames") {
    print n
    next
  }
  print label(n % perDay)
  next
}

# A time code: hours, minutes, seconds, then frames after the ';'.
{
  split($0, part, /[:;]/)
  minutes = 60 * part[1] + part[2]
  # Every minute skips two labels, except every tenth.
  n = 1800 * minutes + 30 * part[3] + part[4] - 2 * (minutes - int(minutes / 10))
  if (to == "frames") print n
  else print label(n)
}

# The label of count n: the labels skipped before it are added back, and
# the sum is split at 30 labels a second.
function label(n,    tens, rest, ff, ss, mm) {
  tens = int(n / per10)
  rest = n - tens * per10
  n += 18 * tens
  # The first minute of ten has all its 1800 labels; each later one has two
  # fewer, skipped at its start.
  if (rest >= 1800) n += 2 * (1 + int((rest - 1800) / perMinute))
  ff = n % 30
  ss = int(n / 30) % 60
  mm = int(n / 1800) % 60
  return sprintf("%02d:%02d:%02d;%02d", int(n / 108000), mm, ss, ff)
}
