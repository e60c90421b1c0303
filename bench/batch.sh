#!/usr/bin/env bash
# Measures converting a show of 500 generated shots (100 to 900 lines each):
# one mouthkey-convert call with -d, a shell loop of single calls, and a shell
# loop of an equivalent mawk script whose output is checked equal first.
# Runs twice: with the files in memory (tmpfs, /dev/shm) and on the disk of
# the build folder, where every output's sync reaches the disk. Prints
# best-of-3 wall times and the ratios for each. A measurement, not a test: it
# never fails on speed.
#
# Usage: bench/batch.sh [FOLDER...]   (default: /dev/shm and the build folder)
# MOUTHKEY_CONVERT names another build of the converter, to compare two.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

shots=500
convert=${MOUTHKEY_CONVERT:-$root/build/cli/mouthkey-convert}
if [ ! -x "$convert" ] && [ -z "${MOUTHKEY_CONVERT:-}" ]; then
    configure_and_build build -DCMAKE_BUILD_TYPE=Release
fi
command -v mawk >/dev/null || { echo "batch.sh needs mawk (scripts/install-deps.sh test)"; exit 1; }

places=("$@")
if [ ${#places[@]} -eq 0 ]; then
    if [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ]; then
        places+=(/dev/shm)
    else
        echo "/dev/shm is no tmpfs here; measuring on the disk only"
    fi
    places+=("$root/build")
fi

# What a user would otherwise write, in awk.
mawk_script="$root/bench/equivalent-document.awk"
works=()
trap 'rm -rf "${works[@]}"' EXIT

# measure_in FOLDER: the whole measurement with every file under FOLDER.
measure_in() {
    local work
    work=$(mktemp -d "$1/mouthkey-batch.XXXXXX")
    works+=("$work")
    mkdir "$work/shots"

    # Realistic shots: the usual header, then "FRAME PHONEME" lines with frames
    # rising by 1 to 4 and mostly known names (two a tool might write have none).
    LC_ALL=C mawk -v shots=$shots -v dir="$work/shots" 'BEGIN {
        srand(42)
        n = split("AI E L FV MBP O U WQ etc rest TH CH D K rest MBP sil X", names, " ")
        for (s = 1; s <= shots; s++) {
            file = sprintf("%s/sc%02d_shot%03d.dat", dir, int((s - 1) / 50) + 1, s)
            print "MohoSwitch1" > file
            lines = 100 + int(rand() * 801)
            frame = 1
            for (i = 0; i < lines; i++) {
                print frame " " names[int(rand() * n) + 1] > file
                frame += int(rand() * 4) + 1
            }
            close(file)
        }
    }'

    # The shots hold names no table knows, so the converter warns about each; the
    # warnings go to a file, as a pipeline would keep them, and the checks stay on.
    one_call() { "$convert" -d "$work/out" "$work"/shots/*.dat 2>>"$work/warnings"; }
    single_calls() {
        local f name
        for f in "$work"/shots/*.dat; do
            name=${f##*/}
            "$convert" "$f" -o "$work/out/${name%.dat}.txt" 2>>"$work/warnings"
        done
    }
    mawk_loop() {
        local f name
        for f in "$work"/shots/*.dat; do
            name=${f##*/}
            LC_ALL=C mawk -f "$mawk_script" "$f" >"$work/out/${name%.dat}.txt"
        done
    }

    # Every way must give the same files before any is timed.
    local way
    for way in one_call single_calls mawk_loop; do
        mkdir "$work/out"
        "$way"
        mv "$work/out" "$work/$way"
    done
    for way in single_calls mawk_loop; do
        if ! diff -rq "$work/one_call" "$work/$way" >/dev/null; then
            echo "The outputs of $way differ from those of one_call; no comparison made."
            exit 1
        fi
    done
    rm -rf "$work/one_call" "$work/single_calls" "$work/mawk_loop"

    # Each timed run writes into an empty folder.
    empty_out() {
        rm -rf "$work/out"
        mkdir "$work/out"
    }
    before_each=empty_out
    local t_one t_single t_mawk lines bytes fs target
    t_one=$(best_of_3_ms one_call)
    t_single=$(best_of_3_ms single_calls)
    t_mawk=$(best_of_3_ms mawk_loop)

    lines=$(cat "$work"/shots/*.dat | wc -l)
    bytes=$(cat "$work"/shots/*.dat | wc -c)
    fs=$(stat -f -c %T "$work")
    # In memory nothing waits for a disk; on one, every output is synced.
    target=10
    [ "$fs" = tmpfs ] && target=20
    printf '\n%d shots, %d lines, %d bytes; %s; %d cores; files on %s (%s)\n' "$shots" "$lines" \
        "$bytes" "$(mawk -W version 2>&1 | head -n 1)" "$(nproc)" "$fs" "$1"
    mawk -v o="$t_one" -v s="$t_single" -v m="$t_mawk" -v target="$target" 'BEGIN {
        printf "%-40s %8.3f s\n", "one call with -d (best of 3)", o / 1000
        printf "%-40s %8.3f s\n", "shell loop of single calls", s / 1000
        printf "%-40s %8.3f s\n", "shell loop of the mawk script", m / 1000
        if (o < 1) o = 1
        if (m < 1) m = 1
        printf "%-40s %8.1f x   (target: at least %d)\n", "mawk loop / one call", m / o, target
        printf "%-40s %8.1f x\n", "single-call loop / one call", s / o
        printf "%-40s %8.1f x\n", "single-call loop / mawk loop", s / m
    }'
    rm -rf "$work"
}

for place in "${places[@]}"; do
    measure_in "$place"
done
