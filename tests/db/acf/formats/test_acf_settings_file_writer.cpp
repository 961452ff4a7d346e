// The settings-file writer over a source that is no store: what it writes, and
// what it leaves alone.
#include "formats/acf_settings_file_writer.h"

#include "acf_test_directory.h"

#include "suite/fileio/fio.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Comment lines of one file, as a store would hand them over.
class COMMENT_SOURCE final : public ACF_SETTINGS_FILE_SOURCE {
public:
    COMMENT_SOURCE(std::string revision_file, std::vector<std::string> lines, bool changed)
        : m_revision_file(std::move(revision_file)), m_lines(std::move(lines)),
          m_changed(changed) {}

    char const* revision_name() const override { return "chip"; }
    char const* revision_file() const override { return m_revision_file.c_str(); }
    bool writes_banner() const override { return true; }
    bool has_changes_to_write() const override { return m_changed; }
    bool visit_entries(char const*, bool, ENTRY_VISITOR const& visit) override {
        for (std::string const& line : m_lines) {
            visit(ACF_ASGN_STORAGE_COMMENT_ASSIGNMENT(line.c_str(), nullptr));
        }
        return m_changed;
    }
    void file_replaced(char const* file_name, FIO_FILE_STATUS const&) override {
        replaced.push_back(file_name);
    }
    void replacement_unconfirmed(char const*, std::string const&) override {}

    std::vector<std::string> replaced;

private:
    std::string m_revision_file;
    std::vector<std::string> m_lines;
    bool m_changed;
};

TEST(AcfSettingsFileWriter, ChangedFileGetsEveryEntryOnALineOfItsOwn) {
    ACF_TEST_DIRECTORY dir;
    std::string const file = dir.file("chip.tsf");
    acf_test_write(file, "# old\n");
    COMMENT_SOURCE source(file, {"# kept", "", "set_global_assignment -name A B"}, true);
    std::string error;
    EXPECT_TRUE(ACF_SETTINGS_FILE_WRITER(source).write(file.c_str(), true, false, &error)) << error;
    EXPECT_EQ(acf_test_read(file), "# kept\n\nset_global_assignment -name A B\n");
    EXPECT_EQ(source.replaced, std::vector<std::string>{file});
}

TEST(AcfSettingsFileWriter, UnchangedFileIsLeftAsItIs) {
    ACF_TEST_DIRECTORY dir;
    std::string const file = dir.file("other.tsf");
    acf_test_write(file, "# as the user wrote it\n");
    COMMENT_SOURCE source(dir.file("chip.tsf"), {"# regenerated"}, false);
    std::string error;
    EXPECT_TRUE(ACF_SETTINGS_FILE_WRITER(source).write(file.c_str(), true, false, &error));
    EXPECT_EQ(acf_test_read(file), "# as the user wrote it\n");
    EXPECT_TRUE(source.replaced.empty());
}

TEST(AcfSettingsFileWriter, NewFileStartsWithTheBannerAndTheRevisionsNotes) {
    ACF_TEST_DIRECTORY dir;
    std::string const file = dir.file("chip.tsf");
    COMMENT_SOURCE source(file, {"set_global_assignment -name A B"}, true);
    std::string error;
    EXPECT_TRUE(ACF_SETTINGS_FILE_WRITER(source).write(file.c_str(), true, true, &error)) << error;
    std::string const text = acf_test_read(file);
    EXPECT_EQ(text.rfind("# ----", 0), 0u) << text;
    EXPECT_NE(text.find("#\t\tchip_assignment_defaults.tdf\n"), std::string::npos) << text;
    std::string const ending = " #\n\n\nset_global_assignment -name A B\n";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending) << text;
}

} // namespace
