// Removal of whole groups of assignments and the collection-wide queries.
// Each bulk removal chooses its live assignments first, in key order (by a
// walk of the key index, or for the instance assignments of a name through
// the slots by target and by source), and then removes them one by one, so
// that an assignment already removed (also by the cascade of an IP file) is
// neither listed nor counted down a second time.
#include "records/acf_asgn_storage.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "mem_manager.h"

#include "suite/general/gen.h"

#include <algorithm>

MEM_UNIT_INITIALIZER(ACF);

template <class SELECT>
void ACF_ASGN_STORAGE::remove_selected(KEY_RANGE const& range, SELECT select,
                                       ACF_ASSIGNMENT_LIST* coll) {
    std::vector<ACF_ASSIGNMENT*> selected;
    walk_keys(range, [&](ACF_ASSIGNMENT* asgn) {
        if (!asgn->is_removed() && select(*asgn)) {
            selected.push_back(asgn);
        }
        return true;
    });
    remove_chosen(selected, coll);
}

void ACF_ASGN_STORAGE::remove_chosen(std::vector<ACF_ASSIGNMENT*> const& chosen,
                                     ACF_ASSIGNMENT_LIST* coll) {
    for (ACF_ASSIGNMENT* asgn : chosen) {
        if (asgn->is_removed()) {
            continue;
        }
        if (coll != nullptr) {
            coll->push_back(asgn);
        }
        remove_one(asgn);
    }
}

void ACF_ASGN_STORAGE::remove_all_assignments() {
    if (!have_manager_storage()) {
        return;
    }
    std::vector<ACF_ASSIGNMENT*> selected;
    walk_keys(whole_key_index(), [&](ACF_ASSIGNMENT* asgn) {
        if (!asgn->is_removed() && !asgn->is_default_value()) {
            selected.push_back(asgn);
        }
        return true;
    });
    for (ACF_ASSIGNMENT* asgn : selected) {
        if (asgn->is_removed()) {
            continue;
        }
        asgn->set_remove_status(true);
        asgn->set_changed_status(true);
        // Every file an IP file brought is removed here in its own turn, so
        // no IP file needs to look for its files: that search, once per IP
        // file, made a re-read of a revision with many IP files quadratic.
        remove_assignment_from_maps(asgn, false);
    }
}

void ACF_ASGN_STORAGE::remove_instance_assignments(char const* target, char const* source,
                                                   ACF_ASSIGNMENT_LIST* coll) {
    if (!ACF_REQUIRE(coll != NULL) || !have_manager_storage()) {
        return;
    }
    std::string cleaned_target;
    std::string cleaned_source;
    acf_source_target_cleanup(target, &cleaned_target);
    acf_source_target_cleanup(source, &cleaned_source);
    if (cleaned_target.empty() && cleaned_source.empty()) {
        return;
    }
    // The assignments placed on the target (or, with none, from the source),
    // in key order.
    bool const by_source = cleaned_target.empty();
    std::vector<uint32_t> slots = placed_on(by_source ? cleaned_source : cleaned_target, by_source);
    std::sort(slots.begin(), slots.end(), BY_KEY_ORDER{this});
    std::vector<ACF_ASSIGNMENT*> chosen;
    for (uint32_t slot : slots) {
        ACF_ASSIGNMENT* asgn = m_slots[slot].asgn;
        if (!asgn->is_removed() &&
            (cleaned_source.empty() || cleaned_source == asgn->get_source())) {
            chosen.push_back(asgn);
        }
    }
    remove_chosen(chosen, coll);
}

std::vector<uint32_t> const& ACF_ASGN_STORAGE::placed_on(std::string const& text, bool source) {
    if (!m_placed_built) {
        for (uint32_t slot = 0; slot < m_slots.size(); ++slot) {
            ACF_ASSIGNMENT const* asgn = m_slots[slot].asgn;
            if (asgn != nullptr) {
                m_placed_on_target[asgn->get_target()].push_back(slot);
                m_placed_on_source[asgn->get_source()].push_back(slot);
            }
        }
        m_placed_built = true;
    }
    PLACED const& placed = source ? m_placed_on_source : m_placed_on_target;
    static std::vector<uint32_t> const none;
    auto found = placed.find(text);
    return found != placed.end() ? found->second : none;
}

void ACF_ASGN_STORAGE::forget_placements() {
    if (m_placed_built) {
        m_placed_on_target = PLACED();
        m_placed_on_source = PLACED();
        m_placed_built = false;
    }
}

void ACF_ASGN_STORAGE::remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM category,
                                                              ACF_ASSIGNMENT_LIST* coll) {
    if (!ACF_REQUIRE(coll != NULL) || !have_manager_storage()) {
        return;
    }
    remove_selected(
        whole_key_index(),
        [&](ACF_ASSIGNMENT const& asgn) {
            return asgn.is_valid_for_ase_category(category) && !asgn.is_default_value() &&
                   !asgn.test_trait_of(ACF_VARIABLE_TRAIT_TYPE_VARIABLE_VALUE_CANNOT_BE_CHANGED);
        },
        coll);
}

void ACF_ASGN_STORAGE::remove_all_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type,
                                                      ACF_ASSIGNMENT_LIST* coll, bool global,
                                                      bool instance) {
    if (!have_manager_storage() || type == ACF_VARIABLE_TYPE_NONE ||
        acf_test_variable_trait_of(type,
                                   ACF_VARIABLE_TRAIT_TYPE_VARIABLE_VALUE_CANNOT_BE_CHANGED)) {
        return;
    }
    remove_selected(
        variable_key_range(type, false),
        [&](ACF_ASSIGNMENT const& asgn) {
            return asgn.get_type() == type && !asgn.is_default_value() &&
                   (asgn.is_global() ? global : instance);
        },
        coll);
}

void ACF_ASGN_STORAGE::get_removed_assignments(ACF_ASSIGNMENT_LIST* coll) {
    if (!ACF_REQUIRE(coll != NULL)) {
        return;
    }
    for (ACF_ASSIGNMENT* asgn : removed_in_keys("", true)) {
        coll->push_back(asgn);
    }
}

void ACF_ASGN_STORAGE::get_list_of_current_entity_names(std::list<std::string>* names) const {
    if (names == nullptr) {
        return;
    }
    for (auto const& count : m_entity_name_counts) {
        names->push_back(count.first);
    }
}

bool ACF_ASGN_STORAGE::have_any_assignments_changed() const {
    return !m_changed.empty();
}

void ACF_ASGN_STORAGE::clear_changed_status_of_all_assignments() {
    // Each clearing takes the assignment out of the set: clear a copy.
    std::vector<ACF_ASSIGNMENT*> const changed(m_changed.begin(), m_changed.end());
    for (ACF_ASSIGNMENT* asgn : changed) {
        asgn->set_changed_status(false);
    }
}
