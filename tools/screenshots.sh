#!/usr/bin/env bash
# Saves a PNG of each of the seven screens, as an operator sees them on a 1280x1024 display at 96 dpi
# under a window manager, into docs/screens (or the folder given). Needs a build (tools/setup.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-"$root/docs/screens"}

missing=()
for p in xvfb xauth openbox; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake --build "$root/build" --target korvale-screenshots -j"$(nproc)" >/dev/null
# Windows open maximised, which takes a window manager to honour.
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" bash -c '
  openbox >/dev/null 2>&1 &
  sleep 1
  QT_QPA_PLATFORM=xcb "$0" "$1"
  status=$?
  kill %1 2>/dev/null
  exit $status' "$root/build/tools/screenshots/korvale-screenshots" "$out"
