# End-to-end harness: the real game under Xvfb, driven with xdotool.
#
# Sourced by every tests/e2e/test_*.sh. A test looks like this:
#
#   source "$(dirname "$0")/harness.sh"
#   tv_start_x
#   tv_new_rundir                     # settings.ini "Windowed 1" "Sound 0"
#   tv_add_datafiles                  # all four, copied from the build
#   tv_start_game
#   tv_wait_window
#   tv_key_hold Escape
#   tv_wait_exit 60
#   tv_assert_status 0
#
# Environment (set by ctest): TARNAVEL_BIN, TARNAVEL_DATA_DIR,
# TARNAVEL_SOURCE_DIR, TARNAVEL_BUILD_DIR. TV_KEEP=1 keeps the temporary
# directory for a look after the test. Everything the harness starts is
# stopped and everything it makes is removed when the test's shell exits,
# pass or fail. Sourcing it sets nounset and pipefail.
#
# Contracts, one line each. Functions return only on success: a failure
# calls tv_fail, which ends the test. Results go into TV_* variables, so that
# no call needs a $(...) (where tv_fail would end only the subshell).
#   tv_fail MSG...                 prints FAIL and the game's output, exits 1
#   tv_note MSG...                 progress line on stderr
#   tv_start_x                     Xvfb on a free :N (TV_XVFB_SCREEN, 1024x768x24), own cookie; DISPLAY, XAUTHORITY
#   tv_new_rundir                  fresh working dir TV_RUN holding only settings.ini (Windowed 1, Sound 0)
#                                  and a fresh HOME TV_HOME for the game (allegro.cfg: silent sound driver)
#   tv_write_settings LINE...      settings.ini = the lines, each ended by "\n"
#   tv_write_file NAME BYTES       file NAME in TV_RUN holding exactly BYTES (printf %s)
#   tv_add_datafiles [NAME...]     copies datafiles (default: the four) from TARNAVEL_DATA_DIR into TV_RUN
#   tv_allegro_cfg TEXT            replaces the allegro.cfg in TV_HOME that Allegro reads at start
#   tv_start_game [--xmessage]     starts TV_BIN in TV_RUN in the background, clean environment plus
#                                  TV_GAME_ENV; no xmessage on its PATH unless asked, so that fatal
#                                  messages go to TV_STDOUT; sets TV_PID, TV_STDOUT, TV_STDERR
#   tv_running                     status 0 while the game's process lives
#   tv_wait_exit [SECS]            waits for the game to end; sets TV_STATUS; fails on time-out
#   tv_stop_game                   ends the game (TERM, then KILL) if it still runs
#   tv_wait_window [SECS]          waits until the game's mode shows; TV_WIN, TV_ORIGIN_X/Y (picture's
#                                  top left on the screen), TV_FULLSCREEN (1 full screen, 0 window)
#   tv_focus                       gives TV_WIN the keyboard focus (full screen: Allegro grabs it)
#   tv_key_hold KEY [SECS]         keydown KEY, pause (default 0.15 s), keyup: seen by key[] polls
#   tv_key_tap KEY...              tv_key_hold of each key in turn, a pause after each
#   tv_type TEXT                   types TEXT key by key (for readkey), a pause between keys
#   tv_mouse_to X Y                moves the pointer so that mouse_x, mouse_y read X, Y (picture coords)
#   tv_mouse_rel DX DY             one relative pointer motion (mickeys)
#   tv_mouse_press [BUTTON]        mousedown, 0.1 s, mouseup (1 left, 2 middle, 3 right)
#   tv_mouse_hold BUTTON SECS      holds a mouse button down SECS seconds
#   tv_screenshot FILE             PNG of the whole X screen into FILE
#   tv_game_shot FILE              PNG of the game's 640x480 picture (at TV_ORIGIN_X/Y) into FILE
#   tv_pixel FILE X Y              TV_PIXEL="R,G,B" (0..255) of the pixel at X,Y of an image file
#   tv_screen_sum                  TV_SUM=checksum of the screen's pixels
#   tv_wait_screen_change SUM [SECS]  waits until the screen's checksum differs from SUM; TV_SUM=new one
#   tv_wait_pixel X Y R,G,B [TOL] [SECS]  waits until that screen pixel matches within TOL per channel
#   tv_wait_file PATH [SECS]       waits until PATH exists
#   tv_wait_output TEXT [SECS]     waits until the game's stdout or stderr contains TEXT
#   tv_wait_message [SECS]         (--xmessage) waits for the game's xmessage; TV_MESSAGE=its exact text
#   tv_dismiss_message             presses Return in the xmessage window; waits until it is gone
#   tv_assert_status N             fails unless TV_STATUS is N
#   tv_assert_file_bytes FILE FMT [ARG...]  fails unless FILE holds exactly printf FMT ARG... (byte for byte)
#   tv_assert_stdout_bytes FMT [ARG...]     the same for the game's stdout
#   tv_assert_stderr_bytes FMT [ARG...]     the same for the game's stderr
#   tv_assert_eq EXPECTED ACTUAL WHAT       fails unless the two strings are equal
#   tv_assert_no_file PATH         fails if PATH exists
#   tv_alive PID                   status 0 while PID is a live process (not a zombie)
#   tv_end_process PID             TERM, up to 5 s, then KILL
#   tv_children PID                the pids of PID's children, one a line
#   tv_cleanup                     (trap on EXIT) stops the game, its xmessage, Xvfb; removes TV_TMP

set -u -o pipefail

TV_BIN=${TARNAVEL_BIN:-${TARNAVEL_BUILD_DIR:-build}/tarnavel}
TV_DATA_DIR=${TARNAVEL_DATA_DIR:-${TARNAVEL_BUILD_DIR:-build}/data}
# The game runs in its own directory: make both paths absolute.
[ -d "$(dirname "$TV_BIN")" ] && TV_BIN=$(cd "$(dirname "$TV_BIN")" && pwd)/$(basename "$TV_BIN")
[ -d "$TV_DATA_DIR" ] && TV_DATA_DIR=$(cd "$TV_DATA_DIR" && pwd)
TV_TITLE=${TV_TITLE:-"Tarnavel v 1.1"}
TV_XVFB_SCREEN=${TV_XVFB_SCREEN:-1024x768x24}
TV_DATAFILES=(sprites.dat explosion.dat misc.dat sfx.dat)
# Extra "NAME=value" entries for the game's environment, set by a test.
TV_GAME_ENV=()

TV_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tarnavel-e2e.XXXXXX")
TV_XVFB_PID=""
TV_PID=""
TV_RUN=""
TV_HOME=""
TV_STDOUT=""
TV_STDERR=""
TV_STATUS=""
TV_WIN=""
TV_MESSAGE=""
TV_RUNS=0
TV_CFG_SUM=""
TV_RC_FILE=""
TV_LAUNCHER_PID=""
TV_MESSAGE_PID=""
TV_PIXEL=""
TV_SUM=""
TV_XAUTH=""
TV_ROOT=""
TV_SCREEN_W=0
TV_SCREEN_H=0
TV_ORIGIN_X=0
TV_ORIGIN_Y=0
TV_FULLSCREEN=0

tv_note() { printf '[e2e] %s\n' "$*" >&2; }

tv_fail()
{
    printf 'FAIL: %s\n' "$*" >&2
    local f
    for f in "$TV_STDOUT" "$TV_STDERR" "${TV_RUN:+$TV_RUN/Log.txt}"; do
        if [ -n "$f" ] && [ -s "$f" ]; then
            printf -- '--- %s:\n' "$f" >&2
            head -c 4000 "$f" | cat -A >&2
            printf '\n' >&2
        fi
    done
    # The X server's state tells a game that could not start from one
    # whose display went away.
    if [ -n "${TV_XVFB_PID:-}" ]; then
        tv_alive "$TV_XVFB_PID" && printf -- '--- Xvfb %s still runs\n' "$TV_XVFB_PID" >&2 ||
            printf -- '--- Xvfb %s has ended\n' "$TV_XVFB_PID" >&2
        [ -s "$TV_TMP/xvfb.log" ] && tail -n 20 "$TV_TMP/xvfb.log" >&2
        ls -la /tmp/.X11-unix/ >&2 2>/dev/null
    fi
    exit 1
}

# Seconds since the epoch with fractions, for deadlines.
tv_now() { date +%s.%N; }
tv_before() { awk -v a="$(tv_now)" -v b="$1" 'BEGIN { exit !(a < b) }'; }
tv_deadline() { awk -v a="$(tv_now)" -v s="$1" 'BEGIN { printf "%.3f", a + s }'; }

# Status 0 while PID is a live process (a zombie is not).
tv_alive()
{
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

# TERM, up to 5 s to end, then KILL; returns once PID is gone.
tv_end_process()
{
    kill "$1" 2>/dev/null || return 0
    for _ in $(seq 1 50); do
        tv_alive "$1" || return 0
        sleep 0.1
    done
    kill -KILL "$1" 2>/dev/null || true
}

tv_cleanup()
{
    local status=$?
    set +e
    trap - EXIT INT TERM
    tv_stop_game
    [ -n "$TV_XVFB_PID" ] && tv_end_process "$TV_XVFB_PID"
    if [ "${TV_KEEP:-0}" = 1 ]; then
        tv_note "kept $TV_TMP"
    else
        rm -rf "$TV_TMP"
    fi
    exit "$status"
}
trap tv_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The pids of PID's direct children, from /proc (no procps needed).
tv_children()
{
    local stat fields
    for stat in /proc/[0-9]*/stat; do
        fields=$(cat "$stat" 2>/dev/null) || continue
        # After "pid (comm) ": state, then the parent's pid.
        fields=${fields##*) }
        fields=${fields#* }
        if [ "${fields%% *}" = "$1" ]; then
            stat=${stat#/proc/}
            printf '%s\n' "${stat%/stat}"
        fi
    done
}

tv_start_x()
{
    command -v Xvfb >/dev/null || tv_fail "Xvfb is not installed"
    command -v xauth >/dev/null || tv_fail "xauth is not installed"
    TV_XAUTH=$TV_TMP/Xauthority
    : >"$TV_XAUTH"
    local n
    # Start from a number of our own, so that tests run side by side seldom
    # race for the same display.
    n=$((100 + $$ % 400))
    for _ in $(seq 1 20); do
        n=$((n + 1))
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        xauth -q -f "$TV_XAUTH" add ":$n" . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
        # -displayfd: our server writes its number once it accepts clients.
        # The socket alone could be another server's that took the number
        # first, while ours is still on its way to dying.
        : >"$TV_TMP/xvfb.ready"
        Xvfb ":$n" -displayfd 3 -screen 0 "$TV_XVFB_SCREEN" -nolisten tcp -auth "$TV_XAUTH" \
            >"$TV_TMP/xvfb.log" 2>&1 3>"$TV_TMP/xvfb.ready" &
        TV_XVFB_PID=$!
        local until
        until=$(tv_deadline 30)
        while tv_alive "$TV_XVFB_PID" && [ ! -s "$TV_TMP/xvfb.ready" ] && tv_before "$until"; do
            sleep 0.05
        done
        if tv_alive "$TV_XVFB_PID" && [ -s "$TV_TMP/xvfb.ready" ]; then
            export DISPLAY=":$n" XAUTHORITY="$TV_XAUTH"
            until=$(tv_deadline 30)
            while ! xdotool getdisplaygeometry >/dev/null 2>&1; do
                tv_before "$until" || tv_fail "Xvfb :$n does not answer"
                sleep 0.1
            done
            # A server seen to answer once and then go within the first
            # second has happened under a full test run: look again, and
            # take another number if it went.
            sleep 0.5
            if tv_alive "$TV_XVFB_PID" && xdotool getdisplaygeometry >/dev/null 2>&1; then
                TV_ROOT=$(xdotool search --maxdepth 0 --name '' | head -n 1)
                read -r TV_SCREEN_W TV_SCREEN_H < <(xdotool getdisplaygeometry)
                tv_note "Xvfb on :$n"
                return 0
            fi
            tv_note "Xvfb on :$n went away at once: $(tail -n 3 "$TV_TMP/xvfb.log" | tr '\n' ' ')"
        fi
        tv_end_process "$TV_XVFB_PID"
        TV_XVFB_PID=""
    done
    cat "$TV_TMP/xvfb.log" >&2
    tv_fail "no free display for Xvfb"
}

tv_new_rundir()
{
    TV_RUNS=$((TV_RUNS + 1))
    TV_RUN=$TV_TMP/run$TV_RUNS
    TV_HOME=$TV_TMP/home$TV_RUNS
    mkdir -p "$TV_RUN" "$TV_HOME" "$TV_TMP/nobin"
    TV_STDOUT=""
    TV_STDERR=""
    TV_STATUS=""
    TV_WIN=""
    tv_write_settings "Windowed 1" "Sound 0"
    # Allegro reads allegro.cfg beside the binary, then $HOME/allegro.cfg
    # (or ~/.allegrorc), then /etc: the test's HOME is the place for ours.
    # digi_card 0 is the silent driver, so no ALSA probing noise on stderr.
    tv_allegro_cfg "[sound]
digi_card = 0
"
}

tv_write_settings()
{
    [ -n "$TV_RUN" ] || tv_fail "tv_write_settings before tv_new_rundir"
    if [ $# -eq 0 ]; then
        : >"$TV_RUN/settings.ini"
    else
        printf '%s\n' "$@" >"$TV_RUN/settings.ini"
    fi
}

tv_write_file()
{
    [ -n "$TV_RUN" ] || tv_fail "tv_write_file before tv_new_rundir"
    printf '%s' "$2" >"$TV_RUN/$1"
}

tv_add_datafiles()
{
    [ -n "$TV_RUN" ] || tv_fail "tv_add_datafiles before tv_new_rundir"
    local name
    [ $# -gt 0 ] || set -- "${TV_DATAFILES[@]}"
    for name in "$@"; do
        [ -f "$TV_DATA_DIR/$name" ] || tv_fail "datafile $TV_DATA_DIR/$name is missing (build the data first)"
        cp "$TV_DATA_DIR/$name" "$TV_RUN/$name"
    done
}

tv_allegro_cfg()
{
    printf '%s' "$1" >"$TV_HOME/allegro.cfg"
}

tv_start_game()
{
    [ -n "$TV_RUN" ] || tv_fail "tv_start_game before tv_new_rundir"
    [ -n "${DISPLAY:-}" ] || tv_fail "tv_start_game before tv_start_x"
    [ -x "$TV_BIN" ] || tv_fail "no game binary at $TV_BIN"
    tv_running && tv_fail "tv_start_game while the last game still runs"
    TV_START_ARGS=("$@")
    # One beside the binary would be read instead of the test's own.
    [ -e "$(dirname "$TV_BIN")/allegro.cfg" ] && tv_fail "$(dirname "$TV_BIN")/allegro.cfg exists"
    # Without xmessage on the PATH, allegro_message writes to the terminal.
    local path=$TV_TMP/nobin
    if [ "${1:-}" = --xmessage ]; then
        command -v xmessage >/dev/null || tv_fail "xmessage (x11-utils) is not installed"
        path=$(dirname "$(command -v xmessage)")
    fi
    TV_STDOUT=$TV_TMP/stdout$TV_RUNS.txt
    TV_STDERR=$TV_TMP/stderr$TV_RUNS.txt
    TV_RC_FILE=$TV_TMP/status$TV_RUNS
    TV_STATUS=""
    TV_WIN=""
    rm -f "$TV_RC_FILE" "$TV_TMP/pid"
    TV_CFG_SUM=$(cksum <"$TV_HOME/allegro.cfg" 2>/dev/null)
    (
        cd "$TV_RUN" || exit 1
        env -i HOME="$TV_HOME" PATH="$path" DISPLAY="$DISPLAY" XAUTHORITY="$XAUTHORITY" \
            LC_ALL=C "${TV_GAME_ENV[@]}" "$TV_BIN" </dev/null >"$TV_STDOUT" 2>"$TV_STDERR" &
        echo $! >"$TV_TMP/pid"
        wait $!
        echo $? >"$TV_RC_FILE.tmp"
        mv "$TV_RC_FILE.tmp" "$TV_RC_FILE"
    ) &
    TV_LAUNCHER_PID=$!
    local until
    until=$(tv_deadline 10)
    while [ ! -s "$TV_TMP/pid" ]; do
        tv_before "$until" || tv_fail "the game did not start"
        sleep 0.02
    done
    TV_PID=$(cat "$TV_TMP/pid")
    tv_note "started $TV_BIN (pid $TV_PID) in $TV_RUN"
}

tv_running() { [ -n "$TV_PID" ] && [ -n "$TV_RC_FILE" ] && [ ! -e "$TV_RC_FILE" ]; }

tv_wait_exit()
{
    local until
    until=$(tv_deadline "${1:-60}")
    while [ ! -e "$TV_RC_FILE" ]; do
        tv_before "$until" || tv_fail "the game did not end within ${1:-60} s"
        sleep 0.05
    done
    TV_STATUS=$(cat "$TV_RC_FILE")
    wait "$TV_LAUNCHER_PID" 2>/dev/null || true
    TV_PID=""
    # The game reads its Allegro configuration and never writes one.
    tv_assert_no_file "$(dirname "$TV_BIN")/allegro.cfg"
    tv_assert_no_file "$TV_RUN/allegro.cfg"
    tv_assert_eq "$TV_CFG_SUM" "$(cksum <"$TV_HOME/allegro.cfg" 2>/dev/null)" "allegro.cfg in HOME"
    tv_note "the game ended with status $TV_STATUS"
}

tv_stop_game()
{
    [ -n "$TV_PID" ] || return 0
    local child
    for child in $(tv_children "$TV_PID"); do tv_end_process "$child"; done
    tv_end_process "$TV_PID"
    tv_end_process "$TV_LAUNCHER_PID"
    wait "$TV_LAUNCHER_PID" 2>/dev/null || true
    TV_PID=""
}

tv_wait_window()
{
    local until title="^${TV_TITLE//./\\.}\$" w geo
    until=$(tv_deadline "${1:-30}")
    TV_WIN=""
    while :; do
        if ! tv_running; then
            # Under a full parallel run a game has now and then failed to
            # open its display although the server ran; start it again.
            if [ "${TV_START_RETRIES:-0}" -lt 2 ] && tv_alive "$TV_XVFB_PID" &&
                [ "$(cat "$TV_STDOUT" 2>/dev/null)" = "Unable to find any keyboard." ]; then
                TV_START_RETRIES=$((${TV_START_RETRIES:-0} + 1))
                tv_note "the game could not open the display; starting it again"
                wait "$TV_LAUNCHER_PID" 2>/dev/null
                TV_PID=""
                sleep 1
                tv_start_game "${TV_START_ARGS[@]}"
                continue
            fi
            tv_fail "the game ended before its window appeared"
        fi
        tv_before "$until" || tv_fail "no window named '$TV_TITLE' shown within ${1:-30} s"
        TV_WIN=$(xdotool search --name "$title" 2>/dev/null | head -n 1)
        if [ -n "$TV_WIN" ]; then
            # Windowed: the named window itself is shown.
            if xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; then
                geo=$(xdotool getwindowgeometry --shell "$TV_WIN")
                TV_ORIGIN_X=$(sed -n 's/^X=//p' <<<"$geo")
                TV_ORIGIN_Y=$(sed -n 's/^Y=//p' <<<"$geo")
                TV_FULLSCREEN=0
                break
            fi
            # Full screen: Allegro shows an unnamed window as large as the
            # screen, the picture centred in it; the named one stays hidden.
            for w in $(xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null); do
                [ "$w" = "$TV_ROOT" ] && continue
                geo=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null) || continue
                if grep -qx "WIDTH=$TV_SCREEN_W" <<<"$geo" && grep -qx "HEIGHT=$TV_SCREEN_H" <<<"$geo"; then
                    TV_ORIGIN_X=$(((TV_SCREEN_W - 640) / 2))
                    TV_ORIGIN_Y=$(((TV_SCREEN_H - 480) / 2))
                    TV_FULLSCREEN=1
                    break 2
                fi
            done
        fi
        sleep 0.1
    done
    tv_note "window $TV_WIN, picture at $TV_ORIGIN_X,$TV_ORIGIN_Y$([ "$TV_FULLSCREEN" = 1 ] && echo ', full screen')"
}

tv_focus()
{
    [ -n "$TV_WIN" ] || tv_fail "tv_focus without a window"
    # Full screen, Allegro grabs the keyboard and the pointer itself.
    [ "$TV_FULLSCREEN" = 1 ] && return 0
    xdotool windowfocus --sync "$TV_WIN" || tv_fail "cannot focus window $TV_WIN"
}

tv_key_hold()
{
    xdotool keydown "$1" || tv_fail "keydown $1"
    sleep "${2:-0.15}"
    xdotool keyup "$1" || tv_fail "keyup $1"
}

tv_key_tap()
{
    local k
    for k in "$@"; do
        tv_key_hold "$k" 0.1
        sleep 0.1
    done
}

tv_type()
{
    xdotool type --delay 120 -- "$1" || tv_fail "type $1"
}

tv_mouse_to()
{
    [ -n "$TV_WIN" ] || tv_fail "tv_mouse_to without a window"
    # Allegro follows the pointer's motion, not its place: from the far
    # corner to (0, 0) drives its own position to 0, 0 wherever it was.
    xdotool mousemove $((TV_ORIGIN_X + 639)) $((TV_ORIGIN_Y + 479))
    sleep 0.05
    xdotool mousemove "$TV_ORIGIN_X" "$TV_ORIGIN_Y"
    sleep 0.05
    xdotool mousemove $((TV_ORIGIN_X + $1)) $((TV_ORIGIN_Y + $2)) || tv_fail "mousemove $1 $2"
    sleep 0.05
}

tv_mouse_rel() { xdotool mousemove_relative -- "$1" "$2" || tv_fail "mousemove_relative $1 $2"; }

tv_mouse_press()
{
    xdotool mousedown "${1:-1}" || tv_fail "mousedown"
    sleep 0.1
    xdotool mouseup "${1:-1}" || tv_fail "mouseup"
}

tv_mouse_hold()
{
    xdotool mousedown "$1" || tv_fail "mousedown"
    sleep "$2"
    xdotool mouseup "$1" || tv_fail "mouseup"
}

tv_screenshot()
{
    import -window root "$1" 2>/dev/null || tv_fail "screenshot into $1"
}

tv_game_shot()
{
    [ -n "$TV_WIN" ] || tv_fail "tv_game_shot without a window"
    import -window root -crop "640x480+$TV_ORIGIN_X+$TV_ORIGIN_Y" +repage "$1" 2>/dev/null ||
        tv_fail "game shot into $1"
}

TV_RGB_FORMAT='%[fx:int(255*p{X,Y}.r+0.5)],%[fx:int(255*p{X,Y}.g+0.5)],%[fx:int(255*p{X,Y}.b+0.5)]'

tv_pixel()
{
    local format=${TV_RGB_FORMAT//X/$2}
    TV_PIXEL=$(convert "$1" -format "${format//Y/$3}" info:) || tv_fail "cannot read pixel $2,$3 of $1"
}

tv_screen_sum()
{
    TV_SUM=$(xwd -root -silent | convert xwd:- rgb:- | md5sum) || tv_fail "cannot read the screen"
    TV_SUM=${TV_SUM%% *}
}

tv_wait_screen_change()
{
    local until
    until=$(tv_deadline "${2:-30}")
    while :; do
        tv_screen_sum
        [ "$TV_SUM" != "$1" ] && return 0
        tv_before "$until" || tv_fail "the screen did not change within ${2:-30} s"
        sleep 0.1
    done
}

tv_wait_pixel()
{
    local x=$1 y=$2 want=$3 tol=${4:-0} until format=${TV_RGB_FORMAT//X/$1}
    format=${format//Y/$2}
    until=$(tv_deadline "${5:-30}")
    while :; do
        TV_PIXEL=$(xwd -root -silent | convert xwd:- -format "$format" info:) || tv_fail "cannot read the screen"
        awk -v a="$TV_PIXEL" -v b="$want" -v t="$tol" 'BEGIN {
            split(a, p, ","); split(b, q, ",")
            for (i = 1; i <= 3; i++) { d = p[i] - q[i]; if (d < 0) d = -d; if (d > t) exit 1 }
        }' && return 0
        tv_before "$until" || tv_fail "pixel $x,$y is $TV_PIXEL, not $want (tolerance $tol), after ${5:-30} s"
        sleep 0.1
    done
}

tv_wait_file()
{
    local until
    until=$(tv_deadline "${2:-30}")
    while [ ! -e "$1" ]; do
        tv_before "$until" || tv_fail "no file $1 within ${2:-30} s"
        sleep 0.05
    done
}

tv_wait_output()
{
    local until
    until=$(tv_deadline "${2:-30}")
    while ! grep -qF -- "$1" "$TV_STDOUT" "$TV_STDERR" 2>/dev/null; do
        tv_before "$until" || tv_fail "the game did not print '$1' within ${2:-30} s"
        sleep 0.05
    done
}

# allegro_message runs "xmessage -buttons OK:101 -default OK -center TEXT"
# as a child of the game and waits for it: TEXT is the message, exactly.
tv_wait_message()
{
    local until child args k
    until=$(tv_deadline "${1:-30}")
    TV_MESSAGE=""
    TV_MESSAGE_PID=""
    while :; do
        [ -n "$TV_PID" ] || tv_fail "tv_wait_message without a game"
        for child in $(tv_children "$TV_PID"); do
            [ "$(cat "/proc/$child/comm" 2>/dev/null)" = xmessage ] || continue
            xdotool search --class xmessage >/dev/null 2>&1 || continue
            mapfile -d '' args <"/proc/$child/cmdline" || continue
            for ((k = 0; k + 1 < ${#args[@]}; k++)); do
                if [ "${args[k]}" = -center ]; then
                    TV_MESSAGE=${args[k + 1]}
                    TV_MESSAGE_PID=$child
                    return 0
                fi
            done
        done
        tv_running || tv_fail "the game ended without showing a message"
        tv_before "$until" || tv_fail "no xmessage within ${1:-30} s"
        sleep 0.1
    done
}

tv_dismiss_message()
{
    local w until
    w=$(xdotool search --class xmessage | head -n 1)
    [ -n "$w" ] || tv_fail "no xmessage window to dismiss"
    xdotool windowfocus --sync "$w" || tv_fail "cannot focus the xmessage"
    xdotool key Return || tv_fail "cannot press Return"
    until=$(tv_deadline 30)
    while xdotool search --class xmessage >/dev/null 2>&1; do
        tv_before "$until" || tv_fail "the xmessage did not close"
        sleep 0.05
    done
}

tv_assert_eq()
{
    [ "$1" = "$2" ] || tv_fail "$3: expected '$1', got '$2'"
}

tv_assert_status()
{
    [ "$TV_STATUS" = "$1" ] || tv_fail "exit status $TV_STATUS, expected $1"
}

tv_assert_file_bytes()
{
    local file=$1 expected
    shift
    expected=$TV_TMP/expected.bin
    # shellcheck disable=SC2059
    printf -- "$@" >"$expected"
    [ -e "$file" ] || tv_fail "no file $file"
    if ! cmp -s "$expected" "$file"; then
        printf -- '--- expected:\n' >&2; cat -A "$expected" >&2; printf '\n' >&2
        printf -- '--- got (%s):\n' "$file" >&2; cat -A "$file" >&2; printf '\n' >&2
        tv_fail "$file differs from what was expected"
    fi
}

tv_assert_stdout_bytes() { tv_assert_file_bytes "$TV_STDOUT" "$@"; }
tv_assert_stderr_bytes() { tv_assert_file_bytes "$TV_STDERR" "$@"; }

tv_assert_no_file() { [ ! -e "$1" ] || tv_fail "$1 exists"; }
