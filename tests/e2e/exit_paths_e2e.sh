#!/usr/bin/env bash
# End-to-end tests of every way the player can end after it switched the
# display to 1024x640 (Xorg with the dummy driver, desktop at 1280x1024):
# Escape, the close button, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, two
# signals at once, exit() from an init routine, the crash signals SIGSEGV
# (also on a thread of its own), SIGABRT, SIGBUS and SIGXCPU, SIGKILL, a
# fault while another thread holds the player's X display lock, and
# standard error in a pipe whose reader has gone. After each, the screen
# must be back at the desktop's size; the crash signals must still show in
# the exit status, and the display-mode guardian must not outlive the
# player.
#   usage: exit_paths_e2e.sh PLAYER
# Exits 77 (skipped) when no Xorg server can be started here.
set -uo pipefail
player=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
source "$here/e2e_lib.sh"

# demo NAME INIT...: a folder whose script runs the init routines, then one
# long green scene that prints "frame" when the frame loop runs.
demo() {
  local name=$1; shift
  script "$scratch/$name" "$@" -- 30000 fill_green say_frames
}

# start_yes DIR: runs the player in DIR (with the default action for every
# signal, which a background job would not have) and answers Yes.
start_yes() {
  log="$1/err.txt"
  (cd "$1" && exec env --default-signal "$player" > "$1/out.txt" 2> "$log") &
  pid=$!
  answer Return
}

# finish_case: waits up to 60 s for the player to end (then kills it); sets
# $status and $after (the screen size once it ended, waiting up to 10 s for
# the desktop's). A screen left in the demo's mode gets a fresh server, so
# that the next case starts from the desktop and fails only for its own
# reasons.
finish_case() {
  finish 60
  until_true 10 screen_is 1280x1024
  after=$(screen_size)
  if [ "$after" != 1280x1024 ]; then
    stop_server
    start_server "$config" || { echo "the Xorg server did not come back" >&2; exit 1; }
  fi
}

config="$scratch/modes.conf"
xorg_config 1280x1024 1024x640 > "$config"
if ! start_server "$config"; then
  echo "skipped: no Xorg server with the dummy driver can be started here"
  exit 77
fi

# Keys and the close button, while the frames run.
# guardian_of PID: the display-mode guardian the player PID started.
guardian_of() { pgrep -P "$1" -x vigil-guardian; }

dir=$(demo escape tone_music_init)
start_yes "$dir"; wait_line frame
guardian=$(guardian_of "$pid")
press Escape; finish_case
check "Escape: exit 0" is "$status" 0
check "Escape: the desktop mode is back" is "$after" 1280x1024
check "Escape: the output is back in the desktop's mode" is "$(output_geometry)" 1280x1024+0+0
check "Escape: the player had a guardian" test -n "$guardian"
check "Escape: the guardian ended with the player" wait_for 10 "the guardian's end" ended "${guardian:-0}"
check "Escape: the player restored the mode itself" lacks "$log" "the guardian put"

dir=$(demo close tone_music_init)
start_yes "$dir"; wait_line frame
have_window && python3 "$here/close_window.py" "$window_id"; finish_case
check "close button: exit 0" is "$status" 0
check "close button: the desktop mode is back" is "$after" 1280x1024

# Terminating signals end the demo through its normal shutdown.
for signal in INT TERM HUP QUIT USR1; do
  dir=$(demo "sig$signal" tone_music_init)
  start_yes "$dir"; wait_line frame
  check "SIG$signal: the display had switched" wait_for 10 "the demo's mode" screen_is 1024x640
  kill -s "$signal" "$pid"; finish_case
  check "SIG$signal: exit 0" is "$status" 0
  check "SIG$signal: the desktop mode is back" is "$after" 1280x1024
done

# exit() and crashes in the init phase, after the mode change.
dir=$(demo exit exit_init)
start_yes "$dir"; finish_case
check "exit(1): exit 1" is "$status" 1
check "exit(1): the desktop mode is back" is "$after" 1280x1024

for crash in segv:139 segv_thread:139 abort:134 bus:135; do
  dir=$(demo "${crash%:*}" "${crash%:*}_init")
  start_yes "$dir"; finish_case
  check "${crash%:*}: the signal shows in the exit status" is "$status" "${crash#*:}"
  check "${crash%:*}: the desktop mode is back" is "$after" 1280x1024
done

# Two signals at once: the first asks for the normal shutdown, the second
# ends the player on the spot (whichever thread each lands on), in the
# demo's mode; the guardian puts the desktop's back. The player is stopped
# while both are sent, so that they are handled together.
dir=$(demo twice tone_music_init)
start_yes "$dir"; wait_line frame
check "two signals: the display had switched" wait_for 10 "the demo's mode" screen_is 1024x640
kill -STOP "$pid"; kill -INT "$pid"; kill -TERM "$pid"; kill -CONT "$pid"
finish_case
check "two signals: the second ends the player at once" test "$status" = 143 -o "$status" = 130
check "two signals: the desktop mode is back" is "$after" 1280x1024
check "two signals: the output is back in the desktop's mode" is "$(output_geometry)" 1280x1024+0+0

# Killed from outside while the frames run: nothing of the player's runs,
# and its guardian puts the desktop's mode back. How long that takes is
# measured from the kill to the moment the screen is back.
for crash in KILL:137 XCPU:152; do
  dir=$(demo "sig${crash%:*}" tone_music_init)
  start_yes "$dir"; wait_line frame
  check "SIG${crash%:*}: the display had switched" wait_for 10 "the demo's mode" screen_is 1024x640
  guardian=$(guardian_of "$pid")
  check "SIG${crash%:*}: the player has a guardian" test -n "$guardian"
  start=$(date +%s%N)
  # (Bash's note on the killed job, written as it reaps it, is kept out.)
  {
    kill -s "${crash%:*}" "$pid"
    until_true 10 screen_is 1280x1024
    took=$((($(date +%s%N) - start) / 1000000))
    finish_case
  } 2> /dev/null
  echo "SIG${crash%:*}: $took ms after the signal, the screen is $after"
  check "SIG${crash%:*}: the signal shows in the exit status" is "$status" "${crash#*:}"
  check "SIG${crash%:*}: the desktop mode is back" is "$after" 1280x1024
  check "SIG${crash%:*}: the output is back in the desktop's mode" is "$(output_geometry)" 1280x1024+0+0
  check "SIG${crash%:*}: the desktop mode is back within 2 s" test "$took" -le 2000
  check "SIG${crash%:*}: the guardian said so" has "$log" "the guardian put the desktop's 1280x1024 back"
  check "SIG${crash%:*}: the guardian ended with the player" wait_for 10 "the guardian's end" ended "${guardian:-0}"
done

# A fault while another thread holds the player's X display lock, as the
# software renderer's buffer swap does: no restore in the player could take
# the lock; the guardian needs none.
dir=$(script "$scratch/xlock" tone_music_init -- 30000 fill_green segv_in_x_lock)
start_yes "$dir"; finish_case
check "fault under the X lock: the lock was held" has "$log" "the X display is locked"
check "fault under the X lock: SIGSEGV shows in the exit status" is "$status" 139
check "fault under the X lock: the desktop mode is back" is "$after" 1280x1024
check "fault under the X lock: the output is back in the desktop's mode" is "$(output_geometry)" 1280x1024+0+0

# Standard error (and output) in a pipe whose reader took one line and
# went: the next lines fail with EPIPE instead of killing the player, which
# goes on and ends normally.
dir=$(demo pipe tone_music_init)
mkfifo "$dir/err.fifo"
head -n1 < "$dir/err.fifo" > "$dir/head.txt" &
reader=$!
log="$dir/head.txt"
(cd "$dir" && exec env --default-signal "$player" > "$dir/err.fifo" 2>&1) &
pid=$!
answer Return
check "standard error to a closed pipe: the reader took its line and went" \
  wait_for 60 "the reader's end" ended "$reader"
check "standard error to a closed pipe: the display had switched" \
  wait_for 10 "the demo's mode" screen_is 1024x640
press Escape; finish_case
check "standard error to a closed pipe: the line was the mode change's" \
  has "$dir/head.txt" "*** calling ChangeDisplaySettings!"
check "standard error to a closed pipe: not ended by SIGPIPE (exit 0)" is "$status" 0
check "standard error to a closed pipe: the desktop mode is back" is "$after" 1280x1024
stop_server
report
