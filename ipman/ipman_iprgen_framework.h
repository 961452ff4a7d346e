// What the IP upgrade program's framework objects share: the names of the
// "IP Upgrade" program, its modes (Tcl and grunt, no parallel mode), and
// database steps that have nothing to do. The command of regentool and the
// Tcl package's framework object both derive from it.
#pragma once

#include "suite/exeframe/qcu_framework.h"

#include <string>
#include <vector>

class IPMAN_IPRGEN_FRAMEWORK : public QCU_FRAMEWORK {
public:
    char const* get_exe_name() const override { return "regentool"; }
    char const* get_app_name() const override { return "IP Upgrade"; }
    char const* get_dbg_name() const override { return "IPRGEN"; }
    char const* get_short_app_name() const override { return "ipregen"; }
    std::vector<std::string> const& get_usages() const override {
        static std::vector<std::string> const usages = {"<file name>"};
        return usages;
    }
    bool allows_tcl() const override { return true; }
    bool is_tcl_mode() const override { return (m_mode & MODE_TCL) != 0; }
    void set_tcl_mode(bool on) override { set_mode(MODE_TCL, on); }
    bool is_grunt_mode() const override { return (m_mode & MODE_GRUNT) != 0; }
    void set_grunt_mode(bool on) override { set_mode(MODE_GRUNT, on); }
    bool initialize_databases() override { return true; }
    bool write_reports() override { return true; }
    bool write_databases() override { return true; }
    bool release_databases() override { return true; }
    bool parallel_publicly_supported() const override { return false; }
    bool parallel_begin() override { return true; }
    void parallel_end() override {}

    // The progress to report when item `index` (from 0) of `count` starts: 20
    // for a single item, else (100 / count) * (index + 1).
    static int progress_percent(unsigned count, unsigned index) {
        return count == 1 ? 20 : static_cast<int>((100 / count) * (index + 1));
    }

protected:
    // The executable identifier of the IP upgrade program in the suite.
    enum { IPRGEN_EXECUTABLE_ID = 16 };

    IPMAN_IPRGEN_FRAMEWORK() : QCU_FRAMEWORK(IPRGEN_EXECUTABLE_ID) {}

private:
    enum { MODE_TCL = 1, MODE_GRUNT = 2 };

    void set_mode(unsigned bit, bool on) { m_mode = on ? m_mode | bit : m_mode & ~bit; }

    unsigned m_mode = 0;
};
