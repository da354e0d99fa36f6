# Play Game from the menu, game after game: the field with its status line, the ship
# steered by mouse motion and firing on a left press, Escape through the
# game-over picture (a score that does not qualify: no name entry) and a key
# back to the menu; Exit keeps the table as it was.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/../support/menu_e2e.sh"

PLAY_AT="565 305"
EXIT_AT="565 455"

# Waits for the field: the status panel across the top, its text aside.
wait_field()
{
    me_wait_similar 0 0 640 17 "$ME_REF/panel.png" 1600 30
}

# Escape, the game-over picture on black without a name prompt, a key, the menu.
leave_game()
{
    tv_key_hold Escape
    me_wait_part 53 144 534 96 "$TV_TMP/gameover.png"
    me_shot "$1"
    me_crop "$ME_SHOTS/$1.png" 0 240 640 240 "$TV_TMP/below.png"
    me_count "$TV_TMP/below.png" "#000000"
    tv_assert_eq $((640 * 240)) "$ME_COUNT" "black pixels below the game-over picture (no name prompt)"
    tv_key_tap space
    me_wait_menu
}

# Finds SPRITE in the part X Y W H of shot SHOT: FOUND_X, FOUND_Y = its
# place on the picture; status 1 when the best match is more dissimilar than
# MAX (a score text or a pick-up drawn across the sprite leaves it above 0;
# where the sprite is not, it is 0.3 or more).
locate()
{
    local shot=$1 sprite=$2 x=$3 y=$4 w=$5 h=$6 max=$7
    me_crop "$ME_SHOTS/$shot.png" "$x" "$y" "$w" "$h" "$TV_TMP/search.png"
    me_find "$TV_TMP/search.png" "$ME_REF/$sprite.png"
    read -r FOUND_X FOUND_Y <<<"$ME_AT"
    FOUND_X=$((FOUND_X + x))
    FOUND_Y=$((FOUND_Y + y))
    if awk -v s="$ME_SCORE" -v m="$max" 'BEGIN { exit !(s <= m) }'; then
        tv_note "$sprite in $shot at $FOUND_X,$FOUND_Y"
        return 0
    fi
    tv_note "no $sprite in $shot (best match $ME_SCORE at $FOUND_X,$FOUND_Y)"
    return 1
}

# One game: the field, the ship steered right and down, a shot, Escape back
# to the menu. Status 1 when the ship or its shot cannot be seen after the
# start: an enemy wandering into the ship ends its flight, and the game is
# worth another try.
steer_and_fire()
{
    me_click $PLAY_AT
    wait_field
    me_shot start
    # Slow motion right and down, then a fresh left press.
    tv_mouse_rel 10 8
    sleep 0.05
    tv_mouse_rel 10 8
    sleep 0.6
    me_shot moving
    tv_mouse_press 1
    # The shot gains on the ship by the ship's own speed: clear of it after 2 s.
    sleep 2
    me_shot fired
    leave_game over1

    # The status line over the panel, the field black around the objects.
    me_crop "$ME_SHOTS/start.png" 0 17 640 463 "$TV_TMP/field.png"
    me_count "$TV_TMP/field.png" "#000000"
    [ "$ME_COUNT" -gt $((640 * 463 * 8 / 10)) ] || tv_fail "the field is not black ($ME_COUNT black pixels)"
    me_crop "$ME_SHOTS/start.png" 0 0 640 17 "$TV_TMP/status.png"
    me_diff "$TV_TMP/status.png" "$ME_REF/panel.png"
    [ "$ME_DIFF" -gt 100 ] || tv_fail "no text on the status line ($ME_DIFF pixels over the panel)"
    # The ship starts centred and still.
    locate start ship 280 200 112 112 0 || tv_fail "no ship at the start"
    tv_assert_eq "320 240" "$FOUND_X $FOUND_Y" "ship's place at the start"

    locate moving ship 300 220 160 140 0.2 || return 1
    [ "$FOUND_X" -gt 320 ] && [ "$FOUND_Y" -gt 240 ] || tv_fail "the ship did not move right and down"
    locate fired ship 300 220 240 200 0.2 || return 1
    local ship_x=$FOUND_X ship_y=$FOUND_Y
    # The shot leaves from the ship's middle at twice its speed: ahead of it.
    locate fired bullet "$((ship_x + 16))" "$((ship_y + 16))" 120 120 0.1 || return 1
    [ "$FOUND_X" -gt $((ship_x + 16)) ] && [ "$FOUND_Y" -gt $((ship_y + 16)) ] ||
        tv_fail "the shot is not ahead of the ship"
}

tv_start_x
me_refs
me_over_black 534 96 "$ME_REF/gameover.png" "$TV_TMP/gameover.png"
me_prepare
me_table_file Ada 900000 Bo 800000 Cy 700000 Di 600000 Ed 500000
cp "$TV_RUN/highscores.tav" "$TV_TMP/seeded.tav"
me_start
me_skip_intro

for attempt in 1 2 3; do
    tv_note "game $attempt: steer and fire"
    steer_and_fire && break
    [ "$attempt" -lt 3 ] || tv_fail "three games in which the ship or its shot could not be followed"
done

tv_note "one more game"
me_click $PLAY_AT
wait_field
leave_game over2

me_click $EXIT_AT
tv_wait_exit 30
tv_assert_status 0
cmp -s "$TV_TMP/seeded.tav" "$TV_RUN/highscores.tav" || tv_fail "the table changed without a qualifying score"
