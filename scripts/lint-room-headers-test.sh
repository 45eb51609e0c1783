#!/usr/bin/env bash
# Cases for lint-room-headers.sh, on a made-up source tree (rooms low and high) and a made-up Qt.
set -euo pipefail
lint=$(dirname "$0")/lint-room-headers.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/qt/QtCore" "$work/qt/QtWidgets"
touch "$work/qt/QtCore/QObject" "$work/qt/QtWidgets/QWidget"

failures=0
# check pass|fail <header under src/high/> <high's public links> <the header's text> [<link lists>]
check() {
  local expected=$1 header=$2 links=$3 text=$4 got=pass lists=("${@:5}")
  ((${#lists[@]})) || lists=(low= "high=$links")
  rm -rf "$work/src" && mkdir -p "$work/src/low" "$work/src/high/$(dirname "$header")"
  echo '#pragma once' >"$work/src/low/A.h"
  printf '#pragma once\n%s\n' "$text" >"$work/src/high/$header"
  "$lint" "$work/src" "$work/qt" "${lists[@]}" >"$work/out" 2>&1 || got=fail
  [[ $got == "$expected" ]] && return
  echo "expected $expected, got $got: src/high/$header [$links] $text"
  sed 's/^/  /' "$work/out"
  failures=$((failures + 1))
}

check pass B.h corkwallery_low '#include "low/A.h"'
check fail B.h Qt6::Core '#include "low/A.h"'
check fail x11/B.h '' '  #  include "low/A.h"'
check pass B.h '' '#include "high/C.h"'
check pass B.h '' '// #include "low/A.h"'
check pass B.h '' '#include "support/Polling.h"'  # not a room
check pass B.h '' $'#include <vector>\n#include <sys/stat.h>\n#include <unknown/thing.h>'
check pass B.h Qt6::Core,Qt::Widgets $'#include <QObject>\n#include <QWidget>'
check fail B.h Qt6::Core '#include <QWidget>'
check fail B.h Qt6::Core '#include <QtWidgets/QWidget>'
check pass B.h '' '#include <QNotAQtHeader>'
check fail B.h Qt6::Core '#include <xcb/xcb.h>'
check pass B.h PkgConfig::XCB '#include <xcb/xcb.h>'
check fail B.h '' '#include <wayland-client.h>'
check fail B.h '' '' low=  # high has headers but no link list
mv "$work/qt" "$work/no-qt" && check fail B.h '' '' && mv "$work/no-qt" "$work/qt"  # no Qt there

# The complaint names the header, the line, the include and the missing link.
check fail B.h '' '#include "low/A.h"'
complaint='src/high/B.h:2: includes low/A.h, but corkwallery_high does not link corkwallery_low'
grep -qx "$complaint PUBLIC" "$work/out" ||
  { echo "unexpected complaint: $(cat "$work/out")"; failures=$((failures + 1)); }

((failures == 0))
