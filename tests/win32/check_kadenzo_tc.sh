#!/usr/bin/env bash
# Runs kadenzo-tc.exe under Wine as a script in a Windows console would:
# through pipes, from its arguments or its standard input, and by its exit
# status. As a Windows program it ends its lines with CR LF, and takes lines
# that end either way.
# Usage: check_kadenzo_tc.sh WINE_RUN KADENZO-TC.EXE
set -uo pipefail

wine_run=$1 program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# check WHAT INPUT OUTPUT STATUS ERROR ARGUMENTS...: INPUT and OUTPUT are
# printf formats; ERROR is what the message on the standard error must say,
# and with none there must be no message.
check() {
  local what=$1 input=$2 output=$3 status=$4 error=$5
  shift 5
  # shellcheck disable=SC2059
  printf "$input" | "$wine_run" "$program" "$@" >"$work/out" 2>"$work/said"
  local ended=$?
  # Where 32-bit code runs emulated, qemu reports the crashes of Wine's own
  # helper programs (see windows.sh) on the same stream, and Wine its own
  # troubles with them ("wine: ...", "wine client error:..."): they are not
  # the program's, whose output and status are checked all the same. They
  # can hold bytes that are not text.
  grep -av -e '^qemu: ' -e '^wine: ' -e '^wine client error:' "$work/said" >"$work/err"
  # shellcheck disable=SC2059
  printf "$output" >"$work/expected"
  if ! cmp -s "$work/out" "$work/expected"; then
    echo "FAIL: $what: kadenzo-tc $* wrote" >&2
    od -c "$work/out" | head -n 8 >&2
    failures=$((failures + 1))
  fi
  if [ "$ended" -ne "$status" ]; then
    echo "FAIL: $what: kadenzo-tc $* ended with status $ended, not $status" >&2
    failures=$((failures + 1))
  fi
  if [ -z "$error" ]; then
    if [ -s "$work/err" ]; then
      echo "FAIL: $what: kadenzo-tc $* said '$(cat "$work/err")'" >&2
      failures=$((failures + 1))
    fi
  elif ! grep -qF -- "$error" "$work/err"; then
    echo "FAIL: $what: kadenzo-tc $* said '$(cat "$work/err")', nothing of '$error'" >&2
    failures=$((failures + 1))
  fi
}

check "a count from the command line" '' '00:01:00;02\r\n' 0 '' --rate 29.97 --df 1800
check "lines from the standard input, one bad" '1800\r\n17982\nnonsense\n107892' \
  '00:01:00;02\r\n00:10:00;00\r\n01:00:00;00\r\n' 1 'line 3' --rate 29.97 --df
check "a bad command line" '' '' 2 '--df: 25 fps' --rate 25 --df 1800

[ "$failures" -eq 0 ] || exit 1
echo "kadenzo-tc.exe converts its arguments and its standard input, and ends with the status a script expects"
