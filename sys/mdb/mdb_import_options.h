// What an assignment import takes and how, without widgets: the kinds of
// source the import dialog tells apart, the defaults of each kind, which of
// the dialog's buttons a kind offers, the import engine's options, and the
// source path of a typed name.
#pragma once

#include "acf_file_categories.h"

#include <list>
#include <string>

class BFU_IMPORT_EXPORT;

// The kinds of assignments an import takes.
struct MDB_IMPORT_TYPE {
    bool global = false;        // global assignments
    bool instance = true;       // instance assignments
    bool pins = true;           // all assignments to pins
    bool back_annotated = true; // back-annotated routing
    bool promote = true;        // to all instances of the entity
    std::string wildcard;       // limits promotion to matching instances
};

// What the import takes from where.
enum MDB_IMPORT_MODE {
    MDB_IMPORT_MODE_INSTANCE = 0, // instance assignments from a lower-level entity
    MDB_IMPORT_MODE_ENTITY = 1,   // entity assignments from a lower-level entity
    MDB_IMPORT_MODE_GLOBAL = 2,   // global assignments from another project
};

struct MDB_IMPORT_OPTIONS {
    int mode = MDB_IMPORT_MODE_INSTANCE;
    bool create_new = false;        // imported assignments the revision lacks are added
    bool overwrite = false;         // imported assignments overwrite conflicting ones
    bool replace_entity = false;    // imported entity assignments replace the current ones
    bool brackfield_update = false; // no control sets it
    MDB_IMPORT_TYPE types;
};

// The kind of a source file: the file library's extension type of a settings
// file (FIO_EXTENSION_TYPE_TSF), an older entity settings file (_ESF), a
// Comma-Separated Value file (_CSV, _TCSV) or a Varnett II file (_VARNETT2);
// 0 for any other. FX, SDC and EXP files are kind 0 with their own flag.
struct MDB_IMPORT_SOURCE {
    int kind = 0;
    bool fx = false;
    bool sdc = false;
    bool exp = false; // only while ORCAD EXP import is switched on
};
MDB_IMPORT_SOURCE mdb_import_classify(std::string const& file_name, bool exp_import_on);
bool mdb_import_is_csv(int kind);

// The options a kind starts with; a region import (`file_mode` false) has its
// own. Varnett II and other kinds keep the options as they are.
void mdb_import_reset_defaults(int kind, bool file_mode, bool elaborated,
                               MDB_IMPORT_OPTIONS* options);

// Which buttons of the import dialog a source offers.
struct MDB_IMPORT_CONTROLS {
    bool categories = false;
    bool advanced = false;
    bool ok = false;
};
MDB_IMPORT_CONTROLS mdb_import_controls(bool file_mode, MDB_IMPORT_SOURCE const& source);

// The category table: entry i (1 to 19) holds i when file category i is to be
// imported, ACF_FILE_CATEGORY_NONE when not; entry 0 is not used.
enum { MDB_IMPORT_CATEGORY_TABLE_SIZE = 20 };
std::list<ACF_FILE_CATEGORY_ENUM> mdb_import_category_filter(ACF_FILE_CATEGORY_ENUM const* table);

// Sets the import engine's options for an import through it (settings, older
// settings, CSV or regions). Options a mode does not name keep the engine's own.
void mdb_import_set_engine_options(BFU_IMPORT_EXPORT* engine, MDB_IMPORT_OPTIONS const& options,
                                   int kind, bool elaborated, ACF_FILE_CATEGORY_ENUM const* table,
                                   bool device_import);

// The file a typed name stands for: a name without directory lies in the
// project directory; any other name is taken as typed.
std::string mdb_import_source_path(std::string const& file_name, std::string const& project_dir);
