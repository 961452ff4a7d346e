// What the Tcl commands hand back: the overall result of a run, the result
// elements and the listing of components with their sub-components, read back
// as Tcl lists.
#include "ipman/ipman_tcl_impl.h"

#include "suite/tclglue/atcl.h"

#include <gtest/gtest.h>

namespace {

IPMAN_IP_INFO record(std::string entity, std::string name, std::string var_file,
                     std::string parent = "N/A") {
    IPMAN_IP_INFO info;
    info.entity = std::move(entity);
    info.tool_name = std::move(name);
    info.tool_version = "12.1";
    info.var_file = std::move(var_file);
    info.parent_entity = std::move(parent);
    return info;
}

// The words of a Tcl list.
std::vector<std::string> split(std::string const& list) {
    Tcl_Interp* interp = atcl_get_interpreter();
    Tcl_Obj* obj = Tcl_NewStringObj(list.c_str(), -1);
    Tcl_IncrRefCount(obj);
    int count = 0;
    Tcl_Obj** words = nullptr;
    std::vector<std::string> out;
    if (Tcl_ListObjGetElements(interp, obj, &count, &words) == TCL_OK) {
        for (int i = 0; i < count; ++i) {
            out.emplace_back(Tcl_GetString(words[i]));
        }
    }
    Tcl_DecrRefCount(obj);
    return out;
}

TEST(IpmanTclResults, AnyResultOtherThanZeroFailsTheRun) {
    struct CASE {
        std::vector<int> codes;
        int overall;
    } const cases[] = {{{}, 0}, {{0, 0}, 0}, {{0, 1}, 1}, {{2, 0}, 1}, {{0, -1}, 1}};
    for (CASE const& c : cases) {
        std::vector<IPMAN_IP_REGEN_RESULT> results;
        for (int code : c.codes) {
            results.emplace_back(IPMAN_IP_INFO(), code, IPMAN_FAIL_REGEN_NONE);
        }
        EXPECT_EQ(overall_result(results), c.overall) << ::testing::PrintToString(c.codes);
    }
}

TEST(IpmanTclResults, ElementsKeepEveryFieldWhateverItHolds) {
    std::vector<IPMAN_IP_REGEN_RESULT> results;
    results.emplace_back(record("", "fifo", "/p/ram block.v"), 0, IPMAN_FAIL_REGEN_NONE);
    results.emplace_back(record("top", "a{b", "/p/x[1]$y.v"), 4, IPMAN_FAIL_REGEN_UPGRADE_FAILED);
    Tcl_Interp* interp = atcl_get_interpreter();
    Tcl_SetObjResult(interp, Tcl_NewStringObj("ERROR: The file is not a variation file.", -1));
    append_element_for_regen_result(interp, results);

    std::vector<std::string> elements = split(Tcl_GetStringResult(interp));
    ASSERT_EQ(elements.size(), 2u) << Tcl_GetStringResult(interp);
    // Plain words read as the documented text.
    EXPECT_EQ(split(elements[0]),
              (std::vector<std::string>{"{} fifo 12.1 {/p/ram block.v}", "Passed"}));
    EXPECT_EQ(split(split(elements[0])[0]),
              (std::vector<std::string>{"", "fifo", "12.1", "/p/ram block.v"}));
    EXPECT_EQ(split(elements[1])[1], "Failed");
    EXPECT_EQ(split(split(elements[1])[0]),
              (std::vector<std::string>{"top", "a{b", "12.1", "/p/x[1]$y.v"}));
}

TEST(IpmanTclResults, SubComponentsAreListedWithTheirTopLevelComponent) {
    std::vector<IPMAN_IP_INFO> const records = {
        record("fir_c", "fir", "/p/fir_c.v"),
        record("tap", "mult", "/p/fir_c.v", "fir_c"),
        record("fifo_a", "fifo", "/p/fifo_a.v"),
        record("lost", "pll", "/p/pll.v", "gone"), // its parent is not listed
        record("tap2", "mult", "/p/fir_c.v", "fir_c"),
    };
    auto listed = process_required_regen_ip(records);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].first, "fir_c");
    EXPECT_EQ(listed[0].second,
              "{fir_c fir 12.1 /p/fir_c.v} {tap mult 12.1 /p/fir_c.v} {tap2 mult 12.1 /p/fir_c.v}");
    EXPECT_EQ(listed[1].first, "fifo_a");
    EXPECT_EQ(listed[1].second, "{fifo_a fifo 12.1 /p/fifo_a.v}");
}

} // namespace
