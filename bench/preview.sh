#!/usr/bin/env bash
# Seek and reload times of the authors' preview on the shipped demo, as the
# preview itself reports them (from the key, or from the moment it saw the
# save, to the first frame drawn after it), with the memory of its saved
# states and the arena's use over many reloads. Runs build/vigil --preview on
# a copy of data/ under an Xvfb of its own, paused, and presses each key once
# the previous seek has drawn its frame:
#   - every scene start (Page Down through the demo), then 5 s steps (Right)
#     to the end and back (Left), then Home;
#   - RELOADS saves of demo.conf (a comment changed each time), each waited for;
#   - 4 changes of the init list (init_multitexture added and removed), which
#     run the init routines again.
#   usage: bench/preview.sh [BUILD_DIR] [RELOADS]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "${1:-$root/build}")
reloads=${2:-200}
scratch=$(mktemp -d /tmp/vigil-preview-bench-XXXXXX)
exec 3> "$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap 'kill $pid $xvfb 2>/dev/null; [ -n "${VIGIL_BENCH_KEEP:-}" ] || rm -rf "$scratch"' EXIT
for _ in $(seq 200); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$scratch/display")" SDL_AUDIODRIVER=dummy VIGIL_ARENA_REPORT=1
cp -r "$root/data" "$scratch/data"
log="$scratch/err.txt"
(cd "$scratch" && exec "$build/vigil" --preview --paused 2> "$log" > /dev/null) &
pid=$!

# wait_count TEXT N: waits (120 s at most) for TEXT to be in the log N times.
wait_count() {
  for _ in $(seq 2400); do
    [ "$(grep -cF -- "$1" "$log")" -ge "$2" ] && return 0
    kill -0 "$pid" 2>/dev/null || { echo "the preview ended:"; tail "$log"; exit 1; }
    sleep 0.05
  done
  echo "timed out waiting for \"$1\" x$2"; tail "$log"; exit 1
}
count() { grep -cF -- "$1" "$log"; }
wait_count "saved states ready" 1
window=$(xwininfo -root -tree | awk '/"This window is for sale"/ {print $1}' | head -n1)
# key NAME: presses it and waits for the seek's first frame.
key() {
  local before
  before=$(count "after the request")
  xdotool key --window "$window" "$1"
  wait_count "after the request" $((before + 1))
}

seek_from=$(count "after the request")
key Home
scenes=$(grep -c 'scene_name' "$scratch/data/demo.conf")
for _ in $(seq "$scenes"); do key Next; done
key Home
for _ in $(seq 36); do key Right; done
for _ in $(seq 36); do key Left; done
seek_to=$(count "after the request")

for i in $(seq "$reloads"); do
  before=$(count "after the request")
  sed "1s/.*/# reload $i/" "$scratch/data/demo.conf" > "$scratch/demo.new" && mv "$scratch/demo.new" "$scratch/data/demo.conf"
  wait_count "after the request" $((before + 1))
done
reload_to=$(count "after the request")
cp "$scratch/data/init.conf" "$scratch/init.kept"
for i in 1 2 3 4; do
  before=$(count "after the request")
  if [ $((i % 2)) -eq 1 ]; then
    next=$(($(grep -c '^<init[0-9]*>' "$scratch/init.kept") + 1))
    printf '<init%d>\nfunc = init_multitexture\n</init%d>\n' "$next" "$next" | cat "$scratch/init.kept" - > "$scratch/init.new"
  else
    cp "$scratch/init.kept" "$scratch/init.new"
  fi
  mv "$scratch/init.new" "$scratch/data/init.conf"
  wait_count "after the request" $((before + 1))
done
xdotool key --window "$window" Escape
wait "$pid"

# stats FROM TO: the median and the maximum of the reported times in that range of reports.
stats() {
  grep -o '[0-9.]* s after the request' "$log" | awk '{print $1}' | sed -n "$(($1 + 1)),$2p" | sort -n |
    awk '{v[NR] = $1} END { printf "%d, median %.3f s, max %.3f s\n", NR, v[int((NR + 1) / 2)], v[NR] }'
}
grep -F "saved states ready" "$log" | sed 's/^vigil: //'
echo "seeks:          $(stats "$seek_from" "$seek_to")"
echo "reloads:        $(stats "$seek_to" "$reload_to")"
echo "init reloads:   $(stats "$reload_to" "$(count "after the request")")"
first=$(grep -m1 'after reload' "$log" | awk '{print $4}')
last_scene=$(grep 'after reload' "$log" | sed -n "${reloads}p" | awk '{print $4}')
echo "arena use:      $first bytes after the first reload, $last_scene after reload $reloads"
grep -F "arena use changed" "$log" | sed 's/^vigil: /frames:         /'
