#!/bin/bash
# The timer under ThreadSanitizer for a number of seconds, on a private Xvfb
# started by the end-to-end harness:
#   run_timer_threads.sh TSAN_BUILD_DIR SECONDS
here=$(cd "$(dirname "$0")" && pwd)
build=$1 seconds=$2
source "$here/../../e2e/harness.sh"
tv_start_x
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 suppressions=$here/tsan.supp"
"$build/timer_threads" "$seconds" || tv_fail "the timer test failed (status $?)"
