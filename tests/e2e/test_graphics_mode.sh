# The mode the settings ask for, seen while the game is held at its first
# datafile: sprites.dat is a named pipe, so loading waits until the test
# writes into it.
source "$(dirname "$0")/harness.sh"

LOG_FIRST_LINE='Installing Allegro and setting graphics mode... Done!\n'

# Starts the game with the given settings lines (none: no settings.ini) and
# waits until its mode shows while it waits for sprites.dat.
start_held()
{
    tv_new_rundir
    if [ $# -eq 0 ]; then
        rm "$TV_RUN/settings.ini"
    else
        tv_write_settings "$@"
    fi
    mkfifo "$TV_RUN/sprites.dat"
    tv_start_game
    tv_wait_window 60
}

# Lets the load go on with bytes that are no datafile: the game must stop.
release_and_expect_stop()
{
    timeout 30 sh -c 'printf "no datafile" >"$1"' sh "$TV_RUN/sprites.dat" ||
        tv_fail "the game never opened sprites.dat"
    tv_wait_exit 60
    tv_assert_status 1
    tv_assert_stdout_bytes "Unable to load file 'sprites.dat'.\\nMake sure it is in your game directory.\\n"
}

tv_start_x

tv_note "Windowed 1: a 640 x 480 window, black, the log's first line already on disk"
start_held "Windowed 1" "Sound 0"
tv_assert_eq 0 "$TV_FULLSCREEN" "full screen"
geo=$(xdotool getwindowgeometry --shell "$TV_WIN")
tv_assert_eq "640 480" "$(sed -n 's/^WIDTH=//p' <<<"$geo") $(sed -n 's/^HEIGHT=//p' <<<"$geo")" "window size"
tv_assert_file_bytes "$TV_RUN/Log.txt" "$LOG_FIRST_LINE"
tv_game_shot "$TV_TMP/held.png"
for corner in "0 0" "639 0" "0 479" "639 479" "320 240"; do
    tv_pixel "$TV_TMP/held.png" $corner
    tv_assert_eq "0,0,0" "$TV_PIXEL" "pixel $corner of the fresh screen"
done
release_and_expect_stop
tv_assert_file_bytes "$TV_RUN/Log.txt" "$LOG_FIRST_LINE"

tv_note "Windowed 0: full screen"
start_held "Windowed 0" "Sound 0"
tv_assert_eq 1 "$TV_FULLSCREEN" "full screen"
release_and_expect_stop

tv_note "no settings.ini: full screen"
start_held
tv_assert_eq 1 "$TV_FULLSCREEN" "full screen"
release_and_expect_stop

tv_note "only 'Windowed 1': window mode, the other reads fail at the end of the file"
start_held "Windowed 1"
tv_assert_eq 0 "$TV_FULLSCREEN" "full screen"
release_and_expect_stop

tv_note "'Sound 2' first: the stream fails and 'Windowed 1' after it is never read"
start_held "Sound 2" "Windowed 1"
tv_assert_eq 1 "$TV_FULLSCREEN" "full screen"
release_and_expect_stop

tv_note "an unknown key and its number use up two of the five reads"
start_held "Volume 3" "Sound 0" "Music 0" "Color 0" "Windowed 1"
tv_assert_eq 1 "$TV_FULLSCREEN" "full screen"
release_and_expect_stop
start_held "Volume 3" "Sound 0" "Music 0" "Windowed 1"
tv_assert_eq 0 "$TV_FULLSCREEN" "full screen"
release_and_expect_stop
