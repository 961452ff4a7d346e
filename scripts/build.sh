#!/usr/bin/env bash
# Configures and builds one preset (default "release"; "asan" for the sanitizer build).
#
# Usage: scripts/build.sh [preset]    (--help prints this and the presets)
set -euo pipefail
cd "$(dirname "$0")/.."
usage() {
    echo "Usage: scripts/build.sh [preset]"
    echo "Configures and builds one preset of CMakePresets.json (default release):"
    cmake --list-presets=configure 2>/dev/null | sed -n 's/^ *"\([^"]*\)".*/  \1/p'
}
case "${1:-}" in
-h | --help) usage; exit 0 ;;
-*) echo "build.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
esac
preset=${1:-release}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --parallel "$(nproc)"
