# emdb_app.tcl: the stand-in of the external-memory-interface toolkit's
# desktop script. Run by a Tcl shell, it shows its working directory and each
# argument on a line of its own.
puts "emdb_app.tcl: cwd [pwd]"
foreach argument $argv {
    puts "emdb_app.tcl: arg $argument"
}
exit 0
