# The pause as a player meets it: P holds the picture still (two looks
# seconds apart agree, and a part covered and uncovered is painted again)
# and the music silent, and frees the pointer; P again
# moves play on and holds the pointer in the window again. Another window
# given the focus (an xmessage) pauses the game, and a click in the game's
# window goes on. Pause does as P; Escape while paused ends the game.
source "$(dirname "$0")/harness.sh"
TV_SCREEN=1024x768x24

# The root mean square of the sound output from byte $1 on, a fraction of full scale.
loudness()
{
    tail -c +$(($1 + 1)) "$TV_TMP/sound.raw" | perl -e 'local $/; my @v = unpack "v*", <STDIN>; my $s = 0;
        $s += ($_ - 32768) ** 2 for @v; printf "%.4f\n", @v ? sqrt($s / @v) / 32768 : 0'
}
pointer_at() { eval "$(xdotool getmouselocation --shell)"; [ "$X,$Y" = "$1" ]; }
in_window() { eval "$(xdotool getmouselocation --shell)"; [ "$X" -lt $((TV_X + 640)) ] && [ "$Y" -lt $((TV_Y + 480)) ]; }
# pause KEY: pressed in play, then the paused picture; PAUSED holds it.
pause()
{
    tv_key "$1"
    tv_until 30 "the paused picture" tv_paused
    tv_sum 0 0 640 480 PAUSED
}

SECOND=$((44100 * 4)) # unsigned 16-bit stereo at 44.1 kHz

tv_start_x
tv_new_run "Windowed 1" "Sound 1"
# The sound goes into a file (the music plays in play).
printf 'pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\nctl.!default { type hw card 0 }\n' \
    "$TV_TMP/sound.raw" >"$TV_HOME/.asoundrc"
: >"$TV_HOME/allegro.cfg"
tv_start_game
tv_wait_window
tv_skip_intro
tv_choose play
tv_wait_seam '^steer'
xdotool mousemove 900 700
tv_until 30 "the pointer held in the window" in_window

tv_note "P, then P"
pause p
sound=$(stat -c %s "$TV_TMP/sound.raw")
sleep 2
tv_sum 0 0 640 480
tv_assert_eq "$PAUSED" "$TV_SUM" "the paused picture 2 s later"
# What the mixer had sent on before the pause may still come first.
tv_assert_eq 0.0000 "$(loudness $((sound + SECOND)))" "the sound while paused"
# Drawing nothing while paused, the game has the picture painted again when
# another window no longer covers part of it.
xlogo -geometry 400x200+$((TV_X + 200))+$((TV_Y + 150)) 2>/dev/null &
cover=$!
tv_wait_sum 0 0 640 480 ! "$PAUSED"
kill $cover && wait $cover
tv_wait_sum 0 0 640 480 "$PAUSED"
xdotool mousemove 900 700
tv_until 30 "the pointer let go" pointer_at 900,700
tv_key p
tv_wait_sum 0 0 640 480 ! "$PAUSED"
tv_until 30 "the pointer held in the window again" in_window

tv_note "another window takes the focus, then a click"
xmessage -geometry +700+600 "Somewhere else" &
message=$!
tv_until 30 "the xmessage" eval 'other=$(xdotool search --class xmessage | tail -n 1); [ -n "$other" ]'
xdotool windowfocus --sync "$other"
tv_until 30 "the paused picture" tv_paused
tv_sum 0 0 640 480 PAUSED
xdotool mousemove $((TV_X + 300)) $((TV_Y + 400)) click 1
tv_wait_sum 0 0 640 480 ! "$PAUSED"
kill "$message"
xdotool windowfocus --sync "$TV_WIN"

tv_note "Pause, Pause, then Pause and Escape"
pause Pause
tv_key Pause
tv_wait_sum 0 0 640 480 ! "$PAUSED"
pause Pause
tv_leave_play
tv_assert_eq 0 "$TV_STATUS" "exit status"
