# Runs every benchmark binary of a build (bench_*) under an Xvfb of its own,
# since some of them put the game on a real window, then picture_cost.sh.
# Usage: run.sh BUILD_DIR
BUILD_DIR=${1:-build}
export TARNAVEL_BUILD_DIR=$BUILD_DIR
source "$(dirname "$0")/../tests/e2e/harness.sh"
TV_SCREEN=1024x768x24
tv_start_x
status=0
for b in "$BUILD_DIR"/bench/bench_*; do
    [ -x "$b" ] || continue
    echo "== $b"
    "$b" || { echo "FAILED: $b"; status=1; }
done
# The real game on a larger Xvfb of its own.
echo "== bench/picture_cost.sh"
bash "$(dirname "$0")/picture_cost.sh" "$BUILD_DIR" || { echo "FAILED: picture_cost.sh"; status=1; }
exit $status
