#!/usr/bin/env bash
# Makes sure this machine runs 32-bit x86 Linux programs, as Wine needs for
# 32-bit Windows programs, installing and registering an emulator if not.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

# Wine runs 32-bit programs as 32-bit Linux processes. Some virtual machines'
# kernels run no 32-bit x86 code at all (their IA-32 emulation is off); there
# qemu's user-mode emulator runs those processes, registered with the kernel
# for 32-bit x86 programs.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "This kernel does not run 32-bit x86 programs: running them under qemu."
  scripts/install-deps.sh i386-emulation
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ ! -e "$binfmt/qemu-i386" ]; then
    # ELF, 32-bit, little-endian, executable or shared object, Intel 80386.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf '%s' ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" | "${sudo[@]}" tee "$binfmt/register" >/dev/null
  fi
  /usr/lib/wine/wine --version >/dev/null || { echo "windows.sh: 32-bit programs still do not run" >&2; exit 1; }
elif [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  # The emulator an earlier run registered: what goes with it must be there
  # too, above all 64-bit Wine's server, which runs natively.
  scripts/install-deps.sh i386-emulation
fi
