#!/usr/bin/env bash
# Regeneration check: every file under assets/data/ is exactly what
# vigil-assetgen makes, and the generator makes every file there (a file it
# no longer makes would be embedded all the same); a contact sheet of them,
# with a file that does not decode among them, is written. Run from the source root:
# content_test.sh PATH-TO-vigil-assetgen
set -uo pipefail
gen="${1:?usage: content_test.sh VIGIL_ASSETGEN}"
cd "$(dirname "$0")/../.." || exit 1
status=0
"$gen" --check || { echo "content_test: assets/data/ differs from what vigil-assetgen makes:" \
                         "run build/vigil-assetgen from the source root and commit assets/data/" >&2; status=1; }
made=$(mktemp -d) || exit 1
trap 'rm -rf "$made"' EXIT
"$gen" --out "$made" >/dev/null || { echo "content_test: vigil-assetgen failed" >&2; exit 1; }
for path in assets/data/*; do
  [ -e "$path" ] && [ ! -e "$made/$(basename "$path")" ] &&
    { echo "content_test: $path is not made by vigil-assetgen" >&2; status=1; }
done
printf 'not a picture' >"$made/broken.jpg"
"$gen" --out "$made" --contact-sheet "$made/sheet.png" >/dev/null &&
  [ "$(head -c 4 "$made/sheet.png" | tail -c 3)" = PNG ] ||
  { echo "content_test: no contact sheet of the generated files" >&2; status=1; }
# --check elsewhere says where it looked, and a file gone is named as missing.
elsewhere=$(cd "$made" && "$gen" --check 2>&1); code=$?
[ $code -eq 1 ] && grep -qF "there is no folder $made/assets/data to check: run from the repository's root" <<<"$elsewhere" ||
  { echo "content_test: --check outside the root said ($code): $elsewhere" >&2; status=1; }
rm "$made/broken.jpg" "$made/sheet.png" "$made/$(ls "$made" | head -n1)"
gone=$("$gen" --out "$made" --check 2>&1); code=$?
[ $code -eq 1 ] && grep -qE "is missing$" <<<"$gone" && grep -qE ", 0 differ, 1 missing$" <<<"$gone" ||
  { echo "content_test: --check with a file gone said ($code): $gone" >&2; status=1; }
exit $status
