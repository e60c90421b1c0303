#!/usr/bin/env bash
# Installs what is missing, builds Mouthkey and starts it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$root/scripts/install-deps.sh" build
configure_and_build build -DCMAKE_BUILD_TYPE=Release -DMOUTHKEY_BUILD_TESTS=OFF -DMOUTHKEY_BUILD_BENCH=OFF

exec "$root/build/app/mouthkey" "$@"
