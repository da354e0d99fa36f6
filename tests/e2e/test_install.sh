# The game as a packager ships it: installed into a DESTDIR under /usr, each file's licence, the
# metadata validated, the launcher's options, and a game through it with a fresh HOME, left through
# the menu's Exit. The player's files land in the per-user directory; the install is untouched.
source "$(dirname "$0")/harness.sh"

SRC=$(realpath "$(dirname "$0")/../..")
DEST=$TV_TMP/dest
PREFIX=$DEST/usr
listing() { (cd "$DEST" && find . -printf '%p %s %m %T@ %l\n' | LC_ALL=C sort); }

tv_note "cmake --install into a DESTDIR"
DESTDIR=$DEST cmake --install "$TV_BUILD" --prefix /usr >"$TV_TMP/install.log" 2>&1 ||
    tv_fail "cmake --install: $(cat "$TV_TMP/install.log")"

# Every installed file, under the prefix, and the source files it is made from. The data files that
# carry DejaVu glyphs also name the file with the fonts' licence.
declare -A origin=([games/tarnavel]=data/tarnavel-launcher.sh [libexec/tarnavel/tarnavel]=shell/main.cpp
    [share/games/tarnavel/sprites.dat]="tools/art_sprites.cpp data/LICENSE.DejaVu"
    [share/games/tarnavel/misc.dat]="tools/art_misc.cpp data/LICENSE.DejaVu"
    [share/games/tarnavel/explosion.dat]=tools/art_explosions.cpp [share/games/tarnavel/sfx.dat]=tools/sounds.cpp
    [share/games/tarnavel/music.dat]=tools/music.cpp
    [share/games/tarnavel/settings.ini]=data/settings.ini [share/games/tarnavel/LICENSE.DejaVu]=data/LICENSE.DejaVu
    [share/applications/tarnavel.desktop]=data/tarnavel.desktop [share/man/man6/tarnavel.6]=data/tarnavel.6.in
    [share/metainfo/net.ostrevane.tarnavel.metainfo.xml]=data/tarnavel.metainfo.xml.in)
for s in 32 48 64 128 256; do origin[share/icons/hicolor/${s}x$s/apps/tarnavel.png]=tools/art_sprites.cpp; done
tv_assert_eq "$(printf '%s\n' "${!origin[@]}" | LC_ALL=C sort | xargs)" \
    "$(cd "$PREFIX" && find . -type f -printf '%P\n' | LC_ALL=C sort | xargs)" "installed files"

tv_note "each file's licence in debian/copyright"
# One "pattern licence" line for each pattern of the Files stanzas, in order: the last match counts.
stanzas=$(awk -v RS= '/^(.*\n)?Files:/ { f = $0; sub(/^(.*\n)?Files:/, "", f); sub(/\n[^ ].*/, "", f)
    l = $0; sub(/^(.*\n)?License: */, "", l); sub(/\n.*/, "", l)
    n = split(f, p, /[ \n]+/); for (i = 1; i <= n; i++) if (p[i] != "") print p[i], l }' "$SRC/debian/copyright")
for f in "${!origin[@]}"; do
    for o in ${origin[$f]}; do
        licence=""
        while read -r pattern l; do [[ $o == $pattern ]] && licence=$l; done <<<"$stanzas"
        [ -f "$SRC/$o" ] && grep -A1 -x "License: ${licence:-none}" "$SRC/debian/copyright" | grep -q '^ ' ||
            tv_fail "$f: its origin $o is not in the source, or no Files stanza with a licence text covers it"
    done
done

tv_note "the menu entry, the AppStream entry, the man page and the launcher's options"
desktop-file-validate "$PREFIX/share/applications/tarnavel.desktop" >"$TV_TMP/check.txt" 2>&1 &&
    [ ! -s "$TV_TMP/check.txt" ] || tv_fail "desktop-file-validate: $(cat "$TV_TMP/check.txt")"
appstreamcli validate --no-net "$PREFIX"/share/metainfo/*.xml >"$TV_TMP/check.txt" 2>&1 ||
    tv_fail "appstreamcli validate: $(cat "$TV_TMP/check.txt")"
groff -man -ww -z "$PREFIX/share/man/man6/tarnavel.6" >"$TV_TMP/check.txt" 2>&1 && [ ! -s "$TV_TMP/check.txt" ] ||
    tv_fail "the man page does not render cleanly: $(cat "$TV_TMP/check.txt")"
launcher() { env -i HOME="$TV_TMP/nohome" PATH=/usr/bin:/bin "$PREFIX/games/tarnavel" "$@" 2>&1; }
tv_assert_eq "tarnavel ${TV_TITLE#Tarnavel v }" "$(launcher --version)" "tarnavel --version"
words='settings\.ini|highscores\.tav|Log\.txt|sprites\.dat|music\.dat|Sound|SoundVolume|Windowed|Color|Music|MusicVolume|MouseSensitivity|Scale'
tv_assert_eq 13 "$(launcher --help | grep -Eow "$words" | sort -u | wc -l)" "files and settings in tarnavel --help"
launcher --fullscreen >/dev/null || [ -e "$TV_TMP/nohome" ] && tv_fail "tarnavel --fullscreen was taken"
before=$(listing)

tv_note "the launcher, from the PATH, in a fresh HOME"
tv_start_x
tv_new_run
TV_BIN=$PREFIX/games/tarnavel
TV_GAME_ENV=(PATH=/usr/bin:/bin)
tv_run_to_exit
user=$TV_HOME/.local/share/tarnavel
for f in sprites.dat explosion.dat misc.dat sfx.dat music.dat; do
    tv_assert_eq "$PREFIX/share/games/tarnavel/$f" "$(readlink "$user/$f")" "the link $f"
done
cmp -s "$PREFIX/share/games/tarnavel/settings.ini" "$user/settings.ini" && [ -w "$user/settings.ini" ] ||
    tv_fail "settings.ini is not the player's own copy"
# The sample settings ask for music; the test's sound driver is the silent one.
tv_assert_bytes "$user/Log.txt" 'No sound card: the game plays no music.\nInstalling Allegro and setting graphics mode... Done!\nCreating level... Done!\nRunning menus... Done!\nFreeing memory... Done!\nShutting down.'
tv_assert_eq 5 "$(perl -0777 -pe '$_ = ~$_' <"$user/highscores.tav" | grep -c .)" "rows in the table"
tv_assert_eq "" "$(ls -A "$TV_RUN" | grep -v '\.dat$\|^settings\.ini$')" "files left in the working directory"
tv_assert_eq "$before" "$(listing)" "the install after a game"
