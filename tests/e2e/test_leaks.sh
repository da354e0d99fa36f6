# Valgrind's memcheck on a whole run of the real game: the intro skipped with
# Escape, a game started, played a little and ended with Escape, the game-over
# picture closed with a key, Exit chosen. No byte may be definitely lost, and
# no memory error may show, outside what the suppression file gives to
# Allegro, X11 and ALSA. Sound is on and autodetected, so that Allegro's ALSA
# driver is part of the run. LEAKS_KEEP=FILE keeps valgrind's log there,
# LEAKS_SHOT=FILE a picture of the game in play.
source "$(dirname "$0")/harness.sh"

command -v valgrind >/dev/null || tv_fail "valgrind is not installed"
SUPPRESSIONS=${TARNAVEL_SOURCE_DIR:-$(dirname "$0")/../..}/tests/reliability/leaks/valgrind.supp
[ -f "$SUPPRESSIONS" ] || tv_fail "no suppression file at $SUPPRESSIONS"
VALGRIND_LOG=$TV_TMP/valgrind.log

# The harness starts TV_BIN with a bare environment; this wrapper puts the
# real binary under memcheck.
REAL_BIN=$(cd "$(dirname "$TV_BIN")" && pwd)/$(basename "$TV_BIN")
mkdir -p "$TV_TMP/vg"
cat >"$TV_TMP/vg/tarnavel" <<WRAPPER
#!/bin/sh
exec $(command -v valgrind) --tool=memcheck --leak-check=full --show-leak-kinds=definite \\
  --errors-for-leak-kinds=definite --error-exitcode=99 --num-callers=40 --keep-debuginfo=yes \\
  --suppressions="$SUPPRESSIONS" --gen-suppressions=all --log-file="$VALGRIND_LOG" "$REAL_BIN"
WRAPPER
chmod +x "$TV_TMP/vg/tarnavel"
TV_BIN=$TV_TMP/vg/tarnavel

# The menu's background at a place no button, text or star covers.
MENU_PIXEL="20 20 8,12,33"

# Status 0 when the screen shows the menu now (a probe that never fails the test).
menu_showing()
{
    local format=${TV_RGB_FORMAT//X/20} pixel
    pixel=$(xwd -root -silent | convert xwd:- -format "${format//Y/20}" info: 2>/dev/null) || return 1
    awk -v a="$pixel" 'BEGIN { split(a, p, ","); d = (p[1]-8)^2 + (p[2]-12)^2 + (p[3]-33)^2; exit !(d < 100) }'
}

show_log()
{
    [ -n "${LEAKS_KEEP:-}" ] && cp "$VALGRIND_LOG" "$LEAKS_KEEP"
    sed -n '/ERROR SUMMARY/p;/definitely lost/p;/LEAK SUMMARY/,$p' "$VALGRIND_LOG" >&2
}

tv_start_x
tv_new_rundir
tv_write_settings "Windowed 1" "Sound 1"
tv_allegro_cfg ""
tv_add_datafiles
tv_start_game
tv_wait_window 300
tv_focus

tv_note "intro: Escape until the menu shows"
for attempt in $(seq 1 120); do
    menu_showing && break
    tv_key_hold Escape 1
done
tv_wait_pixel $MENU_PIXEL 6 120

tv_note "Play Game"
tv_mouse_to 565 300
tv_mouse_hold 1 1.5
tv_wait_pixel 20 20 0,0,0 0 180

tv_note "a little play: steering and shots"
for i in $(seq 1 12); do
    tv_mouse_rel 30 -20
    tv_mouse_hold 1 0.5
    tv_mouse_rel -30 20
    tv_mouse_hold 3 0.3
done
[ -n "${LEAKS_SHOT:-}" ] && tv_game_shot "$LEAKS_SHOT"

# A score of 0 leaves the picture on any key; a score on the list takes a
# name: a letter, then Enter held until the entry looks at it.
tv_note "Escape ends the game; the game-over picture or the name entry is left"
tv_key_hold Escape 2
for attempt in $(seq 1 60); do
    sleep 1
    menu_showing && break
    tv_key_tap a
    tv_key_hold Return 1.5
done
tv_wait_pixel $MENU_PIXEL 6 120

tv_note "Exit"
tv_mouse_to 565 450
tv_mouse_hold 1 1.5
tv_wait_exit 600
if [ "$TV_STATUS" = 99 ]; then
    show_log
    tv_fail "memcheck found leaks or memory errors outside the suppressions"
fi
tv_assert_status 0
grep -q "ERROR SUMMARY: 0 errors" "$VALGRIND_LOG" || { show_log; tv_fail "memcheck reported errors"; }
sed -n 's/^==[0-9]*== *//; /definitely lost:/p; /indirectly lost:/p; /possibly lost:/p; /still reachable:/p; /suppressed:/p' \
    "$VALGRIND_LOG" | sed 's/^/[leaks] /' >&2
[ -n "${LEAKS_KEEP:-}" ] && cp "$VALGRIND_LOG" "$LEAKS_KEEP"
tv_assert_file_bytes "$TV_RUN/Log.txt" '%s' "$(printf 'Installing Allegro and setting graphics mode... Done!\nCreating level... Done!\nRunning menus... Done!\nFreeing memory... Done!\nShutting down.')"
exit 0
