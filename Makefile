# `make run` builds and starts Corkwallery; `make test` builds it and runs every test. Each first
# installs the Debian packages it needs and lacks, by the groups of packaging/debian-deps.txt:
# building and running take the build and run groups, the tests the test group too.
.PHONY: all help deps configure build run test test-debian13 test-desktops package bench fuzz \
	translations format tidy clean distclean

# The package groups a target installs (targets below add theirs), and whether build/ builds the
# tests: it does once their packages are installed, so a `make build` after `make test` keeps them.
DEPS = build run
TESTING = $(shell scripts/install-deps.sh --check test >/dev/null 2>&1 && echo ON || echo OFF)

all: build

help:
	@echo 'make run            build and start Corkwallery (a demo of its own without a display)'
	@echo 'make build          configure and build into build/'
	@echo 'make test           build and run every test, under the sanitizers too, then on Debian 13'
	@echo 'make test-debian13  the tests inside a Debian 13 root, made once in build-debian13/'
	@echo 'make test-desktops  the journeys on Plasma and GNOME (installs them)'
	@echo 'make package        the Debian package, build/corkwallery_<version>_<arch>.deb'
	@echo 'make bench          the benchmarks'
	@echo 'make fuzz           the fuzzers, FUZZ_SECONDS each (60)'
	@echo 'make translations   bring translations/*.ts up to date'
	@echo 'make format, tidy   clang-format the sources; the clang-tidy check alone'
	@echo 'make clean          remove the build folders, but build-debian13/ (slow to make again)'
	@echo 'make distclean      remove build-debian13/ too'
	@echo 'Each installs the packages it lacks first; SKIP_DEPS=1 skips that.'

deps:
	@scripts/install-deps.sh $(DEPS)

configure: deps
	@cmake --preset default -DBUILD_TESTING=$(TESTING) >/dev/null

build: configure
	@cmake --build --preset default

# Only the program, and the demo's pictures for a run without a display.
run: configure
	@cmake --build --preset default --target corkwallery demo_pictures
	@scripts/run.sh

# Every test on the normal build (the format and clang-tidy checks among them), then the unit and
# offscreen tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and the decoding and
# restore tests under ThreadSanitizer; any report fails the run. Leak checking stays off: its
# tracer crashes at exit in processes that loaded Qt's image plugins (a sanitizer fault, not ours).
# Last, the same sources on Debian 13 (test-debian13).
test: DEPS = build run package test
test: TESTING = ON
test: build
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan
	@ctest --preset default -LE desktops-heavy
	@ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --preset asan -LE slow
	@TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan.supp \
		ctest --preset tsan
	@scripts/debian13.sh

# Builds with warnings as errors inside a Debian 13 root (Qt 6.8, LayerShellQt), made once under
# build-debian13/, and runs the unit and offscreen tests there, and the journeys on headless sway.
test-debian13: DEPS = test
test-debian13: deps
	@scripts/debian13.sh

# The journeys on Plasma and GNOME, after installing them (a few gigabytes), and on KWin 6 in the
# Debian 13 root.
test-desktops: DEPS = build run package test
test-desktops: TESTING = ON
test-desktops: build
	@scripts/install-deps.sh desktop-deps
	@ctest --preset default -L desktops-heavy
	@scripts/debian13.sh desktops

# The Debian package, build/corkwallery_<version>_<arch>.deb.
package: DEPS = build run package
package: build
	@cmake --build --preset default --target package

# The benchmarks are built only here.
bench: DEPS = build run test
bench: TESTING = ON
bench: configure
	@cmake --preset default -DCORKWALLERY_BUILD_BENCHMARKS=ON >/dev/null
	@cmake --build --preset default
	@scripts/bench.sh

# FUZZ_SECONDS=600 make fuzz
fuzz: DEPS = build run test fuzz
fuzz: deps
	@scripts/fuzz.sh

# Brings translations/*.ts up to date with the texts in the sources (lupdate): new texts come in
# unfinished, for a translator to fill in with Qt Linguist or any text editor.
translations: configure
	@cmake --build --preset default --target update_translations

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# clang-tidy over src/ with the checks in .clang-tidy (make test runs it too, as lint.Tidy).
tidy: DEPS = build run test
tidy: TESTING = ON
tidy: build
	@ctest --preset default -R lint.Tidy --output-on-failure

# Every build folder the presets and scripts make, but the Debian 13 root: it takes minutes and
# over a gigabyte of downloads to make again, and its packages are kept up to date in place.
clean:
	@rm -rf build build-asan build-tsan build-fuzz

# The Debian 13 root too. It belongs to root (sudo where needed); --one-file-system keeps rm out
# of anything still mounted inside it.
distclean: clean
	@if [ -d build-debian13 ]; then \
		if grep -qF " $(CURDIR)/build-debian13/" /proc/self/mountinfo; then \
			echo "Something is mounted under build-debian13/: not removing it." >&2; exit 1; fi; \
		$$([ "$$(id -u)" -eq 0 ] || echo sudo) rm -rf --one-file-system build-debian13; fi
