# Helpers of the end-to-end scripts, sourced by each. Makes the scratch
# folder $scratch (removed at exit with every display server started here),
# selects SDL's dummy audio, and gives: check (counts $failures), servers of
# our own (Xvfb, or Xorg with the dummy video driver whose mode lines decide
# what the display offers), the demo's window and key presses to it, and
# short scripts written into a folder.
scratch=$(mktemp -d /tmp/vigil-e2e-XXXXXX)
failures=0
server=
servers=()
cleanup() {
  declare -F extra_cleanup > /dev/null && extra_cleanup
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$scratch"
}
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy

check() { # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; failures=$((failures + 1)); fi
}
# has FILE TEXT: true when FILE holds TEXT; otherwise shows what it holds.
has() {
  grep -qF -- "$2" "$1" && return 0
  echo "  (\"$2\" is not in $1, which holds:)"
  head -n 20 "$1" 2>&1 | sed 's/^/  | /'
  return 1
}
lacks() { ! grep -qF -- "$2" "$1"; }
report() { echo "$failures failed"; [ "$failures" -eq 0 ]; }

# wait_display FD FILE: waits for a server started with -displayfd and
# points DISPLAY at it; false when it did not come up.
wait_display() {
  for _ in $(seq 100); do [ -s "$2" ] && break; kill -0 "$server" 2>/dev/null || break; sleep 0.05; done
  [ -s "$2" ] || return 1
  export DISPLAY=":$(head -n1 "$2")"
}

# start_xvfb [ARGS...]: an Xvfb of our own, 1280x1024, on a free display.
start_xvfb() {
  local file="$scratch/xvfb-display-${#servers[@]}"
  exec 3> "$file"
  Xvfb -displayfd 3 "$@" -screen 0 1280x1024x24 -nolisten tcp > "$file.log" 2>&1 &
  server=$!; servers+=("$server")
  wait_display 3 "$file"
}

# xorg_config MODE...: a dummy-driver configuration offering those modes,
# the first being the desktop's (and the screen's whole size).
xorg_config() {
  local modes="" size=${1/x/ }
  {
    printf 'Section "Device"\n  Identifier "dummy"\n  Driver "dummy"\n  VideoRam 65536\nEndSection\n'
    printf 'Section "Monitor"\n  Identifier "monitor"\n  HorizSync 5.0 - 1000.0\n  VertRefresh 5.0 - 200.0\n'
    for mode in "$@"; do
      case $mode in
        1280x1024) echo '  Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066' ;;
        1024x768) echo '  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806' ;;
        1024x640) echo '  Modeline "1024x640" 52.00 1024 1072 1176 1328 640 643 649 663' ;;
      esac
      modes="$modes \"$mode\""
    done
    printf 'EndSection\nSection "Screen"\n  Identifier "screen"\n  Device "dummy"\n  Monitor "monitor"\n'
    printf '  DefaultDepth 24\n  SubSection "Display"\n    Depth 24\n    Modes %s\n    Virtual %s\n' "$modes" "$size"
    printf '  EndSubSection\nEndSection\n'
  }
}

# start_server CONFIG: an Xorg server of our own on a free display.
start_server() {
  exec 4> "$scratch/display"
  Xorg -displayfd 4 -config "$1" -noreset -nolisten tcp -logfile "$scratch/xorg.log" > /dev/null 2>&1 &
  server=$!; servers+=("$server")
  wait_display 4 "$scratch/display"
}

stop_server() { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; server=; }

screen_size() { xdpyinfo | awk '/dimensions:/ {print $2}'; }

# The red, green, blue of pixel (x, y) of the whole screen.
screen_pixel() {
  xwd -root -silent > "$scratch/screen.xwd"
  ffmpeg -v error -y -i "$scratch/screen.xwd" -f rawvideo -pix_fmt rgb24 "$scratch/screen.rgb" || return
  local width height
  width=$(screen_size | cut -dx -f1); height=$(screen_size | cut -dx -f2)
  [ "$2" -lt "$height" ] || { echo "outside"; return; }
  od -An -tu1 -j $((($2 * width + $1) * 3)) -N3 "$scratch/screen.rgb" | xargs
}

# window [OTHER_THAN]: the id of the newest window titled "This window is for
# sale" (the box, or the demo's window), waiting up to 30 s; empty when none
# shows.
window() {
  local id
  for _ in $(seq 600); do
    id=$(xwininfo -root -tree 2>/dev/null | grep '"This window is for sale"' | awk '{print $1}' |
      grep -vx "${1:-none}" | tail -n1)
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

# script DIR INIT_ROUTINE... -- SCENE_LENGTH ROUTINE...: DIR/data/init.conf
# and DIR/data/demo.conf with one scene, "only".
script() {
  local dir=$1 i=1; shift
  mkdir -p "$dir/data"
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
