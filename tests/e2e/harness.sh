# The real game under Xvfb, driven with xdotool; sourced by tests/e2e/test_*.sh and bench/*.sh.
# A failure ends the script through tv_fail, so results go into TV_* variables, never through $(...).
# At exit everything started is stopped and TV_TMP removed (TV_KEEP=1 keeps it, with failed.png).
# Environment (from ctest): TARNAVEL_BIN, TARNAVEL_DATA_DIR, TARNAVEL_VERSION; else TARNAVEL_BUILD_DIR.
# A wait's SECS defaults to TV_WAIT (30).
#   tv_fail MSG / tv_note MSG      FAIL with the game's output and log, exit 1 / a progress line
#   tv_until SECS WHAT CMD...      runs CMD until it succeeds; fails after SECS or once the game ends
#   tv_start_x                     Xvfb on a free display (TV_SCREEN), own cookie; DISPLAY, XAUTHORITY
#   tv_new_run [LINE...]           fresh TV_RUN: settings.ini (default "Windowed 1" "Sound 0" "Music 0"), the
#                                  datafiles; fresh TV_HOME (silent sound driver); TV_GAME_ENV=()
#   tv_start_game                  TV_WRAP... TV_BIN in TV_RUN, bare environment plus TV_GAME_ENV (NAME=value),
#                                  no xmessage; TV_PID, TV_OUT, TV_ERR, TV_SEAM (the seam record), new for each start
#   tv_wait_exit [SECS]            waits for the game's end; TV_STATUS
#   tv_wait_window [SECS]          waits for the window titled TV_TITLE, focuses it; TV_WIN, TV_X, TV_Y
#   tv_hold KEY CMD... / tv_press BUTTON CMD...  holds KEY / mouse BUTTON down while CMD (a wait) runs
#   tv_tap                         a left click, pressed and released at once
#   tv_key KEY / tv_type TEXT      a key, a text typed fast (12 ms a key): for the key buffer (readkey)
#   tv_mouse_to X Y / tv_mouse_rel DX DY   pointer to X, Y of the window, once the game reads it there
#                                  (at X, Y over TV_SCALE, default 1, in the picture) / a relative motion
#   tv_region X Y W H              prints that part of the picture: rows of pixels B, G, R, 0
#   tv_pixel X Y                   TV_PIXEL="R,G,B" of the picture at X, Y
#   tv_sum X Y W H [VAR]           TV_SUM (and VAR): checksum of that part of the picture
#   tv_scan X Y W H EXPR           TV_COUNT pixels there with perl EXPR on $r, $g, $b true, TV_AT their mean
#   tv_freeze / tv_thaw            reads see the picture as at tv_freeze / as it is
#   tv_wait_sum X Y W H [!] SUM [SECS]  waits until that part's checksum is (with !, is not) SUM
#   tv_count REGEX / tv_wait_seam REGEX [N] [SECS]  TV_COUNT: seam record lines matching / waits for N (1)
#   tv_assert_eq WANT GOT WHAT     fails unless the strings are equal
#   tv_assert_bytes FILE FMT [ARG...]  fails unless FILE holds exactly printf FMT ARG...
#   tv_menu                        waits for the menu (a full picture, the pointer read last)
#   tv_skip_intro                  waits for the intro, holds Escape until the menu shows
#   tv_choose BUTTON [tap]         clicks options, play, instructions, credits or exit in the menu (exit: Back) at
#                                  TV_SCALE, held until the game shows it, or with tap a press and release
#                                  back to back
#   tv_run_to_exit                 starts the game, skips the intro, chooses Exit; the status must be 0
#   tv_paused                      true while play shows its paused picture (the white word "Paused")
#   tv_leave_play                  from play: Escape to game over, a name (a pick-up may have put the score on
#                                  the table) or a key that leaves, the menu, Exit; waits for the end

set -u -o pipefail

TV_BUILD=${TARNAVEL_BUILD_DIR:-build}
TV_BIN=$(realpath "${TARNAVEL_BIN:-$TV_BUILD/tarnavel}")
TV_DATA=$(realpath "${TARNAVEL_DATA_DIR:-$TV_BUILD/data}")
TV_TITLE="Tarnavel v ${TARNAVEL_VERSION:-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$TV_BUILD/CMakeCache.txt" 2>/dev/null)}"
TV_SCREEN=${TV_SCREEN:-640x480x24}
TV_SCALE=${TV_SCALE:-1}
TV_WAIT=${TV_WAIT:-30}
TV_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tarnavel-e2e.XXXXXX")
TV_WRAP=() TV_GAME_ENV=()
TV_XVFB_PID="" TV_PID="" TV_RUN="" TV_HOME="" TV_OUT="" TV_ERR="" TV_SEAM="" TV_STATUS="" TV_RUNS=0 TV_STARTS=0
TV_WIN="" TV_X=0 TV_Y=0 TV_FB="" TV_FB_AT=0 TV_FB_LINE=0 TV_PIXEL="" TV_SUM="" TV_COUNT=0 TV_AT=""

tv_note() { printf '[e2e] %s\n' "$*" >&2; }

tv_fail()
{
    printf 'FAIL: %s\n' "$*" >&2
    [ -n "${DISPLAY:-}" ] && printf 'X pointer: %s\n' "$(xdotool getmouselocation 2>&1)" >&2
    for f in "$TV_OUT" "$TV_ERR" "${TV_RUN:+$TV_RUN/Log.txt}"; do
        [ -s "$f" ] && { printf -- '--- %s:\n' "$f"; head -c 2000 "$f" | cat -A; echo; } >&2
    done
    [ "${TV_KEEP:-0}" = 1 ] && [ -n "$TV_FB" ] && convert "xwd:$TV_FB" "$TV_TMP/failed.png"
    exit 1
}

tv_cleanup()
{
    local status=$?
    [ -n "$TV_PID" ] && kill -KILL "$TV_PID" 2>/dev/null
    [ -n "$TV_XVFB_PID" ] && kill "$TV_XVFB_PID" 2>/dev/null && wait "$TV_XVFB_PID" 2>/dev/null
    if [ "${TV_KEEP:-0}" = 1 ]; then tv_note "kept $TV_TMP"; else rm -rf "$TV_TMP"; fi
    exit "$status"
}
trap tv_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

tv_until()
{
    local _end=$((SECONDS + $1)) _secs=$1 _what=$2
    shift 2
    until "$@"; do
        # Looked at once more: the game may have ended just after the first look.
        [ -z "$TV_PID" ] || tv_running || "$@" || tv_fail "the game ended while waiting for $_what"
        [ "$SECONDS" -le "$_end" ] || tv_fail "no $_what within $_secs s"
        sleep 0.05
    done
}

tv_start_x()
{
    local cookie h
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    export XAUTHORITY=$TV_TMP/Xauthority
    # The server takes every cookie of its file, a client the one of its display.
    : >"$XAUTHORITY"
    xauth add :0 . "$cookie" || tv_fail "xauth"
    mkdir "$TV_TMP/fb"
    # -noreset: no client leaving resets the server under a starting game;
    # -r: no key repeats; -fbdir: the picture in a file, an XWD dump.
    Xvfb -displayfd 3 -noreset -r -nolisten tcp -auth "$XAUTHORITY" -fbdir "$TV_TMP/fb" \
        -screen 0 "$TV_SCREEN" 3>"$TV_TMP/display" >"$TV_TMP/xvfb.log" 2>&1 &
    TV_XVFB_PID=$!
    tv_until "$TV_WAIT" "display from Xvfb" eval '[ -s "$TV_TMP/display" ] ||
        { kill -0 $TV_XVFB_PID || tv_fail "Xvfb ended: $(cat "$TV_TMP/xvfb.log")"; false; }'
    export DISPLAY=:$(cat "$TV_TMP/display")
    xauth add "$DISPLAY" . "$cookie" || tv_fail "xauth"
    TV_FB=$TV_TMP/fb/Xvfb_screen0
    read -ra h < <(od -An -tu4 --endian=big -N 80 -w80 "$TV_FB")
    TV_FB_AT=$((h[0] + 12 * h[19])) TV_FB_LINE=${h[12]} # past the header and the colour map
}

tv_new_run()
{
    TV_RUNS=$((TV_RUNS + 1))
    TV_RUN=$TV_TMP/run$TV_RUNS TV_HOME=$TV_TMP/home$TV_RUNS TV_GAME_ENV=()
    mkdir -p "$TV_RUN" "$TV_HOME" "$TV_TMP/nobin"
    [ $# -gt 0 ] || set -- "Windowed 1" "Sound 0" "Music 0"
    printf '%s\n' "$@" >"$TV_RUN/settings.ini"
    cp "$TV_DATA"/{sprites,explosion,misc,sfx,music}.dat "$TV_RUN/" || tv_fail "no datafiles in $TV_DATA"
    # Allegro reads $HOME/allegro.cfg: the silent driver, no probing of cards.
    printf '[sound]\ndigi_card = 0\n' >"$TV_HOME/allegro.cfg"
}

tv_start_game()
{
    TV_STARTS=$((TV_STARTS + 1))
    TV_OUT=$TV_TMP/out$TV_STARTS TV_ERR=$TV_TMP/err$TV_STARTS TV_SEAM=$TV_TMP/seam$TV_STARTS TV_STATUS=""
    : >"$TV_SEAM"
    (cd "$TV_RUN" && exec env -i HOME="$TV_HOME" PATH="$TV_TMP/nobin" LC_ALL=C TARNAVEL_SEAM_LOG="$TV_SEAM" \
        ${DISPLAY:+"DISPLAY=$DISPLAY" "XAUTHORITY=${XAUTHORITY:-}"} "${TV_GAME_ENV[@]}" "${TV_WRAP[@]}" "$TV_BIN" \
        </dev/null >"$TV_OUT" 2>"$TV_ERR") &
    TV_PID=$!
}

tv_running() { local s; read -r _ _ s _ <"/proc/$TV_PID/stat" && [ "$s" != Z ]; } 2>/dev/null

tv_wait_exit()
{
    tv_until "${1:-$TV_WAIT}" "end of the game" eval '! tv_running'
    wait "$TV_PID"
    TV_STATUS=$? TV_PID=""
}

tv_wait_window()
{
    tv_until "${1:-$TV_WAIT}" "window '$TV_TITLE'" eval \
        'TV_WIN=$(xdotool search --onlyvisible --name "^${TV_TITLE//./\\.}\$" | head -n 1); [ -n "$TV_WIN" ]'
    eval "$(xdotool getwindowgeometry --shell "$TV_WIN" | sed -n 's/^\([XY]\)=/TV_\1=/p')"
    xdotool windowfocus --sync "$TV_WIN" || tv_fail "cannot focus the window"
}

# A key or button that the game polls is held until its effect shows: on a
# busy machine a press and its release may reach the game together.
tv_hold() { xdotool keydown "$1" || tv_fail "keydown $1"; "${@:2}"; xdotool keyup "$1"; }
tv_press() { xdotool mousedown "$1" || tv_fail "mousedown $1"; "${@:2}"; xdotool mouseup "$1"; }
# A press and release at once (as a touchpad sends), on a screen open for
# more than 0.3 s: a press sooner is taken as a double click's second half.
tv_tap() { sleep 0.35; xdotool click 1 || tv_fail "click"; }
tv_key() { xdotool key "$1" || tv_fail "key $1"; }
tv_type() { xdotool type --delay 12 -- "$1" || tv_fail "type $1"; }
tv_mouse_rel() { xdotool mousemove_relative -- "$1" "$2" || tv_fail "mousemove_relative $1 $2"; }

# Allegro follows the pointer's motion, not its place: the far corner, then
# the near one, bring its position to 0, 0 wherever it was. Until the game
# reads the pointer there (its seam record says so), the moves are sent again:
# now and then a busy machine loses the last one on its way to the game.
tv_mouse_to()
{
    local _want="$(($1 / TV_SCALE)) $(($2 / TV_SCALE))" _try _end
    for _try in 1 2 3 4 5; do
        xdotool mousemove $((TV_X + 640 * TV_SCALE - 1)) $((TV_Y + 480 * TV_SCALE - 1)) sleep 0.05 \
            mousemove "$TV_X" "$TV_Y" sleep 0.05 \
            mousemove $((TV_X + $1)) $((TV_Y + $2)) || tv_fail "mousemove $1 $2"
        _end=$((SECONDS + 5))
        while [ "$SECONDS" -le "$_end" ]; do
            [ "$(grep '^point ' "$TV_SEAM" | tail -n 1 | cut -d ' ' -f 3-)" = "$_want" ] && return
            tv_running || tv_fail "the game ended while the pointer moved to $1,$2"
            sleep 0.05
        done
        tv_note "the game has not read the pointer at $1,$2; moving it again"
    done
    tv_fail "the game never read the pointer at $1,$2"
}

tv_region()
{
    perl -e 'my ($f, $at, $line, $x, $y, $w, $h) = @ARGV; open my $in, "<:raw", $f or die "$f: $!";
        for my $r ($y .. $y + $h - 1) { seek $in, $at + $r * $line + 4 * $x, 0; read $in, my $row, 4 * $w; print $row }' \
        "$TV_FB" "$TV_FB_AT" "$TV_FB_LINE" $((TV_X + $1)) $((TV_Y + $2)) "$3" "$4"
}

tv_pixel() { TV_PIXEL=$(tv_region "$1" "$2" 1 1 | od -An -tu1 | awk '{ print $3 "," $2 "," $1 }'); }
tv_sum()
{
    TV_SUM=$(tv_region "$1" "$2" "$3" "$4" | md5sum)
    [ $# -lt 5 ] || printf -v "$5" %s "$TV_SUM"
}

tv_scan()
{
    read -r TV_COUNT TV_AT < <(tv_region "$1" "$2" "$3" "$4" | perl -e 'my ($x0, $y0, $w, $expr) = @ARGV;
        my ($test, $k, $n, $sx, $sy) = (eval "sub { my (\$r, \$g, \$b) = \@_; $expr }" || die($@), 0, 0, 0, 0);
        for my $p (unpack "(a4)*", do { local $/; <STDIN> }) {
            ++$n, $sx += $x0 + $k % $w, $sy += $y0 + int($k / $w) if $test->(reverse unpack "C3", $p);
            ++$k;
        }
        print $n, $n ? sprintf(" %d %d", $sx / $n, $sy / $n) : "", "\n"' "$1" "$2" "$3" "$5")
}

tv_freeze() { cp "$TV_TMP/fb/Xvfb_screen0" "$TV_TMP/frozen" && TV_FB=$TV_TMP/frozen; }
tv_thaw() { TV_FB=$TV_TMP/fb/Xvfb_screen0; }

# The conditions read the caller's locals (_s) by dynamic scope.
tv_wait_sum()
{
    local _not=""
    [ "$5" = ! ] && { _not=!; set -- "${@:1:4}" "${@:6}"; }
    local _s=("$@")
    tv_until "${6:-$TV_WAIT}" "picture $_not$5 at $1,$2" eval 'tv_sum "${_s[@]:0:4}"; [ $_not "$TV_SUM" = "${_s[4]}" ]'
}

tv_count() { TV_COUNT=$(grep -Ec -- "$1" "$TV_SEAM"); }

tv_wait_seam()
{
    local _s=("$1" "${2:-1}")
    tv_until "${3:-$TV_WAIT}" "'$1' in the seam record" eval 'tv_count "${_s[0]}"; [ "$TV_COUNT" -ge "${_s[1]}" ]'
}

tv_assert_eq() { [ "$1" = "$2" ] || tv_fail "$3: expected '$1', got '$2'"; }

tv_assert_bytes()
{
    printf -- "${@:2}" >"$TV_TMP/expected"
    cmp -s "$TV_TMP/expected" "$1" || tv_fail "$1 is not as expected:
--- expected:$(echo; cat -A "$TV_TMP/expected")
--- got:$(echo; cat -A "$1")"
}

# Play reads motion, the menu the pointer, each from its first logic step on.
tv_menu()
{
    tv_until "$TV_WAIT" menu eval 'grep -Eq "^present [0-9.]+ 0 0 640 480$" "$TV_SEAM" &&
        [ "$(grep -Eo "^(point|steer)" "$TV_SEAM" | tail -n 1)" = point ]'
}

tv_skip_intro()
{
    tv_until "$TV_WAIT" "the intro" tv_count '^clear '
    tv_hold Escape tv_menu
}

# The buttons, 150 x 40, stand flush with the right edge; a pressed one is
# drawn darker, also left of where the pointer covers it. At TV_SCALE. A tap
# is over before the game's next logic step: the screen it leads to shows
# instead.
tv_choose()
{
    local -A y=([options]=250 [play]=300 [instructions]=350 [credits]=400 [exit]=450)
    local s=$TV_SCALE
    tv_sum $((492 * s)) $(((y[$1] - 18) * s)) $((40 * s)) $((36 * s))
    tv_mouse_to $((565 * s)) $((y[$1] * s))
    if [ "${2:-}" = tap ]; then
        tv_tap
        tv_wait_sum $((492 * s)) $(((y[$1] - 18) * s)) $((40 * s)) $((36 * s)) ! "$TV_SUM"
    else
        tv_press 1 tv_wait_sum $((492 * s)) $(((y[$1] - 18) * s)) $((40 * s)) $((36 * s)) ! "$TV_SUM"
    fi
}

tv_run_to_exit()
{
    tv_start_game
    tv_wait_window
    tv_skip_intro
    tv_choose exit
    tv_wait_exit
    tv_assert_eq 0 "$TV_STATUS" "exit status"
}

tv_paused() { tv_scan 280 125 80 25 '$r + $g + $b == 765'; [ "$TV_COUNT" -gt 40 ]; }

tv_leave_play()
{
    tv_hold Escape tv_wait_seam '^clear ' 2
    tv_type x
    tv_hold Return tv_menu
    tv_choose exit
    tv_wait_exit
}
