#!/bin/sh
# Starts Tarnavel inside the player's own directory, so that the log, the
# high-score table and its temporary files never touch the installation.
# The data files are linked from the installation on every start (a newer
# install is picked up); settings.ini is copied once and then belongs to the
# player.
set -e

here=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$here")
datadir="$prefix/@TARNAVEL_REL_DATADIR@"
game="$prefix/@TARNAVEL_REL_GAMEDIR@/tarnavel"

# A relative XDG_DATA_HOME is invalid and ignored, as the XDG base directory
# rules ask.
case "${XDG_DATA_HOME:-}" in
    /*) userdir="$XDG_DATA_HOME/tarnavel" ;;
    *)
        if [ -z "${HOME:-}" ]; then
            echo "tarnavel: neither HOME nor XDG_DATA_HOME is set" >&2
            exit 1
        fi
        userdir="$HOME/.local/share/tarnavel"
        ;;
esac
mkdir -p "$userdir"
for f in sprites.dat explosion.dat misc.dat sfx.dat; do
    ln -sfn "$datadir/$f" "$userdir/$f"
done
if [ ! -e "$userdir/settings.ini" ]; then
    cp "$datadir/settings.ini" "$userdir/settings.ini"
    chmod u+w "$userdir/settings.ini"
fi

cd "$userdir"
exec "$game" "$@"
