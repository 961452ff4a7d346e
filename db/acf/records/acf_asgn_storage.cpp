// The assignment collection: life, slots, keys, normalising and matching, set
// and revive, removal of single assignments, purges, file order and comment
// lines, and the listing test.
#include "records/acf_asgn_storage.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "acf_table.h"
#include "acf_text_arena.h"
#include "acf_utils.h"
#include "mem_manager.h"
#include "records/acf_assignment_factory.h"
#include "records/acf_global_initializers.h"
#include "records/acf_manager_storage.h"

#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <unordered_map>

MEM_UNIT_INITIALIZER(ACF);

namespace {

bool texts_equal(char const* a, char const* b, bool case_sensitive) {
    return case_sensitive ? std::strcmp(a, b) == 0 : gen_stricmp(a, b) == 0;
}

bool is_case_sensitive(ACF_VARIABLE_TYPE_ENUM type) {
    return acf_test_variable_trait_of(type, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE);
}

} // namespace

// ---------------------------------------------------------------------------
// Filter and entries
// ---------------------------------------------------------------------------

bool ACF_ASGN_SEARCH_FILTER::matches_assignment(ACF_ASSIGNMENT const* asgn) const {
    if (asgn == nullptr) {
        return false;
    }
    ACF_ASGN_SEARCH_FILTER const any;
    return (family == any.family || asgn->is_valid_for_family(family)) &&
           (variable_trait == any.variable_trait || asgn->test_trait_of(variable_trait)) &&
           (category_trait == any.category_trait || asgn->test_category_trait_of(category_trait)) &&
           (ase_category == any.ase_category || asgn->is_valid_for_ase_category(ase_category)) &&
           (section_type == any.section_type || asgn->test_section_type_of(section_type)) &&
           (file_category == any.file_category || asgn->get_file_category() == file_category);
}

char const* ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT::get_acf_file_name() const {
    char const* name = m_assignment ? m_assignment->get_acf_file_name()
                                    : (m_file_name ? m_file_name->c_str() : nullptr);
    return gen_is_empty_string(name) ? nullptr : name;
}

// ---------------------------------------------------------------------------
// Life
// ---------------------------------------------------------------------------

ACF_ASGN_STORAGE::ACF_ASGN_STORAGE(ACF_MANAGER_STORAGE* storage, ACF_ASSIGNMENT_FACTORY* factory)
    : m_acf_manager_storage(storage), m_assignment_factory(factory),
      m_working_parameters(MEM_NEW(ACF, ACF_MGR_INPUT_PARAMETERS)()) {
    ACF_REQUIRE(m_assignment_factory != NULL);
}

ACF_ASGN_STORAGE::ACF_ASGN_STORAGE(ACF_ASGN_STORAGE const* asgn_storage)
    : m_working_parameters(MEM_NEW(ACF, ACF_MGR_INPUT_PARAMETERS)()) {
    if (!ACF_REQUIRE(asgn_storage != NULL)) {
        return;
    }
    m_acf_manager_storage = asgn_storage->m_acf_manager_storage;
    m_assignment_factory = asgn_storage->m_assignment_factory;
    m_entity_name_counts = asgn_storage->m_entity_name_counts;

    // Key order first (equal keys keep their order), then file order.
    std::unordered_map<ACF_ASSIGNMENT const*, ACF_ASSIGNMENT*> copies;
    m_slots.reserve(asgn_storage->m_slots.size());
    asgn_storage->walk_keys(asgn_storage->whole_key_index(), [&](ACF_ASSIGNMENT* asgn) {
        uint32_t const source = asgn_storage->slot_of(asgn);
        ACF_ASSIGNMENT* copy = m_assignment_factory->create_assignment(asgn);
        copies[asgn] = copy;
        uint32_t const slot = take_slot(copy);
        file_under_key(slot, asgn_storage->key_text(asgn_storage->m_slots[source].key),
                       asgn->get_type());
        m_slots[slot].entity_counted = asgn_storage->m_slots[source].entity_counted;
        watch(slot);
        return true;
    });
    asgn_storage->walk_file_order([&](ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry) {
        if (entry.get_assignment() == nullptr) {
            add_comment_line(entry.get_comment(), entry.get_acf_file_name());
        } else {
            enter_at_end(slot_of(copies.at(entry.get_assignment())));
        }
    });
}

ACF_ASGN_STORAGE::~ACF_ASGN_STORAGE() {
    for (SLOT const& slot : m_slots) {
        delete slot.asgn;
    }
    for (KEY const& key : m_keys) {
        if (key.text != nullptr) {
            drop_text(key.text, key.length);
        }
    }
    for (COMMENT_LINE const& line : m_comment_lines) {
        if (line.text != nullptr) {
            drop_text(line.text, std::strlen(line.text));
        }
    }
    delete m_working_parameters;
}

bool ACF_ASGN_STORAGE::have_manager_storage() const {
    return ACF_REQUIRE(m_acf_manager_storage != NULL);
}

// ---------------------------------------------------------------------------
// Holding assignments
// ---------------------------------------------------------------------------

char* ACF_ASGN_STORAGE::keep_text(std::string_view text) {
    size_t const size = text.size() + 1;
    char* kept = size <= ACF_NODE_POOL::LARGEST_NODE ? static_cast<char*>(m_node_pool.take(size))
                                                     : MEM_NEW_ARRAY(ACF, char, size);
    std::memcpy(kept, text.data(), text.size());
    kept[text.size()] = '\0';
    return kept;
}

void ACF_ASGN_STORAGE::drop_text(char* text, size_t length) {
    size_t const size = length + 1;
    if (size <= ACF_NODE_POOL::LARGEST_NODE) {
        m_node_pool.give_back(text, size);
    } else {
        delete[] text;
    }
}

uint32_t ACF_ASGN_STORAGE::slot_of(ACF_ASSIGNMENT const* asgn) const {
    if (asgn == nullptr) {
        return NONE;
    }
    uint32_t const slot = asgn->get_observer_place();
    return slot < m_slots.size() && m_slots[slot].asgn == asgn ? slot : NONE;
}

uint32_t ACF_ASGN_STORAGE::take_slot(ACF_ASSIGNMENT* asgn) {
    forget_placements();
    uint32_t slot = m_free_slot;
    if (slot != NONE) {
        m_free_slot = m_slots[slot].next;
        m_slots[slot] = SLOT();
    } else {
        slot = static_cast<uint32_t>(m_slots.size());
        m_slots.emplace_back();
    }
    m_slots[slot].asgn = asgn;
    return slot;
}

void ACF_ASGN_STORAGE::free_slot(uint32_t slot) {
    forget_placements();
    m_slots[slot] = SLOT();
    m_slots[slot].next = m_free_slot;
    m_free_slot = slot;
}

void ACF_ASGN_STORAGE::hold(ACF_ASSIGNMENT* asgn, std::string const& key) {
    uint32_t const slot = take_slot(asgn);
    file_under_key(slot, key, asgn->get_type());
    enter_at_end(slot);
    watch(slot);
}

void ACF_ASGN_STORAGE::destroy(ACF_ASSIGNMENT* asgn) {
    uint32_t const slot = slot_of(asgn);
    if (slot == NONE) {
        return;
    }
    SLOT& held = m_slots[slot];
    stop_borrowing(held);
    unwatch(slot);
    take_from_key(slot);
    if (held.has_entry) {
        unlink(slot_entry(slot));
    }
    free_slot(slot);
    delete asgn;
}

// ---------------------------------------------------------------------------
// Texts of a settings file read
// ---------------------------------------------------------------------------

uint32_t ACF_ASGN_STORAGE::begin_read_texts() {
    static std::atomic<uint32_t> s_last_read{0};
    uint32_t const read = ++s_last_read;
    if (m_reads.empty()) {
        m_reads.emplace_back(); // number 0 stands for none
    }
    auto free = std::find_if(m_reads.begin() + 1, m_reads.end(),
                             [](KEPT_READ const& kept) { return kept.read == 0; });
    if (free != m_reads.end()) {
        free->read = read;
    } else if (m_reads.size() <= UINT16_MAX) {
        m_reads.emplace_back().read = read;
    }
    // Else the read is not kept here: its assignments copy their commands.
    return read;
}

uint16_t ACF_ASGN_STORAGE::kept_read(uint32_t read) {
    if (m_last_kept_read != 0 && m_reads[m_last_kept_read].read == read) {
        return m_last_kept_read;
    }
    for (size_t kept = 1; kept < m_reads.size(); ++kept) {
        if (m_reads[kept].read == read) {
            m_last_kept_read = static_cast<uint16_t>(kept);
            return m_last_kept_read;
        }
    }
    return 0;
}

void ACF_ASGN_STORAGE::let_go(uint16_t kept) {
    m_reads[kept] = KEPT_READ();
}

void ACF_ASGN_STORAGE::borrow_read_texts(ACF_ASSIGNMENT* asgn, uint32_t read,
                                         ACF_ASGN_READ_TEXTS const& line) {
    uint32_t const slot = slot_of(asgn);
    uint16_t const kept = kept_read(read);
    if (slot == NONE || kept == 0 || m_reads[kept].texts != nullptr) {
        asgn->set_variable_original_tcl_command_from_file(line.command);
        return;
    }
    SLOT& held = m_slots[slot];
    if (held.borrowed_read != 0 && held.borrowed_read != kept) {
        asgn->own_read_texts();
        stop_borrowing(held);
    }
    if (asgn->borrow_read_texts(line) && held.borrowed_read == 0) {
        held.borrowed_read = kept;
        ++m_reads[kept].borrowers;
    }
}

void ACF_ASGN_STORAGE::keep_read_texts(uint32_t read, std::unique_ptr<ACF_MGR_READ_TEXTS> texts) {
    uint16_t const kept = kept_read(read);
    if (kept == 0 || m_reads[kept].texts != nullptr) {
        return;
    }
    if (m_reads[kept].borrowers == 0) {
        let_go(kept);
    } else {
        m_reads[kept].texts = std::move(texts);
    }
}

void ACF_ASGN_STORAGE::stop_borrowing(SLOT& slot) {
    uint16_t const kept = slot.borrowed_read;
    slot.borrowed_read = 0;
    if (kept == 0) {
        return;
    }
    // A read still going on keeps its number until it ends.
    if (--m_reads[kept].borrowers == 0 && m_reads[kept].texts != nullptr) {
        let_go(kept);
    }
}

// ---------------------------------------------------------------------------
// Keys, candidate ranges, normalising and matching
// ---------------------------------------------------------------------------

void ACF_ASGN_STORAGE::create_assignment_key(ACF_MGR_INPUT_PARAMETERS const& params,
                                             std::string& key) const {
    ACF_VARIABLE_TYPE_ENUM const type = params.get_variable_type();
    key = type == ACF_VARIABLE_TYPE_NONE ? "#N" : acf_get_variable_user_name(type);
    if (!gen_is_empty_string(params.get_to())) {
        key += params.get_to();
        if (!gen_is_empty_string(params.get_from())) {
            key += params.get_from();
        }
    }
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    std::list<std::string> values;
    params.get_argument_types(&types);
    params.get_argument_values(&values);
    auto value = values.begin();
    for (ACF_ARGUMENT_TYPE_ENUM arg : types) {
        std::string const text = value != values.end() ? *value++ : std::string();
        switch (arg) {
        case ACF_ARGUMENT_TYPE_TIP:
        case ACF_ARGUMENT_TYPE_SIP:
        case ACF_ARGUMENT_TYPE_LIBRARY:
        case ACF_ARGUMENT_TYPE_FAMILY:
            key += text;
            break;
        case ACF_ARGUMENT_TYPE_RISE:
        case ACF_ARGUMENT_TYPE_FALL:
            key += acf_convert_argument_to_string(arg);
            break;
        default:
            break;
        }
    }
}

std::vector<ACF_ASSIGNMENT*> ACF_ASGN_STORAGE::in_file_order(KEY_RANGE const& range) const {
    std::vector<std::pair<uint32_t, ACF_ASSIGNMENT*>> ordered;
    walk_keys(range, [&](ACF_ASSIGNMENT* asgn) {
        SLOT const& held = m_slots[slot_of(asgn)];
        if (held.has_entry) {
            ordered.emplace_back(held.order, asgn);
        }
        return true;
    });
    std::sort(ordered.begin(), ordered.end());
    std::vector<ACF_ASSIGNMENT*> result;
    result.reserve(ordered.size());
    for (auto const& item : ordered) {
        result.push_back(item.second);
    }
    return result;
}

void ACF_ASGN_STORAGE::set_actual_section_identifier_on_input_parameters() {
    ACF_MGR_INPUT_PARAMETERS& params = *m_working_parameters;
    ACF_VARIABLE_TYPE_ENUM const type = params.get_variable_type();
    char const* section_id = params.get_section_identifier();
    if (type == ACF_VARIABLE_TYPE_NONE || gen_is_empty_string(section_id) ||
        m_acf_manager_storage == nullptr) {
        return;
    }
    if (acf_test_variable_trait_of(type, ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_CHIP_SECTION)) {
        if (acf_os_based_compare(section_id, m_acf_manager_storage->get_active_revision_name())) {
            params.set_section_identifier(nullptr);
        }
    } else if (acf_test_variable_trait_of(
                   type, ACF_VARIABLE_TRAIT_TYPE_INCLUDED_IN_OLD_PROJECT_INFO_SECTION)) {
        if (acf_os_based_compare(section_id, m_acf_manager_storage->get_project_name())) {
            params.set_section_identifier(nullptr);
        }
    }
}

void ACF_ASGN_STORAGE::init_and_clean_local_parameters_from(ACF_MGR_INPUT_PARAMETERS const* source,
                                                            bool global, bool freeform) {
    if (!have_manager_storage()) {
        return;
    }
    ACF_MGR_INPUT_PARAMETERS& params = *m_working_parameters;
    params = source;
    set_actual_section_identifier_on_input_parameters();
    if (!global || freeform) {
        std::string cleaned;
        if (params.get_from() != nullptr) {
            acf_source_target_cleanup(params.get_from(), &cleaned);
            params.set_from(cleaned.c_str());
        }
        if (params.get_to() != nullptr) {
            acf_source_target_cleanup(params.get_to(), &cleaned);
            params.set_to(cleaned.c_str());
        }
    }
    if (global) {
        params.set_from(nullptr);
        params.set_to(nullptr);
    }
    if (freeform) {
        params.set_variable_type(ACF_VARIABLE_TYPE_NONE);
    }
    int const value_type = acf_get_value_type(params.get_variable_type());
    if ((value_type == 7 || value_type == 8) && !gen_is_empty_string(params.get_value_string())) {
        std::string value = params.get_value_string();
        if (acf_convert_time_frequency_to_correct_case(value)) {
            params.set_value_string(value.c_str());
        }
    }
}

// The revision's top-level entity stands for no entity: the settings file leaves
// "-entity" out for it, and reading gives the lines without one the top-level
// entity. So a request without an entity finds what was read for the top-level
// entity, and one naming the top-level entity finds what was set without one.
bool ACF_ASGN_STORAGE::entities_agree(char const* wanted, char const* held) const {
    bool wanted_none = gen_is_empty_string(wanted);
    bool held_none = gen_is_empty_string(held);
    if (wanted_none || held_none ? wanted_none == held_none : std::strcmp(wanted, held) == 0) {
        return true;
    }
    if (m_acf_manager_storage == nullptr) {
        return false;
    }
    std::string const& top = m_acf_manager_storage->get_top_level_entity_name();
    return !top.empty() && (wanted_none || top == wanted) && (held_none || top == held);
}

bool ACF_ASGN_STORAGE::does_assignment_match(ACF_ASSIGNMENT* acf_assignment,
                                             ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                             ACF_ASGN_SEARCH_FILTER const& filter,
                                             bool allow_ignored, bool removed, bool global,
                                             bool freeform) {
    if (!ACF_REQUIRE(acf_assignment != NULL) || !ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    ACF_ASSIGNMENT const& asgn = *acf_assignment;
    ACF_MGR_INPUT_PARAMETERS const& params = *input_parameters;
    if (asgn.is_removed() != removed) {
        return false;
    }
    if (freeform) {
        if (asgn.get_type() != ACF_VARIABLE_TYPE_NONE) {
            return false;
        }
        char const* name = params.get_variable_string();
        if (name != nullptr && gen_stricmp(name, asgn.get_variable_string()) != 0) {
            return false;
        }
    } else if (params.get_variable_type() != ACF_VARIABLE_TYPE_NONE &&
               params.get_variable_type() != asgn.get_type()) {
        return false;
    }
    char const* value = params.get_value_string();
    if (!gen_is_empty_string(value) &&
        (!removed || asgn.test_target_type_of(ACF_FILE_CATEGORY_TARGET_TYPE_DESIGN_FILE)) &&
        !texts_equal(value, asgn.get_unmodified_value(allow_ignored),
                     is_case_sensitive(asgn.get_type()))) {
        return false;
    }
    char const* section_id = params.get_section_identifier();
    if (gen_is_empty_string(section_id)
            ? !gen_is_empty_string(asgn.get_section_identifier())
            : (asgn.get_section_identifier() == nullptr ||
               gen_stricmp(section_id, asgn.get_section_identifier()) != 0)) {
        return false;
    }
    if (!entities_agree(params.get_entity_name(), asgn.get_entity_name())) {
        return false;
    }
    if (!freeform && asgn.is_global() != global) {
        return false;
    }
    if (!global || freeform) {
        char const* from = params.get_from();
        char const* to = params.get_to();
        if ((!gen_is_empty_string(from) && std::strcmp(from, asgn.get_source()) != 0) ||
            (!gen_is_empty_string(to) && std::strcmp(to, asgn.get_target()) != 0)) {
            return false;
        }
    }
    if (!freeform && !filter.matches_assignment(&asgn)) {
        return false;
    }
    if (!allow_ignored && asgn.is_ignored() && *asgn.get_unmodified_value(false) == '\0') {
        return false;
    }
    if (asgn.get_family_enum() != DEV_FAMILY_GENERIC &&
        (m_acf_manager_storage == nullptr ||
         asgn.get_family_enum() != m_acf_manager_storage->get_project_family_enum())) {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Set and revive
// ---------------------------------------------------------------------------

void ACF_ASGN_STORAGE::set_assignment_args_from_input_parameters(ACF_ASSIGNMENT* asgn) const {
    if (asgn == nullptr) {
        return;
    }
    asgn->clear_arguments();
    std::vector<ACF_ARGUMENT_TYPE_ENUM> types;
    std::list<std::string> values;
    m_working_parameters->get_argument_types(&types);
    m_working_parameters->get_argument_values(&values);
    auto value = values.begin();
    for (auto type = types.begin(); type != types.end() && value != values.end(); ++type, ++value) {
        asgn->add_argument(*type, value->c_str());
    }
}

void ACF_ASGN_STORAGE::count_entity_name(ACF_ASSIGNMENT* asgn, std::string const& entity_name) {
    uint32_t const slot = slot_of(asgn);
    if (entity_name.empty() || slot == NONE || m_slots[slot].entity_counted) {
        return;
    }
    add_entity_name_to_map(entity_name.c_str());
    m_slots[slot].entity_counted = true;
}

void ACF_ASGN_STORAGE::share_entity_name(ACF_ASSIGNMENT* asgn) {
    char const* name = asgn->get_entity_name();
    if (!gen_is_empty_string(name)) {
        asgn->borrow_entity_name(m_entity_names.insert(name).first->c_str());
    }
}

void ACF_ASGN_STORAGE::add_entity_name_to_map(char const* entity_name) {
    if (!gen_is_empty_string(entity_name)) {
        ++m_entity_name_counts[entity_name];
    }
}

ACF_ASSIGNMENT* ACF_ASGN_STORAGE::set_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                 bool default_status, bool global, bool freeform,
                                                 bool changed_status, bool always_new) {
    if (!ACF_REQUIRE(input_parameters != NULL) || !have_manager_storage()) {
        return nullptr;
    }
    init_and_clean_local_parameters_from(input_parameters, global, freeform);
    ACF_MGR_INPUT_PARAMETERS& params = *m_working_parameters;
    std::string key;
    create_assignment_key(params, key);
    ACF_VARIABLE_TYPE_ENUM const type = params.get_variable_type();
    // Kept apart: the store's hooks below may run other queries of the collection.
    std::string const entity_name = params.get_entity_name() ? params.get_entity_name() : "";

    ACF_ASSIGNMENT* asgn = nullptr;
    if (!always_new) {
        bool const reuse = !acf_test_variable_trait_of(
            type, ACF_VARIABLE_TRAIT_TYPE_DONT_REUSE_REMOVED_ASSIGNMENT);
        asgn = find_removed_assignment(&params, key, global, freeform, !reuse);
    }
    if (asgn != nullptr) {
        asgn->set_remove_status(false);
        asgn->set_changed_status(false);
        char const* new_value = params.get_value_string() ? params.get_value_string() : "";
        if (asgn->is_default_value() && !texts_equal(asgn->get_unmodified_value(false), new_value,
                                                     is_case_sensitive(asgn->get_type()))) {
            asgn->set_default_status(false);
            move_assignment_to_end_of_coll(asgn);
        }
        asgn->set_ignore_status(false);
        asgn->set_value(params.get_value_string());
        asgn->set_section_identifier(params.get_section_identifier());
        set_assignment_args_from_input_parameters(asgn);
        m_acf_manager_storage->replace_tdf_with_tsf_value(asgn);
        asgn->set_transient(m_acf_manager_storage->get_transient_assignments_mode());
        // An assignment whose entry was dropped while it was removed is written
        // again once it lives.
        uint32_t const slot = slot_of(asgn);
        if (!m_slots[slot].has_entry) {
            enter_at_end(slot);
        }
    } else {
        asgn = m_assignment_factory->create_assignment(
            type, freeform ? params.get_variable_string() : nullptr, params.get_from(),
            params.get_to(), params.get_value_string(), nullptr, false);
        if (!ACF_REQUIRE(asgn != NULL)) {
            return nullptr;
        }
        asgn->set_default_status(default_status);
        asgn->set_section_identifier(params.get_section_identifier());
        asgn->set_entity_name(params.get_entity_name());
        share_entity_name(asgn);
        asgn->set_ignore_status(params.get_is_ignored());
        set_assignment_args_from_input_parameters(asgn);
        m_acf_manager_storage->replace_tdf_with_tsf_value(asgn);
        asgn->set_changed_status(changed_status);
        hold(asgn, key);
    }
    count_entity_name(asgn, entity_name);
    asgn->set_changed_status(changed_status);
    return asgn;
}

// ---------------------------------------------------------------------------
// Removal
// ---------------------------------------------------------------------------

void ACF_ASGN_STORAGE::remove_one(ACF_ASSIGNMENT* asgn) {
    if (asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_ALWAYS_WRITE_TO_FILE)) {
        char const* default_value = m_acf_manager_storage->get_default_value_for_variable(
            asgn->get_type(), asgn->get_section_identifier(), asgn->get_entity_name() != nullptr,
            DEV_FAMILY_GENERIC);
        if (default_value != nullptr) {
            asgn->set_value(default_value);
        }
    } else {
        asgn->set_remove_status(true);
    }
    asgn->set_changed_status(true);
    remove_assignment_from_maps(asgn, true);
}

void ACF_ASGN_STORAGE::remove_assignment_or_set_to_default(ACF_ASSIGNMENT* asgn) {
    if (asgn != nullptr && have_manager_storage()) {
        remove_one(asgn);
    }
}

void ACF_ASGN_STORAGE::remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool global,
                                         bool freeform, ACF_ASGN_SEARCH_FILTER const& filter,
                                         ACF_ASSIGNMENT_LIST* coll) {
    if (!ACF_REQUIRE(input_parameters != NULL) || !ACF_REQUIRE(coll != NULL) ||
        !have_manager_storage()) {
        return;
    }
    init_and_clean_local_parameters_from(input_parameters, global, freeform);
    ACF_MGR_INPUT_PARAMETERS& params = *m_working_parameters;
    ACF_VARIABLE_TYPE_ENUM const type = params.get_variable_type();
    KEY_RANGE range;
    if ((type == ACF_VARIABLE_TYPE_NONE && !freeform) || gen_is_empty_string(params.get_to())) {
        range = variable_key_range(type, freeform);
    } else {
        std::string key;
        create_assignment_key(params, key);
        range = equal_key_range(key);
    }
    // Matches are chosen before any is removed: removing an IP file removes the
    // files it brought through the revision storage, which comes back here.
    bool const defaults_only = params.get_skip_non_defaults();
    std::vector<ACF_ASSIGNMENT*> matches;
    walk_keys(range, [&](ACF_ASSIGNMENT* asgn) {
        if ((!defaults_only || asgn->is_default_value()) &&
            does_assignment_match(asgn, &params, filter, true, false, global, freeform)) {
            matches.push_back(asgn);
        }
        return true;
    });
    remove_matches(matches, coll);
}

// Removes each of `matches` not removed meanwhile (removing an IP file
// removes the files it brought), noting it in `coll`.
void ACF_ASGN_STORAGE::remove_matches(std::vector<ACF_ASSIGNMENT*> const& matches,
                                      ACF_ASSIGNMENT_LIST* coll) {
    for (ACF_ASSIGNMENT* asgn : matches) {
        if (!asgn->is_removed()) {
            coll->push_back(asgn);
            remove_one(asgn);
        }
    }
}

void ACF_ASGN_STORAGE::remove_global_assignments(
    std::vector<ACF_MGR_INPUT_PARAMETERS> const& queries, ACF_ASGN_SEARCH_FILTER const& filter,
    ACF_ASSIGNMENT_LIST* coll) {
    if (!ACF_REQUIRE(coll != NULL) || !have_manager_storage() || queries.empty()) {
        return;
    }
    ACF_VARIABLE_TYPE_ENUM const type = queries.front().get_variable_type();
    bool const case_sensitive = is_case_sensitive(type);
    // A query is found by its section identifier and value as the match
    // compares them; one without a value by its section identifier alone.
    auto key_of = [&](char const* section_id, char const* value) {
        std::string key = gen_fold_case(section_id);
        key += '\0';
        if (value == nullptr) {
            return key;
        }
        key += '\1';
        key += case_sensitive ? std::string(value) : gen_fold_case(value);
        return key;
    };
    // Only each query's key is kept; a query is cleaned again where its key
    // is met. A cleaned copy of every query (some 400 bytes each) made Delete
    // All of many assignment groups fill, and fault in, tens of fresh megabytes.
    std::unordered_map<std::string, std::vector<size_t>> by_key;
    by_key.reserve(queries.size());
    for (size_t i = 0; i < queries.size(); ++i) {
        if (!ACF_REQUIRE(queries[i].get_variable_type() == type && type != ACF_VARIABLE_TYPE_NONE)) {
            return;
        }
        init_and_clean_local_parameters_from(&queries[i], true, false);
        ACF_MGR_INPUT_PARAMETERS const& params = *m_working_parameters;
        char const* value = params.get_value_string();
        by_key[key_of(params.get_section_identifier(),
                      gen_is_empty_string(value) ? nullptr : value)]
            .push_back(i);
    }
    auto matched = [&](ACF_ASSIGNMENT* asgn, std::string const& key) {
        auto found = by_key.find(key);
        return found != by_key.end() &&
               std::any_of(found->second.begin(), found->second.end(), [&](size_t i) {
                   init_and_clean_local_parameters_from(&queries[i], true, false);
                   ACF_MGR_INPUT_PARAMETERS* params = m_working_parameters;
                   return (!params->get_skip_non_defaults() || asgn->is_default_value()) &&
                          does_assignment_match(asgn, params, filter, true, false, true, false);
               });
    };
    // Matches are chosen before any is removed, as remove_assignment does.
    std::vector<ACF_ASSIGNMENT*> matches;
    walk_keys(variable_key_range(type, false), [&](ACF_ASSIGNMENT* asgn) {
        char const* section_id = asgn->get_section_identifier();
        if (matched(asgn, key_of(section_id, asgn->get_unmodified_value(true))) ||
            matched(asgn, key_of(section_id, nullptr))) {
            matches.push_back(asgn);
        }
        return true;
    });
    remove_matches(matches, coll);
}

void ACF_ASGN_STORAGE::remove_assignment_from_maps(ACF_ASSIGNMENT* asgn, bool cascade) {
    if (asgn == nullptr) {
        return;
    }
    ACF_VARIABLE_TYPE_ENUM const type = asgn->get_type();
    if (cascade && (type == ACF_VARIABLE_TYPE_TIP_FILE || type == ACF_VARIABLE_TYPE_SIP_FILE)) {
        ACF_ASGN_SEARCH_FILTER source_files;
        source_files.variable_trait = ACF_VARIABLE_TRAIT_TYPE_PROJECT_SOURCE_FILE;
        ACF_ASSIGNMENT_LIST brought;
        get_all_assignments(source_files, false, false, true, false, false, &brought);
        // The IP file's name as the settings wrote it and the tags of the files
        // it brought are both taken from the project's folder.
        // The IP file's name is normalised once, not once per file compared.
        std::string const ip_file =
            m_acf_manager_storage->in_project_folder(asgn->get_unmodified_value(false));
        std::string const ip_full_path = FIO_PATH(ip_file).full_path();
        auto brought_by_it = [&](ACF_ASSIGNMENT* source_file, ACF_ARGUMENT_TYPE_ENUM tag) {
            char const* name = source_file->get_argument_value(tag);
            if (name == nullptr) {
                return false;
            }
            std::string const tag_file = m_acf_manager_storage->in_project_folder(name);
            return tag_file == ip_file || FIO_PATH(tag_file).full_path() == ip_full_path;
        };
        for (ACF_ASSIGNMENT* source_file : brought) {
            if (brought_by_it(source_file, ACF_ARGUMENT_TYPE_TIP) ||
                brought_by_it(source_file, ACF_ARGUMENT_TYPE_SIP)) {
                source_file->remove();
            }
        }
    }
    if (asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_ALWAYS_WRITE_TO_FILE) ||
        asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_DONT_COPY_TO_NEW_FILE_FORMAT) ||
        asgn->is_default_value() || asgn->get_entity_name() == nullptr) {
        return;
    }
    // Only an assignment whose name is counted counts it down, so that an
    // assignment removed twice cannot drop a name that others still use.
    uint32_t const slot = slot_of(asgn);
    if (slot == NONE || !m_slots[slot].entity_counted) {
        return;
    }
    m_slots[slot].entity_counted = false;
    auto count = m_entity_name_counts.find(asgn->get_entity_name());
    if (count != m_entity_name_counts.end() && --count->second <= 0) {
        m_entity_name_counts.erase(count);
    }
}

// ---------------------------------------------------------------------------
// Removed assignments and purges
// ---------------------------------------------------------------------------

ACF_ASSIGNMENT*
ACF_ASGN_STORAGE::find_removed_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                          std::string& key, bool global, bool freeform,
                                          bool purge) {
    if (!ACF_REQUIRE(input_parameters != NULL) || !have_manager_storage()) {
        return nullptr;
    }
    // Only removed assignments are candidates: those of the key, or of every
    // freeform key, or of the whole index.
    ACF_VARIABLE_TYPE_ENUM const type = input_parameters->get_variable_type();
    std::vector<ACF_ASSIGNMENT*> const removed = type != ACF_VARIABLE_TYPE_NONE
                                                     ? removed_in_keys(key, false)
                                                     : removed_in_keys(freeform ? "#N" : "", true);
    ACF_ASGN_SEARCH_FILTER const any;
    for (ACF_ASSIGNMENT* asgn : removed) {
        if (does_assignment_match(asgn, input_parameters, any, false, true, global, freeform)) {
            if (!purge) {
                return asgn;
            }
            purge_removed(asgn);
            return nullptr;
        }
    }
    return nullptr;
}

void ACF_ASGN_STORAGE::purge_removed(ACF_ASSIGNMENT* asgn) {
    set_as_dangling_pointer(asgn);
    remove_assignment_from_maps(asgn, false);
    m_acf_manager_storage->remove_assignment_from_changed_list(asgn);
    destroy(asgn);
}

void ACF_ASGN_STORAGE::delete_all_removed_assignments() {
    for (ACF_ASSIGNMENT* asgn : removed_in_keys("", true)) {
        if (asgn->is_removed()) {
            if (m_acf_manager_storage != nullptr) {
                m_acf_manager_storage->remove_assignment_from_changed_list(asgn);
            }
            destroy(asgn);
        }
    }
}

bool ACF_ASGN_STORAGE::is_dangling_pointer(ACF_ASSIGNMENT* asgn) const {
    return asgn == nullptr || m_deleted_map.count(asgn) != 0;
}

void ACF_ASGN_STORAGE::set_as_dangling_pointer(ACF_ASSIGNMENT* asgn) {
    m_deleted_map.emplace(asgn, true);
}

void ACF_ASGN_STORAGE::reset_deleted_map() {
    m_deleted_map.clear();
}

// ---------------------------------------------------------------------------
// Order and comment entries
// ---------------------------------------------------------------------------

ACF_ASGN_STORAGE::ENTRY& ACF_ASGN_STORAGE::prev_of(ENTRY entry) {
    return (entry & 1) != 0 ? m_comment_lines[entry >> 1].prev : m_slots[entry >> 1].prev;
}

ACF_ASGN_STORAGE::ENTRY& ACF_ASGN_STORAGE::next_of(ENTRY entry) {
    return (entry & 1) != 0 ? m_comment_lines[entry >> 1].next : m_slots[entry >> 1].next;
}

void ACF_ASGN_STORAGE::link_at_end(ENTRY entry) {
    prev_of(entry) = m_last_entry;
    next_of(entry) = NONE;
    (m_last_entry != NONE ? next_of(m_last_entry) : m_first_entry) = entry;
    m_last_entry = entry;
    ++m_entry_count;
}

void ACF_ASGN_STORAGE::unlink(ENTRY entry) {
    ENTRY const prev = prev_of(entry);
    ENTRY const next = next_of(entry);
    (prev != NONE ? next_of(prev) : m_first_entry) = next;
    (next != NONE ? prev_of(next) : m_last_entry) = prev;
    prev_of(entry) = NONE;
    next_of(entry) = NONE;
    --m_entry_count;
}

void ACF_ASGN_STORAGE::enter_at_end(uint32_t slot) {
    uint32_t const order = next_order();
    link_at_end(slot_entry(slot));
    m_slots[slot].has_entry = true;
    m_slots[slot].order = order;
}

uint32_t ACF_ASGN_STORAGE::next_order() {
    if (m_next_order == NONE) {
        // Numbered afresh in file order, which the numbers only ever compare.
        m_next_order = 0;
        for (ENTRY entry = m_first_entry; entry != NONE; entry = next_of(entry)) {
            if ((entry & 1) == 0) {
                m_slots[entry >> 1].order = m_next_order++;
            }
        }
    }
    return m_next_order++;
}

uint32_t ACF_ASGN_STORAGE::next_key_order() {
    if (m_next_key_order == NONE) {
        // Numbered afresh in key order: the numbers only ever compare equal
        // keys, and the ordered sets keep their order.
        m_next_key_order = 0;
        for (uint32_t key : whole_key_index()) {
            for (uint32_t slot = m_keys[key].first; slot != NONE; slot = m_slots[slot].key_next) {
                m_slots[slot].key_order = m_next_key_order++;
            }
        }
    }
    return m_next_key_order++;
}

void ACF_ASGN_STORAGE::move_assignment_to_end_of_coll(ACF_ASSIGNMENT* asgn) {
    uint32_t const slot = slot_of(asgn);
    if (slot == NONE || !m_slots[slot].has_entry) {
        return;
    }
    unlink(slot_entry(slot));
    enter_at_end(slot);
}

void ACF_ASGN_STORAGE::add_comment_line(char const* comment, char const* file_name) {
    if (comment == nullptr) {
        return;
    }
    uint32_t line = m_free_comment_line;
    if (line != NONE) {
        m_free_comment_line = m_comment_lines[line].next;
    } else {
        line = static_cast<uint32_t>(m_comment_lines.size());
        m_comment_lines.emplace_back();
    }
    m_comment_lines[line].text = keep_text(comment);
    m_comment_lines[line].file_name = acf_intern_file_name(file_name);
    link_at_end(comment_entry(line));
}

void ACF_ASGN_STORAGE::drop_comment_line(uint32_t line) {
    unlink(comment_entry(line));
    COMMENT_LINE& dropped = m_comment_lines[line];
    drop_text(dropped.text, std::strlen(dropped.text));
    dropped = COMMENT_LINE();
    dropped.next = m_free_comment_line;
    m_free_comment_line = line;
}

void ACF_ASGN_STORAGE::delete_comment(ACF_ASSIGNMENT* asgn) {
    if (asgn == nullptr || !asgn->is_removed()) {
        return;
    }
    uint32_t const slot = slot_of(asgn);
    if (slot == NONE || !m_slots[slot].has_entry) {
        return;
    }
    unlink(slot_entry(slot));
    m_slots[slot].has_entry = false;
}

void ACF_ASGN_STORAGE::delete_all_comments() {
    for (ENTRY entry = m_first_entry; entry != NONE;) {
        ENTRY const next = next_of(entry);
        if ((entry & 1) != 0) {
            drop_comment_line(entry >> 1);
        }
        entry = next;
    }
}

// ---------------------------------------------------------------------------
// Listing
// ---------------------------------------------------------------------------

void ACF_ASGN_STORAGE::add_assignment_to_collection_if_it_matches_all_of_these_filters(
    ACF_ASGN_SEARCH_FILTER const& filter, bool allow_ignored, bool include_removed, bool global,
    bool instance, bool freeform, ACF_ASSIGNMENT_LIST* coll, ACF_ASSIGNMENT* asgn) {
    if (!ACF_REQUIRE(coll != NULL) || asgn == nullptr) {
        return;
    }
    if (!filter.matches_assignment(asgn) || (!include_removed && asgn->is_removed())) {
        return;
    }
    if (!allow_ignored && asgn->is_ignored() && *asgn->get_unmodified_value(false) == '\0') {
        return;
    }
    bool const placed = asgn->get_type() == ACF_VARIABLE_TYPE_NONE ? freeform
                        : asgn->is_global()                        ? global
                                                                   : instance;
    if (!placed) {
        return;
    }
    if (asgn->get_family_enum() != DEV_FAMILY_GENERIC &&
        (m_acf_manager_storage == nullptr ||
         asgn->get_family_enum() != m_acf_manager_storage->get_project_family_enum())) {
        return;
    }
    coll->push_back(asgn);
}

void ACF_ASGN_STORAGE::get_all_assignments(ACF_ASGN_SEARCH_FILTER const& filter, bool allow_ignored,
                                           bool include_removed, bool global, bool instance,
                                           bool freeform, ACF_ASSIGNMENT_LIST* coll) {
    if (!ACF_REQUIRE(coll != NULL)) {
        return;
    }
    walk_file_order([&](ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry) {
        if (entry.get_assignment() != nullptr) {
            add_assignment_to_collection_if_it_matches_all_of_these_filters(
                filter, allow_ignored, include_removed, global, instance, freeform, coll,
                entry.get_assignment());
        }
    });
}
