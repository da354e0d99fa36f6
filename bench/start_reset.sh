#!/bin/bash
# Starts under a hostile X server: an Xvfb that resets whenever its last
# client leaves (its default), while another process opens and closes X
# connections in a loop, so that resets keep dropping connections still in
# their set-up. The game is started START_RUNS times (default 200); a start
# counts as failed when the process ends before its log says the game object is built.
# Goal: 0 failed starts. Usage: start_reset.sh [BUILD_DIR]
set -u
BUILD=${1:-${TARNAVEL_BUILD_DIR:-build}}
BIN=$(cd "$BUILD" && pwd)/tarnavel
DATA=$(cd "$BUILD/data" && pwd)
RUNS=${START_RUNS:-200}
TMP=$(mktemp -d /tmp/tarnavel-reset.XXXXXX)
trap 'kill $churn $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$TMP"' EXIT

exec 3>"$TMP/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$TMP/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$TMP/display")
# CHURN_LOOPS (default 4) loops of short-lived clients, so that the server
# is often left with none.
churn=""
for _ in $(seq "${CHURN_LOOPS:-4}"); do
    ( while :; do xdotool getmouselocation >/dev/null 2>&1; done ) &
    churn="$churn $!"
done

mkdir -p "$TMP/run" "$TMP/home"
ln -s "$DATA"/{sprites,explosion,misc,sfx}.dat "$TMP/run/"
printf 'Windowed 1\nSound 0\n' >"$TMP/run/settings.ini"
failed=0
for run in $(seq "$RUNS"); do
    rm -f "$TMP/run/Log.txt"
    (cd "$TMP/run" && exec env -i DISPLAY="$DISPLAY" HOME="$TMP/home" PATH=/nonexistent "$BIN") \
        >"$TMP/out" 2>&1 &
    game=$!
    until grep -q "Creating level... Done!" "$TMP/run/Log.txt" 2>/dev/null || ! kill -0 $game 2>/dev/null; do
        sleep 0.02
    done
    kill -"${START_SIGNAL:-TERM}" $game 2>/dev/null
    wait $game
    status=$?
    # START_SIGNAL=KILL looks at the starts alone (an older game may hang
    # on SIGTERM); with TERM the game must also leave cleanly.
    ok=1
    grep -q "Creating level... Done!" "$TMP/run/Log.txt" 2>/dev/null || ok=0
    [ "${START_SIGNAL:-TERM}" = TERM ] && [ $status -ne 0 ] && ok=0
    if [ $ok = 0 ]; then
        failed=$((failed + 1))
        echo "start $run failed (status $status): $(head -c 200 "$TMP/out")"
    fi
done
echo "Starts on a resetting X server under connection churn: $failed of $RUNS failed (goal: 0)"
[ $failed -eq 0 ]
