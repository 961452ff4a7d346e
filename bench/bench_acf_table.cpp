// Name-to-variable lookups of the settings catalogue: every settings-file line
// read resolves its variable name this way.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "acf_table.h"

namespace {

// Every name the user-name lookup knows: internal, user and UI names of all
// variables, each as written and lower-cased (names compare ignoring case).
std::vector<std::string> all_names() {
    std::vector<std::string> names;
    for (auto it = acf_begin_const_iter_for_acf_variable_type_enum();
         it != acf_end_const_iter_for_acf_variable_type_enum(); ++it) {
        for (char const* name : {acf_variable_type_to_string(*it), acf_get_variable_user_name(*it),
                                 acf_get_variable_ui_name_string(*it)}) {
            std::string lowered(name);
            for (char& c : lowered) {
                if (c >= 'A' && c <= 'Z') {
                    c = static_cast<char>(c - 'A' + 'a');
                }
            }
            names.emplace_back(name);
            names.push_back(lowered);
        }
    }
    return names;
}

void BM_UserNameToType(benchmark::State& state) {
    std::vector<std::string> const names = all_names();
    for (auto _ : state) {
        for (std::string const& name : names) {
            benchmark::DoNotOptimize(acf_user_name_to_variable_type_enum(name.c_str()));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
BENCHMARK(BM_UserNameToType);

void BM_InternalNameToType(benchmark::State& state) {
    std::vector<std::string> const names = all_names();
    for (auto _ : state) {
        for (std::string const& name : names) {
            benchmark::DoNotOptimize(acf_string_to_variable_type_enum(name.c_str()));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
BENCHMARK(BM_InternalNameToType);

void BM_UnknownNameToType(benchmark::State& state) {
    std::vector<std::string> names = all_names();
    for (std::string& name : names) {
        name += "_UNKNOWN";
    }
    for (auto _ : state) {
        for (std::string const& name : names) {
            benchmark::DoNotOptimize(acf_user_name_to_variable_type_enum(name.c_str()));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
BENCHMARK(BM_UnknownNameToType);

} // namespace
