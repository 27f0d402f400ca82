#!/usr/bin/env bash
# Checks that executables were linked hardened.
# Usage: check_hardening.sh READELF BINARY...
set -euo pipefail

readelf=$1
shift
status=0
for binary in "$@"; do
  problems=()
  header=$("$readelf" -W -h "$binary")
  segments=$("$readelf" -W -l "$binary")
  dynamic=$("$readelf" -W -d "$binary")
  symbols=$("$readelf" -W --dyn-syms "$binary")

  # A position independent executable is a shared object with an interpreter.
  grep -Eq 'Type:[[:space:]]+DYN' <<<"$header" && grep -q 'INTERP' <<<"$segments" ||
    problems+=("not position independent (no ELF type DYN with an interpreter)")
  grep -q 'GNU_RELRO' <<<"$segments" || problems+=("no GNU_RELRO segment")
  grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*[[:space:]]NOW' <<<"$dynamic" ||
    problems+=("relocations not bound at start (no BIND_NOW or FLAGS_1 NOW), so RELRO is only partial")
  # Every program here has functions with local arrays, which
  # -fstack-protector-strong guards, and most call some fortifiable libc
  # function; a binary importing neither was built without both.
  grep -Eq '[[:space:]]__(stack_chk_fail|[a-z0-9_]+_chk)(@|[[:space:]]|$)' <<<"$symbols" ||
    problems+=("imports neither __stack_chk_fail nor any fortified __*_chk function")

  if [ ${#problems[@]} -eq 0 ]; then
    echo "$binary: hardened"
  else
    for problem in "${problems[@]}"; do echo "$binary: $problem" >&2; done
    status=1
  fi
done
exit $status
