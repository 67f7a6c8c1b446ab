#!/usr/bin/env bash
# End-to-end test of the authors' preview: the test build of vigil runs
# `--preview --at` under its own Xvfb with SDL's dummy audio on a two-scene
# script; xdotool pauses it and seeks, the script is broken and mended on
# disk, and Escape ends it. Each key is pressed once the preview has said
# that it is ready for it, and each result is waited for (60 s at most).
#   usage: preview_e2e.sh PLAYER
set -uo pipefail
player=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/e2e_lib.sh"
start_xvfb

dir="$scratch/demo"
mkdir -p "$dir/data"
printf '<init1>\nfunc = tone_music_init\n</init1>\n' > "$dir/data/init.conf"
scenes() { # scenes ROUTINE_OF_B
  printf '<scenes>\n<a>\ntime_length = 1000\n<routine>\nfunc = fill_red\n</routine>\n</a>\n'
  printf '<b>\ntime_length = 1400\n<routine>\nfunc = %s\n</routine>\n</b>\n</scenes>\n' "$1"
  printf '<order>\n<scene>\nscene_name = a\n</scene>\n<scene>\nscene_name = b\n</scene>\n</order>\n'
}
# save ROUTINE_OF_B: writes demo.conf whole, by renaming, so that the
# preview never reads it half written.
save() { scenes "$1" > "$dir/demo.conf.new" && mv "$dir/demo.conf.new" "$dir/data/demo.conf"; }
save fill_green

log="$dir/err.txt"
(cd "$dir" && exec timeout 300 "$player" --preview --at 0.5 > "$dir/out.txt" 2> "$log") &
pid=$!

check "starts at --at without asking Fullscreen?" wait_line "preview at 0.500 s"
press space
check "Space pauses" wait_line "paused at"
press Next
check "Page Down seeks to the next scene's start, still paused" wait_line "preview at 1.000 s"
check "the seek reports its time" grep -qE "preview at 1.000 s, [0-9.]+ s after the request" "$log"

# A broken edit: an unknown routine in scene b, on line 11 of demo.conf.
save no_such_routine
check "a broken script is reported" wait_line "does not build"
check "with its file and line" grep -qE "data/demo.conf:11: " "$log"
check "and the last good one plays on" kill -0 "$pid"

save fill_blue
check "a mended script reloads at the same music time" wait_line "reloading at 1.000 s"
check "and plays from there" wait_line "preview at 1.000 s" 2

press Left
check "Left seeks back to 0" wait_line "preview at 0.000 s"
press space
check "Space resumes" wait_line "playing from 0.000 s"

press Escape; finish
check "Escape quits with 0" is "$status" 0

[ "$failures" -eq 0 ] || { echo "--- standard error of the preview:"; cat "$log"; }
report
