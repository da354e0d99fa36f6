# The harness leaves nothing behind: whether a test passes, fails or is
# stopped while the game still runs, the game, its message window and Xvfb
# end and the temporary files go.
set -u
HARNESS=$(cd "$(dirname "$0")" && pwd)/harness.sh
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tarnavel-e2e-self.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

# A test that leaves the game waiting at its fatal message, writes down what
# it started, then ends as $1 says: pass, fail or hang (until stopped).
cat >"$WORK/inner.sh" <<'EOF'
source "$HARNESS"
tv_start_x
tv_new_rundir
tv_start_game --xmessage
tv_wait_message 60
printf '%s\n' "$TV_PID" "$TV_MESSAGE_PID" "$TV_XVFB_PID" "${DISPLAY#:}" "$TV_TMP" >"$REPORT"
case $ENDING in
    pass) exit 0 ;;
    fail) tv_assert_eq yes no "a forced failure" ;;
    hang) while :; do sleep 0.1; done ;;
esac
EOF

for ending in pass fail hang; do
    report=$WORK/report.$ending
    HARNESS=$HARNESS REPORT=$report ENDING=$ending bash "$WORK/inner.sh" 2>"$WORK/inner.$ending.log" &
    inner=$!
    for _ in $(seq 1 600); do
        [ -s "$report" ] && break
        kill -0 "$inner" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$report" ] || { cat "$WORK/inner.$ending.log" >&2; fail "$ending: the inner test never got going"; }
    [ "$ending" = hang ] && kill -TERM "$inner"
    wait "$inner"
    status=$?
    case $ending in
        pass) [ "$status" = 0 ] || fail "pass: status $status" ;;
        fail) [ "$status" = 1 ] || fail "fail: status $status" ;;
        hang) [ "$status" = 143 ] || fail "hang: status $status after TERM" ;;
    esac
    mapfile -t started <"$report"
    for pid in "${started[@]:0:3}"; do
        for _ in $(seq 1 100); do
            [ -e "/proc/$pid" ] || break
            # A zombie waiting for its reaper is gone for good.
            [ "$(awk '{ print $3 }' "/proc/$pid/stat" 2>/dev/null)" = Z ] && break
            sleep 0.1
        done
        [ -e "/proc/$pid" ] && [ "$(awk '{ print $3 }' "/proc/$pid/stat" 2>/dev/null)" != Z ] &&
            fail "$ending: process $pid ($(cat "/proc/$pid/comm" 2>/dev/null)) still runs"
    done
    display=${started[3]}
    [ -e "/tmp/.X11-unix/X$display" ] && fail "$ending: the socket of display :$display is still there"
    [ -e "/tmp/.X$display-lock" ] && fail "$ending: the lock of display :$display is still there"
    [ -e "${started[4]}" ] && fail "$ending: ${started[4]} is still there"
    grep -q "^FAIL: a forced failure" "$WORK/inner.$ending.log" || [ "$ending" != fail ] ||
        fail "fail: tv_fail did not report"
    printf '[e2e] %s: everything ended and removed\n' "$ending" >&2
done
