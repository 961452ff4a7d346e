#include "ipman/ipman_iprgen_manager.h"
#include "ipman/ipman_utils.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using NAMES = std::vector<std::string>;
using SECTION = IPMAN_IPRGEN_MANAGER::IP_REGEN_SECTION;
using PAIR = IPMAN_IPRGEN_MANAGER::IP_NAME_PAIR;

TEST(IpmanUtils, SplitStringKeepsPiecesWithTextUntrimmed) {
    struct CASE {
        char const* text;
        char const* delimiter;
        bool result;
        NAMES pieces;
    } const cases[] = {
        {"a;b", ";", true, {"a", "b"}},
        {"a; b ;", ";", true, {"a", " b "}},
        {";;  ;x", ";", true, {"x"}},
        {"   ", ";", true, {"   "}},
        {"a::b::::c", "::", true, {"a", "b", "c"}},
        {"", ";", false, {}},
        {"a;b", "", false, {}},
    };
    for (CASE const& c : cases) {
        NAMES pieces;
        EXPECT_EQ(IPMAN_UTILS::split_string(c.text, c.delimiter, pieces), c.result) << c.text;
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
}

TEST(IpmanUtils, SplitFileListTakesWordsAndQuotedNames) {
    struct CASE {
        char const* text;
        NAMES names;
    } const cases[] = {
        {"a.v \"b c.v\"", {"a.v", "\"b c.v\""}},
        {"  a.v\t'x y.v'  ", {"a.v", "'x y.v'"}},
        // The character after a name is skipped as its separator.
        {"a\"b c\"", {"a", "b", "c"}},
        {"\"a\"\"b\"", {"\"a\"", "b"}},
        // A quote without a partner is passed over.
        {"\"a b", {"a", "b"}},
        {"'it''s", {"'it'", "s"}},
        {"\t\n", {}},
        {"", {}},
    };
    for (CASE const& c : cases) {
        NAMES names;
        IPMAN_UTILS::split_file_list(c.text, names);
        EXPECT_EQ(names, c.names) << c.text;
    }
    // Lists and names of any length.
    std::string list;
    for (int i = 0; i < 30000; ++i) {
        list += "f" + std::to_string(i) + ".v ";
    }
    list += std::string(200000, 'n') + " \"" + std::string(200000, ' ') + "\"";
    NAMES names;
    IPMAN_UTILS::split_file_list(list, names);
    ASSERT_EQ(names.size(), 30002u);
    EXPECT_EQ(names[29999], "f29999.v");
    EXPECT_EQ(names[30000].size(), 200000u);
    EXPECT_EQ(names[30001].size(), 200002u);
}

TEST(IpmanRules, ReadsTheUpgradeListBySections) {
    IPMAN_IPRGEN_MANAGER manager(TESSALY_TEST_DATA_DIR "/fixtures/rules");
    std::vector<SECTION> const expected = {
        {"11.1", {"mult", "fifo"}},
        {"11.1", {}},               // a second END repeats the section
        {"12.0", {"pll ", "END "}}, // trailing blanks stay; "END " is a name
        {"12.1sp1", {"ram"}},       // names after the last END are dropped
    };
    EXPECT_EQ(manager.get_ip_regen_list(), expected);
}

TEST(IpmanRules, ReadsNamePairsAndSkipsLinesWithoutTwoNames) {
    IPMAN_IPRGEN_MANAGER manager(TESSALY_TEST_DATA_DIR "/fixtures/rules");
    std::vector<PAIR> const expected = {
        {"a", "b"}, {"c", " d"}, {"x", "y"}, {std::string(300, 'p'), "q"}};
    EXPECT_EQ(manager.get_ip_core_name_mapping_list(), expected);
}

TEST(IpmanRules, MissingRuleFilesGiveEmptyListsAndNoUpgrades) {
    TEST_WORKSPACE workspace;
    IPMAN_IPRGEN_MANAGER manager(workspace.dir());
    EXPECT_TRUE(manager.get_ip_regen_list().empty());
    EXPECT_TRUE(manager.get_ip_core_name_mapping_list().empty());
    EXPECT_FALSE(manager.is_ip_need_regen("mult", "11.1"));
    EXPECT_EQ(manager.get_another_ip_core_name("a"), "");
}

// The running version is 14.0 without a service pack.
TEST(IpmanRules, UpgradeDecision) {
    IPMAN_IPRGEN_MANAGER manager(TESSALY_TEST_DATA_DIR "/fixtures/rules");
    struct CASE {
        char const* name;
        char const* version;
        bool needed;
    } const cases[] = {
        {"mult", "11.1", true},
        {"fifo", "11.1", true},    // leading blanks of a name line are skipped
        {"mult", "11.1sp2", true}, // up to 12.0 the service pack is not part of the key
        {"mult", "11.10", false},  // the key is the text, not its value
        {"Mult", "11.1", false},
        {"pll", "12.0", false}, // the listed name keeps its trailing blank
        {"pll ", "12.0", true},
        {"END ", "12.0", true},
        {"pll ", "12.0sp3", true}, // looked up under 12.0
        {"ram", "12.1sp1", true},  // after 12.0 the whole version is the key
        {"ram", "12.1", false},
        {"mult", "14.0", false}, // made by the running version
        {"mult", "14", false},
        {"mult", "14.0sp1", false}, // a newer service pack, but listed nowhere
        {"mult", "", false},
        {"", "11.1", false},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(manager.is_ip_need_regen(c.name, c.version), c.needed)
            << c.name << " " << c.version;
    }
}

TEST(IpmanRules, VersionParts) {
    IPMAN_IPRGEN_MANAGER manager(TESSALY_TEST_DATA_DIR "/fixtures/rules");
    struct CASE {
        char const* text;
        char const* version;
        char const* sp;
        bool different;
    } const cases[] = {
        {"11.1sp2", "11.1", "2", true},
        {"14.0", "14.0", "", false},
        {"14.0sp0", "14.0", "0", false},
        {"14.0sp2", "14.0", "2", true},
        {"14.0SP2", "14.0SP2", "", false},
        {"sp3", "", "3", true},
        {"", "", "", false},
    };
    for (CASE const& c : cases) {
        std::string version = "x";
        std::string sp = "x";
        IPMAN_IPRGEN_MANAGER::get_version_and_sp_number(c.text, version, sp);
        EXPECT_EQ(version, c.version) << c.text;
        EXPECT_EQ(sp, c.sp) << c.text;
        EXPECT_EQ(manager.is_different_version_than_tessaly(c.text), c.different) << c.text;
    }
}

TEST(IpmanRules, OtherNameOfAPair) {
    IPMAN_IPRGEN_MANAGER manager(TESSALY_TEST_DATA_DIR "/fixtures/rules");
    struct CASE {
        char const* name;
        std::string other;
    } const cases[] = {
        {"a", "b"}, {"b", "a"}, {"c", " d"}, {" d", "c"},          {"d", ""},
        {"y", "x"}, {"z", ""},  {"", ""},    {"no pair here", ""}, {"q", std::string(300, 'p')},
    };
    for (CASE const& c : cases) {
        EXPECT_EQ(manager.get_another_ip_core_name(c.name), c.other) << c.name;
    }
}

TEST(IpmanRules, ProcessWideManagerReadsTheInstalledRules) {
    IPMAN_IPRGEN_MANAGER* manager = IPMAN_IPRGEN_MANAGER::get_iprgen_manager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager, IPMAN_IPRGEN_MANAGER::get_iprgen_manager());
    EXPECT_FALSE(manager->get_ip_regen_list().empty());
    EXPECT_FALSE(manager->get_ip_core_name_mapping_list().empty());
}

// A rule file that cannot be read, is not a regular file or holds no rule is
// recorded with why; a missing one is no error.
TEST(IpmanRules, UnusableRuleFilesAreRecorded) {
    struct CASE {
        char const* what;
        std::string list;    // "" for none; "fifo" or "folder" for one of those
        std::string mapping; // likewise
        std::vector<std::string> errors;
    } const cases[] = {
        {"missing files", "", "", {}},
        {"good files", "[11.1]\nfifo\nEND\n", "a;b\n", {}},
        {"blank files", " \n\n", "\n", {}},
        {"a list without END",
         "[11.1]\nfifo\n",
         "a;b\n",
         {"ip_cores_for_regeneration.txt: no section of it ends with END"}},
        {"a mapping without pairs",
         "[11.1]\nfifo\nEND\n",
         "a\nb;\n",
         {"ip_cores_name_mapping.txt: no line of it names two IP components"}},
        {"binary files",
         std::string("[11.1]\nEND\n\0", 13),
         std::string("a;b\0", 4),
         {"ip_cores_for_regeneration.txt: it is not a text file",
          "ip_cores_name_mapping.txt: it is not a text file"}},
        {"a FIFO and a folder",
         "fifo",
         "folder",
         {"ip_cores_for_regeneration.txt: not a regular file",
          "ip_cores_name_mapping.txt: not a regular file"}},
    };
    for (CASE const& c : cases) {
        TEST_WORKSPACE workspace;
        for (auto const& [name, content] :
             {std::make_pair("ip_cores_for_regeneration.txt", c.list),
              std::make_pair("ip_cores_name_mapping.txt", c.mapping)}) {
            std::string path = workspace.path(name);
            if (content == "fifo") {
                mkfifo(path.c_str(), 0644);
            } else if (content == "folder") {
                std::filesystem::create_directory(path);
            } else if (!content.empty()) {
                test_write_file(path, content);
            }
        }
        IPMAN_IPRGEN_MANAGER manager(workspace.dir());
        std::vector<std::string> errors;
        for (auto const& error : manager.get_rule_file_errors()) {
            errors.push_back(error.file.substr(workspace.dir().size() + 1) + ": " + error.reason);
        }
        EXPECT_EQ(errors, c.errors) << c.what;
    }
}

} // namespace
