#!/bin/bash
# The timer under ThreadSanitizer for a number of seconds, on a private Xvfb:
#   run_timer_threads.sh TSAN_BUILD_DIR SECONDS
set -euo pipefail
build=$1 seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 suppressions=$here/tsan.supp"
exec "$here/../with_xvfb.sh" "$build/timer_threads" "$seconds"
