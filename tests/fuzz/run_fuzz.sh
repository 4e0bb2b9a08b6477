#!/usr/bin/env bash
# Runs the fuzz targets of a fuzz build for a while each and reports what they did.
#   tests/fuzz/run_fuzz.sh BUILD_DIR SECONDS [PARALLEL] [TARGET...]
# Each target starts from its seeds (tests/fuzz/corpus/<name>) and a working corpus kept in
# BUILD_DIR/fuzz-corpus/<name>, so a later run goes on from what an earlier one found.
# Crashes, leaks and hangs land in BUILD_DIR/fuzz-artifacts/<name>/; the status is 1 when any
# target failed. PARALLEL targets run at a time (default 1).
set -uo pipefail

build=${1:?build directory}
seconds=${2:?seconds per target}
parallel=${3:-1}
shift $(($# < 3 ? $# : 3))
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$here"/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

# Inputs larger than this are not tried (the guard tables need room for a header and a few
# rows); an input running longer than the timeout (s) counts as a hang.
max_len=16384
timeout=30

run_one() {
  local target=$1 name=${1#fuzz_}
  local exe="$build/tests/fuzz/$target" work="$build/fuzz-corpus/$name"
  local artifacts="$build/fuzz-artifacts/$name" log="$build/fuzz-logs/$name.log"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  if [ ! -x "$exe" ]; then
    echo "$target: not built" >"$log.summary"
    return 1
  fi
  # Standard error of the target is closed: the loaders report every malformed file there.
  # libFuzzer's own output and the sanitizers' reports still come through.
  "$exe" -max_total_time="$seconds" -timeout="$timeout" -max_len="$max_len" -close_fd_mask=2 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$here/corpus/$name" >"$log" 2>&1
  local status=$?
  local runs new found
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  new=$(sed -n 's/^stat::new_units_added: *//p' "$log")
  found=$(find "$artifacts" -type f | wc -l)
  echo "$target: ${runs:-?} executions in ${seconds} s, ${new:-?} new inputs, corpus $(find "$work" -type f | wc -l) files, $found artifacts, exit $status" \
    >"$log.summary"
  return $status
}

pids=() names=()
failed=0
for target in "${targets[@]}"; do
  run_one "$target" &
  pids+=($!) names+=("$target")
  if [ ${#pids[@]} -ge "$parallel" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done

for target in "${names[@]}"; do
  cat "$build/fuzz-logs/${target#fuzz_}.log.summary"
  if grep -q "ERROR\|Test unit written" "$build/fuzz-logs/${target#fuzz_}.log"; then
    grep -m3 "ERROR\|SUMMARY\|Test unit written" "$build/fuzz-logs/${target#fuzz_}.log" | sed 's/^/  /'
  fi
done
exit $failed
