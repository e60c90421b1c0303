# Shared by the run and test scripts: where the project is and how to build it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# install_missing PACKAGE...: installs those of the Debian packages that are
# not installed yet, with sudo unless run as root.
install_missing() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing missing packages: ${missing[*]}"
    local sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

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

# best_of_3_ms COMMAND...: the shortest wall time of three runs of COMMAND, in
# milliseconds. A function named in $before_each, if set, runs untimed first.
best_of_3_ms() {
    local best="" start end t
    for _ in 1 2 3; do
        if [ -n "${before_each:-}" ]; then "$before_each"; fi
        start=$(date +%s%N)
        "$@"
        end=$(date +%s%N)
        t=$(((end - start) / 1000000))
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
    done
    echo "$best"
}
