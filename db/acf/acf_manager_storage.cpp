#include "acf_manager_storage.h"

#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

ACF_MANAGER_STORAGE::~ACF_MANAGER_STORAGE() = default;
