# The game as a packager ships it: installed into a DESTDIR under /usr, run
# through the launcher with a fresh HOME and left through the menu's Exit.
# The player's files land in the per-user directory; the install is untouched.
source "$(dirname "$0")/harness.sh"

DEST=$TV_TMP/dest
PREFIX=$DEST/usr
listing() { (cd "$DEST" && find . -printf '%p %s %m %T@ %l\n' | LC_ALL=C sort); }

tv_note "cmake --install into a DESTDIR"
DESTDIR=$DEST cmake --install "$TV_BUILD" --prefix /usr >"$TV_TMP/install.log" 2>&1 ||
    tv_fail "cmake --install: $(cat "$TV_TMP/install.log")"
tv_assert_eq "./usr/bin/tarnavel ./usr/libexec/tarnavel/tarnavel ./usr/share/applications/tarnavel.desktop \
./usr/share/icons/hicolor/64x64/apps/tarnavel.png ./usr/share/man/man6/tarnavel.6 ./usr/share/tarnavel/explosion.dat \
./usr/share/tarnavel/misc.dat ./usr/share/tarnavel/settings.ini ./usr/share/tarnavel/sfx.dat \
./usr/share/tarnavel/sprites.dat" "$(cd "$DEST" && find . -type f | LC_ALL=C sort | xargs)" "installed files"
for f in sprites.dat explosion.dat misc.dat sfx.dat settings.ini; do
    cmp -s "$TV_DATA/$f" "$PREFIX/share/tarnavel/$f" || tv_fail "the installed $f is not the build's"
done
desktop-file-validate "$PREFIX/share/applications/tarnavel.desktop" >"$TV_TMP/check.txt" 2>&1 &&
    [ ! -s "$TV_TMP/check.txt" ] || tv_fail "desktop-file-validate: $(cat "$TV_TMP/check.txt")"
groff -man -ww -z "$PREFIX/share/man/man6/tarnavel.6" >"$TV_TMP/check.txt" 2>&1 && [ ! -s "$TV_TMP/check.txt" ] ||
    tv_fail "the man page does not render cleanly: $(cat "$TV_TMP/check.txt")"
before=$(listing)

tv_note "the launcher, from the PATH, in a fresh HOME"
tv_start_x
tv_new_run
TV_BIN=$PREFIX/bin/tarnavel
TV_GAME_ENV=(PATH=/usr/bin:/bin)
tv_start_game
tv_wait_window
tv_skip_intro
tv_choose exit
tv_wait_exit
tv_assert_eq 0 "$TV_STATUS" "exit status"
user=$TV_HOME/.local/share/tarnavel
for f in sprites.dat explosion.dat misc.dat sfx.dat; do
    tv_assert_eq "$PREFIX/share/tarnavel/$f" "$(readlink "$user/$f")" "the link $f"
done
cmp -s "$PREFIX/share/tarnavel/settings.ini" "$user/settings.ini" && [ -w "$user/settings.ini" ] ||
    tv_fail "settings.ini is not the player's own copy"
tv_assert_bytes "$user/Log.txt" 'Installing Allegro and setting graphics mode... Done!\nCreating level... Done!\nRunning menus... Done!\nFreeing memory... Done!\nShutting down.'
tv_assert_eq 5 "$(perl -0777 -pe '$_ = ~$_' <"$user/highscores.tav" | grep -c .)" "rows in the table"
tv_assert_eq "" "$(ls -A "$TV_RUN" | grep -v '\.dat$\|^settings\.ini$')" "files left in the working directory"
tv_assert_eq "$before" "$(listing)" "the install after a game"
