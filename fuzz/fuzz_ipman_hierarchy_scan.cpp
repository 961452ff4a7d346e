// Any bytes as a compiled hierarchy: when it parses, the IP manager's walk and
// its single-instance reading end without fault over every instance, and the
// walk's records all lie on instances of the tree.
#include "ipman/ipman_ip_info_manager.h"
#include "suite/hierdb/hdb.h"

#include <cstdlib>
#include <stdexcept>

namespace {
void visit(IPMAN_IP_INFO_MANAGER& inventory, HDB_CMP_ACTION_PT_INSTANCE const& cap,
           HDB_INSTANCE_NAME const* instance) {
    inventory.get_ip_info_from_file(&cap, instance);
    for (HDB_INSTANCE_NAME const* child : instance->get_children()) {
        visit(inventory, cap, child);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::unique_ptr<HDB_CMP_ACTION_PT_INSTANCE> cap;
    try {
        cap = HDB_CMP_ACTION_PT_INSTANCE::parse(
            std::string(reinterpret_cast<char const*>(data), size));
    } catch (std::runtime_error const&) {
        return 0;
    }
    IPMAN_IP_INFO_MANAGER* inventory = IPMAN_IP_INFO_MANAGER::get_ip_info_manager();
    for (IPMAN_IP_INFO const& info : inventory->collect_all_ip_cores(cap.get(), cap->get_root())) {
        if (cap->get_instance_name(info.hpath) == nullptr) {
            std::abort();
        }
    }
    if (cap->get_root() != nullptr) {
        visit(*inventory, *cap, cap->get_root());
    }
    return 0;
}
