#!/usr/bin/env bash
# End-to-end tests of the player: the test build of vigil (with routines of
# the tests' own) runs under its own Xvfb with SDL's dummy audio, in scratch
# folders holding short scripts; xdotool answers its message boxes and
# presses Escape; at the end the shipped demo plays for a few seconds.
# Every step waits for what it needs (a box, the window, a
# line, the end) with a generous deadline, so a loaded machine only makes
# the test slower.
#   usage: player_e2e.sh PLAYER
set -uo pipefail
player=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/e2e_lib.sh"
start_xvfb

# start DIR: runs the player in DIR in the background; its standard error
# is $log.
start() {
  log="$1/err.txt"
  (cd "$1" && exec timeout 300 "$player" > "$1/out.txt" 2> "$log") &
  pid=$!
}

# 1. "No": a 1024x640 window, the demo plays to its terminator, exit 0. The
# window's size is read with its id, in one look, the first time it shows.
dir=$(script "$scratch/plays" tone_music_init ok_init -- 1500 fill_red say_frames)
start "$dir"; answer Escape
window_size=; awaited "the demo's window" have_window
finish
check "No gives a 1024x640 window" is "$window_size" 1024x640
check "the demo plays to its end and exits 0" is "$status" 0
check "its frames ran" has "$log" "frame"
check "No never touches the display mode" lacks "$log" "ChangeDisplaySettings"

# 2. "Yes" on a display that offers neither mode: tries both, ends in a window.
dir=$(script "$scratch/fallback" tone_music_init -- 500 fill_green)
start "$dir"; answer Return; finish
check "Yes falls back to a window and exits 0" is "$status" 0
check "both display modes were tried" is "$(grep -c 'calling ChangeDisplaySettings!' "$log")" 2

# 3. Escape during the frames of a 60 s scene ends the demo, long before the
# scene would have.
dir=$(script "$scratch/escape_frames" tone_music_init -- 60000 fill_blue say_frames)
start "$dir"; answer Escape
wait_line frame
escaped=$SECONDS; press Escape; finish
check "Escape during the frames exits 0" is "$status" 0
check "Escape during the frames ends the demo (within 30 s, of a 60 s scene)" [ $((SECONDS - escaped)) -lt 30 ]

# 4. Escape during the init phase (20 routines of half a second each, the
# window open from the first): no music, no frames.
dir=$(script "$scratch/escape_init" $(printf 'slow_init %.0s' $(seq 20)) tone_music_init -- 1000 fill_red say_frames)
start "$dir"; answer Escape
press Escape; finish
check "Escape during the init phase exits 0" is "$status" 0
check "no frame ran after Escape during the init phase" lacks "$log" "frame"

# 5. The third init routine fails: its box names index 2; the first, index 0.
# The failure is written before its box opens.
dir=$(script "$scratch/init_fails" ok_init ok_init fail_init tone_music_init -- 1000 fill_red)
start "$dir"; answer Escape
wait_line "Init routine 2 failed" && answer Return; finish
check "a failed init routine exits 1" is "$status" 1
check "the failure names routine 2" has "$log" "Init routine 2 failed"
dir=$(script "$scratch/first_fails" fail_init tone_music_init -- 1000 fill_red)
start "$dir"; answer Escape
wait_line "Init routine 0 failed" && answer Return; finish
check "a failing first init routine exits 1" is "$status" 1
check "a failing first init routine is named as routine 0" has "$log" "Init routine 0 failed"

# 6. A scene the order names but no definition has: the failure box comes
# before the question.
dir=$(script "$scratch/bad_script" tone_music_init -- 1000 fill_red)
sed -i 's/scene_name = only/scene_name = missing/' "$dir/data/demo.conf"
start "$dir"; answer Return; finish
check "a broken script exits 1" is "$status" 1
check "a broken script shows InitScriptInterface failed" has "$log" "InitScriptInterface failed"
check "and prints the reason with file and line" grep -qE "^data/demo.conf:[0-9]+: .*missing" "$log"
check "and the box carries it" is "$(grep -A2 "vigil: InitScriptInterface failed" "$log" | grep -cE "^data/demo.conf:[0-9]+: ")" 1

# 6b. Started from a folder without the script, or with an empty demo.conf:
# the message names the folder and the file and says how to run the player;
# with --dir it plays from the folder named.
mkdir -p "$scratch/no_data"
start "$scratch/no_data"; answer Return; finish
check "without data/ the player exits 1" is "$status" 1
check "and says where it looked and what to do" \
  grep -qF "there is no data/ folder in $scratch/no_data: run vigil from the folder that holds data/, or pass --dir" "$log"
dir=$(script "$scratch/empty_demo" tone_music_init -- 1000 fill_red)
: > "$dir/data/demo.conf"
start "$dir"; answer Return; finish
check "an empty demo.conf is named" has "$log" "data/demo.conf in $dir is empty"
dir=$(script "$scratch/elsewhere" tone_music_init -- 300 fill_red)
log="$scratch/no_data/err.txt"
(cd "$scratch/no_data" && exec timeout 300 "$player" --dir "$dir" > /dev/null 2> "$log") &
pid=$!
answer Escape; finish
check "--dir plays the demo of the folder named" is "$status" 0

# 7. No music_init in the script: a message, not an endless wait.
dir=$(script "$scratch/no_music" ok_init -- 1000 fill_red)
start "$dir"; answer Escape; finish
check "a script without music_init exits 1" is "$status" 1
check "a script without music_init says so" has "$log" "music_init"

# 8. SIGTERM while "Fullscreen?" is open ends the player without an answer,
# and takes its box away. (Without the fix it waited for ever; 10 s is a
# deadline, not a speed.)
dir=$(script "$scratch/term_box" tone_music_init -- 1000 fill_red)
log="$dir/err.txt"
(cd "$dir" && exec "$player" > "$dir/out.txt" 2> "$log") &
pid=$!
awaited "the question box" have_box
kill -TERM "$pid"
until_true 10 ended "$pid" && ended=yes || ended=no
[ "$ended" = yes ] || { echo "  (the player still runs 10 s after SIGTERM; observed:)"; observed; }
finish 1
check "SIGTERM during the question ends the player" is "$ended" yes
check "SIGTERM during the question: killed by SIGTERM" is "$status" 143
check "SIGTERM during the question takes the box away" wait_for 10 "the box to go" gone "$box"

# 9. A display without GLX: no GL context can be made. The player says so
# with SDL's reason and stops before any routine reaches GL.
display_glx=$DISPLAY
start_xvfb -extension GLX
dir=$(script "$scratch/no_glx" tone_music_init -- 1000 fill_red say_frames)
start "$dir"; answer Escape; finish
check "without GLX: exit 1" is "$status" 1
check "without GLX: it says that no OpenGL context could be made, and why" \
  grep -q 'no OpenGL context could be made: .' "$log"
check "without GLX: no frame ran" lacks "$log" "frame"
export DISPLAY=$display_glx

# 10. The shipped demo's first seconds: no frame takes arena memory, which
# the arena never gives back.
dir="$scratch/shipped"
mkdir -p "$dir"
cp -r "$(dirname "$(readlink -f "$0")")/../../data" "$dir/"
log="$dir/err.txt"
(cd "$dir" && VIGIL_ARENA_REPORT=1 exec timeout 300 "$player" > "$dir/out.txt" 2> "$log") &
pid=$!
answer Escape
check "the shipped demo plays" wait_line "arena use noted from the first frame"
sleep 4 # the demo plays on for a while
press Escape; finish
check "the shipped demo: Escape quits with 0" is "$status" 0
check "the shipped demo: no frame took arena memory" grep -qE "arena use changed in 0 of [1-9][0-9]+ frames" "$log"

report
