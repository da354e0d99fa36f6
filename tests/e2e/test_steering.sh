# Mouse steering that loses nothing. While a game runs, known relative motion
# is sent with xdotool at 125, 500 and 1000 events a second; the seam record
# shows how much of it the game read for the ship (mouseSens 1: 100 mickeys
# add 1 pixel per step to the ship's speed). Meanwhile the pointer's place is
# watched: it must never leave the window during play.
#
# The game's own motion reader must deliver all of it at 125 events/s and at
# least 99% at 500 and 1000 events/s. The same run with Allegro's own mickeys
# (TARNAVEL_MICKEYS=allegro) is measured and reported for comparison only.
# Every check counts motion, never time: the test waits until the motion has
# been read, however slow the machine.
# STEERING_SECONDS (default 2) sets how long each rate is sent.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/play.sh"

RATES=(125 500 1000)
SECONDS_PER_RATE=${STEERING_SECONDS:-2}
DX=3
DY=2
declare -A PAUSE

# The pause between two events that gives RATE events a second with this
# machine's xdotool: one trial of 100 events measures what an event costs.
calibrate()
{
    local rate=$1 n=100 args=() t0 t1 pause
    pause=$(awk -v r="$rate" 'BEGIN { printf "%.6f", 1 / r }')
    for ((i = 0; i < n; i++)); do args+=(mousemove_relative -- 0 1 sleep "$pause"); done
    t0=$EPOCHREALTIME
    xdotool "${args[@]}" || tv_fail "xdotool"
    t1=$EPOCHREALTIME
    PAUSE[$rate]=$(awk -v r="$rate" -v n="$n" -v a="$t0" -v b="$t1" -v p="$pause" \
        'BEGIN { cost = (b - a) / n - p; q = 1 / r - cost; if (q < 0) q = 0; printf "%.6f", q }')
}

# Records the pointer's place every 20 ms into FILE until FILE.stop exists.
watch_pointer()
{
    local file=$1
    while [ ! -e "$file.stop" ]; do
        xdotool getmouselocation 2>/dev/null | awk '{ sub("x:", "", $1); sub("y:", "", $2); print $1, $2 }' >>"$file"
        sleep 0.02
    done
}

# Sends N events of (DX, DY) at RATE while watching the pointer; then waits
# until the game has read all of it, or nothing more arrives for 2 s.
# Sets SENT_X, SENT_Y, GOT_X, GOT_Y, ACHIEVED (events/s), OUTSIDE (pointer
# samples outside the window), SAMPLES.
measure_rate()
{
    local rate=$1 n=$(($1 * SECONDS_PER_RATE)) args=() t0 t1 bx by until last_x last_y still
    for ((i = 0; i < n; i++)); do args+=(mousemove_relative -- $DX $DY sleep "${PAUSE[$rate]}"); done
    pl_mickeys_sum
    bx=$TV_SUM_X
    by=$TV_SUM_Y
    local watch=$TV_TMP/pointer-$MODE-$rate.txt
    : >"$watch"
    watch_pointer "$watch" &
    local watcher=$!
    t0=$EPOCHREALTIME
    xdotool "${args[@]}" || tv_fail "xdotool"
    t1=$EPOCHREALTIME
    SENT_X=$((n * DX))
    SENT_Y=$((n * DY))
    ACHIEVED=$(awk -v n="$n" -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", n / (b - a) }')
    until=$(tv_deadline 60)
    last_x=-1
    last_y=-1
    still=0
    while :; do
        pl_mickeys_sum
        GOT_X=$((TV_SUM_X - bx))
        GOT_Y=$((TV_SUM_Y - by))
        [ "$GOT_X" -ge "$SENT_X" ] && [ "$GOT_Y" -ge "$SENT_Y" ] && break
        if [ "$GOT_X" = "$last_x" ] && [ "$GOT_Y" = "$last_y" ]; then
            still=$((still + 1))
            [ "$still" -ge 20 ] && break
        else
            still=0
        fi
        last_x=$GOT_X
        last_y=$GOT_Y
        tv_before "$until" || break
        tv_running || tv_fail "the game ended while steering"
        sleep 0.1
    done
    touch "$watch.stop"
    wait "$watcher"
    SAMPLES=$(wc -l <"$watch")
    OUTSIDE=$(awk -v x0="$TV_ORIGIN_X" -v y0="$TV_ORIGIN_Y" \
        '$1 < x0 || $1 >= x0 + 640 || $2 < y0 || $2 >= y0 + 480 { n++ } END { print n + 0 }' "$watch")
}

percent() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", 100 * a / b }'; }

tv_start_x
for rate in "${RATES[@]}"; do calibrate "$rate"; done

REPORT=$TV_TMP/report.txt
printf '%-8s %8s %9s %9s %9s %9s %8s %8s %14s\n' mickeys "rate/s" "sent x" "read x" "sent y" "read y" "x %" "y %" "pointer out" >"$REPORT"

for MODE in allegro raw; do
    tv_note "$MODE mickeys: starting a game"
    tv_new_rundir
    tv_write_settings "Windowed 1" "Sound 0" "Color 0" "Music 0" "MouseSensitivity 1.0"
    tv_add_datafiles
    TV_GAME_ENV=()
    [ "$MODE" = allegro ] && TV_GAME_ENV=(TARNAVEL_MICKEYS=allegro)
    pl_log_on
    tv_start_game
    tv_wait_window 60
    pl_skip_intro 60
    pl_wait_menu 60
    pl_start_play 60
    sleep 0.3
    for rate in "${RATES[@]}"; do
        measure_rate "$rate"
        px=$(percent "$GOT_X" "$SENT_X")
        py=$(percent "$GOT_Y" "$SENT_Y")
        printf '%-8s %8s %9s %9s %9s %9s %8s %8s %14s\n' "$MODE" "$ACHIEVED" "$SENT_X" "$GOT_X" "$SENT_Y" "$GOT_Y" \
            "$px" "$py" "$OUTSIDE/$SAMPLES" >>"$REPORT"
        tv_note "$MODE at $rate/s (sent at $ACHIEVED/s): x $GOT_X of $SENT_X ($px%), y $GOT_Y of $SENT_Y ($py%), pointer outside $OUTSIDE of $SAMPLES samples"
        if [ "$MODE" = raw ]; then
            [ "$GOT_X" -le "$SENT_X" ] && [ "$GOT_Y" -le "$SENT_Y" ] ||
                tv_fail "the game read more motion than was sent at $rate/s"
            if [ "$rate" = 125 ]; then
                [ "$GOT_X" = "$SENT_X" ] && [ "$GOT_Y" = "$SENT_Y" ] ||
                    tv_fail "motion lost at 125 events/s: x $GOT_X of $SENT_X, y $GOT_Y of $SENT_Y"
            else
                [ $((GOT_X * 100)) -ge $((SENT_X * 99)) ] && [ $((GOT_Y * 100)) -ge $((SENT_Y * 99)) ] ||
                    tv_fail "more than 1% of the motion lost at $rate events/s: x $GOT_X of $SENT_X, y $GOT_Y of $SENT_Y"
            fi
            [ "$OUTSIDE" = 0 ] || tv_fail "the pointer left the window during play at $rate events/s"
            [ "$SAMPLES" -gt 0 ] || tv_fail "the pointer was never seen"
        fi
    done
    tv_stop_game
done
cat "$REPORT" >&2
tv_note "steering test passed"
