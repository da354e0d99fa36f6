# The music as a player hears it, through Allegro's ALSA driver writing the
# mixed output into a file: with Sound 0 the menu still plays its theme; with
# Music 0, or MusicVolume 0, the menu is silent, and with SoundVolume 0 so is
# a menu click.
source "$(dirname "$0")/harness.sh"

LOG='Installing Allegro and setting graphics mode... Done!\nCreating level... Done!\nRunning menus... Done!\nFreeing memory... Done!\nShutting down.'
SECOND=$((44100 * 4)) # unsigned 16-bit stereo at 44.1 kHz

# The root mean square of the output from byte FROM on, as a fraction of full scale.
loudness()
{
    tail -c +$(($1 + 1)) "$TV_TMP/sound.raw" | perl -e 'local $/; my @v = unpack "v*", <STDIN>; my $s = 0;
        $s += ($_ - 32768) ** 2 for @v; printf "%.4f\n", @v ? sqrt($s / @v) / 32768 : 0'
}

# hear WANT LINE...: the game to its menu with these settings, two seconds of
# the menu, Instructions chosen (a click) and closed, Exit; WANT "sound" or "silence".
hear()
{
    local want=$1 menu level
    shift
    tv_new_run "$@"
    printf 'pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\nctl.!default { type hw card 0 }\n' \
        "$TV_TMP/sound.raw" >"$TV_HOME/.asoundrc"
    : >"$TV_HOME/allegro.cfg"
    : >"$TV_TMP/sound.raw"
    tv_start_game
    tv_wait_window
    tv_skip_intro
    menu=$(stat -c %s "$TV_TMP/sound.raw")
    tv_until 30 "two seconds of sound from the menu" eval '[ $(stat -c %s "$TV_TMP/sound.raw") -gt $((menu + 2 * SECOND)) ]'
    tv_sum 0 380 130 100 table
    tv_choose instructions
    tv_wait_sum 0 380 130 100 ! "$table"
    tv_key space
    tv_wait_sum 0 380 130 100 "$table"
    tv_choose exit
    tv_wait_exit
    tv_assert_eq 0 "$TV_STATUS" "exit status"
    tv_assert_bytes "$TV_RUN/Log.txt" "$LOG"
    level=$(loudness "$menu")
    tv_note "$* : $level of full scale"
    if [ "$want" = sound ]; then
        awk -v l="$level" 'BEGIN { exit !(l > 0.01) }' || tv_fail "no music in the menu with $*"
    else
        tv_assert_eq 0.0000 "$level" "the output's level with $*"
    fi
}

tv_start_x
hear sound "Windowed 1" "Sound 0"
hear silence "Windowed 1" "Sound 0" "Music 0"
hear silence "Windowed 1" "Sound 0" "MusicVolume 0"
hear silence "Windowed 1" "Sound 1" "SoundVolume 0" "Music 0"
