# The Options page by keyboard alone, on a desktop where Scale 2 fits: opened
# with Down and Enter, the sound turned off and the scale raised (the window
# grows at once, and keeps the keys), Escape back to the menu; settings.ini
# then holds the new values and its own lines; a second start reads them.
# Exit is chosen with Up and Enter both times.
source "$(dirname "$0")/harness.sh"

LOG='Installing Allegro and setting graphics mode... Done!\nCreating level... Done!\nRunning menus... Done!\nFreeing memory... Done!\nShutting down.'
window_size() { xwininfo -id "$TV_WIN" | awk '/Width:/ { w = $2 } /Height:/ { print w "x" $2 }'; }
exit_by_keys()
{
    tv_key Up
    tv_key Return
    tv_wait_exit
    tv_assert_eq 0 "$TV_STATUS" "exit status"
    tv_assert_bytes "$TV_RUN/Log.txt" "$LOG"
}

TV_SCREEN=1920x1200x24
tv_start_x
tv_new_run "# mine" "Windowed 1" "Sound 1" "Music 0" "Scale 1"
tv_start_game
tv_wait_window
tv_skip_intro
tv_assert_eq 640x480 "$(window_size)" "the window at Scale 1"

tv_note "Down and Enter open the page; Left turns the sound off"
# Where the page's rows stand, left of the buttons.
tv_sum 150 200 300 200 menu
tv_key Down
tv_key Return
tv_wait_sum 150 200 300 200 ! "$menu"
tv_key Left
tv_until 30 "Sound 0 saved" grep -qx 'Sound 0' "$TV_RUN/settings.ini"

tv_note "five rows down, Right raises the scale: the window doubles at once"
# The pointer off the window, even doubled: the keys then reach the game
# only while its window holds the focus.
xdotool mousemove 1900 1190 || tv_fail "mousemove"
for _ in 1 2 3 4 5; do tv_key Down; done
tv_key Right
tv_until 30 "the window doubled" eval '[ "$(window_size)" = 1280x960 ]'
tv_until 30 "Scale 2 saved" grep -qx 'Scale 2' "$TV_RUN/settings.ini"

tv_note "Escape returns to the menu, which still takes the keys"
# The Options button's place, empty beside the page.
tv_sum 980 460 300 80 page
tv_key Escape
tv_wait_sum 980 460 300 80 ! "$page"
tv_assert_bytes "$TV_RUN/settings.ini" '# mine\nWindowed 1\nSound 0\nMusic 0\nScale 2\nSoundVolume 100\nColor 0\nMusicVolume 70\nMouseSensitivity 1\nPadSensitivity 1\nPadFire 0\nPadNextWeapon 1\nPadNextWeapon2 3\nPadFireSpecial 2\nPadPause 7\nPadEndGame 6\n'
exit_by_keys

tv_note "a second start reads them"
cp "$TV_RUN/settings.ini" "$TV_TMP/saved.ini"
tv_start_game
tv_wait_window
tv_assert_eq 1280x960 "$(window_size)" "the window at the saved Scale 2"
tv_skip_intro
exit_by_keys
cmp -s "$TV_TMP/saved.ini" "$TV_RUN/settings.ini" || tv_fail "settings.ini changed without a change on the page"
