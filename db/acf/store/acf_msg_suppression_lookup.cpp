#include "acf_msg_suppression_lookup.h"

#include "acf_assignment.h"
#include "acf_manager.h"
#include "acf_mgr_input_parameters.h"
#include "mem_manager.h"

#include <algorithm>
#include <cstdlib>
#include <list>

MEM_UNIT_INITIALIZER(ACF);

namespace {

enum class READ { NO_PROJECT, LOCK_REFUSED, DONE };

unsigned int message_id_of(ACF_ASSIGNMENT const* asgn) {
    return static_cast<unsigned int>(std::atoi(asgn->get_value(false)));
}

// The ids named by the open project's MESSAGE_DISABLE settings: global ones, or
// those placed on instances. The values are read while the read lock is held,
// since the assignments may go away once it is released.
READ read_disabled_ids(bool global, std::vector<unsigned int>* ids) {
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (manager == nullptr || !manager->is_project_open()) {
        return READ::NO_PROJECT;
    }
    // A lock already held (messages are made while their caller works under
    // it) is not nested: that would reset the holder's search filters and
    // synchronise the revision in the middle of its work.
    if (manager->is_read_locked() || manager->is_write_locked() || !manager->read_lock()) {
        return READ::LOCK_REFUSED;
    }
    std::list<ACF_ASSIGNMENT*> assignments;
    if (global) {
        ACF_MGR_INPUT_PARAMETERS params;
        params.set_variable_type(ACF_VARIABLE_TYPE_MESSAGE_DISABLE);
        manager->get_global_assignment_coll(&params, &assignments, false);
    } else {
        manager->get_instance_assignment_coll(nullptr, &assignments);
    }
    for (ACF_ASSIGNMENT const* asgn : assignments) {
        if (asgn->get_type() == ACF_VARIABLE_TYPE_MESSAGE_DISABLE) {
            ids->push_back(message_id_of(asgn));
        }
    }
    manager->read_unlock();
    return READ::DONE;
}

// Hands each id to the index's check; posts what it rejects. False when any
// was rejected.
template <class CHECK> bool check_ids(std::vector<unsigned int> const& ids, CHECK check) {
    bool accepted = true;
    for (unsigned int id : ids) {
        if (MSG_POST* message = check(id)) {
            message->post();
            delete message;
            accepted = false;
        }
    }
    return accepted;
}

} // namespace

ACF_MSG_SUPPRESSION_LOOKUP::~ACF_MSG_SUPPRESSION_LOOKUP() = default;

bool ACF_MSG_SUPPRESSION_LOOKUP::is_suppressed(unsigned int id) {
    // The project's disabled ids are read each time (one keyed lookup); the
    // cached answers go when they change. While the read lock is refused the
    // ids last read stand.
    std::vector<unsigned int> ids;
    if (read_disabled_ids(true, &ids) != READ::LOCK_REFUSED) {
        std::sort(ids.begin(), ids.end());
        if (ids != m_disabled_ids) {
            m_disabled_ids.swap(ids);
            m_cache.clear();
        }
    }
    auto cached = m_cache.find(id);
    if (cached != m_cache.end()) {
        return cached->second;
    }
    bool const suppressed = std::binary_search(m_disabled_ids.begin(), m_disabled_ids.end(), id);
    m_cache.emplace(id, suppressed);
    return suppressed;
}

bool ACF_MSG_SUPPRESSION_LOOKUP::validate_suppressed_ids() {
    MSG_INDEX* index = MSG_INDEX::get_default_index();
    std::vector<unsigned int> global_ids;
    if (read_disabled_ids(true, &global_ids) == READ::NO_PROJECT) {
        return true;
    }
    bool valid = check_ids(global_ids, [index](unsigned int id) {
        return index->check_project_suppression(id, nullptr);
    });
    std::vector<unsigned int> instance_ids;
    if (read_disabled_ids(false, &instance_ids) == READ::DONE) {
        valid = check_ids(instance_ids,
                          [index](unsigned int id) {
                              return index->check_instance_suppression(id, nullptr);
                          }) &&
                valid;
    }
    return valid;
}

void acf_install_msg_suppression_lookup() {
    // Made after the index (which its constructor asks for), so it leaves the
    // index again when the process ends, before the index goes.
    static struct INSTALLED {
        INSTALLED() { MSG_INDEX::get_default_index()->set_suppression_lookup(&lookup); }
        ~INSTALLED() {
            MSG_INDEX* index = MSG_INDEX::get_default_index();
            if (index->get_suppression_lookup() == &lookup) {
                index->set_suppression_lookup(nullptr);
            }
        }
        ACF_MSG_SUPPRESSION_LOOKUP lookup;
    } installed;
    MSG_INDEX::get_default_index()->set_suppression_lookup(&installed.lookup);
}
