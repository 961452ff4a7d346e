#include "suite/netlistdb/adb_cdb.h"

ADB_CDB_INTERFACE* get_adb_cdb_interface(char const*, bool, bool, bool) {
    return nullptr;
}

void release_adb_cdb_interface(char const*) {}
