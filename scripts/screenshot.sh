#!/usr/bin/env bash
# Takes the picture of the IP upgrade dialog that the README shows: the graphical
# host tsgui opens a copy of the example project under a virtual X server (Xvfb),
# opens the dialog and saves it as docs/ip_upgrade_dialog.png.
#   scripts/screenshot.sh [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-docs/ip_upgrade_dialog.png}")
scripts/setup.sh
scripts/build.sh release
mkdir -p "$(dirname "$output")"
work=$(mktemp -d "${TMPDIR:-/tmp}/tsgui-screenshot.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -R examples/dsp_board "$work/"
xvfb-run -a -s "-screen 0 1280x800x24" \
    build/release/bin/tsgui --project "$work/dsp_board" --screenshot "$output" \
    mdb_dyn_get_ip_regen_dlg
test -s "$output"
echo "Saved $output"
