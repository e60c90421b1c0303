#!/bin/sh
# The evaluation of timing from sound: builds the set of synthesized takes,
# runs PocketSphinx's plain phone recognition as the baseline and Mouthkey's
# own timing without and with the script, and scores each against the truth.
#
#   bench/speech/evaluate.sh [BUILD_DIR] [--no-baseline]
#       everything; the set and results land in BUILD_DIR/speech-eval
#   bench/speech/evaluate.sh score HYP_DIR [LABEL] [BUILD_DIR]
#       scores a folder of NAME.phones (START<TAB>END<TAB>PHONE) against the set
#
# BUILD_DIR defaults to build/ beside bench/. The machine is shared: every
# step runs at nice 19, so the timings it prints are not final figures.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

mode=all
if [ "${1:-}" = score ]; then
    mode=score
    shift
    [ $# -ge 1 ] || { echo "usage: $0 score HYP_DIR [LABEL] [BUILD_DIR]" >&2; exit 2; }
    hyp=$1
    label=${2:-$(basename "$hyp")}
    build=${3:-$root/build}
else
    build=$root/build
    baseline=yes
    for arg in "$@"; do
        case $arg in
            --no-baseline) baseline=no ;;
            -*) echo "usage: $0 [BUILD_DIR] [--no-baseline]" >&2; exit 2 ;;
            *) build=$arg ;;
        esac
    done
fi

[ -f "$build/CMakeCache.txt" ] || {
    echo "$build is not a configured build folder (configure with -DMOUTHKEY_BUILD_BENCH=ON)" >&2
    exit 2
}
tools=$build/bench/speech
out=$build/speech-eval
set_dir=$out/set

targets="speech-eval-set speech-eval-score speech-eval-baseline"
# Mouthkey's own timing is built only where the speech library is.
if grep -q '^speech-eval-mouthkey' "$build/build.ninja" 2>/dev/null ||
   grep -q 'speech-eval-mouthkey' "$build/Makefile" 2>/dev/null; then
    targets="$targets speech-eval-mouthkey"
fi
# shellcheck disable=SC2086
nice -n 19 cmake --build "$build" --target $targets

# The set, written afresh each run (it takes a second; its choices are fixed).
if [ "$mode" = all ] || [ ! -f "$set_dir/set.tsv" ]; then
    rm -rf "$set_dir"
    nice -n 19 "$tools/speech-eval-set" "$here/sentences.txt" "$set_dir"
fi

if [ "$mode" = score ]; then
    exec "$tools/speech-eval-score" "$set_dir" "$hyp" --label "$label"
fi

summary=$out/summary.txt
: >"$summary"
score() { # LABEL HYP_DIR
    "$tools/speech-eval-score" "$set_dir" "$2" --label "$1" >"$out/$1.scores"
    grep "^$1" "$out/$1.scores" | tee -a "$summary"
}

if [ "$baseline" = yes ]; then
    rm -rf "$out/baseline"
    nice -n 19 "$tools/speech-eval-baseline" "$set_dir" "$out/baseline" | tee -a "$summary"
    score baseline "$out/baseline"
fi

# Mouthkey's own timing, without and with the script.
if [ -x "$tools/speech-eval-mouthkey" ]; then
    for m in sound script; do
        rm -rf "$out/mouthkey-$m"
        flag=
        [ "$m" = script ] && flag=--script
        # shellcheck disable=SC2086
        nice -n 19 "$tools/speech-eval-mouthkey" "$set_dir" "$out/mouthkey-$m" $flag | tee -a "$summary"
        score "mouthkey-$m" "$out/mouthkey-$m"
    done
else
    echo "Mouthkey's own timing: not built here (the speech library, mouthkey::speech, is not in this tree)" |
        tee -a "$summary"
fi
echo "per-take scores and the summary: $out"
