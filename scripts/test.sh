#!/usr/bin/env bash
# Sets up, builds and runs every test. With "asan", the sanitizer builds are tested as
# well: AddressSanitizer with UndefinedBehaviorSanitizer, then ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
export QT_QPA_PLATFORM=offscreen
ctest --preset release --parallel "$(nproc)"
if [[ "${1:-}" == "asan" ]]; then
    scripts/build.sh asan
    ctest --preset asan --parallel "$(nproc)"
    scripts/build.sh tsan
    ctest --preset tsan --parallel "$(nproc)"
fi
