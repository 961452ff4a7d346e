// Prefix bfu: assignment import and export (the engine and its readers).
// The assignment import engine: imports the assignments of another settings
// file (".tsf", an older ".esf") or of a Comma-Separated Value file (".csv",
// ".tcsv") into the active revision.
//
// An import is all or nothing: the source is read whole and every assignment
// checked before the revision changes; a bad line (named by file and line) or
// an assignment the revision refuses imports nothing and leaves the settings
// file byte-identical. A successful import is committed once, atomically.
#pragma once

#include "acf_file_categories.h"

#include <functional>
#include <list>
#include <string>
#include <vector>

class ACF_MANAGER;

// One assignment of the source, as read.
struct BFU_IMPORT_ITEM {
    ACF_VARIABLE_TYPE_ENUM type = ACF_VARIABLE_TYPE_NONE;
    std::string name; // as the source names the variable, for messages
    std::string entity, section_id, from, to, value, comment;
    bool has_entity = false, has_section_id = false, disabled = false;
    bool is_global() const { return from.empty() && to.empty(); }
};

class BFU_IMPORT_EXPORT {
public:
    explicit BFU_IMPORT_EXPORT(std::string revision);

    // What to import; set directly by the caller.
    bool m_import_global = false;        // global assignments
    bool m_import_instance = false;      // instance assignments
    bool m_import_device = true;         // the device and family
    bool m_import_pins = true;           // assignments to pins (locations)
    bool m_import_back_annotated = true; // back-annotated routing settings
    // Place each instance assignment under every instance of the imported
    // entity in the revision's compiled hierarchy (see set_hpath_filter).
    bool m_promote = false;
    // How: add assignments the revision lacks, overwrite those it has with
    // another value, replace all instance assignments of an imported entity.
    bool m_create_new = true;
    bool m_overwrite = true;
    bool m_replace_entity = false;
    bool m_brackfield_update = false;
    // The source.
    std::string m_source_file;
    bool m_has_source_file = false;

    // A reader of another format (see bfu_foreign_formats.h): it reads the
    // whole source into items, or posts an error naming the file and line and
    // answers false. Empty: the source is a settings or CSV file.
    using READER =
        std::function<bool(std::string const& source, std::vector<BFU_IMPORT_ITEM>* items)>;
    READER m_reader;

    // Only assignments of these file categories (empty: every category).
    void set_assignment_type_filter(std::list<ACF_FILE_CATEGORY_ENUM> const& categories);
    // Limits promotion to the instances whose names below the root (as
    // "u1|fifo") match the glob pattern `wildcard` ("*", "?", "[...]").
    void set_hpath_filter(std::string const& wildcard);

    // Imports from the source file; `region_names` (Brackfield regions of an
    // elaborated project) limit instance assignments to targets inside them.
    // Posts its own messages; true when the revision was changed and committed
    // or had nothing to change.
    bool import(std::vector<std::string> const& region_names);

private:
    // Reads the whole source into `items`; false, with an error naming the
    // file and the line, at the first line that is not an assignment. The
    // revision is locked for writing and stays unchanged.
    bool read_source(ACF_MANAGER* acf_mgr, std::string const& source,
                     std::vector<BFU_IMPORT_ITEM>* items) const;
    // Whether the options and filters take this assignment of the source.
    bool is_wanted(BFU_IMPORT_ITEM const& item, std::vector<std::string> const& region_names) const;
    // Sets one assignment into the revision (with `check_only`, only whether
    // it may be set); false when refused.
    bool apply(ACF_MANAGER* acf_mgr, BFU_IMPORT_ITEM const& item, bool check_only) const;
    // The wanted items with each instance assignment promoted: one copy per
    // instance of the imported entity (the source's top-level entity, else
    // the source file's base name) that the hierarchy path filter takes, its
    // source and target placed under that instance. Without a compiled
    // hierarchy or such an instance, the items stay as written.
    std::vector<BFU_IMPORT_ITEM> promote(std::vector<BFU_IMPORT_ITEM const*> const& wanted,
                                         std::vector<BFU_IMPORT_ITEM> const& items,
                                         std::string const& source) const;

    std::string m_revision;
    std::list<ACF_FILE_CATEGORY_ENUM> m_categories;
    std::string m_hpath_filter;
};

// Posts the error about a source that cannot be imported: "Line <n> of
// <file>: <reason>", or without a line number (0) for the whole file.
void bfu_post_bad_line(std::string const& file, int line, char const* reason);
