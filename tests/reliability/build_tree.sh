#!/bin/bash
# Configures (once) and builds one sanitizer tree:  build_tree.sh KIND DIR
# KIND is fuzz, thread or address. libFuzzer and ThreadSanitizer come with
# clang; the whole game (address) builds with the compiler of the plain
# build, whose warnings the game's code is kept free of.
set -euo pipefail
kind=$1 dir=$2
here=$(cd "$(dirname "$0")" && pwd)
case $kind in
  fuzz|thread) compiler=clang++-14 ;;
  address) compiler=g++ ;;
  *) echo "unknown tree $kind" >&2; exit 2 ;;
esac
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$dir" -DCMAKE_CXX_COMPILER=$compiler -DRELIABILITY_KIND=$kind \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$dir" -j "${JOBS:-2}"
