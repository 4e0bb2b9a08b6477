#!/usr/bin/env bash
# tests/fuzz/merge_corpus.sh BUILD_DIR [TARGET...]: minimises each target's campaign corpus
# (corpus/<name>.tar.gz) with libFuzzer's merge: of the inputs of the archive and of the working
# corpus (BUILD_DIR/fuzz-corpus/<name>/), it keeps those that reach something the seeds
# (corpus/<name>/, never changed here) and the inputs kept before them do not, and writes them
# back into the archive, named by their hash. Prints each corpus's size before and after.
set -euo pipefail
build=${1:?build directory}
shift
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || for f in "$here"/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done

size() { find "$@" -type f -printf '%s\n' | awk '{ n++; b += $1 } END { printf "%d inputs, %d bytes", n, b }'; }

mkdir -p "$build/fuzz-logs"
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  seeds=$here/corpus/$name archive=$here/corpus/$name.tar.gz working=$build/fuzz-corpus/$name
  mapfile -t committed < <("$here/corpus_dirs.sh" "$build" "$name")
  before=$(size "${committed[@]}")
  # The merge adds to its first folder what the others reach beyond it: starting it with the
  # seeds makes their coverage count as had, and leaves only the new inputs to archive.
  merged=$build/fuzz-merge/$name
  rm -rf "$merged" && mkdir -p "$merged" "$working" && cp "$seeds"/* "$merged"/
  "$build/tests/fuzz/$target" -merge=1 -close_fd_mask=2 -max_len=16384 "$merged" \
    "${committed[@]:1}" "$working" >"$build/fuzz-logs/merge-$name.log" 2>&1 ||
    { echo "$target: merge failed, see $build/fuzz-logs/merge-$name.log" >&2; exit 1; }
  for seed in "$seeds"/*; do rm -f "$merged/$(basename "$seed")"; done
  if [ -n "$(ls -A "$merged")" ]; then
    # Sorted names and fixed metadata: the same inputs give the same archive.
    tar --sort=name --owner=0 --group=0 --numeric-owner --mtime=@0 -C "$merged" -cf - . |
      gzip -n -9 >"$archive"
  fi
  mapfile -t committed < <("$here/corpus_dirs.sh" "$build" "$name")
  echo "$target: $before -> $(size "${committed[@]}") ($(du -b "$archive" 2>/dev/null | cut -f1 || echo 0) bytes archived)"
done
