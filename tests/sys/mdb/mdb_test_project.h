// What the revision dialogs' tests share: an offscreen application, a copy of
// the revision fixture opened through the project manager as the host opens
// it, and a snapshot of every file of the copy to show that nothing changed.
#pragma once

#include "acf_manager.h"
#include "suite/gui/afcq.h"
#include "suite/messages/msg.h"
#include "tests/sys/mdb/mdb_when_shown.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "tests/support/test_qt_application.h"
#include "tests/support/test_workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <map>
#include <ostream>
#include <string>
#include <vector>

// Readable texts in test failures.
inline void PrintTo(QString const& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Revisions, active first: top (Vorelon II, companion top_lm; map, fitter and
// both timing reports), top_lm (Lumiform II, companion top, reports in "out"),
// alt_lm (Lumiform II, no reports), fast (Vorelon III, device AUTO, no
// reports) and ghost (listed, no settings file).
inline std::string const MDB_REV_FIXTURE = TESSALY_TEST_DATA_DIR "/fixtures/rev_project";

// The revision fixture with 1,500 more design files of 24 KB, named in the
// active revision's settings: archiving, restoring or copying it takes
// seconds. Their text varies as code does, so that compressing it is real
// work. Made once per process, in a temporary folder.
inline std::string mdb_large_rev_fixture() {
    static TEST_WORKSPACE const workspace;
    static std::string const fixture = [] {
        std::string dir = workspace.copy_fixture(MDB_REV_FIXTURE, "rev_project");
        std::filesystem::create_directories(dir + "/hdl");
        std::string settings = test_read_file(dir + "/top.tsf");
        uint32_t seed = 1;
        for (int i = 0; i < 1500; ++i) {
            std::string name = "hdl/part" + std::to_string(i) + ".v";
            std::string text;
            while (text.size() < 24 * 1024) {
                seed = seed * 1103515245u + 12345u;
                text += "assign w" + std::to_string(seed % 9973) + " = r" +
                        std::to_string((seed >> 8) % 65521) + " ^ 32'h" +
                        std::to_string(seed >> 3) + ";\n";
            }
            test_write_file(dir + "/" + name, text);
            settings += "set_global_assignment -name VERILOG_FILE " + name + "\n";
        }
        test_write_file(dir + "/top.tsf", settings);
        return dir;
    }();
    return fixture;
}

class MdbRevisionProject : public testing::Test {
protected:
    static void SetUpTestSuite() { test_qt_application(); }

    void SetUp() override {
        msg_log_clear();
        afcq_clear_file_answers();
        MSG_INTERNAL_ERROR::set_hook([this](char const* condition, char const*, char const*, int) {
            m_internal_errors.push_back(condition);
        });
        m_old_dir = std::filesystem::current_path();
        m_project = std::filesystem::canonical(m_workspace.copy_fixture(fixture(), project_name()));
    }
    void TearDown() override {
        ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
        if (manager->is_write_locked()) {
            manager->write_unlock(false);
        }
        manager->close_project(false);
        manager->free_cached_storage();
        std::filesystem::current_path(m_old_dir);
        MSG_INTERNAL_ERROR::set_hook(nullptr);
        afcq_clear_file_answers();
        EXPECT_TRUE(m_internal_errors.empty()) << m_internal_errors.front();
    }

    void open_project() {
        std::filesystem::current_path(m_project);
        ASSERT_EQ(ACF_MANAGER::get_acf_manager()->open_project(m_project.c_str(),
                                                               project_name().c_str(), "", false,
                                                               false, true, false, false),
                  ACF_REVISION_MANAGER::SUCCESS);
    }
    std::string file(std::string const& name) const { return m_project + "/" + name; }
    // The fixture folder copied for each test, and its project.
    virtual std::string fixture() const { return MDB_REV_FIXTURE; }
    virtual std::string project_name() const { return "rev"; }

    // Every file of the copy with its content and modification time.
    using SNAPSHOT = std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>>;
    SNAPSHOT snapshot() const {
        SNAPSHOT files;
        for (auto const& entry : std::filesystem::recursive_directory_iterator(m_project)) {
            if (entry.is_regular_file()) {
                files[entry.path().string()] = {test_read_file(entry.path().string()),
                                                entry.last_write_time()};
            }
        }
        return files;
    }

    // The messages of the log with identifier `id`.
    static std::vector<MSG_LOG_ENTRY> logged(unsigned id) {
        std::vector<MSG_LOG_ENTRY> found;
        for (MSG_LOG_ENTRY const& entry : msg_log_entries()) {
            if (entry.id == id) {
                found.push_back(entry);
            }
        }
        return found;
    }

    // Runs `act` on the progress dialog once it shows and its label reads
    // "<verb>: <done> of <all> files done", with the counts it read then. The
    // watch ends with the returned timer: kept for one run only, it cannot act
    // on a later run's dialog, nor on what `act` refers to once that is gone.
    [[nodiscard]] static std::unique_ptr<QTimer> when_progress_shows(
        QString const& verb, std::function<void(QProgressDialog*, int done, int all)> act) {
        auto timer = std::make_unique<QTimer>();
        QRegularExpression const counts(QStringLiteral("^%1: (\\d+) of (\\d+) files done\n").arg(verb));
        QObject::connect(timer.get(), &QTimer::timeout, [timer = timer.get(), act, counts]() {
            auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            QRegularExpressionMatch read =
                progress == nullptr ? QRegularExpressionMatch() : counts.match(progress->labelText());
            if (!read.hasMatch() || !progress->isVisible()) {
                return;
            }
            timer->stop();
            act(progress, read.captured(1).toInt(), read.captured(2).toInt());
        });
        timer->start(20);
        return timer;
    }
    static void press(QDialog* dialog, QDialogButtonBox::StandardButton which) {
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(which)->click();
    }
    template <class T> static T* child(QWidget* dialog, char const* name) {
        T* widget = dialog->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    TEST_WORKSPACE m_workspace;
    std::string m_project;
    std::filesystem::path m_old_dir;
    std::vector<std::string> m_internal_errors;
};
