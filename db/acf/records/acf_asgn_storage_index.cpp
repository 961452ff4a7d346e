// The indexes kept beside the key index, so that no lookup walks every
// assignment of a key shared by many (design files of one kind) or of the
// freeform keys (every parameter), and the set of changed assignments, so that
// asking whether anything changed, and clearing the marks, costs nothing on an
// unchanged revision.
//
// A selector is a hash of the texts a lookup must find equal: for a typed
// assignment its key and its value with ASCII letters folded (the value compare
// ignores case for most variables; folding keeps equal texts together for both
// kinds of compare), and, for an ignored one, its key alone (an ignored
// assignment matches by its default value); for a freeform one its folded name,
// and its folded name with its target. A run of one selector holds every
// assignment that can match, in key order; the match test decides, so a hash
// collision costs a visit and never changes a result.
#include "records/acf_asgn_storage.h"

#include "acf_assignment.h"
#include "acf_table_types.h"
#include "records/acf_open_table.h"

#include "suite/general/gen.h"

namespace {

// FNV-1a over the selector's parts, each ended by a 0 byte; `fold` lowers ASCII
// letters as the case-insensitive compare does.
class SELECTOR_HASH {
public:
    explicit SELECTOR_HASH(char tag) { m_hash = gen_hash(std::string_view(&tag, 1), false); }
    SELECTOR_HASH& add(char const* text, bool fold) {
        return add(text != nullptr ? std::string_view(text) : std::string_view(), fold);
    }
    SELECTOR_HASH& add(std::string_view text, bool fold) {
        m_hash = gen_hash(std::string_view("", 1), false, gen_hash(text, fold, m_hash));
        return *this;
    }
    // 32 bits, never 0, which stands for "no selector".
    uint32_t value() const {
        uint32_t const folded = static_cast<uint32_t>(m_hash ^ (m_hash >> 32));
        return folded == 0 ? 1 : folded;
    }

private:
    uint64_t m_hash;
};

} // namespace

// ---------------------------------------------------------------------------
// Orders
// ---------------------------------------------------------------------------

bool ACF_ASGN_STORAGE::BY_KEY_ORDER::operator()(uint32_t a, uint32_t b) const {
    SLOT const& first = owner->m_slots[a];
    SLOT const& second = owner->m_slots[b];
    if (first.key == second.key) {
        return first.key_order < second.key_order;
    }
    return owner->key_text(first.key) < owner->key_text(second.key);
}

bool ACF_ASGN_STORAGE::BY_KEY_ORDER::operator()(uint32_t a, std::string const& key) const {
    return owner->key_text(owner->m_slots[a].key) < key;
}

bool ACF_ASGN_STORAGE::BY_KEY_ORDER::operator()(std::string const& key, uint32_t b) const {
    return key < owner->key_text(owner->m_slots[b].key);
}

// ---------------------------------------------------------------------------
// Selector runs
// ---------------------------------------------------------------------------

void ACF_ASGN_STORAGE::RUN_CURSOR::advance() {
    if (m_only != NONE) {
        m_only = NONE;
    } else {
        ++m_next;
    }
}

size_t ACF_ASGN_STORAGE::run_cell(uint32_t selector) const {
    size_t const mask = m_run_cells.size() - 1;
    size_t cell = acf_open_table_home(selector, m_run_cells.size());
    while (m_run_cells[cell].selector != 0 && m_run_cells[cell].selector != selector) {
        cell = (cell + 1) & mask;
    }
    return cell;
}

ACF_ASGN_STORAGE::RUN_CURSOR ACF_ASGN_STORAGE::run_of(uint32_t selector) const {
    if (m_run_cells.empty()) {
        return RUN_CURSOR();
    }
    RUN_CELL const& cell = m_run_cells[run_cell(selector)];
    if (cell.selector == 0) {
        return RUN_CURSOR();
    }
    return (cell.held & MANY_RUN) != 0 ? RUN_CURSOR(*m_many_runs[cell.held & ~MANY_RUN])
                                       : RUN_CURSOR(cell.held);
}

void ACF_ASGN_STORAGE::grow_run_cells(size_t runs) {
    size_t const size = acf_open_table_size(m_run_cells.size(), runs);
    if (size == m_run_cells.size()) {
        return;
    }
    std::vector<RUN_CELL> old(size);
    old.swap(m_run_cells);
    for (RUN_CELL const& cell : old) {
        if (cell.selector != 0) {
            m_run_cells[run_cell(cell.selector)] = cell;
        }
    }
}

void ACF_ASGN_STORAGE::add_to_run(uint32_t selector, uint32_t slot) {
    grow_run_cells(m_run_count + 1);
    RUN_CELL& cell = m_run_cells[run_cell(selector)];
    if (cell.selector == 0) {
        cell.selector = selector;
        cell.held = slot;
        ++m_run_count;
        return;
    }
    if ((cell.held & MANY_RUN) == 0) {
        uint32_t many = static_cast<uint32_t>(m_many_runs.size());
        if (!m_free_many_runs.empty()) {
            many = m_free_many_runs.back();
            m_free_many_runs.pop_back();
        } else {
            m_many_runs.emplace_back();
        }
        m_many_runs[many] = std::make_unique<KEY_ORDER_SET>(
            BY_KEY_ORDER{this}, KEY_ORDER_SET::allocator_type(&m_node_pool));
        m_many_runs[many]->insert(cell.held);
        cell.held = many | MANY_RUN;
    }
    m_many_runs[cell.held & ~MANY_RUN]->insert(slot);
}

void ACF_ASGN_STORAGE::drop_from_run(uint32_t selector, uint32_t slot) {
    if (m_run_cells.empty()) {
        return;
    }
    size_t const at = run_cell(selector);
    RUN_CELL& cell = m_run_cells[at];
    if (cell.selector == 0) {
        return;
    }
    if ((cell.held & MANY_RUN) == 0) {
        if (cell.held == slot) {
            empty_run_cell(at);
        }
        return;
    }
    uint32_t const many = cell.held & ~MANY_RUN;
    KEY_ORDER_SET& run = *m_many_runs[many];
    run.erase(slot);
    if (run.size() > 1) {
        return;
    }
    if (run.empty()) {
        empty_run_cell(at);
    } else {
        cell.held = *run.begin();
    }
    m_many_runs[many].reset();
    m_free_many_runs.push_back(many);
}

void ACF_ASGN_STORAGE::empty_run_cell(size_t cell) {
    size_t const size = m_run_cells.size();
    size_t const gap = acf_open_table_close_gap(
        cell, size, [this](size_t at) { return m_run_cells[at].selector != 0; },
        [this, size](size_t at) { return acf_open_table_home(m_run_cells[at].selector, size); },
        [this](size_t from, size_t to) { m_run_cells[to] = m_run_cells[from]; });
    m_run_cells[gap] = RUN_CELL();
    --m_run_count;
}

// ---------------------------------------------------------------------------
// Selectors
// ---------------------------------------------------------------------------

uint32_t ACF_ASGN_STORAGE::value_selector(std::string_view key, char const* value) {
    return SELECTOR_HASH('V').add(key, false).add(value, true).value();
}

uint32_t ACF_ASGN_STORAGE::ignored_selector(std::string_view key) {
    return SELECTOR_HASH('I').add(key, false).value();
}

uint32_t ACF_ASGN_STORAGE::name_selector(char const* name, char const* target) {
    if (gen_is_empty_string(target)) {
        return SELECTOR_HASH('N').add(name, true).value();
    }
    return SELECTOR_HASH('T').add(name, true).add(target, false).value();
}

int ACF_ASGN_STORAGE::selectors_of(ACF_ASSIGNMENT const& asgn, std::string_view key,
                                   uint32_t selectors[2]) {
    if (asgn.get_type() == ACF_VARIABLE_TYPE_NONE) {
        // A name never matches an assignment without one.
        char const* name = asgn.get_variable_string();
        if (name == nullptr) {
            return 0;
        }
        selectors[0] = name_selector(name, nullptr);
        if (gen_is_empty_string(asgn.get_target())) {
            return 1;
        }
        selectors[1] = name_selector(name, asgn.get_target());
        return 2;
    }
    selectors[0] = value_selector(key, asgn.get_unmodified_value(true));
    if (!asgn.is_ignored()) {
        return 1;
    }
    selectors[1] = ignored_selector(key);
    return 2;
}

uint32_t ACF_ASGN_STORAGE::second_selector(ACF_ASSIGNMENT const& asgn, std::string_view key) {
    return asgn.get_type() == ACF_VARIABLE_TYPE_NONE
               ? name_selector(asgn.get_variable_string(), asgn.get_target())
               : ignored_selector(key);
}

// ---------------------------------------------------------------------------
// Keeping the indexes
// ---------------------------------------------------------------------------

void ACF_ASGN_STORAGE::watch(uint32_t slot) {
    m_slots[slot].key_order = next_key_order();
    ACF_ASSIGNMENT* asgn = m_slots[slot].asgn;
    asgn->set_observer(this, slot);
    index(slot);
    if (asgn->has_changed()) {
        m_changed.insert(asgn);
    }
}

void ACF_ASGN_STORAGE::index(uint32_t slot) {
    SLOT& held = m_slots[slot];
    uint32_t wanted[2] = {0, 0};
    std::string_view const key = key_text(held.key);
    int const count = selectors_of(*held.asgn, key, wanted);
    if (count != held.selector_count || (count > 0 && wanted[0] != held.selector)) {
        if (held.selector_count > 0) {
            drop_from_run(held.selector, slot);
        }
        if (held.selector_count > 1) {
            drop_from_run(second_selector(*held.asgn, key), slot);
        }
        for (int i = 0; i < count; ++i) {
            add_to_run(wanted[i], slot);
        }
        held.selector_count = static_cast<uint8_t>(count) & 3;
        held.selector = wanted[0];
    }
    bool const removed = held.asgn->is_removed();
    if (removed != held.removed_listed) {
        if (removed) {
            m_removed.insert(slot);
        } else {
            m_removed.erase(slot);
        }
        held.removed_listed = removed;
    }
}

void ACF_ASGN_STORAGE::unwatch(uint32_t slot) {
    SLOT& held = m_slots[slot];
    if (held.selector_count > 0) {
        drop_from_run(held.selector, slot);
    }
    if (held.selector_count > 1) {
        drop_from_run(second_selector(*held.asgn, key_text(held.key)), slot);
    }
    held.selector_count = 0;
    if (held.removed_listed) {
        m_removed.erase(slot);
        held.removed_listed = false;
    }
    m_changed.erase(held.asgn);
    held.asgn->set_observer(nullptr);
}

void ACF_ASGN_STORAGE::changed_mark_turned(ACF_ASSIGNMENT* asgn, bool on) {
    if (on) {
        m_changed.insert(asgn);
    } else {
        m_changed.erase(asgn);
    }
}

void ACF_ASGN_STORAGE::reserve(size_t lines) {
    // Sized once: a vector or table that grows while a big file is read leaves
    // each of its smaller sizes behind in the allocator's caches. Room a read
    // does not use costs address space only.
    m_slots.reserve(m_slots.size() + lines);
    m_keys.reserve(m_keys.size() + lines);
    m_comment_lines.reserve(m_comment_lines.size() + lines);
    grow_run_cells(m_run_count + lines);
}

void ACF_ASGN_STORAGE::matching_state_changed(ACF_ASSIGNMENT* asgn) {
    uint32_t const slot = slot_of(asgn);
    if (slot != NONE) {
        index(slot);
    }
}

// ---------------------------------------------------------------------------
// Using the indexes
// ---------------------------------------------------------------------------

std::vector<ACF_ASSIGNMENT*> ACF_ASGN_STORAGE::removed_in_keys(std::string const& key,
                                                               bool prefix) const {
    std::vector<ACF_ASSIGNMENT*> removed;
    for (auto ref = m_removed.lower_bound(key); ref != m_removed.end(); ++ref) {
        std::string_view const held = key_text(m_slots[*ref].key);
        if (prefix ? held.compare(0, key.size(), key) != 0 : held != key) {
            break;
        }
        removed.push_back(m_slots[*ref].asgn);
    }
    return removed;
}
