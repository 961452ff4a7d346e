# Upgrades the IP components of the project and makes a failed upgrade the
# script's exit status: run in this folder, `regentool -t upgrade.tcl` exits 1
# when any component failed (the Plexa system here: only Plexa upgrades it).
package require ::tessaly::ipman
project_open dsp_board
set results [regenerate_ip]
project_close
puts $results
foreach result $results {
    if {[lindex $result 1] ne "Passed"} {
        exit 1
    }
}
