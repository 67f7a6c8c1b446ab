# Helpers of the end-to-end tests that need real display-mode switches: an
# Xorg server of the test's own with the dummy video driver, whose mode lines
# decide what the display offers. Sourced: makes the scratch folder $scratch
# (removed at exit with the server), sets $server (the server's pid) and
# DISPLAY, and SDL's dummy audio.
scratch=$(mktemp -d /tmp/vigil-xorg-XXXXXX)
server=
cleanup() { [ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy

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
  server=$!
  for _ in $(seq 100); do [ -s "$scratch/display" ] && break; kill -0 "$server" 2>/dev/null || break; sleep 0.05; done
  [ -s "$scratch/display" ] || return 1
  export DISPLAY=":$(head -n1 "$scratch/display")"
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

# The id of the newest window titled "This window is for sale" (the box, or
# the demo's window), waiting up to 10 s; empty when none shows.
demo_window() {
  local id
  for _ in $(seq 200); do
    id=$(xwininfo -root -tree 2>/dev/null | grep '"This window is for sale"' | awk '{print $1}' | tail -n1)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.05
  done
}

check() {
  local name=$1; shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; failures=$((failures + 1)); fi
}
