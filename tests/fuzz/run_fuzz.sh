#!/usr/bin/env bash
# tests/fuzz/run_fuzz.sh BUILD_DIR SECONDS [PARALLEL] [TARGET...]: runs the fuzz targets of a
# fuzz build, PARALLEL at a time (1), each for SECONDS, from its committed corpus
# (corpus_dirs.sh) and its working corpus BUILD_DIR/fuzz-corpus/<name>, where new finds go.
# Crashes, leaks and hangs land in BUILD_DIR/fuzz-artifacts/<name>/; the status is 1 when any target failed. A target with a
# dictionary (dict/<name>.dict) gets it; FUZZ_RUNS=N stops each target after N executions
# instead (SECONDS still bounds it).
set -uo pipefail
build=${1:?build directory} seconds=${2:?seconds per target} parallel=${3:-1}
shift $(($# < 3 ? $# : 3))
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || for f in "$here"/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done

run_one() {
  local name=${1#fuzz_}
  mkdir -p "$build/fuzz-corpus/$name" "$build/fuzz-artifacts/$name" "$build/fuzz-logs"
  local extra=()
  [ -f "$here/dict/$name.dict" ] && extra+=(-dict="$here/dict/$name.dict")
  [ -n "${FUZZ_RUNS:-}" ] && extra+=(-runs="$FUZZ_RUNS")
  local committed
  mapfile -t committed < <("$here/corpus_dirs.sh" "$build" "$name")
  # Standard error of the target is closed: the loaders report every malformed file there.
  "$build/tests/fuzz/$1" -max_total_time="$seconds" -timeout=30 -max_len=16384 -close_fd_mask=2 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$name/" "${extra[@]}" \
    "$build/fuzz-corpus/$name" "${committed[@]}" >"$build/fuzz-logs/$name.log" 2>&1
}
export -f run_one && export build seconds here
printf '%s\n' "${targets[@]}" | xargs -P "$parallel" -I{} bash -c 'run_one {}'; status=$?
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz-logs/$name.log")
  echo "$target: ${runs:-no} executions, $(find "$build/fuzz-artifacts/$name" -type f | wc -l) artifacts"
  grep -m3 "ERROR\|SUMMARY\|Test unit written\|No such file" "$build/fuzz-logs/$name.log" | sed 's/^/  /'
done
exit $((status != 0))
