# The title menu as drawn: the four buttons flush with the right edge at
# y 280, 330, 380 and 430, the welcome line at the top, the default table
# at y 385 to 460; then Exit: status 0, the five log lines, the saved table.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/../support/menu_e2e.sh"

tv_start_x
me_refs
me_prepare
me_start
me_skip_intro
tv_mouse_to 200 60
sleep 0.3
me_shot menu

for y in "${ME_BUTTON_YS[@]}"; do
    # From 10 pixels left of the button to its first 20 columns, and its last
    # 10 columns, each with 5 rows of background above and below.
    for part in "$((ME_BUTTON_X - 10)) 30" "630 10"; do
        read -r x w <<<"$part"
        me_crop "$ME_SHOTS/menu.png" "$x" $((y - 5)) "$w" $((ME_BUTTON_H + 10)) "$TV_TMP/got.png"
        me_crop "$ME_REF/menu.png" "$x" $((y - 5)) "$w" $((ME_BUTTON_H + 10)) "$TV_TMP/want.png"
        me_diff "$TV_TMP/got.png" "$TV_TMP/want.png"
        tv_assert_eq 0 "$ME_DIFF" "pixels of the button at y $y, x $x.. that differ from the picture"
    done
done

# The welcome line, dark on the light bar at the top.
me_crop "$ME_SHOTS/menu.png" 0 0 640 16 "$TV_TMP/top.png"
me_count "$TV_TMP/top.png" "#141414"
[ "$ME_COUNT" -gt 20 ] || tv_fail "no welcome line at the top ($ME_COUNT pixels)"

# The table: the header in white at 385, five rows "None" 0 in grey 15
# pixels apart from 400, drawn alike.
me_crop "$ME_SHOTS/menu.png" 0 380 126 100 "$TV_TMP/table.png"
me_rows "$TV_TMP/table.png" "#C8C8C8"
rows_top=$((380 + ME_TOP))
rows_bottom=$((380 + ME_BOTTOM))
[ "$rows_top" -ge 400 ] && [ "$rows_bottom" -lt 475 ] ||
    tv_fail "table rows' ink from y $rows_top to $rows_bottom, not within 400 to 474"
me_crop "$ME_SHOTS/menu.png" 0 380 126 20 "$TV_TMP/header.png"
me_crop "$ME_REF/background.png" 0 380 126 20 "$TV_TMP/header-bg.png"
me_new_white "$TV_TMP/header.png" "$TV_TMP/header-bg.png"
[ "$ME_COUNT" -gt 20 ] || tv_fail "no white table header ($ME_COUNT pixels)"
# "NAME" and "None" begin with the same letter in the same font: their ink
# starts 15 rows apart, as the header at 385 and the first row at 400.
tv_assert_eq 15 $((rows_top - 380 - ME_TOP)) "rows between the header's ink and the first row's"
[ $((380 + ME_TOP)) -ge 385 ] || tv_fail "header ink above y 385"
for i in 1 2 3 4; do
    for row in 0 "$i"; do
        convert "$ME_SHOTS/menu.png" -crop "126x15+0+$((400 + 15 * row))" +repage \
            -fill black +opaque '#C8C8C8' -fill white -opaque '#C8C8C8' "PNG24:$TV_TMP/row$row.png"
    done
    me_diff "$TV_TMP/row0.png" "$TV_TMP/row$i.png"
    tv_assert_eq 0 "$ME_DIFF" "pixels in which table row $i differs from row 0"
done

me_click 565 455
tv_wait_exit 30
tv_assert_status 0
tv_assert_file_bytes "$TV_RUN/Log.txt" '%s' "Installing Allegro and setting graphics mode... Done!
Creating level... Done!
Running menus... Done!
Freeing memory... Done!
Shutting down."
me_decode "$TV_RUN/highscores.tav" "$TV_TMP/table.txt"
tv_assert_file_bytes "$TV_TMP/table.txt" 'None 0\r\nNone 0\r\nNone 0\r\nNone 0\r\nNone 0\r\n'
tv_assert_no_file "$TV_RUN/Tempout.txt"
tv_assert_no_file "$TV_RUN/Tempin.txt"
