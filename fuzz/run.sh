#!/usr/bin/env bash
# Builds the fuzzers with clang in build-fuzz/ (decoding and conversion, the
# fast lanes of a .dat text against their rule, and one per reader of another
# format) and runs each for its share of the time, starting from samples/,
# fuzz/corpus/ (inputs earlier runs found worth keeping) and fuzz/seeds/ (files
# the samples lack: UTF-16 without a mark, slips the checks name, a keyframe
# document, broken takes). Skips, and says so, where clang or its fuzzer
# runtime is missing (Debian: clang, libclang-rt-14-dev; the test set-up in
# scripts/install-deps.sh installs both).
# Usage: fuzz/run.sh [SECONDS]   (default 60, shared among the fuzzers)
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

seconds=${1:-60}
cxx=${MOUTHKEY_FUZZ_CXX:-clang++}

if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "== Fuzzer skipped: $cxx is not installed (Debian: clang)."
    exit 0
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$probe/probe.cpp"
if ! "$cxx" -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
    echo "== Fuzzer skipped: clang's fuzzer runtime is missing (Debian: libclang-rt-14-dev)."
    exit 0
fi

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f "$root/build-fuzz/CMakeCache.txt" ]; then
    cmake -S "$root/fuzz" -B "$root/build-fuzz" "${generator[@]}" \
        -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$root/build-fuzz" --parallel "$jobs"

# New inputs go to build-fuzz/corpus/NAME, and a failing input to build-fuzz/;
# samples/, fuzz/corpus/ and fuzz/seeds/ are only read.
fuzzers=("$root"/build-fuzz/*_fuzzer)
share=$((seconds / ${#fuzzers[@]}))
[ "$share" -ge 1 ] || share=1
for fuzzer in "${fuzzers[@]}"; do
    name=$(basename "$fuzzer")
    corpus="$root/build-fuzz/corpus/$name"
    mkdir -p "$corpus"
    dict=()
    if [ "$name" = decode_convert_fuzzer ] || [ "$name" = dat_lines_fuzzer ]; then
        dict=(-dict="$root/fuzz/timing.dict")
    fi
    echo "== Fuzzing with $name for $share s"
    "$fuzzer" -max_total_time="$share" -max_len=8192 "${dict[@]}" \
        -artifact_prefix="$root/build-fuzz/$name-" -print_final_stats=1 \
        "$corpus" "$root/samples" "$root/fuzz/corpus" "$root/fuzz/seeds"
done
