#include "sys/mdb/mdb_assignment_groups_settings.h"

#include "sys/mdb/mdb.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"

#include <algorithm>
#include <unordered_map>

namespace {

// The values of one kind of every group's assignments, per group in the
// order found; one walk of the revision for all the groups.
std::vector<std::vector<std::string>> read_values(ACF_MANAGER* acf_mgr,
                                                  std::vector<std::string> const& groups,
                                                  ACF_VARIABLE_TYPE_ENUM variable) {
    ACF_MGR_INPUT_PARAMETERS query;
    query.set_variable_type(variable);
    std::vector<ACF_REVISION_MANAGER::ASSIGNMENT_LIST> found;
    acf_mgr->get_global_assignment_colls(&query, groups, &found);
    std::vector<std::vector<std::string>> values(groups.size());
    for (size_t group = 0; group < found.size() && group < groups.size(); ++group) {
        for (ACF_ASSIGNMENT* asgn : found[group]) {
            char const* value = asgn != nullptr ? asgn->get_value(false) : nullptr;
            if (value != nullptr) {
                values[group].emplace_back(value);
            }
        }
    }
    return values;
}

// Every group as the settings hold it; the caller holds a lock.
std::vector<MDB_TIME_GROUP> read_groups(ACF_MANAGER* acf_mgr) {
    ACF_MANAGER::STRING_LIST listed;
    acf_mgr->get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ASSIGNMENT_GROUP, &listed,
                                             "");
    std::vector<std::string> const names(listed.begin(), listed.end());
    std::vector<std::vector<std::string>> members =
        read_values(acf_mgr, names, ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER);
    std::vector<std::vector<std::string>> exceptions =
        read_values(acf_mgr, names, ACF_VARIABLE_TYPE_TIMEGROUP_EXCEPTION);
    std::vector<MDB_TIME_GROUP> groups;
    for (size_t i = 0; i < names.size(); ++i) {
        groups.push_back({names[i], std::move(members[i]), std::move(exceptions[i])});
    }
    return groups;
}

void fill_query(ACF_MGR_INPUT_PARAMETERS* query, std::string const& group,
                ACF_VARIABLE_TYPE_ENUM variable, std::string const& value) {
    query->reset();
    query->set_section_identifier(group.c_str());
    query->set_value_string(value.c_str());
    query->set_variable_type(variable);
}

// Calls `act` for every assignment that `groups` make, members first in
// each group; stops at the first false.
template <class ACT> bool for_each_assignment(std::vector<MDB_TIME_GROUP> const& groups, ACT act) {
    for (MDB_TIME_GROUP const& group : groups) {
        for (std::string const& member : group.members) {
            if (!act(group.name, ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER, member)) {
                return false;
            }
        }
        for (std::string const& exception : group.exceptions) {
            if (!act(group.name, ACF_VARIABLE_TYPE_TIMEGROUP_EXCEPTION, exception)) {
                return false;
            }
        }
    }
    return true;
}

// The groups of `these` that `those` do not hold as they are. Each group is
// looked for among those of its name only: a search of every group per group
// made OK on many groups quadratic.
std::vector<MDB_TIME_GROUP> groups_not_in(std::vector<MDB_TIME_GROUP> const& these,
                                          std::vector<MDB_TIME_GROUP> const& those) {
    std::unordered_multimap<std::string, MDB_TIME_GROUP const*> by_name;
    by_name.reserve(those.size());
    for (MDB_TIME_GROUP const& group : those) {
        by_name.emplace(group.name, &group);
    }
    std::vector<MDB_TIME_GROUP> found;
    for (MDB_TIME_GROUP const& group : these) {
        auto named = by_name.equal_range(group.name);
        if (std::none_of(named.first, named.second,
                         [&](auto const& entry) { return *entry.second == group; })) {
            found.push_back(group);
        }
    }
    return found;
}

} // namespace

bool mdb_time_groups_read(std::vector<MDB_TIME_GROUP>* groups) {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("acf_mgr != NULL");
        return false;
    }
    if (!acf_mgr->read_lock()) {
        return false;
    }
    *groups = read_groups(acf_mgr);
    acf_mgr->read_unlock();
    return true;
}

MDB_TIME_GROUPS_WRITE_RESULT mdb_time_groups_write(std::vector<MDB_TIME_GROUP> const& loaded,
                                                   std::vector<MDB_TIME_GROUP> const& groups,
                                                   std::vector<std::string> const& deleted,
                                                   std::string* illegal) {
    // Only the groups that differ from what was loaded are written: an
    // unchanged group keeps its lines as they stand, quotes and all.
    std::vector<MDB_TIME_GROUP> removed = groups_not_in(loaded, groups);
    std::vector<MDB_TIME_GROUP> added = groups_not_in(groups, loaded);
    if (removed.empty() && added.empty() && deleted.empty()) {
        return MDB_TIME_GROUPS_WRITTEN;
    }
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (acf_mgr == nullptr) {
        MDB_INTERNAL_ERROR("acf_mgr != NULL");
        return MDB_TIME_GROUPS_LOCKED;
    }
    // Taking the write lock reads the settings file again when it changed on
    // disk (by its nanosecond time, size and inode), so the groups read now
    // are those a write would replace.
    if (!acf_mgr->write_lock(true)) {
        return MDB_TIME_GROUPS_LOCKED;
    }
    if (read_groups(acf_mgr) != loaded) {
        acf_mgr->write_unlock(false);
        return MDB_TIME_GROUPS_CHANGED_OUTSIDE;
    }
    ACF_MGR_INPUT_PARAMETERS query;
    bool legal = for_each_assignment(added, [&](std::string const& group,
                                                ACF_VARIABLE_TYPE_ENUM variable,
                                                std::string const& value) {
        fill_query(&query, group, variable, value);
        // One already set is legal too: it is the one set again.
        if (acf_mgr->is_legal_global_assignment(&query) ||
            acf_mgr->get_last_error_status() == ACF_REVISION_MANAGER::DUPLICATE_FOUND) {
            return true;
        }
        *illegal = (variable == ACF_VARIABLE_TYPE_TIMEGROUP_MEMBER ? "member \"" : "exception \"") +
                   value + "\" of assignment group \"" + group + "\"";
        return false;
    });
    if (!legal) {
        acf_mgr->write_unlock(false);
        return MDB_TIME_GROUPS_ILLEGAL;
    }
    // Removed together: one removal per assignment walked every assignment
    // of its kind, which made OK after deleting many groups quadratic.
    std::vector<ACF_MGR_INPUT_PARAMETERS> removals;
    for_each_assignment(removed, [&](std::string const& group, ACF_VARIABLE_TYPE_ENUM variable,
                                     std::string const& value) {
        fill_query(&query, group, variable, value);
        removals.push_back(query);
        return true;
    });
    acf_mgr->remove_global_assignments(removals);
    for_each_assignment(added, [&](std::string const& group, ACF_VARIABLE_TYPE_ENUM variable,
                                   std::string const& value) {
        fill_query(&query, group, variable, value);
        acf_mgr->set_global_assignment(&query);
        return true;
    });
    for (std::string const& name : deleted) {
        acf_mgr->remove_instance_assignments(name.c_str(), nullptr);
        acf_mgr->remove_instance_assignments(nullptr, name.c_str());
    }
    acf_mgr->write_unlock(true);
    return MDB_TIME_GROUPS_WRITTEN;
}
