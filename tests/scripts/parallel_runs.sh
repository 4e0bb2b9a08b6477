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
# Paired, 2 pairs from seed 7: pair p has seed 7 + p and red's first hammer in pair 0, yellow's in
# pair 1; takeout is red in the pair's first game, yellow in its second. The mean difference's
# interval is over the pairs (t = 12.706), the Elo from the mean score per pair.
"$root/scripts/gauntlet" --build "$build" --out paired --player takeout --no-builtins \
  --opponent draw --paired --games 4 --ends 1 --seed 7 >log 2>&1 || fail "paired"
won=0 lost=0 pairs=""
for game in 0 1 2 3; do
  sides=(--red takeout --yellow draw) && ((game % 2 == 0)) || sides=(--red draw --yellow takeout)
  "$build/varrowmere-match" "${sides[@]}" --ends 1 --seed $((7 + game / 2)) --hammer $(
    ((game < 2)) && echo red || echo yellow) --quiet --log game.jsonl >/dev/null
  [[ $(grep '"type":"game"' game.jsonl) =~ \"red\":([0-9]+),\"yellow\":([0-9]+) ]] || fail "$game"
  diff=$((BASH_REMATCH[1] - BASH_REMATCH[2])) && ((game % 2 == 0)) || diff=$((-diff))
  won=$((won + (diff > 0))) lost=$((lost + (diff < 0))) pairs+=" $diff $(((diff > 0) * 2 + !diff))"
done
expected=$(awk -v w=$won -v l=$lost 'BEGIN { split("'"$pairs"'", v, " ")
  for (p = 0; p < 2; p++) { d[p] = (v[4 * p + 1] + v[4 * p + 3]) / 2; s += (v[4 * p + 2] + v[4 * p + 4]) / 8 }
  m = (d[0] + d[1]) / 2; h = 12.706 * sqrt(((d[0] - m) ^ 2 + (d[1] - m) ^ 2) / 2)
  printf "2 4 %d-%d-%d %+.3f %+.3f .. %+.3f %s", w, l, 4 - w - l, m, m - h, m + h,
    s == 0 ? "-inf" : s == 1 ? "+inf" : sprintf("%+.0f", 400 * log(s / (1 - s)) / log(10) + 0) }')
row=$(awk '$NF == "draw" { print $1, $2, $3, $4, $5, $6, $7, $8 }' paired/table.txt)
[[ $row == "$expected" ]] || fail "paired: '$row', by hand '$expected'"
# The built player's shorthand on both sides, a stand-in for it answering a zero shot.
mkdir -p standin && ln -sf "$build/varrowmere-match" standin/ && printf '%s\n' '#!/bin/bash' \
  "echo \"\$*\" >>$tmp/args" 'while read -r c _; do case $c in ISREADY) printf READYOK ;;' \
  'GO) printf "BESTSHOT 0 0 0" ;; esac; done' >standin/varrowmere && chmod +x standin/varrowmere
"$root/scripts/gauntlet" --build standin --out shorthand --player 'varrowmere:--depth 1' \
  --no-builtins --opponent varrowmere --paired --games 2 --ends 1 --seed 9 --threads 3 >log 2>&1 &&
  [[ $(sort args | uniq -c | awk '{ $1 = $1; print }') == $'2 --seed 9 --threads 3\n2 --seed 9 --threads 3 --depth 1' ]] ||
  fail "shorthand: $(<args)"
# A person's mistakes: status 2 and a message, at once.
for bad in "selfplay-parallel --chunks" "selfplay-parallel --out x --variants Plain" \
  "selfplay-parallel --out x --depth 4" "gauntlet --out x --games 0" "gauntlet --colour red" \
  "gauntlet --out x --paired --games 3"; do
  status=0 && timeout 10 "$root/scripts/"$bad --build "$build" >/dev/null 2>err || status=$?
  [[ $status == 2 && -s err ]] || fail "$bad: status $status"
done
echo "all passed"
