# The intro: the logo fades in on grey; Escape ends it long before its nine
# seconds are over, and left alone it stays, fades out by itself and the
# menu follows.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/../support/menu_e2e.sh"

# Waits until the screen differs from checksum SUM, failing at once if the
# game ends meanwhile.
screen_changes()
{
    local until
    until=$(tv_deadline 30)
    while :; do
        tv_running || { tv_wait_exit 5; tv_fail "the game ended with status $TV_STATUS"; }
        tv_screen_sum
        [ "$TV_SUM" != "$1" ] && return 0
        tv_before "$until" || tv_fail "the screen did not change within 30 s"
        sleep 0.1
    done
}

tv_start_x
me_refs

# The logo at full opacity, centred on the grey: (640 - w) / 2, (480 - h) / 2.
read -r logo_w logo_h < <(identify -format '%w %h' "$ME_REF/logo.png")
logo_x=$((320 - logo_w / 2))
logo_y=$((240 - logo_h / 2))
convert -size "${logo_w}x$logo_h" xc:'rgb(104,104,104)' \( "$ME_REF/logo.png" -transparent 'rgb(255,0,255)' \) \
    -composite "PNG24:$ME_REF/logo-opaque.png"

tv_note "Escape while the logo fades in"
me_prepare
me_start
me_wait_intro
me_shot intro-start
for corner in "0 0" "639 0" "0 479" "639 479"; do
    tv_pixel "$ME_SHOTS/intro-start.png" $corner
    tv_assert_eq "104,104,104" "$TV_PIXEL" "intro pixel $corner"
done
# Left alone, the intro lasts 9 s from its first grey: a menu within 7 s of
# Escape can only have come from Escape.
tv_key_hold Escape
me_wait_menu 7
me_click 565 455
tv_wait_exit 30
tv_assert_status 0

tv_note "no key: the intro runs its course"
me_prepare
me_start
me_wait_intro
me_wait_part "$logo_x" "$logo_y" "$logo_w" "$logo_h" "$ME_REF/logo-opaque.png" 30
# Fading out: grey around a logo that is no longer opaque. Should the
# machine be so slow that two looks straddle the whole fade, the menu is
# what shows next.
until_fade=$(tv_deadline 30)
while :; do
    me_shot fading
    me_crop "$ME_SHOTS/fading.png" "$logo_x" "$logo_y" "$logo_w" "$logo_h" "$TV_TMP/fading-logo.png"
    me_diff "$TV_TMP/fading-logo.png" "$ME_REF/logo-opaque.png"
    if [ "$ME_DIFF" -gt 0 ]; then
        tv_pixel "$ME_SHOTS/fading.png" 5 5
        [ "$TV_PIXEL" = "104,104,104" ] || tv_note "the fade-out fell between two looks"
        break
    fi
    tv_before "$until_fade" || tv_fail "the logo never faded out"
    sleep 0.2
done
me_wait_menu 30
me_click 565 455
tv_wait_exit 30
tv_assert_status 0

tv_note "Color 8: the intro draws without translucency, and Escape still ends it"
me_prepare "Windowed 1" "Sound 0" "Color 8"
me_start
tv_screen_sum
screen_changes "$TV_SUM"
tv_key_hold Escape
tv_screen_sum
screen_changes "$TV_SUM"
me_click 565 455
tv_wait_exit 30
tv_assert_status 0
