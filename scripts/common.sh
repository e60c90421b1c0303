# Shared by the run and test scripts: where the project is and how to build it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# configure_and_build DIR [extra cmake arguments...]
configure_and_build() {
    local dir=$1
    shift
    local generator=()
    command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
    if [ ! -f "$root/$dir/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$root/$dir" "${generator[@]}" "$@"
    else
        cmake "$root/$dir" "$@" >/dev/null
    fi
    cmake --build "$root/$dir" --parallel "$jobs"
}
