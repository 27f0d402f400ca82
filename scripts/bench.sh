#!/usr/bin/env bash
# Builds the benchmarks (preset linux, RelWithDebInfo) and runs every one of
# them, printing their figures:
#   kadenzo_bench_core     the conversions and one sheet edit, against plain
#                          baselines
#   kadenzo_bench_gui      one keystroke in the calculator, against the same
#                          keystroke in a bare line edit, repaint included
#   start-up, Linux        kadenzo against a minimal Qt dialog program: time
#                          from start to window mapped, and peak memory
#   start-up, Windows      KADENZO.EXE against a minimal Win32 dialog program
#                          and against its own calculator template shown with
#                          no program logic, all under Wine, when the windows
#                          preset is there
#   web                    the browser program in headless Chromium: a
#                          keystroke against a bare <input>, the load against
#                          a page with one input, the site's compressed size
#                          and Lighthouse's four scores, as a phone and as a
#                          desktop
#   cli                    kadenzo-tc converting a million lines in batch mode,
#                          against an awk script and the npm package
#                          smpte-timecode converting the same lines, on one
#                          core; and its peak memory as the input grows
# Each comparison runs both sides in the same process or the same session,
# in turns, so that their ratio holds on a busy machine; the nanoseconds and
# milliseconds do not. None of this is a test: nothing here passes or fails
# on a figure.
#
# Usage: scripts/bench.sh [--runs N] [--wine-runs N] [--repetitions N]
#                         [--cli-runs N] [--no-windows]
#                         [--only core|gui|web|cli|startup|windows]
#   --runs N         timed start-ups of each Linux program (default 21)
#   --wine-runs N    timed start-ups of each Windows program (default 21)
#   --repetitions N  repetitions of each Google Benchmark (default 5); their
#                    medians are printed
#   --cli-runs N     timed runs of each command converting the million lines
#                    (default 11)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=21
wine_runs=21
repetitions=5
cli_runs=11
windows=1
only=""
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --wine-runs) wine_runs=$2; shift 2 ;;
    --repetitions) repetitions=$2; shift 2 ;;
    --cli-runs) cli_runs=$2; shift 2 ;;
    --no-windows) windows=0; shift ;;
    --only) only=$2; shift 2 ;;
    *) sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done
wanted() { [ -z "$only" ] || [ "$only" = "$1" ]; }

scripts/install-deps.sh desktop tests screenshot

echo "== Machine"
echo "cores:    $(nproc)"
echo "CPU:      $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
echo "memory:   $(free -h | awk '/^Mem:/ {print $2}')"
echo "OS:       $(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r)"
echo "compiler: $(c++ --version | head -n 1)"
echo "Qt:       $(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo unknown)"
echo "load:     $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 minutes)"

echo "== Build (preset linux)"
cmake --preset linux >/dev/null
cmake --build --preset linux --target kadenzo kadenzo_bench_core kadenzo_bench_gui minimal_qt_dialog \
  kadenzo_startup_bench kadenzo-tc
build=build/linux
benchmark_options=(--benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true)

if wanted core; then
  echo "== kadenzo_bench_core: conversions and a sheet edit (medians of $repetitions)"
  "$build/bench/kadenzo_bench_core" "${benchmark_options[@]}" 2>&1 | grep -v '_mean\|_stddev\|_cv'
fi

if wanted gui; then
  echo "== kadenzo_bench_gui: one keystroke, repaint included (offscreen platform, medians of $repetitions)"
  QT_QPA_PLATFORM=offscreen "$build/bench/kadenzo_bench_gui" "${benchmark_options[@]}" 2>&1 |
    grep -v '_mean\|_stddev\|_cv\|XDG_RUNTIME_DIR'
fi

if wanted web; then
  echo "== The browser program: a keystroke, the load, the site's size and Lighthouse's scores (headless Chromium)"
  scripts/install-deps.sh web
  scripts/lib/node-modules.sh
  cmake --preset web >/dev/null
  cmake --build --preset web
  node bench/web/web_bench.mjs build/web/site
  node bench/web/lighthouse.mjs build/web/site
fi

if wanted cli; then
  echo "== kadenzo-tc: a million lines in batch mode, against awk and the npm package smpte-timecode (one core, $cli_runs runs each, medians)"
  scripts/install-deps.sh cli-bench
  scripts/lib/node-modules.sh
  bench/cli/cli_bench.sh --runs "$cli_runs" "$build/cli/kadenzo-tc"
fi

wanted startup || wanted windows || exit 0

# A display of our own, where no other program maps windows.
. scripts/lib/virtual-display.sh
start_virtual_display
# The programs start as on a desktop, on the X platform.
unset QT_QPA_PLATFORM

if wanted startup; then
  echo "== Start-up, Linux: kadenzo against a minimal Qt dialog (Xvfb, $runs runs each, medians)"
  "$build/bench/startup/kadenzo_startup_bench" --runs "$runs" \
    --case kadenzo Kadenzo "$build/app/kadenzo" \
    --case minimal "Minimal dialog" "$build/bench/startup/minimal_qt_dialog"
fi

wanted windows || exit 0
if [ "$windows" -eq 0 ]; then exit 0; fi
if ! cmake --list-presets 2>/dev/null | grep -q '"windows"' || [ ! -x scripts/wine-run.sh ]; then
  echo "== Start-up, Windows: no windows preset here, skipped"
  exit 0
fi
echo "== Start-up, Windows: KADENZO.EXE against a minimal Win32 dialog and against its own template with no program logic"
scripts/install-deps.sh windows
scripts/i386-programs.sh
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  echo "32-bit x86 code: emulated by qemu-i386 (this kernel runs none itself); Wine $(wine --version)"
else
  echo "32-bit x86 code: run natively by this kernel; Wine $(wine --version)"
fi
echo "(Wine on Xvfb, $wine_runs runs each, medians)"
cmake --preset windows >/dev/null
# The yardsticks are built by the windows build, with KADENZO.EXE's compiler,
# flags and static libraries (bench/startup/CMakeLists.txt).
cmake --build --preset windows --target kadenzo_win32 minimal_win32_dialog template_win32_dialog
# All three as KADENZO.EXE is shipped in the zip and the installer: stripped.
# The debugging sections of the static runtime libraries are never read, but
# they move where Wine maps what comes after the program, and that alone
# changes the resident size of the mapped theme file by 2 MB (see
# docs/performance.md).
mkdir -p build/windows-bench
for program in build/windows/app/KADENZO.EXE build/windows/bench/startup/minimal_win32_dialog.exe \
  build/windows/bench/startup/template_win32_dialog.exe; do
  [ -f "$program" ] || { echo "the windows build made no $program" >&2; exit 1; }
  i686-w64-mingw32-strip -o "build/windows-bench/$(basename "$program")" "$program"
done

# A prefix of the benchmark's own, kept between runs since making one takes
# minutes where 32-bit code runs emulated; a wine server kept up for the
# whole session, so that no run pays for starting Wine's own services.
export KADENZO_WINEPREFIX=$PWD/build/wine-bench
scripts/wine-run.sh --init
export WINEPREFIX=$KADENZO_WINEPREFIX
own_wineprefix=$WINEPREFIX
wineserver -k 2>/dev/null || true
wineserver -p
"$build/bench/startup/kadenzo_startup_bench" --runs "$wine_runs" --settle 2000 --timeout 600 \
  --case KADENZO.EXE Kadenzo scripts/wine-run.sh build/windows-bench/KADENZO.EXE \
  --case template Kadenzo scripts/wine-run.sh build/windows-bench/template_win32_dialog.exe \
  --case minimal "Minimal dialog" scripts/wine-run.sh build/windows-bench/minimal_win32_dialog.exe
