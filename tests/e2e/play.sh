# Playing the real game from a test: the menus, a game, and the seam record
# (TARNAVEL_SEAM_LOG) that tells a test what the game read and showed.
# Sourced after harness.sh. Contracts, one line each (failures end the test):
#   pl_log_on                      the next tv_start_game records into TV_SEAM_LOG (fresh file)
#   pl_count REGEX                 TV_COUNT=lines of TV_SEAM_LOG matching the extended REGEX
#   pl_wait_line REGEX [N] [SECS]  waits until at least N (default 1) lines match
#   pl_skip_intro [SECS]           holds Escape until the first full-screen picture (the menu)
#   pl_wait_menu [SECS]            waits until a full-screen picture is up and the pointer was read last
#   pl_choose BUTTON               clicks "play", "instructions", "credits" or "exit" in the menu
#   pl_start_play [SECS]           from the menu: Play Game, then waits until the ship steers
#   pl_quit_game                   from play: Escape, a name if asked, the menu's Exit; status 0
#   pl_exit_from_menu              clicks Exit (again, if a click fell too early) until the game ends; status 0
#   pl_mickeys_sum                 TV_SUM_X, TV_SUM_Y: the motion the game read, summed

TV_SEAM_LOG=""
PL_FULL='^present [0-9.]+ 0 0 640 480$'

pl_log_on()
{
    TV_SEAM_LOG=$TV_TMP/seam$TV_RUNS-$RANDOM.txt
    : >"$TV_SEAM_LOG"
    local kept=() entry
    for entry in "${TV_GAME_ENV[@]}"; do
        [ "${entry%%=*}" = TARNAVEL_SEAM_LOG ] || kept+=("$entry")
    done
    TV_GAME_ENV=("${kept[@]}" "TARNAVEL_SEAM_LOG=$TV_SEAM_LOG")
}

pl_count()
{
    TV_COUNT=$(grep -Ec -- "$1" "$TV_SEAM_LOG" 2>/dev/null)
    TV_COUNT=${TV_COUNT:-0}
}

pl_wait_line()
{
    local until
    until=$(tv_deadline "${3:-30}")
    while :; do
        pl_count "$1"
        [ "$TV_COUNT" -ge "${2:-1}" ] && return 0
        tv_running || tv_fail "the game ended before the seam record showed '$1'"
        tv_before "$until" || tv_fail "no '$1' in the seam record within ${3:-30} s"
        sleep 0.05
    done
}

pl_skip_intro()
{
    [ -n "$TV_SEAM_LOG" ] || tv_fail "pl_skip_intro needs pl_log_on"
    tv_focus
    xdotool keydown Escape || tv_fail "keydown Escape"
    local until
    until=$(tv_deadline "${1:-60}")
    while pl_count "$PL_FULL"; [ "$TV_COUNT" -eq 0 ]; do
        tv_running || { xdotool keyup Escape; tv_fail "the game ended during the intro"; }
        tv_before "$until" || { xdotool keyup Escape; tv_fail "the intro did not end within ${1:-60} s"; }
        sleep 0.05
    done
    xdotool keyup Escape || tv_fail "keyup Escape"
}

pl_wait_menu()
{
    pl_wait_line "$PL_FULL" 1 "${1:-60}"
    # The menu reads the pointer from its first logic step on, play reads
    # motion: the menu is up when the last of those reads was a pointer read.
    local until
    until=$(tv_deadline "${1:-60}")
    while [ "$(grep -E '^(steer|point) ' "$TV_SEAM_LOG" | tail -n 1 | cut -d' ' -f1)" != point ]; do
        tv_running || tv_fail "the game ended before its menu showed"
        tv_before "$until" || tv_fail "the menu did not show within ${1:-60} s"
        sleep 0.05
    done
}

pl_choose()
{
    local y
    case $1 in
        play) y=300 ;;
        instructions) y=350 ;;
        credits) y=400 ;;
        exit) y=450 ;;
        *) tv_fail "pl_choose: no button '$1'" ;;
    esac
    # The buttons stand flush with the right edge, 150 x 40 each.
    tv_mouse_to 565 "$y"
    sleep 0.1
    tv_mouse_press 1
}

pl_start_play()
{
    pl_count '^steer '
    local before=$TV_COUNT try until
    until=$(tv_deadline "${1:-60}")
    # A click that falls before the menu takes it is tried again.
    for try in 1 2 3 4 5 6 7 8 9 10; do
        pl_choose play
        for _ in $(seq 1 30); do
            pl_count '^steer '
            [ "$TV_COUNT" -gt "$before" ] && return 0
            tv_running || tv_fail "the game ended instead of starting a game"
            sleep 0.1
        done
        tv_before "$until" || break
        tv_note "Play Game not taken yet (try $try)"
    done
    pl_wait_line '^steer ' $((before + 1)) 10
}

pl_mickeys_sum()
{
    read -r TV_SUM_X TV_SUM_Y < <(awk '$1 == "mickeys" { x += $3; y += $4 } END { printf "%d %d\n", x, y }' "$TV_SEAM_LOG")
}

pl_quit_game()
{
    tv_focus
    tv_key_hold Escape 0.3
    # The game-over picture: a name and Return when the score enters the
    # table, else the first key leaves.
    sleep 0.5
    tv_type x
    tv_key_tap Return
    pl_wait_menu 60
    pl_exit_from_menu
}

pl_exit_from_menu()
{
    local try
    for try in 1 2 3 4 5 6 7 8 9 10; do
        pl_choose exit
        for _ in $(seq 1 30); do
            tv_running || break 2
            sleep 0.1
        done
        tv_note "Exit not taken yet (try $try)"
    done
    tv_wait_exit 60
    tv_assert_status 0
}
