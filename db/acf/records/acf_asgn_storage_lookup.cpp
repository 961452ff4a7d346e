// Lookups of single assignments and of all assignments that fit a query.
// A global lookup, or an instance lookup with a target, visits only the
// equal-key run of the key index, and of it, when a value is given, only the
// assignments holding that value; a lookup of one variable without target
// visits only that variable's keys; a freeform lookup by name visits only the
// assignments of that name (and target, when one is given).
#include "acf_asgn_storage.h"

#include "acf_assignment.h"
#include "acf_internal_error.h"
#include "acf_manager_storage.h"
#include "acf_mgr_input_parameters.h"
#include "acf_table.h"
#include "mem_manager.h"

#include "suite/general/gen.h"

#include <cstring>

MEM_UNIT_INITIALIZER(ACF);

namespace {

bool texts_equal(char const* a, char const* b, bool case_sensitive) {
    return case_sensitive ? std::strcmp(a, b) == 0 : gen_stricmp(a, b) == 0;
}

bool argument_is_case_sensitive(ACF_ARGUMENT_TYPE_ENUM arg) {
    return acf_test_argument_trait_of(arg, ACF_ARGUMENT_TRAIT_TYPE_CASE_SENSITIVE);
}

} // namespace

template <class TEST>
ACF_ASSIGNMENT* ACF_ASGN_STORAGE::first_candidate(CANDIDATES const& candidates, TEST test) {
    if (!candidates.narrowed) {
        ACF_ASSIGNMENT* found = nullptr;
        walk_keys(candidates.range, [&](ACF_ASSIGNMENT* asgn) {
            found = test(asgn) ? asgn : nullptr;
            return found == nullptr;
        });
        return found;
    }
    // Two runs merged in key order: the assignments of the selector and, when
    // ignored ones match by their default value, the ignored ones of the key
    // (passed over in the first run, where their stored value put them).
    uint32_t const ignored =
        candidates.ignored_selector != candidates.selector ? candidates.ignored_selector : 0;
    RUN_CURSOR values = run_of(candidates.selector);
    RUN_CURSOR others = ignored != 0 ? run_of(ignored) : RUN_CURSOR();
    auto skipped = [&](RUN_CURSOR const& cursor, bool from_values) {
        SLOT const& held = m_slots[cursor.slot()];
        return (candidates.keyed && key_text(held.key) != candidates.key) ||
               (from_values && ignored != 0 && held.asgn->is_ignored());
    };
    BY_KEY_ORDER const before{this};
    while (true) {
        while (!values.at_end() && skipped(values, true)) {
            values.advance();
        }
        while (!others.at_end() && skipped(others, false)) {
            others.advance();
        }
        if (values.at_end() && others.at_end()) {
            return nullptr;
        }
        RUN_CURSOR& next =
            !values.at_end() && (others.at_end() || before(values.slot(), others.slot())) ? values
                                                                                          : others;
        ACF_ASSIGNMENT* asgn = m_slots[next.slot()].asgn;
        next.advance();
        if (test(asgn)) {
            return asgn;
        }
    }
}

ACF_ASGN_STORAGE::CANDIDATES
ACF_ASGN_STORAGE::lookup_candidates(ACF_MGR_INPUT_PARAMETERS const& choice,
                                    ACF_MGR_INPUT_PARAMETERS const& matched, bool global,
                                    bool freeform, bool allow_ignored) {
    CANDIDATES candidates;
    ACF_VARIABLE_TYPE_ENUM const type = choice.get_variable_type();
    if (type == ACF_VARIABLE_TYPE_NONE || (!global && gen_is_empty_string(choice.get_to()))) {
        // A freeform match wants the name ignoring case, and the target when
        // one is given.
        if (freeform && matched.get_variable_string() != nullptr) {
            candidates.narrowed = true;
            candidates.selector = name_selector(matched.get_variable_string(), matched.get_to());
        } else {
            candidates.range = variable_key_range(type, freeform);
        }
        return candidates;
    }
    create_assignment_key(matched, candidates.key);
    char const* value = matched.get_value_string();
    if (!gen_is_empty_string(value)) {
        candidates.narrowed = true;
        candidates.keyed = true;
        candidates.selector = value_selector(candidates.key, value);
        candidates.ignored_selector = allow_ignored ? 0 : ignored_selector(candidates.key);
    } else {
        candidates.range = equal_key_range(candidates.key);
    }
    return candidates;
}

ACF_ASSIGNMENT* ACF_ASGN_STORAGE::get_assignment(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                                 ACF_ASGN_SEARCH_FILTER const& filter,
                                                 bool allow_ignored, bool global, bool freeform) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return nullptr;
    }
    init_and_clean_local_parameters_from(input_parameters, global, freeform);
    ACF_MGR_INPUT_PARAMETERS* params = m_working_parameters;
    return first_candidate(lookup_candidates(*params, *params, global, freeform, allow_ignored),
                           [&](ACF_ASSIGNMENT* asgn) {
                               return does_assignment_match(asgn, params, filter, allow_ignored,
                                                            false, global, freeform);
                           });
}

ACF_ASSIGNMENT* ACF_ASGN_STORAGE::get_assignment(ACF_VARIABLE_TYPE_ENUM type) {
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_type(type);
    return get_assignment(&params, ACF_ASGN_SEARCH_FILTER(), false, true, false);
}

bool ACF_ASGN_STORAGE::does_variable_exist(ACF_MGR_INPUT_PARAMETERS* input_parameters, bool global,
                                           bool freeform) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    init_and_clean_local_parameters_from(input_parameters, global, freeform);
    // The normalised copy chooses between the variable's keys and one key; the
    // key and the match come from the caller's parameters as given.
    ACF_ASGN_SEARCH_FILTER const any;
    return first_candidate(
               lookup_candidates(*m_working_parameters, *input_parameters, global, freeform, false),
               [&](ACF_ASSIGNMENT* asgn) {
                   return does_assignment_match(asgn, input_parameters, any, false, false, global,
                                                freeform);
               }) != nullptr;
}

ACF_ASSIGNMENT* ACF_ASGN_STORAGE::get_exact_match_assignment(
    ACF_MGR_INPUT_PARAMETERS* input_parameters, ACF_ASGN_SEARCH_FILTER const& filter,
    bool allow_ignored, bool global, bool freeform, bool removed) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return nullptr;
    }
    init_and_clean_local_parameters_from(input_parameters, global, freeform);
    ACF_MGR_INPUT_PARAMETERS& params = *m_working_parameters;
    std::vector<ACF_ARGUMENT_TYPE_ENUM> arg_types;
    std::list<std::string> arg_values;
    params.get_argument_types(&arg_types);
    params.get_argument_values(&arg_values);
    char const* value = params.get_value_string();

    auto exact = [&](ACF_ASSIGNMENT* asgn) {
        if (!does_assignment_match(asgn, &params, filter, allow_ignored, removed, global,
                                   freeform)) {
            return false;
        }
        if (!gen_is_empty_string(value) &&
            !texts_equal(value, asgn->get_unmodified_value(allow_ignored),
                         asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE))) {
            return false;
        }
        std::vector<ACF_ARGUMENT_TYPE_ENUM> asgn_args;
        asgn->get_arguments(&asgn_args);
        if (asgn_args.size() != arg_types.size()) {
            return false;
        }
        auto arg_value = arg_values.begin();
        for (ACF_ARGUMENT_TYPE_ENUM arg : arg_types) {
            std::string const text = arg_value != arg_values.end() ? *arg_value++ : std::string();
            char const* asgn_text = asgn->get_argument_value(arg);
            if (!asgn->is_argument_valid(arg) || !asgn->does_argument_exist(arg) ||
                text.empty() == acf_does_argument_require_value(arg) ||
                (!text.empty() && !texts_equal(text.c_str(), asgn_text ? asgn_text : "",
                                               argument_is_case_sensitive(arg)))) {
                return false;
            }
        }
        return true;
    };
    return first_candidate(lookup_candidates(params, params, global, freeform, allow_ignored),
                           exact);
}

void ACF_ASGN_STORAGE::get_assignment_coll(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                           ACF_ASGN_SEARCH_FILTER const& filter, bool allow_ignored,
                                           bool global, bool freeform, ACF_ASSIGNMENT_LIST* coll) {
    if (!ACF_REQUIRE(input_parameters != NULL) || !ACF_REQUIRE(coll != NULL)) {
        return;
    }
    char const* section_id = input_parameters->get_section_identifier();
    std::vector<ACF_ASSIGNMENT_LIST> colls(1);
    get_assignment_colls(input_parameters, {section_id != nullptr ? section_id : ""}, filter,
                         allow_ignored, global, freeform, &colls);
    coll->splice(coll->end(), colls.front());
}

std::string ACF_ASGN_STORAGE::folded_as_stricmp(char const* text) {
    std::string folded = text != nullptr ? text : "";
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return folded;
}

void ACF_ASGN_STORAGE::get_assignment_colls(ACF_MGR_INPUT_PARAMETERS* input_parameters,
                                            std::vector<std::string> const& section_ids,
                                            ACF_ASGN_SEARCH_FILTER const& filter,
                                            bool allow_ignored, bool global, bool freeform,
                                            std::vector<ACF_ASSIGNMENT_LIST>* colls) {
    if (!ACF_REQUIRE(input_parameters != NULL) || !ACF_REQUIRE(colls != NULL) ||
        !ACF_REQUIRE(colls->size() == section_ids.size()) || section_ids.empty()) {
        return;
    }
    init_and_clean_local_parameters_from(input_parameters, global, freeform);
    ACF_MGR_INPUT_PARAMETERS& params = *m_working_parameters;
    // Each identifier as the record's normalising leaves it; a match needs
    // the assignment's section identifier to equal it, ignoring case, so the
    // identifiers are found by it.
    std::vector<std::string> normalised;
    normalised.reserve(section_ids.size());
    std::unordered_map<std::string, std::vector<size_t>> by_section;
    for (size_t i = 0; i < section_ids.size(); ++i) {
        params.set_section_identifier(section_ids[i].c_str());
        set_actual_section_identifier_on_input_parameters();
        char const* section_id = params.get_section_identifier();
        normalised.emplace_back(section_id != nullptr ? section_id : "");
        by_section[folded_as_stricmp(section_id)].push_back(i);
    }
    auto visit = [&](ACF_ASSIGNMENT* asgn) {
        auto found = by_section.find(folded_as_stricmp(asgn->get_section_identifier()));
        if (found == by_section.end()) {
            return;
        }
        for (size_t i : found->second) {
            params.set_section_identifier(normalised[i].c_str());
            if (does_assignment_match(asgn, &params, filter, allow_ignored, false, global,
                                      freeform)) {
                (*colls)[i].push_back(asgn);
            }
        }
    };
    ACF_VARIABLE_TYPE_ENUM const type = params.get_variable_type();
    if (type != ACF_VARIABLE_TYPE_NONE || freeform) {
        // Only the variable's own keys can match; they are put into file order.
        for (ACF_ASSIGNMENT* asgn : in_file_order(variable_key_range(type, freeform))) {
            visit(asgn);
        }
        return;
    }
    walk_file_order([&](ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT const& entry) {
        if (entry.get_assignment() != nullptr) {
            visit(entry.get_assignment());
        }
    });
}

bool ACF_ASGN_STORAGE::does_matching_assignment_exist_with_same_argument(
    ACF_MGR_INPUT_PARAMETERS* input_parameters, bool global, bool freeform,
    ACF_ARGUMENT_TYPE_ENUM argument, char const* value) {
    if (!ACF_REQUIRE(input_parameters != NULL)) {
        return false;
    }
    bool const requires_value = acf_does_argument_require_value(argument);
    if (requires_value && gen_is_empty_string(value)) {
        return false;
    }
    ACF_MGR_INPUT_PARAMETERS query;
    query = input_parameters;
    std::string const caller_value =
        input_parameters->get_value_string() ? input_parameters->get_value_string() : "";
    query.set_value_string(nullptr);

    ACF_ASSIGNMENT_LIST candidates;
    get_assignment_coll(&query, ACF_ASGN_SEARCH_FILTER(), true, global, freeform, &candidates);
    for (ACF_ASSIGNMENT* asgn : candidates) {
        if (!asgn->does_argument_exist(argument)) {
            continue;
        }
        if (requires_value) {
            char const* asgn_text = asgn->get_argument_value(argument);
            if (gen_is_empty_string(asgn_text) ||
                !texts_equal(asgn_text, value, argument_is_case_sensitive(argument))) {
                continue;
            }
        }
        if (caller_value.empty() ||
            !texts_equal(asgn->get_unmodified_value(true), caller_value.c_str(),
                         asgn->test_trait_of(ACF_VARIABLE_TRAIT_TYPE_CASE_SENSITIVE))) {
            return true;
        }
    }
    return false;
}
