#!/usr/bin/env bash
# Start-up time of the player: from launch to its first frame, with the
# "Fullscreen?" box answered No by xdotool as soon as it shows (that delay is
# included). Runs the test build of the player on a one-scene script under an
# Xvfb of its own, several times.
#   usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -uo pipefail
build=$(readlink -f "${1:-build}")
runs=${2:-5}
scratch=$(mktemp -d /tmp/vigil-startup-XXXXXX)
exec 3> "$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$scratch/display")" SDL_AUDIODRIVER=dummy
mkdir -p "$scratch/data"
printf '<init1>\nfunc = tone_music_init\n</init1>\n' > "$scratch/data/init.conf"
printf '<scenes>\n<a>\ntime_length = 300\n<routine>\nfunc = say_frames\n</routine>\n</a>\n</scenes>\n<order>\n<scene>\nscene_name = a\n</scene>\n</order>\n' > "$scratch/data/demo.conf"
for run in $(seq "$runs"); do
  start=$(date +%s.%N)
  (cd "$scratch" && exec "$build/vigil-test-player" 2> "$scratch/err" > /dev/null) &
  pid=$!
  for _ in $(seq 400); do
    id=$(xwininfo -root -tree 2>/dev/null | grep '"This window is for sale"' | awk '{print $1}' | head -n1)
    [ -n "$id" ] && break; sleep 0.01
  done
  xdotool key --window "$id" Escape 2>/dev/null
  for _ in $(seq 1000); do grep -q frame "$scratch/err" 2>/dev/null && break; sleep 0.005; done
  first=$(date +%s.%N)
  wait "$pid"
  awk -v a="$start" -v b="$first" -v r="$run" 'BEGIN { printf "run %d: first frame %d ms after launch\n", r, (b - a) * 1000 }'
done
