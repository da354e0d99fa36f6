# The start-up failures, each in a fresh run: the message on the terminal
# (no xmessage on the PATH), status 1, nothing on stderr, and a log holding
# exactly the lines done before the failure. Last, a depth that works.
source "$(dirname "$0")/harness.sh"

# expect_stop LOG FMT [ARG...]: the game ended with status 1, printing FMT ARG...
expect_stop()
{
    tv_wait_exit
    tv_assert_eq 1 "$TV_STATUS" "exit status"
    tv_assert_bytes "$TV_OUT" "${@:2}"
    tv_assert_bytes "$TV_ERR" ""
    tv_assert_bytes "$TV_RUN/Log.txt" "$1"
}

# No display, or one that never answers (asked again for a second): the
# message says which, before the first line is done.
for DISPLAY in "" :987654; do
    tv_note "no display ($DISPLAY)"
    tv_new_run
    tv_start_game
    if [ -z "$DISPLAY" ]; then
        expect_stop "" "Unable to open a display: DISPLAY is not set."
    else
        expect_stop "" "Unable to open the display '%s'." "$DISPLAY"
    fi
done

tv_start_x
LOG_FIRST='Installing Allegro and setting graphics mode... Done!\n'
DATA_MESSAGE="Unable to load file '%s'.\\nMake sure it is in your game directory.\\n"
# The datafiles load in a fixed order; the first missing one is named, and
# nothing but the log is written.
for missing in sprites misc; do
    tv_note "no $missing.dat, nor any after it"
    tv_new_run
    [ $missing = sprites ] && rm "$TV_RUN"/*.dat || rm "$TV_RUN"/{misc,sfx}.dat
    tv_start_game
    expect_stop "$LOG_FIRST" "$DATA_MESSAGE" $missing.dat
    tv_assert_eq "Log.txt settings.ini" "$(ls "$TV_RUN" | grep -v '\.dat$' | xargs)" "files beside the datafiles"
done

# A depth the art is not drawn for is refused by the reader, named in the
# log, and the depth is chosen as without the line; 8 bits the same.
for depth in 13 8; do
    tv_note "Windowed 1, Color $depth"
    tv_new_run "Windowed 1" "Color $depth" "Sound 0"
    tv_run_to_exit
    tv_assert_eq "settings.ini line 2: Color $depth ignored: the value must be 0, 15, 16, 24 or 32." \
        "$(head -n 1 "$TV_RUN/Log.txt")" "the log's first line"
done
