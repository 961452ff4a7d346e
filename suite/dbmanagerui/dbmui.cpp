#include "suite/dbmanagerui/dbmui.h"

#include "suite/general/gen.h"
#include "suite/hierdb/hdb.h"
#include "suite/messages/msg.h"

namespace {
std::function<std::string()>& active_revision_hook() {
    static std::function<std::string()> hook;
    return hook;
}
} // namespace

void dbmui_set_active_revision_hook(std::function<std::string()> hook) {
    active_revision_hook() = std::move(hook);
}

DBMUI_MANAGER* DBMUI_MANAGER::get_dbmui_manager(int /*id*/) {
    static DBMUI_MANAGER manager;
    return &manager;
}

HDB_CMP_ACTION_PT_INSTANCE* DBMUI_MANAGER::get_hdb_cmp_action_pt_instance(char const* requester,
                                                                          int file_type,
                                                                          bool /*create*/,
                                                                          char const* /*name*/) {
    std::string revision = active_revision_hook() ? active_revision_hook()() : std::string();
    if (revision.empty() || gen_get_project_dir_path().empty()) {
        return nullptr;
    }
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap =
        HDB_CMP_ACTION_PT_INSTANCE::read_pdb(gen_get_db_dir_full_name(), revision, file_type);
    if (cap == nullptr) {
        return nullptr;
    }
    ++m_lent;
    msg_local_debug("DBMUI", MSG_D_LEVEL_2, "hierarchy of %s lent to %s", revision.c_str(),
                    requester != nullptr ? requester : "");
    return cap.release();
}

void DBMUI_MANAGER::unget_hdb_cmp_action_pt_instance(HDB_CMP_ACTION_PT_INSTANCE** cap,
                                                     char const* /*requester*/) {
    if (cap == nullptr || *cap == nullptr) {
        return;
    }
    delete *cap;
    *cap = nullptr;
    --m_lent;
}
