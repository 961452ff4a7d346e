// Revision descriptions and the SDC copy of the project-control layer.
#include "suite/projectctl/pjc_project.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using LINES = PJC_PROJECT::STRING_LIST;

LINES description(std::string const& dir, char const* revision) {
    LINES lines;
    EXPECT_TRUE(PJC_PROJECT::get_description(revision, dir.c_str(), &lines));
    return lines;
}

TEST(PjcProject, DescriptionsKeepEveryTextExactlyAndTheOtherRevisions) {
    TEST_WORKSPACE ws;
    std::string const texts[] = {
        "two\nlines",
        "",
        "  blanks  \r\n\ttab\n",
        std::string("a NUL \0 byte", 12),
        "REVISION 3 1\nfake\nTEXT 1\nx",
        "\n\n\n",
    };
    EXPECT_TRUE(description(ws.dir(), "a").empty()); // no file yet
    std::map<std::string, LINES> all;
    EXPECT_TRUE(PJC_PROJECT::get_descriptions(ws.dir().c_str(), &all));
    EXPECT_TRUE(all.empty());
    for (std::string const& text : texts) {
        ASSERT_TRUE(PJC_PROJECT::set_description("a", ws.dir().c_str(), {text}));
        ASSERT_TRUE(PJC_PROJECT::set_description("b c$[x]", ws.dir().c_str(), {"B", text}));
        EXPECT_EQ(description(ws.dir(), "a"), LINES{text});
        EXPECT_EQ(description(ws.dir(), "b c$[x]"), (LINES{"B", text}));
    }
    // Names are told apart exactly.
    EXPECT_TRUE(description(ws.dir(), "A").empty());
    // An empty list drops the entry and keeps the others.
    ASSERT_TRUE(PJC_PROJECT::set_description("a", ws.dir().c_str(), {}));
    EXPECT_TRUE(description(ws.dir(), "a").empty());
    EXPECT_EQ(description(ws.dir(), "b c$[x]").size(), 2u);
    // All at once, as each alone reads.
    ASSERT_TRUE(PJC_PROJECT::set_description("a", ws.dir().c_str(), {"A"}));
    EXPECT_TRUE(PJC_PROJECT::get_descriptions(ws.dir().c_str(), &all));
    EXPECT_EQ(all, (std::map<std::string, LINES>{{"a", description(ws.dir(), "a")},
                                                 {"b c$[x]", description(ws.dir(), "b c$[x]")}}));
}

TEST(PjcProject, AFileThatCannotBeReadIsNeverOverwritten) {
    std::string const contents[] = {
        "TESSALY_REVISION_DESCRIPTIONS 2\n",                                 // a later format
        "notes of my own\n",                                                 // not ours
        "TESSALY_REVISION_DESCRIPTIONS 1\nREVISION 1 1\na\nTEXT 9\nshort\n", // cut short
        "TESSALY_REVISION_DESCRIPTIONS 1\nREVISION 1 1\na\nTEXT -1\n\n",
        "TESSALY_REVISION_DESCRIPTIONS 1\nREVISION 1 0\nab\n",
    };
    for (std::string const& content : contents) {
        TEST_WORKSPACE ws;
        std::string file = PJC_PROJECT::description_file(ws.dir().c_str());
        test_write_file(file, content);
        LINES lines;
        EXPECT_FALSE(PJC_PROJECT::get_description("a", ws.dir().c_str(), &lines)) << content;
        std::map<std::string, LINES> all;
        EXPECT_FALSE(PJC_PROJECT::get_descriptions(ws.dir().c_str(), &all)) << content;
        EXPECT_FALSE(PJC_PROJECT::set_description("a", ws.dir().c_str(), {"new"})) << content;
        EXPECT_EQ(test_read_file(file), content);
    }
}

TEST(PjcProject, AFailedWriteIsReported) {
    TEST_WORKSPACE ws;
    // A file where the project folder should be: nothing can be written in it.
    test_write_file(ws.path("not_a_folder"), "");
    EXPECT_FALSE(PJC_PROJECT::set_description("a", ws.path("not_a_folder").c_str(), {"new"}));
    EXPECT_EQ(test_read_file(ws.path("not_a_folder")), "");
}

TEST(PjcProject, TheSdcFileIsCopiedOnlyToAFreeName) {
    TEST_WORKSPACE ws;
    PJC_PROJECT project(ws.dir());
    std::string failed;
    // No base file: nothing to copy.
    EXPECT_TRUE(project.copy_sdc_file("new", "base", &failed));
    EXPECT_FALSE(std::filesystem::exists(ws.path("new.sdc")));

    test_write_file(ws.path("base.sdc"), "create_clock -period 10 clk\n");
    EXPECT_TRUE(project.copy_sdc_file("new", "base", &failed));
    EXPECT_EQ(test_read_file(ws.path("new.sdc")), "create_clock -period 10 clk\n");

    test_write_file(ws.path("mine.sdc"), "mine\n");
    EXPECT_TRUE(project.copy_sdc_file("mine", "base", &failed));
    EXPECT_EQ(test_read_file(ws.path("mine.sdc")), "mine\n");

    // A folder in the target's place is left alone.
    std::filesystem::create_directories(ws.path("dir.sdc"));
    EXPECT_TRUE(project.copy_sdc_file("dir", "base", &failed));
    EXPECT_TRUE(std::filesystem::is_directory(ws.path("dir.sdc")));
    // A base that cannot be read: the copy fails and names its target.
    EXPECT_FALSE(project.copy_sdc_file("from_dir", "dir", &failed));
    EXPECT_EQ(failed, ws.path("from_dir.sdc"));
    EXPECT_FALSE(std::filesystem::exists(ws.path("from_dir.sdc")));
}

} // namespace
