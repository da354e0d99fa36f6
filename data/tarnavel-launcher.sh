#!/bin/sh
# Starts Tarnavel inside the player's own directory, so that the log, the
# high-score table and its temporary files never touch the installation.
# The data files are linked from the installation on every start (a newer
# install is picked up); settings.ini is copied once and then belongs to the
# player. The game reads no command line: the options are the launcher's.
set -e

here=$(dirname "$(readlink -f "$0")")
datadir=$(readlink -m "$here/@TARNAVEL_REL_DATADIR@")
game=$(readlink -m "$here/@TARNAVEL_REL_GAMEDIR@/tarnavel")

# A relative XDG_DATA_HOME is invalid and ignored, as the XDG base directory
# rules ask.
case "${XDG_DATA_HOME:-}" in
    /*) userdir="$XDG_DATA_HOME/tarnavel" ;;
    *) userdir="${HOME:+$HOME/.local/share/tarnavel}" ;;
esac

case "$#:${1:-}" in
    0:) ;;
    1:--version)
        echo "tarnavel @PROJECT_VERSION@"
        exit 0
        ;;
    1:--help)
        cat <<EOF
Usage: tarnavel [--help | --version]
Starts Tarnavel, a 2-D arcade game steered with the mouse.

The game runs in its own directory, made on the first start:
  ${userdir:-\$XDG_DATA_HOME/tarnavel or ~/.local/share/tarnavel}
Its files there:
  settings.ini      the settings below; copied once from
                    $datadir/settings.ini, then written
                    by the game's Options page
  highscores.tav    the five best results, written when a name is entered
                    and when the game is left; a file there that was no
                    table is first kept as highscores.tav.kept-N
  Log.txt           progress of the last start-up and shutdown, and what
                    went wrong along the way
  sprites.dat, explosion.dat, misc.dat, sfx.dat, music.dat
                    pictures, fonts, sounds and music, linked from the
                    installation

Settings, key and value pairs read at start-up (key, default, meaning):
  Sound 1           sound effects on (1) or off (0)
  SoundVolume 100   the effects' volume, 0 to 100
  Windowed 0        1: a window (as the copied file asks); 0: full screen
  Color 0           colour depth in bits: 15, 16, 24 or 32; 0 takes the
                    desktop's, or where that fails tries 16, 15, 32 and 24
  Music 1           music on (1) or off (0): a theme in the menus, a loop in
                    play, a jingle when a wave is completed
  MusicVolume 70    the music's volume, 0 to 100 (0 plays none); 70 keeps it
                    under the effects
  MouseSensitivity 1.0
                    steering, -100 to 100: 100 units of mouse motion add
                    1 pixel per step to the ship's speed; below 0 it
                    steers the other way
  Scale 1           the whole factor the 640 x 480 picture is enlarged by;
                    0 (as the copied file asks): the largest that fits, a
                    window in 9/10 of the desktop's width and height (2 on
                    1920 x 1200), full screen in all of it; a larger factor
                    gives that one
  PadSensitivity 1.0
                    a gamepad's stick, -100 to 100: pushed right out it adds
                    as much speed as 12 units of mouse motion at
                    MouseSensitivity 1; below 0 it steers the other way
  PadFire 0, PadNextWeapon 1, PadNextWeapon2 3, PadFireSpecial 2,
  PadPause 7, PadEndGame 6
                    the pad's buttons in play by number (0 to 31, -1 none):
                    fire, next special weapon (two), fire it, pause, end
One key and its value to a line. A line the game cannot take is left out
and named in Log.txt; every other line is still read. The Options page in
the menu changes all but Color and the pad's buttons while the game runs.

Mouse motion steers, the left button fires, the right button picks a special
weapon, Space fires it, P or Pause pauses (so does the window losing the
focus), Escape ends the game; closing the window leaves it. A gamepad works
the whole game: the stick steers, A fires, B or Y picks a weapon, X fires it,
Start pauses, Back ends the game; the d-pad, A and B work the menus.
One game runs at a time. See man 6 tarnavel.
EOF
        exit 0
        ;;
    *)
        echo "tarnavel: unknown option '$*' (try --help)" >&2
        exit 2
        ;;
esac

if [ -z "$userdir" ]; then
    echo "tarnavel: neither HOME nor XDG_DATA_HOME is set" >&2
    exit 1
fi
mkdir -p "$userdir"
# A link already right is left alone, so a directory the player made
# read-only still starts; a link that cannot be made is the game's to report.
for f in sprites.dat explosion.dat misc.dat sfx.dat music.dat; do
    [ "$(readlink "$userdir/$f")" = "$datadir/$f" ] || ln -sfn "$datadir/$f" "$userdir/$f" || true
done
if [ ! -e "$userdir/settings.ini" ]; then
    cp "$datadir/settings.ini" "$userdir/settings.ini"
    chmod u+w "$userdir/settings.ini"
fi

cd "$userdir"
exec "$game"
