#!/usr/bin/env bash
# End-to-end test of the authors' preview: the test build of vigil runs
# `--preview --at` under its own Xvfb with SDL's dummy audio on a two-scene
# script; xdotool pauses it and seeks, the script is broken and mended on
# disk, and Escape ends it.
#   usage: preview_e2e.sh PLAYER
set -uo pipefail
player=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/e2e_lib.sh"
start_xvfb

# wait_for TEXT [COUNT]: until the log holds TEXT at least COUNT times (30 s).
wait_for() {
  for _ in $(seq 600); do
    [ "$(grep -cF -- "$1" "$dir/err.txt" 2>/dev/null)" -ge "${2:-1}" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

dir="$scratch/demo"
mkdir -p "$dir/data"
printf '<init1>\nfunc = tone_music_init\n</init1>\n' > "$dir/data/init.conf"
scenes() { # scenes ROUTINE_OF_B
  printf '<scenes>\n<a>\ntime_length = 1000\n<routine>\nfunc = fill_red\n</routine>\n</a>\n'
  printf '<b>\ntime_length = 1400\n<routine>\nfunc = %s\n</routine>\n</b>\n</scenes>\n' "$1"
  printf '<order>\n<scene>\nscene_name = a\n</scene>\n<scene>\nscene_name = b\n</scene>\n</order>\n'
}
scenes fill_green > "$dir/data/demo.conf"

(cd "$dir" && exec timeout 120 "$player" --preview --at 0.5 > "$dir/out.txt" 2> "$dir/err.txt") &
pid=$!

check "starts at --at without asking Fullscreen?" wait_for "preview at 0.500 s"
press space
check "Space pauses" wait_for "paused at"
press Next
check "Page Down seeks to the next scene's start, still paused" wait_for "preview at 1.000 s"
check "the seek reports its time" grep -qE "preview at 1.000 s, [0-9.]+ s after the request" "$dir/err.txt"

# A broken edit: an unknown routine in scene b, on line 11 of demo.conf.
scenes no_such_routine > "$dir/data/demo.conf"
check "a broken script is reported" wait_for "does not build"
check "with its file and line" grep -qE "data/demo.conf:11: " "$dir/err.txt"
check "and the last good one plays on" kill -0 "$pid"

scenes fill_blue > "$dir/data/demo.conf"
check "a mended script reloads at the same music time" wait_for "reloading at 1.000 s"
check "and plays from there" wait_for "preview at 1.000 s" 2

press Left
check "Left seeks back to 0" wait_for "preview at 0.000 s"
press space
check "Space resumes" wait_for "playing from 0.000 s"

press Escape
wait "$pid"; status=$?
check "Escape quits with 0" [ "$status" -eq 0 ]

[ "$failures" -eq 0 ] || { echo "--- standard error of the preview:"; cat "$dir/err.txt"; }
report
