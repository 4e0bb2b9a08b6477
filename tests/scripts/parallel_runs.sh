#!/usr/bin/env bash
# scripts/selfplay-parallel and scripts/gauntlet against the programs run by hand: the merged file
# does not depend on jobs, hosts or a kill halfway; the table sums the games. Usage: $0 BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd) root=$(cd "$(dirname "$0")/../.." && pwd) tmp=$(mktemp -d) pid="" i=0
bin=$build/tools/datagen/varrowmere-selfplay file=FreeGuardTest/2ply-2plyCornerGuard_score.txt
trap '[[ -z $pid ]] || kill -TERM $pid; rm -rf "$tmp"' EXIT
cd "$tmp" && exec </dev/null
fail() { echo "FAIL: $1" >&2; cat log >&2 || true; exit 1; }
# Called in a subshell, which becomes the script.
sp() { exec "$root/scripts/selfplay-parallel" --variants CornerGuard --ends 3 --chunks 2 $@ &>log; }
# CornerGuard's chunks 0 and 1 have seeds 1000 + 2 and 1000 + 3 + 2; the first begins its file.
for seed in 1002 1005; do "$bin" --variant CornerGuard --ends 3 --seed $seed --out hand; done
cmp <(head -n 3 hand) <(head -n 3 "$root/data/$file") || fail "seed 1002"
# Two hosts, reached through a stand-in for ssh that runs the command here with the login shell
# and home ssh would give: GNU parallel's remote side runs the jobs in $SHELL.
printf '%s\n' '#!/bin/bash' 'shift; [[ $1 == -- ]] && shift' \
  'export SHELL=/bin/bash HOME=${HOME:-/tmp}' 'exec bash -c "$*"' >ssh && chmod +x ssh
printf 'hostA\nhostB\n' >hosts
export PARALLEL_SSH=$tmp/ssh
for run in "two --jobs 2" "remote --jobs 1 --hosts hosts"; do
  (sp --build "$build" --out $run) || fail "$run"
  cmp hand ${run%% *}/$file || fail "$run: merged file"
done
grep -q hostB remote/joblog || fail "no chunk went to hostB"
# Killed while chunk 1 is halfway (a stand-in writes one end of it and waits), then run again.
mkdir -p stalling/tools/datagen
printf '#!/bin/bash\n[[ " $* " != *" 1005 "* ]] || { echo 1; exec sleep 60; }\nexec %q "$@"\n' \
  "$bin" >stalling/tools/datagen/varrowmere-selfplay && chmod +x stalling/tools/datagen/*
(sp --build stalling --jobs 1 --out resumed) & pid=$!
until [[ -s resumed/chunks/CornerGuard-1005.txt ]] || ((++i > 600)); do sleep 0.1; done
kill -TERM $pid && status=0 && wait $pid || status=$?; pid=""
[[ $status == 130 && $(wc -l <resumed/joblog) == 2 ]] || fail "the kill came at status $status"
(sp --build "$build" --out resumed --jobs 1) && cmp hand resumed/$file || fail "resumed"
# Takeout against the built-ins, 2 games of 1 end from seed 7, red's hammer first.
"$root/scripts/gauntlet" --build "$build" --out gauntlet --player takeout --games 2 --ends 1 \
  --seed 7 >log 2>&1 || fail "the gauntlet"
for opponent in draw takeout; do
  won=0 lost=0 sum=0
  for game in 0 1; do
    "$build/varrowmere-match" --red takeout --yellow $opponent --ends 1 --seed $((7 + game)) \
      --hammer $( ((game)) && echo yellow || echo red) --quiet --log game.jsonl >/dev/null
    [[ $(grep '"type":"game"' game.jsonl) =~ \"red\":([0-9]+),\"yellow\":([0-9]+) ]] || fail "$game"
    red=${BASH_REMATCH[1]} yellow=${BASH_REMATCH[2]}
    sum=$((sum + red - yellow)) won=$((won + (red > yellow))) lost=$((lost + (red < yellow)))
  done
  expected="2 $won-$lost-$((2 - won - lost)) $(awk "BEGIN { printf \"%+.3f\", $sum / 2 }")"
  row=$(awk -v o=$opponent '$NF == o { print $1, $2, $3 }' gauntlet/table.txt)
  [[ $row == "$expected" ]] || fail "against $opponent: '$row', by hand '$expected'"
done
# A person's mistakes: status 2 and a message, at once.
for bad in "selfplay-parallel --chunks" "selfplay-parallel --out x --variants Plain" \
  "selfplay-parallel --out x --depth 4" "gauntlet --out x --games 0" "gauntlet --colour red"; do
  status=0 && timeout 10 "$root/scripts/"$bad --build "$build" >/dev/null 2>err || status=$?
  [[ $status == 2 && -s err ]] || fail "$bad: status $status"
done
echo "all passed"
