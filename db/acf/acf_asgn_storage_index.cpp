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
#include "acf_asgn_storage.h"

#include "acf_assignment.h"
#include "acf_table_types.h"

#include "suite/general/gen.h"

namespace {

// FNV-1a over the selector's parts; `fold` lowers ASCII letters as the
// case-insensitive compare does.
class SELECTOR_HASH {
public:
    explicit SELECTOR_HASH(char tag) { add_byte(static_cast<unsigned char>(tag)); }
    SELECTOR_HASH& add(char const* text, bool fold) {
        return add(text != nullptr ? std::string_view(text) : std::string_view(), fold);
    }
    SELECTOR_HASH& add(std::string_view text, bool fold) {
        for (char c : text) {
            unsigned char b = static_cast<unsigned char>(c);
            add_byte(fold && b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b + ('a' - 'A'))
                                                  : b);
        }
        add_byte(0);
        return *this;
    }
    // Never 0, which stands for "no selector".
    uint64_t value() const { return m_hash == 0 ? 1 : m_hash; }

private:
    void add_byte(unsigned char b) {
        m_hash ^= b;
        m_hash *= 0x100000001b3ULL;
    }
    uint64_t m_hash = 0xcbf29ce484222325ULL;
};

} // namespace

// ---------------------------------------------------------------------------
// Orders
// ---------------------------------------------------------------------------

bool ACF_ASGN_STORAGE::BY_KEY_ORDER::operator()(KEY_ORDER_REF const& a,
                                                KEY_ORDER_REF const& b) const {
    int const order = a.node->first.compare(b.node->first);
    return order != 0 ? order < 0 : a.key_order < b.key_order;
}

bool ACF_ASGN_STORAGE::BY_KEY_ORDER::operator()(KEY_ORDER_REF const& a,
                                                std::string const& key) const {
    return a.node->first < key;
}

bool ACF_ASGN_STORAGE::BY_KEY_ORDER::operator()(std::string const& key,
                                                KEY_ORDER_REF const& b) const {
    return key < b.node->first;
}

// ---------------------------------------------------------------------------
// Selector runs
// ---------------------------------------------------------------------------

ACF_ASGN_STORAGE::RUN_CURSOR::RUN_CURSOR(SELECTOR_RUN const& run) {
    if (run.many == nullptr) {
        m_only = &run.only;
    } else {
        m_next = run.many->begin();
        m_end = run.many->end();
    }
}

void ACF_ASGN_STORAGE::RUN_CURSOR::advance() {
    if (m_only != nullptr) {
        m_only = nullptr;
    } else {
        ++m_next;
    }
}

ACF_ASGN_STORAGE::RUN_CURSOR ACF_ASGN_STORAGE::run_of(uint64_t selector) const {
    auto run = m_selected.find(selector);
    return run != m_selected.end() ? RUN_CURSOR(run->second) : RUN_CURSOR();
}

void ACF_ASGN_STORAGE::add_to_run(uint64_t selector, KEY_ORDER_REF const& ref) {
    auto added = m_selected.try_emplace(selector);
    SELECTOR_RUN& run = added.first->second;
    if (added.second) {
        run.only = ref;
        return;
    }
    if (run.many == nullptr) {
        run.many = std::make_unique<KEY_ORDER_SET>(KEY_ORDER_SET::allocator_type(&m_node_pool));
        run.many->insert(run.only);
    }
    run.many->insert(ref);
}

void ACF_ASGN_STORAGE::drop_from_run(uint64_t selector, KEY_ORDER_REF const& ref) {
    auto found = m_selected.find(selector);
    if (found == m_selected.end()) {
        return;
    }
    SELECTOR_RUN& run = found->second;
    if (run.many == nullptr) {
        if (run.only.node == ref.node) {
            m_selected.erase(found);
        }
        return;
    }
    run.many->erase(ref);
    if (run.many->empty()) {
        m_selected.erase(found);
    } else if (run.many->size() == 1) {
        run.only = *run.many->begin();
        run.many.reset();
    }
}

// ---------------------------------------------------------------------------
// Selectors
// ---------------------------------------------------------------------------

uint64_t ACF_ASGN_STORAGE::value_selector(std::string_view key, char const* value) {
    return SELECTOR_HASH('V').add(key, false).add(value, true).value();
}

uint64_t ACF_ASGN_STORAGE::ignored_selector(std::string_view key) {
    return SELECTOR_HASH('I').add(key, false).value();
}

uint64_t ACF_ASGN_STORAGE::name_selector(char const* name, char const* target) {
    if (gen_is_empty_string(target)) {
        return SELECTOR_HASH('N').add(name, true).value();
    }
    return SELECTOR_HASH('T').add(name, true).add(target, false).value();
}

int ACF_ASGN_STORAGE::selectors_of(ACF_ASSIGNMENT const& asgn, std::string_view key,
                                   uint64_t selectors[2]) {
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

// ---------------------------------------------------------------------------
// Keeping the indexes
// ---------------------------------------------------------------------------

void ACF_ASGN_STORAGE::watch(ACF_ASSIGNMENT* asgn, POSITION& position) {
    position.key_order = m_next_key_order++;
    asgn->set_observer(this);
    index(asgn, position);
    if (asgn->has_changed()) {
        m_changed.insert(asgn);
    }
}

void ACF_ASGN_STORAGE::index(ACF_ASSIGNMENT* asgn, POSITION& position) {
    KEY_ORDER_REF const ref{position.key_node, position.key_order};
    uint64_t wanted[2] = {0, 0};
    int const count = selectors_of(*asgn, position.key_node->first, wanted);
    if (count != position.selector_count || wanted[0] != position.selectors[0] ||
        wanted[1] != position.selectors[1]) {
        for (int i = 0; i < position.selector_count; ++i) {
            drop_from_run(position.selectors[i], ref);
        }
        for (int i = 0; i < count; ++i) {
            add_to_run(wanted[i], ref);
        }
        position.selector_count = static_cast<uint8_t>(count);
        position.selectors[0] = wanted[0];
        position.selectors[1] = wanted[1];
    }
    bool const removed = asgn->is_removed();
    if (removed != position.removed_listed) {
        if (removed) {
            m_removed.insert(ref);
        } else {
            m_removed.erase(ref);
        }
        position.removed_listed = removed;
    }
}

void ACF_ASGN_STORAGE::unwatch(ACF_ASSIGNMENT* asgn, POSITION& position) {
    KEY_ORDER_REF const ref{position.key_node, position.key_order};
    for (int i = 0; i < position.selector_count; ++i) {
        drop_from_run(position.selectors[i], ref);
    }
    position.selector_count = 0;
    if (position.removed_listed) {
        m_removed.erase(ref);
        position.removed_listed = false;
    }
    m_changed.erase(asgn);
    asgn->set_observer(nullptr);
}

void ACF_ASGN_STORAGE::changed_mark_turned(ACF_ASSIGNMENT* asgn, bool on) {
    if (on) {
        m_changed.insert(asgn);
    } else {
        m_changed.erase(asgn);
    }
}

void ACF_ASGN_STORAGE::reserve(size_t assignments) {
    m_positions.reserve(m_positions.size() + assignments);
    m_selected.reserve(m_selected.size() + assignments);
}

void ACF_ASGN_STORAGE::matching_state_changed(ACF_ASSIGNMENT* asgn) {
    auto found = m_positions.find(asgn);
    if (found != m_positions.end()) {
        index(asgn, found->second);
    }
}

// ---------------------------------------------------------------------------
// Using the indexes
// ---------------------------------------------------------------------------

std::vector<ACF_ASSIGNMENT*> ACF_ASGN_STORAGE::removed_in_keys(std::string const& key,
                                                               bool prefix) const {
    std::vector<ACF_ASSIGNMENT*> removed;
    for (auto ref = m_removed.lower_bound(key); ref != m_removed.end(); ++ref) {
        std::string_view const held = ref->node->first;
        if (prefix ? held.compare(0, key.size(), key) != 0 : held != key) {
            break;
        }
        removed.push_back(ref->node->second);
    }
    return removed;
}
