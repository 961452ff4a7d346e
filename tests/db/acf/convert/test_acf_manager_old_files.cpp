// Backing up and removing the old-format files of a project directory.
#include "acf_test_directory.h"

#include "acf_manager.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<std::string> listing(std::string const& dir) {
    std::vector<std::string> names;
    if (!std::filesystem::exists(dir)) {
        return names;
    }
    for (auto const& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

using NAMES = std::vector<std::string>;

// Every kind of file a project directory may hold; "x.csf" is a directory.
NAMES const ALL = {"a.csf", "a.psf", "a.tessaly", "a.tpf", "a.tsf",
                   "a.tws", "b.CSF", "b.ssf",     "c.esf", "x.csf"};
NAMES const OLD_FORMAT = {"a.csf", "a.psf", "a.tessaly", "b.CSF", "b.ssf", "c.esf"};

TEST(ManagerOldFiles, BackupAndRemoval) {
    struct CASE {
        char const* name;
        bool give_dir;
        bool backup;
        char const* backup_dir; // inside the test directory; null for none
        bool remove_project_file;
        char const* project_name;
        bool remove_setting_files;
        bool result;
        NAMES left;
        NAMES backed_up;
    } const cases[] = {
        {"no directory", false, true, "bak", true, "a", true, false, ALL, {}},
        {"backup without a backup directory", true, true, nullptr, true, "a", true, false, ALL, {}},
        {"backup into a missing directory stops before removing",
         true,
         true,
         "missing/bak",
         true,
         "a",
         true,
         false,
         ALL,
         {}},
        {"backup only", true, true, "bak", false, nullptr, false, true, ALL, OLD_FORMAT},
        {"old project file without a name", true, false, nullptr, true, "", false, false, ALL, {}},
        {"old project file",
         true,
         false,
         nullptr,
         true,
         "a.tpf",
         false,
         true,
         {"a.csf", "a.psf", "a.tpf", "a.tsf", "a.tws", "b.CSF", "b.ssf", "c.esf", "x.csf"},
         {}},
        {"old project file that is not there",
         true,
         false,
         nullptr,
         true,
         "z",
         false,
         true,
         ALL,
         {}},
        {"every old-format file after a backup",
         true,
         true,
         "bak",
         true,
         "a",
         true,
         true,
         {"a.tpf", "a.tsf", "a.tws", "x.csf"},
         OLD_FORMAT},
    };
    for (CASE const& c : cases) {
        ACF_TEST_DIRECTORY dir;
        for (std::string const& name : ALL) {
            if (name == "x.csf") {
                std::filesystem::create_directory(dir.file(name));
            } else {
                acf_test_write(dir.file(name), "content of " + name + "\n");
            }
        }
        std::string backup_dir;
        if (c.backup_dir != nullptr) {
            backup_dir = dir.file(c.backup_dir);
            if (std::string(c.backup_dir) == "bak") {
                std::filesystem::create_directory(backup_dir);
            }
        }
        // The project directory is named without its trailing "/".
        std::string project_dir = dir.path().substr(0, dir.path().size() - 1);
        EXPECT_EQ(ACF_MANAGER::backup_remove_old_setting_files(
                      c.give_dir ? project_dir.c_str() : "", c.backup,
                      c.backup_dir != nullptr ? backup_dir.c_str() : nullptr, c.remove_project_file,
                      c.project_name, c.remove_setting_files),
                  c.result)
            << c.name;
        NAMES left = listing(dir.path());
        left.erase(std::remove(left.begin(), left.end(), "bak"), left.end());
        EXPECT_EQ(left, c.left) << c.name;
        if (c.backup_dir != nullptr) {
            EXPECT_EQ(listing(backup_dir), c.backed_up) << c.name;
            for (std::string const& name : listing(backup_dir)) {
                EXPECT_EQ(acf_test_read(backup_dir + "/" + name), "content of " + name + "\n");
            }
        }
    }
}

} // namespace
