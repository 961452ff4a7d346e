// Prefix dbmui: the database manager's user-interface side.
// The database-manager registry of the user interface: it lends the compiled
// design hierarchy of the open revision to the dialogs and the IP manager.
//
// The registry does not know the settings library; that library tells it
// which revision is open through a hook it sets when it is loaded.
#pragma once

#include <functional>
#include <string>

class HDB_CMP_ACTION_PT_INSTANCE;

class DBMUI_MANAGER {
public:
    // The process's registry (`id` is reserved and must be 0); never null.
    static DBMUI_MANAGER* get_dbmui_manager(int id);

    // Borrows the hierarchy of the open revision ("db/<revision>.hier" in the
    // project folder), read afresh; null without an open revision, without a
    // hierarchy file or with one that does not parse (a warning names the
    // file). `requester` names the caller in the debug trace; `file_type` 0 is
    // the compiled design. Give it back with unget_hdb_cmp_action_pt_instance.
    HDB_CMP_ACTION_PT_INSTANCE* get_hdb_cmp_action_pt_instance(char const* requester, int file_type,
                                                               bool create, char const* name);
    // Gives a borrowed hierarchy back and sets the caller's pointer to null.
    void unget_hdb_cmp_action_pt_instance(HDB_CMP_ACTION_PT_INSTANCE** cap, char const* requester);
    // How many hierarchies are lent and not yet given back.
    int get_lent_count() const { return m_lent; }

private:
    int m_lent = 0;
};

// Set by the settings library: the open revision's name ("" when none).
void dbmui_set_active_revision_hook(std::function<std::string()> hook);
