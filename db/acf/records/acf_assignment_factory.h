// Makes the assignment records of one revision storage, so that each record's
// defaults, legality checks and transient mode come from that storage.
#pragma once

#include "acf_table_types.h"

#include <string>

class ACF_ASSIGNMENT;
class ACF_MANAGER_STORAGE;

class ACF_ASSIGNMENT_FACTORY {
public:
    // The storage must not be null; it is not owned.
    explicit ACF_ASSIGNMENT_FACTORY(ACF_MANAGER_STORAGE* storage);

    // A new record of the factory's storage, owned by the caller. A null text
    // is not given.
    ACF_ASSIGNMENT* create_assignment(ACF_VARIABLE_TYPE_ENUM type, char const* freeform_name,
                                      char const* from, char const* to, char const* value,
                                      char const* comment, bool ignored) const;
    ACF_ASSIGNMENT* create_assignment(ACF_VARIABLE_TYPE_ENUM type, std::string const* freeform_name,
                                      std::string const* from, std::string const* to,
                                      std::string const* value, std::string const* comment,
                                      bool ignored) const;
    // A deep copy, which keeps the storage of the given record.
    ACF_ASSIGNMENT* create_assignment(ACF_ASSIGNMENT const* asgn) const;

    ACF_MANAGER_STORAGE* get_manager_storage() const { return m_storage; }

private:
    ACF_MANAGER_STORAGE* m_storage;
};
