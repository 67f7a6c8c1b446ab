#!/usr/bin/env bash
# End-to-end tests of the full-screen configurations: the test build of the
# player under Xorg with the dummy video driver, whose mode lines decide what
# the display offers. Answering "Fullscreen?" with Yes must give full screen
# at 1024x640 where that is offered, the 1024x768 letterbox (black bars of 64
# rows) where only that is, and the desktop's own mode back at exit.
#   usage: display_modes_e2e.sh PLAYER
# Exits 77 (skipped) when no Xorg server can be started here.
set -uo pipefail
player=$(readlink -f "$1")
failures=0
scratch=$(mktemp -d /tmp/vigil-modes-XXXXXX)
server=
cleanup() { [ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy

# xorg_config MODE...: a dummy-driver configuration offering those modes,
# the first being the desktop's.
xorg_config() {
  local modes=""
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
    printf '  DefaultDepth 24\n  SubSection "Display"\n    Depth 24\n    Modes %s\n    Virtual 1280 1024\n' "$modes"
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

check() {
  local name=$1; shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; failures=$((failures + 1)); fi
}

# run_yes: plays a 2.5 s green scene answering Yes; records the screen size
# and three pixels one second in, then the size after the exit.
run_yes() {
  mkdir -p "$scratch/demo/data"
  printf '<init1>\nfunc = tone_music_init\n</init1>\n' > "$scratch/demo/data/init.conf"
  printf '<scenes>\n<a>\ntime_length = 2400\n<routine>\nfunc = fill_green\n</routine>\n</a>\n</scenes>\n<order>\n<scene>\nscene_name = a\n</scene>\n</order>\n' > "$scratch/demo/data/demo.conf"
  (cd "$scratch/demo" && exec timeout 60 "$player" > "$scratch/out.txt" 2> "$scratch/err.txt") &
  local pid=$! id=
  for _ in $(seq 200); do
    id=$(xwininfo -root -tree 2>/dev/null | grep '"This window is for sale"' | awk '{print $1}' | head -n1)
    [ -n "$id" ] && break; sleep 0.05
  done
  xdotool windowfocus --sync "$id" 2>/dev/null; xdotool key --window "$id" Return
  sleep 1.5
  during=$(screen_size)
  top=$(screen_pixel 512 10); middle=$(screen_pixel 512 384); bottom=$(screen_pixel 512 760)
  wait "$pid"; status=$?
  after=$(screen_size)
}

config="$scratch/both.conf"
xorg_config 1280x1024 1024x768 1024x640 > "$config"
if ! start_server "$config"; then
  echo "skipped: no Xorg server with the dummy driver can be started here"
  exit 77
fi
run_yes
check "1024x640 offered: the display switches to it" [ "$during" = "1024x640" ]
check "1024x640 offered: the picture fills the screen" [ "$top" = "0 255 0" ]
check "1024x640 offered: one mode change, then the restore" \
  [ "$(grep -c 'calling ChangeDisplaySettings!' "$scratch/err.txt")" -eq 1 ]
check "1024x640 offered: the desktop mode is back at exit" [ "$after" = "1280x1024" ]
check "1024x640 offered: exit 0" [ "$status" -eq 0 ]
stop_server

xorg_config 1280x1024 1024x768 > "$config"
start_server "$config" || { echo "FAILED: the second server did not start"; exit 1; }
run_yes
check "only 1024x768 offered: the letterbox mode" [ "$during" = "1024x768" ]
check "only 1024x768 offered: a black bar on top" [ "$top" = "0 0 0" ]
check "only 1024x768 offered: the picture between the bars" [ "$middle" = "0 255 0" ]
check "only 1024x768 offered: a black bar below" [ "$bottom" = "0 0 0" ]
check "only 1024x768 offered: the desktop mode is back at exit" [ "$after" = "1280x1024" ]
check "only 1024x768 offered: exit 0" [ "$status" -eq 0 ]
stop_server

echo "$failures failed"
[ "$failures" -eq 0 ]
