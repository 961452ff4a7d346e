#!/usr/bin/env bash
# Configures and builds one preset (default "release"; "asan" for the sanitizer build).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --parallel "$(nproc)"
