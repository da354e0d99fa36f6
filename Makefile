# Two commands: `make play` and `make test`. Both install what they need
# (Debian packages, as root), build with CMake into build/ and use the run
# directory build/data.

BUILD ?= build
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc)

BUILD_PACKAGES = g++ cmake pkg-config liballegro4-dev libaldmb1-dev libdumb1-dev \
	libfreetype-dev fonts-dejavu-core libxi-dev
TEST_PACKAGES = libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-apps x11-utils imagemagick \
	desktop-file-utils appstream groff-base clang-14 libclang-rt-14-dev valgrind

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

.PHONY: all play test deps test-deps configure build bench bench-play screenshots sheet clean fuzz soak mutants deb

all: build

deps:
	$(call install_packages,$(BUILD_PACKAGES))

test-deps: deps
	$(call install_packages,$(TEST_PACKAGES))

# The game alone needs no test tools; `make test` switches them on.
WITH_TESTS ?= OFF
configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTARNAVEL_TESTS=$(WITH_TESTS) -DTARNAVEL_BENCH=$(WITH_TESTS)

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

play: build
	cd $(BUILD)/data && ../tarnavel

test: WITH_TESTS = ON
test: test-deps configure
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Every bench_* binary, under an Xvfb of their own (about three minutes).
bench: WITH_TESTS = ON
bench: test-deps configure
	cmake --build $(BUILD) -j $(JOBS)
	bash bench/run.sh $(BUILD)

# The measurements of the real game under Xvfb that take longer: start-up to
# the first menu frame, mouse steering at three rates, and resident memory
# over RSS_MINUTES (default 10) minutes of play.
RSS_MINUTES ?= 10
bench-play: WITH_TESTS = ON
bench-play: test-deps configure
	cmake --build $(BUILD) -j $(JOBS)
	TARNAVEL_BUILD_DIR=$(BUILD) bash bench/startup.sh
	TARNAVEL_BUILD_DIR=$(BUILD) STEERING_COMPARE=1 bash tests/e2e/test_steering.sh
	TARNAVEL_BUILD_DIR=$(BUILD) RSS_MINUTES=$(RSS_MINUTES) bash bench/rss.sh

# The README's pictures in docs/, taken from the game under Xvfb.
screenshots: WITH_TESTS = ON
screenshots: test-deps configure
	cmake --build $(BUILD) -j $(JOBS) --target tarnavel rundir tarnavel_pilot
	TARNAVEL_BUILD_DIR=$(BUILD) bash tests/e2e/screenshots.sh docs

# The reliability checks at length, each sanitizer tree in its own build
# directory beside the plain build. FUZZ_SECONDS per fuzz target.
FUZZ_SECONDS ?= 300
RELIABILITY = tests/reliability
fuzz: test-deps
	JOBS=$(JOBS) $(RELIABILITY)/build_tree.sh fuzz $(BUILD)/fuzz
	@for t in $(BUILD)/fuzz/fuzz_*; do \
	  $(RELIABILITY)/fuzz/run_fuzz.sh $(BUILD)/fuzz $${t##*/fuzz_} $(FUZZ_SECONDS) || exit 1; \
	done

# Random play of the real game logic under AddressSanitizer and UBSan:
# SOAK_STEPS logic steps (10^6 steps are about three hours of game time),
# reaching wave 40 at least.
SOAK_STEPS ?= 10000000
SOAK_SEED ?= 1
soak: WITH_TESTS = ON
soak: test-deps configure
	cmake --build $(BUILD) -j $(JOBS) --target rundir
	JOBS=$(JOBS) $(RELIABILITY)/build_tree.sh address $(BUILD)/asan
	$(BUILD)/asan/soak $(SOAK_STEPS) $(BUILD)/data $(SOAK_SEED) 40

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
