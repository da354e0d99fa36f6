# The game as a packager ships it: installed into a DESTDIR under /usr, run
# through the launcher with a fresh HOME, left through the menu's Exit. The
# player's files land in the per-user directory; the install is untouched.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/play.sh"

BUILD=${TARNAVEL_BUILD_DIR:-build}
DEST=$TV_TMP/dest
PREFIX=$DEST/usr

# A listing of every installed path with its size, mode and time.
install_listing() { (cd "$DEST" && find . -printf '%p %s %m %T@ %l\n' | LC_ALL=C sort); }

tv_note "cmake --install into DESTDIR"
DESTDIR=$DEST cmake --install "$BUILD" --prefix /usr >"$TV_TMP/install.log" 2>&1 ||
    { cat "$TV_TMP/install.log" >&2; tv_fail "cmake --install failed"; }
# Nothing outside DESTDIR: every path cmake reports lies under it.
grep -- '-- Installing: ' "$TV_TMP/install.log" | grep -v -- "-- Installing: $DEST/" >&2 &&
    tv_fail "cmake --install wrote outside DESTDIR"
expected="./usr/bin/tarnavel
./usr/libexec/tarnavel/tarnavel
./usr/share/applications/tarnavel.desktop
./usr/share/icons/hicolor/64x64/apps/tarnavel.png
./usr/share/man/man6/tarnavel.6
./usr/share/tarnavel/explosion.dat
./usr/share/tarnavel/misc.dat
./usr/share/tarnavel/settings.ini
./usr/share/tarnavel/sfx.dat
./usr/share/tarnavel/sprites.dat"
tv_assert_eq "$expected" "$(cd "$DEST" && find . -type f | LC_ALL=C sort)" "installed files"
[ -x "$PREFIX/bin/tarnavel" ] && [ -x "$PREFIX/libexec/tarnavel/tarnavel" ] ||
    tv_fail "the launcher or the game is not executable"
for f in sprites.dat explosion.dat misc.dat sfx.dat; do
    cmp -s "$TV_DATA_DIR/$f" "$PREFIX/share/tarnavel/$f" || tv_fail "installed $f differs from the build's"
done
cmp -s "$TARNAVEL_SOURCE_DIR/data/settings.ini" "$PREFIX/share/tarnavel/settings.ini" ||
    tv_fail "installed settings.ini differs from the sample"

tv_note "desktop entry, icon, man page"
desktop-file-validate "$PREFIX/share/applications/tarnavel.desktop" >"$TV_TMP/dfv.txt" 2>&1 ||
    { cat "$TV_TMP/dfv.txt" >&2; tv_fail "desktop-file-validate rejects the entry"; }
[ -s "$TV_TMP/dfv.txt" ] && { cat "$TV_TMP/dfv.txt" >&2; tv_fail "desktop-file-validate has remarks"; }
grep -qx 'Categories=Game;ArcadeGame;' "$PREFIX/share/applications/tarnavel.desktop" ||
    tv_fail "the entry's categories are not Game;ArcadeGame;"
grep -qx 'Exec=tarnavel' "$PREFIX/share/applications/tarnavel.desktop" || tv_fail "the entry does not run tarnavel"
tv_assert_eq "PNG 64x64" "$(identify -format '%m %wx%h' "$PREFIX/share/icons/hicolor/64x64/apps/tarnavel.png")" "icon"
groff -man -ww -z "$PREFIX/share/man/man6/tarnavel.6" 2>"$TV_TMP/groff.txt" || tv_fail "the man page does not render"
[ -s "$TV_TMP/groff.txt" ] && { cat "$TV_TMP/groff.txt" >&2; tv_fail "groff warns about the man page"; }
manpage=$(groff -man -Tascii -rLL=300n -P-c -P-b -P-o -P-u "$PREFIX/share/man/man6/tarnavel.6" 2>/dev/null)
for word in CONTROLS FILES SETTINGS "Mouse motion" "Left button" "Right button" Space Escape \
    settings.ini highscores.tav Log.txt Sound Windowed Color Music MouseSensitivity ".local/share/tarnavel"; do
    grep -qF -- "$word" <<<"$manpage" || tv_fail "the man page does not mention '$word'"
done

before=$(install_listing)

tv_note "launcher without a display: the per-user directory is made all the same"
home=$TV_TMP/nodisplay-home
mkdir -p "$home"
# Its own shell, so that however the game ends no notice reaches the output.
bash -c '"$@"; exit $?' launcher env -i HOME="$home" PATH=/usr/bin:/bin XDG_DATA_HOME=relative/dir \
    "$PREFIX/bin/tarnavel" >"$TV_TMP/nodisplay.out" 2>&1 && tv_fail "the game started without a display"
user=$home/.local/share/tarnavel
[ -d "$user" ] || tv_fail "a relative XDG_DATA_HOME was not ignored"
for f in sprites.dat explosion.dat misc.dat sfx.dat; do
    tv_assert_eq "$PREFIX/share/tarnavel/$f" "$(readlink "$user/$f")" "link $f"
done
cmp -s "$PREFIX/share/tarnavel/settings.ini" "$user/settings.ini" || tv_fail "settings.ini was not copied"
[ -w "$user/settings.ini" ] && [ ! -L "$user/settings.ini" ] || tv_fail "settings.ini is not the player's own file"

tv_start_x

# Runs the launcher from the PATH in a fresh HOME and leaves through Exit.
play_to_exit()
{
    tv_new_rundir
    TV_BIN=$PREFIX/bin/tarnavel
    pl_log_on
    tv_start_game --xmessage
    tv_wait_window 60
    pl_skip_intro 60
    pl_wait_menu 60
    pl_exit_from_menu
}

tv_note "first start: HOME/.local/share/tarnavel"
TV_GAME_ENV=()
play_to_exit
user=$TV_HOME/.local/share/tarnavel
tv_assert_file_bytes "$user/Log.txt" '%s\n%s\n%s\n%s\n%s' \
    "Installing Allegro and setting graphics mode... Done!" "Creating level... Done!" \
    "Running menus... Done!" "Freeing memory... Done!" "Shutting down."
[ -s "$user/highscores.tav" ] || tv_fail "no high-score table in $user"
# Each byte complemented: the five default rows read back as text.
rows=$(perl -0777 -pe '$_ = ~$_' <"$user/highscores.tav" | grep -c .)
tv_assert_eq 5 "$rows" "rows in the table"
tv_assert_no_file "$TV_RUN/Log.txt"
tv_assert_no_file "$TV_RUN/highscores.tav"

tv_note "second start: the player's settings are kept, the table read back"
printf 'Windowed 1\nSound 0\nColor 32\n' >"$user/settings.ini"
cp "$user/highscores.tav" "$TV_TMP/table1"
home=$TV_HOME
tv_new_rundir
rm -rf "$TV_HOME"
TV_HOME=$home
pl_log_on
tv_start_game --xmessage
tv_wait_window 60
pl_skip_intro 60
pl_wait_menu 60
pl_exit_from_menu
tv_assert_file_bytes "$user/settings.ini" 'Windowed 1\nSound 0\nColor 32\n'
cmp -s "$TV_TMP/table1" "$user/highscores.tav" || tv_fail "the table changed without a game"

tv_note "XDG_DATA_HOME set: the per-user directory follows it"
xdg=$TV_TMP/xdg-data
TV_GAME_ENV=("XDG_DATA_HOME=$xdg")
play_to_exit
[ -s "$xdg/tarnavel/highscores.tav" ] || tv_fail "no table in \$XDG_DATA_HOME/tarnavel"
[ -s "$xdg/tarnavel/Log.txt" ] || tv_fail "no log in \$XDG_DATA_HOME/tarnavel"
tv_assert_no_file "$TV_HOME/.local"

tv_assert_eq "$before" "$(install_listing)" "the install after three runs"
tv_note "install test passed"
