# The intro: the logo fades in on grey; Escape ends it long before its nine
# seconds are over, and left alone it fades out by itself; the menu follows
# either way.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/../support/menu_e2e.sh"

tv_start_x
me_refs

# The logo at full opacity, centred on the grey: (640 - w) / 2, (480 - h) / 2.
read -r logo_w logo_h < <(identify -format '%w %h' "$ME_REF/logo.png")
logo_x=$((320 - logo_w / 2))
logo_y=$((240 - logo_h / 2))
convert -size "${logo_w}x$logo_h" xc:'rgb(104,104,104)' \( "$ME_REF/logo.png" -transparent 'rgb(255,0,255)' \) \
    -composite "PNG24:$ME_REF/logo-opaque.png"

tv_note "Escape while the logo is held at full opacity"
me_prepare
me_start
me_wait_intro
me_shot intro-start
for corner in "0 0" "639 0" "0 479" "639 479"; do
    tv_pixel "$ME_SHOTS/intro-start.png" $corner
    tv_assert_eq "104,104,104" "$TV_PIXEL" "intro pixel $corner"
done
me_wait_part "$logo_x" "$logo_y" "$logo_w" "$logo_h" "$ME_REF/logo-opaque.png" 30
# Left alone, the logo would stay for 4 s more and fade out for 2.5 s: a
# menu within 5 s of Escape can only have come from Escape.
tv_key_hold Escape
me_wait_menu 5
me_click 565 455
tv_wait_exit 30
tv_assert_status 0

tv_note "no key: the intro runs its course"
me_prepare
me_start
me_wait_intro
me_wait_part "$logo_x" "$logo_y" "$logo_w" "$logo_h" "$ME_REF/logo-opaque.png" 30
# Fading out: no longer the opaque logo, not yet the menu.
until_fade=$(tv_deadline 30)
while :; do
    me_shot fading
    me_crop "$ME_SHOTS/fading.png" "$logo_x" "$logo_y" "$logo_w" "$logo_h" "$TV_TMP/fading-logo.png"
    me_diff "$TV_TMP/fading-logo.png" "$ME_REF/logo-opaque.png"
    [ "$ME_DIFF" -gt 0 ] && break
    tv_before "$until_fade" || tv_fail "the logo never faded out"
    sleep 0.2
done
tv_pixel "$ME_SHOTS/fading.png" 5 5
tv_assert_eq "104,104,104" "$TV_PIXEL" "grey around the fading logo"
me_wait_menu 30
me_click 565 455
tv_wait_exit 30
tv_assert_status 0
