// The inside of an assignment record, shared by the units that implement
// ACF_ASSIGNMENT (record, command text). Not for other callers.
#pragma once

#include "acf_assignment.h"

#include <cstdint>
#include <map>
#include <new>
#include <string>

// One optional text of a record. Absent is null. Who frees it is the record's
// business: a pooled text points into the library-wide string pool (the pool
// has no empty texts, so an empty pooled text is absent), a borrowed one into
// texts that the record's holder keeps (an interned file name, the text of the
// file the record was read from), and any other is owned, one allocation of
// its characters.
class ACF_ASGN_TEXT {
public:
    ACF_ASGN_TEXT() = default;
    ACF_ASGN_TEXT(ACF_ASGN_TEXT const&) = delete;
    ACF_ASGN_TEXT& operator=(ACF_ASGN_TEXT const&) = delete;

    bool is_present() const { return m_text != nullptr; }
    bool is_empty() const { return m_text == nullptr || *m_text == '\0'; }
    char const* get() const { return m_text; }
    // The text, or `absent` when there is none.
    char const* c_str_or(char const* absent) const { return m_text ? m_text : absent; }

    // Points at `text` (null: absent); returns the text held before.
    char const* point_at(char const* text) {
        char const* held = m_text;
        m_text = text;
        return held;
    }

private:
    char const* m_text = nullptr;
};

using ACF_ASGN_ARGUMENT_MAP = std::map<ACF_ARGUMENT_TYPE_ENUM, std::string>;

// What few records hold, apart, so that the others do without the room.
struct ACF_ASGN_EXTRAS {
    ACF_ASGN_ARGUMENT_MAP arguments;
    // Owned (or pooled), never borrowed; the record frees them.
    ACF_ASGN_TEXT comment;
    ACF_ASGN_TEXT section_identifier;
    // The settings file the record belongs to when not the revision's own;
    // interned.
    char const* file_name = nullptr;
    // The full path found for a file-name value ("" when none): kept per record
    // so that the text handed out by get_value stays valid while the value is
    // unchanged.
    std::string resolved_value;
    // A DEV_FAMILY_ENUM, set from the family argument.
    uint8_t family = DEV_FAMILY_GENERIC;

    // The texts above.
    static ACF_ASGN_TEXT ACF_ASGN_EXTRAS::*const TEXT_FIELDS[2];
};

class ACF_ASSIGNMENT_IMPL {
public:
    enum FLAG : uint8_t {
        FLAG_REMOVED = 1 << 0,
        FLAG_IGNORED = 1 << 1,
        FLAG_DEFAULT = 1 << 2,
        FLAG_CHANGED = 1 << 3,
        FLAG_TRANSIENT = 1 << 4,
        FLAG_POOLED = 1 << 5,
    };

    ACF_ASSIGNMENT_IMPL(ACF_MANAGER_STORAGE* storage, ACF_VARIABLE_TYPE_ENUM type, bool ignored);
    // A deep copy: flags (pooled included), texts, arguments, family, storage;
    // not the observer nor its number.
    explicit ACF_ASSIGNMENT_IMPL(ACF_ASSIGNMENT_IMPL const* original);
    ~ACF_ASSIGNMENT_IMPL();
    ACF_ASSIGNMENT_IMPL(ACF_ASSIGNMENT_IMPL const&) = delete;
    ACF_ASSIGNMENT_IMPL& operator=(ACF_ASSIGNMENT_IMPL const&) = delete;

    bool test_flag(FLAG f) const { return (m_flags & f) != 0; }
    // Stores the bit; true when it changed.
    bool store_flag(FLAG f, bool on);
    bool is_pooled() const { return test_flag(FLAG_POOLED); }
    // Stores a copy of text (pooled ones from the pool); null, and empty unless
    // keep_empty, make it absent. The field is owned afterwards (unless pooled).
    void set_text(ACF_ASGN_TEXT& field, char const* text, bool keep_empty = false);
    void clear_text(ACF_ASGN_TEXT& field) { set_text(field, nullptr); }
    // Points the field at a text that outlives the record, unless pooled.
    void borrow_text(ACF_ASGN_TEXT& field, char const* text);
    bool borrows(ACF_ASGN_TEXT const& field) const {
        return (m_borrowed & borrowed_bit(field)) != 0;
    }
    // A borrowed text becomes a copy of its own.
    void own_text(ACF_ASGN_TEXT& field) {
        if (borrows(field)) {
            set_text(field, field.get(), true);
        }
    }
    // The texts kept with the extras, since few records carry them.
    ACF_ASGN_TEXT const& comment() const { return extra_text(&ACF_ASGN_EXTRAS::comment); }
    ACF_ASGN_TEXT const& section_identifier() const {
        return extra_text(&ACF_ASGN_EXTRAS::section_identifier);
    }
    ACF_ASGN_TEXT const& extra_text(ACF_ASGN_TEXT ACF_ASGN_EXTRAS::*field) const {
        return m_extras ? m_extras->*field : ABSENT_TEXT;
    }
    // As set_text for a text of the extras; making it absent makes no extras.
    void set_extra_text(ACF_ASGN_TEXT ACF_ASGN_EXTRAS::*field, char const* text);
    // Drops the resolved file name kept for the value.
    void forget_resolved_value();
    // The arguments; null when there are none.
    ACF_ASGN_ARGUMENT_MAP* arguments() const { return m_extras ? &m_extras->arguments : nullptr; }
    char const* file_name() const { return m_extras ? m_extras->file_name : nullptr; }
    ACF_ASGN_EXTRAS& extras() const;

    // Generic unless the family argument named one.
    DEV_FAMILY_ENUM family() const {
        return m_extras ? static_cast<DEV_FAMILY_ENUM>(m_extras->family) : DEV_FAMILY_GENERIC;
    }
    void set_family(DEV_FAMILY_ENUM family) { extras().family = static_cast<uint8_t>(family); }
    ACF_VARIABLE_TYPE_ENUM type() const { return static_cast<ACF_VARIABLE_TYPE_ENUM>(m_type); }

    // The small fields first, packed into one word (one record per settings line).
    uint8_t m_flags = 0;
    // One bit per field of TEXT_FIELDS: the text is borrowed.
    uint8_t m_borrowed = 0;
    int16_t m_type; // an ACF_VARIABLE_TYPE_ENUM
    // The number under which the observer keeps the record; kept by init.
    uint32_t m_observer_place = 0;
    ACF_ASGN_TEXT m_from;
    ACF_ASGN_TEXT m_to;
    ACF_ASGN_TEXT m_value;
    ACF_ASGN_TEXT m_entity;
    ACF_ASGN_TEXT m_read_command;
    ACF_ASGN_TEXT m_freeform_name;
    // Made when first needed.
    mutable ACF_ASGN_EXTRAS* m_extras = nullptr;
    ACF_MANAGER_STORAGE* m_storage;
    // Not copied.
    ACF_ASSIGNMENT_OBSERVER* m_observer = nullptr;

    // The texts above.
    static ACF_ASGN_TEXT ACF_ASSIGNMENT_IMPL::*const TEXT_FIELDS[6];

private:
    static ACF_ASGN_TEXT const ABSENT_TEXT;

    // The field's bit in m_borrowed.
    uint8_t borrowed_bit(ACF_ASGN_TEXT const& field) const;
    bool owns(ACF_ASGN_TEXT const& field) const {
        return !is_pooled() && (m_borrowed & borrowed_bit(field)) == 0;
    }
};

inline ACF_ASSIGNMENT_IMPL* ACF_ASSIGNMENT::impl() {
    return std::launder(reinterpret_cast<ACF_ASSIGNMENT_IMPL*>(m_impl_room));
}
inline ACF_ASSIGNMENT_IMPL const* ACF_ASSIGNMENT::impl() const {
    return std::launder(reinterpret_cast<ACF_ASSIGNMENT_IMPL const*>(m_impl_room));
}

// Whether records are built with pooled texts ("ACF_ASSIGNMENT_USE_STRING_POOL",
// read once per process).
bool acf_assignment_uses_string_pool();
