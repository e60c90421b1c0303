#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once as
# built for release, once under AddressSanitizer and UndefinedBehaviorSanitizer.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$root/scripts/install-deps.sh" test

werror=OFF
if [ "${CI:-}" = true ]; then
    werror=ON
fi

configure_and_build build -DCMAKE_BUILD_TYPE=Release -DMOUTHKEY_WERROR=$werror \
    -DMOUTHKEY_BUILD_TESTS=ON -DMOUTHKEY_BUILD_BENCH=ON
ctest --test-dir "$root/build" --output-on-failure --parallel "$jobs"

echo "== The same suite under AddressSanitizer and UndefinedBehaviorSanitizer"
configure_and_build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMOUTHKEY_WERROR=$werror \
    -DMOUTHKEY_SANITIZE=ON -DMOUTHKEY_BUILD_TESTS=ON -DMOUTHKEY_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-sanitize" --output-on-failure --parallel "$jobs"
