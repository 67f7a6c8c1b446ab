#!/usr/bin/env bash
# Runs a fuzz target once over every file of the given folders (the seed
# corpus and the saved crash inputs), without fuzzing: the regression test.
# Usage: replay.sh FUZZER DIR...
set -euo pipefail
fuzzer="$1"
shift
files=()
for dir in "$@"; do
  [ -d "$dir" ] || continue
  while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$dir" -type f ! -name '.*' -print0 | sort -z)
done
if [ ${#files[@]} -eq 0 ]; then
  echo "replay: no inputs in $*" >&2
  exit 1
fi
echo "replay: ${#files[@]} inputs through $(basename "$fuzzer")"
# The same memory bound as scripts/fuzz: one request above 192 MiB is a
# failure (the arena is 128 MiB; no reader may need 64 MiB beyond its result).
exec "$fuzzer" -runs=1 -malloc_limit_mb=192 -rss_limit_mb=2048 "${files[@]}"
