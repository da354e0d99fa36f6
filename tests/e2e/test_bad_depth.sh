# A colour depth from the settings is tried once and never replaced by the
# candidates: one that no mode offers ends the game with Allegro's reason.
source "$(dirname "$0")/harness.sh"

tv_start_x

# Allegro's reason for a depth it does not know; the text ends with the line
# end that Allegro adds to every message.
GRAPHICS_MESSAGE='Unable to set graphics mode\nUnsupported color depth\n'

for windowed in 1 0; do
    for depth in 13 64; do
        tv_note "Windowed $windowed, Color $depth"
        tv_new_rundir
        tv_write_settings "Windowed $windowed" "Color $depth" "Sound 0"
        tv_start_game
        tv_wait_exit 60
        tv_assert_status 1
        tv_assert_stdout_bytes "$GRAPHICS_MESSAGE"
        tv_assert_stderr_bytes ""
        # The stop comes before the first "Done!": the log stays empty.
        tv_assert_file_bytes "$TV_RUN/Log.txt" ""
    done
done

# The same settings with a depth the display does give get past the mode
# and stop only at the first datafile: the depth alone made the difference.
for depth in 24 8; do
    tv_note "Windowed 1, Color $depth"
    tv_new_rundir
    tv_write_settings "Windowed 1" "Color $depth" "Sound 0"
    tv_start_game
    tv_wait_exit 60
    tv_assert_status 1
    tv_assert_stdout_bytes "Unable to load file 'sprites.dat'.\\nMake sure it is in your game directory.\\n"
    tv_assert_file_bytes "$TV_RUN/Log.txt" 'Installing Allegro and setting graphics mode... Done!\n'
done

# With xmessage the same text shows in its window and the game waits for it.
tv_note "Windowed 1, Color 13, with xmessage"
tv_new_rundir
tv_write_settings "Windowed 1" "Color 13"
tv_start_game --xmessage
tv_wait_message 60
tv_assert_eq $'Unable to set graphics mode\nUnsupported color depth\n' "$TV_MESSAGE" "message text"
tv_running || tv_fail "the game ended before the message was dismissed"
tv_dismiss_message
tv_wait_exit 60
tv_assert_status 1
tv_assert_file_bytes "$TV_RUN/Log.txt" ""
