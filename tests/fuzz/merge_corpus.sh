#!/usr/bin/env bash
# tests/fuzz/merge_corpus.sh BUILD_DIR [TARGET...]: adds to each committed corpus
# (corpus/<name>/) the inputs of the working corpus (BUILD_DIR/fuzz-corpus/<name>/) that reach
# something it does not, by libFuzzer's merge. The committed inputs all stay, so the named seeds
# and regression inputs are kept; new ones are named by their hash. Prints each corpus's size.
set -euo pipefail
build=${1:?build directory}
shift
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || for f in "$here"/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done

for target in "${targets[@]}"; do
  name=${target#fuzz_}
  committed=$here/corpus/$name working=$build/fuzz-corpus/$name
  mkdir -p "$working"
  before=$(du -sb "$committed" | cut -f1)
  "$build/tests/fuzz/$target" -merge=1 -close_fd_mask=2 -max_len=16384 "$committed" "$working" \
    >"$build/fuzz-logs/merge-$name.log" 2>&1 ||
    { echo "$target: merge failed, see $build/fuzz-logs/merge-$name.log" >&2; exit 1; }
  echo "$target: $(find "$committed" -type f | wc -l) inputs, $before -> $(du -sb "$committed" | cut -f1) bytes"
done
