#!/bin/bash
# Runs a command with DISPLAY set to a private Xvfb server that is started
# for it and stopped after it:  with_xvfb.sh COMMAND [ARGS...]
# The server picks a free display number itself (-displayfd), so parallel
# runs never meet on one display. Exit status: the command's.
set -euo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -f "$fifo"' EXIT
display=
read -r -t 30 display <"$fifo" || true
if [ -z "$display" ]; then
  echo "Xvfb did not start" >&2
  exit 2
fi
status=0
DISPLAY=:$display "$@" || status=$?
exit $status
