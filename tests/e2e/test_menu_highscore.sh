# A game whose score ranks: the table read from "highscores.tav" ends in a
# negative score, so even 0 qualifies. Escape, a typed name, Enter; the menu
# shows the new last row, and Exit writes the table with it, ends with
# status 0 and leaves the five log lines.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/../support/menu_e2e.sh"

PLAY_AT="565 305"
EXIT_AT="565 455"

# The grey ink of table row I (0..4), as a black and white picture.
row_ink()
{
    convert "$ME_SHOTS/$1.png" -crop "126x15+0+$((400 + 15 * $2))" +repage \
        -fill black +opaque '#C8C8C8' -fill white -opaque '#C8C8C8' "PNG24:$3"
}

tv_start_x
me_refs
me_over_black 534 96 "$ME_REF/gameover.png" "$TV_TMP/gameover.png"
me_prepare
me_table_file Ada 500 Bo 400 Cy 300 Di 200 Ed -5
me_start
me_skip_intro
tv_mouse_to 200 60
me_wait_menu
me_shot before
row_ink before 4 "$TV_TMP/last-before.png"
row_ink before 3 "$TV_TMP/third-before.png"

me_click $PLAY_AT
me_wait_similar 0 0 640 17 "$ME_REF/panel.png" 1600 30
tv_key_hold Escape
me_wait_part 53 144 534 96 "$TV_TMP/gameover.png"
# "Enter your name: " in white below the picture.
until_prompt=$(tv_deadline 30)
while :; do
    me_shot prompt
    me_crop "$ME_SHOTS/prompt.png" 0 300 640 80 "$TV_TMP/prompt.png"
    me_count "$TV_TMP/prompt.png" "#FFFFFF"
    [ "$ME_COUNT" -gt 50 ] && break
    tv_before "$until_prompt" || tv_fail "no name prompt under the game-over picture"
    sleep 0.2
done
tv_type Zed
# The name, in grey, under the prompt.
until_name=$(tv_deadline 30)
while :; do
    me_shot name
    me_crop "$ME_SHOTS/name.png" 0 300 640 80 "$TV_TMP/name.png"
    me_count "$TV_TMP/name.png" "#C8C8C8"
    [ "$ME_COUNT" -gt 20 ] && break
    tv_before "$until_name" || tv_fail "the typed name does not show"
    sleep 0.2
done
tv_key_hold Return 0.4
me_wait_menu
tv_mouse_to 200 60
sleep 0.3
me_shot after

# Rows 0 to 3 as before, the last one replaced.
row_ink after 3 "$TV_TMP/third-after.png"
me_diff "$TV_TMP/third-before.png" "$TV_TMP/third-after.png"
tv_assert_eq 0 "$ME_DIFF" "pixels changed in table row 3"
row_ink after 4 "$TV_TMP/last-after.png"
me_diff "$TV_TMP/last-before.png" "$TV_TMP/last-after.png"
[ "$ME_DIFF" -gt 10 ] || tv_fail "the last table row did not change"

me_click $EXIT_AT
tv_wait_exit 30
tv_assert_status 0
tv_assert_file_bytes "$TV_RUN/Log.txt" '%s' "Installing Allegro and setting graphics mode... Done!
Creating level... Done!
Running menus... Done!
Freeing memory... Done!
Shutting down."
me_decode "$TV_RUN/highscores.tav" "$TV_TMP/table.txt"
# A collectable may lie where the ship starts and be taken before Escape
# lands, so the new row holds 0 or a few collectables' worth of points.
grep -Pzq '\AAda 500\r\nBo 400\r\nCy 300\r\nDi 200\r\nZed (0|[1-9]0)\r\n\z' "$TV_TMP/table.txt" ||
    tv_fail "table written at Exit: $(od -c "$TV_TMP/table.txt" | head -5)"

