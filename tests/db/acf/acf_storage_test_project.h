// A project in a temporary directory with one revision ("top") and the
// revision store and revision manager over it, for the revision store's tests.
#pragma once

#include "acf_assignment.h"
#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager.h"
#include "acf_test_directory.h"
#include "store/acf_manager_storage_real.h"

#include "suite/messages/msg.h"

#include <memory>
#include <string>
#include <vector>

class ACF_STORAGE_TEST_PROJECT {
public:
    // Writes the project file and, unless null, the revision's settings file.
    explicit ACF_STORAGE_TEST_PROJECT(char const* settings) {
        acf_test_write(m_dir.file("proj.tpf"), "");
        if (settings != nullptr) {
            acf_test_write(tsf(), settings);
        }
        m_storage = std::make_unique<ACF_MANAGER_STORAGE_REAL>(m_dir.file("proj.tpf"), "top",
                                                               nullptr, true);
        m_manager = std::make_unique<ACF_REVISION_MANAGER>(m_storage.get());
        msg_log_clear();
    }
    ~ACF_STORAGE_TEST_PROJECT() {
        m_manager.reset();
        m_storage.reset();
    }
    ACF_STORAGE_TEST_PROJECT(ACF_STORAGE_TEST_PROJECT const&) = delete;
    ACF_STORAGE_TEST_PROJECT& operator=(ACF_STORAGE_TEST_PROJECT const&) = delete;

    ACF_MANAGER_STORAGE_REAL& storage() { return *m_storage; }
    ACF_REVISION_MANAGER& manager() { return *m_manager; }
    std::string file(std::string const& name) const { return m_dir.file(name); }
    std::string tsf() const { return m_dir.file("top.tsf"); }

    // The value of a global assignment named by its user name; null when none.
    // The caller holds a lock.
    char const* global_value(char const* name) {
        ACF_MGR_INPUT_PARAMETERS query;
        query.set_variable_string(name);
        ACF_ASSIGNMENT* asgn = m_manager->get_global_assignment_ptr(&query);
        return asgn != nullptr ? asgn->get_value(false) : nullptr;
    }

    // The global assignment, under a read lock of its own.
    std::string read_global(char const* name) {
        if (!m_manager->read_lock()) {
            return "<refused>";
        }
        char const* value = global_value(name);
        std::string result = value != nullptr ? value : "<none>";
        m_manager->read_unlock();
        return result;
    }

private:
    ACF_TEST_DIRECTORY m_dir;
    std::unique_ptr<ACF_MANAGER_STORAGE_REAL> m_storage;
    std::unique_ptr<ACF_REVISION_MANAGER> m_manager;
};
