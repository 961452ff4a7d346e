#include "records/acf_assignment_factory.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

ACF_ASSIGNMENT_FACTORY::ACF_ASSIGNMENT_FACTORY(ACF_MANAGER_STORAGE* storage) : m_storage(storage) {
    ACF_REQUIRE(m_storage != NULL);
}

ACF_ASSIGNMENT* ACF_ASSIGNMENT_FACTORY::create_assignment(ACF_VARIABLE_TYPE_ENUM type,
                                                          char const* freeform_name,
                                                          char const* from, char const* to,
                                                          char const* value, char const* comment,
                                                          bool ignored) const {
    return MEM_NEW(ACF, ACF_ASSIGNMENT)(m_storage, type, freeform_name, from, to, value, comment,
                                        ignored);
}

ACF_ASSIGNMENT*
ACF_ASSIGNMENT_FACTORY::create_assignment(ACF_VARIABLE_TYPE_ENUM type,
                                          std::string const* freeform_name, std::string const* from,
                                          std::string const* to, std::string const* value,
                                          std::string const* comment, bool ignored) const {
    return MEM_NEW(ACF, ACF_ASSIGNMENT)(m_storage, type, freeform_name, from, to, value, comment,
                                        ignored);
}

ACF_ASSIGNMENT* ACF_ASSIGNMENT_FACTORY::create_assignment(ACF_ASSIGNMENT const* asgn) const {
    return MEM_NEW(ACF, ACF_ASSIGNMENT)(asgn);
}
