#!/usr/bin/env bash
# Takes the pictures of the dialogs that docs/dialogs.md shows: the graphical host
# tsgui opens a copy of a project under a virtual X server (Xvfb), opens each
# dialog and saves it into the docs folder:
#   ip_upgrade_dialog.png            the IP upgrade dialog on the example project
#   set_companion_revision.png       the companion dialogs on the revision fixture
#   create_companion_revision.png    (revisions of both companion families)
#   revisions_dialog.png             the Revisions dialog on the example project,
#   create_revision.png              its Create Revision dialog (the table's last row)
#   compare_revisions.png            and its Compare Revisions dialog (Compare...) on the
#                                    revision fixture, whose revisions have summaries
#   remove_assignments.png           the Remove Assignments dialog on the example project
#                                    (its hierarchy file allows removing obsolete ones)
#   import_assignments.png           Import Assignments on the example project,
#   assignment_categories.png        its Assignment Categories (Categories...) and
#   advanced_import_settings.png     Advanced Import Settings (Advanced...), opened for a
#                                    region of the compiled design
#   archive_project.png              the archive dialogs on the revision fixture
#   advanced_archive_settings.png
#   restore_archived_project.png
#   archive_handoff.png              (for a restricted customer)
#   customize.png                    the Customize dialog with a file open (two tabs),
#   customize_toolbar.png            its Customize Toolbar dialog (Customize...),
#   new_toolbar.png                  its New Toolbar dialog (New...)
#   select_window.png                the window picker with two files open
#   assignment_groups.png            the Assignment Groups dialog on the generator fixture,
#   create_assignment_group.png      its group-name dialog (Create...)
#   add_members.png                  and its add-names dialog (Add...)
#   generate_tcl_file.png            the Generate Tcl File dialog on the example project
#   boundary_scan_file.png           the boundary-scan file dialog on the launcher fixture
#   timing_model_picker.png          the timing-model picker with the corners a script sets
#   copy_project.png                 Copy Project on the revision fixture
#   archive_progress.png             the progress of Archive, Restore and Copy Project,
#   restore_progress.png             taken while they run on the revision fixture with
#   copy_project_progress.png        1,500 generated design files
#   select_family.png                the family picker, on a machine with three families
#                                    installed, none of them the fixture's
#   select_device.png                the device picker, from the boundary-scan dialog
#   about.png                        About, File > New and Export Database
#   file_new.png
#   export_database.png
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
cp -R tests/sys/mdb/fixtures/gtf_project "$work/"
cp -R tests/sys/mdb/fixtures/tool_project "$work/"
# The toolbars start from their defaults, whatever the user's preferences hold.
export XDG_CONFIG_HOME="$work/config"

# shot <project folder> <picture> <entry point> [tsgui options...]
shot() {
    local project=$1 picture=$2 entry=$3
    shift 3
    xvfb-run -a -s "-screen 0 1280x800x24" \
        build/release/bin/tsgui --project "$work/$project" "$@" --screenshot "$docs/$picture" \
        "$entry"
    test -s "$docs/$picture"
    echo "Saved $docs/$picture"
}
shot dsp_board ip_upgrade_dialog.png mdb_dyn_get_ip_regen_dlg
shot rev_project set_companion_revision.png mdb_dyn_set_companion_revision_dlg
shot rev_project create_companion_revision.png mdb_dyn_create_companion_revision_dlg
shot dsp_board revisions_dialog.png mdb_dyn_get_revisions_dlg
shot dsp_board create_revision.png mdb_dyn_get_revisions_dlg --press "<<new revision>>"
shot rev_project compare_revisions.png mdb_dyn_get_revisions_dlg --press "Compare..."
shot dsp_board remove_assignments.png mdb_ras_dyn_remove_assignment
shot dsp_board import_assignments.png mdb_dyn_import_assignment_dlg
shot dsp_board assignment_categories.png mdb_dyn_import_assignment_dlg_for_bf --arg "fifo_a:rx_fifo" \
    --press "Categories..."
shot dsp_board advanced_import_settings.png mdb_dyn_import_assignment_dlg_for_bf --arg "fifo_a:rx_fifo" \
    --press "Advanced..."
shot rev_project archive_project.png mdb_dyn_archive_dlg
shot rev_project advanced_archive_settings.png mdb_dyn_archive_dlg --press "Advanced..."
shot rev_project restore_archived_project.png mdb_dyn_restore_archive_dlg --arg "$work/rev_project/rev.tsa"
shot rev_project archive_handoff.png mdb_dyn_get_archive_password --arg "" --arg restricted
hdl="$work/dsp_board/hdl"
shot dsp_board customize.png mdb_dyn_customize_dlg --open "$hdl/dsp_board.v"
shot dsp_board customize_toolbar.png mdb_dyn_customize_dlg --open "$hdl/dsp_board.v" \
    --press "Customize..."
shot dsp_board new_toolbar.png mdb_dyn_customize_dlg --press "New..."
shot dsp_board select_window.png mdb_dyn_select_window_dlg --open "$hdl/dsp_board.v" \
    --open "$work/dsp_board/dsp_board.tsf"
shot gtf_project assignment_groups.png mdb_dyn_assignment_groups_dlg --arg g1
shot gtf_project create_assignment_group.png mdb_dyn_assignment_groups_dlg --press "Create..."
shot gtf_project add_members.png mdb_dyn_assignment_groups_dlg --arg g1 --press "Add..."
shot dsp_board generate_tcl_file.png mdb_dyn_start_gtf
shot tool_project boundary_scan_file.png mdb_dyn_bsdl_dlg
printf 'set corner_file_list {{slow_85c 1100mv} {slow_0c 1100mv} {fast_0c 1100mv}}\n' \
    >"$work/corners.tcl"
shot tool_project timing_model_picker.png mdb_dyn_eda_gls_dlg --tcl "$work/corners.tcl"
shot rev_project copy_project.png mdb_dyn_copy_project_dlg
# A project whose archive takes seconds: the progress dialog shows while it runs.
cp -R tests/sys/mdb/fixtures/rev_project "$work/large_project"
mkdir "$work/large_project/hdl"
awk -v d="$work/large_project" 'BEGIN { srand(1); for (i = 0; i < 1500; i++) {
    f = d "/hdl/part" i ".v"
    for (j = 0; j < 700; j++)
        printf "assign w%d = r%d ^ 32%sh%d;\n", int(rand() * 9973), int(rand() * 65521), "\x27",
            int(rand() * 2147483647) > f
    close(f)
    print "set_global_assignment -name VERILOG_FILE hdl/part" i ".v" >> (d "/top.tsf") } }'
shot large_project archive_progress.png mdb_dyn_archive_dlg --press Archive
shot large_project restore_progress.png mdb_dyn_restore_archive_dlg \
    --arg "$work/large_project/rev.tsa" --press OK
shot large_project copy_project_progress.png mdb_dyn_copy_project_dlg --press OK --answer yes
dev_installed_families="Ostrel;Vindal;Pellix II" \
    shot rev_project select_family.png mdb_dyn_validate_family_and_device_settings
shot tool_project select_device.png mdb_dyn_bsdl_dlg --press "Select Device..."
shot rev_project about.png mdb_dyn_about_dlg --arg "Tessaly II"
shot rev_project file_new.png mdb_dyn_file_new_dlg
shot rev_project export_database.png mdb_dyn_export_db_dlg --arg "$work/rev_project/export"
