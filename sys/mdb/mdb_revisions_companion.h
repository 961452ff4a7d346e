// What the two companion-revision dialogs decide without a widget: the family
// pairs, the proposed companion name, the candidates of the paired family,
// the check of a typed companion name, and the active revision's settings
// they start from.
#pragma once

#include "suite/devicedb/dev.h"
#include "sys/mdb/mdb_revisions_settings.h"

#include <list>
#include <string>

// The paired family of a companion-capable family (6 and 29, 49 and 31, 50
// and 30, both ways); DEV_FAMILY_INVALID for any other family.
DEV_FAMILY_ENUM mdb_companion_family(DEV_FAMILY_ENUM family);

// The active revision's name with the suffix of its family: "_s" for the
// structured-ASIC families 29, 30 and 31, "_lm" for 6, 49 and 50.
std::string mdb_proposed_companion_name(std::string const& revision, DEV_FAMILY_ENUM family);

// The settings of the active revision that the companion dialogs read.
struct MDB_COMPANION_SETTINGS {
    std::string family;         // FAMILY
    std::string companion;      // COMPANION_REVISION_NAME
    std::string device;         // DEVICE
    std::string migration_list; // DEVICE_TECHNOLOGY_MIGRATION_LIST
};
// MDB_SETTINGS_READ_NO_FILE when no project is open, MDB_SETTINGS_READ_REFUSED
// when the read lock was refused.
MDB_SETTINGS_READ_ENUM mdb_read_companion_settings(MDB_COMPANION_SETTINGS* out);
// Where both entry points start: the settings and the family of the active
// revision. False, with no dialog to show, when no project is open, the
// family is unknown or has no pair, or the settings could not be had (then
// after ACF_ERROR).
bool mdb_read_companion_family(MDB_COMPANION_SETTINGS* out, DEV_FAMILY_ENUM* family);

// The revisions of the project, other than the active one, whose family is
// `paired`; a revision whose companion setting names the active revision goes
// to the front, the others follow in project order. False when the settings
// could not be had (a lock refused), which is not the same as no candidate; a
// revision whose settings file cannot be read is left out.
bool mdb_find_companion_candidates(DEV_FAMILY_ENUM paired, std::list<std::string>* out);

// The check of the create dialog's OK on a new companion name.
enum MDB_COMPANION_NAME_CHECK_ENUM {
    MDB_COMPANION_NAME_OK = 0,
    MDB_COMPANION_NAME_EMPTY = 1,
    MDB_COMPANION_NAME_IS_ACTIVE = 2, // the active revision's name, in any case
    MDB_COMPANION_NAME_ILLEGAL = 3,   // `refused` names the refused characters
    MDB_COMPANION_NAME_EXISTS = 4,    // a listed revision or an existing settings file
};
// The refused characters are named once each, in the order found and
// separated by blanks: white space by name ("blank", "tab", "line break"),
// the others as they are.
MDB_COMPANION_NAME_CHECK_ENUM mdb_check_companion_name(std::string const& name,
                                                       std::string* refused);

// The characters a revision name typed into a dialog must not hold.
bool mdb_is_illegal_revision_name_character(char c);
