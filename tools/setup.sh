#!/usr/bin/env bash
# Sets KORVALE up on a Debian 12 machine: installs what is missing, builds, makes an empty book beside
# the program when there is none; then opens the application (run), runs every test (test), or runs
# the benchmark (bench). The package mode instead builds the Debian package and checks it.
set -euo pipefail

mode=${1:-run}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"

# QtKeychain keeps the sync password in the desktop's Secret Service through libsecret, which it loads at
# run time.
packages=(cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
          libsqlitecpp-dev libsqlite3-dev sqlite3 fontconfig fonts-urw-base35 fonts-liberation2 fonts-dejavu-core
          xvfb xauth qtkeychain-qt6-dev libsecret-1-0)
case "$mode" in
  run) ;;
  # The keyring tests run a private session bus (dbus-run-session) with GNOME Keyring, and check the
  # systemd units with systemd-analyze.
  test) packages+=(clang-14 libclang-rt-14-dev xdotool openbox python3-vobject radicale dbus gnome-keyring
                   systemd) ;;
  bench) packages+=(gnuplot-nox radicale curl) ;;
  package) packages+=(dpkg-dev file lintian desktop-file-utils appstream) ;;
  *) echo "usage: $0 [run|test|bench|package]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
cd "$root"

if [ "$mode" = package ]; then
  # A Release build of the programs alone (no tests), installed under /usr, packed by CPack.
  CMAKE_BUILD_PARALLEL_LEVEL=$jobs cmake --workflow --preset package
  deb=$(ls -t "$root"/build-package/korvale_*_"$(dpkg --print-architecture)".deb | head -1)
  desktop-file-validate "$root"/packaging/org.korvale.korvale.desktop
  appstreamcli validate --no-net "$root"/build-package/packaging/org.korvale.korvale.metainfo.xml
  lintian --fail-on error "$deb"
  echo "The package: $deb"
  echo "Install it with: sudo apt install $deb"
  exit 0
fi

# The test command builds as CI does: optimised as a Release build (the level at which the compilers find
# the most), under AddressSanitizer and UBSan, with every warning an error. A user's build never fails on
# a warning.
preset=default
[ "$mode" = test ] && preset=ci && build="$root/build-ci"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$jobs"

# The program keeps its book beside itself.
[ -e "$build/KORVALE.mdb" ] || "$build/korvale-db" init "$build"

case "$mode" in
  run)
    exec "$build/korvale"
    ;;
  test)
    ctest --preset ci -j"$jobs"
    # The fuzz target, in a clang build of its own (the libraries it links, warnings as errors there too),
    # for a bounded time.
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j"$jobs"
    ctest --preset fuzz
    ;;
  bench)
    # Headless; writes bench/RESULTS.md and bench/results.png, and makes its books in a temporary directory.
    KORVALE_BENCH_COMMAND="bash tools/setup.sh bench" exec "$build/bench/korvale-bench" --out "$root/bench"
    ;;
esac
