#!/usr/bin/env bash
# An install into a staging folder works from there.
#   install_test.sh BUILD_DIR SOURCE_DIR
# - `cmake --install BUILD_DIR --prefix STAGING` installs exactly the expected
#   files.
# - The installed vigil-capture checks the installed demo's script and
#   captures its first second, from another folder, through --dir
#   STAGING/share/vigil; the frames are those the build tree's vigil-capture
#   draws from the source tree's script. Started without --dir where there
#   is no data/, it names the installed demo's folder.
# - The desktop entry passes desktop-file-validate and names the installed
#   player and demo; the icon is a PNG of the size its folder says.
# - The man pages pass man's and groff's warnings, and each names every
#   option (or command) its program's usage text shows.
set -uo pipefail
build=$1
source=$2
. "$source/tests/e2e/e2e_lib.sh"
staging="$scratch/staging"

cmake --install "$build" --prefix "$staging" > "$scratch/install.out" 2>&1
check "cmake --install into a staging folder" is "$?" 0
(cd "$staging" && find . -type f -o -type l | sed 's|^\./||' | sort) > "$scratch/installed"
expected="bin/vigil
bin/vigil-assets
bin/vigil-capture
share/applications/vigil.desktop
share/doc/vigil/LICENSE
share/doc/vigil/README.md
share/icons/hicolor/32x32/apps/vigil.png
share/man/man1/vigil-assets.1.gz
share/man/man1/vigil-capture.1.gz
share/man/man1/vigil.1.gz
share/vigil/data/config.conf
share/vigil/data/demo.conf
share/vigil/data/init.conf"
check "the installed files" is "$(cat "$scratch/installed")" "$expected"
for f in "$source"/data/*.conf; do
  check "share/vigil/data/${f##*/} is the shipped one" cmp -s "$f" "$staging/share/vigil/data/${f##*/}"
done

# The installed programs, run from a folder that holds no data/.
mkdir "$scratch/elsewhere"
cd "$scratch/elsewhere" || exit 1
"$staging/bin/vigil-capture" --dir "$staging/share/vigil" --check > "$scratch/check.out" 2>&1
check "the installed vigil-capture --check passes on the installed demo" is "$?" 0
check "it built the installed script" has "$scratch/check.out" "script builds:"
"$staging/bin/vigil-capture" --dir "$staging/share/vigil" --to 1 --frames "$scratch/installed-frames" \
  > "$scratch/capture.out" 2>&1
check "the installed vigil-capture captures one second" is "$?" 0
check "one second is 30 frames" is "$(ls "$scratch/installed-frames" | wc -l)" 30
"$build/vigil-capture" --dir "$source" --to 1 --frames "$scratch/build-frames" > /dev/null 2>&1
check "they are the frames the build tree draws from the source tree" \
  diff -r -q "$scratch/installed-frames" "$scratch/build-frames"
# Without --dir, in a folder without data/, the installed programs point to the installed demo.
"$staging/bin/vigil-capture" --check > "$scratch/nodir.out" 2>&1
check "without data/ the installed vigil-capture names the installed demo" has "$scratch/nodir.out" \
  "or pass --dir FOLDER (the installed demo is in $staging/share/vigil)"
# png_size FILE: "WIDTHxHEIGHT" from the PNG header, or nothing for another file.
png_size() {
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || return 0
  local w h
  read -r w h < <(od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  echo "${w}x${h}"
}
check "the frames are 1024x640 PNG pictures" is "$(png_size "$scratch/installed-frames/frame_000029.png")" 1024x640
"$staging/bin/vigil-assets" list > "$scratch/list.out" 2>&1
check "the installed vigil-assets lists the embedded files" has "$scratch/list.out" "soundtrack.mp3"
cd "$scratch" || exit 1

# The desktop entry and its icon.
entry="$staging/share/applications/vigil.desktop"
desktop-file-validate "$entry" > "$scratch/validate.out" 2>&1
check "desktop-file-validate passes the desktop entry" is "$(cat "$scratch/validate.out")" ""
key() { sed -n "s/^$1=//p" "$entry"; }
check "the entry starts the installed player" is "$(key Exec)" "$staging/bin/vigil"
check "the entry starts it in the installed demo's folder" is "$(key Path)" "$staging/share/vigil"
check "there the player finds data/demo.conf" test -f "$(key Path)/data/demo.conf"
icon=$(cd "$staging/share/icons/hicolor" && ls -d */apps/"$(key Icon)".png)
check "the icon is a PNG of the size its folder says" is "$(png_size "$staging/share/icons/hicolor/$icon")" \
  "${icon%%/*}"

# The man pages: clean under man's and groff's warnings, one per program,
# each naming what its program's usage text shows.
for program in vigil vigil-capture vigil-assets; do
  page="$staging/share/man/man1/$program.1.gz"
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" > "$scratch/$program.man" 2> "$scratch/$program.man-warnings"
  check "man --warnings has nothing to say about $program(1)" is "$(cat "$scratch/$program.man-warnings")" ""
  zcat "$page" | groff -man -ww -z -Tutf8 > "$scratch/$program.groff" 2>&1
  check "groff -ww has nothing to say about $program(1)" is "$(cat "$scratch/$program.groff")" ""
  check "$program(1) is the page of $program" grep -qE "^ *$program +- " "$scratch/$program.man"
  # The usage text (printed on a bad argument); --help and --version are
  # left out, being the same for every program.
  "$staging/bin/$program" --no-such-option > /dev/null 2> "$scratch/$program.usage"
  if [ "$program" = vigil-assets ]; then
    words=$(sed -nE 's/^(usage:)? *vigil-assets (pack |model )?([a-z]+).*/\2\3/p' "$scratch/$program.usage" | sort -u)
  else
    words=$(grep -oE -- '--[a-z][a-z-]*' "$scratch/$program.usage" | grep -vxE -- '--(help|version|no-such-option)' |
            sort -u)
  fi
  check "$program's usage text shows something to look for" test -n "$words"
  # An option as a whole word; a command as "vigil-assets COMMAND", as the
  # synopsis shows it.
  while read -r word; do
    [ "$program" = vigil-assets ] && word="vigil-assets $word"
    [ -n "$word" ] && check "$program(1) names $word" grep -qE -- "(^|[^a-z-])$word([^a-z-]|\$)" "$scratch/$program.man"
  done <<<"$words"
done

report
