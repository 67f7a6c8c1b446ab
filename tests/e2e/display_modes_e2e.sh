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

# run_yes: plays a long green scene answering Yes; once the picture shows
# (the middle of the screen is green), records the screen size and some
# pixels from one picture of the screen, then ends the demo with Escape and
# records the size once it ended (waiting up to 10 s for the desktop's).
run_yes() {
  script "$scratch/demo" tone_music_init -- 60000 fill_green say_frames > /dev/null
  log="$scratch/err.txt"
  (cd "$scratch/demo" && exec timeout 300 "$player" > "$scratch/out.txt" 2> "$log") &
  pid=$!
  answer Return
  wait_line frame
  during= top= middle= bottom= corners=
  if awaited "the green picture on the screen" picture_shows; then
    during=$shot_size
    top=$(pixel 512 10); middle=$(pixel 512 384); bottom=$(pixel 512 760)
    corners="$(pixel 1 1) $(pixel 1022 638)"
  fi
  press Escape; finish
  until_true 10 screen_is "$desktop"
  after=$(screen_size)
}
picture_shows() { screen_shot && [ "$(pixel 512 384)" = "0 255 0" ]; }

config="$scratch/both.conf"
desktop=1280x1024
xorg_config 1280x1024 1024x768 1024x640 > "$config"
if ! start_server "$config"; then
  echo "skipped: no Xorg server with the dummy driver can be started here"
  exit 77
fi
run_yes
check "1024x640 offered: the display switches to it" is "$during" 1024x640
check "1024x640 offered: the picture fills the screen" is "$top" "0 255 0"
check "1024x640 offered: one mode change, then the restore" \
  is "$(grep -c 'calling ChangeDisplaySettings!' "$log")" 1
check "1024x640 offered: the desktop mode is back at exit" is "$after" 1280x1024
check "1024x640 offered: exit 0" is "$status" 0
stop_server

xorg_config 1280x1024 1024x768 > "$config"
start_server "$config" || { echo "FAILED: the second server did not start"; exit 1; }
run_yes
check "only 1024x768 offered: the letterbox mode" is "$during" 1024x768
check "only 1024x768 offered: a black bar on top" is "$top" "0 0 0"
check "only 1024x768 offered: the picture between the bars" is "$middle" "0 255 0"
check "only 1024x768 offered: a black bar below" is "$bottom" "0 0 0"
check "only 1024x768 offered: the desktop mode is back at exit" is "$after" 1280x1024
check "only 1024x768 offered: exit 0" is "$status" 0
stop_server

desktop=1024x640
xorg_config 1024x640 > "$config"
start_server "$config" || { echo "FAILED: the third server did not start"; exit 1; }
run_yes
check "desktop at 1024x640: no display mode is set or restored" lacks "$log" "ChangeDisplaySettings"
check "desktop at 1024x640: the picture covers the screen" is "$corners" "0 255 0 0 255 0"
check "desktop at 1024x640: the desktop stays as it was" is "$during $after" "1024x640 1024x640"
check "desktop at 1024x640: exit 0" is "$status" 0
stop_server
report
