// What the import dialogs' tests share: a copy of the import fixture opened
// as the host opens it, and a way to open it again with other settings.
#pragma once

#include "tests/sys/mdb/mdb_test_project.h"

// The revision imp (Vorelon II) with sources of every kind beside it, good and
// bad, an entity settings file (fifo.tsf) and a hierarchy with three
// instances of fifo (u1, u2, core|u3).
class MdbImportProject : public MdbRevisionProject {
protected:
    std::string fixture() const override {
        return TESSALY_TEST_DATA_DIR "/fixtures/import_project";
    }
    std::string project_name() const override { return "imp"; }
    void SetUp() override {
        MdbRevisionProject::SetUp();
        open_project();
    }

    std::string settings() const { return test_read_file(file("imp.tsf")); }
    // Closes the project, replaces a text of its settings file, opens it again.
    void reopen_with(std::string const& text, std::string const& replacement) {
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        manager->close_project(false);
        manager->free_cached_storage();
        std::string tsf = settings();
        tsf.replace(tsf.find(text), text.size(), replacement);
        test_write_file(file("imp.tsf"), tsf);
        open_project();
    }
    // Opens the project as a TOLM 7000B design.
    void reopen_as_tolm_7000b() {
        reopen_with("\"Vorelon II\"\nset_global_assignment -name DEVICE VORELONIIA15F484C6",
                    "Tolm7000B\nset_global_assignment -name DEVICE TOLM7000BA15F484C6");
    }
};
