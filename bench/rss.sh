# Resident memory over RSS_MINUTES (default 10) minutes of play flown by the
# autopilot on a real window (bench/rss.cpp), under an Xvfb of its own.
BUILD_DIR=${TARNAVEL_BUILD_DIR:-build}
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$BUILD_DIR/bench/rss_play" "${RSS_MINUTES:-10}"
