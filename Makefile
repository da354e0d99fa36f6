# Two commands: `make play` and `make test`. Both install what they need
# (Debian packages, as root), build with CMake into build/ and use the run
# directory build/data.

BUILD ?= build
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc)

BUILD_PACKAGES = g++ cmake pkg-config liballegro4-dev libaldmb1-dev libdumb1-dev \
	libfreetype-dev fonts-dejavu-core libxi-dev libxrender-dev libxext-dev
TEST_PACKAGES = libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-apps x11-utils imagemagick \
	desktop-file-utils appstream groff-base
# Only for `make test-slow` and `make fuzz`: memcheck, clang for libFuzzer, and two
# module players that read the music back.
SLOW_PACKAGES = valgrind clang-14 libclang-rt-14-dev xmp openmpt123

SUDO = $(if $(filter 0,$(shell id -u)),,sudo)

# Installs only what is missing, so repeated runs stay quick and offline.
define install_packages
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

.PHONY: all play test test-slow deps test-deps slow-deps configure build bench bench-play screenshots sheet clean \
	fuzz soak mutants deb

all: build

deps:
	$(call install_packages,$(BUILD_PACKAGES))

test-deps: deps
	$(call install_packages,$(TEST_PACKAGES))

slow-deps: test-deps
	$(call install_packages,$(SLOW_PACKAGES))

# The game alone needs no test tools; `make test` switches them on.
WITH_TESTS ?= OFF
configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTARNAVEL_TESTS=$(WITH_TESTS) -DTARNAVEL_BENCH=$(WITH_TESTS)

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

play: build
	cd $(BUILD)/data && ../tarnavel

# The unit and end-to-end tests, and the unit tests and a short soak built
# with AddressSanitizer and UBSan (ctest labels unit, e2e, sanitize).
test: WITH_TESTS = ON
test: test-deps configure
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

# What `make test` leaves out (ctest label slow): the real game under
# valgrind's memcheck, mouse steering at three rates, the real timer under
# ThreadSanitizer; then `make soak` for SLOW_SOAK_STEPS and `make fuzz`.
SLOW_SOAK_STEPS ?= 1000000
test-slow: WITH_TESTS = ON
test-slow: slow-deps configure
	cmake --build $(BUILD) -j $(JOBS) --target all timer_threads
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L slow
	$(MAKE) soak SOAK_STEPS=$(SLOW_SOAK_STEPS)
	$(MAKE) fuzz

# Every bench_* binary, under an Xvfb of their own (about three minutes).
bench: WITH_TESTS = ON
bench: test-deps configure
	cmake --build $(BUILD) -j $(JOBS)
	bash bench/run.sh $(BUILD)

# The measurements under Xvfb that take longer: the real game's start-up to
# the first menu frame, 200 starts on a resetting X server, and resident
# memory over RSS_MINUTES (default 10) minutes of play flown by the
# autopilot. (Steering at three rates runs in make test-slow.)
RSS_MINUTES ?= 10
bench-play: WITH_TESTS = ON
bench-play: test-deps configure
	cmake --build $(BUILD) -j $(JOBS)
	TARNAVEL_BUILD_DIR=$(BUILD) bash bench/startup.sh
	bash bench/start_reset.sh $(BUILD)
	TARNAVEL_BUILD_DIR=$(BUILD) RSS_MINUTES=$(RSS_MINUTES) bash bench/rss.sh

# The README's pictures in docs/: the game object flown by the autopilot,
# headless (tools/screenshots.cpp), stored as 8-bit PNG of 64 colours.
screenshots: WITH_TESTS = ON
screenshots: test-deps configure
	cmake --build $(BUILD) -j $(JOBS) --target rundir tarnavel_screenshots
	mkdir -p $(BUILD)/screenshots
	$(BUILD)/tools/tarnavel_screenshots $(BUILD)/data $(BUILD)/screenshots
	for f in $(BUILD)/screenshots/*.bmp; do \
	  convert $$f -strip -dither None -colors 64 PNG8:docs/$$(basename $$f .bmp).png || exit 1; \
	done

# Whole games flown by the autopilot under AddressSanitizer and UBSan
# (tests/reliability/soak.cpp): SOAK_STEPS logic steps of 10 ms (10^6 take
# about two minutes), marathons up to SOAK_WAVE + 5, which some game must reach.
SOAK_STEPS ?= 10000000
SOAK_WAVE ?= 40
SOAK_SEED ?= 1
soak: WITH_TESTS = ON
soak: test-deps configure
	cmake --build $(BUILD) -j $(JOBS) --target rundir soak
	$(BUILD)/tests/soak $(SOAK_STEPS) $(BUILD)/data $(SOAK_SEED) $(SOAK_WAVE)

# The high-score table's reader fuzzed by libFuzzer for FUZZ_SECONDS, with
# AddressSanitizer and UBSan, in a directory on tmpfs (each save syncs the
# disk); a finding is kept in $(BUILD)/fuzz/.
FUZZ_SECONDS ?= 300
FUZZ = $(abspath $(BUILD))/fuzz
fuzz: slow-deps
	mkdir -p $(FUZZ)/corpus
	clang++-14 -std=c++17 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined \
	  -fno-sanitize-recover=all -I. tests/reliability/fuzz_highscores.cpp highscores/highscore_manager.cpp \
	  -o $(FUZZ)/fuzz_highscores
	work=$$(mktemp -d /dev/shm/tarnavel-fuzz.XXXXXX 2>/dev/null || mktemp -d) && cd $$work && \
	  $(FUZZ)/fuzz_highscores $(FUZZ)/corpus $(CURDIR)/tests/reliability/seeds -max_len=4096 -timeout=10 \
	  -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(FUZZ)/ -print_final_stats=1 >$(FUZZ)/log 2>&1; \
	  status=$$?; rm -rf $$work; [ $$status = 0 ] || { tail -40 $(FUZZ)/log; exit 1; }
	grep -E '^(Done|stat::number_of_executed_units)' $(FUZZ)/log

# The contact sheet: every object of the four datafiles, labelled, in one PNG.
sheet: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target rundir tarnavel_sheet
	$(BUILD)/tools/tarnavel_sheet $(BUILD)/data $(BUILD)/contact-sheet.png

# The mutation run: each fault of tools/mutants.txt planted in a scratch copy
# (build-mutants/), rebuilt and tested; prints killed / survived and the rate.
# MUTANTS_ONLY=TEXT keeps the faults whose file or description holds TEXT.
mutants: test-deps
	$(call install_packages,python3)
	python3 tools/mutants.py --only "$(MUTANTS_ONLY)"

# The Debian package, built by Debian's own tools (dpkg-buildpackage, debhelper)
# in a copy of the tree under $(DEB_DIR), since they write beside the tree they
# build; then lintian. debian/changelog is written there from the version in
# CMakeLists.txt, the only place it is set, dated by the last commit.
DEB_DIR = $(BUILD)/deb
DEB_PACKAGES = build-essential debhelper devscripts lintian
DEB_VERSION = $(shell sed -n 's/^project(tarnavel VERSION \([^ )]*\).*/\1/p' CMakeLists.txt)
DEB_SRC = $(DEB_DIR)/tarnavel-$(DEB_VERSION)
deb: deps
	$(call install_packages,$(DEB_PACKAGES))
	rm -rf $(DEB_DIR) && mkdir -p $(DEB_SRC)
	git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - | tar -xf - -C $(DEB_SRC)
	printf 'tarnavel (%s) unstable; urgency=medium\n\n  * Tarnavel %s.\n\n -- %s  %s\n' \
	  "$(DEB_VERSION)" "$(DEB_VERSION)" "$$(sed -n 's/^Maintainer: //p' debian/control)" \
	  "$$(LC_ALL=C date -R -d @$$(git log -1 --format=%ct))" >$(DEB_SRC)/debian/changelog
	cd $(DEB_SRC) && DEB_BUILD_OPTIONS=parallel=$(JOBS) dpkg-buildpackage -us -uc -b
	lintian $(DEB_DIR)/tarnavel_$(DEB_VERSION)_*.changes
	@echo "Built $$(ls $(DEB_DIR)/tarnavel_$(DEB_VERSION)_*.deb): install it with apt install ./$$(ls $(DEB_DIR)/tarnavel_$(DEB_VERSION)_*.deb)"

clean:
	rm -rf $(BUILD)
