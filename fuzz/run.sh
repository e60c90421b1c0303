#!/usr/bin/env bash
# Builds the decoding-and-conversion fuzzer with clang in build-fuzz/ and runs
# it, starting from the samples/ corpus and fuzz/seeds/ (files the samples lack:
# UTF-16 without a mark, slips the checks name, a keyframe document). Skips,
# and says so, where clang or its fuzzer runtime is missing (Debian: clang,
# libclang-rt-14-dev; the test set-up in scripts/install-deps.sh installs both).
# Usage: fuzz/run.sh [SECONDS]   (default 60)
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

# New inputs go to build-fuzz/corpus, and a failing input to build-fuzz/;
# samples/ and fuzz/seeds/ are only read.
corpus="$root/build-fuzz/corpus"
mkdir -p "$corpus"
echo "== Fuzzing decoding and conversion for $seconds s"
"$root/build-fuzz/decode_convert_fuzzer" -max_total_time="$seconds" -max_len=8192 \
    -dict="$root/fuzz/timing.dict" -artifact_prefix="$root/build-fuzz/" -print_final_stats=1 \
    "$corpus" "$root/samples" "$root/fuzz/seeds"
