// Any bytes as a hierarchy file: parsing must either refuse with a reason or
// give a tree whose every instance is found again by its full name, whose
// paths and numbers agree with its place, and whose units' files exist; read
// from a string or from a stream alike.
#include "suite/hierdb/hdb.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
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
        cap.find_design_unit(instance->get_source_component(), instance->get_library());
    if (unit != nullptr && unit->file >= 0 && cap.get_design_file(*unit) == nullptr) {
        std::abort();
    }
    for (char const* name : {"IP_TOOL_NAME", "IP_TOOL_VERSION"}) {
        for (HDB_STRING_OPTION const& option : instance->get_string_options()) {
            HDB_STRING_OPTION const* found =
                cap.get_string_option(HDB_SECTION::IP_SETTINGS, name, option.tip_file);
            if (found != nullptr && found->name != name) {
                std::abort();
            }
        }
    }
    for (HDB_INSTANCE_NAME const* child : instance->children) {
        if (child->parent != instance || child->depth != instance->depth + 1) {
            std::abort();
        }
        check(cap, child);
    }
}

// The number of instances the text gives, read from a string or from a
// stream; -1 when it is refused.
template <typename INPUT> long instances(INPUT& input) {
    try {
        auto cap = HDB_CMP_ACTION_PT_INSTANCE::parse(input, "/project");
        if (cap->get_root() != nullptr) {
            check(*cap, cap->get_root());
        }
        return static_cast<long>(cap->get_instances().size());
    } catch (std::runtime_error const&) {
        return -1;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    std::istringstream stream(text);
    if (instances(text) != instances(stream)) {
        std::abort();
    }
    return 0;
}
