#include "ipman/ipman_ip_info.h"

#include "suite/persist/pdb.h"

#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

namespace {

IPMAN_IP_INFO record(std::string const& file, std::string const& entity,
                     std::string const& hpath = "N/A") {
    IPMAN_IP_INFO info;
    info.file = file;
    info.entity = entity;
    info.hpath = hpath;
    return info;
}

std::vector<std::string> entities(IPMAN_IP_INFO_DB const& db) {
    std::vector<std::string> out;
    for (IPMAN_IP_INFO const& info : db.records()) {
        out.push_back(info.entity);
    }
    return out;
}

// Every field set to a value other than its default, texts with characters a
// reader might stumble over.
IPMAN_IP_INFO full_record(int n) {
    IPMAN_IP_INFO info;
    info.hdb_name_id = 4000000000u + static_cast<uint32_t>(n);
    info.var_file = "dir with blank/v" + std::to_string(n) + ".v";
    info.tool_version = "12.1sp" + std::to_string(n);
    info.tool_name = "name\nwith line feed";
    info.release_date = "2012.06";
    info.vendor_name = "Norvik";
    info.generated_by = "plexa";
    info.lic_type = IPMAN_IP_LIC_TYPE_UNENCRYPTED;
    info.hpath = "top|inst:" + std::to_string(n) + " } {";
    info.file = "ip/x.tip";
    info.entity = "";
    info.need_regen = true;
    info.parent_entity = "12:ab";
    info.skip_check_need_regen = n % 2 == 0;
    return info;
}

void expect_same_fields(IPMAN_IP_INFO const& a, IPMAN_IP_INFO const& b) {
    EXPECT_EQ(a.hdb_name_id, b.hdb_name_id);
    EXPECT_EQ(a.var_file, b.var_file);
    EXPECT_EQ(a.tool_version, b.tool_version);
    EXPECT_EQ(a.tool_name, b.tool_name);
    EXPECT_EQ(a.release_date, b.release_date);
    EXPECT_EQ(a.vendor_name, b.vendor_name);
    EXPECT_EQ(a.generated_by, b.generated_by);
    EXPECT_EQ(a.lic_type, b.lic_type);
    EXPECT_EQ(a.hpath, b.hpath);
    EXPECT_EQ(a.file, b.file);
    EXPECT_EQ(a.entity, b.entity);
    EXPECT_EQ(a.need_regen, b.need_regen);
    EXPECT_EQ(a.parent_entity, b.parent_entity);
    EXPECT_EQ(a.skip_check_need_regen, b.skip_check_need_regen);
}

TEST(IpmanIpInfo, DefaultsEqualityAndValidity) {
    IPMAN_IP_INFO info;
    EXPECT_EQ(info.var_file, "N/A");
    EXPECT_EQ(info.parent_entity, "N/A");
    EXPECT_EQ(info.hdb_name_id, 0u);
    EXPECT_FALSE(info.need_regen);
    EXPECT_FALSE(info.is_valid());

    // Each of the four key fields alone makes a record valid; others do not.
    for (std::string IPMAN_IP_INFO::*field :
         {&IPMAN_IP_INFO::tool_name, &IPMAN_IP_INFO::tool_version, &IPMAN_IP_INFO::var_file,
          &IPMAN_IP_INFO::hpath}) {
        IPMAN_IP_INFO one;
        one.*field = "x";
        EXPECT_TRUE(one.is_valid());
    }
    IPMAN_IP_INFO entity_only;
    entity_only.entity = "e";
    EXPECT_FALSE(entity_only.is_valid());

    // Equal by name and version only.
    IPMAN_IP_INFO a = record("a.tip", "a");
    IPMAN_IP_INFO b = record("b.tip", "b");
    a.tool_name = b.tool_name = "fifo";
    a.tool_version = b.tool_version = "12.0";
    EXPECT_TRUE(a == b);
    b.tool_version = "12.0 ";
    EXPECT_FALSE(a == b);
}

TEST(IpmanIpInfo, ExportedTexts) {
    EXPECT_STREQ(IPMAN_NA_STR, "N/A");
    EXPECT_STREQ(IPMAN_UNKNOWN_STR, "Unknown");
    EXPECT_STREQ(IPMAN_ZELD_VERSION_SHORT_STR, "__ZELD_VERSION_SHORT__");
    EXPECT_STREQ(IPMAN_NORVIK_STR, "Norvik");
    EXPECT_STREQ(IPMAN_PLEXA_STR, "plexa");
    EXPECT_STREQ(IPMAN_VWPIM_STR, "vwpim");
    EXPECT_STREQ(IPMAN_PASSED_STR, "Passed");
    EXPECT_STREQ(IPMAN_FAILED_STR, "Failed");
    EXPECT_STREQ(IPMAN_AUTO_STR, "Upgrade");
    EXPECT_STREQ(IPMAN_MANUAL_STR, "Manual");
    EXPECT_STREQ(IPMAN_LAUNCH_PLEXA_STR, "Open Plexa");
    EXPECT_STREQ(IPMAN_LAUNCH_VWPIM_STR, "Open VestaWizard");
    EXPECT_STREQ(IPMAN_BAK_STR, "_BAK");
}

TEST(IpmanIpInfoDb, KeyOperationsActOnTheFirstMatchAndKeepTheOrder) {
    IPMAN_IP_INFO_DB db;
    IPMAN_IP_INFO probe = record("x.tip", "x");
    EXPECT_FALSE(db.update_ip_info_by_tip_file(probe)); // empty database
    EXPECT_FALSE(db.remove_ip_info(probe));

    db.insert_ip_info(record("a.tip", "a1", "h1"));
    db.insert_ip_info(record("a.tip", "a2", "h2"));
    db.insert_ip_info(record("b.tip", "b", "h1"));
    db.insert_ip_info(record("c.tip", "c", "h3"));

    // By IP file: only the first of two records of the file, in its place.
    EXPECT_TRUE(db.update_ip_info_by_tip_file(record("a.tip", "new")));
    EXPECT_EQ(entities(db), (std::vector<std::string>{"new", "a2", "b", "c"}));
    // By IP file and entity.
    EXPECT_TRUE(db.update_ip_info_by_tip_file_and_entity(record("a.tip", "a2", "h9")));
    EXPECT_EQ(db.records()[1].hpath, "h9");
    EXPECT_FALSE(db.update_ip_info_by_tip_file_and_entity(record("b.tip", "a2")));
    // By hierarchy path: "h1" first names b now ("new" took "N/A").
    EXPECT_TRUE(db.update_ip_info(record("z.tip", "z", "h1")));
    EXPECT_EQ(entities(db), (std::vector<std::string>{"new", "a2", "z", "c"}));
    EXPECT_TRUE(db.remove_ip_info(record("", "", "h3")));
    EXPECT_FALSE(db.remove_ip_info(record("", "", "h3")));
    EXPECT_TRUE(db.remove_ip_info_by_tip_file_and_entity(record("a.tip", "new")));
    EXPECT_EQ(entities(db), (std::vector<std::string>{"a2", "z"}));
    // Lookups are case-sensitive.
    EXPECT_FALSE(db.remove_ip_info_by_tip_file_and_entity(record("A.tip", "a2")));

    db.clear_ip_info();
    EXPECT_TRUE(db.records().empty());
}

TEST(IpmanIpInfoDb, CleanUpRemovesOnlySubComponentsJudgedThroughTheirParent) {
    IPMAN_IP_INFO_DB db;
    struct CASE {
        char const* entity;
        char const* parent;
        bool skip;
    } const cases[] = {
        {"top", "N/A", false},        {"same_name_child", "top", true}, {"own_child", "top", false},
        {"flagged_top", "N/A", true}, {"last_child", "top", true},
    };
    for (CASE const& c : cases) {
        IPMAN_IP_INFO info = record("t.tip", c.entity);
        info.parent_entity = c.parent;
        info.skip_check_need_regen = c.skip;
        db.insert_ip_info(info);
    }
    db.cleanup_db();
    EXPECT_EQ(entities(db), (std::vector<std::string>{"top", "own_child", "flagged_top"}));
}

// The lookups by IP file (and entity) find what a walk from the first record
// finds, exactly (case and blanks count), after every kind of change.
TEST(IpmanIpInfoDb, LookupsFindTheFirstExactMatchAfterEveryChange) {
    IPMAN_IP_INFO_DB db;
    auto expect_walk_agrees = [&db](char const* step) {
        SCOPED_TRACE(step);
        for (std::string file : {"a.tip", "A.tip", "b.tip", "a.tip ", "c.tip", "d.tip", ""}) {
            IPMAN_IP_INFO const* first = nullptr;
            for (IPMAN_IP_INFO const& r : db.records()) {
                if (r.file == file) {
                    first = &r;
                    break;
                }
            }
            EXPECT_EQ(db.find_by_tip_file(file), first) << file;
            for (std::string entity : {"e1", "e2", "E1", ""}) {
                IPMAN_IP_INFO const* match = nullptr;
                for (IPMAN_IP_INFO const& r : db.records()) {
                    if (r.file == file && r.entity == entity) {
                        match = &r;
                        break;
                    }
                }
                EXPECT_EQ(db.find_by_tip_file_and_entity(file, entity), match)
                    << file << " " << entity;
            }
        }
    };
    expect_walk_agrees("empty");
    db.insert_ip_info(record("a.tip", "e1", "h1"));
    db.insert_ip_info(record("A.tip", "e1", "h2"));
    db.insert_ip_info(record("a.tip", "e2", "h3"));
    db.insert_ip_info(record("a.tip", "e1", "h4"));
    db.insert_ip_info(record("b.tip", "", "h5"));
    expect_walk_agrees("inserted");
    db.update_ip_info_by_tip_file(record("a.tip", "E1", "h1"));
    expect_walk_agrees("entity of the first a.tip changed");
    db.update_ip_info(record("c.tip", "e2", "h3"));
    expect_walk_agrees("a record's IP file changed by its hierarchy path");
    db.remove_ip_info_by_tip_file_and_entity(record("a.tip", "E1"));
    expect_walk_agrees("the first record removed");
    db.remove_ip_info(record("", "", "h2"));
    expect_walk_agrees("removed by hierarchy path");
    IPMAN_IP_INFO child = record("a.tip", "e2", "h6");
    child.parent_entity = "e1";
    child.skip_check_need_regen = true;
    db.insert_ip_info(child);
    db.insert_ip_info(record("a.tip", "e2", "h7"));
    db.insert_ip_info(record("d.tip", "e1", "h8"));
    expect_walk_agrees("inserted after lookups, keys seen before and new");
    db.cleanup_db();
    expect_walk_agrees("cleaned up");
    PDB_SEGMENT writer = PDB_SEGMENT::writer(IPMAN_IP_INFO_SEGMENT);
    db.serialize(writer);
    db.clear_ip_info();
    expect_walk_agrees("cleared");
    PDB_SEGMENT reader = PDB_SEGMENT::reader(IPMAN_IP_INFO_SEGMENT, writer.text());
    db.serialize(reader);
    ASSERT_EQ(db.records().size(), 5u);
    expect_walk_agrees("read back");
}

class IpmanIpInfoPersistence : public ::testing::Test {
protected:
    FIO_PATH archive() const { return FIO_PATH(m_workspace.path("db/rev")); }
    void SetUp() override { std::filesystem::create_directory(m_workspace.path("db")); }
    TEST_WORKSPACE m_workspace;
};

TEST_F(IpmanIpInfoPersistence, WrittenDatabaseReadsBackWithEveryField) {
    IPMAN_IP_INFO_DB db;
    for (int n = 0; n < 3; ++n) {
        db.insert_ip_info(full_record(n));
    }
    db.insert_ip_info(IPMAN_IP_INFO());
    ASSERT_TRUE(db.write_database_to_persistent_db(archive()));
    EXPECT_TRUE(std::filesystem::exists(m_workspace.path("db/rev.ipinfo")));

    IPMAN_IP_INFO_DB read;
    read.insert_ip_info(record("old.tip", "old"));
    ASSERT_TRUE(read.read_database_from_persistent_db(archive()));
    ASSERT_EQ(read.records().size(), db.records().size());
    for (size_t i = 0; i < db.records().size(); ++i) {
        SCOPED_TRACE(i);
        expect_same_fields(read.records()[i], db.records()[i]);
    }

    IPMAN_IP_INFO_DB empty;
    ASSERT_TRUE(empty.write_database_to_persistent_db(archive()));
    ASSERT_TRUE(read.read_database_from_persistent_db(archive()));
    EXPECT_TRUE(read.records().empty());
}

TEST_F(IpmanIpInfoPersistence, DamagedOrMissingSegmentsReadAsAnEmptyDatabase) {
    IPMAN_IP_INFO_DB db;
    db.insert_ip_info(full_record(1));
    ASSERT_TRUE(db.write_database_to_persistent_db(archive()));
    std::string const good = test_read_file(m_workspace.path("db/rev.ipinfo"));

    auto replaced = [&](std::string const& from, std::string const& to) {
        std::string text = good;
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    std::vector<std::string> const damaged = {
        good.substr(0, good.size() / 2),            // truncated
        replaced("TESSALY-PDB 1", "TESSALY-PDB 2"), // another format version
        replaced(".ipinfo", ".other"),              // another segment
        replaced("u 21 m_ip_info_vec 1",
                 "u 21 m_ip_info_vec 900000000"), // count beyond the records
        replaced("u 21 m_ip_info_vec 1", "u 21 m_ip_info_vec 1073741823"), // count too large
        replaced("s 43 tool_version", "s 44 tool_version"),                // field out of place
        replaced("u 52 need_regen 1", "u 52 need_regen 2"),                // not a bool
        replaced("{ IPMAN_IP_INFO ", "{ IPMAN_IP_INFO 1"),                 // another class layout
        "",
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        test_write_file(m_workspace.path("db/rev.ipinfo"), damaged[i]);
        IPMAN_IP_INFO_DB read;
        read.insert_ip_info(record("old.tip", "old"));
        EXPECT_FALSE(read.read_database_from_persistent_db(archive())) << i;
        EXPECT_TRUE(read.records().empty()) << i;
    }
    std::filesystem::remove(m_workspace.path("db/rev.ipinfo"));
    IPMAN_IP_INFO_DB read;
    EXPECT_FALSE(read.read_database_from_persistent_db(archive()));
}

TEST_F(IpmanIpInfoPersistence, FailedWriteKeepsTheOldSegment) {
    IPMAN_IP_INFO_DB db;
    db.insert_ip_info(full_record(1));
    ASSERT_TRUE(db.write_database_to_persistent_db(archive()));
    std::string const before = test_read_file(m_workspace.path("db/rev.ipinfo"));
    EXPECT_FALSE(db.write_database_to_persistent_db(FIO_PATH(m_workspace.path("none/rev"))));
    EXPECT_EQ(test_read_file(m_workspace.path("db/rev.ipinfo")), before);
}

} // namespace
