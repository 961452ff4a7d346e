// tsgui: a minimal graphical host. It opens a main window and, with --project,
// the project in that folder through the project manager; then it loads the
// dialogs plug-in by file name and calls its entry points by name, as the
// suite's graphical host does.
//
//   tsgui [--project <dir>] [--screenshot <file.png>] <entry point>...
//
// With --screenshot the first modal dialog that opens is saved as a picture
// and closed, so the host can run unattended.
#include "acf_manager.h"
#include "acf_msg_suppression_lookup.h"
#include "suite/general/gen.h"
#include "suite/gui/afcq.h"
#include "suite/messages/msg.h"
#include "suite/threads/thr.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using ENTRY_POINT = void (*)(QWidget*);

void usage() {
    std::fprintf(stderr,
                 "Usage: tsgui [--project <dir>] [--screenshot <file.png>] <entry point>...\n");
}

// Saves the first modal dialog that shows up, then closes it.
void capture_first_modal(QString const& file) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, file]() {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        timer->stop();
        dialog->adjustSize();
        if (!dialog->grab().save(file)) {
            std::fprintf(stderr, "tsgui: cannot write %s\n", file.toLocal8Bit().constData());
        }
        if (auto* d = qobject_cast<QDialog*>(dialog)) {
            d->done(QDialog::Rejected);
        }
    });
    timer->start(300);
}

// Opens the one project whose project file lies in `dir`, with its active
// revision, and makes `dir` the current folder as the suite's host does. A
// project that has only its old project file is converted as it opens.
bool open_project(std::string const& dir) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(dir, error);
    std::set<std::string> projects;
    for (auto const& entry : std::filesystem::directory_iterator(folder, error)) {
        std::filesystem::path const extension = entry.path().extension();
        if (entry.is_regular_file() && (extension == ".tpf" || extension == ".tessaly")) {
            projects.insert(entry.path().stem().string());
        }
    }
    if (projects.size() != 1) {
        std::fprintf(stderr, "tsgui: %s holds %s project file\n", dir.c_str(),
                     projects.empty() ? "no" : "more than one");
        return false;
    }
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "tsgui: cannot enter project directory %s\n", dir.c_str());
        return false;
    }
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    std::string const& project = *projects.begin();
    int status =
        manager->open_project(folder.c_str(), project.c_str(), "", true, false, true, false, false);
    if (status != ACF_REVISION_MANAGER::SUCCESS) {
        std::fprintf(stderr, "tsgui: cannot open project %s in %s (status %d)\n", project.c_str(),
                     dir.c_str(), status);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    gen_install_memory_manager_callbacks();
    QApplication app(argc, argv);
    app.setApplicationName(GEN_PRODUCT_NAME);
    gen_set_is_ui_process(true);
    gen_set_is_qt(true);
    acf_install_msg_suppression_lookup();

    std::string project;
    QString screenshot;
    std::vector<std::string> entry_points;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--project") == 0 && i + 1 < argc) {
            project = argv[++i];
        } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = QString::fromLocal8Bit(argv[++i]);
        } else if (argv[i][0] == '-') {
            usage();
            return 1;
        } else {
            entry_points.push_back(argv[i]);
        }
    }
    if (entry_points.empty()) {
        usage();
        return 1;
    }
    if (!project.empty() && !open_project(project)) {
        return 1;
    }

    QMainWindow window;
    window.setWindowTitle(GEN_PRODUCT_NAME);
    window.resize(800, 600);
    window.show();

    bool unattended = !screenshot.isEmpty();
    afcq_set_interactive(!unattended);
    if (!unattended) {
        msg_set_question_handler([&window](MSG_BASE const& question) {
            return QMessageBox::question(&window, GEN_PRODUCT_NAME,
                                         QString::fromStdString(question.get_text())) ==
                           QMessageBox::Yes
                       ? MSG_ANSWER_YES
                       : MSG_ANSWER_NO;
        });
    } else {
        capture_first_modal(screenshot);
    }

    std::string library = gen_get_tessaly_path() + "/libprojdialogs.so";
    THR_DRL_HANDLE handle = thr_drl_load(library.c_str());
    if (handle == nullptr) {
        std::fprintf(stderr, "tsgui: cannot load %s: %s\n", library.c_str(), thr_drl_get_error());
        return 1;
    }
    int status = 0;
    for (std::string const& name : entry_points) {
        auto entry = reinterpret_cast<ENTRY_POINT>(thr_drl_find_function(handle, name.c_str()));
        if (entry == nullptr) {
            std::fprintf(stderr, "tsgui: no entry point %s\n", name.c_str());
            status = 1;
            continue;
        }
        entry(&window);
    }
    ACF_MANAGER* manager = ACF_MANAGER::get_acf_manager();
    if (manager->is_project_open()) {
        manager->close_project(true);
    }
    return status;
}
