# Real sound, heard through a file: a HOME whose .asoundrc routes ALSA's
# default device into a raw file makes the game's sound set-up pick ALSA and
# write its mixed output there. With "Sound 1" the click of a menu button
# must reach the file; with "Sound 0" the file must stay silent.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/play.sh"

# TV_PEAK: the largest distance of any 16-bit sample of FILE from its first
# sample (the stream starts in silence, whatever the sign convention).
pcm_peak()
{
    TV_PEAK=$(od -An -v -tu2 -w2 "$1" | awk 'NR == 1 { z = $1 } { d = $1 - z; if (d < 0) d = -d; if (d > m) m = d }
        END { print m + 0 }')
}

# A fresh run whose sound goes to TV_PCM, with the given Sound setting.
start_with_sound()
{
    tv_new_rundir
    tv_write_settings "Windowed 1" "Sound $1"
    tv_add_datafiles
    TV_PCM=$TV_TMP/pcm$TV_RUNS.raw
    printf '%s\n' "pcm.!default { type file slave.pcm \"null\" file \"$TV_PCM\" format \"raw\" }" \
        'ctl.!default { type hw card 0 }' >"$TV_HOME/.asoundrc"
    # An empty configuration: the sound card is detected, not chosen.
    tv_allegro_cfg ""
    pl_log_on
    tv_start_game
    tv_wait_window 60
    pl_skip_intro 60
    pl_wait_menu 60
    tv_wait_file "$TV_PCM" 30
}

# Leaves the instructions with a key and the menu through Exit.
leave_game()
{
    tv_focus
    tv_key_tap space
    pl_exit_from_menu
}

TV_PEAK=0
TV_PCM=""
tv_start_x

tv_note "Sound 1: silence in the menu, the click when a button is chosen"
start_with_sound 1
sleep 0.5
cp "$TV_PCM" "$TV_TMP/menu.raw"
[ -s "$TV_TMP/menu.raw" ] || tv_fail "the sound driver wrote nothing: ALSA was not picked"
pcm_peak "$TV_TMP/menu.raw"
tv_assert_eq 0 "$TV_PEAK" "peak of the output before any click"
pl_choose instructions
until=$(tv_deadline 30)
while pcm_peak "$TV_PCM"; [ "$TV_PEAK" -lt 2000 ]; do
    tv_before "$until" || tv_fail "no click in the sound output after 30 s (peak $TV_PEAK)"
    sleep 0.2
done
tv_note "click heard: peak $TV_PEAK of 32767"
leave_game

tv_note "Sound 0: the same choices, and the output stays silent"
start_with_sound 0
pl_choose instructions
sleep 1
leave_game
[ -s "$TV_PCM" ] || tv_fail "the sound driver wrote nothing: ALSA was not picked"
pcm_peak "$TV_PCM"
tv_assert_eq 0 "$TV_PEAK" "peak of the output with Sound 0"
tv_note "sound test passed ($(stat -c %s "$TV_PCM") silent bytes)"
