#pragma once

// What every fuzzer does when an invariant breaks: say which, and stop, so
// that libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

namespace mouthkey::fuzz {

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what) {
    if (!ok) {
        fail(what);
    }
}

} // namespace mouthkey::fuzz
