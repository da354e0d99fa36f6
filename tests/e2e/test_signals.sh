# Ends the desktop may choose: a name entered is in the file at once, so a
# SIGKILL afterwards loses nothing; SIGTERM at any moment of the menu or of
# play leaves as Exit does, never through an abort. A second start in the
# same directory leaves at once and touches nothing; a killed game does not
# hold the directory.
source "$(dirname "$0")/harness.sh"

LOG='Installing Allegro and setting graphics mode... Done!\nCreating level... Done!\nRunning menus... Done!\nFreeing memory... Done!\nShutting down.'
decoded() { perl -0777 -pe '$_ = ~$_' <"$TV_RUN/highscores.tav"; }

tv_start_x
tv_note "a name entered, then SIGKILL at the menu"
tv_new_run
# A game's few points rank third.
printf 'Ada 900000\r\nBo 800000\r\nCy -1\r\nDi -2\r\nEd -3\r\n' | perl -0777 -pe '$_ = ~$_' >"$TV_RUN/highscores.tav"
tv_start_game
tv_wait_window
tv_skip_intro
tv_choose play
tv_wait_seam '^steer'
tv_hold Escape tv_wait_seam '^clear ' 2
tv_until 30 "the name prompt" eval 'tv_scan 0 331 640 14 "\$r + \$g + \$b == 765"; [ "$TV_COUNT" -gt 0 ]'
tv_type Kim
tv_key Return
tv_menu

tv_note "a second start in the same directory"
first=$TV_PID
listing() { (cd "$TV_RUN" && ls -l --time-style=full-iso && md5sum *); }
before=$(listing)
tv_start_game
tv_wait_exit
tv_assert_eq 1 "$TV_STATUS" "exit status of a second start"
tv_assert_bytes "$TV_OUT" 'Tarnavel is already running.\n'
tv_assert_eq "$before" "$(listing)" "the directory after a second start"

TV_PID=$first
kill -KILL "$TV_PID"
tv_wait_exit
# A collectable may lie at the ship's start: 0 or a few points.
decoded | grep -Pzq '\AAda 900000\r\nBo 800000\r\nKim (0|[1-9][0-9]*)\r\nCy -1\r\nDi -2\r\n\z' ||
    tv_fail "the table after SIGKILL: $(decoded | cat -A)"
tv_note "the killed game's directory, started again"
tv_run_to_exit

for run in $(seq 10); do
    tv_new_run
    tv_start_game
    tv_wait_window
    tv_skip_intro
    where=menu
    [ $((run % 2)) = 0 ] && { where=play; tv_choose play; tv_wait_seam '^steer'; }
    sleep "0.$((RANDOM % 5))"
    tv_note "SIGTERM $run in the $where"
    kill -TERM "$TV_PID"
    tv_wait_exit
    tv_assert_eq 0 "$TV_STATUS" "exit status after SIGTERM $run"
    tv_assert_bytes "$TV_RUN/Log.txt" "$LOG"
    # A pick-up at the ship's start puts a few points on the table, unnamed.
    [ "$(decoded | grep -cE '^(None 0|Anonymous [0-9]+)'$'\r''$')" = 5 ] || tv_fail "no table saved after SIGTERM $run"
done
