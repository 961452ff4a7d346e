#include "suite/general/gen.h"

#include "mem/mem_config.h"
#include "mem_manager.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(General, LocalAtofTakesTheLeadingNumberWhateverTheLocale) {
    struct CASE {
        char const* text;
        double value;
    } const cases[] = {
        {"14.0", 14.0}, {"12.1sp1", 12.1}, {" \t11.1", 11.1}, {"-2.5x", -2.5}, {"12e5", 12.0},
        {"12.", 12.0},  {".5", 0.5},       {"sp3", 0.0},      {"", 0.0},       {nullptr, 0.0},
    };
    // A locale whose decimal mark is a comma, when the machine has one.
    char const* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    for (CASE const& c : cases) {
        EXPECT_DOUBLE_EQ(gen_local_atof(c.text), c.value) << (c.text ? c.text : "null");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace

TEST(General, ProjectLibraryPathsKeepTheirOrderAndLoseRemovedOnes) {
    gen_set_project_library_paths("");
    EXPECT_TRUE(gen_get_project_library_paths().empty());
    gen_append_project_library_paths("libs/a");
    gen_append_project_library_paths("");
    gen_append_project_library_paths("libs/b");
    gen_append_project_library_paths("libs/a");
    EXPECT_EQ(gen_get_project_library_paths(),
              (std::vector<std::string>{"libs/a", "libs/b", "libs/a"}));
    gen_remove_project_library_paths("libs/a");
    EXPECT_EQ(gen_get_project_library_paths(), (std::vector<std::string>{"libs/b"}));
    gen_set_project_library_paths("only");
    EXPECT_EQ(gen_get_project_library_paths(), (std::vector<std::string>{"only"}));
    gen_set_project_library_paths(nullptr);
    EXPECT_TRUE(gen_get_project_library_paths().empty());

    gen_set_project_output_directory("out");
    EXPECT_EQ(gen_get_project_output_directory(), "out");
    gen_set_project_output_directory(nullptr);
    EXPECT_EQ(gen_get_project_output_directory(), "");
}

TEST(General, MemoryManagerAsksThisLibraryForTheProgramsNames) {
    // Before: the manager's empty answers.
    EXPECT_EQ(mem_gen_get_module_filename(), "");
    mem_install_gen_callbacks();
    EXPECT_EQ(mem_gen_get_module_filename(), gen_get_module_filename().c_str());
    EXPECT_NE(mem_gen_get_module_filename().find("test_suite_general"), MEM_STRING::npos);
    EXPECT_EQ(mem_gen_get_tessaly_path(), gen_get_tessaly_path().c_str());
    gen_set_is_ui_process(true);
    EXPECT_TRUE(mem_gen_get_is_ui_process());
    gen_set_is_ui_process(false);
    EXPECT_FALSE(mem_gen_get_is_ui_process());
    // The directory as it is when the manager asks.
    gen_set_project_output_directory("/proj/out");
    EXPECT_STREQ(mem_gen_get_project_output_directory(), "/proj/out");
    gen_set_project_output_directory(nullptr);
    EXPECT_STREQ(mem_gen_get_project_output_directory(), "");
}

TEST(General, InstallationPathCanBePointedElsewhere) {
    std::string own = gen_get_tessaly_path();
    for (char const* dir : {"/opt/suite", "/opt/suite/", "/opt/suite//"}) {
        gen_set_tessaly_path(dir);
        EXPECT_EQ(gen_get_tessaly_path(), "/opt/suite") << dir;
        EXPECT_EQ(gen_get_module_path(), "/opt/suite/") << dir;
    }
    gen_set_tessaly_path("");
    EXPECT_EQ(gen_get_tessaly_path(), own);
    EXPECT_EQ(own, gen_get_module_filename().substr(0, own.size()));
}

TEST(General, DatabaseFoldersLieInTheProjectDirectory) {
    std::string kept = gen_get_project_dir_path();
    gen_set_project_dir_path("");
    EXPECT_EQ(gen_get_db_dir_path(), "");
    EXPECT_EQ(gen_get_incr_db_dir_path_string(), "");
    for (char const* dir : {"/work/proj/", "/work/proj"}) {
        gen_set_project_dir_path(dir);
        EXPECT_EQ(gen_get_db_dir_path(), "/work/proj/db/");
        EXPECT_EQ(gen_get_incr_db_dir_path_string(), "/work/proj/incremental_db/");
    }
    gen_set_project_dir_path(kept.c_str());
}
