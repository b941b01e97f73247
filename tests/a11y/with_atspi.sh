#!/bin/sh
# Runs a test where a screen reader would find the program: on an X server of its own
# (Xvfb; Qt's offscreen platform has no AT-SPI bridge) with the accessibility bus and
# registry of a private D-Bus session, in a temporary home.
# Usage (under dbus-run-session): with_atspi.sh TEST-PROGRAM [ARGS...]
set -eu
home="$(mktemp -d)"
xvfb=""
bus=""
# The X server is waited for: a server still ending removes the socket of its display,
# which the next run's server may already have taken.
cleanup() {
  [ -n "$bus" ] && kill "$bus" 2>/dev/null || true
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$home"
}
trap cleanup EXIT
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# Xvfb picks a free display and writes its number to the descriptor given.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$home/display" >"${VELLORN_XVFB_LOG:-/dev/null}" 2>&1 &
xvfb=$!
tries=0
until [ -s "$home/display" ]; do
  tries=$((tries + 1))
  if [ $tries -gt 100 ]; then echo "Xvfb did not start" >&2; exit 1; fi
  sleep 0.1
done
export DISPLAY=":$(cat "$home/display")"
# The accessibility bus; its registry is started on the first call to it.
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
tries=0
until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q true; do
  tries=$((tries + 1))
  if [ $tries -gt 100 ]; then echo "at-spi-bus-launcher did not start" >&2; exit 1; fi
  sleep 0.1
done
"$@"
