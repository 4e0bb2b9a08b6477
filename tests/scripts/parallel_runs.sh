#!/usr/bin/env bash
# scripts/selfplay-parallel and scripts/gauntlet against the programs run by hand: the merged
# score file does not depend on the jobs at a time, on the hosts or on a kill halfway, and the
# gauntlet's table is the sum of its games. Usage: parallel_runs.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d /tmp/varrowmere-scripts-XXXXXX)
pid=""
trap '[[ -z $pid ]] || kill -TERM $pid; rm -rf "$tmp"' EXIT
cd "$tmp"
exec </dev/null

fail() {
  echo "FAIL: $1" >&2
  [[ ! -f log ]] || cat log >&2
  exit 1
}
selfplay() {
  "$root/scripts/selfplay-parallel" --build "$build" --variants CornerGuard --chunks 2 --ends 3 \
    "$@" >log 2>&1
}
merged=FreeGuardTest/2ply-2plyCornerGuard_score.txt

# By hand: the chunks of seeds 1002 and 1005, one after the other. The first is where the
# committed file begins.
for seed in 1002 1005; do
  "$build/tools/datagen/varrowmere-selfplay" --variant CornerGuard --ends 3 --seed $seed \
    --out hand.txt 2>/dev/null
done
cmp <(head -n 3 "$root/data/FreeGuardTest/2ply-2plyCornerGuard_score.txt") <(head -n 3 hand.txt) ||
  fail "seed 1002 does not begin as the committed file"

# Two hosts reached through a stand-in for ssh that runs the command here, in a login
# environment as ssh gives one: GNU parallel's remote side runs jobs in $SHELL.
cat >ssh <<'EOF'
#!/bin/bash
shift; [[ $1 == -- ]] && shift
export SHELL=/bin/bash HOME=${HOME:-/tmp}
exec bash -c "$*"
EOF
chmod +x ssh
printf 'hostA\nhostB\n' >hosts
export PARALLEL_SSH=$tmp/ssh
for run in "one --jobs 1" "two --jobs 2" "remote --jobs 1 --hosts hosts"; do
  read -r name options <<<"$run"
  selfplay --out "$name" $options || fail "$name: the run failed"
  cmp hand.txt "$name/$merged" || fail "$name: merged file differs from the chunks by hand"
done
grep -q hostB remote/joblog || fail "no chunk went to hostB"

# Killed while the second chunk is halfway (a stand-in for the program writes one end of it
# and waits), then run again with the real program.
mkdir -p stalling/tools/datagen
cat >stalling/tools/datagen/varrowmere-selfplay <<EOF
#!/bin/bash
[[ " \$* " != *" 1005 "* ]] || { echo 1; exec sleep 60; }
exec $(printf %q "$build/tools/datagen/varrowmere-selfplay") "\$@"
EOF
chmod +x stalling/tools/datagen/varrowmere-selfplay
"$root/scripts/selfplay-parallel" --build stalling --variants CornerGuard --chunks 2 --ends 3 \
  --jobs 1 --out resumed >log 2>&1 &
pid=$!
for ((i = 0; i < 600; i++)); do
  [[ ! -s resumed/chunks/CornerGuard-1005.txt ]] || break
  sleep 0.1
done
kill -TERM $pid
status=0
wait $pid || status=$?
pid=""
[[ $status == 130 && $(wc -l <resumed/joblog) == 2 ]] || fail "the kill came at status $status"
selfplay --out resumed --jobs 1 || fail "the resumed run failed"
cmp hand.txt "resumed/$merged" || fail "resumed: merged file differs from the chunks by hand"

# The gauntlet of the built-in takeout against the built-ins, 3 games of 1 end from seed 7,
# against the same games played one by one.
"$root/scripts/gauntlet" --build "$build" --out gauntlet --player takeout --games 3 --ends 1 \
  --seed 7 >log 2>&1 || fail "the gauntlet failed"
for opponent in draw takeout; do
  won=0 lost=0 drawn=0 sum=0
  for game in 0 1 2; do
    hammer=red
    ((game % 2 == 0)) || hammer=yellow
    "$build/varrowmere-match" --red takeout --yellow $opponent --ends 1 --seed $((7 + game)) \
      --hammer $hammer --quiet --log game.jsonl >/dev/null
    result=$(grep '"type":"game"' game.jsonl)
    [[ $result =~ \"red\":([0-9]+),\"yellow\":([0-9]+) ]]
    sum=$((sum + BASH_REMATCH[1] - BASH_REMATCH[2]))
    case $result in
      *'"winner":"red"'*) won=$((won + 1)) ;;
      *'"winner":"yellow"'*) lost=$((lost + 1)) ;;
      *) drawn=$((drawn + 1)) ;;
    esac
  done
  expected="3 $won-$lost-$drawn $(awk "BEGIN { printf \"%+.3f\", $sum / 3 }")"
  row=$(awk -v o=$opponent '$NF == o { print $1, $2, $3 }' gauntlet/table.txt)
  [[ $row == "$expected" ]] || fail "against $opponent: '$row', by hand '$expected'"
done

# A person's mistakes: status 2 and a message, at once.
for bad in "selfplay-parallel --chunks" "selfplay-parallel --out x --chunks two" \
  "selfplay-parallel --out x --variants Plain" "selfplay-parallel --out x --depth 4" \
  "gauntlet --out x --games 0" "gauntlet --colour red" "gauntlet"; do
  status=0
  timeout 10 "$root/scripts/"$bad --build "$build" >/dev/null 2>err || status=$?
  [[ $status == 2 && -s err ]] || fail "$bad: status $status"
done
echo "all passed"
