#!/usr/bin/env bash
# End-to-end test of the authors' preview: the test build of vigil runs
# `--preview --at` under its own Xvfb with SDL's dummy audio on a two-scene
# script, as an author works with it: it pauses and seeks, ten quick Right
# presses, saves that break and mend the script (also two in a row, one
# during a seek, one with a seek pending, a rename, a `cp -p` replacement of
# the same size and time), an init list without music_init, a failing init
# routine, a changed init list; and it checks that the window stays the
# same one throughout and that no frame took arena memory. Each key is
# pressed once the preview has said that it is ready for it, and each result
# is waited for (60 s at most).
#   usage: preview_e2e.sh PLAYER
set -uo pipefail
player=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/e2e_lib.sh"
start_xvfb

dir="$scratch/demo"
mkdir -p "$dir/data"
# inits ROUTINE...: writes init.conf whole, by renaming.
inits() {
  local i=1
  : > "$dir/init.conf.new"
  for routine; do
    printf '<init%d>\nfunc = %s\n</init%d>\n' "$i" "$routine" "$i" >> "$dir/init.conf.new"
    i=$((i + 1))
  done
  mv "$dir/init.conf.new" "$dir/data/init.conf"
}
# Scene a (1 s, red), scene b (60 s) drawn by ROUTINE, on line 11.
scenes() { # scenes ROUTINE_OF_B
  printf '<scenes>\n<a>\ntime_length = 1000\n<routine>\nfunc = fill_red\n</routine>\n</a>\n'
  printf '<b>\ntime_length = 60000\n<routine>\nfunc = %s\n</routine>\n</b>\n</scenes>\n' "$1"
  printf '<order>\n<scene>\nscene_name = a\n</scene>\n<scene>\nscene_name = b\n</scene>\n</order>\n'
}
# save ROUTINE_OF_B: writes demo.conf whole and renames it over the old one,
# as editors that save to a temporary file do.
save() { scenes "$1" > "$dir/demo.conf.new" && mv "$dir/demo.conf.new" "$dir/data/demo.conf"; }
inits tone_music_init
save fill_green

log="$dir/err.txt"
(cd "$dir" && VIGIL_ARENA_REPORT=1 exec timeout 600 "$player" --preview --at 0.5 > "$dir/out.txt" 2> "$log") &
pid=$!
# count TEXT: how often TEXT is in the log so far.
count() { grep -cF -- "$1" "$log"; }
# seeks_since N: the targets of the seeks after the first N, in order, on one line.
seeks_since() { grep -o 'seeking to [0-9.]* s' "$log" | tail -n +$(($1 + 1)) | awk '{printf "%s ", $3}'; }

check "starts at --at without asking Fullscreen?" wait_line "preview at 0.500 s"
awaited "the demo's window" have_window
first_window=$window_id
press space
check "Space pauses" wait_line "paused at"
press Next
check "Page Down seeks to the next scene's start, still paused" wait_line "preview at 1.000 s"
check "the seek reports its time" grep -qE "preview at 1.000 s, [0-9.]+ s after the request" "$log"

# Ten quick presses, through the X server's input like a keyboard's.
press Home
check "Home seeks to the beginning" wait_line "preview at 0.000 s"
before=$(count "seeking to")
timeout 5 xdotool windowfocus --sync "$window_id" 2>/dev/null
xdotool key --delay 40 Right Right Right Right Right Right Right Right Right Right
check "ten quick Right presses give ten seeks" wait_line "seeking to 50.000 s"
check "of 5 s each, in order" is "$(seeks_since "$before")" "5.000 10.000 15.000 20.000 25.000 30.000 35.000 40.000 45.000 50.000 "

# A broken save: reported with file and line, and the last good one plays on.
save no_such_routine
check "a broken script is reported" wait_line "does not build"
check "with its file and line" grep -qE "data/demo.conf:11: " "$log"
press Left
check "a seek with a broken save pending seeks" wait_line "preview at 45.000 s"
check "and the preview goes on" running "$pid"
reloads=$(count "reloading at")
save fill_blue
check "a mended script reloads at the same music time" wait_line "reloading at 45.000 s"
check "and plays from there" wait_line "preview at 45.000 s" 2

# Two saves in a row, a good one and a broken one: the broken one wins.
broken=$(count "does not build")
save fill_green; save no_such_routine
check "of two quick saves the last is the one checked" wait_line "does not build" $((broken + 1))
check "and the preview goes on" running "$pid"

# A save made just as a seek is asked for is picked up after it.
reloads=$(count "reloading at")
press Left
save fill_green
check "a save during a seek is picked up" wait_line "reloading at" $((reloads + 1))
check "after the seek" grep -qF "reloading at 40.000 s" "$log"

# A same-size replacement that keeps the modification time (cp -p).
reloads=$(count "reloading at")
scenes "fill_red #" > "$dir/same.conf"
touch -r "$dir/data/demo.conf" "$dir/same.conf"
check "the replacement has the same size and time" is \
  "$(stat -c '%s %Y' "$dir/same.conf")" "$(stat -c '%s %Y' "$dir/data/demo.conf")"
cp -p "$dir/same.conf" "$dir/data/demo.conf"
check "a same-size, same-time replacement is seen" wait_line "reloading at" $((reloads + 1))

# No music_init: reported with its file, and the last good script plays on.
at40=$(count "preview at 40.000 s")
inits ok_init
check "an init list without music_init is reported" \
  wait_line "data/init.conf: the script does not open the music"
check "and the last good script plays again" wait_line "preview at 40.000 s" $((at40 + 1))
# A failing init routine: reported with its line; the last good script starts again.
inits fail_init tone_music_init
check "a failing init routine is reported with its line" wait_line "data/init.conf:1: Init routine 0 (fail_init) failed"
check "and the last good script plays again" wait_line "preview at 40.000 s" $((at40 + 2))
# A changed init list that works runs the init routines again.
reloads=$(count "reloading at")
inits ok_init tone_music_init
check "a changed init list reloads" wait_line "reloading at" $((reloads + 1))
check "in the same window" have_window
check "whose id is the first one" is "$window_id" "$first_window"

# Pause and resume after playing a while, then a save: seen at once, not
# after as long as the demo had played.
press space
check "Space resumes" wait_line "playing from"
sleep 6 # the preview plays 6 s
press space
check "Space pauses again" wait_line "paused at" 2
press space
check "and resumes again" wait_line "playing from" 2
reloads=$(count "reloading at")
save fill_blue
show_wait=4 check "a save after pause and resume is seen within seconds" wait_line "reloading at" $((reloads + 1))

press Escape; finish
check "Escape quits with 0" is "$status" 0
check "no frame took arena memory" has "$log" "arena use changed in 0 of"

[ "$failures" -eq 0 ] || { echo "--- standard error of the preview:"; cat "$log"; }

# The shipped demo, playing through every scene by Page Down: no frame takes
# arena memory there either.
shipped="$scratch/shipped"
mkdir -p "$shipped"
cp -r "$(dirname "$(readlink -f "$0")")/../../data" "$shipped/"
log="$shipped/err.txt"
(cd "$shipped" && VIGIL_ARENA_REPORT=1 exec timeout 600 "$player" --preview > /dev/null 2> "$log") &
pid=$!
check "the shipped demo starts" wait_line "preview at 0.000 s"
for scene in $(seq "$(grep -c 'scene_name' "$shipped/data/demo.conf")"); do
  press Next
  wait_line "after the request" "$scene" || break
done
check "Page Down went through every scene" wait_line "reached its end"
press Escape; finish
check "the shipped demo: Escape quits with 0" is "$status" 0
check "the shipped demo: no frame took arena memory" grep -qE "arena use changed in 0 of [1-9][0-9]+ frames" "$log"
[ "$failures" -eq 0 ] || { echo "--- standard error of the preview:"; cat "$log"; }
report
