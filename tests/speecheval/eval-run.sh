#!/bin/sh
# One run of the evaluation's tools as the driver runs them: a small set is
# written, its truth scores 1 against itself, a folder with one take's phones
# missing and another's malformed fails those two, and the set is the same
# on a second run.
set -eu
set_tool=$1 score_tool=$2 sentences=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$set_tool" "$sentences" "$dir/set" --takes 3 >/dev/null
for n in take01 take02 take03; do
    for ext in wav txt phones; do
        [ -s "$dir/set/$n.$ext" ] || { echo "no $n.$ext"; exit 1; }
    done
done

"$score_tool" "$dir/set" "$dir/set" --label truth >"$dir/self.txt"
grep -q '^truth: 3 takes (0 failed), .*all frames 1.000, speech frames 1.000$' "$dir/self.txt" ||
    { cat "$dir/self.txt"; exit 1; }

mkdir "$dir/hyp"
cp "$dir/set/take01.phones" "$dir/hyp/"
printf '0.5\t0.2\tAA\n' >"$dir/hyp/take03.phones"
"$score_tool" "$dir/set" "$dir/hyp" --label some >"$dir/some.txt"
grep -q '^take02 .*FAILED: no take02.phones$' "$dir/some.txt" &&
    grep -q '^take03 .*FAILED: .*line 1: the phone ends before it starts$' "$dir/some.txt" &&
    grep -q '^some: 3 takes (2 failed)' "$dir/some.txt" &&
    grep -q '^some, takes with output only: all frames 1.000, speech frames 1.000$' "$dir/some.txt" ||
    { cat "$dir/some.txt"; exit 1; }

"$set_tool" "$sentences" "$dir/again" --takes 3 >/dev/null
for n in take01 take02 take03; do
    cmp -s "$dir/set/$n.wav" "$dir/again/$n.wav" && cmp -s "$dir/set/$n.phones" "$dir/again/$n.phones" ||
        { echo "$n differs between runs"; exit 1; }
done
