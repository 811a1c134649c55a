#!/usr/bin/env bash
# Runs a command with DISPLAY set to an Xvfb server of its own, then stops the server.
# The server picks a free display number itself and reports it on a descriptor
# (-displayfd) once it accepts connections, so runs started at once never race for
# one number as with a lock-file search.
#
#   with-x-server.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGS...]
set -euo pipefail
SCREEN=$1
shift
WORK=$(mktemp -d)
xvfb=
cleanup() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

Xvfb -displayfd 3 -nolisten tcp -screen 0 "$SCREEN" 3>"$WORK/display" 2>"$WORK/xvfb.log" &
xvfb=$!
# The number is written with a line feed when the server is ready.
display=
for _ in $(seq 1 400); do
  if [ "$(wc -l <"$WORK/display")" -ge 1 ]; then
    display=$(head -n 1 "$WORK/display")
    break
  fi
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.05
done
if [ -z "$display" ]; then
  echo "with-x-server.sh: Xvfb did not start" >&2
  cat "$WORK/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$display"
status=0
"$@" || status=$?
exit "$status"
