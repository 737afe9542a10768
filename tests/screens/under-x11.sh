#!/usr/bin/env bash
# Runs a test program on a private Xvfb display under the openbox window manager, as an operator's
# desktop would run the application: windows are really maximised and activated by a window manager.
set -u
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" bash -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
  QT_QPA_PLATFORM=xcb "$@"
  status=$?
  kill $wm 2>/dev/null
  exit $status' _ "$@"
