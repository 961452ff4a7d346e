// Project archives: the subsets' files, the archive writer and the safe restore.
#include "acf_manager.h"
#include "suite/archive/afm.h"
#include "suite/archive/afm_libzip.h"
#include "suite/archive/afm_zip.h"
#include "suite/flow/flow.h"
#include "suite/general/gen.h"
#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"
#include "tests/support/test_named_files.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <tuple>

namespace {

namespace fs = std::filesystem;

// Every file below a folder with its content and permission bits; links as
// "-> target".
std::map<std::string, std::string> snapshot(std::string const& dir) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    if (!fs::exists(dir, ec) && !fs::is_symlink(dir, ec)) {
        return files;
    }
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().lexically_relative(dir).generic_string();
        struct stat st;
        lstat(it->path().c_str(), &st);
        std::string mode = std::to_string(st.st_mode & 07777);
        if (S_ISLNK(st.st_mode)) {
            files[name] = "-> " + fs::read_symlink(it->path()).string();
        } else if (S_ISDIR(st.st_mode)) {
            files[name] = "dir " + mode;
        } else {
            files[name] = mode + ":" + test_read_file(it->path().string());
        }
    }
    return files;
}

// A small project: two revisions, a design file, an IP file with its
// generated file, a report and a descriptions file.
void make_project(std::string const& dir) {
    // The settings library reads the revisions' settings for the archive
    // manager, as in every program that archives a project.
    ACF_MANAGER::get_acf_manager();
    fs::create_directories(dir + "/hdl");
    fs::create_directories(dir + "/ip/fifo");
    test_write_file(dir + "/chip.tpf",
                    "PROJECT_REVISION = \"chip\"\nPROJECT_REVISION = \"fast\"\n");
    test_write_file(dir + "/chip.tsf", "set_global_assignment -name VERILOG_FILE hdl/top.v\n"
                                       "set_global_assignment -name TIP_FILE ip/fifo/fifo.tip\n");
    test_write_file(dir + "/fast.tsf", "set_global_assignment -name SDC_FILE \"fast.sdc\"\n");
    test_write_file(dir + "/fast.sdc", "create_clock -period 5 clk\n");
    test_write_file(dir + "/hdl/top.v", std::string("module top;\0endmodule\n", 22));
    test_write_file(dir + "/ip/fifo/fifo.tip", "set_global_assignment -name IP_TOOL_NAME fifo\n");
    test_write_file(dir + "/ip/fifo/fifo.v", "module fifo; endmodule\n");
    test_write_file(dir + "/chip.fit.summary", "Fitter Status : Successful\n");
    test_write_file(dir + "/revision_descriptions.trd", "descriptions\n");
    chmod((dir + "/hdl/top.v").c_str(), 0750);
}

// The project of `make_project` opened through the settings library, as a host
// opens it; closed again at the end of the scope.
class OPEN_PROJECT {
public:
    explicit OPEN_PROJECT(std::string const& dir) {
        EXPECT_EQ(ACF_MANAGER::get_acf_manager()->open_project(dir.c_str(), "chip", "", false,
                                                               false, false, false, false),
                  ACF_REVISION_MANAGER::SUCCESS);
    }
    ~OPEN_PROJECT() {
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        manager->close_project(false);
        manager->free_cached_storage();
        gen_set_project_dir_path("");
    }
    OPEN_PROJECT(OPEN_PROJECT const&) = delete;
    OPEN_PROJECT& operator=(OPEN_PROJECT const&) = delete;
};

AFM_PROJECT project_in(std::string const& dir) {
    return {dir + "/", "chip", {"chip", "fast"}};
}

std::vector<std::string> files_of(char const* set_id, AFM_PROJECT const& project) {
    AFM_ARCHIVE_MANAGER* manager = AFM_ARCHIVE_MANAGER::get_instance();
    std::vector<std::string> files;
    manager->get_files_to_archive(manager->get_file_set(set_id)->get_file_subsets(), project,
                                  &files);
    return files;
}

TEST(SuiteArchive, SetsListTheProjectsFiles) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    AFM_PROJECT project = project_in(dir);
    std::vector<std::string> basic = {
        "chip.tpf",  "chip.tsf", "fast.tsf",         "revision_descriptions.trd",
        "hdl/top.v", "fast.sdc", "ip/fifo/fifo.tip", "ip/fifo/fifo.v"};
    EXPECT_EQ(files_of("basic", project), basic);
    std::vector<std::string> with_reports = basic;
    with_reports.push_back("chip.fit.summary");
    EXPECT_EQ(files_of("reports", project), with_reports);

    AFM_ARCHIVE_MANAGER* manager = AFM_ARCHIVE_MANAGER::get_instance();
    EXPECT_STREQ(manager->get_default_file_set()->get_id(), "basic");
    std::vector<std::string> files;
    EXPECT_FALSE(manager->get_file_subset("export_db")->get_files_to_archive(project, &files))
        << "no exported database yet";
    EXPECT_STREQ(manager->get_file_subset("export_db")->get_ui_name(),
                 "Version compatible database files");

    // Analysis is needed only for design or IP files and only until the
    // revision's analysis summary exists.
    std::vector<AFM_FILE_SUBSET const*> design = {manager->get_file_subset("design_files")};
    std::vector<AFM_FILE_SUBSET const*> reports = {manager->get_file_subset("reports")};
    EXPECT_TRUE(manager->is_tessaly_map_required(design, project));
    EXPECT_FALSE(manager->is_tessaly_map_required(reports, project));
    test_write_file(dir + "/chip.map.summary", "Analysis & Synthesis Status : Successful\n");
    EXPECT_FALSE(manager->is_tessaly_map_required(design, project));
}

TEST(SuiteArchive, ArchiveThenRestoreGivesIdenticalFiles) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    std::string error;
    ASSERT_TRUE(
        afm_write_archive(ws.path("p.tsa"), dir, files_of("reports", project_in(dir)), "", &error))
        << error;
    ASSERT_TRUE(afm_restore_archive(ws.path("p.tsa"), ws.path("out"), false, &error)) << error;

    std::map<std::string, std::string> restored = snapshot(ws.path("out"));
    std::map<std::string, std::string> original = snapshot(dir);
    for (auto const& [name, content] : restored) {
        EXPECT_EQ(content, original[name]) << name;
    }
    EXPECT_EQ(restored.count("hdl/top.v"), 1u);
    EXPECT_EQ(restored.size(), original.size()) << "every file of the project, folders included";
    std::vector<std::string> leftovers;
    for (auto const& entry : fs::directory_iterator(ws.dir())) {
        leftovers.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(leftovers.size(), 3u) << "no staging or temporary file stays behind";
}

TEST(SuiteArchive, WriterArchivesContentAndNeverItself) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    test_write_file(ws.path("outside.v"), "outside\n");
    symlink("hdl/top.v", (dir + "/link.v").c_str());
    std::string archive = dir + "/self.tsa";
    test_write_file(archive, "old archive");
    std::string error;
    ASSERT_TRUE(
        afm_write_archive(archive, dir, {"link.v", ws.path("outside.v"), "self.tsa"}, "", &error))
        << error;
    ASSERT_TRUE(afm_restore_archive(archive, ws.path("out"), false, &error)) << error;
    EXPECT_EQ(test_read_file(ws.path("out/link.v")), test_read_file(dir + "/hdl/top.v"));
    EXPECT_FALSE(fs::is_symlink(ws.path("out/link.v")));
    EXPECT_EQ(test_read_file(ws.path("out/external/outside.v")), "outside\n");
    EXPECT_FALSE(fs::exists(ws.path("out/self.tsa")));

    // An unreadable file fails the archive by name and leaves the old one whole.
    std::string before = test_read_file(archive);
    EXPECT_FALSE(afm_write_archive(archive, dir, {"chip.tpf", "missing.v"}, "", &error));
    EXPECT_NE(error.find("missing.v"), std::string::npos) << error;
    EXPECT_EQ(test_read_file(archive), before);
}

// An archive that an older version set aside before it was killed comes back
// under its name when no archive is there: a failing archive then leaves it,
// a succeeding one replaces it. With an archive there, it is left alone.
TEST(SuiteArchive, AnArchiveSetAsideByADeadRunComesBackWhenNoneIsThere) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    std::string const archive = dir + "/p.tsa";
    std::vector<std::string> const failing = {"chip.tpf", "missing.v"};
    std::string error;

    test_write_file(dir + "/.p.aside.Older1", "older archive");
    test_write_file(dir + "/.p.aside.Latest", "latest archive");
    test_write_file(dir + "/.q.aside.Other1", "another archive's");
    struct timespec const older[2] = {{1000000, 0}, {1000000, 0}};
    utimensat(AT_FDCWD, (dir + "/.p.aside.Older1").c_str(), older, 0);
    EXPECT_FALSE(afm_write_archive(archive, dir, failing, "", &error));
    EXPECT_EQ(test_read_file(archive), "latest archive");
    EXPECT_FALSE(fs::exists(dir + "/.p.aside.Latest"));
    EXPECT_EQ(test_read_file(dir + "/.p.aside.Older1"), "older archive");
    EXPECT_EQ(test_read_file(dir + "/.q.aside.Other1"), "another archive's");

    // The archive there now: the older file stays aside.
    ASSERT_TRUE(afm_write_archive(archive, dir, {"chip.tpf"}, "", &error)) << error;
    EXPECT_EQ(afm_archive_entries(archive), std::vector<std::string>{"chip.tpf"});
    EXPECT_EQ(test_read_file(dir + "/.p.aside.Older1"), "older archive");

    // Missing again: the older one comes back and the new archive replaces it.
    fs::remove(archive);
    ASSERT_TRUE(afm_write_archive(archive, dir, {"chip.tpf"}, "", &error)) << error;
    EXPECT_EQ(afm_archive_entries(archive), std::vector<std::string>{"chip.tpf"});
    EXPECT_FALSE(fs::exists(dir + "/.p.aside.Older1"));
    EXPECT_EQ(test_read_file(dir + "/.q.aside.Other1"), "another archive's");
}

TEST(SuiteArchive, PasswordEncryptsEveryEntry) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    std::string error;
    ASSERT_TRUE(
        afm_write_archive(ws.path("h.tsa"), dir, {"chip.tpf", "hdl/top.v"}, "s3cret!", &error))
        << error;
    int code = 0;
    zip_t* zip = zip_open(ws.path("h.tsa").c_str(), ZIP_RDONLY, &code);
    ASSERT_NE(zip, nullptr);
    zip_stat_t st;
    ASSERT_EQ(zip_stat_index(zip, 0, 0, &st), 0);
    EXPECT_EQ(st.encryption_method, ZIP_EM_AES_256);
    EXPECT_EQ(zip_fopen_index(zip, 0, 0), nullptr) << "no content without the password";
    zip_file_t* wrong = zip_fopen_index_encrypted(zip, 0, 0, "wrong");
    EXPECT_EQ(wrong, nullptr);
    zip_file_t* in = zip_fopen_index_encrypted(zip, 0, 0, "s3cret!");
    ASSERT_NE(in, nullptr);
    std::string content(st.size, '\0');
    EXPECT_EQ(zip_fread(in, &content[0], st.size), static_cast<zip_int64_t>(st.size));
    EXPECT_EQ(content, test_read_file(dir + "/chip.tpf"));
    zip_fclose(in);
    zip_discard(zip);
    EXPECT_EQ(test_read_file(ws.path("h.tsa")).find("s3cret!"), std::string::npos);
    // The restore refuses what it cannot read.
    EXPECT_FALSE(afm_restore_archive(ws.path("h.tsa"), ws.path("out"), false, &error));
    EXPECT_NE(error.find("encrypted"), std::string::npos) << error;
}

// Builds an archive entry by entry; `mode` is the file type and bits put into
// the external attributes (0: none recorded).
struct RAW_ENTRY {
    std::string name;
    std::string content;
    unsigned mode = S_IFREG | 0644;
    bool deflated = false; // else stored as it is
};

void write_raw_archive(std::string const& path, std::vector<RAW_ENTRY> const& entries,
                       char const* password = nullptr) {
    int code = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(zip, nullptr);
    for (RAW_ENTRY const& entry : entries) {
        zip_source_t* source =
            zip_source_buffer(zip, entry.content.data(), entry.content.size(), 0);
        zip_int64_t index = zip_file_add(zip, entry.name.c_str(), source, 0);
        ASSERT_GE(index, 0) << entry.name;
        zip_set_file_compression(zip, index, entry.deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
        zip_file_set_external_attributes(zip, index, 0, ZIP_OPSYS_UNIX, entry.mode << 16);
        if (password != nullptr) {
            zip_file_set_encryption(zip, index, ZIP_EM_TRAD_PKWARE, password);
        }
    }
    ASSERT_EQ(zip_close(zip), 0);
}

// Replaces every occurrence of `from` by `to` (same length) in a file.
void patch_file(std::string const& path, std::string const& from, std::string const& to) {
    std::string content = test_read_file(path);
    for (size_t at = content.find(from); at != std::string::npos; at = content.find(from, at + 1)) {
        content.replace(at, from.size(), to);
    }
    test_write_file(path, content);
}

// Little-endian fields of a ZIP file.
uint32_t read_field(std::string const& data, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(data[at + static_cast<size_t>(i)]);
    }
    return value;
}
void write_field(std::string* data, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i, value >>= 8) {
        (*data)[at + static_cast<size_t>(i)] = static_cast<char>(value & 0xff);
    }
}

// Makes the entry `name` declare `size` bytes in both of its headers, its data
// unchanged, as a forged archive would.
void forge_declared_size(std::string const& path, std::string const& name, uint32_t size) {
    std::string data = test_read_file(path);
    size_t end = data.rfind(std::string("PK\x05\x06", 4));
    ASSERT_NE(end, std::string::npos);
    size_t at = read_field(data, end + 16, 4);
    for (uint32_t n = read_field(data, end + 10, 2); n > 0; --n) {
        size_t name_length = read_field(data, at + 28, 2);
        if (data.compare(at + 46, name_length, name) == 0) {
            write_field(&data, at + 24, size);
            write_field(&data, read_field(data, at + 42, 4) + 22, size);
        }
        at += 46 + name_length + read_field(data, at + 30, 2) + read_field(data, at + 32, 2);
    }
    test_write_file(path, data);
}

TEST(SuiteArchive, HostileArchivesLeaveEverythingUnchanged) {
    struct CASE {
        char const* what;
        std::function<void(TEST_WORKSPACE const&, std::string const& archive)> make;
        char const* named; // the entry the refusal names
        bool overwrite;
    };
    std::vector<CASE> cases = {
        {"absolute name",
         [](TEST_WORKSPACE const& ws, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {ws.path("victim.txt"), "evil"}});
         },
         "victim.txt", true},
        {"parent folder",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"sub/../../victim.txt", "evil"}});
         },
         "../victim.txt", true},
        {"backslash",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"..\\victim.txt", "evil"}});
         },
         "victim.txt", true},
        {"empty name part",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"sub//victim.txt", "evil"}});
         },
         "sub//victim.txt", true},
        {"folder entry above the destination",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"../up/", "", S_IFDIR | 0755}});
         },
         "../up/", true},
        {"absolute folder entry",
         [](TEST_WORKSPACE const& ws, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {ws.path("abs/"), "", S_IFDIR | 0755}});
         },
         "abs/", true},
        {"folder entry with content",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"sub/", "data", S_IFDIR | 0755}});
         },
         "sub/", true},
        {"folder entry marked as a link",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"sub/", "", S_IFLNK | 0777}});
         },
         "sub/", true},
        {"folder entry and file of one name",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"ok.v/", "", S_IFDIR | 0755}});
         },
         "ok.v/", true},
        {"folder entry twice",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"dirA/", "", S_IFDIR | 0755}, {"dirB/", "", S_IFDIR | 0755}});
             patch_file(a, "dirB/", "dirA/");
         },
         "dirA/", true},
        {"folder entry where the destination has a file",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"keep.v/", "", S_IFDIR | 0755}});
         },
         "keep.v/", true},
        {"folder entry through a link in the destination",
         [](TEST_WORKSPACE const& ws, std::string const& a) {
             symlink(ws.path("elsewhere").c_str(), ws.path("dest/hdl").c_str());
             write_raw_archive(a, {{"ok.v", "x"}, {"hdl/", "", S_IFDIR | 0755}});
         },
         "hdl/", true},
        {"more than 1000 times compressed",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"},
                                   {"bomb.bin", std::string(8 << 20, '\0'), S_IFREG | 0644, true}});
         },
         "bomb.bin\" would unpack", true},
        {"yielding more than declared",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(
                 a, {{"ok.v", "x"}, {"big.v", std::string(300000, 'a'), S_IFREG | 0644, true}});
             forge_declared_size(a, "big.v", 1000);
         },
         "big.v\" yields more than the 1000 bytes it declares", true},
        {"link entry",
         [](TEST_WORKSPACE const& ws, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"lnk", ws.path("victim.txt"), S_IFLNK | 0777}});
         },
         "lnk", true},
        {"duplicate",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"dupA.v", "one"}, {"dupB.v", "two"}});
             patch_file(a, "dupB.v", "dupA.v");
         },
         "dupA.v", true},
        {"file and folder of one name",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"ok.v/inner", "two"}});
         },
         "ok.v", true},
        {"encrypted",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"secret.v", "hidden"}}, "pw");
         },
         "ok.v", true},
        {"damaged",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"ok.v", "x"}, {"big.v", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}});
             patch_file(a, "KLMNOP", "klmnop");
         },
         "big.v", true},
        {"link in the destination",
         [](TEST_WORKSPACE const& ws, std::string const& a) {
             symlink(ws.path("elsewhere").c_str(), ws.path("dest/hdl").c_str());
             write_raw_archive(a, {{"ok.v", "x"}, {"hdl/top.v", "evil"}});
         },
         "hdl/top.v", true},
        {"link as the target file",
         [](TEST_WORKSPACE const& ws, std::string const& a) {
             symlink(ws.path("victim.txt").c_str(), ws.path("dest/top.v").c_str());
             write_raw_archive(a, {{"ok.v", "x"}, {"top.v", "evil"}});
         },
         "top.v", true},
        {"existing file without overwrite",
         [](TEST_WORKSPACE const&, std::string const& a) {
             write_raw_archive(a, {{"new.v", "x"}, {"keep.v", "evil"}});
         },
         "keep.v", false},
    };
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.what);
        TEST_WORKSPACE ws;
        fs::create_directories(ws.path("dest"));
        fs::create_directories(ws.path("elsewhere"));
        test_write_file(ws.path("dest/keep.v"), "kept\n");
        test_write_file(ws.path("victim.txt"), "victim\n");
        std::string archive = ws.path("a.tsa");
        c.make(ws, archive);
        std::map<std::string, std::string> before = snapshot(ws.dir());
        std::string error;
        EXPECT_FALSE(afm_restore_archive(archive, ws.path("dest"), c.overwrite, &error));
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
        EXPECT_EQ(snapshot(ws.dir()), before);
    }
}

// Folder entries, as standard ZIP tools write them: each folder is made, an
// empty one too, and one that exists already is kept as it is.
TEST(SuiteArchive, FolderEntriesMakeTheirFolders) {
    TEST_WORKSPACE ws;
    write_raw_archive(ws.path("a.tsa"), {{"hdl/", "", S_IFDIR | 0755},
                                         {"hdl/top.v", "top"},
                                         {"empty/", "", S_IFDIR | 0755},
                                         {"kept/", "", 0},
                                         {"late/x.v", "x"},
                                         {"late/", "", S_IFDIR | 0755}});
    fs::create_directories(ws.path("dest/kept"));
    test_write_file(ws.path("dest/kept/mine.v"), "mine");
    std::string error;
    ASSERT_TRUE(afm_restore_archive(ws.path("a.tsa"), ws.path("dest"), false, &error)) << error;
    std::map<std::string, std::string> restored = snapshot(ws.path("dest"));
    std::map<std::string, std::string> expected = {
        {"hdl", "dir 493"},   {"hdl/top.v", "420:top"},    {"empty", "dir 493"},
        {"kept", "dir 493"},  {"kept/mine.v", "420:mine"}, {"late", "dir 493"},
        {"late/x.v", "420:x"}};
    EXPECT_EQ(restored, expected);
}

// An archive made by `zip -r` of a project folder restores the project.
TEST(SuiteArchive, ZipToolArchiveOfAProjectRestores) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    fs::create_directories(dir + "/empty");
    TEST_RUN_RESULT zip = test_run(thr_process_quote_argument(ZIP_PATH) + " -r -q " +
                                       thr_process_quote_argument(ws.path("p.zip")) + " .",
                                   dir);
    ASSERT_EQ(zip.status, 0) << zip.output;
    std::string error;
    ASSERT_TRUE(afm_restore_archive(ws.path("p.zip"), ws.path("out"), false, &error)) << error;
    EXPECT_EQ(snapshot(ws.path("out")), snapshot(dir));
}

// The declared sizes: each entry's compression ratio, then the running total
// against the free space; the refusal names the entry.
TEST(SuiteArchive, DeclaredSizesAreCheckedBeforeAnythingIsWritten) {
    uint64_t const max = std::numeric_limits<uint64_t>::max();
    struct CASE {
        char const* what;
        std::vector<AFM_DECLARED_SIZE> entries;
        uint64_t free_bytes;
        char const* refused; // the start of the refusal; null: accepted
    };
    std::vector<CASE> const cases = {
        {"nothing", {}, 0, nullptr},
        {"empty files in no space", {{"a", 0, 0}, {"b", 0, 2}}, 0, nullptr},
        {"1000:1 exactly, filling the space", {{"a", 1000000, 1000}}, 1000000, nullptr},
        {"over 1000:1",
         {{"a", 10, 10}, {"b", 1000001, 1000}},
         max,
         "Archive entry \"b\" would unpack 1000 bytes into 1000001, more than 1000 times"},
        {"nothing compressed into something", {{"a", 1, 0}}, max, "Archive entry \"a\" would"},
        {"more than is free",
         {{"a", 600, 600}, {"b", 500, 500}, {"c", 1, 1}},
         1000,
         "Archive entry \"b\" does not fit: the files up to it need 1100 bytes, and 1000 are "
         "free"},
        {"sizes that overflow a sum",
         {{"a", max, max}, {"b", max, max}},
         max - 1,
         "Archive entry \"a\" does not fit"},
    };
    for (CASE const& c : cases) {
        std::string error;
        EXPECT_EQ(afm_check_declared_sizes(c.entries, c.free_bytes, &error), c.refused == nullptr)
            << c.what;
        if (c.refused != nullptr) {
            EXPECT_EQ(error.rfind(c.refused, 0), 0u) << c.what << ": " << error;
        }
    }
}

// Every form in which settings name a design file: the default file set holds
// each file, and a restore gives it back byte-identical where the settings
// look for it.
TEST(SuiteArchive, EveryFormOfNamingADesignFileIsArchived) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    fs::create_directories(ws.path("outside"));
    std::vector<TEST_NAMED_FILE> forms = test_named_file_forms(dir, ws.path("outside"));
    test_write_named_files(dir, dir + "/chip.tsf", forms);
    OPEN_PROJECT open(dir);
    Tcl_Interp* interp = atcl_get_interpreter();
    ASSERT_EQ(atcl_eval_words(interp, {"project_archive", ws.path("p.tsa")}), TCL_OK)
        << Tcl_GetStringResult(interp);
    std::string error;
    ASSERT_TRUE(afm_restore_archive(ws.path("p.tsa"), ws.path("out"), false, &error)) << error;
    for (TEST_NAMED_FILE const& form : forms) {
        std::string original = form.file[0] == '/' ? form.file : dir + "/" + form.file;
        EXPECT_EQ(test_read_file(ws.path("out/" + form.arrives)), "// " + form.form + "\n")
            << form.form;
        EXPECT_EQ(test_read_file(original), "// " + form.form + "\n") << form.form;
    }
}

// A revision whose settings cannot be read fails the archive by name: its
// design files would be missing.
TEST(SuiteArchive, UnreadableSettingsFailTheArchive) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    OPEN_PROJECT open(dir);
    test_write_file(dir + "/fast.tsf",
                    std::string("set_global_assignment -name SDC_FILE\0 x\n", 41));
    Tcl_Interp* interp = atcl_get_interpreter();
    EXPECT_NE(atcl_eval_words(interp, {"project_archive", ws.path("p.tsa")}), TCL_OK);
    EXPECT_NE(std::string(Tcl_GetStringResult(interp)).find(dir + "/fast.tsf"), std::string::npos)
        << Tcl_GetStringResult(interp);
    EXPECT_FALSE(fs::exists(ws.path("p.tsa")));
}

// Every revision of a project of many is read for the files it names, each
// as its own settings say, while the open project, the process's project
// folder and every file of the project stay as they are; a revision whose
// settings or defaults cannot be read, in the middle of them, still fails the
// archive by name.
TEST(SuiteArchive, EveryRevisionOfManyIsArchivedAndAnUnreadableOneFails) {
    int const revisions = 40;
    struct CASE {
        char const* what;
        std::function<void(std::string const& dir)> spoil; // null: none
    };
    CASE const cases[] = {
        {"all readable", nullptr},
        {"a settings file in error",
         [](std::string const& dir) {
             test_write_file(dir + "/r20.tsf",
                             std::string("set_global_assignment -name SDC_FILE\0 x\n", 41));
         }},
        {"a defaults file that cannot be read",
         [](std::string const& dir) {
             fs::create_symlink("r20_assignment_defaults.tdf",
                                dir + "/r20_assignment_defaults.tdf");
         }},
    };
    for (CASE const& c : cases) {
        TEST_WORKSPACE ws;
        std::string dir = ws.path("p");
        fs::create_directories(dir + "/hdl");
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        std::string project;
        std::vector<std::string> expected = {"many.tpf"};
        for (int i = 0; i < revisions; ++i) {
            std::string r = "r" + std::to_string(i);
            project += "PROJECT_REVISION = \"" + r + "\"\n";
            test_write_file(dir + "/" + r + ".tsf",
                            "set_global_assignment -name VERILOG_FILE hdl/" + r + ".v\n");
            test_write_file(dir + "/hdl/" + r + ".v", "module " + r + "; endmodule\n");
            expected.push_back(r + ".tsf");
        }
        for (int i = 0; i < revisions; ++i) {
            expected.push_back("hdl/r" + std::to_string(i) + ".v");
        }
        test_write_file(dir + "/many.tpf", project);
        ASSERT_EQ(manager->open_project(dir.c_str(), "many", "r7", false, false, false, false,
                                        false),
                  ACF_REVISION_MANAGER::SUCCESS);
        // The archive saves the open revision first: saved already here.
        Tcl_Interp* interp = atcl_get_interpreter();
        ASSERT_EQ(atcl_eval_words(interp, {"export_assignments"}), TCL_OK);
        if (c.spoil) {
            c.spoil(dir);
        }
        std::map<std::string, std::string> before = snapshot(dir);
        std::string project_dir = gen_get_project_dir_path();
        int result =
            atcl_eval_words(interp, {"project_archive", ws.path("many.tsa"), "-all_revisions"});
        if (c.spoil) {
            EXPECT_NE(result, TCL_OK) << c.what;
            EXPECT_NE(std::string(Tcl_GetStringResult(interp)).find(dir + "/r20.tsf"),
                      std::string::npos)
                << c.what << ": " << Tcl_GetStringResult(interp);
            EXPECT_FALSE(fs::exists(ws.path("many.tsa"))) << c.what;
        } else {
            ASSERT_EQ(result, TCL_OK) << Tcl_GetStringResult(interp);
            EXPECT_EQ(afm_archive_entries(ws.path("many.tsa")), expected);
        }
        EXPECT_EQ(snapshot(dir), before) << c.what;
        EXPECT_EQ(gen_get_project_dir_path(), project_dir) << c.what;
        EXPECT_TRUE(manager->is_project_open()) << c.what;
        EXPECT_STREQ(manager->get_active_revision_name(), "r7") << c.what;
        manager->close_project(false);
        manager->free_cached_storage();
        gen_set_project_dir_path("");
    }
}

// Each revision's files are listed as its own defaults and device make of
// its settings: a revision with a defaults file of its own, and revisions
// whose settings name another family and device, beside and after plain ones.
TEST(SuiteArchive, EachRevisionIsListedWithItsOwnDefaultsAndDevice) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    fs::create_directories(dir + "/hdl");
    std::string const settings[] = {
        "",
        "",
        "set_global_assignment -name FAMILY \"Lumiform II\"\n"
        "set_global_assignment -name DEVICE LUMIFORMIIA15F484C6\n",
        "set_global_assignment -name FAMILY \"Vorelon II\"\n"
        "set_global_assignment -name DEVICE VORELONIIA15F484C6\n",
        "",
    };
    std::string project;
    std::vector<std::string> expected = {"many.tpf"};
    std::vector<std::string> designs;
    for (size_t i = 0; i < std::size(settings); ++i) {
        std::string r = "r" + std::to_string(i);
        project += "PROJECT_REVISION = \"" + r + "\"\n";
        test_write_file(dir + "/" + r + ".tsf",
                        settings[i] + "set_global_assignment -name VERILOG_FILE hdl/" + r + ".v\n");
        test_write_file(dir + "/hdl/" + r + ".v", "module " + r + "; endmodule\n");
        expected.push_back(r + ".tsf");
        designs.push_back("hdl/" + r + ".v");
    }
    expected.insert(expected.end(), designs.begin(), designs.end());
    test_write_file(dir + "/r1_assignment_defaults.tdf",
                    "set_global_assignment -name FAMILY \"Vorelon III\"\n"
                    "set_global_assignment -name TOP_LEVEL_ENTITY top_of_r1\n");
    test_write_file(dir + "/many.tpf", project);
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    ASSERT_EQ(manager->open_project(dir.c_str(), "many", "r0", false, false, false, false, false),
              ACF_REVISION_MANAGER::SUCCESS);
    Tcl_Interp* interp = atcl_get_interpreter();
    ASSERT_EQ(atcl_eval_words(interp, {"project_archive", ws.path("many.tsa"), "-all_revisions"}),
              TCL_OK)
        << Tcl_GetStringResult(interp);
    EXPECT_EQ(afm_archive_entries(ws.path("many.tsa")), expected);
    manager->close_project(false);
    manager->free_cached_storage();
    gen_set_project_dir_path("");
}

TEST(SuiteArchive, EmptyArchiveRestoresToAnEmptyFolder) {
    TEST_WORKSPACE ws;
    // Only the end record of the central directory.
    test_write_file(ws.path("empty.tsa"), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    std::string error;
    EXPECT_TRUE(afm_restore_archive(ws.path("empty.tsa"), ws.path("new/dest"), false, &error))
        << error;
    EXPECT_TRUE(fs::is_directory(ws.path("new/dest")));
}

TEST(SuiteArchive, RestoreModesAndOverwrite) {
    TEST_WORKSPACE ws;
    mode_t old_mask = umask(022);
    write_raw_archive(ws.path("a.tsa"), {{"run.sh", "new run", S_IFREG | 06777},
                                         {"keep.v", "new keep", S_IFREG | 0600}});
    fs::create_directories(ws.path("dest"));
    test_write_file(ws.path("dest/keep.v"), "old keep");
    chmod(ws.path("dest/keep.v").c_str(), 0640);
    std::string error;
    EXPECT_TRUE(afm_restore_archive(ws.path("a.tsa"), ws.path("dest"), true, &error)) << error;
    umask(old_mask);
    struct stat st;
    ASSERT_EQ(stat(ws.path("dest/run.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u) << "rwx under the umask, no set-id bits";
    ASSERT_EQ(stat(ws.path("dest/keep.v").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "a replaced file keeps its bits";
    EXPECT_EQ(test_read_file(ws.path("dest/keep.v")), "new keep");
}

TEST(SuiteArchive, WriteProtectedFoldersAreFoundAndMadeWritable) {
    TEST_WORKSPACE ws;
    write_raw_archive(ws.path("a.tsa"), {{"sub/a.v", "a"}, {"b.v", "b"}});
    fs::create_directories(ws.path("dest/sub"));
    fs::create_directories(ws.path("empty"));
    EXPECT_TRUE(afm_unwritable_restore_folders(ws.path("a.tsa"), ws.path("empty")).empty())
        << "an empty writable folder is not write-protected";
    EXPECT_TRUE(afm_unwritable_restore_folders(ws.path("a.tsa"), ws.path("new")).empty());

    chmod(ws.path("dest/sub").c_str(), 0555);
    symlink(ws.path("dest/sub").c_str(), ws.path("link").c_str());
    std::string error;
    EXPECT_FALSE(afm_make_folders_writable({ws.path("link")}, &error)) << "follows no link";
    EXPECT_EQ(error, ws.path("link"));
    if (geteuid() != 0) { // root may write into any folder
        std::vector<std::string> folders =
            afm_unwritable_restore_folders(ws.path("a.tsa"), ws.path("dest"));
        EXPECT_EQ(folders, std::vector<std::string>{ws.path("dest/sub")});
    }
    EXPECT_TRUE(afm_make_folders_writable({ws.path("dest/sub")}, &error));
    struct stat st;
    stat(ws.path("dest/sub").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0755u) << "only the owner's write bit is added";
}

// The archive is of the project open in the settings library, whatever else
// lies in its folder: not of another project's file that sorts first, and a
// project file that is not a regular file is refused at once, named.
TEST(SuiteArchive, TheOpenProjectIsArchivedNotAnotherFileOfItsFolder) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    test_write_file(dir + "/a.tpf", "PROJECT_REVISION = \"a\"\n");
    test_write_file(dir + "/a.tsf", "set_global_assignment -name VERILOG_FILE a.v\n");
    test_write_file(dir + "/a.v", "module a; endmodule\n");
    AFM_PROJECT project;
    gen_set_project_dir_path((dir + "/").c_str());
    EXPECT_FALSE(afm_get_current_project(&project)) << "no project is open";
    {
        OPEN_PROJECT open(dir);
        std::string error;
        ASSERT_TRUE(afm_get_current_project(&project, &error)) << error;
        EXPECT_EQ(project.directory, dir + "/");
        EXPECT_EQ(project.name, "chip");
        EXPECT_EQ(project.revisions, (std::vector<std::string>{"chip", "fast"}));
        Tcl_Interp* interp = atcl_get_interpreter();
        ASSERT_EQ(atcl_eval_words(interp, {"project_archive", ws.path("p.tsa")}), TCL_OK)
            << Tcl_GetStringResult(interp);
        std::vector<std::string> basic = {
            "chip.tpf",  "chip.tsf", "fast.tsf",         "revision_descriptions.trd",
            "hdl/top.v", "fast.sdc", "ip/fifo/fifo.tip", "ip/fifo/fifo.v"};
        EXPECT_EQ(afm_archive_entries(ws.path("p.tsa")), basic);

        fs::remove(dir + "/chip.tpf");
        ASSERT_EQ(mkfifo((dir + "/chip.tpf").c_str(), 0644), 0);
        EXPECT_FALSE(afm_get_current_project(&project, &error));
        EXPECT_NE(error.find(dir + "/chip.tpf"), std::string::npos) << error;
        EXPECT_NE(atcl_eval_words(interp, {"project_archive", ws.path("q.tsa")}), TCL_OK);
        EXPECT_NE(std::string(Tcl_GetStringResult(interp)).find(dir + "/chip.tpf"),
                  std::string::npos)
            << Tcl_GetStringResult(interp);
        EXPECT_FALSE(fs::exists(ws.path("q.tsa")));
        fs::remove(dir + "/chip.tpf");
        test_write_file(dir + "/chip.tpf",
                        "PROJECT_REVISION = \"chip\"\nPROJECT_REVISION = \"fast\"\n");
    }
}

// Only "no such file" means missing: a revision never saved is left out, but a
// file whose status cannot be read (here a circle of links) fails the archive
// by name rather than leaving it out with the files it names.
TEST(SuiteArchive, OnlyAMissingFileIsLeftOut) {
    struct CASE {
        char const* file;
        bool circle; // else missing
        char const* left_out;
    };
    CASE const cases[] = {
        {"fast.tsf", false, "fast.sdc"},
        {"fast.tsf", true, nullptr},
        {"revision_descriptions.trd", false, "revision_descriptions.trd"},
        {"revision_descriptions.trd", true, nullptr},
    };
    for (CASE const& c : cases) {
        TEST_WORKSPACE ws;
        std::string dir = ws.path("p");
        make_project(dir);
        std::string path = dir + "/" + c.file;
        fs::remove_all(path);
        if (c.circle) {
            fs::create_symlink(fs::path(c.file).filename(), path);
        }
        AFM_ARCHIVE_MANAGER* manager = AFM_ARCHIVE_MANAGER::get_instance();
        std::vector<std::string> files;
        std::string error;
        bool listed = manager->get_files_to_archive(manager->get_file_set("basic")->get_file_subsets(),
                                                    project_in(dir), &files, &error);
        if (c.circle) {
            EXPECT_FALSE(listed) << c.file;
            EXPECT_NE(error.find(path), std::string::npos) << c.file << ": " << error;
        } else {
            EXPECT_TRUE(listed) << c.file << ": " << error;
            EXPECT_EQ(std::count(files.begin(), files.end(), c.left_out), 0) << c.file;
            EXPECT_EQ(std::count(files.begin(), files.end(), "chip.tsf"), 1) << c.file;
        }
    }
}

// A file name that is not UTF-8 (Latin-1 here) is archived as its bytes and
// restored under the same bytes; a UTF-8 name beside it keeps its flag.
TEST(SuiteArchive, NamesThatAreNotUtf8KeepTheirBytes) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    std::string latin = "hdl/mod\xe9le.v";
    std::string utf8 = "hdl/caf\xc3\xa9.v";
    fs::create_directories(dir + "/hdl");
    test_write_file(dir + "/" + latin, "// latin\n");
    test_write_file(dir + "/" + utf8, "// utf8\n");
    std::string error;
    ASSERT_TRUE(afm_write_archive(ws.path("p.tsa"), dir, {latin, utf8}, "", &error)) << error;
    EXPECT_EQ(afm_archive_entries(ws.path("p.tsa")), (std::vector<std::string>{latin, utf8}));
    int code = 0;
    zip_t* zip = zip_open(ws.path("p.tsa").c_str(), ZIP_RDONLY, &code);
    ASSERT_NE(zip, nullptr);
    EXPECT_STREQ(zip_get_name(zip, 1, ZIP_FL_ENC_STRICT), utf8.c_str()) << "flagged as UTF-8";
    zip_discard(zip);
    ASSERT_TRUE(afm_restore_archive(ws.path("p.tsa"), ws.path("out"), false, &error)) << error;
    EXPECT_EQ(test_read_file(ws.path("out/" + latin)), "// latin\n");
    EXPECT_EQ(test_read_file(ws.path("out/" + utf8)), "// utf8\n");
}

// A restore into a mount point (the destination on another file system than
// its parent) moves its files in by renames within that file system.
TEST(SuiteArchive, RestoreIntoAMountPoint) {
    struct stat shm;
    struct stat above;
    if (stat("/dev/shm", &shm) != 0 || stat("/dev", &above) != 0 || shm.st_dev == above.st_dev ||
        access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no writable mount point /dev/shm";
    }
    TEST_WORKSPACE ws;
    std::string folder = "tessaly-restore-" + std::to_string(getpid());
    write_raw_archive(ws.path("a.tsa"), {{folder + "/a.v", "a"}});
    std::string error;
    bool restored = afm_restore_archive(ws.path("a.tsa"), "/dev/shm", false, &error);
    std::string content = test_read_file("/dev/shm/" + folder + "/a.v");
    std::error_code ec;
    fs::remove_all("/dev/shm/" + folder, ec);
    EXPECT_TRUE(restored) << error;
    EXPECT_EQ(content, "a");
    for (auto const& entry : fs::directory_iterator("/dev", ec)) {
        EXPECT_EQ(entry.path().filename().string().rfind(".shm.restore.", 0), std::string::npos)
            << "staging left in " << entry.path();
    }
}

// The Tcl commands over the flows: the default set, refusals as Tcl errors,
// overwrite only when asked.
TEST(SuiteArchive, TclCommandsArchiveAndRestoreTheOpenProject) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    OPEN_PROJECT open(dir);
    Tcl_Interp* interp = atcl_get_interpreter();
    std::string archive = ws.path("p.tsa");
    ASSERT_EQ(atcl_eval_words(interp, {"project_archive", archive}), TCL_OK)
        << Tcl_GetStringResult(interp);
    EXPECT_NE(atcl_eval_words(interp, {"project_archive", archive}), TCL_OK);
    EXPECT_NE(std::string(Tcl_GetStringResult(interp)).find("-overwrite"), std::string::npos);
    EXPECT_EQ(atcl_eval_words(interp, {"project_archive", archive, "-all_revisions", "-overwrite"}),
              TCL_OK);

    std::string out = ws.path("out");
    EXPECT_NE(atcl_eval_words(interp, {"project_restore", archive}), TCL_OK) << "no destination";
    ASSERT_EQ(atcl_eval_words(interp, {"project_restore", archive, "-destination", out}), TCL_OK)
        << Tcl_GetStringResult(interp);
    EXPECT_EQ(test_read_file(out + "/hdl/top.v"), test_read_file(dir + "/hdl/top.v"));
    test_write_file(out + "/chip.tsf", "changed\n");
    EXPECT_NE(atcl_eval_words(interp, {"project_restore", archive, "-destination", out}), TCL_OK);
    EXPECT_NE(std::string(Tcl_GetStringResult(interp)).find("would overwrite"), std::string::npos);
    EXPECT_EQ(test_read_file(out + "/chip.tsf"), "changed\n");
    EXPECT_EQ(
        atcl_eval_words(interp, {"project_restore", archive, "-overwrite", "-destination", out}),
        TCL_OK);
    EXPECT_EQ(test_read_file(out + "/chip.tsf"), test_read_file(dir + "/chip.tsf"));
}

// The archive flow's requests: default set, a named set, exactly a custom
// list; analysis or export asked for still writes the archive but fails.
TEST(SuiteArchive, ArchiveFlowRequests) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    OPEN_PROJECT open(dir);
    test_write_file(dir + "/list.txt", "chip.tpf\nhdl/top.v\n");
    struct CASE {
        std::vector<char const*> arguments;
        std::vector<bool> flags;
        int result;
        std::vector<std::string> entries;
    };
    std::string list = dir + "/list.txt";
    std::vector<CASE> cases = {
        {{},
         {true},
         0,
         {"chip.tpf", "chip.tsf", "fast.tsf", "revision_descriptions.trd", "hdl/top.v", "fast.sdc",
          "ip/fifo/fifo.tip", "ip/fifo/fifo.v"}},
        {{"custom", list.c_str(), "design_files"}, {true}, 0, {"chip.tpf", "hdl/top.v"}},
        {{"custom", list.c_str(), "design_files"}, {false}, 1, {"chip.tpf", "hdl/top.v"}},
        {{"custom", list.c_str()}, {true, true}, 1, {"chip.tpf", "hdl/top.v"}},
    };
    for (CASE const& c : cases) {
        std::string archive = ws.path("flow.tsa");
        std::remove(archive.c_str());
        FLOW_REQUEST request{FSTR_FLOW_APP_NAME_ARCHIVE_PROJECT,
                             archive.c_str(),
                             &c.arguments,
                             &c.flags,
                             false,
                             0,
                             3};
        EXPECT_EQ(flow_execute(request), c.result);
        int code = 0;
        zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &code);
        ASSERT_NE(zip, nullptr) << "written in every case";
        std::vector<std::string> entries;
        for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
            entries.push_back(zip_get_name(zip, i, 0));
        }
        zip_discard(zip);
        EXPECT_EQ(entries, c.entries);
    }
}

// The ZIP library is loaded on the first archive; a library that cannot be
// loaded, or that is not the ZIP library, is named in the refusal.
TEST(SuiteArchive, ZipLibraryLoadsOnFirstUseOrSaysWhyNot) {
    std::string error;
    AFM_LIBZIP const* lib = afm_libzip(&error);
    ASSERT_NE(lib, nullptr) << error;
    EXPECT_EQ(lib->zip_open, &::zip_open) << "the same library the build compiled against";
    EXPECT_EQ(afm_libzip(&error), lib) << "loaded once per process";

    struct CASE {
        char const* file_name;
        char const* cause;
    };
    CASE const cases[] = {
        {"libtessaly-no-such-zip.so.4", "libtessaly-no-such-zip.so.4: cannot open shared object"},
        {"libz.so.1", "it has no function zip_close"},
    };
    for (CASE const& c : cases) {
        AFM_LIBZIP functions;
        error.clear();
        EXPECT_FALSE(afm_libzip_load(c.file_name, &functions, &error)) << c.file_name;
        EXPECT_NE(error.find(std::string("Can't load the ZIP library ") + c.file_name),
                  std::string::npos)
            << error;
        EXPECT_NE(error.find(c.cause), std::string::npos) << error;
    }
}

// One report of a progress: files done, all files, the file at hand.
using REPORT = std::tuple<size_t, size_t, std::string>;

// A progress that records its reports and stops at report number `stop_at`
// (never when negative).
AFM_PROGRESS recording(std::vector<REPORT>* reports, int stop_at = -1) {
    return [reports, stop_at](size_t done, size_t total, std::string const& file) {
        reports->emplace_back(done, total, file);
        return static_cast<int>(reports->size()) - 1 != stop_at;
    };
}

// Before each file the archive reads and each entry the restore extracts, the
// counts and the name; then once with all done, before anything is put in
// place: a stop at any report leaves the old archive byte for byte, an
// existing destination as it was and a new one not made, and no file beside.
TEST(SuiteArchive, ProgressCountsTheFilesAndAStopAtAnyOfThemLeavesEverythingAsItWas) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    std::vector<std::string> files = files_of("basic", project_in(dir));
    size_t const n = files.size();
    std::string archive = ws.path("p.tsa");
    std::string error;

    std::vector<REPORT> reports;
    ASSERT_TRUE(afm_write_archive(archive, dir, files, "", &error, recording(&reports))) << error;
    std::vector<REPORT> expected;
    for (size_t i = 0; i < n; ++i) {
        expected.emplace_back(i, n, files[i]);
    }
    expected.emplace_back(n, n, archive);
    EXPECT_EQ(reports, expected);

    std::string out = ws.path("out");
    reports.clear();
    ASSERT_TRUE(afm_restore_archive(archive, out, false, &error, recording(&reports))) << error;
    std::vector<std::string> entries = afm_archive_entries(archive);
    expected.clear();
    for (size_t i = 0; i < n; ++i) {
        expected.emplace_back(i, n, entries[i]);
    }
    expected.emplace_back(n, n, out);
    EXPECT_EQ(reports, expected);

    std::string const old_archive = test_read_file(archive);
    test_write_file(out + "/chip.tsf", "changed\n");
    std::map<std::string, std::string> const workspace = snapshot(ws.dir());
    for (int stop_at = 0; stop_at <= static_cast<int>(n); ++stop_at) {
        SCOPED_TRACE("stopped at report " + std::to_string(stop_at));
        reports.clear();
        error.clear();
        EXPECT_FALSE(afm_write_archive(archive, dir, files, "", &error,
                                       recording(&reports, stop_at)));
        EXPECT_NE(error.find("stopped"), std::string::npos) << error;
        EXPECT_EQ(reports.size(), static_cast<size_t>(stop_at) + 1) << "none after the stop";
        EXPECT_EQ(test_read_file(archive), old_archive);

        for (std::string const& destination : {out, ws.path("new")}) {
            reports.clear();
            error.clear();
            EXPECT_FALSE(afm_restore_archive(archive, destination, true, &error,
                                             recording(&reports, stop_at)));
            EXPECT_NE(error.find("stopped"), std::string::npos) << error;
            EXPECT_EQ(reports.size(), static_cast<size_t>(stop_at) + 1);
        }
        EXPECT_EQ(snapshot(ws.dir()), workspace) << "no staging, temporary or new folder";
    }
}

// The archive and restore flows report to the innermost progress scope of
// their thread, however they are started (the Tcl commands, flow_execute with
// a progress); a run it stops returns FLOW_STOPPED and posts no error, the
// caller telling the user.
TEST(SuiteArchive, FlowsReportToTheProgressScopeAndAStopIsNotAFailure) {
    TEST_WORKSPACE ws;
    std::string dir = ws.path("p");
    make_project(dir);
    OPEN_PROJECT open(dir);
    std::string archive = ws.path("p.tsa");
    std::vector<REPORT> outer_reports;
    std::vector<REPORT> reports;
    FLOW_PROGRESS_SCOPE outer(recording(&outer_reports));
    {
        FLOW_PROGRESS_SCOPE scope(recording(&reports));
        FLOW_PROGRESS_SCOPE without_progress(nullptr);
        Tcl_Interp* interp = atcl_get_interpreter();
        ASSERT_EQ(atcl_eval_words(interp, {"project_archive", archive}), TCL_OK)
            << Tcl_GetStringResult(interp);
        EXPECT_FALSE(scope.stopped());
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back(), REPORT(reports.size() - 1, reports.size() - 1, archive));
    }
    EXPECT_TRUE(outer_reports.empty()) << "only the innermost scope with a progress is told";

    struct CASE {
        char const* flow;
        std::vector<char const*> arguments;
    };
    std::string out = ws.path("out");
    CASE const cases[] = {
        {FSTR_FLOW_APP_NAME_ARCHIVE_PROJECT, {}},
        {FSTR_FLOW_APP_NAME_RESTORE_PROJECT, {out.c_str()}},
    };
    std::string const before = test_read_file(archive);
    for (CASE const& c : cases) {
        SCOPED_TRACE(c.flow);
        msg_log_clear();
        reports.clear();
        std::vector<bool> flags = {true};
        EXPECT_EQ(flow_execute({c.flow, archive.c_str(), &c.arguments, &flags, false, 0, 3},
                               recording(&reports, 2)),
                  FLOW_STOPPED);
        EXPECT_EQ(reports.size(), 3u) << "none after the stop";
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            EXPECT_NE(entry.severity, 'E') << entry.text;
        }
        EXPECT_EQ(test_read_file(archive), before);
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_TRUE(outer_reports.empty());
}

} // namespace
