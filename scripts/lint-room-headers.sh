#!/usr/bin/env bash
# Fails when a header under src/<room>/ includes what its room does not link PUBLIC: another room
# ("desktop/PinWindow.h"), a Qt module (<QWidget>) or one of the libraries named below. Every
# target that links the room compiles its headers, so what they include must come with the room.
# Usage: lint-room-headers.sh <src folder> <Qt's include folder> <room>=<link>,<link>... ...
# with every room's PUBLIC and INTERFACE links.
set -euo pipefail
src=$1 qt=$2
shift 2
[[ -d $qt ]] || { echo "No Qt include folder: '$qt'" && exit 1; }

# Libraries reached by their own include folder (or header), and the targets that give them.
declare -A library=([nlohmann]=nlohmann_json::nlohmann_json [xcb]=PkgConfig::XCB
  [webp]=PkgConfig::WEBP [libheif]=PkgConfig::HEIF [jxl]=PkgConfig::JXL
  [LayerShellQt]=LayerShellQt::Interface [wayland-client.h]=PkgConfig::WAYLAND_CLIENT)
declare -A links qt_module
for arg; do links[${arg%%=*}]=",${arg#*=},"; done

# Sets `target` to what an include needs: nothing for the room's own headers and the system's.
needs() {
  local room=$1 kind=$2 name=$3 first=${3%%/*} dir
  target=''
  if [[ $kind == '"' ]]; then
    [[ $name == */* && $first != "$room" && -d $src/$first ]] && target=corkwallery_$first
  elif [[ -v library[$first] ]]; then
    target=${library[$first]}
  elif [[ $name == Q* && $name != */* ]]; then
    if [[ ! -v qt_module[$name] ]]; then
      qt_module[$name]=''
      for dir in "$qt"/Qt*/; do
        [[ -f $dir$name ]] && qt_module[$name]=$(basename "$dir") && break
      done
    fi
    [[ -n ${qt_module[$name]} ]] && target=Qt6::${qt_module[$name]#Qt}
  elif [[ $first == Qt* && $name == */* ]]; then
    target=Qt6::${first#Qt}
  fi
  return 0
}

status=0
for dir in "$src"/*/; do
  room=$(basename "$dir")
  [[ -n $(find "$dir" -name '*.h' -print -quit) ]] || continue
  # platform's x11/ and wayland/ headers are its backends' own, which only platform/ includes.
  skip=()
  [[ $room == platform ]] && skip=(--exclude-dir=x11 --exclude-dir=wayland)
  if [[ ! -v links[$room] ]]; then
    echo "src/$room: no link list was given for corkwallery_$room"
    status=1
    continue
  fi
  while IFS= read -r hit; do
    file=${hit%%:*} rest=${hit#*:}
    line=${rest%%:*} include=${rest#*:}
    [[ $include =~ include[[:space:]]*([\"\<])([^\">]+) ]] || continue
    name=${BASH_REMATCH[2]}
    needs "$room" "${BASH_REMATCH[1]}" "$name"
    # Qt's targets go by either name, Qt6::X or Qt::X.
    public=${links[$room]} alias=${target/Qt6::/Qt::}
    [[ -z $target || $public == *",$target,"* || $public == *",$alias,"* ]] && continue
    echo "src/${file#"$src"/}:$line: includes $name, but corkwallery_$room does not link $target" \
      "PUBLIC"
    status=1
  done < <(grep -rn --include='*.h' "${skip[@]}" -E '^[[:space:]]*#[[:space:]]*include' "$dir" | sort)
done
exit $status
