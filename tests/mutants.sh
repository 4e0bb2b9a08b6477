#!/usr/bin/env bash
# The mutation check: plants each fault of a list into the source, one at a time, rebuilds,
# runs the test programs that should notice, and says whether they did.
#
#   tests/mutants.sh [BUILD_DIR] [LIST] [FILTER]
#
# Each line of LIST (default tests/mutants.txt) is one fault, fields separated by " ~~ ":
#   file ~~ exact text ~~ replacement ~~ test programs (comma-separated ctest names) ~~ why
# The exact text must occur exactly once in the file; <NL> in a field stands for a line end.
# Blank lines and lines starting with # are skipped. With FILTER, only lines containing it are
# tried. The source is always restored, also when the run is interrupted.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-mutants}
list=${2:-$root/tests/mutants.txt}
filter=${3:-}
jobs=$(nproc 2>/dev/null || echo 2)
# Seconds a test program may run before the mutant counts as killed (a hang is noticed too).
test_deadline=300

[ -f "$list" ] || { echo "mutants: no list $list" >&2; exit 2; }
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARROWMERE_BENCH=OFF >/dev/null ||
    { echo "mutants: cannot configure $build" >&2; exit 2; }
fi

backup=""
target_file=""
restore() {
  if [ -n "$backup" ] && [ -f "$backup" ]; then
    cp -p "$backup" "$target_file"
    # Newer than the object built from the fault, so that the next build recompiles it.
    touch "$target_file"
    rm -f "$backup"
  fi
  backup=""
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

echo "mutants: building the unchanged tree in $build"
cmake --build "$build" -j "$jobs" >/dev/null || { echo "mutants: the unchanged tree does not build" >&2; exit 2; }

start=$(date +%s)
killed=0 survived=0 invalid=0 number=0
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in ''|'#'*) continue ;; esac
  [ -n "$filter" ] && [[ "$line" != *"$filter"* ]] && continue
  number=$((number + 1))
  file=$(perl -e '@f = split / ~~ /, $ARGV[0], 5; print $f[0]' "$line")
  text=$(perl -e '@f = split / ~~ /, $ARGV[0], 5; print $f[1]' "$line")
  replacement=$(perl -e '@f = split / ~~ /, $ARGV[0], 5; print $f[2]' "$line")
  tests=$(perl -e '@f = split / ~~ /, $ARGV[0], 5; print $f[3]' "$line")
  why=$(perl -e '@f = split / ~~ /, $ARGV[0], 5; print $f[4]' "$line")
  label="#$number $file: $why"
  if [ -z "$file" ] || [ -z "$text" ] || [ -z "$tests" ] || [ ! -f "$root/$file" ]; then
    echo "INVALID   $label (a field is missing or the file does not exist)"
    invalid=$((invalid + 1))
    continue
  fi
  # <NL> in a field stands for a line end.
  text=${text//<NL>/$'\n'}
  replacement=${replacement//<NL>/$'\n'}
  count=$(TEXT="$text" perl -0777 -ne '$n = () = /\Q$ENV{TEXT}\E/g; print $n' "$root/$file")
  if [ "$count" != 1 ]; then
    echo "INVALID   $label (the text occurs $count times)"
    invalid=$((invalid + 1))
    continue
  fi

  target_file=$root/$file
  backup=$(mktemp)
  cp -p "$target_file" "$backup"
  TEXT="$text" NEW="$replacement" perl -0777 -pi -e 's/\Q$ENV{TEXT}\E/$ENV{NEW}/' "$target_file"

  # The player and the referee too: some test programs start them.
  targets="varrowmere varrowmere-match"
  for t in ${tests//,/ }; do targets="$targets test_$t"; done
  if ! cmake --build "$build" -j "$jobs" --target $targets >/dev/null 2>&1; then
    echo "INVALID   $label (does not build)"
    invalid=$((invalid + 1))
  else
    failed=""
    for t in ${tests//,/ }; do
      if ! (cd "$build/tests" && timeout "$test_deadline" "./test_$t" >/dev/null 2>&1); then
        failed="$failed $t"
      fi
    done
    if [ -n "$failed" ]; then
      echo "killed    $label (by$failed)"
      killed=$((killed + 1))
    else
      echo "SURVIVED  $label"
      survived=$((survived + 1))
    fi
  fi
  restore
done < "$list"

# Leave the build matching the unchanged source.
cmake --build "$build" -j "$jobs" >/dev/null 2>&1
elapsed=$(( $(date +%s) - start ))
echo "mutants: $killed killed, $survived survived, $invalid invalid, of $number, in $((elapsed / 60)) min $((elapsed % 60)) s"
[ "$survived" -eq 0 ] && [ "$invalid" -eq 0 ]
