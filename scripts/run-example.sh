#!/usr/bin/env bash
# Sets up, builds and runs the main job: regentool upgrading the IP components of
# the example project. It builds only what that job needs (regentool and the IP
# wizard vestawiz, with their libraries), and works on a copy in a temporary
# folder, so the example in the repository never changes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --parallel "$(nproc)" --target regentool vestawiz
work=$(mktemp -d "${TMPDIR:-/tmp}/regentool-example.XXXXXX")
cp -R examples/dsp_board "$work/"
status=0
build/release/bin/regentool --project_directory="$work/dsp_board" || status=$?
echo "The upgraded copy of the example project is in $work/dsp_board"
exit "$status"
