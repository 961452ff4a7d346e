// Environment variables set for the programs a test starts, restored after.
#pragma once

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Environment variables for the programs started while it lives.
class TEST_CHILD_ENVIRONMENT {
public:
    explicit TEST_CHILD_ENVIRONMENT(
        std::vector<std::pair<char const*, std::string>> const& variables) {
        for (auto const& variable : variables) {
            char const* old = std::getenv(variable.first);
            m_kept.emplace_back(variable.first, old != nullptr ? old : "", old != nullptr);
            setenv(variable.first, variable.second.c_str(), 1);
        }
    }
    ~TEST_CHILD_ENVIRONMENT() {
        for (KEPT const& kept : m_kept) {
            if (kept.was_set) {
                setenv(kept.name, kept.value.c_str(), 1);
            } else {
                unsetenv(kept.name);
            }
        }
    }
    TEST_CHILD_ENVIRONMENT(TEST_CHILD_ENVIRONMENT const&) = delete;
    TEST_CHILD_ENVIRONMENT& operator=(TEST_CHILD_ENVIRONMENT const&) = delete;

private:
    struct KEPT {
        KEPT(char const* n, std::string v, bool s) : name(n), value(std::move(v)), was_set(s) {}
        char const* name;
        std::string value;
        bool was_set;
    };
    std::vector<KEPT> m_kept;
};
