#!/usr/bin/env bash
# The engine's folders form layers, each including only its own folder and those below it:
#   tables -> physics -> platform -> candidates -> evaluation -> search -> driver
# The one exception is driver/game_state.h, the game record every layer reads.
# Usage: layers.sh SRC_DIR. Prints every include that reaches up, and fails if there is one.
set -euo pipefail

src=${1:?usage: layers.sh SRC_DIR}
layers=(tables physics platform candidates evaluation search driver)
shared_record="driver/game_state.h"

rank_of() {
  local i
  for i in "${!layers[@]}"; do
    [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}

bad=0
checked=0
for file in "$src"/*/*.h "$src"/*/*.cpp; do
  [ -e "$file" ] || continue
  folder=$(basename "$(dirname "$file")")
  own=$(rank_of "$folder")
  if [ "$own" -lt 0 ]; then
    echo "$file: folder '$folder' has no place in the layer order"
    bad=1
    continue
  fi
  while IFS= read -r target; do
    checked=$((checked + 1))
    [ "$target" = "$shared_record" ] && continue
    if [[ "$target" != */* ]]; then
      echo "$file: includes \"$target\" without its folder"
      bad=1
      continue
    fi
    other=$(rank_of "${target%%/*}")
    if [ "$other" -lt 0 ]; then
      echo "$file: includes \"$target\" from outside the layers"
      bad=1
    elif [ "$other" -gt "$own" ]; then
      echo "$file: $folder includes \"$target\" from the layer above it (${layers[$other]})"
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done

if [ "$checked" -eq 0 ]; then
  echo "no includes found under $src"
  exit 1
fi
[ "$bad" -eq 0 ] && echo "layers: $checked includes, none reaching up"
exit "$bad"
