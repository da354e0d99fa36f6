# A whole session by gamepad alone, a stand-in (tests/support/pad_standin.cpp)
# fed through a FIFO: A skips the intro, the d-pad and A choose Play, the
# stick moves the ship and A fires; Start pauses and goes on; the pad pulled
# out pauses the game, and put back, its Start goes on; Back ends the game, a
# name is picked with the letter picker and entered with Start, and Up and A
# choose Exit. The row is in the table; the log says the pad went and came.
source "$(dirname "$0")/harness.sh"

PAD_FIFO=$TV_TMP/pad PAD=""
plug() { mkfifo "$PAD_FIFO" && exec {PAD}<>"$PAD_FIFO" || tv_fail "the pad's FIFO"; }
unplug() { exec {PAD}>&- && rm "$PAD_FIFO" || tv_fail "unplugging the pad"; }
# True when the game's last read of the pad has each TYPE NUMBER VALUE given
# (type 1 a button, 2 an axis; an axis by its sign).
read_as()
{
    awk -v want="$*" '$1 == "pad" { last = $0 } END { n = split(last, f, " "); k = split(want, w, " ")
        for (i = 1; i < k; i += 3) { v = w[i] == 1 ? int(f[3] / 2 ^ w[i + 1]) % 2 : f[4 + w[i + 1]]
            if ((v > 0) - (v < 0) != (w[i + 2] > 0) - (w[i + 2] < 0)) exit 1 }
        exit n < 11 }' "$TV_SEAM"
}
# pad TYPE NUMBER VALUE...: js_event records, held until the game has read them.
pad()
{
    local _p=("$@")
    perl -e 'print pack("LsCC", 0, $ARGV[$_ + 2], $ARGV[$_], $ARGV[$_ + 1]) for grep { $_ % 3 == 0 } 0 .. $#ARGV' \
        "$@" >&"$PAD" || tv_fail "pad $*"
    tv_until 30 "the pad read as $*" eval 'read_as "${_p[@]}"'
}
tap() { pad "$@"; pad "$1" "$2" 0; }
# hold TYPE NUMBER VALUE CMD...: held while CMD (a wait) runs, then let go.
hold() { pad "$1" "$2" "$3"; "${@:4}"; pad "$1" "$2" 0; }
A="1 0" B="1 1" BACK="1 6" START="1 7" DPAD_Y="2 7"

tv_start_x
tv_new_run
printf 'Ada 900000\r\nBo 800000\r\nCy -1\r\nDi -2\r\nEd -3\r\n' | perl -0777 -pe '$_ = ~$_' >"$TV_RUN/highscores.tav"
plug
TV_GAME_ENV=(LD_PRELOAD="$TARNAVEL_PAD_STANDIN" TARNAVEL_PAD_FIFO="$PAD_FIFO")
tv_start_game
tv_wait_window

tv_note "A skips the intro; down on the d-pad twice, then A, chooses Play"
tv_until 30 "the intro" tv_count '^clear '
hold $A 1 tv_menu
tv_sum 492 282 40 36 play
tap $DPAD_Y 32767
tap $DPAD_Y 32767
tv_wait_sum 492 282 40 36 ! "$play"
hold $A 1 tv_wait_seam '^steer '

tv_note "the stick moves the ship right and down; A fires ahead of it"
ship='$r == 230 && $g == 60 && $b == 50'
shot='$r > 250 && $g > 215 && $b < 130'
tv_until 30 "the ship at rest in the middle" eval 'tv_scan 320 240 32 32 "$ship"; [ "$TV_COUNT $TV_AT" = "6 335 262" ]'
pad 2 0 10000 2 1 10000 # a little past the dead zone, until the ship has moved
tv_until 30 "the ship steered" eval 'tv_scan 320 240 200 150 "$ship"; read -r x y <<<"${TV_AT:-0 0}"
    [ "$x" -gt 340 ] && [ "$y" -gt 266 ]'
pad 2 0 0 2 1 0
hold $A 1 tv_until 30 "a shot ahead of the ship" eval 'tv_freeze; tv_scan 320 240 300 220 "$ship"
    read -r ship_x ship_y <<<"${TV_AT:-999 999}"; tv_scan 320 240 300 220 "$shot"; tv_thaw
    read -r shot_x shot_y <<<"${TV_AT:-0 0}"; [ "$shot_x" -gt $((ship_x + 8)) ] && [ "$shot_y" -gt $((ship_y + 4)) ]'

tv_note "Start pauses and goes on; the pad pulled out pauses the game, and put back, Start goes on"
hold $START 1 tv_until 30 "the paused picture" tv_paused
tv_sum 0 0 640 480 paused
hold $START 1 tv_wait_sum 0 0 640 480 ! "$paused"
unplug
tv_until 30 "the paused picture" tv_paused
tv_sum 0 0 640 480 paused
plug
hold $START 1 tv_wait_sum 0 0 640 480 ! "$paused"

tv_note "Back ends the game; the picker takes B, 9, B, takes the B back; Start enters B9"
hold $BACK 1 tv_wait_seam '^clear ' 2
tv_until 30 "the name prompt" eval 'tv_scan 0 331 640 14 "\$r + \$g + \$b == 765"; [ "$TV_COUNT" -gt 0 ]'
for step in "$DPAD_Y -32767" "$A 1" "$DPAD_Y 32767" "$A 1" "$DPAD_Y -32767" "$A 1" "$B 1" "$START 1"; do tap $step; done
tv_menu

tv_note "Up and A choose Exit"
tap $DPAD_Y -32767
pad $A 1
tv_wait_exit
tv_assert_eq 0 "$TV_STATUS" "exit status"
perl -0777 -pe '$_ = ~$_' <"$TV_RUN/highscores.tav" >"$TV_TMP/table.txt"
grep -Pzq '\AAda 900000\r\nBo 800000\r\nB9 (0|[1-9][0-9]*)\r\nCy -1\r\nDi -2\r\n\z' "$TV_TMP/table.txt" ||
    tv_fail "the table written at Exit: $(cat -A "$TV_TMP/table.txt")"
tv_assert_bytes "$TV_RUN/Log.txt" 'Installing Allegro and setting graphics mode... Done!\nCreating level... Done!\nThe gamepad was disconnected.\nA gamepad was connected.\nRunning menus... Done!\nFreeing memory... Done!\nShutting down.'
