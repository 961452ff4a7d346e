// The generator fixture, shared by the tests of the assignment groups and of
// the Tcl script generator: revision gtf of project gtf, with two assignment
// groups (g1: members a|b* and c, exception a|b2; g0: member d), timing
// assignments from and to them, an IP file's assignments, default-valued
// assignments in its defaults file and a compiled hierarchy (top|a|b,
// top|a|c, top|led0).
#pragma once

#include "tests/sys/mdb/mdb_test_project.h"

class MdbGtfProject : public MdbRevisionProject {
protected:
    std::string fixture() const override { return TESSALY_TEST_DATA_DIR "/fixtures/gtf_project"; }
    std::string project_name() const override { return "gtf"; }
};

// The same, opened, with the messages of opening cleared.
class MdbOpenGtfProject : public MdbGtfProject {
protected:
    void SetUp() override {
        MdbGtfProject::SetUp();
        open_project();
        msg_log_clear();
    }
};
