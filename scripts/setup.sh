#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need.
# Packages already present are skipped; apt-get update runs once, only when needed.
set -euo pipefail

# Each line says who needs it; the build finds each through the name in brackets.
packages=(
    build-essential cmake ninja-build pkg-config # compilers, CMake presets, [PkgConfig]
    tcl8.6 tcl8.6-dev                            # [pkg-config tcl8.6]; [tclsh8.6] for tests, benchmarks
    qt6-base-dev qt6-base-dev-tools libgl-dev    # [Qt6 Widgets, Test], moc, uic, rcc; OpenGL for Qt6Gui
    flex bison                                   # [FLEX], [BISON]
    libtbb-dev                                   # [tbbmalloc]
    nlohmann-json3-dev                           # [nlohmann_json]
    libzip-dev                                   # [pkg-config libzip]
    zlib1g-dev                                   # [ZLIB] the archive writer compresses with it
    zip unzip                                    # [zip] the archive tests; [zip], [unzip] bench_archive's anchors
    perl                                         # [perl] runs the stand-in Ferro Builder script
    libgtest-dev libbenchmark-dev                # [GTest], [benchmark]
    clang libclang-rt-14-dev                     # the fuzz preset
    xvfb xauth                                   # xvfb-run in scripts/screenshot.sh
    libjemalloc2 libmimalloc2.0                  # loaded by mem_alloc_bench
    util-linux                                   # [setpriv]: regentool tests drop root's file capabilities
    strace                                       # [strace]: regentool tests make its folder scan's reads fail
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
