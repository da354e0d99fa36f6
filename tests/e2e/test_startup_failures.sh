# The start-up failures, each in a fresh run: the message on the terminal
# (no xmessage on the PATH), status 1, nothing on stderr, and a log holding
# exactly the message and the lines done before the failure. Last, a depth
# that works.
source "$(dirname "$0")/harness.sh"

# expect_stop LOG FMT [ARG...]: the game ended with status 1, printing FMT
# ARG...; the log holds LOG, then the message as one line.
expect_stop()
{
    [ -n "$TV_STATUS" ] || tv_wait_exit
    tv_assert_eq 1 "$TV_STATUS" "exit status"
    tv_assert_bytes "$TV_OUT" "${@:2}"
    tv_assert_bytes "$TV_RUN/Log.txt" "$1%s\n" "$(tr '\n' ' ' <"$TV_OUT" | sed 's/ $//')"
    tv_assert_bytes "$TV_ERR" ""
}

# No display, or one that never answers (asked again for a second): the
# message says which, before any step is done.
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

# A datafile cut short anywhere, or with a byte changed, is named with the
# object where it stops being whole; Allegro's loader never sees it.
REINSTALL="\\nReinstall the game's data files.\\n"
for damage in "sprites 20" "sprites -200" "sprites 100000" "misc 5000"; do
    read -r file at <<<"$damage"
    tv_note "$file.dat, damage at $at"
    tv_new_run
    case $at in
    -*) truncate -s "$at" "$TV_RUN/$file.dat" ;;
    5000) printf '\377' | dd of="$TV_RUN/$file.dat" bs=1 seek="$at" conv=notrunc status=none ;;
    *) truncate -s "$at" "$TV_RUN/$file.dat" ;;
    esac
    tv_start_game
    case $at in
    20) expect_stop "$LOG_FIRST" "File 'sprites.dat' is incomplete: object 0 is missing.$REINSTALL" ;;
    -200) expect_stop "$LOG_FIRST" "File 'sprites.dat' is incomplete: object 32 is missing.$REINSTALL" ;;
    100000) # some object in the middle
        tv_wait_exit
        object=$(grep -Eo 'object [0-9]+ is' "$TV_OUT" | cut -d ' ' -f 2)
        [ "${object:-0}" -gt 0 ] && [ "$object" -lt 32 ] || tv_fail "object '$object'"
        expect_stop "$LOG_FIRST" "File 'sprites.dat' is incomplete: object $object is missing.$REINSTALL" ;;
    5000) expect_stop "$LOG_FIRST" "File 'misc.dat' is damaged: it does not match its checksum.$REINSTALL" ;;
    esac
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
