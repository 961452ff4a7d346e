// The assignment record: construction and normalisation, getters, value
// canonical form, text setters, arguments, status flags and the storage-facing
// operations. The command text is in acf_assignment_tcl_command.cpp.
#include "acf_assignment.h"

#include "acf_internal_error.h"
#include "acf_mgr_input_parameters.h"
#include "acf_msgs.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "catalogue/acf_legality.h"
#include "mem_manager.h"
#include "records/acf_assignment_impl.h"
#include "records/acf_global_initializers.h"
#include "records/acf_manager_storage.h"
#include "records/acf_string_pool.h"

#include "suite/config/cfg.h"
#include "suite/devicedb/dev.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <mutex>

MEM_UNIT_INITIALIZER(ACF);

// ---------------------------------------------------------------------------
// Texts and the implementation record
// ---------------------------------------------------------------------------

bool acf_assignment_uses_string_pool() {
    static bool const s_use_pool = cfg_is_on("ACF_ASSIGNMENT_USE_STRING_POOL", false);
    return s_use_pool;
}

ACF_ASSIGNMENT_IMPL::ACF_ASSIGNMENT_IMPL(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type,
                                         bool ignored)
    : m_type(static_cast<int16_t>(type)), m_storage(storage) {
    store_flag(FLAG_IGNORED, ignored);
    store_flag(FLAG_POOLED, acf_assignment_uses_string_pool());
}

ACF_ASSIGNMENT_IMPL::ACF_ASSIGNMENT_IMPL(ACF_ASSIGNMENT_IMPL const* original)
    : ACF_ASSIGNMENT_IMPL(original->m_storage, original->type(), false) {
    uint8_t const copied_bits =
        FLAG_REMOVED | FLAG_IGNORED | FLAG_DEFAULT | FLAG_CHANGED | FLAG_TRANSIENT | FLAG_POOLED;
    m_flags = static_cast<uint8_t>(original->m_flags & copied_bits);
    // The copy owns its texts, borrowed ones too: it may outlive what they
    // were borrowed from.
    for (auto field : TEXT_FIELDS) {
        ACF_ASGN_TEXT const& from = original->*field;
        if (from.is_present()) {
            set_text(this->*field, from.get(), true);
        }
    }
    if (original->m_extras != nullptr) {
        ACF_ASGN_EXTRAS& copied = extras();
        copied.arguments = original->m_extras->arguments;
        copied.file_name = original->m_extras->file_name;
        copied.family = original->m_extras->family;
        for (auto field : ACF_ASGN_EXTRAS::TEXT_FIELDS) {
            set_text(copied.*field, (original->m_extras->*field).get());
        }
    }
}

static_assert(DEV_FAMILY_GENERIC <= UINT8_MAX, "a family number is kept in a byte");
static_assert(ACF_VARIABLE_TYPE_ACF_ACF_LAST_VARIABLE <= INT16_MAX,
              "a variable number is kept in 16 bits");
// One block of the allocator's 96-byte class per settings line, with the
// memory manager's 16-byte header in front.
static_assert(sizeof(ACF_ASSIGNMENT) <= 80, "a record stays small: one per settings line");

ACF_ASGN_TEXT ACF_ASSIGNMENT_IMPL::*const ACF_ASSIGNMENT_IMPL::TEXT_FIELDS[6] = {
    &ACF_ASSIGNMENT_IMPL::m_from,         &ACF_ASSIGNMENT_IMPL::m_to,
    &ACF_ASSIGNMENT_IMPL::m_value,        &ACF_ASSIGNMENT_IMPL::m_entity,
    &ACF_ASSIGNMENT_IMPL::m_read_command, &ACF_ASSIGNMENT_IMPL::m_freeform_name};

ACF_ASGN_TEXT ACF_ASGN_EXTRAS::*const ACF_ASGN_EXTRAS::TEXT_FIELDS[2] = {
    &ACF_ASGN_EXTRAS::comment, &ACF_ASGN_EXTRAS::section_identifier};

ACF_ASGN_TEXT const ACF_ASSIGNMENT_IMPL::ABSENT_TEXT;

ACF_ASSIGNMENT_IMPL::~ACF_ASSIGNMENT_IMPL() {
    for (auto field : TEXT_FIELDS) {
        clear_text(this->*field);
    }
    if (m_extras != nullptr) {
        for (auto field : ACF_ASGN_EXTRAS::TEXT_FIELDS) {
            clear_text(m_extras->*field);
        }
        delete m_extras;
    }
}

uint8_t ACF_ASSIGNMENT_IMPL::borrowed_bit(ACF_ASGN_TEXT const& field) const {
    for (size_t i = 0; i < std::size(TEXT_FIELDS); ++i) {
        if (&(this->*TEXT_FIELDS[i]) == &field) {
            return static_cast<uint8_t>(1u << i);
        }
    }
    return 0;
}

void ACF_ASSIGNMENT_IMPL::set_text(ACF_ASGN_TEXT& field, char const* text, bool keep_empty) {
    // The new text is made before the old one goes: `text` may be the old one.
    char const* made = nullptr;
    if (text == nullptr) {
    } else if (is_pooled()) {
        std::string const* in_pool = acf_get_or_create_string_pool()->get_or_add_to_pool(text);
        made = in_pool != nullptr ? in_pool->c_str() : nullptr;
    } else if (*text != '\0' || keep_empty) {
        size_t size = std::strlen(text) + 1;
        char* copy = MEM_NEW_ARRAY(ACF, char, size);
        std::memcpy(copy, text, size);
        made = copy;
    }
    bool const owned = owns(field);
    char const* held = field.point_at(made);
    if (owned) {
        delete[] held;
    }
    m_borrowed = static_cast<uint8_t>(m_borrowed & ~borrowed_bit(field));
}

void ACF_ASSIGNMENT_IMPL::borrow_text(ACF_ASGN_TEXT& field, char const* text) {
    if (is_pooled() || field.get() == text) {
        return;
    }
    bool const owned = owns(field);
    char const* held = field.point_at(text);
    if (owned) {
        delete[] held;
    }
    m_borrowed = static_cast<uint8_t>(m_borrowed | borrowed_bit(field));
}

bool ACF_ASSIGNMENT_IMPL::store_flag(FLAG f, bool on) {
    uint8_t const before = m_flags;
    m_flags = on ? static_cast<uint8_t>(m_flags | f) : static_cast<uint8_t>(m_flags & ~f);
    return before != m_flags;
}

void ACF_ASSIGNMENT_IMPL::set_extra_text(ACF_ASGN_TEXT ACF_ASGN_EXTRAS::*field, char const* text) {
    if (m_extras != nullptr || !gen_is_empty_string(text)) {
        set_text(extras().*field, text);
    }
}

void ACF_ASSIGNMENT_IMPL::forget_resolved_value() {
    if (m_extras != nullptr) {
        m_extras->resolved_value.clear();
    }
}

ACF_ASGN_EXTRAS& ACF_ASSIGNMENT_IMPL::extras() const {
    if (m_extras == nullptr) {
        m_extras = MEM_NEW(ACF, ACF_ASGN_EXTRAS)();
    }
    return *m_extras;
}

namespace {

bool is_case_sensitive(ACF_VARIABLE_TYPE_ENUM type) {
    return acf_test_variable_trait_of(type, ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE);
}

bool texts_equal(char const* a, char const* b, bool case_sensitive) {
    return case_sensitive ? std::strcmp(a, b) == 0 : gen_stricmp(a, b) == 0;
}

void to_upper_ascii(std::string& text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
}

// A source or target loses a leading '|' when it is at least 2 characters long.
char const* strip_hierarchy_root(char const* text) {
    return (text[0] == '|' && text[1] != '\0') ? text + 1 : text;
}

// The comment as stored: a leading ';' dropped, leading blanks and tabs dropped,
// then a '%' and one blank after it, then trailing white space.
std::string normalise_comment(char const* text) {
    std::string comment(text);
    size_t start = 0;
    if (start < comment.size() && comment[start] == ';') {
        ++start;
    }
    while (start < comment.size() && (comment[start] == ' ' || comment[start] == '\t')) {
        ++start;
    }
    if (start < comment.size() && comment[start] == '%') {
        ++start;
        if (start < comment.size() && comment[start] == ' ') {
            ++start;
        }
    }
    comment.erase(0, start);
    size_t const end = comment.find_last_not_of(" \t\n\r");
    if (end != std::string::npos) {
        comment.erase(end + 1);
    }
    return comment;
}

char const* text_of(std::string const* text) {
    return text ? text->c_str() : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

ACF_ASSIGNMENT::ACF_ASSIGNMENT(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type,
                               char const* freeform_name, char const* from, char const* to,
                               char const* value, char const* comment, bool ignored) {
    build(storage, type, freeform_name, from, to, value, comment, ignored);
}

ACF_ASSIGNMENT::ACF_ASSIGNMENT(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type,
                               std::string const* freeform_name, std::string const* from,
                               std::string const* to, std::string const* value,
                               std::string const* comment, bool ignored) {
    build(storage, type, text_of(freeform_name), text_of(from), text_of(to), text_of(value),
          text_of(comment), ignored);
}

ACF_ASSIGNMENT::ACF_ASSIGNMENT(ACF_ASSIGNMENT const* asgn) {
    if (asgn == nullptr) {
        ACF_INTERNAL_ERROR("asgn != NULL");
        new (m_impl_room) ACF_ASSIGNMENT_IMPL(nullptr, ACF_VARIABLE_TYPE_NONE, false);
        return;
    }
    new (m_impl_room) ACF_ASSIGNMENT_IMPL(asgn->impl());
}

ACF_ASSIGNMENT::~ACF_ASSIGNMENT() {
    impl()->~ACF_ASSIGNMENT_IMPL();
}

void ACF_ASSIGNMENT::init(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type,
                          char const* freeform_name, char const* from, char const* to,
                          char const* value, char const* comment, bool ignored) {
    uint32_t const observer_place = impl()->m_observer_place;
    impl()->~ACF_ASSIGNMENT_IMPL();
    build(storage, type, freeform_name, from, to, value, comment, ignored);
    impl()->m_observer_place = observer_place;
}

void ACF_ASSIGNMENT::build(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type,
                           char const* freeform_name, char const* from, char const* to,
                           char const* value, char const* comment, bool ignored) {
    static_assert(sizeof(ACF_ASSIGNMENT_IMPL) <= sizeof(m_impl_room) &&
                      alignof(ACF_ASSIGNMENT_IMPL) <= alignof(void*),
                  "the implementation fits the room the record keeps for it");
    new (m_impl_room) ACF_ASSIGNMENT_IMPL(storage, type, ignored);
    if (!gen_is_empty_string(from)) {
        impl()->set_text(impl()->m_from, strip_hierarchy_root(from));
    }
    if (!gen_is_empty_string(to)) {
        impl()->set_text(impl()->m_to, strip_hierarchy_root(to));
    }
    impl()->store_flag(ACF_ASSIGNMENT_IMPL::FLAG_TRANSIENT,
                       storage != nullptr && storage->get_transient_assignments_mode());
    if (value != nullptr) {
        set_value(value);
    }
    if (!gen_is_empty_string(freeform_name) && is_freeform()) {
        impl()->set_text(impl()->m_freeform_name, freeform_name);
    }
    if (!gen_is_empty_string(comment)) {
        impl()->set_extra_text(&ACF_ASGN_EXTRAS::comment, normalise_comment(comment).c_str());
    }
    store_changed_mark(false);
}

// ---------------------------------------------------------------------------
// Getters
// ---------------------------------------------------------------------------

ACF_VARIABLE_TYPE_ENUM ACF_ASSIGNMENT::get_type() const {
    return impl()->type();
}
char const* ACF_ASSIGNMENT::get_source() const {
    return impl()->m_from.c_str_or("");
}
char const* ACF_ASSIGNMENT::get_target() const {
    return impl()->m_to.c_str_or("");
}
char const* ACF_ASSIGNMENT::get_comments() const {
    return impl()->comment().c_str_or("");
}
char const* ACF_ASSIGNMENT::get_actual_value() const {
    return impl()->m_value.c_str_or("");
}

char const* ACF_ASSIGNMENT::get_section_identifier() const {
    return impl()->section_identifier().c_str_or(nullptr);
}

char const* ACF_ASSIGNMENT::get_entity_name() const {
    return impl()->m_entity.c_str_or(nullptr);
}

char const* ACF_ASSIGNMENT::get_variable_string() const {
    if (!impl()->m_freeform_name.is_empty()) {
        return impl()->m_freeform_name.get();
    }
    return acf_get_variable_user_name(impl()->type());
}

char const* ACF_ASSIGNMENT::get_variable_ui_name() const {
    return acf_get_variable_ui_name_string(impl()->type());
}

char const* ACF_ASSIGNMENT::get_description() const {
    return acf_get_variable_desc(impl()->type());
}

char const* ACF_ASSIGNMENT::get_acf_file_name() const {
    if (!gen_is_empty_string(impl()->file_name())) {
        return impl()->file_name();
    }
    return get_manager_storage() ? get_manager_storage()->get_active_revision_path() : "";
}

char const* ACF_ASSIGNMENT::get_default_value() const {
    if (!impl()->m_to.is_empty() || get_manager_storage() == nullptr) {
        return "";
    }
    char const* value = impl()->m_storage->get_default_value_for_variable(
        impl()->type(), get_section_identifier(), impl()->m_entity.is_present(), impl()->family());
    return value ? value : "";
}

char const* ACF_ASSIGNMENT::get_unmodified_value(bool raw) const {
    if (is_ignored() && !raw) {
        return get_default_value();
    }
    return impl()->m_value.c_str_or("");
}

char const* ACF_ASSIGNMENT::get_value(bool raw) const {
    if (is_ignored() && !raw) {
        return get_default_value();
    }
    if (impl()->m_value.is_empty()) {
        return "";
    }
    char const* stored = impl()->m_value.get();
    if (acf_get_value_type(impl()->type()) != 3 ||
        !acf_test_variable_trait_of(impl()->type(), ACF_VARIABLE_TRAIT_TYPE_RESOLVE_FILENAME)) {
        return stored;
    }
    // The full path is kept in the record until the value changes, so that
    // every caller's text stays valid and no record overwrites another's. A
    // file not found yet is looked for again on the next call.
    static std::mutex s_resolve_mutex;
    std::lock_guard<std::mutex> lock(s_resolve_mutex);
    if (impl()->m_extras == nullptr || impl()->m_extras->resolved_value.empty()) {
        std::string full_path = gen_find_file(stored).full_path();
        if (full_path.empty()) {
            return stored;
        }
        impl()->extras().resolved_value = std::move(full_path);
    }
    return impl()->m_extras->resolved_value.c_str();
}

DEV_FAMILY_ENUM ACF_ASSIGNMENT::get_family_enum() const {
    return impl()->family();
}

ACF_FILE_CATEGORY_ENUM ACF_ASSIGNMENT::get_file_category() const {
    return acf_get_file_category(impl()->type());
}

char const* ACF_ASSIGNMENT::get_variable_tcl_set_function() const {
    return acf_get_variable_tcl_set_function(impl()->type(), is_global(),
                                             impl()->type() == ACF_VARIABLE_TYPE_NONE);
}

bool ACF_ASSIGNMENT::get_variable_original_tcl_command_from_file(
    std::string* returned_tcl_command) const {
    if (returned_tcl_command == nullptr) {
        ACF_INTERNAL_ERROR("returned_tcl_command != NULL");
        return false;
    }
    returned_tcl_command->clear();
    if (!impl()->m_read_command.is_present()) {
        return false;
    }
    *returned_tcl_command = impl()->m_read_command.get();
    return true;
}

char const* ACF_ASSIGNMENT::get_original_tcl_command() const {
    return impl()->m_read_command.get();
}

char const* ACF_ASSIGNMENT::get_argument_value(ACF_ARGUMENT_TYPE_ENUM arg) const {
    if (impl()->arguments() == nullptr) {
        return nullptr;
    }
    auto found = impl()->arguments()->find(arg);
    return found == impl()->arguments()->end() ? nullptr : found->second.c_str();
}

void ACF_ASSIGNMENT::get_arguments(std::vector<ACF_ARGUMENT_TYPE_ENUM>* arguments) const {
    if (arguments == nullptr) {
        ACF_INTERNAL_ERROR("arguments != NULL");
        return;
    }
    if (impl()->arguments() != nullptr) {
        for (auto const& argument : *impl()->arguments()) {
            arguments->push_back(argument.first);
        }
    }
}

ACF_MANAGER_STORAGE* ACF_ASSIGNMENT::get_manager_storage() const {
    if (impl()->m_storage == nullptr) {
        ACF_INTERNAL_ERROR("storage != NULL");
    }
    return impl()->m_storage;
}

// ---------------------------------------------------------------------------
// Predicates
// ---------------------------------------------------------------------------

bool ACF_ASSIGNMENT::is_removed() const {
    return impl()->test_flag(ACF_ASSIGNMENT_IMPL::FLAG_REMOVED);
}
bool ACF_ASSIGNMENT::is_ignored() const {
    return impl()->test_flag(ACF_ASSIGNMENT_IMPL::FLAG_IGNORED);
}
bool ACF_ASSIGNMENT::is_default_value() const {
    return impl()->test_flag(ACF_ASSIGNMENT_IMPL::FLAG_DEFAULT);
}
bool ACF_ASSIGNMENT::has_changed() const {
    return impl()->test_flag(ACF_ASSIGNMENT_IMPL::FLAG_CHANGED);
}

bool ACF_ASSIGNMENT::is_transient() const {
    return impl()->test_flag(ACF_ASSIGNMENT_IMPL::FLAG_TRANSIENT) ||
           does_argument_exist(ACF_ARGUMENT_TYPE_TIP) || does_argument_exist(ACF_ARGUMENT_TYPE_SIP);
}

bool ACF_ASSIGNMENT::is_global() const {
    return !impl()->m_from.is_present() && !impl()->m_to.is_present();
}

bool ACF_ASSIGNMENT::is_freeform() const {
    return impl()->type() == ACF_VARIABLE_TYPE_NONE ||
           acf_test_variable_trait_of(impl()->type(), ACF_VARIABLE_TRAIT_TYPE_IS_FREEFORM);
}

bool ACF_ASSIGNMENT::does_argument_exist(ACF_ARGUMENT_TYPE_ENUM arg) const {
    return impl()->arguments() != nullptr && impl()->arguments()->count(arg) != 0;
}

bool ACF_ASSIGNMENT::does_any_arguments_exist() const {
    return impl()->arguments() != nullptr && !impl()->arguments()->empty();
}

bool ACF_ASSIGNMENT::is_argument_valid(ACF_ARGUMENT_TYPE_ENUM arg) const {
    return acf_is_argument_valid_for_variable(impl()->type(),
                                              impl()->section_identifier().is_present(),
                                              impl()->m_entity.is_present(), arg);
}

bool ACF_ASSIGNMENT::is_valid_for_family(DEV_FAMILY_ENUM family) const {
    return acf_variable_includes_family(impl()->type(), family);
}

bool ACF_ASSIGNMENT::is_valid_for_ase_category(ASE_CATEGORY_ENUM category) const {
    return acf_variable_includes_ase_category(impl()->type(), category);
}

bool ACF_ASSIGNMENT::test_trait_of(ACF_VARIABLE_TRAIT_TYPE_ENUM trait) const {
    return acf_test_variable_trait_of(impl()->type(), trait);
}

bool ACF_ASSIGNMENT::test_category_trait_of(ACF_CATEGORY_TRAIT_TYPE_ENUM trait) const {
    return acf_test_category_trait_of(impl()->type(), trait, !impl()->m_from.is_empty(),
                                      !impl()->m_to.is_empty(), !impl()->m_entity.is_empty(),
                                      !impl()->section_identifier().is_empty());
}

bool ACF_ASSIGNMENT::test_section_type_of(ACF_CATEGORY_SECTION_TYPE_ENUM section_type) const {
    return acf_test_category_section_type(impl()->type(), section_type, impl()->m_from.is_present(),
                                          impl()->m_to.is_present(), impl()->m_entity.is_present());
}

bool ACF_ASSIGNMENT::test_target_type_of(ACF_FILE_CATEGORY_TARGET_TYPE_ENUM target_type) const {
    return acf_test_file_category_target_type(impl()->type(), target_type,
                                              impl()->m_entity.is_present(),
                                              impl()->section_identifier().is_present());
}

int ACF_ASSIGNMENT::is_legal() const {
    ACF_MANAGER_STORAGE* storage = get_manager_storage();
    if (storage == nullptr) {
        return 6;
    }
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_type(impl()->type());
    if (is_freeform() && impl()->m_freeform_name.is_present()) {
        params.set_variable_string(impl()->m_freeform_name.get());
    }
    params.set_value_string(impl()->m_value.c_str_or(nullptr));
    params.set_from(impl()->m_from.c_str_or(nullptr));
    params.set_to(impl()->m_to.c_str_or(nullptr));
    if (impl()->m_entity.is_present()) {
        params.set_entity_name(get_entity_name());
    }
    if (impl()->section_identifier().is_present()) {
        params.set_section_identifier(get_section_identifier());
    }
    bool legal;
    if (is_freeform()) {
        legal = storage->is_legal_freeform_assignment(&params);
    } else if (is_global()) {
        legal = storage->is_legal_global_assignment(&params);
    } else {
        legal = storage->is_legal_instance_assignment(&params);
    }
    if (legal) {
        return 0;
    }
    switch (storage->get_last_error_status()) {
    case 9:
    case 13:
        return 1;
    case 10:
        return 2;
    case 14:
        return 3;
    case 16:
        return 4;
    case 17:
        return 5;
    default:
        return 6;
    }
}

// ---------------------------------------------------------------------------
// Value
// ---------------------------------------------------------------------------

void ACF_ASSIGNMENT::convert_a_value_string_to_canonical_form(std::string& value) const {
    int const value_type = acf_get_value_type(impl()->type());
    if (value_type == 7 || value_type == 8) {
        acf_convert_time_frequency_to_correct_case(value);
    } else if (!is_case_sensitive(impl()->type())) {
        to_upper_ascii(value);
    }
}

bool ACF_ASSIGNMENT::replace_value_string_if_rename_is_required(std::string& value) const {
    char const* renamed =
        acf_convert_old_value_to_new(impl()->type(), value.c_str(), DEV_FAMILY_GENERIC);
    if (renamed == nullptr) {
        return false;
    }
    value = renamed;
    return true;
}

bool ACF_ASSIGNMENT::replace_value_string_with_default_if_debug(std::string& value) const {
    if (acf_get_value_type(impl()->type()) != 6 ||
        !acf_is_value_debug(impl()->type(), acf_user_string_to_enum_type(value.c_str()))) {
        return false;
    }
    std::string const default_value = get_default_value();
    if (default_value.empty()) {
        return false;
    }
    value = default_value;
    MSG_POST* warning = MSG_ACF::W::DEBUG_VALUE_CHANGED_TO_DEFAULT(
        acf_get_variable_user_name(impl()->type()), value.c_str());
    warning->post();
    delete warning;
    return true;
}

void ACF_ASSIGNMENT::set_value(char const* text) {
    if (text != nullptr && impl()->m_value.is_present() &&
        texts_equal(text, impl()->m_value.get(), is_case_sensitive(impl()->type()))) {
        return;
    }
    std::string value = text ? text : "";
    convert_a_value_string_to_canonical_form(value);
    if (replace_value_string_if_rename_is_required(value)) {
        replace_value_string_with_default_if_debug(value);
    }
    impl()->forget_resolved_value();
    impl()->set_text(impl()->m_value, value.c_str(), true);
    store_changed_mark(true);
    tell_matching_state_changed();
}

// ---------------------------------------------------------------------------
// Other texts
// ---------------------------------------------------------------------------

bool ACF_ASSIGNMENT::set_entity_name(char const* text) {
    if (text != nullptr && impl()->m_entity.is_present() &&
        std::strcmp(text, impl()->m_entity.get()) == 0) {
        return false;
    }
    impl()->set_text(impl()->m_entity, text);
    store_changed_mark(true);
    return true;
}

bool ACF_ASSIGNMENT::set_section_identifier(char const* text) {
    bool const takes_section_id = acf_test_file_category_target_type(
        impl()->type(), ACF_FILE_CATEGORY_TARGET_TYPE_SECTION_ID, false, false);
    if (!takes_section_id) {
        if (!impl()->section_identifier().is_present()) {
            return false;
        }
        ACF_INTERNAL_ERROR(
            "assignment_takes_section_id || m_impl->get_section_identifier() == NULL");
    }
    if (text != nullptr && impl()->section_identifier().is_present() &&
        std::strcmp(text, impl()->section_identifier().get()) == 0) {
        return false;
    }
    impl()->set_extra_text(&ACF_ASGN_EXTRAS::section_identifier, text);
    store_changed_mark(true);
    return true;
}

void ACF_ASSIGNMENT::clear_section_identifier() {
    if (impl()->section_identifier().is_present()) {
        impl()->set_extra_text(&ACF_ASGN_EXTRAS::section_identifier, nullptr);
        store_changed_mark(true);
    }
}

void ACF_ASSIGNMENT::set_comment(char const* text) {
    // Read before the old comment goes: `text` may be that comment.
    std::string const comment = gen_is_empty_string(text) ? std::string() : normalise_comment(text);
    if (!impl()->comment().is_empty()) {
        impl()->set_extra_text(&ACF_ASGN_EXTRAS::comment, nullptr);
        store_changed_mark(true);
    }
    if (!comment.empty()) {
        impl()->set_extra_text(&ACF_ASGN_EXTRAS::comment, comment.c_str());
        store_changed_mark(true);
    }
}

void ACF_ASSIGNMENT::set_acf_file_name(char const* name) {
    if (gen_is_empty_string(name)) {
        return;
    }
    if (impl()->m_extras != nullptr) {
        impl()->m_extras->file_name = nullptr;
    }
    char const* revision_path =
        impl()->m_storage ? impl()->m_storage->get_active_revision_path() : "";
    if (!FIO_PATH::os_specific_comparison(name, revision_path)) {
        std::string const* interned = acf_intern_file_name(name);
        impl()->extras().file_name = interned != nullptr ? interned->c_str() : nullptr;
    }
}

void ACF_ASSIGNMENT::set_variable_original_tcl_command_from_file(char const* text) {
    impl()->set_text(impl()->m_read_command, text);
}

namespace {

// The end of `kept` that equals `held`; null when none.
char const* kept_end_equal_to(char const* held, char const* kept) {
    if (held == nullptr || kept == nullptr) {
        return nullptr;
    }
    size_t const held_length = std::strlen(held);
    size_t const kept_length = std::strlen(kept);
    if (kept_length < held_length) {
        return nullptr;
    }
    char const* end = kept + (kept_length - held_length);
    return std::memcmp(end, held, held_length) == 0 ? end : nullptr;
}

} // namespace

bool ACF_ASSIGNMENT::borrow_read_texts(ACF_ASGN_READ_TEXTS const& line) {
    if (impl()->is_pooled()) {
        set_variable_original_tcl_command_from_file(line.command);
        return false;
    }
    impl()->borrow_text(impl()->m_read_command, line.command);
    std::pair<ACF_ASGN_TEXT*, char const*> const fields[] = {{&impl()->m_freeform_name, line.name},
                                                             {&impl()->m_value, line.value},
                                                             {&impl()->m_from, line.from},
                                                             {&impl()->m_to, line.to}};
    for (auto const& field : fields) {
        char const* end = kept_end_equal_to(field.first->get(), field.second);
        if (end != nullptr) {
            impl()->borrow_text(*field.first, end);
        }
    }
    return true;
}

void ACF_ASSIGNMENT::borrow_entity_name(char const* kept) {
    char const* held = impl()->m_entity.get();
    if (held != nullptr && kept != nullptr && std::strcmp(held, kept) == 0) {
        impl()->borrow_text(impl()->m_entity, kept);
    }
}

void ACF_ASSIGNMENT::own_read_texts() {
    for (ACF_ASGN_TEXT* field : {&impl()->m_read_command, &impl()->m_freeform_name,
                                 &impl()->m_value, &impl()->m_from, &impl()->m_to}) {
        impl()->own_text(*field);
    }
}

void ACF_ASSIGNMENT::set_old_section_info(char const* section_identifier, char const* file_name,
                                          bool entity_from_file) {
    store_changed_mark(true);
    if (!gen_is_empty_string(section_identifier)) {
        impl()->set_extra_text(&ACF_ASGN_EXTRAS::section_identifier, section_identifier);
    }
    if (entity_from_file && !gen_is_empty_string(file_name)) {
        impl()->set_text(impl()->m_entity, FIO_PATH(std::string(file_name)).base().c_str());
    }
}

// ---------------------------------------------------------------------------
// Arguments and family
// ---------------------------------------------------------------------------

bool ACF_ASSIGNMENT::set_family_enum() {
    char const* family = get_argument_value(ACF_ARGUMENT_TYPE_FAMILY);
    if (!is_argument_valid(ACF_ARGUMENT_TYPE_FAMILY) || family == nullptr) {
        return true;
    }
    if (!dstr_exists_dev_family_enum_by_string(family)) {
        return false;
    }
    impl()->set_family(dstr_get_dev_family_enum_by_string(family));
    return true;
}

bool ACF_ASSIGNMENT::add_argument(ACF_ARGUMENT_TYPE_ENUM arg, char const* text) {
    char const* converted = acf_get_argument_rename_value(arg, text);
    if (!acf_is_argument_legal(arg, converted, impl()->type(),
                               impl()->section_identifier().is_present(),
                               impl()->m_entity.is_present())) {
        return false;
    }
    ACF_ASGN_ARGUMENT_MAP& arguments = impl()->extras().arguments;
    char const* new_text = converted ? converted : "";
    auto found = arguments.find(arg);
    if (found != arguments.end() && acf_does_argument_require_value(arg) &&
        !texts_equal(found->second.c_str(), new_text,
                     acf_test_argument_trait_of(arg, ACF_ARGUMENT_TRAIT_TYPE_CASE_SENSITIVE))) {
        return false;
    }
    if (found == arguments.end()) {
        arguments.emplace(arg, new_text);
    }
    store_changed_mark(true);
    return true;
}

bool ACF_ASSIGNMENT::remove_argument(ACF_ARGUMENT_TYPE_ENUM arg, char const* text) {
    if (!does_argument_exist(arg)) {
        return false;
    }
    auto found = impl()->arguments()->find(arg);
    if (!gen_is_empty_string(text) && gen_stricmp(text, found->second.c_str()) != 0) {
        return false;
    }
    impl()->arguments()->erase(found);
    store_changed_mark(true);
    return true;
}

void ACF_ASSIGNMENT::clear_arguments() {
    if (impl()->arguments() != nullptr) {
        impl()->arguments()->clear();
    }
    store_changed_mark(true);
}

// ---------------------------------------------------------------------------
// Status flags
// ---------------------------------------------------------------------------

void ACF_ASSIGNMENT::set_changed_status(bool changed) {
    store_changed_mark(changed);
}

bool ACF_ASSIGNMENT::set_default_status(bool is_default) {
    bool const changed = impl()->store_flag(ACF_ASSIGNMENT_IMPL::FLAG_DEFAULT, is_default);
    if (changed) {
        store_changed_mark(true);
    }
    return changed;
}

bool ACF_ASSIGNMENT::set_ignore_status(bool ignored) {
    bool const changed = impl()->store_flag(ACF_ASSIGNMENT_IMPL::FLAG_IGNORED, ignored);
    if (changed) {
        store_changed_mark(true);
        tell_matching_state_changed();
    }
    return changed;
}

void ACF_ASSIGNMENT::set_remove_status(bool removed) {
    if (impl()->store_flag(ACF_ASSIGNMENT_IMPL::FLAG_REMOVED, removed)) {
        store_changed_mark(true);
        tell_matching_state_changed();
    }
}

void ACF_ASSIGNMENT::set_observer(ACF_ASSIGNMENT_OBSERVER* observer, uint32_t place) {
    impl()->m_observer = observer;
    impl()->m_observer_place = place;
}

uint32_t ACF_ASSIGNMENT::get_observer_place() const {
    return impl()->m_observer_place;
}

void ACF_ASSIGNMENT::store_changed_mark(bool on) {
    if (impl()->store_flag(ACF_ASSIGNMENT_IMPL::FLAG_CHANGED, on) &&
        impl()->m_observer != nullptr) {
        impl()->m_observer->changed_mark_turned(this, on);
    }
}

void ACF_ASSIGNMENT::tell_matching_state_changed() {
    if (impl()->m_observer != nullptr) {
        impl()->m_observer->matching_state_changed(this);
    }
}

void ACF_ASSIGNMENT::set_transient(bool transient) {
    impl()->store_flag(ACF_ASSIGNMENT_IMPL::FLAG_TRANSIENT, transient);
}

// ---------------------------------------------------------------------------
// Storage-facing
// ---------------------------------------------------------------------------

void ACF_ASSIGNMENT::fill_in_input_parameter(ACF_MGR_INPUT_PARAMETERS* input_params) const {
    if (input_params == nullptr) {
        ACF_INTERNAL_ERROR("input_params != NULL");
        return;
    }
    input_params->reset();
    input_params->set_variable_type(impl()->type());
    input_params->set_variable_string(get_variable_string());
    input_params->set_value_string(get_unmodified_value(true));
    input_params->set_from(get_source());
    input_params->set_to(get_target());
    input_params->set_entity_name(get_entity_name());
    input_params->set_section_identifier(get_section_identifier());
    input_params->set_comments(get_comments());
    input_params->set_is_ignored(is_ignored());
    if (impl()->arguments() != nullptr) {
        for (auto const& argument : *impl()->arguments()) {
            input_params->add_argument(argument.first, argument.second.c_str());
        }
    }
}

void ACF_ASSIGNMENT::remove() {
    ACF_MANAGER_STORAGE* storage = get_manager_storage();
    if (storage == nullptr || !storage->is_project_open()) {
        return;
    }
    ACF_MGR_INPUT_PARAMETERS params;
    fill_in_input_parameter(&params);
    storage->remove_assignment(&params);
}

bool ACF_ASSIGNMENT::remove_assignment() {
    bool const was_live = !is_removed();
    remove();
    return was_live;
}
