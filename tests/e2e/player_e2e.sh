#!/usr/bin/env bash
# End-to-end tests of the player: the test build of vigil (with routines of
# the tests' own) runs under its own Xvfb with SDL's dummy audio, in scratch
# folders holding short scripts; xdotool answers its message boxes and
# presses Escape.
#   usage: player_e2e.sh PLAYER
set -uo pipefail
player=$(readlink -f "$1")
failures=0
scratch=$(mktemp -d /tmp/vigil-e2e-XXXXXX)

# A display of our own.
exec 3> "$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp > "$scratch/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$scratch/display")"
export SDL_AUDIODRIVER=dummy
cleanup() { kill "$xvfb" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT

# The id of the newest window titled "This window is for sale" (the box, or
# the demo's window), waiting up to 30 s; empty when none shows.
window() {
  for _ in $(seq 600); do
    local id
    id=$(xwininfo -root -tree 2>/dev/null | grep '"This window is for sale"' | awk '{print $1}' | tail -n1)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.05
  done
}

# press KEY: focuses the window and sends the key; tries again when the
# window it found went away meanwhile (a box closing as it was found).
press() {
  local id
  for _ in 1 2 3; do
    id=$(window)
    [ -n "$id" ] || return 1
    xdotool windowfocus --sync "$id" 2>/dev/null
    xdotool key --window "$id" "$1" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}

# A folder with data/init.conf and data/demo.conf.
# script NAME INIT_ROUTINES... -- SCENE_LENGTH ROUTINE...
script() {
  local dir="$scratch/$1"; shift
  mkdir -p "$dir/data"
  local i=1
  : > "$dir/data/init.conf"
  while [ "$1" != "--" ]; do
    printf '<init%d>\nfunc = %s\n</init%d>\n' "$i" "$1" "$i" >> "$dir/data/init.conf"
    i=$((i + 1)); shift
  done
  shift
  local length=$1; shift
  {
    printf '<scenes>\n<only>\ntime_length = %s\n' "$length"
    for r in "$@"; do printf '<routine>\nfunc = %s\n</routine>\n' "$r"; done
    printf '</only>\n</scenes>\n<order>\n<scene>\nscene_name = only\n</scene>\n</order>\n'
  } > "$dir/data/demo.conf"
  echo "$dir"
}

# start DIR: runs the player in DIR in the background.
start() {
  (cd "$1" && exec timeout 60 "$player" > "$1/out.txt" 2> "$1/err.txt") &
  pid=$!
}

finish() { wait "$pid"; status=$?; }

check() { # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; failures=$((failures + 1)); fi
}

has() { grep -qF -- "$2" "$1"; }
lacks() { ! grep -qF -- "$2" "$1"; }

# 1. "No": a 1024x640 window, the demo plays to its terminator, exit 0.
dir=$(script plays tone_music_init ok_init -- 1500 fill_red say_frames)
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
dir=$(script fallback tone_music_init -- 500 fill_green)
start "$dir"; press Return; finish
check "Yes falls back to a window and exits 0" [ "$status" -eq 0 ]
check "both display modes were tried" [ "$(grep -c 'calling ChangeDisplaySettings!' "$dir/err.txt")" -eq 2 ]

# 3. Escape during the frames ends the demo long before its end.
dir=$(script escape_frames tone_music_init -- 2400 fill_blue say_frames)
start "$dir"; press Escape
for _ in $(seq 100); do grep -q frame "$dir/err.txt" 2>/dev/null && break; sleep 0.05; done
SECONDS=0; press Escape; finish
check "Escape during the frames exits 0" [ "$status" -eq 0 ]
check "Escape during the frames ends it at once" [ "$SECONDS" -lt 2 ]

# 4. Escape during the init phase: no music, no frames.
dir=$(script escape_init slow_init slow_init slow_init slow_init slow_init slow_init tone_music_init -- 1000 fill_red say_frames)
start "$dir"; press Escape; sleep 0.8; press Escape; finish
check "Escape during the init phase exits 0" [ "$status" -eq 0 ]
check "no frame ran after Escape during the init phase" lacks "$dir/err.txt" "frame"

# 5. The third init routine fails: its box names index 2; the first, index 0.
dir=$(script init_fails ok_init ok_init fail_init tone_music_init -- 1000 fill_red)
start "$dir"; press Escape; sleep 0.3; press Return; finish
check "a failed init routine exits 1" [ "$status" -eq 1 ]
check "the failure names routine 2" has "$dir/err.txt" "Init routine 2 failed"
dir=$(script first_fails fail_init tone_music_init -- 1000 fill_red)
start "$dir"; press Escape; sleep 0.3; press Return; finish
check "a failing first init routine exits 1, named as routine 0" has "$dir/err.txt" "Init routine 0 failed"

# 6. A scene the order names but no definition has.
dir=$(script bad_script tone_music_init -- 1000 fill_red)
sed -i 's/scene_name = only/scene_name = missing/' "$dir/data/demo.conf"
start "$dir"; press Return; finish
check "a broken script exits 1" [ "$status" -eq 1 ]
check "a broken script shows InitScriptInterface failed" has "$dir/err.txt" "InitScriptInterface failed"

# 7. No music_init in the script: a message, not an endless wait.
dir=$(script no_music ok_init -- 1000 fill_red)
start "$dir"; press Escape; finish
check "a script without music_init exits 1" [ "$status" -eq 1 ]
check "a script without music_init says so" has "$dir/err.txt" "music_init"

# 8. SIGTERM while "Fullscreen?" is open ends the player at once, and its
# box with it.
dir=$(script term_box tone_music_init -- 1000 fill_red)
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
exec 5> "$scratch/display-noglx"
Xvfb -displayfd 5 -extension GLX -screen 0 1280x1024x24 -nolisten tcp > "$scratch/xvfb-noglx.log" 2>&1 &
xvfb_noglx=$!
for _ in $(seq 100); do [ -s "$scratch/display-noglx" ] && break; sleep 0.05; done
display_glx=$DISPLAY
export DISPLAY=":$(head -n1 "$scratch/display-noglx")"
dir=$(script no_glx tone_music_init -- 1000 fill_red say_frames)
start "$dir"; press Escape; finish
check "without GLX: exit 1" [ "$status" -eq 1 ]
check "without GLX: it says that no OpenGL context could be made, and why" \
  grep -q 'no OpenGL context could be made: .' "$dir/err.txt"
check "without GLX: no frame ran" lacks "$dir/err.txt" "frame"
kill "$xvfb_noglx"; export DISPLAY=$display_glx

echo "$failures failed"
[ "$failures" -eq 0 ]
