#!/usr/bin/env bash
# End-to-end tests of the player: the test build of vigil (with routines of
# the tests' own) runs under its own Xvfb with SDL's dummy audio, in scratch
# folders holding short scripts; xdotool answers its message boxes and
# presses Escape.
#   usage: player_e2e.sh PLAYER
set -uo pipefail
player=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/e2e_lib.sh"
start_xvfb

# start DIR: runs the player in DIR in the background.
start() {
  (cd "$1" && exec timeout 60 "$player" > "$1/out.txt" 2> "$1/err.txt") &
  pid=$!
}

finish() { wait "$pid"; status=$?; }

# 1. "No": a 1024x640 window, the demo plays to its terminator, exit 0.
dir=$(script "$scratch/plays" tone_music_init ok_init -- 1500 fill_red say_frames)
start "$dir"; press Escape
# (xwininfo without an id would wait for a click: ask only with one.)
id=$(window); geometry=
[ -n "$id" ] && geometry=$(xwininfo -id "$id" 2>/dev/null | grep -E 'Width|Height' | awk '{print $2}' | tr '\n' x)
finish
check "No gives a 1024x640 window" [ "$geometry" = "1024x640x" ]
check "the demo plays to its end and exits 0" [ "$status" -eq 0 ]
check "its frames ran" has "$dir/err.txt" "frame"
check "No never touches the display mode" lacks "$dir/err.txt" "ChangeDisplaySettings"

# 2. "Yes" on a display that offers neither mode: tries both, ends in a window.
dir=$(script "$scratch/fallback" tone_music_init -- 500 fill_green)
start "$dir"; press Return; finish
check "Yes falls back to a window and exits 0" [ "$status" -eq 0 ]
check "both display modes were tried" [ "$(grep -c 'calling ChangeDisplaySettings!' "$dir/err.txt")" -eq 2 ]

# 3. Escape during the frames ends the demo long before its end.
dir=$(script "$scratch/escape_frames" tone_music_init -- 2400 fill_blue say_frames)
start "$dir"; press Escape
for _ in $(seq 100); do grep -q frame "$dir/err.txt" 2>/dev/null && break; sleep 0.05; done
SECONDS=0; press Escape; finish
check "Escape during the frames exits 0" [ "$status" -eq 0 ]
check "Escape during the frames ends it at once" [ "$SECONDS" -lt 2 ]

# 4. Escape during the init phase: no music, no frames.
dir=$(script "$scratch/escape_init" slow_init slow_init slow_init slow_init slow_init slow_init tone_music_init -- 1000 fill_red say_frames)
start "$dir"; press Escape; sleep 0.8; press Escape; finish
check "Escape during the init phase exits 0" [ "$status" -eq 0 ]
check "no frame ran after Escape during the init phase" lacks "$dir/err.txt" "frame"

# 5. The third init routine fails: its box names index 2; the first, index 0.
dir=$(script "$scratch/init_fails" ok_init ok_init fail_init tone_music_init -- 1000 fill_red)
start "$dir"; press Escape; sleep 0.3; press Return; finish
check "a failed init routine exits 1" [ "$status" -eq 1 ]
check "the failure names routine 2" has "$dir/err.txt" "Init routine 2 failed"
dir=$(script "$scratch/first_fails" fail_init tone_music_init -- 1000 fill_red)
start "$dir"; press Escape; sleep 0.3; press Return; finish
check "a failing first init routine exits 1, named as routine 0" has "$dir/err.txt" "Init routine 0 failed"

# 6. A scene the order names but no definition has.
dir=$(script "$scratch/bad_script" tone_music_init -- 1000 fill_red)
sed -i 's/scene_name = only/scene_name = missing/' "$dir/data/demo.conf"
start "$dir"; press Return; finish
check "a broken script exits 1" [ "$status" -eq 1 ]
check "a broken script shows InitScriptInterface failed" has "$dir/err.txt" "InitScriptInterface failed"

# 7. No music_init in the script: a message, not an endless wait.
dir=$(script "$scratch/no_music" ok_init -- 1000 fill_red)
start "$dir"; press Escape; finish
check "a script without music_init exits 1" [ "$status" -eq 1 ]
check "a script without music_init says so" has "$dir/err.txt" "music_init"

# 8. SIGTERM while "Fullscreen?" is open ends the player at once, and its
# box with it.
dir=$(script "$scratch/term_box" tone_music_init -- 1000 fill_red)
(cd "$dir" && exec "$player" > "$dir/out.txt" 2> "$dir/err.txt") &
pid=$!
[ -n "$(window)" ] || echo "the box did not show"
kill -TERM "$pid"
for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$pid" 2>/dev/null && ended=no || ended=yes
kill -KILL "$pid" 2>/dev/null; { wait "$pid"; } 2>/dev/null; status=$?
sleep 0.3
check "SIGTERM during the question ends the player within 2 s" [ "$ended" = yes ]
check "SIGTERM during the question: killed by SIGTERM" [ "$status" -eq 143 ]
check "SIGTERM during the question takes the box away" [ -z "$(xwininfo -root -tree | grep '"This window is for sale"')" ]

# 9. A display without GLX: no GL context can be made. The player says so
# with SDL's reason and stops before any routine reaches GL.
display_glx=$DISPLAY
start_xvfb -extension GLX
dir=$(script "$scratch/no_glx" tone_music_init -- 1000 fill_red say_frames)
start "$dir"; press Escape; finish
check "without GLX: exit 1" [ "$status" -eq 1 ]
check "without GLX: it says that no OpenGL context could be made, and why" \
  grep -q 'no OpenGL context could be made: .' "$dir/err.txt"
check "without GLX: no frame ran" lacks "$dir/err.txt" "frame"
export DISPLAY=$display_glx

report
