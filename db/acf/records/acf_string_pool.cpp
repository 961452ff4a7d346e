#include "records/acf_string_pool.h"

#include "acf_msgs.h"
#include "mem_manager.h"
#include "suite/config/cfg.h"

#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

namespace {

// Read once per process, shared by every pool.
bool massive_dump_is_on() {
    static bool const on = cfg_is_on("ACF_STRING_POOL_MASSIVE_DUMP", false);
    return on;
}

bool debug_is_on() {
    return cfg_is_on("acf_debug_string_pool", false);
}

} // namespace

size_t ACF_STRING_POOL::TEXT_HASH::operator()(std::string_view text) const {
    uint32_t h = 0;
    for (char c : text) {
        h = h * 17 + static_cast<uint32_t>(static_cast<signed char>(c));
    }
    return h;
}

ACF_STRING_POOL::ACF_STRING_POOL(char const* name) : m_name(name ? name : "UNNAMED_POOL") {}

ACF_STRING_POOL::~ACF_STRING_POOL() {
    if (debug_is_on()) {
        acf_msg_debug("ACF_STRING_POOL '%s' (%p) IS BEING DESTROYED!!!", m_name.c_str(),
                      static_cast<void const*>(this));
    }
    reset();
}

std::string const* ACF_STRING_POOL::get_or_add_to_pool(char const* text) {
    if (text == nullptr || *text == '\0') {
        return nullptr;
    }
    auto found = m_strings.find(std::string_view(text));
    if (found != m_strings.end()) {
        ++m_hits;
        if (found->second->c_str() == text) {
            ++m_same;
        }
        return found->second;
    }
    std::string* pooled = MEM_NEW(ACF, std::string)(text);
    m_strings.emplace(std::string_view(*pooled), pooled);
    ++m_misses;
    return pooled;
}

void ACF_STRING_POOL::print_stats() const {
    acf_msg_debug("STATS FOR ACF_STRING_POOL '%s' (%p)", m_name.c_str(),
                  static_cast<void const*>(this));
    acf_msg_debug("  Misses: %u", m_misses);
    acf_msg_debug("  Hits  : %u", m_hits);
    acf_msg_debug("  Same  : %u", m_same);
    acf_msg_debug("  Curr Size: %u", static_cast<unsigned>(m_strings.size()));
    if (massive_dump_is_on()) {
        acf_msg_debug("  Get ready for it, here are your strings!");
        for (auto const& entry : m_strings) {
            acf_msg_debug("%s", entry.second ? entry.second->c_str() : "");
        }
    }
}

void ACF_STRING_POOL::reset() {
    if (debug_is_on()) {
        print_stats();
    }
    for (auto& entry : m_strings) {
        delete entry.second;
    }
    m_strings.clear();
    m_misses = 0;
    m_hits = 0;
    m_same = 0;
}
