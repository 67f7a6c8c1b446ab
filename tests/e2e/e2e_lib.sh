# Helpers of the end-to-end scripts, sourced by each. Makes the scratch
# folder $scratch (removed at exit with every display server started here),
# selects SDL's dummy audio, and gives: check (counts $failures), waits on
# conditions with generous deadlines (a window exists, a line appeared, a
# process ended) that say what they observed when they fail, servers of our
# own (Xvfb, or Xorg with the dummy video driver whose mode lines decide what
# the display offers), message boxes answered and keys pressed, and short
# scripts written into a folder. Nothing here sleeps a fixed time: a loaded
# machine only makes the waits longer.
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
# lacks FILE TEXT: true when FILE does not hold TEXT; otherwise shows where.
lacks() {
  grep -qF -- "$2" "$1" || return 0
  echo "  (\"$2\" is in $1:)"
  grep -nF -- "$2" "$1" | head -n 5 | sed 's/^/  | /'
  return 1
}
# is ACTUAL EXPECTED: true when they are the same text; otherwise shows both.
is() {
  [ "$1" = "$2" ] && return 0
  echo "  (observed \"$1\", expected \"$2\")"
  return 1
}
report() { echo "$failures failed"; [ "$failures" -eq 0 ]; }

# until_true SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds;
# false when SECONDS passed first.
until_true() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# running PID: true while PID runs (neither ended nor a zombie).
running() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) && [ -n "$state" ] && [ "$state" != Z ]
}
ended() { ! running "$1"; }

# observed: what the test sees now, for a failure message: the windows, the
# processes of the programs under test, and the end of $log (when set).
observed() {
  echo "  | windows titled \"This window is for sale\" (id size): $(titled | tr '\n' ' ')"
  [ -n "${DISPLAY:-}" ] && echo "  | screen: $(screen_size)"
  [ -n "${pid:-}" ] && echo "  | process $pid: $(ps -o stat=,etime=,args= -p "$pid" 2>/dev/null || echo 'ended')"
  descendants | cut -c1-160 | sed 's/^/  | ps: /'
  if [ -n "${log:-}" ] && [ -f "$log" ]; then
    echo "  | $log holds:"
    tail -n 20 "$log" | sed 's/^/  | | /'
    [ -s "$log" ] || echo "  | | (nothing)"
  fi
}

# descendants: the processes this test started, still running (pid, parent,
# state, age, command).
descendants() {
  ps -e -o pid=,ppid=,stat=,etime=,args= | awk -v root=$$ -v self="$0" '
    { line[NR] = $0; id[NR] = $1; parent[$1] = $2 }
    END {
      for (i = 1; i <= NR; i++) {
        p = id[i]
        while ((p in parent) && p != root && p > 1) p = parent[p]
        if (p == root && index(line[i], self) == 0 && line[i] !~ / (ps|awk|cut|sed) /) print line[i]
      }
    }'
}

# wait_for SECONDS WHAT COMMAND...: until COMMAND succeeds; otherwise says
# what it waited for and what it observed, and is false.
wait_for() {
  local seconds=$1 what=$2; shift 2
  until_true "$seconds" "$@" && return 0
  echo "  (waited $seconds s for $what; observed:)"
  observed
  return 1
}

# logged TEXT [COUNT]: true when $log holds TEXT at least COUNT times.
logged() { [ "$(grep -cF -- "$1" "$log" 2>/dev/null)" -ge "${2:-1}" ]; }

# wait_line TEXT [COUNT]: waits for $log to hold TEXT (COUNT times), as
# long as the program ($pid) runs (see awaited).
wait_line() { awaited "\"$1\" in $log" logged "$@"; }

# finish [SECONDS]: waits for $pid to end (120 s by default; then says what
# it observed and kills it, with its process group where it leads one, as
# `timeout` does) and sets $status. (Bash's note on a job killed by a
# signal, written as it reaps the job, is kept out of the output: the status
# says it.)
finish() {
  if ! { until_true "${1:-120}" ended "$pid"; } 2>/dev/null; then
    echo "  (the program did not end in ${1:-120} s; observed:)"
    observed
    kill -KILL -- "-$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null
  fi
  { wait "$pid"; } 2>/dev/null
  status=$?
}

# wait_display FILE: waits up to 60 s for a server started with -displayfd
# to write its number and points DISPLAY at it; false when it did not come
# up (its log then follows).
display_up() { [ -s "$1" ] || ended "$server"; }
wait_display() {
  until_true 60 display_up "$1"
  if ! [ -s "$1" ]; then
    echo "  (the display server did not come up; its log:)"
    tail -n 20 "$2" 2>/dev/null | sed 's/^/  | /'
    return 1
  fi
  export DISPLAY=":$(head -n1 "$1")"
}

# start_xvfb [ARGS...]: an Xvfb of our own, 1280x1024, on a free display.
# -noreset: by default the server resets whenever its last client leaves,
# and refuses connections while it does, so a player started just after the
# previous one ended could not open the display (exit 1, "cannot open a
# display"); a loaded machine makes the reset slow enough to hit.
start_xvfb() {
  local file="$scratch/xvfb-display-${#servers[@]}"
  exec 3> "$file"
  Xvfb -displayfd 3 -noreset "$@" -screen 0 1280x1024x24 -nolisten tcp > "$file.log" 2>&1 &
  server=$!; servers+=("$server")
  wait_display "$file" "$file.log"
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
  wait_display "$scratch/display" "$scratch/xorg.log"
}

stop_server() { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; server=; }

screen_size() { xdpyinfo 2>/dev/null | awk '/dimensions:/ {print $2}'; }
screen_is() { [ "$(screen_size)" = "$1" ]; }
# output_geometry: the mode and position of the first connected output's
# CRTC (RandR), as WIDTHxHEIGHT+X+Y; the screen's size alone does not show
# a CRTC left in another mode.
output_geometry() {
  xrandr --query 2>/dev/null | awk '/ connected/ {
    for (i = 3; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+[0-9]+\+[0-9]+$/) { print $i; exit } }'
}

# screen_shot: takes a picture of the whole screen, which pixel then reads.
screen_shot() {
  xwd -root -silent > "$scratch/screen.xwd" &&
    ffmpeg -v error -y -i "$scratch/screen.xwd" -f rawvideo -pix_fmt rgb24 "$scratch/screen.rgb" &&
    shot_size=$(screen_size)
}

# pixel X Y: the red, green, blue of pixel (x, y) of the last screen_shot.
pixel() {
  local width=${shot_size%x*} height=${shot_size#*x}
  [ "$2" -lt "$height" ] || { echo "outside"; return; }
  od -An -tu1 -j $((($2 * width + $1) * 3)) -N3 "$scratch/screen.rgb" | xargs
}

# titled: one line per window titled "This window is for sale" (message
# boxes and the demo's window alike): its id and its size, read together.
titled() {
  xwininfo -root -tree 2>/dev/null | awk '/"This window is for sale"/ {
    for (i = 2; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+[+-]/) { sub(/[+-].*/, "", $i); print $1, $i; break } }'
}

# Message boxes are the titled windows narrower than the picture; the
# demo's window is 1024 wide. have_box sets $box to the newest box;
# have_window sets $window_id and $window_size to the demo's window.
have_box() { box=$(titled | awk '$2 + 0 < 1024 {print $1}' | tail -n1); [ -n "$box" ]; }
have_window() {
  local line
  line=$(titled | awk '$2 + 0 >= 1024' | tail -n1)
  window_id=${line% *}; window_size=${line#* }
  [ -n "$line" ]
}
gone() { ! titled | grep -q "^$1 "; }

# awaited WHAT COMMAND...: waits up to $show_wait seconds (60 by default)
# for COMMAND to succeed while the program under test ($pid) runs; gives up
# at once when it ended. Otherwise says what it waited for and what it
# observed.
awaited() {
  local what=$1; shift
  until_true "${show_wait:-60}" shows_or_ended "$@"
  "$@" && return 0
  if ended "$pid"; then echo "  (the program ended before $what showed; observed:)"
  else echo "  (waited ${show_wait:-60} s for $what; observed:)"; fi
  observed
  return 1
}
shows_or_ended() { "$@" || ended "$pid"; }

# answer KEY: answers the message box with KEY: waits for it, presses KEY,
# and presses it again until the box has gone (60 s). Keeps its id in $box.
answer() {
  awaited "a message box" have_box || return 1
  local deadline=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$deadline" ]; do
    timeout 5 xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key --window "$box" "$1" 2>/dev/null
    until_true 5 gone "$box" && return 0
  done
  echo "  (the box $box stayed open after $1; observed:)"
  observed
  return 1
}

# press KEY: sends KEY once to the demo's window, waiting for it to show.
press() {
  awaited "the demo's window" have_window || return 1
  timeout 5 xdotool windowfocus --sync "$window_id" 2>/dev/null
  xdotool key --window "$window_id" "$1" 2>/dev/null
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
