#include "mem/mem_pgo.h"

#include "mem_manager.h"

#include <iostream>
#include <map>
#include <string>

bool mem_pgo_debug = false;

namespace {

using PGO_STRING = std::basic_string<char, std::char_traits<char>, MEM_STL_ALLOCATOR<char>>;
using PGO_DLL_LIST = std::map<PGO_STRING, PGO_STRING, std::less<PGO_STRING>,
                              MEM_STL_ALLOCATOR<std::pair<PGO_STRING const, PGO_STRING>>>;

// Created on first use and never destroyed, so that modules unloaded late and
// the exit hook can still reach it.
PGO_DLL_LIST& mem_get_pgo_dll_list() {
    static PGO_DLL_LIST* list = new PGO_DLL_LIST;
    return *list;
}

MEM_PGO_STATIC_DESTRUCTOR mem_pgo_static_destructor;

} // namespace

void mem_register_dll_for_pgo(char const* module_name, char const* pgo_target) {
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
