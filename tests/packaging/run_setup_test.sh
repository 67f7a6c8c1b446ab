#!/usr/bin/env bash
# What scripts/run installs and builds: only what playing needs.
#   run_setup_test.sh SOURCE_DIR
# - scripts/setup's run list holds none of the packages only the tests or
#   the fuzz and Windows builds need; the package list adds what cpack needs;
#   the test list holds all of them; no argument means the test list.
# - scripts/run, run on a copy of the scripts with a scripts/setup and a cmake
#   that only note their arguments: it asks setup for the run list, configures
#   build/ without the tests and builds vigil and vigil-capture, nothing else.
# - A tree configured with VIGIL_TESTS=OFF has the programs and no test
#   target, and never looked for GoogleTest or LAME.
set -uo pipefail
source=$1
. "$source/tests/e2e/e2e_lib.sh"

# Packages that playing does not need.
test_only=(libgtest-dev libmp3lame-dev clang-14 libfuzzer-14-dev libclang-rt-14-dev g++-mingw-w64-x86-64 wine64
           xvfb xdotool xserver-xorg-core xserver-xorg-video-dummy desktop-file-utils)

"$source/scripts/setup" --list run > "$scratch/run.list"
"$source/scripts/setup" --list package > "$scratch/package.list"
"$source/scripts/setup" --list test > "$scratch/test.list"
"$source/scripts/setup" --list > "$scratch/all.list"
listed() { grep -qxF -- "$2" "$1"; }
for p in "${test_only[@]}"; do
  check "the run list leaves out $p" lacks "$scratch/run.list" "$p"
  check "the test list has $p" listed "$scratch/test.list" "$p"
done
for p in libsdl2-dev libmpg123-dev libgl1-mesa-dri cmake; do
  check "the run list has $p" listed "$scratch/run.list" "$p"
done
# holds LIST1 LIST2: true when every package of LIST2 is in LIST1; otherwise
# shows those that are not.
holds() { is "$(sort -u "$2" | comm -23 - <(sort -u "$1") | tr '\n' ' ')" ""; }
check "the package list holds the whole run list" holds "$scratch/package.list" "$scratch/run.list"
for p in dpkg-dev file; do
  check "the package list has $p (cpack -G DEB)" listed "$scratch/package.list" "$p"
done
check "the test list holds the whole package list" holds "$scratch/test.list" "$scratch/package.list"
check "scripts/setup without an argument means the test list" \
  is "$(cat "$scratch/all.list")" "$(cat "$scratch/test.list")"
check "scripts/setup refuses an unknown purpose" is "$("$source/scripts/setup" --list play >/dev/null 2>&1; echo $?)" 2

# scripts/run on a copy, with a stub setup and a cmake on PATH that notes
# each call (one line of arguments per call) and does nothing.
tree="$scratch/tree"
mkdir -p "$tree/scripts" "$scratch/bin"
cp "$source/scripts/run" "$source/scripts/build" "$tree/scripts/"
printf '#!/bin/sh\necho "$*" >> "%s"\n' "$scratch/setup.calls" > "$tree/scripts/setup"
printf '#!/bin/sh\necho "$*" >> "%s"\n' "$scratch/cmake.calls" > "$scratch/bin/cmake"
chmod +x "$tree/scripts/setup" "$scratch/bin/cmake"
(cd / && env -u DISPLAY -u WAYLAND_DISPLAY PATH="$scratch/bin:$PATH" "$tree/scripts/run") > "$scratch/run.out" 2>&1
check "scripts/run asks scripts/setup for the run list" is "$(cat "$scratch/setup.calls" 2>/dev/null)" "run"
configure=$(grep -E '^-S ' "$scratch/cmake.calls")
builds=$(grep -E '^--build ' "$scratch/cmake.calls")
check "scripts/run configures one tree, build/" is "$(awk '{print $4}' <<<"$configure")" "build"
check "scripts/run configures it without the tests" grep -q -- '-DVIGIL_TESTS=OFF' <<<"$configure"
check "scripts/run builds once" is "$(wc -l <<<"$builds")" 1
check "scripts/run builds vigil and vigil-capture only" is "$(sed -E 's/.*--target //' <<<"$builds")" \
  "vigil vigil-capture"
check "scripts/run got past the build" grep -q "no demo to play" "$scratch/run.out"

# A tree configured without the tests.
cmake -S "$source" -B "$scratch/player" -DVIGIL_TESTS=OFF > "$scratch/configure.out" 2>&1
check "a tree without tests configures" is "$?" 0
cmake --build "$scratch/player" --target help | sed -n 's/^\.\.\. //p' > "$scratch/targets"
for target in vigil vigil-capture vigil-assets; do
  check "without tests, $target is a target" listed "$scratch/targets" "$target"
done
check "without tests, there is no test target" \
  is "$(grep -E '_tests$|^vigil-test-|^vigil-assetgen$|^vigil-bench' "$scratch/targets")" ""
check "without tests, GoogleTest is not looked for" is "$(grep -ciE '^[^/#]*gtest' "$scratch/player/CMakeCache.txt")" 0
check "without tests, LAME is not looked for" is "$(grep -ciE '^[^/#]*lame' "$scratch/player/CMakeCache.txt")" 0

report
