# A missing or unreadable datafile stops the game at once: status 1, the
# exact message, and a log that holds only its first line.
source "$(dirname "$0")/harness.sh"

LOG_FIRST_LINE='Installing Allegro and setting graphics mode... Done!\n'
# Allegro ends the text it shows with a line end, on the terminal and in xmessage.
MESSAGE="Unable to load file '%s'.\\nMake sure it is in your game directory.\\n"

# Checks one finished run that stopped on datafile $1; the files the test put
# into the working directory follow. Nothing but the log is written: no
# high-score file, no configuration.
expect_stop_on()
{
    tv_assert_status 1
    tv_assert_stdout_bytes "$MESSAGE" "$1"
    tv_assert_stderr_bytes ""
    tv_assert_file_bytes "$TV_RUN/Log.txt" "$LOG_FIRST_LINE"
    tv_assert_eq "$(printf '%s\n' Log.txt settings.ini "${@:2}" | sort | tr '\n' ' ')" \
        "$(ls -A "$TV_RUN" | sort | tr '\n' ' ')" "files in the working directory"
}

tv_start_x

tv_note "no datafile at all: only sprites.dat is reported"
tv_new_rundir
tv_start_game
tv_wait_exit 60
expect_stop_on sprites.dat

tv_note "no settings.ini (full screen, sound on): the same stop"
tv_new_rundir
rm "$TV_RUN/settings.ini"
tv_start_game
tv_wait_exit 60
tv_assert_status 1
tv_assert_stdout_bytes "$MESSAGE" sprites.dat
tv_assert_file_bytes "$TV_RUN/Log.txt" "$LOG_FIRST_LINE"

tv_note "a sprites.dat that is no datafile: the same message"
tv_new_rundir
tv_write_file sprites.dat "not a datafile"
tv_start_game
tv_wait_exit 60
expect_stop_on sprites.dat sprites.dat

tv_note "with xmessage: the mode is left first, the game waits for OK"
tv_new_rundir
tv_start_game --xmessage
tv_wait_message 60
expected=$(printf "$MESSAGE" sprites.dat; printf x)
tv_assert_eq "${expected%x}" "$TV_MESSAGE" "message text"
tv_running || tv_fail "the game ended before the message was dismissed"
if xdotool search --onlyvisible --name "^Tarnavel v 1\.1\$" >/dev/null; then
    tv_fail "the game's window still shows behind its fatal message"
fi
tv_assert_file_bytes "$TV_RUN/Log.txt" "$LOG_FIRST_LINE"
tv_dismiss_message
tv_wait_exit 60
tv_assert_status 1
tv_assert_stdout_bytes ""
tv_assert_file_bytes "$TV_RUN/Log.txt" "$LOG_FIRST_LINE"

# The datafiles load in a fixed order; the first missing one is named.
all=("${TV_DATAFILES[@]}")
for k in 1 2 3; do
    tv_note "only ${all[*]:0:k}: ${all[k]} is reported"
    tv_new_rundir
    tv_add_datafiles "${all[@]:0:k}"
    tv_start_game
    tv_wait_exit 60
    expect_stop_on "${all[k]}" "${all[@]:0:k}"
done
