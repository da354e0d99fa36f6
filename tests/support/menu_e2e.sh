# Support for the menu end-to-end tests, sourced after tests/e2e/harness.sh:
# reference pictures cut out of the built datafiles with Allegro's `dat`
# tool, pictures composed from them, and waits on parts of the game's screen.
#
#   me_refs                        exports the pictures into ME_REF (names below) and
#                                  composes ME_REF/menu.png (background and the four buttons)
#   me_prepare [SETTINGS...]       fresh run dir with the datafiles; default settings "Windowed 1"
#                                  "Sound 0" "Color 32" (32 bits: the pictures show unchanged)
#   me_start                       starts the game, finds its window and focuses it
#   me_wait_similar X Y W H PNG MAX [SECS]  waits until that part differs from PNG in at most MAX pixels
#   me_new_white SHOT BASE         of two same-size pictures: ME_COUNT, ME_TOP, ME_BOTTOM of the
#                                  pixels white in SHOT but not in BASE
#   me_over_black W H SPRITE OUT   SPRITE (magenta transparent) on a black W x H picture
#   me_wait_part X Y W H PNG [SECS]  waits until that part of the game picture equals PNG exactly
#   me_wait_intro                  waits for the intro's grey
#   me_wait_menu [SECS]            waits until the four buttons stand on the menu background
#   me_skip_intro                  me_wait_intro, Escape, me_wait_menu
#   me_click X Y                   pointer to X, Y (picture coordinates), left press and release;
#                                  wait for the screen's answer before moving the pointer on, or
#                                  the move may come before the release is polled
#   me_shot NAME                   game picture into ME_SHOTS/NAME.png
#   me_diff A B                    ME_DIFF = number of differing pixels of two same-size pictures
#   me_crop IN X Y W H OUT         cuts a part out of a picture
#   me_count IN COLOUR             ME_COUNT = pixels of exactly COLOUR ("#RRGGBB") in IN
#   me_rows IN COLOUR              ME_TOP, ME_BOTTOM = first and last row holding COLOUR (-1: none)
#   me_find IN SPRITE              ME_AT="x y" of the best place of SPRITE (magenta: black) in
#                                  IN, ME_SCORE its dissimilarity (0 exact)
#   me_table_file NAME SCORE ...   writes highscores.tav in TV_RUN: the rows, each byte complemented
#   me_decode FILE OUT             OUT = FILE with every byte complemented
#
# Pictures in ME_REF: button (misc.dat 1), instructions (misc.dat 3),
# logo (misc.dat 5), background (misc.dat 6), bullet (sprites.dat 3), gameover (sprites.dat 23),
# ship (sprites.dat 26), panel (sprites.dat 32).

ME_REF=$TV_TMP/ref
ME_SHOTS=$TV_TMP/shots
ME_DIFF=""
ME_COUNT=""
ME_TOP=""
ME_BOTTOM=""
ME_AT=""
ME_SCORE=""
ME_BUTTON_W=0
ME_BUTTON_H=0
ME_BUTTON_X=0
ME_BUTTON_YS=(280 330 380 430)

# Object INDEX of datafile FILE (in TV_DATA_DIR) into ME_REF/NAME.png. The
# objects are found by their place in `dat -l`, not by their names.
me_export()
{
    local file=$1 index=$2 name=$3 dir object
    dir=$TV_TMP/export-$name
    mkdir -p "$dir"
    object=$(dat -l "$TV_DATA_DIR/$file" </dev/null | awk -v n="$index" '/^- / { if (k++ == n) print $4 }')
    [ -n "$object" ] || tv_fail "no object $index in $file"
    (cd "$dir" && dat "$TV_DATA_DIR/$file" -e "$object" </dev/null >/dev/null) ||
        tv_fail "cannot export $file object $index"
    convert "$dir"/*.bmp "PNG24:$ME_REF/$name.png" || tv_fail "cannot convert $file object $index"
}

me_refs()
{
    command -v dat >/dev/null || tv_fail "Allegro's dat tool is not installed"
    mkdir -p "$ME_REF" "$ME_SHOTS"
    me_export misc.dat 1 button
    me_export misc.dat 3 instructions
    me_export misc.dat 5 logo
    me_export misc.dat 6 background
    me_export sprites.dat 3 bullet
    me_export sprites.dat 23 gameover
    me_export sprites.dat 26 ship
    me_export sprites.dat 32 panel
    read -r ME_BUTTON_W ME_BUTTON_H < <(identify -format '%w %h' "$ME_REF/button.png")
    ME_BUTTON_X=$((640 - ME_BUTTON_W))
    local args=() y
    for y in "${ME_BUTTON_YS[@]}"; do
        args+=(\( "$ME_REF/button.png" -transparent 'rgb(255,0,255)' \) -geometry "+$ME_BUTTON_X+$y" -composite)
    done
    convert "$ME_REF/background.png" "${args[@]}" "PNG24:$ME_REF/menu.png" || tv_fail "cannot compose the menu"
}

me_prepare()
{
    tv_new_rundir
    if [ $# -gt 0 ]; then
        tv_write_settings "$@"
    else
        tv_write_settings "Windowed 1" "Sound 0" "Color 32"
    fi
    tv_add_datafiles
}

me_start()
{
    tv_start_game
    tv_wait_window 60
    tv_focus
}

me_crop()
{
    convert "$1" -crop "$4x$5+$2+$3" +repage "PNG24:$6" || tv_fail "cannot crop $1"
}

me_diff()
{
    ME_DIFF=$(compare -metric AE "$1" "$2" null: 2>&1)
    [[ $ME_DIFF =~ ^[0-9]+$ ]] || tv_fail "cannot compare $1 with $2: $ME_DIFF"
}

me_shot()
{
    tv_game_shot "$ME_SHOTS/$1.png"
}

me_wait_similar()
{
    local x=$1 y=$2 w=$3 h=$4 want=$5 max=$6 until part=$TV_TMP/part.png
    until=$(tv_deadline "${7:-30}")
    while :; do
        tv_running || tv_fail "the game ended while waiting for $want at $x,$y"
        xwd -root -silent | convert xwd:- -crop "${w}x${h}+$((TV_ORIGIN_X + x))+$((TV_ORIGIN_Y + y))" \
            +repage "PNG24:$part" || tv_fail "cannot read the screen"
        ME_DIFF=$(compare -metric AE "$part" "$want" null: 2>&1)
        [[ $ME_DIFF =~ ^[0-9]+$ ]] && [ "$ME_DIFF" -le "$max" ] && return 0
        tv_before "$until" || tv_fail "${w}x$h at $x,$y differs from $want in $ME_DIFF pixels after ${7:-30} s"
        sleep 0.1
    done
}

me_wait_part() { me_wait_similar "$1" "$2" "$3" "$4" "$5" 0 "${6:-30}"; }

me_new_white()
{
    read -r ME_COUNT ME_TOP ME_BOTTOM < <(paste -d ' ' <(me_pixels "$1") <(me_pixels "$2") | awk '
        $3 == "#FFFFFF" && $6 != "#FFFFFF" {
            n++
            if (top == "" || $2 < top) top = $2
            if (bottom == "" || $2 > bottom) bottom = $2
        }
        END { if (n == 0) print 0, -1, -1; else print n, top, bottom }')
}

me_over_black()
{
    convert -size "$1x$2" xc:black \( "$3" -transparent 'rgb(255,0,255)' \) -composite "PNG24:$4" ||
        tv_fail "cannot compose $3"
}

me_wait_intro()
{
    tv_wait_pixel $((TV_ORIGIN_X + 5)) $((TV_ORIGIN_Y + 5)) 104,104,104 0 60
}

# The left edges of the four buttons, a strip of background beside them,
# and their right edges at the screen's edge.
me_wait_menu()
{
    local strip=$TV_TMP/menu-strip.png
    me_crop "$ME_REF/menu.png" $((ME_BUTTON_X - 10)) 280 30 190 "$strip"
    me_wait_part $((ME_BUTTON_X - 10)) 280 30 190 "$strip" "${1:-30}"
    me_crop "$ME_REF/menu.png" 630 280 10 190 "$strip"
    me_wait_part 630 280 10 190 "$strip" "${1:-30}"
}

me_skip_intro()
{
    me_wait_intro
    tv_key_hold Escape
    me_wait_menu
}

me_click()
{
    tv_mouse_to "$1" "$2"
    tv_mouse_press 1
}

# Pixels of IN as "x y #RRGGBB" lines.
me_pixels()
{
    convert "$1" -depth 8 txt:- | awk 'NR > 1 { split($1, p, "[,:]"); print p[1], p[2], $3 }'
}

me_count()
{
    ME_COUNT=$(me_pixels "$1" | awk -v c="$2" '$3 == c { n++ } END { print n + 0 }')
}

me_rows()
{
    read -r ME_TOP ME_BOTTOM < <(me_pixels "$1" | awk -v c="$2" '
        $3 == c { if (top == "" || $2 < top) top = $2; if (bottom == "" || $2 > bottom) bottom = $2 }
        END { if (top == "") print -1, -1; else print top, bottom }')
}

me_find()
{
    local template=$TV_TMP/template.png out
    convert "$2" -fill black -opaque 'rgb(255,0,255)' "PNG24:$template"
    out=$(compare -metric RMSE -dissimilarity-threshold 1 -subimage-search "$1" "$template" null: 2>&1)
    # "1234 (0.0188) @ 320,240"
    ME_SCORE=$(sed -n 's/.*(\([0-9.e+-]*\)).*/\1/p' <<<"$out")
    ME_AT=$(sed -n 's/.*@ \([0-9]*\),\([0-9]*\).*/\1 \2/p' <<<"$out")
    [ -n "$ME_AT" ] || tv_fail "cannot search $2 in $1: $out"
}

me_table_file()
{
    local text=""
    while [ $# -ge 2 ]; do
        text+="$1 $2"$'\r\n'
        shift 2
    done
    printf '%s' "$text" | perl -pe 's/(.)/chr(255 - ord($1))/gse' >"$TV_RUN/highscores.tav"
}

me_decode()
{
    [ -e "$1" ] || tv_fail "no file $1"
    perl -0777 -pe 's/(.)/chr(255 - ord($1))/gse' <"$1" >"$2" || tv_fail "cannot decode $1"
}
