// Prefix adb_cdb: the netlist and compiler database.
// The netlist and compiler database as the user interface asks it whether
// netlist changes wait for a check and save. This installation carries no
// netlist database: no interface is ever lent, and callers go on as they do
// without one.
#pragma once

class ADB_CDB_INTERFACE {
public:
    virtual ~ADB_CDB_INTERFACE() = default;
    // Whether netlist changes wait for a check and save.
    virtual bool is_check_and_save_needed() const = 0;
};

// The interface lent to `client` (null: none here); give it back with
// release_adb_cdb_interface under the same client name.
ADB_CDB_INTERFACE* get_adb_cdb_interface(char const* client, bool read_netlist, bool read_cdb,
                                         bool lock);
void release_adb_cdb_interface(char const* client);
