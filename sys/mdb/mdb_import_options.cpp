#include "sys/mdb/mdb_import_options.h"

#include "services/asgnimport/bfu_import_export.h"
#include "suite/fileio/fio.h"
#include "sys/mdb/mdb.h"

#include <strings.h>

namespace {
// Whether a path's extension (without its dot) is `wanted`, ignoring case.
bool has_extension(FIO_PATH const& path, char const* wanted) {
    std::string extension = path.extension();
    return extension.size() > 1 && strcasecmp(extension.c_str() + 1, wanted) == 0;
}
} // namespace

bool mdb_import_is_csv(int kind) {
    return kind == FIO_EXTENSION_TYPE_CSV || kind == FIO_EXTENSION_TYPE_TCSV;
}

MDB_IMPORT_SOURCE mdb_import_classify(std::string const& file_name, bool exp_import_on) {
    MDB_IMPORT_SOURCE source;
    FIO_PATH path(file_name);
    if (has_extension(path, "fx")) {
        source.fx = true;
    } else if (has_extension(path, "sdc")) {
        source.sdc = true;
    } else if (exp_import_on && has_extension(path, "exp")) {
        source.exp = true;
    } else if (path.extension().size() > 3) { // at least three characters after the dot
        int kind = fio_get_extension_type(file_name);
        if (kind == FIO_EXTENSION_TYPE_TSF || kind == FIO_EXTENSION_TYPE_ESF ||
            kind == FIO_EXTENSION_TYPE_VARNETT2 || mdb_import_is_csv(kind)) {
            source.kind = kind;
        }
    }
    return source;
}

void mdb_import_reset_defaults(int kind, bool file_mode, bool elaborated,
                               MDB_IMPORT_OPTIONS* options) {
    MDB_IMPORT_OPTIONS defaults;
    if (!file_mode || kind == FIO_EXTENSION_TYPE_TSF) {
        defaults.create_new = true;
        defaults.overwrite = true;
        defaults.types.promote = !file_mode || elaborated;
    } else if (kind == FIO_EXTENSION_TYPE_ESF) {
        defaults.mode = MDB_IMPORT_MODE_ENTITY;
        defaults.replace_entity = true;
        defaults.types = {false, false, false, false, false, ""};
    } else if (mdb_import_is_csv(kind)) {
        defaults.create_new = true;
        defaults.overwrite = true;
        defaults.types = {false, false, false, false, false, ""};
    } else {
        return;
    }
    *options = defaults;
}

MDB_IMPORT_CONTROLS mdb_import_controls(bool file_mode, MDB_IMPORT_SOURCE const& source) {
    if (!file_mode) {
        return {true, true, true};
    }
    if (source.fx || source.sdc) {
        return {false, false, true};
    }
    if (source.exp) {
        return {false, true, true};
    }
    if (source.kind == FIO_EXTENSION_TYPE_TSF) {
        return {true, true, true};
    }
    if (source.kind == FIO_EXTENSION_TYPE_VARNETT2) {
        return {true, false, true};
    }
    if (source.kind == FIO_EXTENSION_TYPE_ESF || mdb_import_is_csv(source.kind)) {
        return {false, true, true};
    }
    return {false, false, false};
}

std::list<ACF_FILE_CATEGORY_ENUM> mdb_import_category_filter(ACF_FILE_CATEGORY_ENUM const* table) {
    std::list<ACF_FILE_CATEGORY_ENUM> categories;
    for (int i = 1; i < MDB_IMPORT_CATEGORY_TABLE_SIZE; ++i) {
        if (table[i] != ACF_FILE_CATEGORY_NONE) {
            categories.push_back(table[i]);
        }
    }
    return categories;
}

void mdb_import_set_engine_options(BFU_IMPORT_EXPORT* engine, MDB_IMPORT_OPTIONS const& options,
                                   int kind, bool elaborated, ACF_FILE_CATEGORY_ENUM const* table,
                                   bool device_import) {
    MDB_IMPORT_TYPE const& types = options.types;
    if (options.mode == MDB_IMPORT_MODE_GLOBAL) {
        engine->m_import_global = true;
    } else if (options.mode == MDB_IMPORT_MODE_ENTITY) {
        engine->m_import_instance = true;
        engine->m_replace_entity = options.replace_entity;
        engine->m_brackfield_update = options.brackfield_update;
        if (kind == FIO_EXTENSION_TYPE_TSF) {
            engine->set_assignment_type_filter(mdb_import_category_filter(table));
            engine->m_import_device = device_import;
        }
    } else if (mdb_import_is_csv(kind)) {
        engine->m_import_instance = true;
    } else {
        engine->m_import_instance = types.instance;
        engine->set_assignment_type_filter(mdb_import_category_filter(table));
        engine->m_import_device = device_import;
        engine->m_import_global = types.global;
        if (types.instance) {
            engine->m_import_pins = types.pins;
            engine->m_import_back_annotated = types.back_annotated;
            if (elaborated) {
                engine->m_promote = types.promote;
            } else {
                mdb_msg_debug("elaboration is not done, do not check promotion status.");
            }
            if (types.promote && elaborated && !types.wildcard.empty()) {
                engine->set_hpath_filter(types.wildcard);
            }
        }
        engine->m_replace_entity = options.replace_entity;
        engine->m_brackfield_update = options.brackfield_update;
    }
    engine->m_create_new = options.create_new;
    engine->m_overwrite = options.overwrite;
    mdb_msg_debug("import global %d, instance %d, device %d, pins %d, back-annotated %d, promote "
                  "%d, create new %d, overwrite %d, replace entity %d",
                  engine->m_import_global, engine->m_import_instance, engine->m_import_device,
                  engine->m_import_pins, engine->m_import_back_annotated, engine->m_promote,
                  engine->m_create_new, engine->m_overwrite, engine->m_replace_entity);
}

std::string mdb_import_source_path(std::string const& file_name, std::string const& project_dir) {
    FIO_PATH typed(file_name);
    if (!typed.directory().empty()) {
        return file_name;
    }
    return FIO_PATH(project_dir, file_name).path();
}
