#!/usr/bin/env bash
# Sets up, builds and runs the main job: regentool upgrading the IP of the example project.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
build/release/bin/regentool --help
