# Steering that loses nothing: in play, relative motion (500 events a second,
# then jumps past the window's edge) adds up in the seam record's mickeys to
# exactly what was sent; the pointer stays in the window. STEERING_COMPARE=1
# (make bench-play) adds 125 and 1000 a second and Allegro's own mickeys
# (TARNAVEL_MICKEYS=allegro), and reports what each read.
source "$(dirname "$0")/harness.sh"
TV_SCREEN=1024x768x24

# GOT: the mickeys read since those of "$1".
read_mickeys()
{
    GOT=$(awk -v b="$1" 'BEGIN { split(b, o, " ") } $1 == "mickeys" { x += $3; y += $4 }
        END { print x - o[1], y - o[2] }' "$TV_SEAM")
}

# burst N DX DY RATE: N motions of DX, DY at RATE a second, until all are read
# (Allegro's mickeys, which may lose some: for 2 s).
burst()
{
    local args=() pause t0
    pause=$(awk -v r="$4" 'BEGIN { print 1 / r }')
    for ((i = 0; i < $1; i++)); do args+=(mousemove_relative -- "$2" "$3" sleep "$pause"); done
    read_mickeys "0 0"
    local base=$GOT SENT="$(($1 * $2)) $(($1 * $3))" t0=$EPOCHREALTIME
    xdotool "${args[@]}" || tv_fail "xdotool"
    t0=$(awk -v n="$1" -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", n / (b - a) }')
    [ "$MODE" = raw ] || sleep 2
    tv_until 30 "all the motion read (sent $SENT)" eval 'read_mickeys "$base"; [ "$MODE" = allegro ] || [ "$GOT" = "$SENT" ]'
    tv_note "$MODE mickeys, $1 motions of $2,$3 sent at $t0/s: read $GOT of $SENT"
    eval "$(xdotool getmouselocation --shell)"
    [ "$MODE" = allegro ] || { [ "$X" -lt $((TV_X + 640)) ] && [ "$Y" -lt $((TV_Y + 480)) ]; } ||
        tv_fail "the pointer left the window: $X,$Y"
}

tv_start_x
MODES=(raw) RATES=(500)
[ "${STEERING_COMPARE:-0}" = 1 ] && MODES=(allegro raw) RATES=(125 500 1000)
for MODE in "${MODES[@]}"; do
    # The ship flies into the bottom right corner, where no enemy of the
    # first wave goes, and stays there: its motion is read all the same.
    tv_new_run
    [ "$MODE" = allegro ] && TV_GAME_ENV=(TARNAVEL_MICKEYS=allegro)
    tv_start_game
    tv_wait_window
    tv_skip_intro
    tv_choose play
    tv_wait_seam '^steer '
    for rate in "${RATES[@]}"; do burst "$rate" 3 2 "$rate"; done
    burst 20 400 300 20
    tv_leave_play
    tv_assert_eq 0 "$TV_STATUS" "exit status"
done
