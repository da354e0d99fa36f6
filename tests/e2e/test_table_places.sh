# The real game where its high-score table cannot be written: a read-only
# working directory, a working directory removed while the game runs, a
# read-only "highscores.tav", a directory in the file's place. In every case
# the game runs through the intro and the menu to Exit and ends with status
# 0, and the table's file is left as it was. The game runs without root's
# right to ignore file permissions (CI runs as root), so that they bind.
source "$(dirname "$0")/harness.sh"

command -v setpriv >/dev/null || tv_fail "setpriv (util-linux) is not installed"
REAL_BIN=$(cd "$(dirname "$TV_BIN")" && pwd)/$(basename "$TV_BIN")
mkdir -p "$TV_TMP/nocap"
cat >"$TV_TMP/nocap/tarnavel" <<WRAPPER
#!/bin/sh
exec $(command -v setpriv) --inh-caps=-all --bounding-set=-dac_override,-dac_read_search,-fowner "$REAL_BIN"
WRAPPER
chmod +x "$TV_TMP/nocap/tarnavel"
TV_BIN=$TV_TMP/nocap/tarnavel

# A table as the game writes it: "Ada 900" and four default rows, every byte
# complemented.
TABLE=$(printf 'Ada 900\r\nNone 0\r\nNone 0\r\nNone 0\r\nNone 0\r\n' | perl -0777 -pe '$_ ^= "\xff" x length')
[ "$(printf "%s" "$TABLE" | wc -c)" -eq 41 ] || tv_fail "cannot make the table's bytes"

# Status 0 when the menu's background shows at (20, 20).
menu_showing()
{
    local format=${TV_RGB_FORMAT//X/20} pixel
    pixel=$(xwd -root -silent | convert xwd:- -format "${format//Y/20}" info: 2>/dev/null) || return 1
    awk -v a="$pixel" 'BEGIN { split(a, p, ","); d = (p[1]-8)^2 + (p[2]-12)^2 + (p[3]-33)^2; exit !(d < 100) }'
}

# Starts the game, skips the intro, and (after an optional action in the
# menu) chooses Exit; the game must end with status 0.
run_to_exit()
{
    tv_start_game
    tv_wait_window 60
    tv_focus
    local attempt
    for attempt in $(seq 1 60); do
        menu_showing && break
        tv_key_hold Escape 0.3
    done
    tv_wait_pixel 20 20 8,12,33 6 60
    [ $# -gt 0 ] && "$@"
    tv_mouse_to 565 450
    tv_mouse_hold 1 0.5
    tv_wait_exit 60
    tv_assert_status 0
}

tv_start_x

tv_note "read-only working directory: plays on default rows, the file untouched"
tv_new_rundir
tv_add_datafiles
printf '%s' "$TABLE" >"$TV_RUN/highscores.tav"
chmod 555 "$TV_RUN"
run_to_exit
chmod 755 "$TV_RUN"
tv_assert_file_bytes "$TV_RUN/highscores.tav" '%s' "$TABLE"
tv_assert_eq "explosion.dat highscores.tav misc.dat settings.ini sfx.dat sprites.dat" \
    "$(ls "$TV_RUN" | tr '\n' ' ' | sed 's/ $//')" "files in the read-only directory"

tv_note "working directory removed while the menu shows: Exit still ends cleanly"
tv_new_rundir
tv_add_datafiles
remove_rundir() { rm -rf "$TV_RUN"; }
run_to_exit remove_rundir
mkdir -p "$TV_RUN"

tv_note "read-only highscores.tav: read, shown, never replaced"
tv_new_rundir
tv_add_datafiles
printf '%s' "$TABLE" >"$TV_RUN/highscores.tav"
chmod 444 "$TV_RUN/highscores.tav"
inode=$(stat -c %i "$TV_RUN/highscores.tav")
run_to_exit
tv_assert_file_bytes "$TV_RUN/highscores.tav" '%s' "$TABLE"
# The same rows written anew would pass the byte test: the file itself must
# be the one the test made.
tv_assert_eq "$inode" "$(stat -c %i "$TV_RUN/highscores.tav")" "inode of the read-only table"
tv_assert_no_file "$TV_RUN/highscores.tav.tmp"
tv_assert_no_file "$TV_RUN/Tempout.txt"
tv_assert_no_file "$TV_RUN/Tempin.txt"

tv_note "a directory named highscores.tav: left alone"
tv_new_rundir
tv_add_datafiles
mkdir "$TV_RUN/highscores.tav"
run_to_exit
[ -d "$TV_RUN/highscores.tav" ] || tv_fail "the directory is gone"
tv_assert_eq "" "$(ls -A "$TV_RUN/highscores.tav")" "contents of the directory"
tv_assert_no_file "$TV_RUN/highscores.tav.tmp"
tv_assert_no_file "$TV_RUN/Tempout.txt"

tv_note "every case ended through Exit with status 0"
