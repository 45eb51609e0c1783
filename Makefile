# `make run` builds and starts Corkwallery; `make test` builds it and runs every test.
# Both install any missing Debian package first.
.PHONY: all deps configure build run test test-debian13 test-desktops package bench fuzz translations format tidy clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

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
test-debian13: deps
	@scripts/debian13.sh

# The journeys on Plasma and GNOME, after installing them (a few gigabytes), and on KWin 6 in the
# Debian 13 root.
test-desktops: build
	@scripts/install-deps.sh desktop-deps
	@ctest --preset default -L desktops-heavy
	@scripts/debian13.sh desktops

# The Debian package, build/corkwallery_<version>_<arch>.deb.
package: build
	@cmake --build --preset default --target package

# The benchmarks are built only here.
bench: configure
	@cmake --preset default -DCORKWALLERY_BUILD_BENCHMARKS=ON >/dev/null
	@cmake --build --preset default
	@scripts/bench.sh

# FUZZ_SECONDS=600 make fuzz
fuzz: deps
	@scripts/fuzz.sh

# Brings translations/*.ts up to date with the texts in the sources (lupdate): new texts come in
# unfinished, for a translator to fill in with Qt Linguist or any text editor.
translations: configure
	@cmake --build --preset default --target update_translations

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# clang-tidy over src/ with the checks in .clang-tidy (make test runs it too, as lint.Tidy).
tidy: build
	@ctest --preset default -R lint.Tidy --output-on-failure

clean:
	@rm -rf build build-asan
