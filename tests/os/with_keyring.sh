#!/bin/sh
# Runs a test inside a private D-Bus session with its own gnome-keyring-daemon, unlocked,
# whose keyrings live in a temporary home: the tests never touch the user's keyring.
# Usage (under dbus-run-session): with_keyring.sh TEST-PROGRAM [ARGS...]
set -eu
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# --unlock takes the login keyring's password on standard input and creates it when missing.
# In the foreground (our child, ended below) and away from the test's output pipes.
printf 'test-password' | gnome-keyring-daemon --unlock --components=secrets --foreground >/dev/null 2>&1 &
daemon=$!
# Wait, boundedly, until it serves the Secret Service on the bus.
tries=0
until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q true; do
  tries=$((tries + 1))
  if [ $tries -gt 100 ]; then echo "gnome-keyring-daemon did not start" >&2; kill $daemon; exit 1; fi
  sleep 0.1
done
status=0
VELLORN_KEYRING_EXPECTED=1 "$@" || status=$?
kill $daemon 2>/dev/null || true
wait $daemon 2>/dev/null || true
exit $status
