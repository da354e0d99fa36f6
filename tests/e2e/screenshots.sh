# The README's pictures, taken from the real game under Xvfb: the intro, the
# menu, the instructions, a busy wave and the wave-completed screen. The
# scripted player (tarnavel_pilot) flies the first waves. Usage:
#   screenshots.sh OUT_DIR      (make screenshots: OUT_DIR = docs)
# The pictures are stored as 8-bit PNG, 64 colours, to stay small.
export TARNAVEL_BUILD_DIR=${TARNAVEL_BUILD_DIR:-build}
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/play.sh"

OUT=${1:?usage: screenshots.sh OUT_DIR}
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
PILOT=$TARNAVEL_BUILD_DIR/tests/tarnavel_pilot
[ -x "$PILOT" ] || tv_fail "no pilot at $PILOT (build the target tarnavel_pilot)"

# Keeps a shot of the game's picture as OUT/NAME.png.
keep()
{
    tv_game_shot "$TV_TMP/$1-full.png"
    convert "$TV_TMP/$1-full.png" -strip -dither None -colors 64 "PNG8:$OUT/$1.png" ||
        tv_fail "cannot write $OUT/$1.png"
    tv_note "kept $OUT/$1.png ($(stat -c %s "$OUT/$1.png") bytes)"
}

# How much is on the picture: the mean brightness of a shot.
busyness() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }

tv_start_x
tv_new_rundir
# 32 bits: the X server shows the game's own colours, which the pilot needs.
tv_write_settings "Windowed 1" "Sound 0" "Color 32"
tv_add_datafiles
pl_log_on
tv_start_game
tv_wait_window 60

tv_note "intro: the logo at full strength"
pl_wait_line '^present ' 1 60
sleep 3.5
keep intro
pl_skip_intro 60
pl_wait_menu 60

tv_note "menu, with the welcome line on its way"
sleep 4
tv_mouse_to 400 200
keep menu

tv_note "instructions"
pl_choose instructions
sleep 1
keep instructions
tv_focus
tv_key_tap space
pl_wait_menu 60

tv_note "the first waves, flown by the pilot"
pl_start_play 60
for wave in 1 2 3 4; do
    "$PILOT" "$TV_DATA_DIR" "$TV_ORIGIN_X" "$TV_ORIGIN_Y" 180 || tv_fail "the pilot did not finish wave $wave"
    if [ "$wave" = 2 ]; then
        sleep 0.6
        keep wave-completed
    fi
    # The count-up, then the next wave.
    pl_count '^mickeys '
    before=$TV_COUNT
    until=$(tv_deadline 60)
    while pl_count '^mickeys '; [ "$TV_COUNT" -eq "$before" ]; do
        xdotool mousemove_relative -- 1 1
        tv_before "$until" || tv_fail "the next wave did not start"
        sleep 0.2
    done
done

tv_note "wave 5: a skirmish while the enemies come in, the busiest of the shots kept"
best=-1
tv_mouse_to 320 240
for shot in $(seq 1 40); do
    dx=$((RANDOM % 61 - 30))
    dy=$((RANDOM % 61 - 30))
    # Few shots early, so that the enemies gather before they are fought.
    fire=()
    [ "$shot" -gt 20 ] && fire=(click 1)
    xdotool mousemove_relative -- $dx $dy sleep 0.2 "${fire[@]}" sleep 0.3 mousemove_relative -- $((-dx)) $((-dy)) \
        sleep 0.2 "${fire[@]}"
    tv_game_shot "$TV_TMP/busy-$shot.png"
    b=$(busyness "$TV_TMP/busy-$shot.png")
    if awk -v a="$b" -v m="$best" 'BEGIN { exit !(a > m) }'; then
        best=$b
        cp "$TV_TMP/busy-$shot.png" "$TV_TMP/busy-full.png"
    fi
done
convert "$TV_TMP/busy-full.png" -strip -dither None -colors 64 "PNG8:$OUT/busy-wave.png"
tv_note "kept $OUT/busy-wave.png"
pl_quit_game
