#!/usr/bin/env bash
# Sets up, builds and runs the main job: regentool upgrading the IP components of
# the example project. It builds only what that job needs (regentool and the IP
# wizard vestawiz, with their libraries), and works on a copy in a temporary
# folder, so the example in the repository never changes.
#
# Usage: scripts/run-example.sh    (no arguments; --help prints this)
set -euo pipefail
usage() {
    echo "Usage: scripts/run-example.sh"
    echo "Installs what is missing, builds regentool and vestawiz, and upgrades a copy of"
    echo "examples/dsp_board in a temporary folder; exits with regentool's status."
}
case "${1:-}" in
"") ;;
-h | --help) usage; exit 0 ;;
*) echo "run-example.sh: unknown argument $1" >&2; usage >&2; exit 2 ;;
esac
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
