# Every module in music.dat read by two independent players from Debian,
# xmp and openmpt123: each must load it without an error or a warning.
#   modules.sh MUSIC_DAT
set -u -o pipefail
dat=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnavel-modules.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The datafile as the generator writes it: "slh.ALL.", a big-endian count,
# then per object its properties, its type, its two sizes and its bytes.
count=$(perl -e 'open my $f, "<:raw", $ARGV[0] or die "$ARGV[0]: $!\n"; local $/; my $d = <$f>;
    die "not a plain datafile\n" unless substr($d, 0, 8) eq "slh.ALL.";
    my ($n, $at) = (unpack("N", substr($d, 8, 4)), 12);
    for my $i (0 .. $n - 1) {
        # Properties (the checksum) stand before their object: "prop", their id, a size, the bytes.
        $at += 12 + unpack("N", substr($d, $at + 8, 4)) while substr($d, $at, 4) eq "prop";
        my ($type, $size) = unpack "a4 N", substr($d, $at, 8);
        die "object $i is a \"$type\"\n" unless $type eq "XM  ";
        open my $o, ">:raw", "$ARGV[1]/piece$i.xm" or die; print $o substr($d, $at + 12, $size); $at += 12 + $size;
    }
    print "$n\n"' "$dat" "$work") || { echo "FAIL: cannot read $dat"; exit 1; }
[ "$count" -gt 0 ] || { echo "FAIL: no modules in $dat"; exit 1; }
status=0
for module in "$work"/piece*.xm; do
    for player in "xmp --load-only" "openmpt123 --info"; do
        if ! $player "$module" >"$work/out" 2>&1 || grep -Eqi 'warn|error|unsupported|unknown' "$work/out"; then
            echo "FAIL: $player $(basename "$module"):"; cat "$work/out"; status=1
        fi
    done
    echo "$(basename "$module"): $(grep -E '^(Title|Duration)' "$work/out" | tr -s ' .' ' ' | paste -sd ' ')"
done
exit $status
