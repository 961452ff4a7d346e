#!/usr/bin/env bash
# Takes the pictures of the dialogs that the README shows: the graphical host
# tsgui opens a copy of a project under a virtual X server (Xvfb), opens each
# dialog and saves it into the docs folder:
#   ip_upgrade_dialog.png            the IP upgrade dialog on the example project
#   set_companion_revision.png       the companion dialogs on the revision fixture
#   create_companion_revision.png    (revisions of both companion families)
#   scripts/screenshot.sh [docs folder]
set -euo pipefail
cd "$(dirname "$0")/.."
docs=$(realpath -m "${1:-docs}")
scripts/setup.sh
scripts/build.sh release
mkdir -p "$docs"
work=$(mktemp -d "${TMPDIR:-/tmp}/tsgui-screenshot.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -R examples/dsp_board "$work/"
cp -R tests/sys/mdb/fixtures/rev_project "$work/"

# shot <project folder> <picture> <entry point>
shot() {
    xvfb-run -a -s "-screen 0 1280x800x24" \
        build/release/bin/tsgui --project "$work/$1" --screenshot "$docs/$2" "$3"
    test -s "$docs/$2"
    echo "Saved $docs/$2"
}
shot dsp_board ip_upgrade_dialog.png mdb_dyn_get_ip_regen_dlg
shot rev_project set_companion_revision.png mdb_dyn_set_companion_revision_dlg
shot rev_project create_companion_revision.png mdb_dyn_create_companion_revision_dlg
