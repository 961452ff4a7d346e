// The encrypted IP container: its header, the vendor table and the reader.
#include "suite/cpt/cpt_zovk.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(Cpt, HeadersThatAreAndAreNotContainers) {
    struct CASE {
        std::string text;
        bool container;
        uint32_t vendor;
        char const* name;
        char const* version;
    } const cases[] = {
        {"ZOVK-ENCRYPTED-IP 1\n0x00A40002\n\"crc_x\"\n2.5\n\x01\x02 body", true, 0x00A40002,
         "\"crc_x\"", "2.5"},
        {"ZOVK-ENCRYPTED-IP 1\r\n119\r\nbare_name\r\n1.0\r\n", true, 119, "bare_name", "1.0"},
        {"ZOVK-ENCRYPTED-IP 1\n4294967295\n\"a\"\n1\n", true, 0xFFFFFFFF, "\"a\"", "1"},
        // Cut short anywhere in the header.
        {"", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1\n0x1\n\"crc_x\"\n2.5", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1\n0x1\n\"cut_short", false, 0, "", ""},
        // Garbled.
        {"ZOVK-ENCRYPTED-IP 2\n1\n\"a\"\n1\n", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1\n0x\n\"a\"\n1\n", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1\n12a\n\"a\"\n1\n", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1\n4294967296\n\"a\"\n1\n", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1\n1\n\"a\"\n\n", false, 0, "", ""},
        // An empty, an empty quoted or an unterminated quoted name.
        {"ZOVK-ENCRYPTED-IP 1\n1\n\n1\n", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1\n1\n\"\"\n1\n", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1\n1\n\"\n1\n", false, 0, "", ""},
        {"ZOVK-ENCRYPTED-IP 1\n1\n\"open\n1\n", false, 0, "", ""},
    };
    for (CASE const& c : cases) {
        CPT_ZOVK_HEADER header;
        EXPECT_EQ(cpt_zovk_parse_header(c.text, header), c.container) << c.text;
        if (c.container) {
            EXPECT_EQ(header.vendor_id, c.vendor) << c.text;
            EXPECT_EQ(header.core_name, c.name) << c.text;
            EXPECT_EQ(header.core_version, c.version) << c.text;
        }
    }
}

TEST(Cpt, VendorNames) {
    EXPECT_STREQ(cpt_zovk_vendor_name(1), "Norvik");
    EXPECT_STREQ(cpt_zovk_vendor_name(2), "Kestrel Logic");
    EXPECT_STREQ(cpt_zovk_vendor_name(0), "Unknown");
    EXPECT_STREQ(cpt_zovk_vendor_name(0x77), "Unknown");
}

TEST(Cpt, TheReaderOpensRegularFilesOnlyAndReportsEachOpen) {
    TEST_WORKSPACE workspace;
    std::string const file = workspace.path("core.tve");
    test_write_file(file, "ZOVK-ENCRYPTED-IP 1\n0x00010002\n\"crc_x\"\n2.5\nbody");
    std::string const fifo = workspace.path("fifo.tve");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> opened;
    cpt_zovk_set_open_hook([&opened](char const* path) { opened.push_back(path); });

    EXPECT_TRUE(cpt_zovk_encrypted_file(file.c_str()));
    CPT_ZOVK_IFSTREAM reader(file.c_str());
    ASSERT_TRUE(reader.is_open());
    EXPECT_EQ(reader.get_vendor_id(), 0x00010002u);
    EXPECT_EQ(reader.get_core_name(), "\"crc_x\"");
    EXPECT_EQ(reader.get_core_version(), "2.5");
    // Neither waits on a FIFO nor opens what is not there.
    EXPECT_FALSE(cpt_zovk_encrypted_file(fifo.c_str()));
    EXPECT_FALSE(CPT_ZOVK_IFSTREAM(fifo.c_str()).is_open());
    EXPECT_FALSE(cpt_zovk_encrypted_file(workspace.path("none.tve").c_str()));
    EXPECT_FALSE(cpt_zovk_encrypted_file(nullptr));

    cpt_zovk_set_open_hook(nullptr);
    CPT_ZOVK_IFSTREAM unseen(file.c_str());
    EXPECT_EQ(opened, (std::vector<std::string>{file, fifo}));
}

} // namespace
