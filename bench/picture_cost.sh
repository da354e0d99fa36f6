# What the picture costs at Scale 1, 2 and 3: the real game in a window on a
# 24-bit Xvfb, BENCH_PICTURE_SECONDS (default 5) in its menu, then as long in
# play (the ship gets no input), then as long paused. For each: the game's
# processor time, every thread, from /proc; and the whole pictures that
# reached the window per second, counted outside the game by a library
# preloaded into it (count_pictures: the pixels of every image and RENDER
# composite put on a window) divided by the window's area. Goals: at most 10%
# of a core at Scale 1 and 2, 15% at Scale 3, at least 95 pictures a second
# in each; paused, at most 2% and no picture at all.
# Also what the X server spent meanwhile (Xvfb enlarges in software).
# Usage: picture_cost.sh BUILD_DIR; TARNAVEL_BIN measures another build's game.
BUILD_DIR=${1:-build}
export TARNAVEL_BUILD_DIR=$BUILD_DIR
COUNTER=$(realpath "$BUILD_DIR/bench/libcount_pictures.so")
source "$(dirname "$0")/../tests/e2e/harness.sh"
SECS=${BENCH_PICTURE_SECONDS:-5}
TICKS=$(getconf CLK_TCK)
# Room for a window of 1920 x 1440 and its frame.
TV_SCREEN=2400x1800x24
tv_start_x

# CPU ticks of a process so far.
ticks()
{
    local stat
    read -r stat <"/proc/$1/stat" || tv_fail "process $1 is gone"
    set -- ${stat##*) }
    echo $((${12} + ${13}))
}

# The game's and the X server's CPU ticks so far, the pixels put on the
# game's window and the requests that put them so far, the time.
sample() { echo "$(ticks "$TV_PID") $(ticks "$TV_XVFB_PID") $(od -An -tu8 -N16 "$TV_TMP/count") $EPOCHREALTIME"; }

measure()
{
    local cpu0 x0 px0 rq0 t0 cpu1 x1 px1 rq1 t1
    read -r cpu0 x0 px0 rq0 t0 < <(sample)
    sleep "$SECS"
    read -r cpu1 x1 px1 rq1 t1 < <(sample)
    awk -v what="$1" -v s="$TV_SCALE" -v c="$((cpu1 - cpu0))" -v x="$((x1 - x0))" -v p="$((px1 - px0))" \
        -v r="$((rq1 - rq0))" -v t0="$t0" -v t1="$t1" -v hz="$TICKS" 'BEGIN { t = t1 - t0; cpu = 100 * c / hz / t
        pics = p / (640 * s * 480 * s) / t; still = what == "paused"; goal = still ? 2 : s < 3 ? 10 : 15
        printf "Scale %d %-6s %4.1f s: %5.1f%% of a core, %6.1f pictures a second (goal: %d%%, %s): %s;" \
            " %d requests a second; Xvfb %.1f%%\n", s, what, t, cpu, pics, goal, still ? "0" : "95",
            (cpu <= goal && (still ? p == 0 : pics >= 95)) ? "met" : "MISSED", r / t, 100 * x / hz / t }'
}

echo "picture_cost: the game's CPU and the pictures that reach its window, $SECS s each, on a 24-bit Xvfb"
for TV_SCALE in 1 2 3; do
    tv_new_run "Windowed 1" "Sound 0" "Scale $TV_SCALE"
    TV_GAME_ENV=("LD_PRELOAD=$COUNTER" "COUNT_PICTURES_FILE=$TV_TMP/count")
    tv_start_game
    tv_wait_window
    tv_skip_intro
    # The pointer where no button lies.
    tv_mouse_to $((100 * TV_SCALE)) $((200 * TV_SCALE))
    measure menu
    tv_choose play
    tv_wait_seam '^steer'
    measure play
    # The paused picture shows once: the count stands still from then on.
    tv_key p
    tv_until 30 "the paused picture" eval 'read -r a < <(od -An -tu8 -N8 "$TV_TMP/count"); sleep 0.5
        read -r b < <(od -An -tu8 -N8 "$TV_TMP/count"); [ "$a" = "$b" ]'
    measure paused
    kill -TERM "$TV_PID"
    tv_wait_exit
done
