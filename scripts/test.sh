#!/usr/bin/env bash
# Sets up, builds and runs every test. With "asan", the sanitizer builds are tested as
# well: AddressSanitizer with UndefinedBehaviorSanitizer, then ThreadSanitizer.
#
# Usage: scripts/test.sh [asan]    (--help prints this)
set -euo pipefail
usage() {
    echo "Usage: scripts/test.sh [asan]"
    echo "Installs what is missing, builds the release preset and runs every test; with"
    echo "asan, then builds and tests the asan and tsan presets too."
}
case "${1:-}" in
"" | asan) ;;
-h | --help) usage; exit 0 ;;
*) echo "test.sh: unknown argument $1" >&2; usage >&2; exit 2 ;;
esac
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
