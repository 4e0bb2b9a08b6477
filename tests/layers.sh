#!/usr/bin/env bash
# The engine's folders form layers, each including only its own folder and those below it:
#   tables -> physics -> platform -> candidates -> evaluation -> search -> strong -> driver
# Two headers are exceptions: driver/game_state.h, the game record every layer reads, and
# platform/os.h, the operating-system calls (messages, table memory) that tables and physics make.
# Usage: layers.sh SRC_DIR. Prints every include that reaches up, and fails if there is one.
set -euo pipefail
src=${1:?usage: layers.sh SRC_DIR}
layers=" tables physics platform candidates evaluation search strong driver "
# The layer's place in the order, -1 for a name that is none.
rank() { local before=${layers%% $1 *}; [ "$before" = "$layers" ] && echo -1 || echo $(wc -w <<<"$before"); }

bad=0 checked=0
for file in "$src"/*/*.h "$src"/*/*.cpp; do
  [ -e "$file" ] || continue
  folder=$(basename "$(dirname "$file")")
  own=$(rank "$folder")
  [ "$own" -ge 0 ] || { echo "$file: folder '$folder' has no place in the layer order"; bad=1; continue; }
  while IFS= read -r target; do
    checked=$((checked + 1))
    [ "$target" = driver/game_state.h ] || [ "$target" = platform/os.h ] && continue
    other=-1
    [[ $target == */* ]] && other=$(rank "${target%%/*}")
    if [ "$other" -lt 0 ]; then
      echo "$file: includes \"$target\", which is in no layer"
      bad=1
    elif [ "$other" -gt "$own" ]; then
      echo "$file: $folder includes \"$target\" from a layer above it"
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done
[ "$checked" -gt 0 ] || { echo "no includes found under $src"; exit 1; }
[ "$bad" -eq 0 ] && echo "layers: $checked includes, none reaching up"
exit "$bad"
