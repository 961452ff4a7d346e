// Any bytes as a hierarchy file: parsing must either refuse with a reason or
// give a tree whose every instance is found again by its full name.
#include "suite/hierdb/hdb.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {
void check(HDB_ACTION_PT_INSTANCE const& cap, HDB_INSTANCE_NAME const* instance) {
    if (cap.get_instance_name(instance->full_name) != instance) {
        std::abort();
    }
    for (HDB_INSTANCE_NAME const* child : instance->children) {
        if (child->parent != instance || child->depth != instance->depth + 1) {
            std::abort();
        }
        check(cap, child);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    try {
        auto cap = HDB_CMP_ACTION_PT_INSTANCE::parse(
            std::string(reinterpret_cast<char const*>(data), size));
        if (cap->get_root() != nullptr) {
            check(*cap, cap->get_root());
        }
    } catch (std::runtime_error const&) {
    }
    return 0;
}
