#!/usr/bin/env bash
# End-to-end tests of the full-screen configurations: the test build of the
# player under Xorg with the dummy video driver, whose mode lines decide what
# the display offers. Answering "Fullscreen?" with Yes must give full screen
# at 1024x640 where that is offered, the 1024x768 letterbox (black bars of 64
# rows) where only that is, and the desktop's own mode back at exit. Where the
# desktop already is 1024x640, no mode is set and the picture covers it.
#   usage: display_modes_e2e.sh PLAYER
# Exits 77 (skipped) when no Xorg server can be started here.
set -uo pipefail
player=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/e2e_lib.sh"

# run_yes: plays a 2.4 s green scene answering Yes; records the screen size
# and some pixels half a second into the frames, then the size after the exit.
run_yes() {
  script "$scratch/demo" tone_music_init -- 2400 fill_green say_frames > /dev/null
  (cd "$scratch/demo" && exec timeout 60 "$player" > "$scratch/out.txt" 2> "$scratch/err.txt") &
  local pid=$!
  press Return
  # Half a second into the frames, however long the start took.
  for _ in $(seq 400); do grep -q frame "$scratch/err.txt" 2>/dev/null && break; sleep 0.05; done
  sleep 0.5
  during=$(screen_size)
  top=$(screen_pixel 512 10); middle=$(screen_pixel 512 384); bottom=$(screen_pixel 512 760)
  corners="$(screen_pixel 1 1) $(screen_pixel 1022 638)"
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

xorg_config 1024x640 > "$config"
start_server "$config" || { echo "FAILED: the third server did not start"; exit 1; }
run_yes
check "desktop at 1024x640: no display mode is set or restored" lacks "$scratch/err.txt" "ChangeDisplaySettings"
check "desktop at 1024x640: the picture covers the screen" [ "$corners" = "0 255 0 0 255 0" ]
check "desktop at 1024x640: the desktop stays as it was" [ "$during $after" = "1024x640 1024x640" ]
check "desktop at 1024x640: exit 0" [ "$status" -eq 0 ]
stop_server
report
