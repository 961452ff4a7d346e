// The key index: the assignments held under each key, found through an
// open-addressing table of the keys, and the keys grouped by the variable whose
// user name they begin with, so that a search of one variable visits that
// variable's keys alone. Key order, in which every lookup chooses its first
// match and every listing and removal goes, is key text ascending, then the
// order in which the assignments came under the key.
#include "records/acf_asgn_storage.h"

#include "acf_assignment.h"
#include "acf_table.h"
#include "records/acf_open_table.h"

#include <algorithm>
#include <functional>

namespace {

uint32_t key_hash(std::string_view key) {
    uint64_t const hash = std::hash<std::string_view>()(key);
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

// Every key begins with the user name of its variable, "#N" for freeform ones.
std::string key_prefix(ACF_VARIABLE_TYPE_ENUM type) {
    return type == ACF_VARIABLE_TYPE_NONE ? "#N" : acf_get_variable_user_name(type);
}

} // namespace

std::string_view ACF_ASGN_STORAGE::key_text(uint32_t key) const {
    return std::string_view(m_keys[key].text, m_keys[key].length);
}

size_t ACF_ASGN_STORAGE::key_cell(std::string_view key, uint32_t hash) const {
    size_t const mask = m_key_cells.size() - 1;
    for (size_t cell = acf_open_table_home(hash, m_key_cells.size());; cell = (cell + 1) & mask) {
        uint32_t const held = m_key_cells[cell];
        if (held == NONE || (m_keys[held].hash == hash && key_text(held) == key)) {
            return cell;
        }
    }
}

uint32_t ACF_ASGN_STORAGE::find_key(std::string_view key) const {
    return m_key_cells.empty() ? NONE : m_key_cells[key_cell(key, key_hash(key))];
}

void ACF_ASGN_STORAGE::grow_key_cells(size_t keys) {
    size_t const size = acf_open_table_size(m_key_cells.size(), keys);
    if (size == m_key_cells.size()) {
        return;
    }
    m_key_cells.assign(size, NONE);
    for (uint32_t key = 0; key < m_keys.size(); ++key) {
        if (m_keys[key].text != nullptr) {
            m_key_cells[key_cell(key_text(key), m_keys[key].hash)] = key;
        }
    }
}

uint32_t ACF_ASGN_STORAGE::group_of(ACF_VARIABLE_TYPE_ENUM type) {
    auto found = m_group_of_prefix.try_emplace(key_prefix(type), 0);
    if (found.second) {
        found.first->second = static_cast<uint32_t>(m_groups.size());
        m_groups.emplace_back();
    }
    return found.first->second;
}

void ACF_ASGN_STORAGE::file_under_key(uint32_t slot, std::string_view text,
                                      ACF_VARIABLE_TYPE_ENUM type) {
    grow_key_cells(m_key_count + 1);
    uint32_t const hash = key_hash(text);
    size_t const cell = key_cell(text, hash);
    uint32_t key = m_key_cells[cell];
    if (key == NONE) {
        key = m_free_key;
        if (key != NONE) {
            m_free_key = m_keys[key].first;
        } else {
            key = static_cast<uint32_t>(m_keys.size());
            m_keys.emplace_back();
        }
        KEY& added = m_keys[key];
        added = KEY();
        added.text = keep_text(text);
        added.length = static_cast<uint32_t>(text.size());
        added.hash = hash;
        added.group = group_of(type);
        added.group_place = static_cast<uint32_t>(m_groups[added.group].keys.size());
        add_to_group(added.group, key);
        m_key_cells[cell] = key;
        ++m_key_count;
    } else if (uint32_t const group = group_of(type); group != m_keys[key].group) {
        // Another variable's name and target spell the key.
        auto others = m_other_groups.equal_range(key);
        if (std::none_of(others.first, others.second,
                         [group](auto const& other) { return other.second == group; })) {
            m_other_groups.emplace(key, group);
            add_to_group(group, key);
        }
    }
    KEY& held = m_keys[key];
    SLOT& filed = m_slots[slot];
    filed.key = key;
    filed.key_prev = held.last;
    filed.key_next = NONE;
    (held.last != NONE ? m_slots[held.last].key_next : held.first) = slot;
    held.last = slot;
}

void ACF_ASGN_STORAGE::take_from_key(uint32_t slot) {
    SLOT& taken = m_slots[slot];
    KEY& key = m_keys[taken.key];
    (taken.key_prev != NONE ? m_slots[taken.key_prev].key_next : key.first) = taken.key_next;
    (taken.key_next != NONE ? m_slots[taken.key_next].key_prev : key.last) = taken.key_prev;
    uint32_t const emptied = key.first == NONE ? taken.key : NONE;
    taken.key = NONE;
    taken.key_prev = NONE;
    taken.key_next = NONE;
    if (emptied != NONE) {
        drop_key(emptied);
    }
}

void ACF_ASGN_STORAGE::drop_key(uint32_t key) {
    KEY& dropped = m_keys[key];
    size_t const size = m_key_cells.size();
    size_t const gap = acf_open_table_close_gap(
        key_cell(key_text(key), dropped.hash), size,
        [this](size_t at) { return m_key_cells[at] != NONE; },
        [this, size](size_t at) { return acf_open_table_home(m_keys[m_key_cells[at]].hash, size); },
        [this](size_t from, size_t to) { m_key_cells[to] = m_key_cells[from]; });
    m_key_cells[gap] = NONE;
    --m_key_count;

    auto leave = [this](uint32_t group, size_t place) {
        m_groups[group].keys[place] = NONE;
        if (++m_groups[group].dropped > 64 &&
            m_groups[group].dropped * 2 > m_groups[group].keys.size()) {
            sort_group(group);
        }
    };
    auto others = m_other_groups.equal_range(key);
    for (auto other = others.first; other != others.second; ++other) {
        std::vector<uint32_t> const& keys = m_groups[other->second].keys;
        leave(other->second, std::find(keys.begin(), keys.end(), key) - keys.begin());
    }
    m_other_groups.erase(key);
    leave(dropped.group, dropped.group_place);
    drop_text(dropped.text, dropped.length);
    dropped = KEY();
    dropped.first = m_free_key;
    m_free_key = key;
}

void ACF_ASGN_STORAGE::add_to_group(uint32_t group, uint32_t key) {
    std::vector<uint32_t>& keys = m_groups[group].keys;
    // A key that follows the last one of a sorted group keeps it sorted.
    bool const extends_sorted =
        m_groups[group].sorted == keys.size() &&
        (keys.empty() || (keys.back() != NONE && key_text(keys.back()) < key_text(key)));
    keys.push_back(key);
    if (extends_sorted) {
        m_groups[group].sorted = keys.size();
    }
}

void ACF_ASGN_STORAGE::sort_group(uint32_t index) {
    KEY_GROUP& group = m_groups[index];
    if (group.sorted == group.keys.size() && group.dropped == 0) {
        return;
    }
    size_t kept = 0;
    size_t sorted = 0;
    for (size_t i = 0; i < group.keys.size(); ++i) {
        if (group.keys[i] != NONE) {
            group.keys[kept++] = group.keys[i];
        }
        if (i + 1 == group.sorted) {
            sorted = kept;
        }
    }
    group.keys.resize(kept);
    auto by_text = [this](uint32_t a, uint32_t b) { return key_text(a) < key_text(b); };
    std::sort(group.keys.begin() + sorted, group.keys.end(), by_text);
    std::inplace_merge(group.keys.begin(), group.keys.begin() + sorted, group.keys.end(), by_text);
    group.sorted = kept;
    group.dropped = 0;
    for (size_t i = 0; i < kept; ++i) {
        if (m_keys[group.keys[i]].group == index) {
            m_keys[group.keys[i]].group_place = static_cast<uint32_t>(i);
        }
    }
}

ACF_ASGN_STORAGE::KEY_RANGE ACF_ASGN_STORAGE::whole_key_index() const {
    KEY_RANGE range;
    range.reserve(m_key_count);
    for (uint32_t key = 0; key < m_keys.size(); ++key) {
        if (m_keys[key].text != nullptr) {
            range.push_back(key);
        }
    }
    std::sort(range.begin(), range.end(),
              [this](uint32_t a, uint32_t b) { return key_text(a) < key_text(b); });
    return range;
}

ACF_ASGN_STORAGE::KEY_RANGE ACF_ASGN_STORAGE::equal_key_range(std::string_view key) const {
    uint32_t const found = find_key(key);
    return found == NONE ? KEY_RANGE() : KEY_RANGE{found};
}

ACF_ASGN_STORAGE::KEY_RANGE ACF_ASGN_STORAGE::variable_key_range(ACF_VARIABLE_TYPE_ENUM type,
                                                                 bool freeform) {
    if (type == ACF_VARIABLE_TYPE_NONE && !freeform) {
        return whole_key_index();
    }
    auto found = m_group_of_prefix.find(key_prefix(type));
    if (found == m_group_of_prefix.end()) {
        return KEY_RANGE();
    }
    sort_group(found->second);
    return m_groups[found->second].keys;
}
