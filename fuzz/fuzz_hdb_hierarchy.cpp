// Any bytes as a hierarchy file: parsing must either refuse with a reason or
// give a tree whose every instance is found again by its full name, whose
// paths and numbers agree with its place, and whose units' files exist.
#include "suite/hierdb/hdb.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {
void check(HDB_CMP_ACTION_PT_INSTANCE const& cap, HDB_INSTANCE_NAME const* instance) {
    std::string short_path = instance->get_short_path();
    if (cap.get_instance_name(instance->full_name) != instance || instance->get_name_id() == 0 ||
        instance->get_depth() > HDB_MAX_DEPTH ||
        instance->full_name.compare(instance->full_name.size() - short_path.size(),
                                    std::string::npos, short_path) != 0) {
        std::abort();
    }
    HDB_DESIGN_UNIT const* unit =
        cap.find_design_unit(instance->get_source_component(), instance->library);
    if (unit != nullptr && unit->file >= 0 && cap.get_design_file(*unit) == nullptr) {
        std::abort();
    }
    for (char const* name : {"IP_TOOL_NAME", "IP_TOOL_VERSION"}) {
        cap.get_string_options(HDB_SECTION::IP_SETTINGS, name);
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
