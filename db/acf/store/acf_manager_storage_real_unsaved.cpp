// This process's unsaved changes of a revision, kept across a re-read of its
// settings file: another process may have committed the same revision since it
// was read, and a re-read must take in that process's changes without losing
// the ones made here.
#include "store/acf_manager_storage_real.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "mem_manager.h"
#include "records/acf_asgn_storage.h"

MEM_UNIT_INITIALIZER(ACF);

void ACF_MANAGER_STORAGE_REAL::collect_unsaved_changes(UNSAVED_CHANGES* out) {
    if (!ACF_REQUIRE(out != NULL) || !ACF_REQUIRE(m_asgn_storage != NULL)) {
        return;
    }
    ACF_ASGN_SEARCH_FILTER const any;
    ASSIGNMENT_LIST all;
    m_asgn_storage->get_all_assignments(any, true, true, true, true, true, &all);
    for (ACF_ASSIGNMENT const* asgn : all) {
        if (!asgn->has_changed() || asgn->is_transient()) {
            continue;
        }
        ACF_MGR_UNSAVED_CHANGE& change = out->emplace_back();
        asgn->fill_in_input_parameter(&change.params);
        change.removed = asgn->is_removed();
        change.global = asgn->is_global();
        change.freeform = asgn->is_freeform();
        change.ignored = asgn->is_ignored();
        change.comment = asgn->get_comments();
    }
}

void ACF_MANAGER_STORAGE_REAL::reapply_unsaved_changes(UNSAVED_CHANGES& changes) {
    for (ACF_MGR_UNSAVED_CHANGE& change : changes) {
        if (change.removed) {
            ASSIGNMENT_LIST removed;
            remove_assignment(&change.params, change.global, change.freeform, &removed);
            for (ACF_ASSIGNMENT* asgn : removed) {
                asgn->set_changed_status(true);
            }
            continue;
        }
        ACF_SET_ASSIGNMENT_OPTIONS set;
        set.is_global = change.global;
        set.is_freeform = change.freeform;
        set.mark_changed = true;
        set.always_new = true;
        set.equal_value_takes_default_status = true;
        ACF_ASSIGNMENT* asgn = set_assignment(&change.params, set);
        if (asgn != nullptr) {
            asgn->set_comment(change.comment.empty() ? nullptr : change.comment.c_str());
            asgn->set_ignore_status(change.ignored);
            asgn->set_changed_status(true);
        }
    }
}
