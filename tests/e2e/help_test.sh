#!/usr/bin/env bash
# Every program answers --help and -h with its usage on standard output,
# nothing on standard error and status 0, without a display or a script:
#   usage: help_test.sh PROGRAM...
set -uo pipefail
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
for program in "$@"; do
  for flag in --help -h; do
    out=$(cd "$scratch" && env -u DISPLAY "$program" "$flag" 2> "$scratch/err"); status=$?
    name="$(basename "$program") $flag"
    if [ "$status" -ne 0 ] || [ "${out:0:6}" != "usage:" ] || [ -s "$scratch/err" ]; then
      echo "FAILED: $name: status $status, standard output:"; echo "$out"
      echo "standard error:"; cat "$scratch/err"
      failures=$((failures + 1))
    else
      echo "ok: $name"
    fi
  done
done
[ -z "$(ls "$scratch" | grep -v '^err$')" ] || { echo "FAILED: --help wrote files: $(ls "$scratch")"; failures=$((failures + 1)); }
exit $((failures > 0))
