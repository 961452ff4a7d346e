// What the revision manager's tests share: stand-in assignment pointers, a
// catalogue variable, a recorder of internal errors, and a manager over a
// store with data.
#pragma once

#include "acf_mgr_input_parameters.h"
#include "acf_revision_manager.h"
#include "acf_test_storage.h"
#include "suite/messages/msg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Stand-ins for assignments the store hands out; the manager only passes them on.
inline ACF_ASSIGNMENT* const FIRST = reinterpret_cast<ACF_ASSIGNMENT*>(0x1000);
inline ACF_ASSIGNMENT* const SECOND = reinterpret_cast<ACF_ASSIGNMENT*>(0x2000);

// A variable of the catalogue, named by its user name.
inline ACF_VARIABLE_TYPE_ENUM const FAMILY = ACF_VARIABLE_TYPE_ENUM(296);

// Records the conditions of the internal errors reported while it lives.
class INTERNAL_ERRORS {
public:
    INTERNAL_ERRORS() {
        MSG_INTERNAL_ERROR::set_hook([this](char const* condition, char const*, char const*, int) {
            conditions.push_back(condition);
        });
    }
    ~INTERNAL_ERRORS() { MSG_INTERNAL_ERROR::set_hook(nullptr); }
    std::vector<std::string> conditions;
};

inline std::string text(char const* value) {
    return value == nullptr ? "null" : value;
}

class AcfRevisionManager : public testing::Test {
protected:
    void SetUp() override { store.calls.clear(); }
    ACF_TEST_STORAGE store;
    ACF_REVISION_MANAGER facade{&store};
    ACF_MGR_INPUT_PARAMETERS record;
};
