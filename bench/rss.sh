# Resident memory over RSS_MINUTES (default 10) minutes of play of the real
# game under Xvfb. The player is a script: it steers in random bursts,
# fires, switches and fires special weapons, ends a game with Escape every
# two minutes, types a name when the table asks for one and starts the next
# game from the menu. VmRSS is read from /proc every 5 s. Goal: under 24 MB
# and flat (the growth from the end of the first minute to the end).
export TARNAVEL_BUILD_DIR=${TARNAVEL_BUILD_DIR:-build}
source "$(dirname "$0")/../tests/e2e/harness.sh"
source "$(dirname "$0")/../tests/e2e/play.sh"

MINUTES=${RSS_MINUTES:-10}
tv_start_x
tv_new_rundir
tv_add_datafiles
pl_log_on
tv_start_game
tv_wait_window 60
pl_skip_intro 60
pl_wait_menu 60
pl_start_play 60
# The pointer waits in the middle, far from the menu's buttons: the bursts
# below return it, so a click that falls in the menu chooses nothing.
tv_mouse_to 320 240

samples=$TV_TMP/rss.txt
: >"$samples"
start=$(date +%s)
end=$((start + MINUTES * 60))
next_sample=$start
next_escape=$((start + 120))
games=1
RANDOM=8
while [ "$(date +%s)" -lt "$end" ]; do
    tv_running || tv_fail "the game ended during the run"
    now=$(date +%s)
    if [ "$now" -ge "$next_sample" ]; then
        rss=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$TV_PID/status")
        echo "$((now - start)) $rss" >>"$samples"
        next_sample=$((next_sample + 5))
    fi
    # In the menu (the last of steer and point is point): a new game.
    if [ "$(grep -E '^(steer|point) ' "$TV_SEAM_LOG" | tail -n 1 | cut -d' ' -f1)" = point ]; then
        pl_start_play 60
        tv_mouse_to 320 240
        games=$((games + 1))
        continue
    fi
    if [ "$now" -ge "$next_escape" ]; then
        tv_key_hold Escape 0.3
        next_escape=$((now + 120))
    fi
    # A burst of steering that roughly returns the ship, a shot, sometimes a
    # new special weapon and a special shot; a name typed and Return, which
    # play ignores and the name entry takes.
    dx=$((RANDOM % 41 - 20))
    dy=$((RANDOM % 41 - 20))
    xdotool mousemove_relative -- $dx $dy sleep 0.05 mousemove_relative -- $((-dx)) $((-dy)) \
        sleep 0.05 click 1 >/dev/null 2>&1
    [ $((RANDOM % 10)) = 0 ] && xdotool click 3 key space >/dev/null 2>&1
    [ $((RANDOM % 15)) = 0 ] && tv_type "rss" && xdotool key Return
    sleep 0.2
done
tv_stop_game
awk -v games="$games" 'NR == 1 { first = $2 } { rss[NR] = $2; t[NR] = $1; if ($2 > max) max = $2 }
    $1 <= 60 { at1 = $2 } END {
    printf "Resident memory over %d s of play (%d games): start %.1f MB, after 1 min %.1f MB, end %.1f MB, largest %.1f MB; growth after the first minute %+.1f KB (goal: under 24 MB and flat)\n",
        t[NR], games, first / 1024, at1 / 1024, rss[NR] / 1024, max / 1024, rss[NR] - at1
}' "$samples"
cp "$samples" "${RSS_SAMPLES_OUT:-/dev/null}" 2>/dev/null || true
