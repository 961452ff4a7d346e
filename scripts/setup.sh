#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need.
# Packages already present are skipped; apt-get update runs once, only when needed.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    tcl8.6 tcl8.6-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    flex bison
    libtbb-dev
    nlohmann-json3-dev
    libzip-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    xvfb xauth
    libjemalloc2 libmimalloc2.0
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
