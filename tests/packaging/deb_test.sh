#!/usr/bin/env bash
# The Debian package: what it holds, what it depends on, and that apt takes it.
#   deb_test.sh BUILD_DIR SOURCE_DIR VERSION
# - cpack -G DEB, from the build tree, into a scratch folder.
# - Its control fields: name, the project's version, section, maintainer,
#   description; Depends from dpkg-shlibdeps (the libraries the programs link)
#   plus the GL drivers loaded at run time; Recommends ffmpeg; nothing only
#   building or the tests need.
# - Its files (dpkg-deb -c): exactly the installed set under /usr, programs
#   stripped, and a desktop entry naming /usr.
# - apt-get install --simulate takes it, here and, where the archive's lists
#   are present, on a system with nothing installed.
set -uo pipefail
build=$1
source=$2
version=$3
. "$source/tests/e2e/e2e_lib.sh"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" > "$scratch/cpack.out" 2>&1
check "cpack -G DEB makes a package" is "$?" 0
arch=$(dpkg --print-architecture)
deb="$scratch/out/vigil_${version}_${arch}.deb"
check "the package is vigil_${version}_${arch}.deb" test -f "$deb"
[ -f "$deb" ] || { cat "$scratch/cpack.out"; report; exit 1; }
field() { dpkg-deb -f "$deb" "$1"; }

check "Package: vigil" is "$(field Package)" vigil
check "Version: the project's" is "$(field Version)" "$version"
check "Architecture: this machine's" is "$(field Architecture)" "$arch"
check "Section: video" is "$(field Section)" video
check "a Maintainer with an address" grep -qE '^[^<]+ <[^@ ]+@[^> ]+>$' <<<"$(field Maintainer)"
check "a one-line summary and a long description" is "$(field Description | sed -n '1p;$p' | wc -l)" 2
check "no description line wider than 80 columns" is "$(field Description | awk 'length > 80')" ""

# Depends: one package name per entry, alternatives and versions dropped.
names() { tr ',' '\n' | sed -E 's/[|(].*//; s/ //g' | grep -v '^$' | sort -u; }
depends=$(field Depends | names)
for p in libc6 libstdc++6 libsdl2-2.0-0 libmpg123-0 libjpeg62-turbo libgif7 libpng16-16 libcairo2 libglu1-mesa \
         libgl1-mesa-dri libegl1; do
  check "Depends names $p" grep -qxF "$p" <<<"$depends"
done
check "Depends names no development or test package" \
  is "$(grep -E -- '-dev$|gtest|mp3lame|xvfb|wine|clang' <<<"$depends")" ""
check "Recommends ffmpeg (vigil-capture --video)" grep -qxF ffmpeg <<<"$(field Recommends | names)"
check "ffmpeg is not a Depends" is "$(grep -xF ffmpeg <<<"$depends")" ""

# The files.
dpkg-deb -c "$deb" | awk '{print $NF}' | grep -v '/$' | sort > "$scratch/files"
expected="./usr/bin/vigil
./usr/bin/vigil-assets
./usr/bin/vigil-capture
./usr/share/applications/vigil.desktop
./usr/share/doc/vigil/LICENSE
./usr/share/doc/vigil/README.md
./usr/share/icons/hicolor/32x32/apps/vigil.png
./usr/share/man/man1/vigil-assets.1.gz
./usr/share/man/man1/vigil-capture.1.gz
./usr/share/man/man1/vigil.1.gz
./usr/share/vigil/data/config.conf
./usr/share/vigil/data/demo.conf
./usr/share/vigil/data/init.conf"
check "the package's files" is "$(cat "$scratch/files")" "$expected"
check "the programs are root's and executable" \
  is "$(dpkg-deb -c "$deb" | awk '$NF ~ /\/bin\/vigil/ {print $1, $2}' | sort -u)" "-rwxr-xr-x root/root"
dpkg-deb -x "$deb" "$scratch/root"
for program in vigil vigil-capture vigil-assets; do
  check "/usr/bin/$program is stripped" is "$(readelf -S "$scratch/root/usr/bin/$program" | grep -c '\.debug_')" 0
done
for program in vigil vigil-capture vigil-assets; do
  check "$program(1) carries the version" \
    grep -qE "^\.TH [A-Z-]+ 1 [0-9-]+ \"vigil $version\"" <(zcat "$scratch/root/usr/share/man/man1/$program.1.gz")
done
entry="$scratch/root/usr/share/applications/vigil.desktop"
check "the desktop entry starts /usr/bin/vigil" grep -qx 'Exec=/usr/bin/vigil' "$entry"
check "in /usr/share/vigil" grep -qx 'Path=/usr/share/vigil' "$entry"

# apt takes it: here, and on a system with nothing installed (an empty dpkg
# status), when the archive's package lists are there to resolve against.
apt-get install --simulate "$deb" > "$scratch/apt.out" 2>&1
check "apt-get install --simulate takes it here" is "$?" 0
check "and would install it" grep -q '^Inst vigil ' "$scratch/apt.out"
if apt-cache policy libsdl2-2.0-0 2>/dev/null | grep -qE '^ +[0-9]+ (https?|file|cdrom):'; then
  : > "$scratch/empty-status"
  apt-get install --simulate -o Dir::State::status="$scratch/empty-status" "$deb" > "$scratch/apt-fresh.out" 2>&1
  check "apt-get install --simulate takes it on a system with nothing installed" is "$?" 0
  check "there it would install the GL drivers and SDL with it" \
    is "$(grep -cE '^Inst (libgl1-mesa-dri|libegl-mesa0|libsdl2-2.0-0) ' "$scratch/apt-fresh.out")" 3
  tail -n 3 "$scratch/apt-fresh.out" | grep -i -E 'unmet|broken|error' | sed 's/^/  | /'
else
  echo "note: the archive's package lists are not here; apt-get update to simulate a fresh system too"
fi

report
