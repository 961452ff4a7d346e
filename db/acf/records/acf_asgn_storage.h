// The in-memory collection of one revision's assignments and settings-file
// comment lines.
//
// - Removal is two-phase: a removed assignment keeps its object, is skipped by
//   lookups and by the writer, and is revived by a later set with the same key;
//   only a purge destroys it.
// - Each held assignment has a slot, whose number it carries: its place in
//   every index, so that no per-assignment operation searches the collection.
//   The slots are kept in one vector, numbers rather than pointers linking them.
// - Assignments are found through a textual key (variable, target, source and
//   key arguments); a full match test decides. An open-addressing table finds
//   a key; each key links its assignments in key order; the keys made with one
//   variable's user name form that variable's group, which its searches walk in
//   text order. Key order (key text, then the order the assignments came under
//   the key) decides which match a lookup returns and orders every listing and
//   removal, as an ordered index of every key would.
// - File order, comment lines included, links the slots and the comment lines
//   themselves; order numbers compare positions, and are numbered afresh (in
//   file order, and in key order) when they run out.
// - Parameter-driven operations work on a normalised copy of the caller's
//   parameters, never on the caller's object.
// - Beside the key index, runs in key order let a lookup visit only the
//   assignments that can match: typed assignments by key and value (the key
//   leaves the value out), freeform ones by name and by name and target,
//   removed ones apart. The runs of one assignment, most of them, sit in an
//   open-addressing table; longer ones in ordered sets. The assignments tell
//   the collection when their value, ignored or removed mark changes. The
//   changed assignments are kept as a set.
//
// The collection owns its assignments and takes no lock: callers hold the
// revision storage's lock. Units: acf_asgn_storage.cpp (matching, set, removal,
// purges, copy, slots and file order), acf_asgn_storage_keys.cpp (the key
// index), acf_asgn_storage_index.cpp (the indexes beside it and the changed
// set), acf_asgn_storage_lookup.cpp (lookups), acf_asgn_storage_bulk.cpp (bulk
// removal, collection-wide queries), acf_asgn_storage_views.cpp (views for the
// settings-file writer).
#pragma once

#include "acf_assignment.h"
#include "acf_file_categories.h"
#include "acf_node_pool.h"
#include "acf_table_types.h"

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class ACF_ASSIGNMENT_FACTORY;
class ACF_MANAGER_STORAGE;
class ACF_MGR_INPUT_PARAMETERS;
struct ACF_MGR_READ_TEXTS;

// Which assignments a search or listing admits; each field holds its "any"
// value by default (section type 16 and file category 21 stand for any).
struct ACF_ASGN_SEARCH_FILTER {
    DEV_FAMILY_ENUM family = DEV_FAMILY_GENERIC;
    ACF_VARIABLE_TRAIT_TYPE_ENUM variable_trait = ACF_VARIABLE_TRAIT_TYPE_GENERIC_TRAIT;
    ACF_CATEGORY_TRAIT_TYPE_ENUM category_trait = ACF_CATEGORY_TRAIT_TYPE_GENERIC;
    ASE_CATEGORY_ENUM ase_category = ASE_CATEGORY_NONE;
    ACF_CATEGORY_SECTION_TYPE_ENUM section_type = ACF_CATEGORY_SECTION_TYPE_MAX;
    ACF_FILE_CATEGORY_ENUM file_category = ACF_FILE_CATEGORY_NONE;

    // False for null; otherwise every field that is not "any" must hold.
    bool matches_assignment(ACF_ASSIGNMENT const* asgn) const;
};

// One line of the file order as the settings-file writer sees it: an
// assignment, or a comment line with the settings file it was read from. A
// view of what the collection holds, valid while the collection is unchanged.
class ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT {
public:
    explicit ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT(ACF_ASSIGNMENT* asgn) : m_assignment(asgn) {}
    // A comment line; file_name interned (null: none).
    ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT(char const* comment, std::string const* file_name)
        : m_comment(comment), m_file_name(file_name) {}

    ACF_ASSIGNMENT* get_assignment() const { return m_assignment; }
    // The comment line of a comment entry; null for an assignment entry.
    char const* get_comment() const { return m_comment; }
    // The entry's settings file; null when none or empty.
    char const* get_acf_file_name() const;

private:
    ACF_ASSIGNMENT* m_assignment = nullptr;
    char const* m_comment = nullptr;
    std::string const* m_file_name = nullptr;
};

using ACF_ASSIGNMENT_LIST = std::list<ACF_ASSIGNMENT*>;
using ACF_ASGN_COMMENT_VECTOR = std::vector<ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT>;

class ACF_ASGN_STORAGE final : private ACF_ASSIGNMENT_OBSERVER {
public:
    // --- Life -----------------------------------------------------------------
    ACF_ASGN_STORAGE(ACF_MANAGER_STORAGE* storage, ACF_ASSIGNMENT_FACTORY* factory);
    // A faithful copy: every assignment (removed ones stay removed, with their
    // comments, file names and read commands), every comment line, file order,
    // key order and entity-name counts.
    explicit ACF_ASGN_STORAGE(ACF_ASGN_STORAGE const* asgn_storage);
    ~ACF_ASGN_STORAGE();
    ACF_ASGN_STORAGE(ACF_ASGN_STORAGE const&) = delete;
    ACF_ASGN_STORAGE& operator=(ACF_ASGN_STORAGE const&) = delete;

    // --- Set, keys and matching -------------------------------------------------
    // Revives a removed assignment with the same key, or adds a new one; never null.
    ACF_ASSIGNMENT* set_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool default_status,
                                   bool global, bool freeform, bool changed_status,
                                   bool always_new);
    void create_assignment_key(ACF_MGR_INPUT_PARAMETERS const& params, std::string& key) const;
    bool does_assignment_match(ACF_ASSIGNMENT* acf_assignment,
                               ACF_MGR_INPUT_PARAMETERS* input_parameters,
                               ACF_ASGN_SEARCH_FILTER const& filter, bool allow_ignored,
                               bool removed, bool global, bool freeform);
    // Whether a request's entity and an assignment's name the same entity (an
    // absent one and the revision's top-level entity count as the same).
    bool entities_agree(char const* wanted, char const* held) const;
    // A text as gen_stricmp compares it: ASCII letters in lower case; an
    // absent one is empty.
    static std::string folded_as_stricmp(char const* text);
    void init_and_clean_local_parameters_from(ACF_MGR_INPUT_PARAMETERS const* source, bool global,
                                              bool freeform);
    void set_actual_section_identifier_on_input_parameters();
    void set_assignment_args_from_input_parameters(ACF_ASSIGNMENT* asgn) const;

    // --- Lookups ----------------------------------------------------------------
    ACF_ASSIGNMENT* get_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                   ACF_ASGN_SEARCH_FILTER const& filter, bool allow_ignored,
                                   bool global, bool freeform);
    // The first live global assignment of the variable.
    ACF_ASSIGNMENT* get_assignment(ACF_VARIABLE_TYPE_ENUM type);
    ACF_ASSIGNMENT* get_exact_match_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                               ACF_ASGN_SEARCH_FILTER const& filter,
                                               bool allow_ignored, bool global, bool freeform,
                                               bool removed);
    // Appends every live match in file order.
    void get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                             ACF_ASGN_SEARCH_FILTER const& filter, bool allow_ignored, bool global,
                             bool freeform, ACF_ASSIGNMENT_LIST* coll);
    // The same for the record with each of these section identifiers in turn
    // (empty: none), each appending to its list in `colls` (as many as
    // identifiers), the candidates visited once for all of them.
    void get_assignment_colls(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                              std::vector<std::string> const& section_ids,
                              ACF_ASGN_SEARCH_FILTER const& filter, bool allow_ignored, bool global,
                              bool freeform, std::vector<ACF_ASSIGNMENT_LIST>* colls);
    bool does_variable_exist(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool global,
                             bool freeform);
    // True when a matching assignment carries the argument with another value.
    bool does_matching_assignment_exist_with_same_argument(
        ACF_MGR_INPUT_PARAMETERS* input_parameters, bool global, bool freeform,
        ACF_ARGUMENT_TYPE_ENUM argument, char const* value);

    // --- Removal and purges -----------------------------------------------------
    // Removes every live match; appends each to coll.
    void remove_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool global, bool freeform,
                           ACF_ASGN_SEARCH_FILTER const& filter, ACF_ASSIGNMENT_LIST* coll);
    // What remove_assignment of each global query in turn removes, for
    // queries of one variable that each name a value (any, when empty): the
    // variable's assignments walked once, each query found by its section
    // identifier and value, so that many queries cost one walk.
    void remove_global_assignments(std::vector<ACF_MGR_INPUT_PARAMETERS> const& queries,
                                   ACF_ASGN_SEARCH_FILTER const& filter, ACF_ASSIGNMENT_LIST* coll);
    void remove_assignment_or_set_to_default(ACF_ASSIGNMENT* asgn);
    // Entity-name counts and, with cascade, the assignments an IP file brought.
    void remove_assignment_from_maps(ACF_ASSIGNMENT* asgn, bool cascade);
    // The first removed match; with purge it is destroyed instead and null returned.
    ACF_ASSIGNMENT* find_removed_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                            std::string& key, bool global, bool freeform,
                                            bool purge);
    void delete_all_removed_assignments();
    bool is_dangling_pointer(ACF_ASSIGNMENT* asgn) const;
    void set_as_dangling_pointer(ACF_ASSIGNMENT* asgn);
    void reset_deleted_map();

    // Room in the indexes for this many more lines (assignments or comment
    // lines), so that a bulk read does not grow them step by step.
    void reserve(size_t lines);

    // --- Texts of a settings file read, which its assignments borrow ----------
    // A read opens with begin_read_texts, whose number (never used again in the
    // process) its borrow_read_texts calls name, and ends with keep_read_texts,
    // which keeps the texts while any held assignment borrows them. The texts
    // stay with the reader until then, so that the read is safe whatever becomes
    // of the collection meanwhile.
    uint32_t begin_read_texts();
    // The held assignment points at the read's texts (see
    // ACF_ASSIGNMENT::borrow_read_texts); any other assignment, or one of a read
    // this collection did not begin, copies the command line.
    void borrow_read_texts(ACF_ASSIGNMENT* asgn, uint32_t read, ACF_ASGN_READ_TEXTS const& line);
    void keep_read_texts(uint32_t read, std::unique_ptr<ACF_MGR_READ_TEXTS> texts);

    // --- Order, comments, entity names ------------------------------------------
    void add_entity_name_to_map(char const* entity_name);
    void move_assignment_to_end_of_coll(ACF_ASSIGNMENT* asgn);
    void add_comment_line(char const* comment, char const* file_name);
    // Drops the entry of a removed assignment (not the assignment).
    void delete_comment(ACF_ASSIGNMENT* asgn);
    void delete_all_comments();

    // --- Listing ----------------------------------------------------------------
    void get_all_assignments(ACF_ASGN_SEARCH_FILTER const& filter, bool allow_ignored,
                             bool include_removed, bool global, bool instance, bool freeform,
                             ACF_ASSIGNMENT_LIST* coll);
    void add_assignment_to_collection_if_it_matches_all_of_these_filters(
        ACF_ASGN_SEARCH_FILTER const& filter, bool allow_ignored, bool include_removed, bool global,
        bool instance, bool freeform, ACF_ASSIGNMENT_LIST* coll, ACF_ASSIGNMENT* asgn);

    // --- Bulk removal and collection-wide queries ---------------------------------
    void get_removed_assignments(ACF_ASSIGNMENT_LIST* coll);
    void remove_all_assignments();
    void remove_instance_assignments(char const* target, char const* source,
                                     ACF_ASSIGNMENT_LIST* coll);
    void remove_all_assignments_of_ase_category(ASE_CATEGORY_ENUM category,
                                                ACF_ASSIGNMENT_LIST* coll);
    void remove_all_assignments_of_type(ACF_VARIABLE_TYPE_ENUM type, ACF_ASSIGNMENT_LIST* coll,
                                        bool global, bool instance);
    void get_list_of_current_entity_names(std::list<std::string>* names) const;
    bool have_any_assignments_changed() const;
    void clear_changed_status_of_all_assignments();

    // --- Views for the settings-file writer ---------------------------------------
    // Hands each entry of one settings file that the file keeps to `visit`, in
    // file order, and tells whether an assignment of the file changed. Files are
    // told apart by their interned names.
    bool visit_entries_for_writing(
        char const* file_name, bool is_revision_file,
        std::function<void(ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const&)> const& visit);
    // The entries of one settings file in file order (none when nothing of it
    // changed, unless forced).
    void get_comment_assignment_coll_for_writing(ACF_ASGN_COMMENT_VECTOR* comment_asgn_list,
                                                 char const* file_name, bool is_revision_file,
                                                 bool force);
    bool get_assignments_for_file_category_section_id_entity(
        ACF_ASSIGNMENT_LIST* coll, ACF_FILE_CATEGORY_ENUM category,
        ACF_CATEGORY_SECTION_TYPE_ENUM section_type, char const* section_identifier,
        char const* entity_name);
    void
    get_list_of_section_identifiers(ACF_CATEGORY_SECTION_TYPE_ENUM section_type,
                                    ACF_FILE_CATEGORY_ENUM category,
                                    std::list<std::string>* section_identifiers_list,
                                    std::map<std::string, int>* duplicate_section_identifiers_map,
                                    std::string const& entity_name);
    bool check_if_assignments_exist_for_section(ACF_CATEGORY_SECTION_TYPE_ENUM section_type,
                                                ACF_FILE_CATEGORY_ENUM category,
                                                char const* section_identifier);
    bool internal_check_if_assignments_exist_for_section(
        ACF_CATEGORY_SECTION_TYPE_ENUM section_type, ACF_FILE_CATEGORY_ENUM category,
        char const* section_identifier, ACF_ASSIGNMENT* asgn);

private:
    // The test fixture that runs the order numbers nearly out.
    friend class ACF_ASGN_STORAGE_ORDER_NUMBERS_TEST;

    // Every container's nodes come from the collection's node pool.
    template <class T> using NODES = ACF_NODE_ALLOCATOR<T>;
    // Numbers of slots, comment lines and runs; NONE stands for none.
    static constexpr uint32_t NONE = UINT32_MAX;
    // An entry of the file order: a slot number or a comment-line number,
    // shifted left by one, with the low bit set for a comment line.
    using ENTRY = uint32_t;

    // Where a held assignment is kept, so that no per-assignment operation
    // searches the collection; the assignment carries the slot's number (its
    // observer place). Its key, its links among the assignments of that key
    // and key-order number (both in key order), its links in file order (a
    // removed assignment may have lost its entry) and order number (ascending
    // in file order), its first selector and how many it is indexed under
    // (see second_selector), the read whose texts it borrows, and whether it
    // is listed as removed and its entity name counted. A free slot has no
    // assignment and links the next free one through `next`. 48 bytes: one
    // per assignment.
    struct SLOT {
        ACF_ASSIGNMENT* asgn = nullptr;
        uint32_t key = NONE;
        uint32_t key_prev = NONE;
        uint32_t key_next = NONE;
        ENTRY prev = NONE;
        ENTRY next = NONE;
        uint32_t order = 0;
        uint32_t key_order = 0;
        uint32_t selector = 0;
        // Its number in m_reads (0: none).
        uint16_t borrowed_read = 0;
        // Value-initialised (zero) with the slot.
        uint8_t selector_count : 2;
        bool has_entry : 1;
        bool entity_counted : 1;
        bool removed_listed : 1;
    };
    static_assert(sizeof(SLOT) <= 48, "a slot stays small: one per assignment");
    // A comment line of the file order; a free one has no text and links the
    // next free one through `next`.
    struct COMMENT_LINE {
        char* text = nullptr;
        std::string const* file_name = nullptr; // interned
        ENTRY prev = NONE;
        ENTRY next = NONE;
    };

    // A key of the index: its text (the collection's own, NUL-terminated),
    // the slots of the assignments held under it in key order, and its group
    // (that of the variable it was made with) and place there. A free key has
    // no text and links the next free one through `first`.
    struct KEY {
        char* text = nullptr;
        uint32_t length = 0;
        uint32_t hash = 0;
        uint32_t first = NONE;
        uint32_t last = NONE;
        uint32_t group = 0;
        uint32_t group_place = 0;
    };
    // The keys made with one variable's user name ("#N" for freeform ones):
    // what a search of that variable can match. A key that another variable's
    // name and target spell too is also in that variable's group (see
    // m_other_groups). Sorted by text up to `sorted`; a dropped key leaves
    // NONE behind until the next sort.
    struct KEY_GROUP {
        std::vector<uint32_t> keys;
        size_t sorted = 0;
        size_t dropped = 0;
    };
    // Keys (numbers) in text order; a walk visits the assignments of each.
    using KEY_RANGE = std::vector<uint32_t>;

    // Slots in key order: key text ascending, then key-order number.
    struct BY_KEY_ORDER {
        using is_transparent = void;
        ACF_ASGN_STORAGE const* owner;
        bool operator()(uint32_t a, uint32_t b) const;
        bool operator()(uint32_t a, std::string const& key) const;
        bool operator()(std::string const& key, uint32_t b) const;
    };
    using KEY_ORDER_SET = std::set<uint32_t, BY_KEY_ORDER, NODES<uint32_t>>;

    // The selector runs: the assignments found under one selector (a hash of
    // what a lookup must find equal), in key order. An open-addressing table
    // holds, per selector, the slot of its one assignment, which most
    // selectors have, or (MANY_RUN set) the number of an ordered set of them.
    struct RUN_CELL {
        uint32_t selector = 0; // 0: an empty cell
        uint32_t held = 0;
    };
    static constexpr uint32_t MANY_RUN = 0x80000000u;
    // Walks one selector's run in key order (an absent run is empty).
    class RUN_CURSOR {
    public:
        RUN_CURSOR() = default;
        explicit RUN_CURSOR(uint32_t only) : m_only(only) {}
        explicit RUN_CURSOR(KEY_ORDER_SET const& many) : m_next(many.begin()), m_end(many.end()) {}
        bool at_end() const { return m_only == NONE && m_next == m_end; }
        uint32_t slot() const { return m_only != NONE ? m_only : *m_next; }
        void advance();

    private:
        uint32_t m_only = NONE;
        KEY_ORDER_SET::const_iterator m_next;
        KEY_ORDER_SET::const_iterator m_end;
    };

    // The candidates of a lookup: the assignments of a range of keys, or, when
    // narrowed, the selector runs that hold every candidate that can pass the
    // lookup's match test (only the assignments of `key` when keyed).
    struct CANDIDATES {
        KEY_RANGE range;
        bool narrowed = false;
        uint32_t selector = 0;
        // Non-zero: ignored assignments of the key, which match by their
        // default value, are visited through this run instead.
        uint32_t ignored_selector = 0;
        bool keyed = false;
        std::string key;
    };

    // --- The key index (acf_asgn_storage_keys.cpp) ------------------------------
    KEY_RANGE whole_key_index() const;
    KEY_RANGE equal_key_range(std::string_view key) const;
    // The keys of every assignment a search of this variable type can match:
    // those made with the variable's user name ("#N" for freeform searches);
    // every key for a variable type 0 search that is not freeform.
    KEY_RANGE variable_key_range(ACF_VARIABLE_TYPE_ENUM type, bool freeform);
    // Hands the assignments of the range to visit in key order until visit
    // returns false.
    template <class VISIT> void walk_keys(KEY_RANGE const& range, VISIT visit) const;
    std::string_view key_text(uint32_t key) const;
    // The key's number; NONE when no assignment is held under it.
    uint32_t find_key(std::string_view key) const;
    // The cell of the key, or the empty cell where it would go.
    size_t key_cell(std::string_view key, uint32_t hash) const;
    void grow_key_cells(size_t keys);
    // Puts the slot last among the assignments of the key, which a variable
    // type's assignments are made with.
    void file_under_key(uint32_t slot, std::string_view key, ACF_VARIABLE_TYPE_ENUM type);
    // Takes the slot from its key; the key goes with its last assignment.
    void take_from_key(uint32_t slot);
    void drop_key(uint32_t key);
    uint32_t group_of(ACF_VARIABLE_TYPE_ENUM type);
    // Brings the group's keys into text order.
    void sort_group(uint32_t group);
    // Adds the key at the end of the group.
    void add_to_group(uint32_t group, uint32_t key);
    // The candidates of the parameter-driven lookups. `choice` (normalised)
    // chooses between the variable's keys and one key; `matched` are the
    // parameters the match test is given, whose key and whose value (when not
    // empty) every candidate must have.
    CANDIDATES lookup_candidates(ACF_MGR_INPUT_PARAMETERS const& choice,
                                 ACF_MGR_INPUT_PARAMETERS const& matched, bool global,
                                 bool freeform, bool allow_ignored);
    // The first candidate, in key order, that passes test; null when none.
    template <class TEST> ACF_ASSIGNMENT* first_candidate(CANDIDATES const& candidates, TEST test);
    // Candidate assignments of a variable in file order.
    std::vector<ACF_ASSIGNMENT*> in_file_order(KEY_RANGE const& range) const;

    // --- Slots ------------------------------------------------------------------
    // The slot number of a held assignment; NONE for any other.
    uint32_t slot_of(ACF_ASSIGNMENT const* asgn) const;
    uint32_t take_slot(ACF_ASSIGNMENT* asgn);
    void free_slot(uint32_t slot);

    // --- File order (links of slots and comment lines) ---------------------------
    static ENTRY slot_entry(uint32_t slot) { return slot << 1; }
    static ENTRY comment_entry(uint32_t line) { return (line << 1) | 1; }
    ENTRY& prev_of(ENTRY entry);
    ENTRY& next_of(ENTRY entry);
    void link_at_end(ENTRY entry);
    void unlink(ENTRY entry);
    // Gives the slot an entry at the end of the file order.
    void enter_at_end(uint32_t slot);
    // The next order number; all are numbered afresh when they run out.
    uint32_t next_order();
    uint32_t next_key_order();
    // Hands each entry to visit (ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const&)
    // in file order.
    template <class VISIT> void walk_file_order(VISIT visit) const;
    void drop_comment_line(uint32_t line);

    // The assignment borrows from that read no more (it may still point at its
    // texts: it is about to be destroyed, or owns copies of them).
    void stop_borrowing(SLOT& slot);

    // The collection's copy of a text (a key or comment), and its release.
    char* keep_text(std::string_view text);
    void drop_text(char* text, size_t length);

    // Adds a held assignment under the key at the end of the file order.
    void hold(ACF_ASSIGNMENT* asgn, std::string const& key);
    // Destroys a held assignment and its entry and node.
    void destroy(ACF_ASSIGNMENT* asgn);
    void purge_removed(ACF_ASSIGNMENT* asgn);
    // Points a new assignment's entity name at the collection's copy of that
    // name: few names, each shared by many assignments.
    void share_entity_name(ACF_ASSIGNMENT* asgn);
    // Counts a set assignment's entity name, once while it stays live.
    void count_entity_name(ACF_ASSIGNMENT* asgn, std::string const& entity_name);
    // The three steps of a removal of one live assignment.
    void remove_one(ACF_ASSIGNMENT* asgn);
    void remove_matches(std::vector<ACF_ASSIGNMENT*> const& matches, ACF_ASSIGNMENT_LIST* coll);
    // Each live assignment of the range that select admits is listed (when
    // coll is not null) and removed.
    template <class SELECT>
    void remove_selected(KEY_RANGE const& range, SELECT select, ACF_ASSIGNMENT_LIST* coll);
    // Lists (when coll is not null) and removes each of `chosen` still live.
    void remove_chosen(std::vector<ACF_ASSIGNMENT*> const& chosen, ACF_ASSIGNMENT_LIST* coll);
    // The slots of the assignments whose target (or source) is `text`, removed
    // ones too, in no order; built on first use after a slot was taken or freed.
    std::vector<uint32_t> const& placed_on(std::string const& text, bool source);
    void forget_placements();
    bool have_manager_storage() const;

    // --- The indexes beside the key index (acf_asgn_storage_index.cpp) ---------
    RUN_CURSOR run_of(uint32_t selector) const;
    // The cell of the selector, or the empty cell where it would go.
    size_t run_cell(uint32_t selector) const;
    void add_to_run(uint32_t selector, uint32_t slot);
    void drop_from_run(uint32_t selector, uint32_t slot);
    void empty_run_cell(size_t cell);
    void grow_run_cells(size_t runs);
    // Starts watching a held assignment and indexes it.
    void watch(uint32_t slot);
    // Brings the assignment's selectors and removed listing up to date.
    void index(uint32_t slot);
    // Takes the assignment out of every index and of the changed set.
    void unwatch(uint32_t slot);
    // The selectors an assignment is found under; returns how many.
    static int selectors_of(ACF_ASSIGNMENT const& asgn, std::string_view key,
                            uint32_t selectors[2]);
    // The second selector of an assignment that has one, made of what never
    // changes while it is held (its key, or its freeform name and target), so
    // that the slot keeps only the first.
    static uint32_t second_selector(ACF_ASSIGNMENT const& asgn, std::string_view key);
    static uint32_t value_selector(std::string_view key, char const* value);
    static uint32_t ignored_selector(std::string_view key);
    static uint32_t name_selector(char const* name, char const* target);
    // The removed assignments whose keys equal key, or (prefix) begin with it,
    // in key order.
    std::vector<ACF_ASSIGNMENT*> removed_in_keys(std::string const& key, bool prefix) const;

    void changed_mark_turned(ACF_ASSIGNMENT* asgn, bool on) override;
    void matching_state_changed(ACF_ASSIGNMENT* asgn) override;

    // First: it outlives the containers whose nodes it holds.
    ACF_NODE_POOL m_node_pool;
    std::map<ACF_ASSIGNMENT*, bool> m_deleted_map;
    std::vector<KEY> m_keys;
    uint32_t m_free_key = NONE;
    size_t m_key_count = 0;
    // Open addressing: key numbers, NONE in an empty cell; power-of-two sized,
    // at most seven eighths full.
    std::vector<uint32_t> m_key_cells;
    std::vector<KEY_GROUP> m_groups;
    std::unordered_map<std::string, uint32_t> m_group_of_prefix;
    // The groups, other than its own, that a key is in.
    std::unordered_multimap<uint32_t, uint32_t> m_other_groups;
    // The held assignments' slots and the comment lines, each with the first
    // free one.
    std::vector<SLOT> m_slots;
    uint32_t m_free_slot = NONE;
    // The slots by target and by source (see placed_on): removing the instance
    // assignments of many names in turn walks the collection once, not once
    // per name. Emptied whenever a slot is taken or freed (targets and sources
    // never change while an assignment is held). The texts are copies: an
    // assignment's own may move while it is held (when it stops borrowing a
    // read's texts).
    using PLACED = std::unordered_map<std::string, std::vector<uint32_t>>;
    PLACED m_placed_on_target;
    PLACED m_placed_on_source;
    bool m_placed_built = false;
    std::vector<COMMENT_LINE> m_comment_lines;
    uint32_t m_free_comment_line = NONE;
    // The ends and length of the file order.
    ENTRY m_first_entry = NONE;
    ENTRY m_last_entry = NONE;
    size_t m_entry_count = 0;
    // The next file-order and key-order numbers.
    uint32_t m_next_order = 0;
    uint32_t m_next_key_order = 0;
    std::map<std::string, int> m_entity_name_counts;
    // Every entity name the collection's assignments were given, kept for the
    // collection's life (the assignments borrow them).
    std::set<std::string> m_entity_names;
    ACF_MANAGER_STORAGE* m_acf_manager_storage = nullptr;
    ACF_ASSIGNMENT_FACTORY* m_assignment_factory = nullptr;
    ACF_MGR_INPUT_PARAMETERS* m_working_parameters = nullptr;

    using CHANGED_SET = std::unordered_set<ACF_ASSIGNMENT*, std::hash<ACF_ASSIGNMENT*>,
                                           std::equal_to<ACF_ASSIGNMENT*>, NODES<ACF_ASSIGNMENT*>>;
    // Power-of-two sized; at most seven eighths full.
    std::vector<RUN_CELL> m_run_cells;
    size_t m_run_count = 0;
    std::vector<std::unique_ptr<KEY_ORDER_SET>> m_many_runs;
    std::vector<uint32_t> m_free_many_runs;
    KEY_ORDER_SET m_removed{BY_KEY_ORDER{this}, KEY_ORDER_SET::allocator_type(&m_node_pool)};
    CHANGED_SET m_changed{CHANGED_SET::allocator_type(&m_node_pool)};
    // The reads begun and kept, with the number of held assignments borrowing
    // from each; a kept read nobody borrows from is let go. Numbered from 1 in
    // the collection (a slot holds that number); a free entry has no read.
    struct KEPT_READ {
        uint32_t read = 0;
        std::unique_ptr<ACF_MGR_READ_TEXTS> texts;
        size_t borrowers = 0;
    };
    std::vector<KEPT_READ> m_reads;
    // The last one found: a read borrows for each of its lines in turn.
    uint16_t m_last_kept_read = 0;
    // The number of the read in m_reads; 0 when not begun here or let go.
    uint16_t kept_read(uint32_t read);
    void let_go(uint16_t kept);
};

template <class VISIT> void ACF_ASGN_STORAGE::walk_file_order(VISIT visit) const {
    for (ENTRY entry = m_first_entry; entry != NONE;) {
        uint32_t const at = entry >> 1;
        if ((entry & 1) != 0) {
            COMMENT_LINE const& line = m_comment_lines[at];
            entry = line.next;
            visit(ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT(line.text, line.file_name));
        } else {
            entry = m_slots[at].next;
            visit(ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT(m_slots[at].asgn));
        }
    }
}

template <class VISIT> void ACF_ASGN_STORAGE::walk_keys(KEY_RANGE const& range, VISIT visit) const {
    for (uint32_t key : range) {
        for (uint32_t slot = m_keys[key].first; slot != NONE;) {
            uint32_t const next = m_slots[slot].key_next;
            if (!visit(m_slots[slot].asgn)) {
                return;
            }
            slot = next;
        }
    }
}
