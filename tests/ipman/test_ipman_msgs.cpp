#include "ipman/ipman_msgs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

struct SUPPRESS_ALL : MSG_SUPPRESSION_LOOKUP {
    bool is_suppressed(unsigned int) override { return true; }
};

struct FACTORY_CASE {
    std::function<MSG_BASE*()> make;
    unsigned id;
    char severity;
    char const* text;
};

std::vector<FACTORY_CASE> const& factory_cases() {
    static std::vector<FACTORY_CASE> const cases = {
        {[] { return MSG_IPMAN::E::IPRGEN_FAILED("fifo", "a.v"); }, 11133, 'E',
         "IP component fifo with file \"a.v\" upgrade failed."},
        {[] { return MSG_IPMAN::E::INVALID_DIRECTORY("d"); }, 11135, 'E',
         "Directory \"d\" does not exist or the directory path is invalid."},
        {[] { return MSG_IPMAN::E::INVALID_FILE("f.v"); }, 11136, 'E',
         "File \"f.v\" does not exist or the file path is invalid."},
        {[] { return MSG_IPMAN::E::READ_ONLY_FILE("f.v"); }, 11903, 'E',
         "File \"f.v\" is write-protected."},
        {[] { return MSG_IPMAN::E::TOO_MANY_OPTIONS(); }, 11250, 'E',
         "Command has too many specified options."},
        {[] { return MSG_IPMAN::E::IPRGEN_MANUAL_REGEN_STANDALONE_IP(); }, 11889, 'E',
         "IP component upgrade failed."},
        {[] { return MSG_IPMAN::E::IPRGEN_MANUAL_REGEN_PLEXA_SYSTEM("s.v"); }, 11890, 'E',
         "You must upgrade the IP component \"s.v\" in Plexa."},
        {[] { return MSG_IPMAN::E::IPRGEN_NOT_VARIATION_FILE("t.txt"); }, 11901, 'E',
         "File t.txt is not a valid variation file."},
        {[] { return MSG_IPMAN::E::IPRGEN_DIRECTORY_UNREADABLE("d", "Permission denied"); }, 11909,
         'E', "Directory \"d\" cannot be read: Permission denied."},
        {[] { return MSG_IPMAN::E::IPRGEN_NOTHING_TO_DO("the file list names no file"); }, 11910,
         'E',
         "Nothing to upgrade: the file list names no file. Run regentool --help for the "
         "options."},
        {[] { return MSG_IPMAN::E::IPRGEN_FILE_UNREADABLE("d/c.v", "Input/output error"); },
         11913, 'E',
         "File \"d/c.v\" cannot be read: Input/output error. If it is a variation file, its IP "
         "component is not upgraded."},
        {[] { return MSG_IPMAN::I::IPRGEN_BACKUPS_LEFT_OUT(2); }, 11914, 'I',
         "Backup files of earlier IP upgrades left out of the upgrade: 2"},
        {[] { return MSG_IPMAN::I::IPRGEN_SUCCESSFUL("", "x.v"); }, 11131, 'I',
         "Completed upgrading IP component  with file \"x.v\"."},
        {[] { return MSG_IPMAN::I::IPRGEN_START("fifo", "x.v"); }, 11837, 'I',
         "Started upgrading IP component fifo with file \"x.v\"."},
        {[] { return MSG_IPMAN::I::IPRGEN_NO_REQUIRED_REGEN_IP(); }, 11838, 'I',
         "No required-upgrade IP components found in the project"},
        {[] { return MSG_IPMAN::I::IPRGEN_BACKUP_FILE("d/c.v", "d/c_BAK.v"); }, 11902, 'I',
         "Backing up file \"d/c.v\" to \"d/c_BAK.v\""},
        {[] { return MSG_IPMAN::I::IPRGEN_RESTORE_FILE("d/c_BAK.v", "d/c.v"); }, 11904, 'I',
         "Restoring file \"d/c_BAK.v\" to \"d/c.v\""},
        {[] { return MSG_IPMAN::I::IPRGEN_FAILURE_REASON("No such file"); }, 11911, 'I',
         "No such file"},
    };
    return cases;
}

TEST(IpmanMessages, FactoriesFillTheirTemplatesAndAreRegistered) {
    for (FACTORY_CASE const& c : factory_cases()) {
        std::unique_ptr<MSG_BASE> message(c.make());
        EXPECT_EQ(message->get_id(), c.id);
        EXPECT_EQ(message->get_severity(), c.severity) << c.id;
        EXPECT_EQ(message->get_text(), c.text) << c.id;
        EXPECT_FALSE(message->is_null()) << c.id;
        MSG_POST_TYPE type;
        ASSERT_TRUE(MSG_INDEX::get_default_index()->is_registered(c.id, &type)) << c.id;
        EXPECT_EQ(type, c.severity == 'E' ? MSG_POST_TYPE_ERROR : MSG_POST_TYPE_INFO) << c.id;
    }
}

TEST(IpmanMessages, OnlyInformationCanBeSuppressed) {
    SUPPRESS_ALL suppress;
    MSG_INDEX::get_default_index()->set_suppression_lookup(&suppress);
    for (FACTORY_CASE const& c : factory_cases()) {
        std::unique_ptr<MSG_BASE> message(c.make());
        EXPECT_EQ(message->is_null(), c.severity == 'I') << c.id;
        EXPECT_EQ(message->get_severity(), c.severity) << c.id;
    }
    MSG_INDEX::get_default_index()->set_suppression_lookup(nullptr);

    msg_log_clear();
    MSG_INDEX::get_default_index()->set_suppression_lookup(&suppress);
    std::unique_ptr<MSG_I> start(MSG_IPMAN::I::IPRGEN_START("fifo", "x.v"));
    start->post();
    MSG_INDEX::get_default_index()->set_suppression_lookup(nullptr);
    EXPECT_TRUE(msg_log_entries().empty());
}

TEST(IpmanMessages, DebugMessagesCarryTheComponentAndLevel) {
    std::unique_ptr<MSG_D> plain(MSG_IPMAN::DEBUG_MSG("regen: %s %d", "x.v", 3));
    EXPECT_EQ(plain->get_text(), "regen: x.v 3");
    EXPECT_EQ(plain->get_component(), "IPMAN");
    EXPECT_EQ(plain->get_level(), MSG_D_LEVEL_2);
    std::string long_text(5000, 'y');
    std::unique_ptr<MSG_D> leveled(MSG_IPMAN::DEBUG_MSG(MSG_D_LEVEL_3, "%s", long_text.c_str()));
    EXPECT_EQ(leveled->get_text(), long_text);
    EXPECT_EQ(leveled->get_level(), MSG_D_LEVEL_3);
}

} // namespace
