# One whole session: the intro ended by Escape, the menu, the instructions,
# the credits (both left and opened by taps, a press and release back to
# back), a game steered and fired in and ended by Escape, a name typed
# fast into the table, Exit; then the
# files the game leaves, byte for byte, and the sound it made.
source "$(dirname "$0")/harness.sh"

tv_start_x
tv_new_run "Windowed 1" "Sound 1"
# Allegro's ALSA driver, detected, writes the mixed sound into a file.
printf 'pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\nctl.!default { type hw card 0 }\n' \
    "$TV_TMP/sound.raw" >"$TV_HOME/.asoundrc"
: >"$TV_HOME/allegro.cfg"
# Each byte complemented; 0 points rank third.
printf 'Ada 900000\r\nBo 800000\r\nCy -1\r\nDi -2\r\nEd -3\r\n' | perl -0777 -pe '$_ = ~$_' >"$TV_RUN/highscores.tav"
tv_start_game
tv_wait_window

tv_note "the intro's grey at the desktop's depth, ended by Escape"
tv_until 30 "the intro" eval 'tv_pixel 5 5; [ "$TV_PIXEL" != 0,0,0 ]'
tv_assert_eq 104,104,104 "$TV_PIXEL" "the grey at the desktop's 24 bits"
escape=$EPOCHREALTIME
tv_hold Escape tv_menu
# Left alone the intro lasts 9.08 s: a menu sooner came from Escape (if it came sooner).
read -r grey menu < <(awk '$1 == "clear" && !g { g = $2 } $1 == "point" { print g, $2; exit }' "$TV_SEAM")
awk -v g="$grey" -v e="$escape" -v m="$menu" 'BEGIN { exit !(e - g > 8 || m - g < 9) }' ||
    tv_fail "the intro went on after Escape"

tv_note "Instructions, tapped, closed by a key; Credits, left through Back, tapped"
# The pointer where no button, table or credits lie.
tv_mouse_to 300 200
tv_sum 0 380 130 100 table
tv_sum 0 400 130 30 top_rows
tv_sum 0 430 130 15 third_row
tv_sum 490 280 150 40 play
tv_choose instructions tap
tv_wait_sum 0 380 130 100 ! "$table"
tv_key space
tv_wait_sum 0 380 130 100 "$table"
tv_choose credits
# The upper three buttons go; the table stays.
tv_wait_sum 490 280 150 40 ! "$play"
tv_sum 0 380 130 100
tv_assert_eq "$table" "$TV_SUM" "the table beside the credits"
tv_mouse_to 565 450
tv_tap
tv_wait_sum 490 280 150 40 "$play"

tv_note "a game: motion steers the ship, the left button fires ahead of it"
# On the first wave's field, six pixels of this red are the ship's
# and this yellow is a shot's: nothing else shows either.
ship='$r == 230 && $g == 60 && $b == 50'
shot='$r > 250 && $g > 215 && $b < 130'
tv_choose play
tv_until 30 "the ship at rest in the middle" eval 'tv_scan 320 240 32 32 "$ship"; [ "$TV_COUNT $TV_AT" = "6 335 262" ]'
tv_mouse_rel 40 30
# 0.4 pixels a step: 25 steps on, the ship may shoot (it needs 21 since the start).
tv_until 30 "the ship steered" eval 'tv_scan 320 240 200 150 "$ship"; [ "${TV_AT%% *}" -gt 345 ] 2>/dev/null'
# A shot leaves the ship's middle at twice the ship's speed: it draws ahead.
tv_press 1 tv_until 30 "a shot ahead of the ship" eval 'tv_freeze; tv_scan 320 240 200 150 "$ship"
    read -r ship_x ship_y <<<"${TV_AT:-999 999}"; tv_scan 320 240 200 150 "$shot"; tv_thaw
    read -r shot_x shot_y <<<"${TV_AT:-0 0}"; [ "$shot_x" -gt $((ship_x + 8)) ] && [ "$shot_y" -gt $((ship_y + 4)) ]'
tv_note "ship at $ship_x,$ship_y, shot at $shot_x,$shot_y"
[ "$ship_x" -gt 335 ] && [ "$ship_y" -gt 262 ] || tv_fail "the ship did not move right and down"

tv_note "Escape ends the game; a name for the table"
# The game-over picture clears the screen, then shows the prompt in white.
tv_hold Escape tv_wait_seam '^clear ' 2
tv_until 30 "the name prompt" eval 'tv_scan 0 331 640 14 "\$r + \$g + \$b == 765"; [ "$TV_COUNT" -gt 0 ]'
tv_type Zed
tv_key Return
tv_menu
tv_sum 0 400 130 30
tv_assert_eq "$top_rows" "$TV_SUM" "the table's first two rows"
tv_sum 0 430 130 15
[ "$TV_SUM" != "$third_row" ] || tv_fail "the new row does not show in the table"

tv_note "Exit"
tv_choose exit
tv_wait_exit
tv_assert_eq 0 "$TV_STATUS" "exit status"
tv_assert_bytes "$TV_RUN/Log.txt" 'Installing Allegro and setting graphics mode... Done!\nCreating level... Done!\nRunning menus... Done!\nFreeing memory... Done!\nShutting down.'
perl -0777 -pe '$_ = ~$_' <"$TV_RUN/highscores.tav" >"$TV_TMP/table.txt"
grep -Pzq '\AAda 900000\r\nBo 800000\r\nZed (0|[1-9][0-9]*)\r\nCy -1\r\nDi -2\r\n\z' "$TV_TMP/table.txt" ||
    tv_fail "the table written at Exit: $(cat -A "$TV_TMP/table.txt")"
tv_assert_eq "Log.txt explosion.dat highscores.tav misc.dat music.dat settings.ini sfx.dat sprites.dat" \
    "$(cd "$TV_RUN" && echo *)" "files in the working directory"
# Unsigned 16-bit silence is the bytes 0x00 0x80: anything else was heard.
[ -n "$(tr -d '\000\200' <"$TV_TMP/sound.raw" | head -c 1)" ] || tv_fail "no sound reached the output"
