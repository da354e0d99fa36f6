# No display to open: Allegro finds no system driver. The game must stop with
# the keyboard message and status 1, as it does without a keyboard, instead
# of crashing inside Allegro's installers. The log stays empty, as for every
# stop before the graphics mode is set.
set -u
bin=${TARNAVEL_BIN:-${TARNAVEL_BUILD_DIR:-build}/tarnavel}
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
printf 'Windowed 1\nSound 0\n' >"$run/settings.ini"
fail() { echo "FAIL: $*" >&2; exit 1; }

for display in unset :987654; do
    if [ "$display" = unset ]; then
        (cd "$run" && env -i HOME="$run" PATH=/usr/bin "$bin" </dev/null >"$run/out" 2>"$run/err")
    else
        (cd "$run" && env -i HOME="$run" PATH=/usr/bin DISPLAY=$display "$bin" </dev/null >"$run/out" 2>"$run/err")
    fi
    status=$?
    [ $status -eq 1 ] || fail "display $display: exit status $status, expected 1"
    [ "$(cat "$run/out")" = "Unable to find any keyboard." ] || fail "display $display: printed '$(cat "$run/out")'"
    [ ! -s "$run/Log.txt" ] || fail "display $display: the log is not empty"
    echo "display $display: stopped with the keyboard message"
done
