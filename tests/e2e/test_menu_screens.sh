# Instructions and Credits from the menu: the picture until a key or a left
# press (the right button does nothing, and the closing press does not
# reach the menu); the credits scrolling up behind "Back", which leads back
# to a menu whose last button reads "Exit" again.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/../support/menu_e2e.sh"

INSTRUCTIONS_AT="565 355"
CREDITS_AT="565 405"
EXIT_AT="565 455"

# Waits, for at most SECS, while the whole picture stays PNG; fails if it
# changes. For what must not happen.
stays()
{
    local until
    until=$(tv_deadline "$2")
    while tv_before "$until"; do
        me_shot stays
        me_diff "$ME_SHOTS/stays.png" "$1"
        tv_assert_eq 0 "$ME_DIFF" "pixels changed on a screen that should have stayed"
        sleep 0.2
    done
}

tv_start_x
me_refs
me_prepare
me_start
me_skip_intro

# The last button as the menu draws it, with the pointer elsewhere.
tv_mouse_to 200 60
me_wait_menu
me_shot menu
me_crop "$ME_SHOTS/menu.png" "$ME_BUTTON_X" 430 "$ME_BUTTON_W" "$ME_BUTTON_H" "$TV_TMP/exit-button.png"

tv_note "Instructions: a key returns"
me_click $INSTRUCTIONS_AT
me_wait_part 0 0 640 480 "$ME_REF/instructions.png"
tv_key_tap space
me_wait_menu

tv_note "Instructions: the right button does nothing, a left press returns"
me_click $INSTRUCTIONS_AT
me_wait_part 0 0 640 480 "$ME_REF/instructions.png"
tv_mouse_press 3
stays "$ME_REF/instructions.png" 1.5
# The pointer is still over "Instructions": the press closes the picture and
# its release, in the menu, must not open it again.
tv_mouse_press 1
me_wait_menu
sleep 1.5
me_shot after-press
me_crop "$ME_SHOTS/after-press.png" "$((ME_BUTTON_X - 10))" 280 30 190 "$TV_TMP/strip.png"
me_crop "$ME_REF/menu.png" "$((ME_BUTTON_X - 10))" 280 30 190 "$TV_TMP/strip-want.png"
me_diff "$TV_TMP/strip.png" "$TV_TMP/strip-want.png"
tv_assert_eq 0 "$ME_DIFF" "menu pixels changed after the press that closed the instructions"

tv_note "Credits"
me_click $CREDITS_AT
# Only the last button is left, relabelled; the other three are gone.
me_crop "$ME_REF/background.png" 520 280 120 100 "$TV_TMP/no-buttons.png"
me_wait_part 520 280 120 100 "$TV_TMP/no-buttons.png"
tv_mouse_to 200 60
sleep 0.3
me_shot credits1
me_crop "$ME_SHOTS/credits1.png" "$ME_BUTTON_X" 430 "$ME_BUTTON_W" "$ME_BUTTON_H" "$TV_TMP/back-button.png"
me_diff "$TV_TMP/back-button.png" "$TV_TMP/exit-button.png"
[ "$ME_DIFF" -gt 20 ] || tv_fail "the last button's caption did not change on the credits screen"
me_crop "$ME_SHOTS/credits1.png" "$ME_BUTTON_X" 430 20 "$ME_BUTTON_H" "$TV_TMP/back-edge.png"
me_crop "$TV_TMP/exit-button.png" 0 0 20 "$ME_BUTTON_H" "$TV_TMP/exit-edge.png"
me_diff "$TV_TMP/back-edge.png" "$TV_TMP/exit-edge.png"
tv_assert_eq 0 "$ME_DIFF" "pixels of the button's picture that moved on the credits screen"

# White text rises through the window (x 270..519, y 280..479); the part
# left of the button is watched.
me_crop "$ME_REF/background.png" 270 280 220 200 "$TV_TMP/window-bg.png"
until_text=$(tv_deadline 30)
while :; do
    me_shot credits2
    me_crop "$ME_SHOTS/credits2.png" 270 280 220 200 "$TV_TMP/window.png"
    me_new_white "$TV_TMP/window.png" "$TV_TMP/window-bg.png"
    [ "$ME_COUNT" -gt 30 ] && break
    tv_before "$until_text" || tv_fail "no credit lines appeared"
    sleep 0.2
done
first_top=$ME_TOP
until_text=$(tv_deadline 30)
while :; do
    sleep 0.5
    me_shot credits3
    me_crop "$ME_SHOTS/credits3.png" 270 280 220 200 "$TV_TMP/window.png"
    me_new_white "$TV_TMP/window.png" "$TV_TMP/window-bg.png"
    [ "$ME_TOP" -ge 0 ] && [ "$ME_TOP" -lt $((first_top - 10)) ] && break
    tv_before "$until_text" || tv_fail "the credit lines did not rise (top at $ME_TOP, first $first_top)"
done
# Nothing of the text outside the window.
me_crop "$ME_SHOTS/credits3.png" 270 0 250 280 "$TV_TMP/above.png"
me_crop "$ME_REF/background.png" 270 0 250 280 "$TV_TMP/above-bg.png"
me_diff "$TV_TMP/above.png" "$TV_TMP/above-bg.png"
tv_assert_eq 0 "$ME_DIFF" "pixels drawn above the credits window"

me_click $EXIT_AT
me_wait_menu
tv_mouse_to 200 60
me_wait_part "$ME_BUTTON_X" 430 "$ME_BUTTON_W" "$ME_BUTTON_H" "$TV_TMP/exit-button.png"

me_click $EXIT_AT
tv_wait_exit 30
tv_assert_status 0
