#!/usr/bin/env bash
# Inside the Debian 13 root (scripts/debian13.sh): builds with warnings as errors and runs the tests
# the arguments (ctest's) choose: the unit, offscreen and Wayland tests, or the heavy desktops'. The
# X11 journeys and the lint checks (another clang-format) stay with the Debian 12 build.
set -euo pipefail
build=$HOME/build
cmake -S /src -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORKWALLERY_WERROR=ON \
  >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure "$@"
