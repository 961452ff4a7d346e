// Name keys of the catalogue's lookup maps: texts hashed and compared ignoring
// ASCII case ('A' to 'Z' folded only), pointing into the constant tables.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>

#include "suite/general/gen.h"

// h = h * 17 + c over the bytes, each folded and taken as a signed character.
struct ACF_NAME_HASH {
    size_t operator()(char const* text) const {
        size_t h = 0;
        for (; *text != '\0'; ++text) {
            char c = *text;
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
            h = h * 17 + static_cast<size_t>(static_cast<signed char>(c));
        }
        return h;
    }
};
struct ACF_NAME_EQUAL {
    bool operator()(char const* a, char const* b) const { return gen_stricmp(a, b) == 0; }
};
struct ACF_NAME_LESS {
    bool operator()(char const* a, char const* b) const { return gen_stricmp(a, b) < 0; }
};

// A map built once on first use by any thread. The pointer is published only when
// the map is complete, so readers take no lock. The library initializer frees it
// at unload (acf_table_free_lookup_maps); the holder itself has nothing to
// destroy, so that free may run whatever the order of static destruction.
template <class MAP> class ACF_LAZY_MAP {
public:
    template <class BUILD> MAP const& get(BUILD build) {
        MAP* map = m_map.load(std::memory_order_acquire);
        if (map == nullptr) {
            std::lock_guard<std::mutex> lock(m_mutex);
            map = m_map.load(std::memory_order_relaxed);
            if (map == nullptr) {
                map = build();
                m_map.store(map, std::memory_order_release);
            }
        }
        return *map;
    }
    void free() {
        std::lock_guard<std::mutex> lock(m_mutex);
        delete m_map.exchange(nullptr);
    }

private:
    std::atomic<MAP*> m_map{nullptr};
    std::mutex m_mutex;
};

// Frees the maps of sections, values and features (acf_table_enums.cpp).
void acf_table_free_enum_maps();
