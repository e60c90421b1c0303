#!/usr/bin/env bash
# Measures mouthkey-convert against the I/O floor and a hand-written awk
# script, on a generated timing file of about 100 MB. Prints best-of-3 wall
# times, Time Remap's and Position's to new files after a sync, the ratios
# and the converter's peak memory. A measurement, not a test: it never fails
# on speed.
#
# Usage: bench/compare.sh [SIZE_MB]   (default 100)
# MOUTHKEY_CONVERT names another build of the converter, to compare two.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

size_mb=${1:-100}
convert=${MOUTHKEY_CONVERT:-$root/build/cli/mouthkey-convert}
if [ ! -x "$convert" ] && [ -z "${MOUTHKEY_CONVERT:-}" ]; then
    configure_and_build build -DCMAKE_BUILD_TYPE=Release
fi
for tool in awk /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "compare.sh needs $tool (scripts/install-deps.sh test)"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/mouthkey-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
input="$work/take.dat"

# A realistic file: the usual header, then "FRAME PHONEME" lines with frames
# rising by 1 to 4 and mostly known names (two a tool might write have none).
LC_ALL=C awk -v bytes=$((size_mb * 1000 * 1000)) 'BEGIN {
    srand(42)
    n = split("AI E L FV MBP O U WQ etc rest TH CH D K rest MBP sil X", names, " ")
    print "MohoSwitch1"
    size = 12; frame = 1
    while (size < bytes) {
        line = frame " " names[int(rand() * n) + 1]
        print line
        size += length(line) + 1
        frame += int(rand() * 4) + 1
    }
}' >"$input"

# What a user would otherwise write, in awk.
awk_script="$root/bench/equivalent-document.awk"

# The file holds names no table knows, so the converter warns; only its time matters here.
"$convert" "$input" >"$work/convert.out" 2>/dev/null
LC_ALL=C awk -f "$awk_script" "$input" >"$work/awk.out"
if ! cmp -s "$work/convert.out" "$work/awk.out"; then
    echo "The awk script's output differs from mouthkey-convert's; no comparison made."
    exit 1
fi
rm "$work/awk.out"

# seconds MS: milliseconds as seconds, to the millisecond.
seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }

# best_of_3 COMMAND...: the shortest wall time of three runs, in seconds.
best_of_3() { seconds "$(best_of_3_ms "$@")"; }

run_convert() { "$convert" "$input" >"$work/timed.out" 2>/dev/null; }
run_quiet() { "$convert" -q "$input" >"$work/timed.out"; }
run_floor() { cat "$work/convert.out" >"$work/timed.out"; }
run_awk() { LC_ALL=C awk -f "$awk_script" "$input" >"$work/timed.out"; }

in_bytes=$(stat -c %s "$input")
out_bytes=$(stat -c %s "$work/convert.out")
t_convert=$(best_of_3 run_convert)
t_quiet=$(best_of_3 run_quiet)
t_floor=$(best_of_3 run_floor)
t_awk=$(best_of_3 run_awk)

# Time Remap against Position. Here a run slows the one after it, which
# waits on the write-back of the output it replaces, so each of these runs
# writes a new file after a sync, and neither waits on the other's output.
new_output() {
    rm -f "$work/turn.out"
    sync
}
run_position() { "$convert" --target position "$input" >"$work/turn.out" 2>/dev/null; }
run_time_remap() { "$convert" --target time-remap "$input" >"$work/turn.out" 2>/dev/null; }
run_min_hold() { "$convert" --min-hold 2 "$input" >"$work/turn.out" 2>/dev/null; }
# They take turns, three rounds of one run each, so that a slower spell of
# the machine falls on all three alike.
declare -A best_ms=()
for _ in 1 2 3; do
    for run in run_position run_time_remap run_min_hold; do
        new_output
        start=$(date +%s%N)
        "$run"
        ms=$((($(date +%s%N) - start) / 1000000))
        if [ -z "${best_ms[$run]:-}" ] || [ "$ms" -lt "${best_ms[$run]}" ]; then
            best_ms[$run]=$ms
        fi
    done
done
t_position_new=$(seconds "${best_ms[run_position]}")
t_remap=$(seconds "${best_ms[run_time_remap]}")
t_min_hold=$(seconds "${best_ms[run_min_hold]}")
rm -f "$work/turn.out"
peak_kib=$(/usr/bin/time -f %M "$convert" "$input" 2>&1 >"$work/timed.out" | tail -n 1)
bound_kib=$((in_bytes / 1024 + 64 * 1024))

awk_name=$(basename "$(readlink -f "$(command -v awk)")")
printf 'input: %d bytes, output: %d bytes; %s, %d cores\n' "$in_bytes" "$out_bytes" \
    "$awk_name" "$(nproc)"
printf '%-44s %8s s\n' "mouthkey-convert (best of 3)" "$t_convert"
printf '%-44s %8s s\n' "mouthkey-convert -q, which skips the checks" "$t_quiet"
printf '%-44s %8s s\n' "floor: cat writing the same bytes" "$t_floor"
printf '%-44s %8s s\n' "awk script, identical output" "$t_awk"
printf '%-44s %8s s\n' "to new files after a sync: position" "$t_position_new"
printf '%-44s %8s s\n' "  --target time-remap, held (the default)" "$t_remap"
printf '%-44s %8s s\n' "  --min-hold 2, cleaned up" "$t_min_hold"
awk -v c="$t_convert" -v f="$t_floor" -v a="$t_awk" -v p="$t_position_new" -v r="$t_remap" \
    -v m="$t_min_hold" '
BEGIN {
    printf "%-44s %8.2f x   (target: at most 3)\n", "mouthkey-convert / floor", c / f
    printf "%-44s %8.1f x   (target: at least 25)\n", "awk / mouthkey-convert", a / c
    printf "%-44s %8.2f x   (target: at most 1.5)\n", "time-remap / position, to new files", r / p
    printf "%-44s %8.2f x   (target: at most 1.3)\n", "min-hold 2 / position, to new files", m / p
}'
printf '%-44s %8.1f MiB (bound: input + 64 MiB = %.1f MiB)\n' "peak RSS of mouthkey-convert" \
    "$(awk -v k="$peak_kib" 'BEGIN { print k / 1024 }')" \
    "$(awk -v k="$bound_kib" 'BEGIN { print k / 1024 }')"
