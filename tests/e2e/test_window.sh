# The window on a 1920 x 1200 desktop: the shipped settings.ini (Scale 0)
# doubles it and everything in it, the pointer included; the close button
# leaves as Exit does, from a menu screen and from play (there without a name
# entry, a score for the table kept under "Anonymous").
source "$(dirname "$0")/harness.sh"

LOG='Installing Allegro and setting graphics mode... Done!\nCreating level... Done!\nRunning menus... Done!\nFreeing memory... Done!\nShutting down.'
TABLE='Ada 900000\r\nBo 800000\r\nCy -1\r\nDi -2\r\nEd -3\r\n'
# The menu below its scrolling welcome line: at Scale 2 every second pixel of
# every second row.
menu_below_welcome()
{
    local s=$1
    tv_region 0 $((20 * s)) $((640 * s)) $((460 * s)) | perl -e 'my $s = shift; local $/ = \(4 * 640 * $s);
        my $n = 0; while (my $row = <STDIN>) { print join "", (unpack "(a4)*", $row)[map { $_ * $s } 0 .. 639] if $n++ % $s == 0 }' "$s" | md5sum
}
close_and_check()
{
    "$TARNAVEL_CLOSE_WINDOW" "$TV_WIN" || tv_fail "close_window"
    tv_wait_exit
    tv_assert_eq 0 "$TV_STATUS" "exit status after the close button"
    tv_assert_bytes "$TV_RUN/Log.txt" "$RUN_LOG$LOG"
}

TV_SCREEN=1920x1200x24
tv_start_x
for scale in 1 2; do
    TV_SCALE=$scale
    if [ $scale = 1 ]; then
        tv_note "Scale 1"
        tv_new_run "Windowed 1" "Sound 0" "Music 0" "Scale 1"
        RUN_LOG=""
    else
        tv_note "the shipped settings: the largest factor that fits, 2"
        tv_new_run
        cp "$(dirname "$0")/../../data/settings.ini" "$TV_RUN/" || tv_fail "no shipped settings.ini"
        # It asks for music, which the silent driver cannot play.
        RUN_LOG='No sound card: the game plays no music.\n'
    fi
    tv_start_game
    tv_wait_window
    tv_skip_intro
    tv_assert_eq "$((640 * scale))x$((480 * scale))" "$(xwininfo -id "$TV_WIN" | awk '/Width:/ { w = $2 } /Height:/ { print w "x" $2 }')" "window size"
    # The pointer at the same point of the picture at both scales.
    tv_sum $((296 * scale)) $((196 * scale)) $((20 * scale)) $((20 * scale)) before
    tv_mouse_to $((300 * scale)) $((200 * scale))
    tv_wait_sum $((296 * scale)) $((196 * scale)) $((20 * scale)) $((20 * scale)) ! "$before"
    if [ $scale = 1 ]; then
        menu=$(menu_below_welcome 1)
    else
        tv_until 30 "the menu doubled" eval '[ "$(menu_below_welcome 2)" = "$menu" ]'
        # Credits at its doubled place: drawn pressed while held, then the
        # credits take Play Game's place.
        tv_sum 984 564 80 72 play
        tv_sum 984 764 80 72 credits
        tv_mouse_to 1130 800
        tv_press 1 tv_wait_sum 984 764 80 72 ! "$credits"
        tv_wait_sum 984 564 80 72 ! "$play"
    fi
    close_and_check
    perl -0777 -pe '$_ = ~$_' <"$TV_RUN/highscores.tav" | grep -c '^None 0' | grep -qx 5 || tv_fail "no table saved"
done

tv_note "the close button during play: no name entry, the score kept"
TV_SCALE=1 RUN_LOG=""
tv_new_run
printf "$TABLE" | perl -0777 -pe '$_ = ~$_' >"$TV_RUN/highscores.tav"
tv_start_game
tv_wait_window
tv_skip_intro
tv_choose play
tv_wait_seam '^steer'
close_and_check
# No game-over picture: the screen was cleared once, for the intro.
tv_count '^clear '
tv_assert_eq 1 "$TV_COUNT" "screens cleared"
# 0 points, or a few for a pick-up at the ship's start, rank third.
perl -0777 -pe '$_ = ~$_' <"$TV_RUN/highscores.tav" |
    grep -Pzq '\AAda 900000\r\nBo 800000\r\nAnonymous (0|[1-9][0-9]*)\r\nCy -1\r\nDi -2\r\n\z' ||
    tv_fail "the table after a close in play: $(perl -0777 -pe '$_ = ~$_' <"$TV_RUN/highscores.tav" | cat -A)"
