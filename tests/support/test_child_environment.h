// Environment variables set for the programs a test starts, restored after.
#pragma once

#include "tests/support/test_environment.h"

#include <list>
#include <string>
#include <utility>
#include <vector>

// Environment variables for the programs started while it lives, each set as
// TEST_ENVIRONMENT sets one.
class TEST_CHILD_ENVIRONMENT {
public:
    explicit TEST_CHILD_ENVIRONMENT(
        std::vector<std::pair<char const*, std::string>> const& variables) {
        for (auto const& variable : variables) {
            m_set.emplace_back(variable.first, variable.second);
        }
    }
    // Put back last first, so that a variable named twice gets its old value.
    ~TEST_CHILD_ENVIRONMENT() {
        while (!m_set.empty()) {
            m_set.pop_back();
        }
    }
    TEST_CHILD_ENVIRONMENT(TEST_CHILD_ENVIRONMENT const&) = delete;
    TEST_CHILD_ENVIRONMENT& operator=(TEST_CHILD_ENVIRONMENT const&) = delete;

private:
    std::list<TEST_ENVIRONMENT> m_set;
};
