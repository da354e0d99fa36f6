# Valgrind's memcheck on a whole run of the real game: the intro skipped, a
# game steered, fired in, paused and ended, Exit. No byte definitely lost and
# no memory error, outside what the suppressions give to Allegro, X11 and ALSA.
# Sound is on and detected (ALSA writing into a file), so that Allegro's ALSA
# driver and the music take part.
source "$(dirname "$0")/harness.sh"

TV_WAIT=600
LOG=$TV_TMP/valgrind.log
tv_start_x
tv_new_run "Windowed 1" "Sound 1"
printf 'pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\nctl.!default { type hw card 0 }\n' \
    "$TV_TMP/sound.raw" >"$TV_HOME/.asoundrc"
: >"$TV_HOME/allegro.cfg"
TV_WRAP=("$(command -v valgrind)" --tool=memcheck --leak-check=full --show-leak-kinds=definite
    --errors-for-leak-kinds=definite --error-exitcode=99 --num-callers=40 --gen-suppressions=all --keep-debuginfo=yes
    --suppressions="$(dirname "$(realpath "$0")")/../reliability/leaks/valgrind.supp" --log-file="$LOG")
tv_start_game
tv_wait_window
tv_skip_intro
tv_choose play
tv_wait_seam '^steer '
tv_mouse_rel 30 20
tv_press 1 tv_wait_seam '^mickeys '
tv_key p
tv_until "$TV_WAIT" "the paused picture" tv_paused
tv_key p
tv_until "$TV_WAIT" "play going on" eval '! tv_paused'
tv_leave_play
grep -q "ERROR SUMMARY: 0 errors" "$LOG" && [ "$TV_STATUS" = 0 ] ||
    tv_fail "memcheck: status $TV_STATUS, $(sed -n '/ERROR SUMMARY/p;/LEAK SUMMARY/,$p' "$LOG")"
sed -n 's/^==[0-9]*== *//; /lost:/p; /reachable:/p; /suppressed:/p' "$LOG" >&2
