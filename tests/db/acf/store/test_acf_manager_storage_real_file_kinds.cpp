// What the revision store makes of a settings file that is no plain text file:
// a directory, a pipe or a file holding a NUL byte is refused (never read as an
// empty or shorter revision, never waited on), and a settings file that is a
// link is rewritten where the link leads, the link staying.
#include "acf_storage_test_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

bool logged(std::string const& text) {
    for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
        if (entry.text.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(SettingsFileKinds, ASettingsFileThatIsNoRegularFileIsRefused) {
    struct CASE {
        char const* kind;
        int (*make)(char const* path);
        bool (*still)(std::filesystem::path const& path);
    } const cases[] = {
        {"directory", [](char const* path) { return mkdir(path, 0755); },
         [](std::filesystem::path const& path) { return std::filesystem::is_directory(path); }},
        {"pipe", [](char const* path) { return mkfifo(path, 0644); },
         [](std::filesystem::path const& path) { return std::filesystem::is_fifo(path); }},
    };
    for (CASE const& c : cases) {
        ACF_STORAGE_TEST_PROJECT project(nullptr);
        ASSERT_EQ(c.make(project.tsf().c_str()), 0) << c.kind;
        ASSERT_TRUE(project.manager().write_lock(true)) << c.kind;
        EXPECT_EQ(project.storage().get_last_error_status(),
                  ACF_REVISION_MANAGER::ERROR_IN_SETTINGS_FILE)
            << c.kind;
        EXPECT_FALSE(project.storage().is_loaded()) << c.kind;
        EXPECT_TRUE(logged(project.tsf())) << c.kind << ": no message names the file";
        project.manager().write_unlock(false);
        EXPECT_TRUE(c.still(project.tsf())) << c.kind;
    }
}

TEST(SettingsFileKinds, ALineHoldingANulByteRefusesTheFileAndKeepsIt) {
    std::string const text = std::string("set_global_assignment -name SMART_RECOMPILE ON\n"
                                         "set_global_assignment -name SEARCH_PATH \"lib") +
                             '\0' + "/ip\"\n";
    ACF_STORAGE_TEST_PROJECT project(nullptr);
    acf_test_write(project.tsf(), text);
    ASSERT_TRUE(project.manager().write_lock(true));
    EXPECT_EQ(project.storage().get_last_error_status(),
              ACF_REVISION_MANAGER::ERROR_IN_SETTINGS_FILE);
    EXPECT_TRUE(logged("line 2 holds a NUL byte"));
    project.manager().write_unlock(false);
    EXPECT_TRUE(acf_test_read(project.tsf()) == text);
}

TEST(SettingsFileKinds, ALinkedSettingsFileIsRewrittenWhereTheLinkLeads) {
    ACF_STORAGE_TEST_PROJECT project(nullptr);
    std::filesystem::create_directory(project.file("shared"));
    std::string const target = project.file("shared/top_settings.tsf");
    acf_test_write(target, "set_global_assignment -name SMART_RECOMPILE ON\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    std::filesystem::create_symlink("shared/top_settings.tsf", project.tsf());

    ASSERT_TRUE(project.manager().write_lock(true));
    ACF_MGR_INPUT_PARAMETERS params;
    params.set_variable_string("SMART_RECOMPILE");
    params.set_value_string("OFF");
    ASSERT_NE(project.manager().set_global_assignment(&params), nullptr);
    EXPECT_TRUE(project.storage().write_files_to_disk(true, true));
    project.manager().write_unlock(false);

    EXPECT_TRUE(std::filesystem::is_symlink(project.tsf()));
    EXPECT_NE(acf_test_read(target).find("SMART_RECOMPILE OFF"), std::string::npos)
        << acf_test_read(target);
    struct stat status;
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    // No temporary or lock file is left in either folder.
    for (std::string const& folder : {project.file(""), project.file("shared")}) {
        for (auto const& entry : std::filesystem::directory_iterator(folder)) {
            std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "proj.tpf" || name == "top.tsf" || name == "shared" ||
                        name == "top_settings.tsf" ||
                        name.find("assignment_defaults") != std::string::npos)
                << name;
        }
    }
}

} // namespace
