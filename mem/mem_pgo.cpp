#include "mem/mem_pgo.h"

#include "mem/mem_export.h"
#include "stl_string.h"

#include <iostream>
#include <map>

bool mem_pgo_debug = false;

namespace {

using PGO_DLL_LIST = std::map<MEM_STRING, MEM_STRING, std::less<MEM_STRING>,
                              MEM_STL_ALLOCATOR<std::pair<MEM_STRING const, MEM_STRING>>>;

// Created on first use and never destroyed, so that modules unloaded late and
// the exit hook can still reach it.
PGO_DLL_LIST& mem_get_pgo_dll_list() {
    static PGO_DLL_LIST* list = new PGO_DLL_LIST;
    return *list;
}

MEM_PGO_STATIC_DESTRUCTOR mem_pgo_static_destructor;

} // namespace

MEM_EXPORT void mem_register_dll_for_pgo(char const* module_name, char const* pgo_target) {
    if (module_name == nullptr) {
        return;
    }
    mem_get_pgo_dll_list().emplace(module_name, pgo_target != nullptr ? pgo_target : "");
}

MEM_PGO_STATIC_DESTRUCTOR::~MEM_PGO_STATIC_DESTRUCTOR() {
    if (!mem_pgo_debug) {
        return;
    }
    for (auto const& [module, target] : mem_get_pgo_dll_list()) {
        std::cout << "Debug: PGO: The code module " << module.c_str()
                  << " was last compiled using PGO for:" << target.c_str() << std::endl;
    }
}
