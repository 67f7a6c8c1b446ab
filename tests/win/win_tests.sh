#!/usr/bin/env bash
# The Windows build under Wine, in a fresh Wine prefix of its own (removed at
# the end), with the 64-bit loader run directly:
#   1. vigil-win-tests: the system's picture loader and MP3 codec against the
#      Linux decoders' results (written by vigil-win-reference).
#   2. vigil.exe under Xvfb on a short script: "Fullscreen?" answered No, the
#      loading screen shows, a picture of the window during the scene matches
#      the Linux capture of that scene, the demo reaches its end and exits 0.
#   3. vigil.exe --preview under Xvfb: a seek, a reload, a broken save
#      reported while the last good script plays on, one window throughout.
#   4. vigil.exe under Xorg with the dummy driver offering 1024x640: Yes
#      switches the display to it, and the desktop mode is back at the end.
#   usage: win_tests.sh VIGIL_EXE WIN_TESTS_EXE LINUX_REFERENCE LINUX_CAPTURE
# Exits 77 (skipped) when Wine is not installed.
set -uo pipefail
vigil_exe=$(readlink -f "$1")
tests_exe=$(readlink -f "$2")
reference=$(readlink -f "$3")
capture=$(readlink -f "$4")
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "skipped: no $wine"; exit 77; }
for tool in "$vigil_exe" "$tests_exe" "$reference" "$capture"; do
  [ -x "$tool" ] || { echo "FAILED: $tool is missing"; exit 1; }
done

source "$(dirname "$(readlink -f "$0")")/../e2e/e2e_lib.sh"
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all
extra_cleanup() { "$(dirname "$wine")/wineserver" -k 2>/dev/null; }
start_xvfb
"$wine" wineboot -i > "$scratch/wineboot.log" 2>&1

# 1. The decoders.
mkdir -p "$scratch/ref"
"$reference" "$scratch/ref" || echo "FAILED: the Linux reference could not be written"
"$wine" "$tests_exe" "Z:$scratch/ref" 2> "$scratch/decoders.err" | tr -d '\r'
check "the Windows decoders match the Linux ones" [ "${PIPESTATUS[0]}" -eq 0 ]

# A folder with a short script: the title pictures, the archstairs pictures
# and the soundtrack behind the loading screen, then the archstairs
# background (a still picture) for 4 s.
demo=$(script "$scratch/demo" overlay_logo_init background_window_init overlay_face_init archstairs_init music_init \
  -- 4000 archstairs_background)
"$capture" --dir "$demo" --loading "$scratch/loading" --from 1 --to 1.1 --fps 10 --frames "$scratch/frames" > /dev/null 2>&1 ||
  echo "FAILED: the Linux capture of the short script"

# similar A.png B.png: true when the two pictures agree within the tolerance,
# a PSNR of 40 dB (the same picture scores about 50 here; the loading screen
# one step earlier or later about 31).
similar() {
  local psnr
  psnr=$(ffmpeg -v info -i "$1" -i "$2" -lavfi psnr -f null - 2>&1 | sed -n 's/.*average:\([0-9.inf]*\).*/\1/p')
  [ "$psnr" = inf ] || awk -v p="$psnr" 'BEGIN { exit !(p != "" && p >= 40) }'
}

# Wine takes its time to show its first box on a loaded machine.
show_wait=180

# 2. "No", the loading screen, a still of the scene, the end. Pictures of the
# window are taken while it runs and compared afterwards.
log="$scratch/err.txt"
(cd "$demo" && exec timeout 300 "$wine" "$vigil_exe" > "$scratch/out.txt" 2> "$log") &
pid=$!
answer n
# The window's size is read with its id, in one look, and the first size
# seen is kept; pictures of it are taken until the program ends (at most
# 400, for the disk's sake).
geometry= shots=0
mkdir -p "$scratch/shots"
while running "$pid"; do
  if have_window; then
    [ -n "$geometry" ] || geometry=$window_size
    [ "$shots" -lt 400 ] && xwd -id "$window_id" -silent > "$scratch/shots/$((1000 + shots)).xwd" 2>/dev/null &&
      shots=$((shots + 1))
  fi
  sleep 0.05
done
finish 10
shown_loading=no shown_scene=no
for shot in "$scratch"/shots/*.xwd; do
  # RGB only: the window's alpha channel is not part of what is seen.
  ffmpeg -v error -y -i "$shot" -pix_fmt rgb24 "${shot%.xwd}.png" 2>/dev/null || continue
  if [ "$shown_scene" = no ] && similar "${shot%.xwd}.png" "$scratch/frames/frame_000010.png"; then
    shown_scene=yes
  elif [ "$shown_loading" = no ]; then
    for picture in "$scratch"/loading/loading_*.png; do
      similar "${shot%.xwd}.png" "$picture" && { shown_loading=yes; break; }
    done
  fi
  [ "$shown_scene$shown_loading" = yesyes ] && break
done
[ "$shown_scene$shown_loading" = yesyes ] || echo "  ($shots pictures of the window were taken)"
check "No gives a 1024x640 window" is "$geometry" 1024x640
check "the loading screen shows as on Linux" is "$shown_loading" yes
check "the scene looks as the Linux capture of it" is "$shown_scene" yes
check "the demo reaches its end and exits 0" is "$status" 0
check "No never touches the display mode" lacks "$log" ChangeDisplaySettings

switched_or_ended() {
  during=$(screen_size)
  [ "$during" = 1024x640 ] || ended "$pid"
}

# 3. The preview, with the same keys and reloads as on Linux: a seek, a
# change that reloads, a broken save reported with its file and line while
# the last good script plays on, all in one window.
log="$scratch/preview.txt"
cp "$demo/data/demo.conf" "$scratch/demo.conf.kept"
(cd "$demo" && VIGIL_ARENA_REPORT=1 exec timeout 300 "$wine" "$vigil_exe" --preview --at 1 > "$scratch/out.txt" 2> "$log") &
pid=$!
check "preview: starts at --at without asking Fullscreen?" wait_line "preview at 1.000 s"
awaited "the preview's window" have_window
first_window=$window_id
press space
check "preview: Space pauses" wait_line "paused at"
press Home
check "preview: Home seeks to the beginning" wait_line "preview at 0.000 s"
sed 's/time_length = 4000/time_length = 5000/' "$demo/data/demo.conf" > "$scratch/demo.conf"
mv "$scratch/demo.conf" "$demo/data/demo.conf"
check "preview: a changed script reloads" wait_line "reloading at 0.000 s"
sed 's/func = archstairs_background/func = no_such_routine/' "$demo/data/demo.conf" > "$scratch/demo.conf"
mv "$scratch/demo.conf" "$demo/data/demo.conf"
check "preview: a broken script is reported with its file and line" wait_line "data/demo.conf:"
press Right
check "preview: the last good one plays on and seeks" wait_line "preview at 4.999 s"
check "preview: one window throughout" eval 'have_window && [ "$window_id" = "$first_window" ]'
press Escape; finish 60
check "preview: Escape quits with 0" is "$status" 0
check "preview: no frame took arena memory" has "$log" "arena use changed in 0 of"
cp "$scratch/demo.conf.kept" "$demo/data/demo.conf"

# 4. "Yes" under Xorg with the dummy driver: the Wine server starts again on
# that display.
"$(dirname "$wine")/wineserver" -k 2>/dev/null; "$(dirname "$wine")/wineserver" -w 2>/dev/null
xorg_config 1280x1024 1024x768 1024x640 > "$scratch/xorg.conf"
if start_server "$scratch/xorg.conf"; then
  (cd "$demo" && exec timeout 300 "$wine" "$vigil_exe" > "$scratch/out.txt" 2> "$log") &
  pid=$!
  answer y
  # The first look at 1024x640 is kept; the program's end stops the looking.
  during=
  until_true 180 switched_or_ended
  finish
  until_true 10 screen_is 1280x1024
  after=$(screen_size)
  check "Yes switches the display to 1024x640" is "$during" 1024x640
  check "Yes: one mode change, then the restore" \
    is "$(grep -c 'calling ChangeDisplaySettings!' "$log")" 1
  check "Yes: the desktop mode is back at the end" is "$after" 1280x1024
  check "Yes: exit 0" is "$status" 0
else
  echo "skipped: no Xorg server with the dummy driver can be started here"
fi

report
