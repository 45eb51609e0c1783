# `make run` builds and starts Corkwallery; `make test` builds it and runs every test.
# Both install any missing Debian package first.
.PHONY: all deps configure build run test bench fuzz format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

run: build
	@scripts/run.sh

test: build
	@ctest --preset default

bench: build
	@scripts/bench.sh

# FUZZ_SECONDS=600 make fuzz
fuzz: deps
	@scripts/fuzz.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build build-asan
